#include "project/MProjectMessage.h"

#include <QStringList>

namespace MProjectMessage {

QString DisplayText(const QString& message)
{
    const QStringList parts = message.split(QChar(0));
    if (parts.size() < 2)
        return message;
    return parts[0] + QLatin1Char('\n') + QLatin1Char('(') + parts[1] + QLatin1Char(')');
}

}  // namespace MProjectMessage
