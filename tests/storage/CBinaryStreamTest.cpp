#include "storage/CBinaryStream.h"

#include "tests/storage/MemoryStream.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

using StorageTest::Hex;

TEST(CBinaryStream, IntegersFollowTheSelectedByteOrder)
{
    struct Case {
        bool littleEndian;
        qint32 value;
        const char* bytes;
    };
    const Case cases[] = {
        {true, 0x12345678, "78563412"},
        {false, 0x12345678, "12345678"},
        {true, -2, "feffffff"},
        {false, -2, "fffffffe"},
        {false, std::numeric_limits<qint32>::min(), "80000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        QByteArray data;
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadWrite);
        CBinaryStream stream(&buffer);
        stream.SetLittleEndian(c.littleEndian);
        stream.WriteInt32(c.value);
        ASSERT_TRUE(stream.Flush());
        EXPECT_EQ(data, Hex(c.bytes));
        stream.SetPosition(0);
        EXPECT_EQ(stream.ReadInt32(), c.value);
        EXPECT_FALSE(stream.Error());
    }
}

TEST(CBinaryStream, BytesAndBooleansRoundTrip)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadWrite);
    CBinaryStream stream(&buffer);
    stream.WriteBoolean(true);
    stream.WriteBoolean(false);
    stream.WriteUInt8(0xAB);
    stream.WriteBytes(QByteArray("xyz"));
    ASSERT_TRUE(stream.Flush());
    EXPECT_EQ(data, Hex("0100ab78797a"));
    EXPECT_EQ(stream.Length(), 6);
    EXPECT_EQ(stream.Position(), 6);

    stream.SetPosition(0);
    EXPECT_TRUE(stream.ReadBoolean());
    EXPECT_FALSE(stream.ReadBoolean());
    EXPECT_EQ(stream.ReadUInt8(), 0xAB);
    EXPECT_EQ(stream.ReadBytes(3), QByteArray("xyz"));
    EXPECT_TRUE(stream.AtEnd());
    EXPECT_FALSE(stream.Error());
}

TEST(CBinaryStream, ShortReadSetsAStickyErrorAndLaterReadsGiveZeros)
{
    QByteArray data = Hex("0000000501020304");
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    CBinaryStream stream(&buffer);
    EXPECT_EQ(stream.ReadInt32(), 5);
    EXPECT_EQ(stream.ReadBytes(5), QByteArray());  // only 4 left
    EXPECT_TRUE(stream.Error());
    // The failed read consumed nothing, yet the error stays and reads give zeros.
    EXPECT_EQ(stream.Position(), 4);
    EXPECT_EQ(stream.ReadInt32(), 0);
    EXPECT_EQ(stream.ReadUInt8(), 0);
    EXPECT_TRUE(stream.Error());
}

TEST(CBinaryStream, HugeByteCountFailsWithoutAllocating)
{
    QByteArray data = Hex("00");
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    CBinaryStream stream(&buffer);
    EXPECT_TRUE(stream.ReadBytes(std::numeric_limits<qint64>::max()).isEmpty());
    EXPECT_TRUE(stream.Error());
}

TEST(CBinaryStream, FailedWriteSetsTheErrorFlag)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    CBinaryStream stream(&buffer);
    stream.WriteInt32(1);
    EXPECT_TRUE(stream.Error());
    EXPECT_TRUE(data.isEmpty());
}

TEST(CBinaryStream, SeekOutsideTheDeviceOrBeforeItsStartIsAnError)
{
    QByteArray data = Hex("0102");
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    CBinaryStream stream(&buffer);
    EXPECT_FALSE(stream.SetPosition(-1));
    EXPECT_TRUE(stream.Error());
}

TEST(CBinaryStream, BytesLeftStopsAtTheReadLimit)
{
    QByteArray data(10, '\0');
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    CBinaryStream stream(&buffer);
    stream.SetPosition(2);
    EXPECT_EQ(stream.BytesLeft(), 8);
    stream.SetReadLimit(6);
    EXPECT_EQ(stream.BytesLeft(), 4);
    EXPECT_TRUE(stream.FitsInBytesLeft(4));
    EXPECT_TRUE(stream.FitsInBytesLeft(2, 2));
    EXPECT_FALSE(stream.FitsInBytesLeft(5));
    EXPECT_FALSE(stream.FitsInBytesLeft(3, 2));
    EXPECT_FALSE(stream.FitsInBytesLeft(-1));
    // Huge counts must not overflow into "fits".
    EXPECT_FALSE(stream.FitsInBytesLeft(std::numeric_limits<qint64>::max() / 2, 4));
    stream.SetPosition(8);  // a reader that overran its block has nothing left
    EXPECT_EQ(stream.BytesLeft(), 0);
    stream.SetReadLimit(-1);
    EXPECT_EQ(stream.BytesLeft(), 2);
}

