#pragma once

#include <QStringList>

// karyoquill-cli import: imports a delimited data file into a project with
// its column roles, as the import wizard does.
namespace MImportCommand {

QString Help();
int Run(const QStringList& arguments);

}  // namespace MImportCommand
