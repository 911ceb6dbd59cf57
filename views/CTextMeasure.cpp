#include "views/CTextMeasure.h"

#include <QGuiApplication>

#include <cmath>

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
    QFont font = MakeFont(name, size, bold, italic, underline);
    if (mMetrics && font == mFont)
        return;
    mFont = font;
    mMetrics.emplace(mFont, &mScratch);
}

double CTextMeasure::Width(const QString& text) const
{
    Q_ASSERT(mMetrics);
    return mMetrics->horizontalAdvance(text);
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
