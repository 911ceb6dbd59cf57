#include "views/CMarkerData.h"
#include "views/CMarkerDataSortLocFunc.h"
#include "views/SortedArray.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

// Markers tagged by their pick-up position (kept in Name) so tests can see
// where equal items went.
std::vector<CMarkerData> MarkersWithPlacements(const std::vector<int>& placements)
{
    std::vector<CMarkerData> markers;
    for (size_t i = 0; i < placements.size(); ++i) {
        CMarkerData marker;
        marker.Placement = placements[i];
        marker.Name = QString::number(i);
        markers.push_back(marker);
    }
    return markers;
}

std::vector<int> Tags(const std::vector<CMarkerData>& markers)
{
    std::vector<int> tags;
    for (const CMarkerData& marker : markers)
        tags.push_back(marker.Name.toInt());
    return tags;
}

std::vector<int> Placements(const std::vector<CMarkerData>& markers)
{
    std::vector<int> placements;
    for (const CMarkerData& marker : markers)
        placements.push_back(marker.Placement);
    return placements;
}

CMarkerData Located(int start, int end)
{
    CMarkerData marker;
    marker.StartLocation = start;
    marker.EndLocation = end;
    return marker;
}

}  // namespace

TEST(MarkerDataTest, NewMarkerHasNoDirectionAndNoName)
{
    CMarkerData marker;
    EXPECT_EQ(marker.Placement, 0);
    EXPECT_EQ(marker.StartLocation, 0);
    EXPECT_EQ(marker.EndLocation, 0);
    EXPECT_EQ(marker.Direction, -1);
    EXPECT_TRUE(marker.Name.isEmpty());
    EXPECT_EQ(marker.DrawColor, 0u);
}

TEST(MarkerDataTest, CompareIsOtherPlacementMinusOwn)
{
    std::vector<CMarkerData> m = MarkersWithPlacements({5, 2});
    EXPECT_EQ(m[0].Compare(m[1]), -3);   // 5 must come after 2
    EXPECT_EQ(m[1].Compare(m[0]), 3);
    EXPECT_EQ(m[0].Compare(m[0]), 0);

    // Far-apart placements keep the right sign instead of wrapping.
    std::vector<CMarkerData> far = MarkersWithPlacements({INT32_MIN, INT32_MAX});
    EXPECT_GT(far[0].Compare(far[1]), 0);
    EXPECT_LT(far[1].Compare(far[0]), 0);
}

TEST(SortedArrayTest, SortsByOwnCompare)
{
    std::vector<CMarkerData> markers = MarkersWithPlacements({5, 0, 6, 2});
    SortedArray::Array_Sort(markers);
    EXPECT_EQ(Placements(markers), (std::vector<int>{0, 2, 5, 6}));

    std::vector<CMarkerData> none;
    SortedArray::Array_Sort(none);
    EXPECT_TRUE(none.empty());

    std::vector<CMarkerData> one = MarkersWithPlacements({4});
    SortedArray::Array_Sort(one);
    EXPECT_EQ(Placements(one), std::vector<int>{4});
    SortedArray::Array_Sort(one, CMarkerDataSortLocFunc());
    EXPECT_EQ(Placements(one), std::vector<int>{4});
}

TEST(SortedArrayTest, TenItemsAreSortedStablyElevenAreNot)
{
    // Up to ten items the bubble sort keeps equal items in pick-up order.
    std::vector<CMarkerData> ten = MarkersWithPlacements({1, 1, 1, 1, 1, 0, 0, 0, 0, 0});
    SortedArray::Array_Sort(ten);
    EXPECT_EQ(Tags(ten), (std::vector<int>{5, 6, 7, 8, 9, 0, 1, 2, 3, 4}));

    std::vector<CMarkerData> tenEqual = MarkersWithPlacements(std::vector<int>(10, 3));
    SortedArray::Array_Sort(tenEqual);
    EXPECT_EQ(Tags(tenEqual), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));

    // From eleven on the partition sort moves equal items: this exact order is
    // what the partition steps give, and stored expectations depend on it.
    std::vector<CMarkerData> eleven = MarkersWithPlacements({1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0});
    SortedArray::Array_Sort(eleven);
    EXPECT_EQ(Tags(eleven), (std::vector<int>{9, 8, 7, 6, 10, 3, 2, 1, 0, 4, 5}));
}

