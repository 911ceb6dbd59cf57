#pragma once

#include "views/Group2D.h"

// Remembers a page group's scale and position and puts them back when it goes
// out of scope, however the page's export ends: export only borrows the
// view's groups.
class StPageGroupPlacement
{
public:
    explicit StPageGroupPlacement(Group2D& group)
        : mGroup(group), mScale(group.Scale()), mX(group.X()), mY(group.Y())
    {
    }
    ~StPageGroupPlacement()
    {
        mGroup.SetScale(mScale);
        mGroup.SetX(mX);
        mGroup.SetY(mY);
    }
    StPageGroupPlacement(const StPageGroupPlacement&) = delete;
    StPageGroupPlacement& operator=(const StPageGroupPlacement&) = delete;

private:
    Group2D& mGroup;
    double mScale;
    double mX;
    double mY;
};
