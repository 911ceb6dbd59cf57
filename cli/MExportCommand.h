#pragma once

#include <QStringList>

// karyoquill-cli export: saves a view's map as image files, as the view
// window's save command does.
namespace MExportCommand {

QString Help();
int Run(const QStringList& arguments);

}  // namespace MExportCommand
