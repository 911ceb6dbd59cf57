#pragma once

#include "views/CViewConfig.h"

#include <vector>

// The circular map: the whole genome is one turn, location 0 at twelve
// o'clock, locations running clockwise. Entries are drawn as arcs on up to
// five rings (placements 0..4, Circle1 outermost) or as pins outward from the
// outermost ring in use (5, Pin1) or inward from the innermost (6, Pin2),
// with a scale, the title and a legend: one scene of 840 x 600.
class CCircleViewConfig : public CViewConfig
{
public:
    explicit CCircleViewConfig(const QString& name = QString());
    ~CCircleViewConfig() override;

    QString Edit(ProjectWdw* window) override;
    // The "vcir" block: the "view" block, then the scale settings.
    QString Save(CBinaryStream& io) override;
    QString Restore(CBinaryStream& io, const IProjectFiles& project) override;
    void Copy(const CViewConfig& other) override;
    bool IsEqual(const CViewConfig& other) const override;
    QString NewView(ProjectWdw* window) override;
    std::unique_ptr<CViewConfig> NewConfig() const override;
    int PlacementTypeCount() const override;
    QString PlacementTypeStr(int placement) const override;
    int32_t DefaultPlacement() const override;
    void MakeViewImage() override;
    // The circular map shows no marker names.
    bool NeedsMarkerNames() const override;
    int ViewWidth() const override;
    int ViewHeight() const override;
    void MakePreviewImage() override;
    // Also the length scale without a length above 0.
    QString SettingsProblem() const override;

    virtual void SetDrawScale(bool draw);
    virtual bool DrawScale() const;
    virtual void SetScaleType(int32_t type);
    virtual int32_t ScaleType() const;
    virtual void SetScaleDivides(int32_t divides);
    virtual int32_t ScaleDivides() const;
    virtual void SetScaleLength(int32_t length);
    virtual int32_t ScaleLength() const;
    virtual void DrawMarker();
    virtual void DrawMarkerFrame();
    virtual void DrawMarkerScale();
    virtual void DrawViewTitle();
    virtual void DrawLegendFrame();

    // Working values of the last build (map or preview).
    const std::vector<bool>& DrawFrame() const { return mDrawFrame; }
    int32_t OuterFrame() const { return mOuterFrame; }
    int32_t InnerFrame() const { return mInnerFrame; }
    const std::vector<int32_t>& ArcR() const { return mArcR; }
    const std::vector<int32_t>& PreviewArcR() const { return mPreviewArcR; }

    // Number texts of the scale: "#" is a rounded whole number without
    // grouping, "#.##" at most two decimals without trailing zeros or point.
    static QString FormatWhole(double value);
    static QString FormatTwoDecimals(double value);

    static constexpr int kCenterX = 350;
    static constexpr int kCenterY = 330;

protected:
    bool mDrawScale = true;
    int32_t mScaleType = 0;
    int32_t mScaleDivides = 10;
    int32_t mScaleLength = -1;
    std::vector<bool> mDrawFrame;
    std::vector<int32_t> mArcR;
    int32_t mOuterFrame = 0;
    int32_t mInnerFrame = 0;
    std::vector<int32_t> mPreviewArcR;

private:
    void MarkFrame(int boundary);
    // Takes restored scale settings and placements to values the wizard accepts.
    void KeepSettingsInRange();
};

