#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QRawFont>
#include <QString>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

// Measures text for laying out StringShapes. One instance (Shared()) is created
// on first use and kept for the life of the program; it measures against a
// 1 x 1 scratch image so results do not depend on any screen. Not thread-safe:
// use it from the GUI thread only.
//
// Widths of plain printable ASCII text are added up from cached advances of
// single characters and of character pairs (which carry kerning), so a map of
// a million names is not shaped name by name. The sums are the very numbers
// QFontMetricsF gives: advances are whole 1/64 pixels, pairs that shape into
// one glyph are never summed, and the first measurements of every font are
// checked against QFontMetricsF, which measures everything else.
class CTextMeasure
{
public:
    static CTextMeasure& Shared();

    // The font the renderer draws and this helper measures with: `size` is in
    // scene pixels, rounded up to a whole number. "Arial" and "Helvetica" map
    // to the metric-compatible Liberation Sans so layouts match on every machine.
    static QFont MakeFont(const QString& name, double size, bool bold, bool italic, bool underline);

    void SetFont(const QString& name, double size, bool bold, bool italic, bool underline);
    // The font SetFont made current.
    const QFont& Font() const { return mFont; }
    double Width(const QString& text) const;
    // Whether widths in the current font are summed from cached advances
    // (false once a sum failed its check against QFontMetricsF).
    bool SumsAdvances() const;
    double Ascent() const;
    // Ascent plus descent.
    double LineHeight() const;
    // The pixel rows top .. bottom - 1 that `text` in the current font, drawn
    // unscaled and antialiased with its baseline at `baselineY`, puts any ink
    // in. False when not known (text other than printable ASCII, or longer
    // than the cache covers); an inkless text gives top == bottom.
    bool InkRows(const QString& text, double baselineY, int& top, int& bottom);

    // One glyph of a text as drawing it places it: the glyph of the current
    // font's raw font, its pen position from the text's start and its ink rows.
    struct GlyphPlace
    {
        quint32 glyph;
        double x;
        int inkTop;
        int inkBottom;
    };
    // The glyphs of `text` drawn with its baseline at `baselineY`, each where
    // shaping the whole text puts it, once Width(text) has been measured in
    // the current font; false where that is not known for sure (as for
    // InkRows, for characters the font itself lacks and for ligatures).
    bool PlaceGlyphs(const QString& text, double baselineY, std::vector<GlyphPlace>& places);
    // The current font as a raw font, for drawing placed glyphs.
    const QRawFont& RawFont();

private:
    struct AdvanceTable;

    CTextMeasure();
    ~CTextMeasure();
    AdvanceTable& TableFor(const QFont& font);
    // The sum of cached advances in 1/64 pixels; empty when the text must be shaped.
    std::optional<qint64> CachedWidth(const QString& text) const;
    qint32 Measure64(const QString& text) const;
    // Rows of one character's ink relative to the pixel row holding a
    // baseline that lies `sixtyFourth`/64 of a pixel below that row's top.
    std::pair<qint8, qint8> CharacterInkRows(int index, int sixtyFourth);

    QImage mScratch;
    QFont mFont;
    std::optional<QFontMetricsF> mMetrics;
    // The arguments of the last SetFont, so repeated calls cost no font building.
    QString mLastName;
    double mLastSize = -1;
    int mLastFlags = -1;
    std::vector<std::unique_ptr<AdvanceTable>> mTables;
    AdvanceTable* mTable = nullptr;
};
