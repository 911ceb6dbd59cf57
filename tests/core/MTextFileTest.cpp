#include "core/MTextFile.h"

#include "tests/core/TempDataFolder.h"

#include <gtest/gtest.h>

#include <limits>
#include <string_view>

using namespace MTextFile;

namespace {

struct SplitCase {
    const char* line;
    int type;
    int maximum;
    QStringList fields;
};

class SplitExtTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitExtTest, SplitsIntoFields)
{
    const SplitCase& c = GetParam();
    EXPECT_EQ(SplitExt(QString::fromUtf8(c.line), c.type, c.maximum), c.fields) << c.line;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitExtTest,
    ::testing::Values(
        // Tab: k tabs give k + 1 fields, adjacent tabs give empty fields.
        SplitCase{"a\tb\tc", 1, 0, {"a", "b", "c"}},
        SplitCase{"a\t\tc\t", 1, 0, {"a", "", "c", ""}},
        SplitCase{"", 1, 0, {""}},
        SplitCase{"a\tb\tc\td", 1, 2, {"a", "b"}},
        SplitCase{"a\tb", 1, 5, {"a", "b"}},
        // Tab lines have no quoting and keep commas.
        SplitCase{"\"a\tb\"\tx,y", 1, 0, {"\"a", "b\"", "x,y"}},
        // Comma: the usual CSV quoting.
        SplitCase{"1,\"x,y\",3", 2, 0, {"1", "x,y", "3"}},
        SplitCase{"1,\"x,y,z\",3", 2, 0, {"1", "x,y,z", "3"}},
        SplitCase{"1,\"x\",3", 2, 0, {"1", "x", "3"}},
        SplitCase{"\"a", 2, 0, {"a"}},
        SplitCase{"\"\",b", 2, 0, {"", "b"}},
        SplitCase{"\"say \"\"hi\"\"\",2", 2, 0, {"say \"hi\"", "2"}},
        SplitCase{"1,\"open, to the end", 2, 0, {"1", "open, to the end"}},
        SplitCase{"\"x\"y,z", 2, 0, {"xy", "z"}},
        SplitCase{"a\"b,c", 2, 0, {"a\"b", "c"}},
        SplitCase{"a,,b,", 2, 0, {"a", "", "b", ""}},
        SplitCase{"a,b,c,d", 2, 2, {"a", "b", "c", "d"}},  // no limit for commas
        SplitCase{"gène,β,🧬", 2, 0, {"gène", "β", "🧬"}},
        // Other types: the whole line.
        SplitCase{"a\tb,c", 0, 0, {"a\tb,c"}}));

TEST(SplitUtf8Test, LimitStopsCommaLinesToo)
{
    QByteArray bytes;
    std::vector<quint32> ends;
    EXPECT_EQ(SplitUtf8("a,\"b,c\",d,e", kSeparatorComma, 2, &bytes, &ends), 2);
    EXPECT_EQ(bytes, QByteArray("ab,c"));
    EXPECT_EQ(ends, (std::vector<quint32>{1, 4}));
}

TEST(CheckTypeTest, DetectsTheSeparatorFromTheFirstLine)
{
    using namespace std::string_view_literals;
    struct Case {
        std::string_view content;
        int expected;
    };
    const Case cases[] = {
        {"a\tb\tc\n1\t2\t3\n"sv, kSeparatorTab},
        {"a,b,c\n"sv, kSeparatorComma},
        {"a\tb,c,d\n"sv, kSeparatorComma},         // 2 tab fields, 4 comma fields
        {"a\tb\tc,d,e,f\n"sv, kSeparatorTab},      // tab wins over comma
        {"a,b\nx,y,z,w\n"sv, kSeparatorNone},      // only the first line counts
        {"a\tb\n"sv, kSeparatorNone},
        {""sv, kSeparatorNone},
        {"\n a,b,c\n"sv, kSeparatorNone},          // empty first line
        {"a\tb\t\0c\n"sv, kSeparatorNone},         // NUL: not text
        {"a\tb\tc\n\0\0\0"sv, kSeparatorTab},     // a NUL after the first line is not judged
        {"\xEF\xBB\xBF" "a,b,c"sv, kSeparatorComma},  // BOM, no line end
        {"\xEF\xBB\xBF"sv, kSeparatorNone},
        {"a,b\rc,d,e\r"sv, kSeparatorNone},        // CR ends the first line
        {"\"a,b\",c"sv, kSeparatorComma},          // quotes not considered here
    };
    TempDataFolder folder;
    for (const Case& c : cases) {
        const QString path = folder.Write("f.txt", QByteArray(c.content.data(), qsizetype(c.content.size())));
        EXPECT_EQ(CheckType(path, 3), c.expected) << c.content;
    }
    EXPECT_EQ(CheckType(folder.Path("missing.txt"), 3), kSeparatorNone);
    EXPECT_EQ(CheckType(folder.Folder(), 3), kSeparatorNone);
}