TEST(CBinaryStream, WorksOnAFileOpenForReadingAndWriting)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile file(dir.filePath("stream.bin"));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    CBinaryStream stream(&file);
    stream.SetLittleEndian(true);
    stream.WriteInt32(0);
    stream.WriteInt32(7);
    stream.SetPosition(0);
    stream.WriteInt32(3);  // overwrite in place, as block lengths are patched
    stream.SetPosition(0);
    EXPECT_EQ(stream.ReadInt32(), 3);
    EXPECT_EQ(stream.ReadInt32(), 7);
    EXPECT_EQ(stream.Length(), 8);
    EXPECT_FALSE(stream.Error());
}

TEST(CBinaryStream, ReadsPastTheLimitAreAllowedButVisible)
{
    QByteArray data(8, '\0');
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    CBinaryStream stream(&buffer);
    EXPECT_FALSE(stream.PastReadLimit());  // no limit
    stream.SetReadLimit(3);
    stream.ReadBytes(3);
    EXPECT_FALSE(stream.PastReadLimit());
    stream.ReadUInt8();
    EXPECT_TRUE(stream.PastReadLimit());
    EXPECT_FALSE(stream.Error());
}

TEST(CBinaryStream, BufferedWritesPatchesAndReadsAgreeWithTheDevice)
{
    // Enough data to pass the stream's write flush and read chunk sizes
    // several times, with length-like patches both in pending and in
    // already flushed data, then reads of every size across chunk borders.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile file(dir.filePath("big.bin"));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));

    const int count = 900000;  // 3.6 MB of integers
    QByteArray expected(count * 4, Qt::Uninitialized);
    {
        CBinaryStream stream(&file);
        stream.SetLittleEndian(true);
        for (int i = 0; i < count; ++i) {
            stream.WriteInt32(i);
            qToLittleEndian<qint32>(i, expected.data() + 4 * i);
        }
        for (int index : {0, 1, 16383, 16384, 300000, count - 1}) {
            const qint64 back = stream.Position();
            stream.SetPosition(4 * index);
            stream.WriteInt32(-index);
            qToLittleEndian<qint32>(-index, expected.data() + 4 * index);
            stream.SetPosition(back);
        }
        EXPECT_EQ(stream.Length(), count * 4);

        // Reading back through the same stream sees everything written.
        stream.SetPosition(0);
        qint64 position = 0;
        for (qint64 size : {1, 3, 65535, 65536, 65537, 200000, 1}) {
            SCOPED_TRACE(size);
            EXPECT_EQ(stream.ReadBytes(size), expected.mid(position, size));
            position += size;
        }
        stream.SetPosition(4 * 300000);
        EXPECT_EQ(stream.ReadInt32(), -300000);
        EXPECT_FALSE(stream.Error());
    }  // destroying the stream flushes what is pending

    file.seek(0);
    EXPECT_TRUE(file.readAll() == expected);
}

TEST(CBinaryStream, ReadingIntoABufferReusesItAndRefusesWhatIsNotThere)
{
    QByteArray data = Hex("0102030405");
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    CBinaryStream stream(&buffer);

    QByteArray bytes(64, 'x');
    const char* memory = bytes.constData();
    ASSERT_TRUE(stream.ReadBytesInto(bytes, 2));
    EXPECT_EQ(bytes, Hex("0102"));
    EXPECT_EQ(bytes.constData(), memory);  // no new allocation for a smaller read
    char raw[2] = {};
    ASSERT_TRUE(stream.ReadBytes(raw, 2));
    EXPECT_EQ(QByteArray(raw, 2), Hex("0304"));

    // Only one byte is left: neither form reads it partly or allocates for the count.
    EXPECT_FALSE(stream.ReadBytesInto(bytes, std::numeric_limits<qint64>::max()));
    EXPECT_TRUE(bytes.isEmpty());
    EXPECT_TRUE(stream.Error());
    EXPECT_FALSE(stream.ReadBytes(raw, 1));
}
