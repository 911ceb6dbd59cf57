#include "export/MPackBits.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(static_cast<char>(v));
    return out;
}

QByteArray PackOf(const QByteArray& data)
{
    return MPackBits::Pack(reinterpret_cast<const unsigned char*>(data.constData()), int(data.size()));
}

TEST(PackBitsTest, PacksRunsAndLiteralsAsPublishedExample)
{
    // The published example: AA AA AA 80 00 2A AA AA AA AA 80 00 2A 22 AA AA AA AA AA AA AA AA AA AA
    const QByteArray data = Bytes({0xAA, 0xAA, 0xAA, 0x80, 0x00, 0x2A, 0xAA, 0xAA, 0xAA, 0xAA, 0x80, 0x00,
                                   0x2A, 0x22, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA});
    const QByteArray expected = Bytes({0xFE, 0xAA, 0x02, 0x80, 0x00, 0x2A, 0xFD, 0xAA, 0x03, 0x80, 0x00,
                                       0x2A, 0x22, 0xF7, 0xAA});
    EXPECT_EQ(PackOf(data).toHex(' '), expected.toHex(' '));
}

TEST(PackBitsTest, RoundTripsAndStaysWithinWorstCase)
{
    std::mt19937 random(7);
    struct Case { const char* name; int length; int distinct; };
    // Noise (all literals), few values (mixed runs), one value (long runs),
    // and lengths at the 128-byte packet limits.
    const Case cases[] = {{"noise", 1000, 256}, {"mixed", 1000, 3}, {"flat", 1000, 1},
                          {"one", 1, 256},      {"limit", 128, 256}, {"limitPlusOne", 129, 256},
                          {"flatLimit", 129, 1}, {"pair", 2, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray data;
        std::uniform_int_distribution<int> value(0, c.distinct - 1);
        for (int i = 0; i < c.length; ++i)
            data.append(static_cast<char>(value(random)));
        const QByteArray packed = PackOf(data);
        EXPECT_LE(packed.size(), c.length + c.length / 128 + 1);
        EXPECT_EQ(MPackBits::Unpack(packed, c.length), data);
    }
}

TEST(PackBitsTest, LongRunsArePackedTightly)
{
    const QByteArray data(300, '\x07');
    // 128 + 128 + 44: three repeat packets of two bytes each.
    EXPECT_EQ(PackOf(data).size(), 6);
}

TEST(PackBitsTest, UnpackRejectsMalformedData)
{
    EXPECT_TRUE(MPackBits::Unpack(Bytes({0x02, 0x01}), 3).isEmpty());       // literal runs past the end
    EXPECT_TRUE(MPackBits::Unpack(Bytes({0xFE}), 3).isEmpty());             // repeat without its byte
    EXPECT_TRUE(MPackBits::Unpack(Bytes({0xFE, 0x05}), 2).isEmpty());       // unpacks longer than expected
    EXPECT_EQ(MPackBits::Unpack(Bytes({0x80, 0xFE, 0x05}), 3), Bytes({5, 5, 5}));  // -128 is skipped
}

}  // namespace
