#include "views/CTextMeasure.h"

#include <QGlyphRun>
#include <QGuiApplication>
#include <QPainter>
#include <QTextLayout>

#include <array>
#include <climits>
#include <cmath>

namespace {

// Printable ASCII: the characters whose advances and pairs are cached.
constexpr char16_t kFirstCached = 0x20;
constexpr char16_t kLastCached = 0x7E;
constexpr int kCachedCount = kLastCached - kFirstCached + 1;
// Longer texts are rare and are shaped as a whole.
constexpr qsizetype kLongestCached = 512;
// Measurements of each font compared with QFontMetricsF before the sums are trusted alone.
constexpr int kCheckedMeasurements = 64;
constexpr qint32 kUnknown = INT_MIN;
// A pair that shapes into other than two glyphs (a ligature) cannot be summed.
constexpr qint32 kNotAdditive = INT_MIN + 1;
// Ink rows not yet found, or not representable.
constexpr qint8 kNoInkRows = INT8_MIN;
constexpr quint32 kUnknownGlyph = 0xFFFFFFFFu;

// Glyphs are placed to whole 1/64 pixels: the pixel row of a baseline and
// its 1/64 steps below that row's top.
struct BaselinePlace
{
    int row;
    int sixtyFourth;
};

BaselinePlace PlaceOfBaseline(double baselineY)
{
    double row = std::floor(baselineY);
    int sixtyFourth = int(std::lround((baselineY - row) * 64));
    if (sixtyFourth == 64) {
        row += 1;
        sixtyFourth = 0;
    }
    return {int(row), sixtyFourth};
}

}  // namespace

struct CTextMeasure::AdvanceTable
{
    QFont font;
    bool usable = true;
    int checksLeft = kCheckedMeasurements;
    std::array<qint32, kCachedCount> advance;
    // Width of the pair minus the advances of its two characters.
    std::vector<qint32> pairCorrection;
    // Per character and baseline position in 1/64 of a pixel: ink rows as CharacterInkRows gives them.
    std::vector<std::pair<qint8, qint8>> inkRows;
    std::optional<QRawFont> rawFont;
    // Glyph of each character in the raw font; kUnknownGlyph until looked up, 0 when missing.
    std::array<quint32, kCachedCount> glyph;

    explicit AdvanceTable(const QFont& f)
        : font(f), pairCorrection(size_t(kCachedCount) * kCachedCount, kUnknown),
          inkRows(size_t(kCachedCount) * 64, {kNoInkRows, kNoInkRows})
    {
        advance.fill(kUnknown);
        glyph.fill(kUnknownGlyph);
    }
};

CTextMeasure& CTextMeasure::Shared()
{
    Q_ASSERT(qGuiApp);
    // Never destroyed: font engines must not be released after the
    // application object has gone at program exit.
    static CTextMeasure* instance = new CTextMeasure;
    return *instance;
}

CTextMeasure::CTextMeasure() : mScratch(1, 1, QImage::Format_ARGB32_Premultiplied)
{
    mScratch.fill(Qt::transparent);
}

CTextMeasure::~CTextMeasure() = default;

