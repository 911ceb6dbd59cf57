#pragma once

#include <cstdint>

// An item that knows its own place in an order.
// Compare has the reverse of the usual sense: positive when this item must
// come before the other one, negative when after, 0 when equal in the order.
class ISortItem
{
public:
    virtual ~ISortItem() = default;
    virtual int32_t Compare(const ISortItem& other) const = 0;
};
