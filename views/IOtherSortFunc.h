#pragma once

#include <cstdint>

class ISortItem;

// An order imposed from outside the items, in the usual sense: positive when
// a must come after b, negative when before, 0 when equal in the order.
class IOtherSortFunc
{
public:
    virtual ~IOtherSortFunc() = default;
    virtual int32_t Compare(const ISortItem& a, const ISortItem& b) const = 0;
};
