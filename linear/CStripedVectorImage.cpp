#include "linear/CStripedVectorImage.h"

#include "views/CSceneRenderer.h"

Group2DRef CStripedVectorImage::NewImage(int top, int height)
{
    auto group = std::make_shared<Group2D>();
    mGroup.push_back(group);
    mTop.push_back(top);
    mHeight.push_back(height);
    mLastIndex = Count() - 1;
    mLastGroup = group;
    return group;
}

size_t CStripedVectorImage::Resolve(int index) const
{
    const int resolved = index < 0 ? mLastIndex : index;
    Q_ASSERT(resolved >= 0 && resolved < Count());
    return size_t(resolved);
}

Group2DRef CStripedVectorImage::NthImage(int index) const
{
    return mGroup[Resolve(index)];
}

void CStripedVectorImage::Append(Object2DRef shape)
{
    if (mLastGroup)
        mLastGroup->Append(std::move(shape));
}

void CStripedVectorImage::Draw(QPainter& g, int x, int y, int height) const
{
    const qint64 windowBottom = qint64(y) + height;
    for (size_t i = 0; i < mGroup.size(); ++i) {
        if (mTop[i] > windowBottom)
            break;
        if (qint64(mTop[i]) + mHeight[i] >= y)
            CSceneRenderer::DrawObject(g, *mGroup[i], -x, -y);
    }
}

int CStripedVectorImage::Height(int index) const
{
    return mHeight[Resolve(index)];
}

void CStripedVectorImage::SetHeight(int index, int value)
{
    mHeight[Resolve(index)] = value;
}

void CStripedVectorImage::SetCurrent(int index)
{
    if (mGroup.empty())
        return;
    mLastIndex = index < 0 ? Count() - 1 : int(Resolve(index));
    mLastGroup = mGroup[size_t(mLastIndex)];
}

int CStripedVectorImage::Top(int index) const
{
    return mTop[Resolve(index)];
}

void CStripedVectorImage::SetTop(int index, int value)
{
    const size_t i = Resolve(index);
    const int old = mTop[i];
    if (value == old)
        return;
    mTop[i] = value;
    mGroup[i]->SetY(mGroup[i]->Y() + (double(value) - old));
}