QFont CTextMeasure::MakeFont(const QString& name, double size, bool bold, bool italic, bool underline)
{
    QFont font;
    if (name.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0
        || name.compare(QLatin1String("Helvetica"), Qt::CaseInsensitive) == 0)
        font.setFamilies({QStringLiteral("Liberation Sans"), name});
    else
        font.setFamily(name);
    const double rounded = std::ceil(size);
    font.setPixelSize(rounded >= 1 && rounded < 10000 ? int(rounded) : 1);
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    // Unhinted metrics scale linearly, so widths agree between screen, image and print.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

void CTextMeasure::SetFont(const QString& name, double size, bool bold, bool italic, bool underline)
{
    const int flags = (bold ? 1 : 0) | (italic ? 2 : 0) | (underline ? 4 : 0);
    if (mMetrics && size == mLastSize && flags == mLastFlags && name == mLastName)
        return;
    mLastName = name;
    mLastSize = size;
    mLastFlags = flags;
    QFont font = MakeFont(name, size, bold, italic, underline);
    if (mMetrics && font == mFont)
        return;
    mFont = font;
    mMetrics.emplace(mFont, &mScratch);
    mTable = &TableFor(mFont);
}

CTextMeasure::AdvanceTable& CTextMeasure::TableFor(const QFont& font)
{
    for (const auto& table : mTables) {
        if (table->font == font)
            return *table;
    }
    mTables.push_back(std::make_unique<AdvanceTable>(font));
    return *mTables.back();
}

qint32 CTextMeasure::Measure64(const QString& text) const
{
    const double scaled = mMetrics->horizontalAdvance(text) * 64;
    const double whole = std::round(scaled);
    // Font engines count in 1/64 pixels; anything else is not summed.
    if (whole != scaled || std::abs(whole) > 1e8) {
        mTable->usable = false;
        return 0;
    }
    return qint32(whole);
}

std::optional<qint64> CTextMeasure::CachedWidth(const QString& text) const
{
    AdvanceTable& table = *mTable;
    const qsizetype length = text.size();
    if (!table.usable || length == 0 || length > kLongestCached)
        return std::nullopt;
    const char16_t* chars = reinterpret_cast<const char16_t*>(text.constData());
    qint64 sum = 0;
    int previous = -1;
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t c = chars[i];
        if (c < kFirstCached || c > kLastCached)
            return std::nullopt;
        const int index = c - kFirstCached;
        qint32& advance = table.advance[size_t(index)];
        if (advance == kUnknown)
            advance = Measure64(QString(QChar(c)));
        sum += advance;
        if (previous >= 0) {
            qint32& correction = table.pairCorrection[size_t(previous) * kCachedCount + size_t(index)];
            if (correction == kUnknown) {
                const QString pair = QString(QChar(char16_t(previous + kFirstCached))) + QChar(c);
                QTextLayout layout(pair, table.font, &mScratch);
                layout.beginLayout();
                layout.createLine();
                layout.endLayout();
                qsizetype glyphs = 0;
                for (const QGlyphRun& run : layout.glyphRuns())
                    glyphs += run.glyphIndexes().size();
                correction = glyphs == 2 ? Measure64(pair) - table.advance[size_t(previous)] - advance : kNotAdditive;
            }
            if (correction == kNotAdditive)
                return std::nullopt;
            sum += correction;
        }
        previous = index;
    }
    if (!table.usable)
        return std::nullopt;
    return sum;
}

double CTextMeasure::Width(const QString& text) const
{
    Q_ASSERT(mMetrics);
    const std::optional<qint64> cached = CachedWidth(text);
    if (!cached)
        return mMetrics->horizontalAdvance(text);
    const double width = double(*cached) / 64;
    if (mTable->checksLeft > 0) {
        --mTable->checksLeft;
        const double measured = mMetrics->horizontalAdvance(text);
        if (measured != width) {
            mTable->usable = false;
            return measured;
        }
    }
    return width;
}

bool CTextMeasure::SumsAdvances() const
{
    return mTable != nullptr && mTable->usable;
}

double CTextMeasure::Ascent() const
{
    Q_ASSERT(mMetrics);
    return mMetrics->ascent();
}

double CTextMeasure::LineHeight() const
{
    Q_ASSERT(mMetrics);
    return mMetrics->ascent() + mMetrics->descent();
}

