#pragma once

#include "linear/CStripedVectorImage.h"
#include "views/CViewConfig.h"

#include <memory>
#include <vector>

class IPopupMenu;

// A linear map: a range of locations cut into rows of Scale bp, each row an
// 800-unit axis with ticks, grid lines and labels. Upper markers are thin
// bars above the axis; Bottom markers are rectangles, ovals or arrows stacked
// into ranks below it. The picture is a striped image (title, legend, one
// stripe per row) so windows paint only what shows and pages break between
// rows.
//
// Each entry's placement word packs the side (bits 0-1: 0 Upper, 1 Bottom)
// and the marker type (bits 2 up: 0 Rectangle, 1 Oval, 2 Arrow).
class CLinearViewConfig : public CViewConfig
{
public:
    enum Side : int { kUpper = 0, kBottom = 1 };
    enum MarkerType : int { kRectangle = 0, kOval = 1, kArrow = 2 };

    static constexpr int kViewWidth = 840;
    static constexpr int kLeftMargin = 20;
    static constexpr int kAxisLength = 800;
    static constexpr int kFirstStripeTop = 20;
    static constexpr int kRowGap = 15;
    static constexpr int kBottomSpace = 20;
    static constexpr int kAxisY = 20;
    static constexpr int kMarkerHeight = 6;
    static constexpr RgbColor kGridColor = 0xC8C8C8;

    explicit CLinearViewConfig(const QString& name = QString());
    ~CLinearViewConfig() override;

    // The "vlin" block: the "view" block, then range, scale, name and rank
    // settings.
    QString Save(CBinaryStream& io) override;
    QString Restore(CBinaryStream& io, const IProjectFiles& project) override;

    void Copy(const CViewConfig& source) override;
    bool IsEqual(const CViewConfig& other) const override;

    virtual int Type(int index) const;
    virtual void SetDrawMarkerNames(bool value) { mDrawMarkerNames = value; }
    virtual bool DrawMarkerNames() const { return mDrawMarkerNames; }
    // Names are drawn beside Bottom markers, unless switched off or summarised.
    bool NeedsMarkerNames() const override { return mDrawMarkerNames && !SummaryView(); }
    virtual void SetStartLocate(int value) { mStart = value; }
    virtual int StartLocate() const { return mStart; }
    // Storing the data's largest location keeps the range following the data.
    virtual void SetEndLocate(int value);
    virtual int EndLocate() const;
    virtual void SetScale(int value) { mScale = value; }
    virtual int Scale() const { return mScale; }

    std::unique_ptr<CViewConfig> NewConfig() const override;

    virtual void Add(CFileData* file, const QString& className, const QString& legendName, int placement,
                     int type, RgbColor color);
    virtual void Set(int index, CFileData* file, const QString& className, const QString& legendName,
                     int placement, int type, RgbColor color);
    // A linear entry needs its marker type: these forms throw std::runtime_error.
    void Add(CFileData* file, const QString& className, const QString& legendName, int placement,
             RgbColor color) override;
    void Set(int index, CFileData* file, const QString& className, const QString& legendName, int placement,
             RgbColor color) override;

    int PlacementTypeCount() const override { return 2; }
    QString PlacementTypeStr(int index) const override;
    virtual int TypeTypeCount() const { return 3; }
    virtual QString TypeTypeStr(int index) const;
    virtual QString TypeName(int index) const;
    int32_t DefaultPlacement() const override { return kBottom; }
    // Rectangle, Oval, Arrow; the first selected.
    virtual void SetupTypePopup(IPopupMenu& popup) const;
    int32_t Placement(int index) const override;
    // The side's name: the stored word also carries the marker type.
    QString PlacementName(int index) const override;

    // Also a range that gives no rows or too many (see MLinearViewRules::RangeProblem).
    QString SettingsProblem() const override;
    void MakeViewImage() override;
    virtual void DrawViewTitle(int& y);
    virtual void DrawLegendFrame(int& y);

    int ViewWidth() const override { return kViewWidth; }
    int ViewHeight() const override { return mViewHeight; }

    virtual void DrawUpper(int x, int y, int width, RgbColor color);
    virtual int DrawBottom(int x, int y, int width, int rank, int type, int direction, const QString& name,
                           RgbColor color);
    virtual void DrawRectMarker(int left, int top, int width, int direction, RgbColor color);
    virtual void DrawEllipseMarker(int left, int top, int width, int direction, RgbColor color);
    virtual void DrawArrowMarker(int left, int top, int width, int direction, RgbColor color);

    void DrawImage(QPainter& g, int x, int y) override;

    virtual void CalcPage();
    int PageCount() const override;
    void SetPageWidth(int32_t value) override;
    void SetPageHeight(int32_t value) override;
    int32_t PageTop(int page) const override;
    // The stripes of the page themselves (not copies), in picture coordinates.
    Group2DRef GetImage(int page) const override;
    int32_t PageWidth() const override { return ViewWidth(); }
    int32_t PageHeight() const override { return mImagePageHeight; }

    void MakePreviewImage() override;

    virtual void DrawMarker();
    virtual void DrawBaseFrame(int firstRowStripe);

    bool SummaryViewAvailable() const override { return true; }

    // The picture; null until MakeViewImage has run.
    const CStripedVectorImage* StripedImage() const { return mImage.get(); }
    int MapCount() const { return mMapCount; }
    bool DrawBottomMarkers() const { return mDrawBottom; }
    const std::vector<int>& PageTopTable() const { return mPageTop; }
    int MaximumRankCount() const { return mMaximumRankCount; }
    void SetMaximumRankCount(int value) { mMaximumRankCount = value; }
    int MinimumRankCount() const { return mMinimumRankCount; }
    void SetMinimumRankCount(int value) { mMinimumRankCount = value; }

protected:
    // One marker sample of the given type; other types draw nothing.
    void DrawTypedMarker(int type, int left, int top, int width, int direction, RgbColor color);
    // -1 when the entry is Upper or its file has no direction column, else 0.
    int SampleDirection(int index, bool upperIsUndirected) const;

    bool mDrawMarkerNames = true;
    int mStart = 0;
    int mEnd = -1;
    int mScale = 100000;
    int mMapCount = 0;
    int mViewHeight = 0;
    bool mDrawBottom = false;
    std::shared_ptr<CStripedVectorImage> mImage;
    int mImagePageHeight = 0;
    std::vector<int> mPageTop;
    int mMaximumRankCount = 10;
    int mMinimumRankCount = 3;

};
