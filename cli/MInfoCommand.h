#pragma once

#include <QJsonObject>
#include <QStringList>

class CProject;

// karyoquill-cli info: what a project holds, as text or as JSON.
namespace MInfoCommand {

QString Help();
int Run(const QStringList& arguments);

// The project's files and views in the JSON shape that `info --json`
// prints. Builds every view's map to count its markers and pages.
QJsonObject Describe(CProject& project);

}  // namespace MInfoCommand
