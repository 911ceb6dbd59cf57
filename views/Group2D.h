#pragma once

#include "views/Object2D.h"

#include <vector>

// An ordered container of scene objects, drawn in order (later on top).
// X and Y translate all items and Scale multiplies their coordinates and sizes
// about the group's origin: an item point (x, y) lands at (X + Scale*x, Y + Scale*y).
class Group2D : public Object2D
{
public:
    Group2D();

    void Append(Object2DRef object);
    // Inserts before `index`; an index equal to Count() appends.
    void Insert(int index, Object2DRef object);
    int Count() const { return int(mItems.size()); }
    const Object2DRef& Item(int index) const;
    void RemoveByIndex(int index);
    void RemoveAll() { mItems.clear(); }
    void Reserve(int count) { mItems.reserve(size_t(count)); }

    const std::vector<Object2DRef>& Items() const { return mItems; }

private:
    std::vector<Object2DRef> mItems;
};

using Group2DRef = std::shared_ptr<Group2D>;
