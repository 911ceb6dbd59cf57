#include "cli/CViewEntryArgument.h"

#include "cli/MCli.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

// Splits at commas that are not escaped, undoing the escapes.
bool SplitFields(const QString& text, QStringList* fields)
{
    QString field;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\\')) {
            if (i + 1 >= text.size())
                return false;
            field.append(text[++i]);
        } else if (c == QLatin1Char(',')) {
            fields->append(field);
            field.clear();
        } else {
            field.append(c);
        }
    }
    fields->append(field);
    return true;
}

}  // namespace

QString CViewEntryArgument::Parse(const QString& text)
{
    QStringList fields;
    if (!SplitFields(text, &fields))
        return QStringLiteral("--entry \"%1\" ends in a lone backslash").arg(text);
    bool hasFile = false;
    bool hasClass = false;
    for (const QString& field : fields) {
        const qsizetype equals = field.indexOf(QLatin1Char('='));
        if (equals < 0)
            return QStringLiteral("--entry \"%1\": \"%2\" is not KEY=VALUE").arg(text, field);
        const QString key = field.left(equals).trimmed();
        const QString value = field.mid(equals + 1);
        if (key == QLatin1String("file")) {
            qint64 number = 0;
            if (!MCli::ParseInteger(value.trimmed(), &number) || number < 1 || number > 0x7FFFFFFF)
                return QStringLiteral("--entry \"%1\": file must be a file number from 1 (see info)").arg(text);
            mFilePosition = int(number);
            hasFile = true;
        } else if (key == QLatin1String("class")) {
            mClassName = value;
            hasClass = true;
        } else if (key == QLatin1String("legend")) {
            mLegend = value;
        } else if (key == QLatin1String("placement")) {
            mPlacement = value.trimmed();
        } else if (key == QLatin1String("type")) {
            mType = value.trimmed();
        } else if (key == QLatin1String("color")) {
            static const QRegularExpression pattern(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
            if (!pattern.match(value.trimmed()).hasMatch())
                return QStringLiteral("--entry \"%1\": color must be #RRGGBB").arg(text);
            mColor = RgbColor(value.trimmed().mid(1).toUInt(nullptr, 16));
        } else {
            return QStringLiteral("--entry \"%1\": unknown key \"%2\" (file, class, legend, placement, type, color)")
                .arg(text, key);
        }
    }
    if (!hasFile || !hasClass)
        return QStringLiteral("--entry \"%1\" needs file=N and class=TEXT").arg(text);
    return QString();
}
