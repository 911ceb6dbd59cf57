#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include <memory>

class CCircleViewConfig;
class CFileData;
class CLinearViewConfig;
class CProject;

// How a project starts a new view before its wizard runs: the name it gets
// and the switches it starts with. The project window and the batch tool
// both create views through here.
namespace MNewView {

// "Circle View" for a number below 1, else "Circle View #" and the number;
// the same with "Linear" for linear views.
QString ViewName(const QString& kindText, qint32 number);

// A new circular view named from the project's circular counter (which
// counts on even when the view is then dropped).
std::unique_ptr<CCircleViewConfig> NewCircleView(CProject& project);
// A new linear view named from the project's linear counter; marker names
// start switched off when no data file of the project has a name column.
std::unique_ptr<CLinearViewConfig> NewLinearView(CProject& project);

// The data files a view wizard offers: those selected for views, in
// project order.
QList<CFileData*> FilesForViews(const CProject& project);

}  // namespace MNewView
