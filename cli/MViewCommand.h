#pragma once

#include <QStringList>

// karyoquill-cli view: adds a circular or linear view to a project, with
// the checks and defaults of the view wizards.
namespace MViewCommand {

QString Help();
int Run(const QStringList& arguments);

}  // namespace MViewCommand
