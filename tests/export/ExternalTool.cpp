#include "tests/export/ExternalTool.h"

#include <QProcess>
#include <QStandardPaths>

namespace ExternalTool {

QString Find(const QString& program)
{
    return QStandardPaths::findExecutable(program);
}

bool Run(const QString& program, const QStringList& arguments, int timeoutSeconds, QString* output)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutSeconds * 1000)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    if (output)
        *output = QString::fromUtf8(process.readAllStandardOutput());
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

}  // namespace ExternalTool
