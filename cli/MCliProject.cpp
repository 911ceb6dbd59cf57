#include "cli/MCliProject.h"

#include "cli/MCli.h"
#include "cli/StProgressStep.h"
#include "project/CProject.h"
#include "project/MProjectFile.h"

#include <QDir>
#include <QFileInfo>

namespace MCliProject {

QString Open(const QString& path, std::unique_ptr<CProject>& project)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("The project file \"%1\" does not exist.").arg(QDir::toNativeSeparators(path));
    if (info.isDir())
        return QStringLiteral("\"%1\" is a folder, not a project file.").arg(QDir::toNativeSeparators(path));
    const StProgressStep step(QStringLiteral("Reading the project"));
    return MProjectFile::Restore(path, project);
}

QString OpenOrCreate(const QString& path, std::unique_ptr<CProject>& project)
{
    if (!QFileInfo(path).exists() && !QFileInfo(path).isSymLink()) {
        project = std::make_unique<CProject>();
        return QString();
    }
    return Open(path, project);
}

QString Save(CProject& project, const QString& path)
{
    const StProgressStep step(QStringLiteral("Saving the project"));
    qint64 shortened = 0;
    const QString message = MProjectFile::Save(project, path, &shortened);
    if (message.isEmpty() && shortened > 0) {
        MCli::PrintError(QStringLiteral("Note: %1 cell(s) longer than 255 bytes were shortened to fit the project file.")
                             .arg(shortened));
    }
    return message;
}

}  // namespace MCliProject
