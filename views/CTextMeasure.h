#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QString>

#include <optional>

// Measures text for laying out StringShapes. One instance (Shared()) is created
// on first use and kept for the life of the program; it measures against a
// 1 x 1 scratch image so results do not depend on any screen. Not thread-safe:
// use it from the GUI thread only.
class CTextMeasure
{
public:
    static CTextMeasure& Shared();

    // The font the renderer draws and this helper measures with: `size` is in
    // scene pixels, rounded up to a whole number. "Arial" and "Helvetica" map
    // to the metric-compatible Liberation Sans so layouts match on every machine.
    static QFont MakeFont(const QString& name, double size, bool bold, bool italic, bool underline);

    void SetFont(const QString& name, double size, bool bold, bool italic, bool underline);
    double Width(const QString& text) const;
    double Ascent() const;
    // Ascent plus descent.
    double LineHeight() const;

private:
    CTextMeasure();

    QImage mScratch;
    QFont mFont;
    std::optional<QFontMetricsF> mMetrics;
};
