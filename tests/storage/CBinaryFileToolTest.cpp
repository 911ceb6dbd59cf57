#include "storage/CBinaryFileTool.h"
#include "storage/CBinaryStream.h"
#include "storage/UnsupportedFormatException.h"

#include "tests/storage/MemoryStream.h"

#include <QBuffer>
#include <QCryptographicHash>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

using StorageTest::Hex;
using StorageTest::MemoryStream;

// The 20-byte "proj" block with an 8-byte body 1, 2 (little-endian).
const char* const kProjBlock = "04000000 70726f6a 08000000 01000000 02000000";

QByteArray WriteFrame(const QString& tag, const QByteArray& content, bool littleEndian = true)
{
    MemoryStream m({}, littleEndian);
    CBinaryFileTool tool(*m.stream, CBinaryFileTool::WriteMode);
    EXPECT_TRUE(tool.BeginFile(tag));
    m.stream->WriteBytes(content);
    EXPECT_EQ(tool.EndFile(), content.size());
    return m.Data();
}

}  // namespace

TEST(CBinaryFileTool, WritesATaggedBlockWithItsBodyLength)
{
    MemoryStream m;
    CBinaryFileTool tool(*m.stream, CBinaryFileTool::WriteMode);
    ASSERT_TRUE(tool.BeginBlock("proj"));
    m.stream->WriteInt32(1);
    m.stream->WriteInt32(2);
    EXPECT_EQ(tool.EndBlock(), 8);
    EXPECT_EQ(m.Data(), Hex(kProjBlock));
    EXPECT_EQ(m.stream->Position(), 20);  // after the block, ready for the next field
}

TEST(CBinaryFileTool, BlockWithoutTagHasNoTagField)
{
    MemoryStream m({}, false);
    CBinaryFileTool tool(*m.stream, CBinaryFileTool::WriteMode);
    ASSERT_TRUE(tool.BeginBlock(QString()));
    m.stream->WriteUInt8(7);
    EXPECT_EQ(tool.EndBlock(), 1);
    EXPECT_EQ(m.Data(), Hex("00000001 07"));
}

TEST(CBinaryFileTool, ReadingABlockReportsHowMuchOfTheBodyWasConsumed)
{
    struct Case {
        int intsRead;
        qint32 endResult;
    };
    for (const Case& c : {Case{2, 0}, Case{1, -4}, Case{0, -8}, Case{3, 4}}) {
        SCOPED_TRACE(c.intsRead);
        MemoryStream m(Hex(kProjBlock) + Hex("2a000000"));
        CBinaryFileTool tool(*m.stream, CBinaryFileTool::ReadMode);
        ASSERT_TRUE(tool.BeginBlock("proj"));
        for (int i = 0; i < c.intsRead; ++i)
            m.stream->ReadInt32();
        EXPECT_EQ(tool.EndBlock(), c.endResult);
        // Whatever the reader consumed, the stream continues after the block.
        EXPECT_EQ(m.stream->ReadInt32(), 42);
        EXPECT_FALSE(m.stream->Error());
    }
}

TEST(CBinaryFileTool, DamagedOrForeignBlockHeadersAreRefused)
{
    struct Case {
        const char* name;
        QString tag;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"tag in capitals", "PROJ", Hex(kProjBlock)},
        {"other tag", "tble", Hex(kProjBlock)},
        {"tag length differs", "proj", Hex("05000000 70726f6a00 08000000 0100000002000000")},
        {"huge tag length", "proj", Hex("ffffff7f 70726f6a")},
        {"negative tag length", "proj", Hex("ffffffff 70726f6a")},
        {"truncated in the tag", "proj", Hex("04000000 7072")},
        {"truncated in the length", "proj", Hex("04000000 70726f6a 0800")},
        {"negative body length", "proj", Hex("04000000 70726f6a f8ffffff 01000000 02000000")},
        {"body longer than the stream", "proj", Hex("04000000 70726f6a 09000000 01000000 02000000")},
        {"huge body length", "proj", Hex("04000000 70726f6a ffffff7f 01000000")},
        {"empty stream", "proj", QByteArray()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryStream m(c.bytes);
        CBinaryFileTool tool(*m.stream, CBinaryFileTool::ReadMode);
        EXPECT_FALSE(tool.BeginBlock(c.tag));
        EXPECT_EQ(m.stream->ReadLimit(), -1);  // a refused block sets no limit
    }
}

