#include "views/Group2D.h"

Group2D::Group2D() : Object2D(Kind::Group) {}

void Group2D::Append(Object2DRef object)
{
    Q_ASSERT(object);
    mItems.push_back(std::move(object));
}

void Group2D::Insert(int index, Object2DRef object)
{
    Q_ASSERT(object);
    Q_ASSERT(index >= 0 && index <= Count());
    mItems.insert(mItems.begin() + index, std::move(object));
}

const Object2DRef& Group2D::Item(int index) const
{
    Q_ASSERT(index >= 0 && index < Count());
    return mItems[size_t(index)];
}

void Group2D::RemoveByIndex(int index)
{
    Q_ASSERT(index >= 0 && index < Count());
    mItems.erase(mItems.begin() + index);
}
