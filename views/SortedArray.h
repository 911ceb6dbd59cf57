#pragma once

#include "views/IOtherSortFunc.h"
#include "views/ISortItem.h"

#include <algorithm>
#include <concepts>
#include <cstdint>
#include <cstddef>
#include <utility>
#include <vector>

// Sort routines over vectors of sortable items, sorted in place.
//
// Ten items or fewer are bubble-sorted, which is stable; more are quicksorted,
// which is not: equal items may change their order from eleven items on.
// Callers rely on that exact behaviour, so the steps below are not to be
// replaced by std::sort.
//
// The element type may be the items themselves (a vector of markers) or
// anything that points at them (ISortItem*, smart pointers).
namespace SortedArray {

using Index = std::ptrdiff_t;

namespace detail {

// The element as an item. Items held by value keep their own (final) type, so
// their Compare is called directly rather than through the interface.
template <typename T>
const auto& AsItem(const T& element)
{
    if constexpr (std::derived_from<T, ISortItem>)
        return element;
    else
        return *element;
}

// "Must a come after b?" and the partition's two pivot tests, asked either of
// the items themselves or of an outside comparison object.
struct OwnOrder
{
    template <typename A, typename B>
    bool After(const A& a, const B& b) const { return b.Compare(a) > 0; }
    template <typename X, typename P>
    bool NotAfterPivot(const X& x, const P& pivot) const { return pivot.Compare(x) <= 0; }
    template <typename X, typename P>
    bool NotBeforePivot(const X& x, const P& pivot) const { return pivot.Compare(x) >= 0; }
};

template <typename Func>
struct OtherOrder
{
    const Func& func;
    template <typename A, typename B>
    bool After(const A& a, const B& b) const { return func.Compare(a, b) > 0; }
    template <typename X, typename P>
    bool NotAfterPivot(const X& x, const P& pivot) const { return func.Compare(x, pivot) <= 0; }
    template <typename X, typename P>
    bool NotBeforePivot(const X& x, const P& pivot) const { return func.Compare(x, pivot) >= 0; }
};

template <typename T, typename Order>
void BubbleSort(std::vector<T>& items, const Order& order, Index first, Index last)
{
    // No early exit on a pass without swaps: every pass runs.
    while (first < last) {
        for (Index i = first; i < last; ++i) {
            if (order.After(AsItem(items[i]), AsItem(items[i + 1])))
                std::swap(items[i], items[i + 1]);
        }
        --last;
    }
}

template <typename T, typename Order>
Index Classification(std::vector<T>& items, const Order& order, Index lo, Index hi)
{
    // The pivot is an item; c follows it while swaps move it.
    Index c = (lo + hi) / 2;
    Index a = lo - 1;
    Index i = hi + 1;
    for (;;) {
        ++a;
        while (a < c && order.NotAfterPivot(AsItem(items[a]), AsItem(items[c])))
            ++a;
        --i;
        while (c < i && order.NotBeforePivot(AsItem(items[i]), AsItem(items[c])))
            --i;
        if (a >= i)
            break;
        std::swap(items[a], items[i]);
        if (c == a) {
            c = i;
            ++i;
        } else if (c == i) {
            c = a;
            --a;
        }
    }
    return c == hi ? c - 1 : c;
}

// The partition steps pass over items equal to the pivot without moving them,
// so on vectors with few distinct keys (a circular map has seven placements)
// they can take quadratic time and recurse very deep. A range reached through
// too many partitions is finished by a stable sort instead: the result is
// still sorted, and small or well-spread inputs never reach the limit.
// Partitions allowed along one path of the sort before the rest of a range is
// finished stably: the work stays within n log n whatever the keys.
inline int DepthLimitFor(Index count)
{
    int log2 = 0;
    while ((Index{1} << log2) < count)
        ++log2;
    return 2 * log2 + 8;
}

template <typename T, typename Order>
void FinishStably(std::vector<T>& items, const Order& order, Index lo, Index hi)
{
    std::stable_sort(items.begin() + lo, items.begin() + hi + 1, [&order](const T& x, const T& y) {
        return order.After(AsItem(y), AsItem(x));
    });
}

template <typename T, typename Order>
void QuickSort(std::vector<T>& items, const Order& order, Index lo, Index hi, int depthLimit, int depth)
{
    // Recurse on the left part only; loop over the right part.
    Index left = lo;
    while (left < hi) {
        if (depth > depthLimit) {
            FinishStably(items, order, left, hi);
            return;
        }
        ++depth;
        const Index split = Classification(items, order, left, hi);
        QuickSort(items, order, left, split, depthLimit, depth);
        left = split + 1;
    }
}

template <typename T, typename Order>
void QuickSort(std::vector<T>& items, const Order& order, Index lo, Index hi)
{
    QuickSort(items, order, lo, hi, DepthLimitFor(hi - lo + 1), 0);
}

template <typename T, typename Order>
bool IsInOrder(const std::vector<T>& items, const Order& order)
{
    for (size_t i = 1; i < items.size(); ++i) {
        if (order.After(AsItem(items[i - 1]), AsItem(items[i])))
            return false;
    }
    return true;
}

template <typename T, typename Order>
void Sort(std::vector<T>& items, const Order& order)
{
    // Both routines leave a vector that is already in order exactly as it is
    // (neither swaps equal items there), so skipping it changes nothing. Maps
    // pick markers up entry by entry, which is often already in order.
    if (IsInOrder(items, order))
        return;
    const Index last = static_cast<Index>(items.size()) - 1;
    if (last > 9)
        QuickSort(items, order, 0, last);
    else
        BubbleSort(items, order, 0, last);
}

}  // namespace detail

// The comparison object may be given as its own type, which lets the compiler
// call it directly; any IOtherSortFunc serves.
template <typename Func>
concept SortFunc = std::derived_from<Func, IOtherSortFunc>;

template <typename T>
void Array_Sort(std::vector<T>& items)
{
    detail::Sort(items, detail::OwnOrder{});
}

template <typename T, SortFunc Func>
void Array_Sort(std::vector<T>& items, const Func& func)
{
    detail::Sort(items, detail::OtherOrder<Func>{func});
}

template <typename T>
void Array_QuickSort(std::vector<T>& items, Index first, Index last)
{
    detail::QuickSort(items, detail::OwnOrder{}, first, last);
}

template <typename T, SortFunc Func>
void Array_QuickSort(std::vector<T>& items, const Func& func, Index first, Index last)
{
    detail::QuickSort(items, detail::OtherOrder<Func>{func}, first, last);
}

template <typename T>
void Array_BubbleSort(std::vector<T>& items, Index first, Index last)
{
    detail::BubbleSort(items, detail::OwnOrder{}, first, last);
}

template <typename T, SortFunc Func>
void Array_BubbleSort(std::vector<T>& items, const Func& func, Index first, Index last)
{
    detail::BubbleSort(items, detail::OtherOrder<Func>{func}, first, last);
}

template <typename T>
Index classification(std::vector<T>& items, Index first, Index last)
{
    return detail::Classification(items, detail::OwnOrder{}, first, last);
}

template <typename T, SortFunc Func>
Index classification(std::vector<T>& items, const Func& func, Index first, Index last)
{
    return detail::Classification(items, detail::OtherOrder<Func>{func}, first, last);
}

}  // namespace SortedArray