TEST(CheckTypeTest, ScansAHugeFirstLineWithoutKeepingIt)
{
    // 8 MB (eight read chunks) without a line end: a few separators near the end.
    TempDataFolder folder;
    QByteArray content(8 << 20, 'x');
    content[content.size() - 10] = '\t';
    content[content.size() - 5] = '\t';
    EXPECT_EQ(CheckType(folder.Write("big.txt", content), 3), kSeparatorTab);
    content[content.size() - 2] = '\0';
    EXPECT_EQ(CheckType(folder.Write("big.txt", content), 3), kSeparatorNone);
}

TEST(StringTypeTest, ClassifiesNumbersAndText)
{
    struct Case {
        const char* text;
        int expected;
    };
    const Case cases[] = {
        {"12", 2},        {"-12", 2},         {" 12 ", 2},        {"12.0", 2},
        {"1e3", 2},       {"2147483647", 2},  {"-2147483648", 2}, {"2147483648", 5},
        {"12.5", 5},      {".5", 5},          {"-1.5e-3", 5},     {"1e400", 5},
        {"abc", 8},       {"", 8},            {"12abc", 8},       {"1.2.3", 8},
        {"-", 8},         {".", 8},           {"inf", 8},         {"nan", 8},
        {"0x1F", 8},      {"1,5", 8},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StringType(QString::fromUtf8(c.text)), c.expected) << c.text;
}

TEST(LeadingIntegerTest, ReadsTheLeadingNumberTruncatedTowardZero)
{
    struct Case {
        const char* text;
        qint64 expected;
    };
    const Case cases[] = {
        {"12", 12},
        {"12.9", 12},
        {"-12.9", -12},
        {"  42abc", 42},
        {"+7", 7},
        {"abc", 0},
        {"", 0},
        {"-", 0},
        {".9", 0},
        {"1e3", 1000},
        {"0.29e2", 29},
        {"2.5E+1kb", 25},
        {"5e", 5},
        {"3095677412", 3095677412LL},
        {"99999999999999999999", std::numeric_limits<qint64>::max()},
        {"-99999999999999999999", std::numeric_limits<qint64>::min()},
        {"1e300", std::numeric_limits<qint64>::max()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LeadingInteger(QByteArrayView(c.text)), c.expected) << c.text;
        EXPECT_EQ(LeadingInteger(QStringView(QString::fromUtf8(c.text))), c.expected) << c.text;
    }
}

TEST(SplitIntegersTest, ReadsEveryPiece)
{
    EXPECT_EQ(SplitIntegers("250,230,210", ","), (QList<int>{250, 230, 210}));
    EXPECT_EQ(SplitIntegers("12.7,,x,-3", ","), (QList<int>{12, 0, 0, -3}));
    EXPECT_EQ(SplitIntegers("1; 2", ";"), (QList<int>{1, 2}));
    EXPECT_EQ(SplitIntegers("9999999999", ","), (QList<int>{std::numeric_limits<int>::max()}));
}

TEST(LocateStringTest, FormatsLocations)
{
    struct Case {
        qint64 location;
        const char* expected;
    };
    const Case cases[] = {
        {0, "0.0"},           {999, "999.0"},         {-5, "-5.0"},
        {1000, "1.0K"},       {2500, "2.5K"},         {1234, "1.234K"},
        {999999, "999.999K"}, {1000000, "1.0M"},      {1234567, "1.234567M"},
        {2500000, "2.5M"},    {249250621, "249.250621M"},
        {3095677412LL, "3095.677412M"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LocateString(c.location), QString::fromUtf8(c.expected)) << c.location;
}

TEST(IsValidUtf8Test, RejectsMalformedSequences)
{
    EXPECT_TRUE(IsValidUtf8("plain ascii text, long enough for words"));
    EXPECT_TRUE(IsValidUtf8("g\xC3\xA8ne \xF0\x9F\xA7\xAC"));
    EXPECT_FALSE(IsValidUtf8("abc\xFF"));
    EXPECT_FALSE(IsValidUtf8("\xC3"));               // cut short
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));           // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));       // surrogate
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));   // beyond U+10FFFF
    EXPECT_FALSE(IsValidUtf8("12345678\x80"));
}

}  // namespace
