#include "project/MNewView.h"

#include "linear/CLinearViewConfig.h"
#include "project/CProject.h"
#include "views/CCircleViewConfig.h"

namespace MNewView {

QString ViewName(const QString& kindText, qint32 number)
{
    const QString base = kindText + QStringLiteral(" View");
    if (number < 1)
        return base;
    return base + QStringLiteral(" #") + QString::number(number);
}

std::unique_ptr<CCircleViewConfig> NewCircleView(CProject& project)
{
    auto view = std::make_unique<CCircleViewConfig>(QString());
    view->SetName(ViewName(QStringLiteral("Circle"), project.NextNewCircleViewNumber()));
    return view;
}

std::unique_ptr<CLinearViewConfig> NewLinearView(CProject& project)
{
    auto view = std::make_unique<CLinearViewConfig>(QString());
    view->SetName(ViewName(QStringLiteral("Linear"), project.NextNewLinearViewNumber()));
    if (!project.MakerNameAssigned())
        view->SetDrawMarkerNames(false);
    return view;
}

QList<CFileData*> FilesForViews(const CProject& project)
{
    QList<CFileData*> files;
    for (int i = 0; i < project.FileCount(); ++i) {
        if (project.FileSelected(i))
            files.append(project.File(i));
    }
    return files;
}

}  // namespace MNewView
