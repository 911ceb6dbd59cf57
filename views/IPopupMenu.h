#pragma once

#include <QString>

// The rows of a popup menu as the view configuration fills them; the dialogs
// adapt their own controls to it.
class IPopupMenu
{
public:
    virtual ~IPopupMenu() = default;
    virtual void DeleteAllRows() = 0;
    virtual void AddRow(const QString& text) = 0;
    virtual void SetListIndex(int row) = 0;
};
