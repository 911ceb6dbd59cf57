#pragma once

#include "views/Group2D.h"

#include <vector>

class QPainter;

// A tall picture held as horizontal stripes, each a Group2D with a recorded
// top and height (y downward). Shapes are appended to the current stripe.
// Stripes are expected in order of increasing top: drawing stops at the first
// one below the window. Wherever an index is taken, a negative one means the
// current stripe; other indices must lie in 0 .. Count()-1.
class CStripedVectorImage
{
public:
    CStripedVectorImage() = default;

    // Appends an empty stripe, makes it current and returns its group.
    Group2DRef NewImage(int top, int height);
    Group2DRef NthImage(int index) const;
    int Count() const { return int(mGroup.size()); }
    // Appends to the current stripe; ignored while there is none.
    void Append(Object2DRef shape);
    // Paints the stripes meeting the band y .. y + height so that the picture
    // point (x, y) lands on the painter's origin.
    void Draw(QPainter& g, int x, int y, int height) const;
    int Height(int index) const;
    // Only the recorded number changes, not the group.
    void SetHeight(int index, int value);
    // A negative index selects the last stripe.
    void SetCurrent(int index);
    int Top(int index) const;
    // Moves the stripe's group down by the change of its recorded top.
    void SetTop(int index, int value);

    int CurrentIndex() const { return mLastIndex; }

private:
    size_t Resolve(int index) const;

    std::vector<Group2DRef> mGroup;
    std::vector<int> mTop;
    std::vector<int> mHeight;
    Group2DRef mLastGroup;
    int mLastIndex = 0;
};