TEST(SortedArrayTest, ClassificationReturnsTheSplitBeforeAPivotThatEndsLast)
{
    // Pivot (index 2, placement 9) is the largest: it ends at hi, so the split is hi - 1.
    std::vector<CMarkerData> markers = MarkersWithPlacements({3, 1, 9, 2, 4});
    EXPECT_EQ(SortedArray::classification(markers, 0, 4), 3);
    EXPECT_EQ(markers[4].Placement, 9);

    // Pivot 1 (index 2) is the smallest: it ends at the front and the split is there.
    std::vector<CMarkerData> small = MarkersWithPlacements({3, 5, 1, 2, 4});
    EXPECT_EQ(SortedArray::classification(small, 0, 4), 0);
    EXPECT_EQ(small[0].Placement, 1);
}

TEST(SortedArrayTest, RoutinesSortOnlyTheirRange)
{
    std::vector<CMarkerData> markers = MarkersWithPlacements({9, 4, 3, 2, 1, 0});
    SortedArray::Array_BubbleSort(markers, 1, 4);
    EXPECT_EQ(Placements(markers), (std::vector<int>{9, 1, 2, 3, 4, 0}));

    std::vector<CMarkerData> more = MarkersWithPlacements({9, 8, 7, 6, 5, 4, 3, 2, 1, 0, -1, -2, 99});
    SortedArray::Array_QuickSort(more, 1, 11);
    EXPECT_EQ(Placements(more), (std::vector<int>{9, -2, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 99}));
}

TEST(SortedArrayTest, LargeVectorsOfEveryShapeSortCorrectly)
{
    std::mt19937 random(7);
    std::vector<std::vector<int>> shapes;
    std::vector<int> ascending(1000), descending(1000), constant(11, 4), fewValues(5000), elevenRandom(11);
    for (int i = 0; i < 1000; ++i) {
        ascending[i] = i;
        descending[i] = 1000 - i;
    }
    for (int& v : fewValues)
        v = static_cast<int>(random() % 7);
    for (int& v : elevenRandom)
        v = static_cast<int>(random() % 100) - 50;
    shapes = {ascending, descending, constant, fewValues, elevenRandom};

    for (const std::vector<int>& shape : shapes) {
        std::vector<CMarkerData> markers = MarkersWithPlacements(shape);
        SortedArray::Array_Sort(markers);
        std::vector<int> expected = shape;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(Placements(markers), expected) << "size " << shape.size();
        // Nothing lost or duplicated.
        std::vector<int> tags = Tags(markers);
        std::sort(tags.begin(), tags.end());
        for (size_t i = 0; i < tags.size(); ++i)
            ASSERT_EQ(tags[i], static_cast<int>(i));
    }
}

TEST(SortedArrayTest, SortsVectorsOfItemReferences)
{
    std::vector<CMarkerData> storage = MarkersWithPlacements({5, 0, 6, 2, 8, 1, 7, 3, 9, 4, 10, -1});
    std::vector<ISortItem*> items;
    for (CMarkerData& marker : storage)
        items.push_back(&marker);
    SortedArray::Array_Sort(items);
    for (size_t i = 0; i < items.size(); ++i)
        EXPECT_EQ(static_cast<CMarkerData*>(items[i])->Placement, static_cast<int>(i) - 1);
}

