#include "views/CTextMeasure.h"

#include <QGlyphRun>
#include <QGuiApplication>
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

}  // namespace

struct CTextMeasure::AdvanceTable
{
    QFont font;
    bool usable = true;
    int checksLeft = kCheckedMeasurements;
    std::array<qint32, kCachedCount> advance;
    // Width of the pair minus the advances of its two characters.
    std::vector<qint32> pairCorrection;

    explicit AdvanceTable(const QFont& f) : font(f), pairCorrection(size_t(kCachedCount) * kCachedCount, kUnknown)
    {
        advance.fill(kUnknown);
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