std::pair<qint8, qint8> CTextMeasure::CharacterInkRows(int index, int sixtyFourth)
{
    std::pair<qint8, qint8>& rows = mTable->inkRows[size_t(index) * 64 + size_t(sixtyFourth)];
    if (rows.first != kNoInkRows)
        return rows;
    const int size = mFont.pixelSize();
    const int margin = 2 * size + 4;
    QImage scratch(3 * size + 8, 2 * margin, QImage::Format_ARGB32_Premultiplied);
    scratch.fill(Qt::transparent);
    {
        QPainter painter(&scratch);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        painter.setFont(mFont);
        painter.setPen(QColor(0, 0, 0));
        painter.drawText(QPointF(4, margin + sixtyFourth / 64.0), QString(QChar(char16_t(index + kFirstCached))));
    }
    int top = 0;
    int bottom = 0;
    for (int y = 0; y < scratch.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(scratch.constScanLine(y));
        bool inked = false;
        for (int x = 0; x < scratch.width() && !inked; ++x)
            inked = qAlpha(line[x]) != 0;
        if (!inked)
            continue;
        if (top == bottom)
            top = y;
        bottom = y + 1;
    }
    // Ink touching the scratch's edges, or rows too far off, are not trusted.
    const bool clipped = top == 0 || bottom == scratch.height();
    if (top == bottom) {
        rows = {0, 0};
    } else if (clipped || top - margin < -120 || bottom - margin > 120) {
        rows = {kNoInkRows + 1, kNoInkRows + 1};
    } else {
        rows = {qint8(top - margin), qint8(bottom - margin)};
    }
    return rows;
}

bool CTextMeasure::InkRows(const QString& text, double baselineY, int& top, int& bottom)
{
    Q_ASSERT(mMetrics);
    const qsizetype length = text.size();
    if (!std::isfinite(baselineY) || std::abs(baselineY) > 1e9 || length > kLongestCached)
        return false;
    const auto [baseRow, sixtyFourth] = PlaceOfBaseline(baselineY);
    const char16_t* chars = reinterpret_cast<const char16_t*>(text.constData());
    int low = 0;
    int high = 0;
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t c = chars[i];
        if (c < kFirstCached || c > kLastCached)
            return false;
        const std::pair<qint8, qint8> rows = CharacterInkRows(c - kFirstCached, sixtyFourth);
        if (rows.first == kNoInkRows + 1)
            return false;
        if (rows.first == rows.second)
            continue;
        if (low == high) {
            low = rows.first;
            high = rows.second;
        } else {
            low = std::min(low, int(rows.first));
            high = std::max(high, int(rows.second));
        }
    }
    top = baseRow + low;
    bottom = baseRow + high;
    return true;
}

const QRawFont& CTextMeasure::RawFont()
{
    Q_ASSERT(mMetrics);
    if (!mTable->rawFont)
        mTable->rawFont.emplace(QRawFont::fromFont(mFont));
    return *mTable->rawFont;
}

bool CTextMeasure::PlaceGlyphs(const QString& text, double baselineY, std::vector<GlyphPlace>& places)
{
    Q_ASSERT(mMetrics);
    places.clear();
    const qsizetype length = text.size();
    if (!std::isfinite(baselineY) || std::abs(baselineY) > 1e9 || length == 0 || length > kLongestCached
        || !SumsAdvances())
        return false;
    const QRawFont& raw = RawFont();
    if (!raw.isValid())
        return false;
    const auto [row, sixtyFourth] = PlaceOfBaseline(baselineY);
    AdvanceTable& table = *mTable;
    const char16_t* chars = reinterpret_cast<const char16_t*>(text.constData());
    qint64 pen = 0;
    int previous = -1;
    places.reserve(size_t(length));
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t c = chars[i];
        if (c < kFirstCached || c > kLastCached)
            return false;
        const int index = c - kFirstCached;
        const qint32 advance = table.advance[size_t(index)];
        if (advance == kUnknown)
            return false;  // not measured: the text's width was not summed
        if (previous >= 0) {
            const qint32 correction = table.pairCorrection[size_t(previous) * kCachedCount + size_t(index)];
            if (correction == kUnknown || correction == kNotAdditive)
                return false;
            pen += correction;
        }
        quint32& glyph = table.glyph[size_t(index)];
        if (glyph == kUnknownGlyph) {
            const QChar character(c);
            quint32 found = 0;
            int count = 1;
            if (!raw.glyphIndexesForChars(&character, 1, &found, &count) || count != 1)
                found = 0;
            glyph = found;
        }
        if (glyph == 0)
            return false;
        const std::pair<qint8, qint8> rows = CharacterInkRows(index, sixtyFourth);
        if (rows.first == kNoInkRows + 1)
            return false;
        places.push_back({glyph, double(pen) / 64, row + rows.first, row + rows.second});
        pen += advance;
        previous = index;
    }
    return true;
}