TEST(MarkerDataSortLocFuncTest, OrdersByLowerEndThenLongestFirst)
{
    const CMarkerDataSortLocFunc byLocation;
    struct Case {
        CMarkerData a, b;
        int sign;   // sign of Compare(a, b)
    } cases[] = {
        {Located(100, 50), Located(40, 200), 1},   // lower ends 50 and 40
        {Located(10, 30), Located(30, 10), 0},     // same interval, either way round
        {Located(10, 30), Located(10, 90), 1},     // same lower end, b reaches further
        {Located(10, 90), Located(10, 30), -1},
        {Located(25, 25), Located(25, 26), 1},     // a point has that value as both ends
        {Located(25, 25), Located(24, 24), 1},
        {Located(INT32_MIN, 0), Located(INT32_MAX, 0), -1},   // no wrap on far-apart ends
    };
    for (const Case& c : cases) {
        const int result = byLocation.Compare(c.a, c.b);
        EXPECT_EQ((result > 0) - (result < 0), c.sign)
            << c.a.StartLocation << ".." << c.a.EndLocation << " vs " << c.b.StartLocation << ".." << c.b.EndLocation;
    }
    EXPECT_EQ(byLocation.Compare(Located(100, 50), Located(40, 200)), 10);
    EXPECT_EQ(byLocation.Compare(Located(10, 30), Located(10, 90)), 60);
}

TEST(MarkerDataSortLocFuncTest, SortsManyMarkersByLocation)
{
    std::mt19937 random(11);
    std::vector<CMarkerData> markers;
    for (int i = 0; i < 3000; ++i) {
        const int start = static_cast<int>(random() % 500);
        const int end = static_cast<int>(random() % 500);
        markers.push_back(Located(start, end));
    }
    SortedArray::Array_Sort(markers, CMarkerDataSortLocFunc());
    for (size_t i = 1; i < markers.size(); ++i) {
        const CMarkerData& prev = markers[i - 1];
        const CMarkerData& cur = markers[i];
        ASSERT_LE(prev.LowLocation(), cur.LowLocation()) << i;
        if (prev.LowLocation() == cur.LowLocation()) {
            ASSERT_GE(prev.HighLocation(), cur.HighLocation()) << i;
        }
    }

    // Small vectors go through the bubble sort with the comparison object, stably.
    std::vector<CMarkerData> small = {Located(100, 50), Located(40, 200), Located(30, 10), Located(10, 30)};
    small[2].Name = "first";
    small[3].Name = "second";
    SortedArray::Array_Sort(small, CMarkerDataSortLocFunc());
    EXPECT_EQ(small[0].Name, "first");
    EXPECT_EQ(small[1].Name, "second");
    EXPECT_EQ(small[2].StartLocation, 40);
    EXPECT_EQ(small[3].StartLocation, 100);
}

namespace {

// Orders markers by placement and counts how often it is asked.
class CountingPlacementOrder final : public IOtherSortFunc
{
public:
    int32_t Compare(const ISortItem& a, const ISortItem& b) const override
    {
        ++calls;
        return static_cast<const CMarkerData&>(a).Placement - static_cast<const CMarkerData&>(b).Placement;
    }
    mutable int64_t calls = 0;
};

}  // namespace

TEST(SortedArrayTest, FewDistinctKeysSortWithinNLogNComparisons)
{
    // Thirteen entries spread over five rings: long runs of few distinct keys,
    // which the plain partition steps handle in quadratic time.
    const int count = 40000;
    std::mt19937 random(3);
    std::vector<std::vector<int>> shapes(2, std::vector<int>(count));
    for (int i = 0; i < count; ++i) {
        shapes[0][i] = (i / (count / 13)) % 5;
        shapes[1][i] = static_cast<int>(random() % 5);
    }
    for (const std::vector<int>& shape : shapes) {
        std::vector<CMarkerData> markers = MarkersWithPlacements(shape);
        CountingPlacementOrder order;
        SortedArray::Array_Sort(markers, order);
        EXPECT_LT(order.calls, int64_t{100} * count);   // n log2 n is about 18 n here
        std::vector<int> expected = shape;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(Placements(markers), expected);
    }
}

TEST(SortedArrayTest, VectorAlreadyInOrderIsLeftExactlyAsItIs)
{
    // Equal items in order keep their places, as a full pass of either routine would leave them.
    std::vector<int> placements;
    for (int ring = 0; ring < 5; ++ring)
        placements.insert(placements.end(), 1000, ring);
    std::vector<CMarkerData> markers = MarkersWithPlacements(placements);
    SortedArray::Array_Sort(markers);
    std::vector<int> tags = Tags(markers);
    for (size_t i = 0; i < tags.size(); ++i)
        ASSERT_EQ(tags[i], static_cast<int>(i));
}