TEST(CBinaryFileTool, NestedBlockMustFitInItsEnclosingBlock)
{
    // outer "a" block of 12 bytes holding an inner "b" block that claims 8
    // bytes of body although only 3 are left in the outer block; the
    // stream itself has enough bytes after it.
    const QByteArray bytes = Hex("01000000 61 0c000000 01000000 62 08000000 010203")
                             + Hex("0000000000000000");
    MemoryStream m(bytes);
    CBinaryFileTool outer(*m.stream, CBinaryFileTool::ReadMode);
    ASSERT_TRUE(outer.BeginBlock("a"));
    EXPECT_EQ(m.stream->BytesLeft(), 12);
    {
        CBinaryFileTool inner(*m.stream, CBinaryFileTool::ReadMode);
        EXPECT_FALSE(inner.BeginBlock("b"));
    }
    EXPECT_EQ(m.stream->ReadLimit(), 5 + 4 + 12);
}

TEST(CBinaryFileTool, ReadLimitFollowsTheOpenBlocksAndIsRestoredOnExit)
{
    // outer "a" (body: int, inner "b" with one int, int), then a trailing int
    MemoryStream m;
    {
        CBinaryFileTool outer(*m.stream, CBinaryFileTool::WriteMode);
        outer.BeginBlock("a");
        m.stream->WriteInt32(1);
        CBinaryFileTool inner(*m.stream, CBinaryFileTool::WriteMode);
        inner.BeginBlock("b");
        m.stream->WriteInt32(2);
        EXPECT_EQ(inner.EndBlock(), 4);
        m.stream->WriteInt32(3);
        EXPECT_EQ(outer.EndBlock(), 4 + 13 + 4);
        m.stream->WriteInt32(4);
    }
    m.stream->SetPosition(0);

    CBinaryFileTool outer(*m.stream, CBinaryFileTool::ReadMode);
    ASSERT_TRUE(outer.BeginBlock("a"));
    const qint64 outerEnd = m.stream->ReadLimit();
    EXPECT_EQ(outerEnd, m.Data().size() - 4);
    EXPECT_EQ(m.stream->ReadInt32(), 1);
    {
        // A reader that gives up without EndBlock still hands the enclosing
        // limit back when its tool goes away.
        CBinaryFileTool inner(*m.stream, CBinaryFileTool::ReadMode);
        ASSERT_TRUE(inner.BeginBlock("b"));
        EXPECT_EQ(m.stream->BytesLeft(), 4);
    }
    EXPECT_EQ(m.stream->ReadLimit(), outerEnd);
    m.stream->SetPosition(5 + 4 + 4 + 5 + 4 + 4);  // past the inner block
    EXPECT_EQ(m.stream->ReadInt32(), 3);
    EXPECT_EQ(outer.EndBlock(), 0);
    EXPECT_EQ(m.stream->ReadLimit(), -1);
    EXPECT_EQ(m.stream->ReadInt32(), 4);
}

TEST(CBinaryFileTool, FrameWithEmptyContentHoldsTheDigestOfThePrefixAlone)
{
    EXPECT_EQ(WriteFrame("KYQL", QByteArray()),
              Hex("04000000 4b59514c 00000000 e47443dd1d6aa010899aa246edf349b7"));
    // Big-endian frame with content: only the integers change order.
    EXPECT_EQ(WriteFrame("pref", Hex("010203"), false),
              Hex("00000004 70726566 00000003 010203 f88be030bea6b1b57d831e1c1b885a04"));
}

TEST(CBinaryFileTool, ReadingAFrameVerifiesTheDigestAndStopsAtTheContent)
{
    const QByteArray content = Hex("0500000068656c6c6f");
    MemoryStream m(WriteFrame("KYQL", content) + Hex("ee"));
    CBinaryFileTool tool(*m.stream, CBinaryFileTool::ReadMode);
    ASSERT_TRUE(tool.BeginFile("KYQL"));
    EXPECT_EQ(m.stream->Position(), 12);
    EXPECT_EQ(m.stream->BytesLeft(), content.size());
    EXPECT_EQ(m.stream->ReadBytes(content.size()), content);
    EXPECT_EQ(tool.EndFile(), 0);
    EXPECT_EQ(m.stream->ReadUInt8(), 0xee);  // past the digest
    EXPECT_EQ(m.stream->ReadLimit(), -1);

    MemoryStream partly(WriteFrame("KYQL", content));
    CBinaryFileTool partTool(*partly.stream, CBinaryFileTool::ReadMode);
    ASSERT_TRUE(partTool.BeginFile("KYQL"));
    partly.stream->ReadInt32();
    EXPECT_EQ(partTool.EndFile(), 4 - content.size());
    EXPECT_TRUE(partly.stream->AtEnd());
}

