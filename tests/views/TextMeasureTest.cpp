#include "tests/support/TestPaths.h"
#include "views/CTextMeasure.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFontMetricsF>
#include <QImage>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <vector>

namespace {

struct FontCase
{
    const char* name;
    double size;
    bool bold;
    bool italic;
    bool underline;
};

// Every field of the bundled marker files, names as maps show them, words
// that kern or form ligatures, random printable ASCII and some non-ASCII text.
QStringList SampleTexts()
{
    QStringList texts;
    for (const char* file : {"klebsiella_KL34_cds.tsv", "human_hg19_chr1_bands.tsv", "human_hg19_all_bands.csv"}) {
        QFile data(TestPaths::SampleData(QString::fromLatin1(file)));
        EXPECT_TRUE(data.open(QIODevice::ReadOnly)) << file;
        const QString text = QString::fromUtf8(data.readAll());
        texts += text.split(QRegularExpression(QStringLiteral("[\t,\r\n]")), Qt::SkipEmptyParts);
    }
    for (int i = 0; i < 300; ++i) {
        texts << QStringLiteral("gene%1").arg(i * 7919) << QStringLiteral("KP_%1").arg(i, 5, 10, QLatin1Char('0'))
              << QStringLiteral("%1bp").arg(i * 100000);
    }
    texts << QStringLiteral("AVATAR") << QStringLiteral("WAVE To.") << QStringLiteral("office ffi fl")
          << QStringLiteral("LT Yo P. r, y. \"A\" 'V'") << QStringLiteral("Ty") << QStringLiteral("  ")
          << QStringLiteral("{[(|)]}~`^") << QStringLiteral("δ-toxin") << QStringLiteral("façade")
          << QStringLiteral("tab\there") << QString(600, QLatin1Char('w'));
    QRandomGenerator random(11);
    for (int i = 0; i < 2000; ++i) {
        QString text;
        const int length = 1 + random.bounded(24);
        for (int k = 0; k < length; ++k)
            text += QChar(char16_t(0x20 + random.bounded(0x7F - 0x20)));
        texts << text;
    }
    return texts;
}

}  // namespace

// Layouts depend on these widths being exactly what the font metrics say,
// whichever way they are worked out and in whatever order fonts are used.
TEST(TextMeasure, WidthsEqualFontMetricsExactly)
{
    const FontCase fonts[] = {
        {"Arial", 10, false, false, false},          {"Arial", 15, true, false, false},
        {"Helvetica", 11.5, false, true, false},     {"Liberation Serif", 20, false, false, true},
        {"DejaVu Sans", 9, true, true, false},
    };
    QImage scratch(1, 1, QImage::Format_ARGB32_Premultiplied);
    std::vector<QFontMetricsF> metrics;
    for (const FontCase& f : fonts)
        metrics.emplace_back(CTextMeasure::MakeFont(QString::fromLatin1(f.name), f.size, f.bold, f.italic, f.underline),
                             &scratch);

    CTextMeasure& measure = CTextMeasure::Shared();
    const QStringList texts = SampleTexts();
    ASSERT_GT(texts.size(), 3000);
    int mismatches = 0;
    for (const QString& text : texts) {
        for (size_t k = 0; k < std::size(fonts); ++k) {
            const FontCase& f = fonts[k];
            measure.SetFont(QString::fromLatin1(f.name), f.size, f.bold, f.italic, f.underline);
            const double expected = metrics[k].horizontalAdvance(text);
            const double actual = measure.Width(text);
            if (actual != expected && ++mismatches <= 10)
                ADD_FAILURE() << f.name << " " << f.size << ": \"" << text.toStdString() << "\" measured " << actual
                              << ", font metrics say " << expected;
        }
    }
    EXPECT_EQ(mismatches, 0);
    // The names maps draw are summed, not shaped one by one.
    measure.SetFont(QStringLiteral("Arial"), 10, false, false, false);
    EXPECT_TRUE(measure.SumsAdvances());
}

TEST(TextMeasure, EmptyTextHasNoWidth)
{
    CTextMeasure& measure = CTextMeasure::Shared();
    measure.SetFont(QStringLiteral("Arial"), 10, false, false, false);
    EXPECT_EQ(measure.Width(QString()), 0);
}
