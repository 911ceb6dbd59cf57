#include "cli/MViewKinds.h"

#include "linear/CLinearViewConfig.h"
#include "views/CCircleViewConfig.h"

#include <QStringList>

namespace MViewKinds {

QString KindName(const CViewConfig& view)
{
    return dynamic_cast<const CLinearViewConfig*>(&view) ? QStringLiteral("linear") : QStringLiteral("circular");
}

QString PlacementName(const CViewConfig& view, int entry)
{
    // A linear entry's placement word also carries its type; Placement gives the side alone.
    return view.PlacementTypeStr(view.Placement(entry));
}

QString TypeName(const CViewConfig& view, int entry)
{
    if (const auto* linear = dynamic_cast<const CLinearViewConfig*>(&view))
        return linear->TypeName(entry);
    return QString();
}

int PlacementFromName(const CViewConfig& view, const QString& name)
{
    for (int placement = 0; placement < view.PlacementTypeCount(); ++placement) {
        if (view.PlacementTypeStr(placement).compare(name, Qt::CaseInsensitive) == 0)
            return placement;
    }
    return -1;
}

QString PlacementNames(const CViewConfig& view)
{
    QStringList names;
    for (int placement = 0; placement < view.PlacementTypeCount(); ++placement)
        names.append(view.PlacementTypeStr(placement));
    return names.join(QStringLiteral(", "));
}

void AddKindOptions(const CViewConfig& view, QJsonObject& object)
{
    if (const auto* linear = dynamic_cast<const CLinearViewConfig*>(&view)) {
        object.insert("start", linear->StartLocate());
        object.insert("end", linear->EndLocate());
        object.insert("row_scale", linear->Scale());
        object.insert("draw_marker_names", linear->DrawMarkerNames());
        object.insert("rows", linear->MapCount());
    } else if (const auto* circle = dynamic_cast<const CCircleViewConfig*>(&view)) {
        object.insert("draw_scale", circle->DrawScale());
        if (circle->ScaleType() == 0)
            object.insert("scale_divides", circle->ScaleDivides());
        else
            object.insert("scale_length", circle->ScaleLength());
    }
}

}  // namespace MViewKinds