TEST(CBinaryFileTool, AFrameReadUncheckedStillKeepsToItsBounds)
{
    const QByteArray content = Hex("0500000068656c6c6f");
    QByteArray damaged = WriteFrame("KYQL", content) + Hex("ee");
    damaged[14] = 'X';  // a content byte: the digest no longer matches
    MemoryStream m(damaged);
    CBinaryFileTool tool(*m.stream, CBinaryFileTool::ReadMode);
    ASSERT_TRUE(tool.BeginFile("KYQL", CBinaryFileTool::Digest::LeaveUnchecked));
    EXPECT_EQ(m.stream->Position(), 12);
    EXPECT_EQ(m.stream->BytesLeft(), content.size());
    m.stream->ReadInt32();
    EXPECT_EQ(tool.EndFile(), 4 - content.size());
    EXPECT_EQ(m.stream->ReadUInt8(), 0xee);  // past the digest
    EXPECT_EQ(m.stream->ReadLimit(), -1);

    // The tag and a length that does not fit are still refused.
    MemoryStream otherTag(damaged);
    EXPECT_FALSE(CBinaryFileTool(*otherTag.stream, CBinaryFileTool::ReadMode)
                     .BeginFile("PREF", CBinaryFileTool::Digest::LeaveUnchecked));
    MemoryStream cut(damaged.left(damaged.size() - 2));
    EXPECT_FALSE(CBinaryFileTool(*cut.stream, CBinaryFileTool::ReadMode)
                     .BeginFile("KYQL", CBinaryFileTool::Digest::LeaveUnchecked));
}

TEST(CBinaryFileTool, AnyChangedOrMissingByteOfAFrameIsRefused)
{
    const QByteArray frame = WriteFrame("KYQL", Hex("0102030405060708090a"));
    for (qsizetype i = 0; i < frame.size(); ++i) {
        SCOPED_TRACE(i);
        QByteArray flipped = frame;
        flipped[i] = static_cast<char>(flipped[i] ^ 0x01);
        MemoryStream m(flipped);
        CBinaryFileTool tool(*m.stream, CBinaryFileTool::ReadMode);
        EXPECT_FALSE(tool.BeginFile("KYQL"));

        MemoryStream cut(frame.left(i));
        CBinaryFileTool cutTool(*cut.stream, CBinaryFileTool::ReadMode);
        EXPECT_FALSE(cutTool.BeginFile("KYQL"));
    }
}

TEST(CBinaryFileTool, HostileFrameLengthsAreRefusedWithoutReading)
{
    for (const char* length : {"ffffff7f", "ffffffff", "00000080", "0b000000"}) {
        SCOPED_TRACE(length);
        // "0b000000": one byte more than the content, so the digest is short
        MemoryStream m(Hex("04000000 4b59514c") + Hex(length) + Hex("00112233445566778899")
                       + QByteArray(16, '\0'));
        CBinaryFileTool tool(*m.stream, CBinaryFileTool::ReadMode);
        EXPECT_FALSE(tool.BeginFile("KYQL"));
    }
}

TEST(CBinaryFileTool, DigestOverLongContentEqualsASinglePass)
{
    for (int size : {4095, 4096, 4097, 3 * 4096 + 17}) {
        SCOPED_TRACE(size);
        QByteArray content(size, Qt::Uninitialized);
        for (int i = 0; i < size; ++i)
            content[i] = static_cast<char>(i * 7 + i / 256);
        MemoryStream m(content);
        CBinaryFileTool tool(*m.stream, CBinaryFileTool::ReadMode);
        EXPECT_EQ(tool.CalcMD5(size),
                  QCryptographicHash::hash("KELMORT.QU.VZ" + content, QCryptographicHash::Md5));
        EXPECT_TRUE(m.stream->AtEnd());
        EXPECT_FALSE(m.stream->Error());

        // A stream that ends early yields the digest of what was there.
        m.stream->SetPosition(0);
        EXPECT_EQ(tool.CalcMD5(size + 100),
                  QCryptographicHash::hash("KELMORT.QU.VZ" + content, QCryptographicHash::Md5));
    }
}

