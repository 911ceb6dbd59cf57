#pragma once

#include <QJsonObject>
#include <QString>

class CViewConfig;

// How the batch tool names what differs between circular and linear views.
namespace MViewKinds {

// "circular" or "linear".
QString KindName(const CViewConfig& view);
// The entry's placement as the wizards show it: "Circle1" ... "Pin2",
// "Upper", "Bottom".
QString PlacementName(const CViewConfig& view, int entry);
// A linear entry's marker type ("Rectangle", "Oval", "Arrow"); empty for
// circular views, whose entries have none.
QString TypeName(const CViewConfig& view, int entry);
// The view's placement of that name (letter case ignored), -1 when none.
int PlacementFromName(const CViewConfig& view, const QString& name);
// The placement names of the view's kind, comma-separated.
QString PlacementNames(const CViewConfig& view);

// Adds the kind's own settings to a description of the view.
void AddKindOptions(const CViewConfig& view, QJsonObject& object);

}  // namespace MViewKinds