TEST(CBinaryFileTool, FrameHeaderThatCannotBeWrittenIsReported)
{
    QByteArray data;
    QBuffer readOnly(&data);
    readOnly.open(QIODevice::ReadOnly);
    CBinaryStream stream(&readOnly);
    CBinaryFileTool tool(stream, CBinaryFileTool::WriteMode);
    EXPECT_FALSE(tool.BeginFile("KYQL"));
    EXPECT_EQ(CBinaryFileTool::WriteErrorMessage(CBinaryFileTool::kFrameBeginIdentifier),
              QString("WriteError") + QChar(0) + "BlockFile.00");
    EXPECT_EQ(CBinaryFileTool::ReadErrorMessage("FileData.12"),
              QString("ReadError") + QChar(0) + "FileData.12");
}

TEST(CBinaryFileTool, FrameOnAStreamThatCannotBeReadBackFailsToEnd)
{
    QByteArray data;
    QBuffer writeOnly(&data);
    writeOnly.open(QIODevice::WriteOnly);
    CBinaryStream stream(&writeOnly);
    CBinaryFileTool tool(stream, CBinaryFileTool::WriteMode);
    ASSERT_TRUE(tool.BeginFile("KYQL"));
    stream.WriteInt32(5);
    EXPECT_EQ(tool.EndFile(), -1);
}

TEST(CBinaryFileTool, DeviceThatRefusesPartOfTheFrameMakesEndFileFail)
{
    // A device that takes only the first `room` bytes, like a full disk.
    class FullDevice : public QBuffer
    {
    public:
        qint64 room = 0;

    protected:
        qint64 writeData(const char* data, qint64 length) override
        {
            if (pos() + length > room)
                return -1;
            return QBuffer::writeData(data, length);
        }
    };
    for (qint64 room : {0, 4, 12, 40}) {
        SCOPED_TRACE(room);
        FullDevice device;
        device.room = room;
        device.open(QIODevice::ReadWrite);
        CBinaryStream stream(&device);
        CBinaryFileTool tool(stream, CBinaryFileTool::WriteMode);
        tool.BeginFile("KYQL");
        stream.WriteBytes(QByteArray(30, 'c'));
        EXPECT_EQ(tool.EndFile(), -1);
    }
}

TEST(CBinaryFileTool, ToolWithAnUnknownModeRaises)
{
    MemoryStream m(Hex(kProjBlock));
    CBinaryFileTool tool(*m.stream, 2);
    const std::function<void()> operations[] = {
        [&] { tool.BeginBlock("proj"); },
        [&] { tool.EndBlock(); },
        [&] { tool.BeginFile("proj"); },
        [&] { tool.EndFile(); },
    };
    for (const auto& operation : operations)
        EXPECT_THROW(operation(), UnsupportedFormatException);
    EXPECT_EQ(m.stream->Position(), 0);
}

TEST(CBinaryFileTool, TagsOfAnyLengthAndScriptRoundTripAndMustMatchExactly)
{
    // Short ASCII tags are the usual case; long and non-ASCII ones take
    // another path through the tool.
    const QString tags[] = {"trec", "x", "a tag of more than sixteen letters", QString::fromUtf8("t\xc3\xa9g")};
    for (const QString& tag : tags) {
        SCOPED_TRACE(tag.toStdString());
        MemoryStream m;
        {
            CBinaryFileTool tool(*m.stream, CBinaryFileTool::WriteMode);
            ASSERT_TRUE(tool.BeginBlock(tag));
            m.stream->WriteInt32(7);
            ASSERT_EQ(tool.EndBlock(), 4);
        }
        const QByteArray utf8 = tag.toUtf8();
        EXPECT_EQ(m.Data().mid(4, utf8.size()), utf8);

        MemoryStream read(m.Data());
        CBinaryFileTool reader(*read.stream, CBinaryFileTool::ReadMode);
        ASSERT_TRUE(reader.BeginBlock(tag));
        EXPECT_EQ(read.stream->ReadInt32(), 7);
        EXPECT_EQ(reader.EndBlock(), 0);

        // The same length with its last letter changed is another tag.
        QString other = tag;
        other[other.size() - 1] = QChar(other.at(other.size() - 1).unicode() ^ 1);
        MemoryStream wrong(m.Data());
        CBinaryFileTool refuser(*wrong.stream, CBinaryFileTool::ReadMode);
        EXPECT_FALSE(refuser.BeginBlock(other));
    }
}
