#include "storage/CBinaryFileTool.h"
#include "storage/CBinaryStream.h"
#include "storage/MColorExt.h"
#include "storage/MTextFileCodec.h"

#include "tests/storage/MemoryStream.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <memory>

namespace {

using StorageTest::Hex;
using StorageTest::MemoryStream;

}  // namespace

TEST(MTextFileCodec, StringsAreWrittenAsByteLengthAndBytes)
{
    MemoryStream m;
    MTextFile::WriteUTF8(QString(), *m.stream);
    MTextFile::WriteUTF8(QString::fromUtf8("Gène"), *m.stream);
    MTextFile::WriteBinary(QByteArray(), *m.stream);
    MTextFile::WriteBinary(Hex("00ff"), *m.stream);
    EXPECT_EQ(m.Data(), Hex("00000000 05000000 47c3a86e65 00000000 02000000 00ff"));

    m.stream->SetPosition(0);
    EXPECT_EQ(MTextFile::ReadUTF8(*m.stream), QString());
    EXPECT_EQ(MTextFile::ReadUTF8(*m.stream), QString::fromUtf8("Gène"));
    EXPECT_EQ(MTextFile::ReadBinary(*m.stream), QByteArray());
    EXPECT_EQ(MTextFile::ReadBinary(*m.stream), Hex("00ff"));
    EXPECT_TRUE(m.stream->AtEnd());
    EXPECT_FALSE(m.stream->Error());
}

TEST(MTextFileCodec, DamagedLengthsReadAsEmpty)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        bool error;
    };
    const Case cases[] = {
        // A negative length is an empty string; reading goes on.
        {"negative", Hex("ffffffff 41"), false},
        {"most negative", Hex("00000080 41"), false},
        {"longer than the stream", Hex("05000000 41424344"), true},
        {"huge", Hex("ffffff7f 41"), true},
        {"truncated length", Hex("0500"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryStream text(c.bytes);
        EXPECT_EQ(MTextFile::ReadUTF8(*text.stream), QString());
        EXPECT_EQ(text.stream->Error(), c.error);
        MemoryStream bytes(c.bytes);
        EXPECT_EQ(MTextFile::ReadBinary(*bytes.stream), QByteArray());
        EXPECT_EQ(bytes.stream->Error(), c.error);
    }
}

TEST(MTextFileCodec, StringMustFitInTheBlockBeingRead)
{
    // A "b" block of 6 bytes: a string claiming 5 bytes but only 2 left in
    // the block, although the stream holds enough bytes after the block.
    MemoryStream m(Hex("01000000 62 06000000 05000000 4142 434445"));
    CBinaryFileTool tool(*m.stream, CBinaryFileTool::ReadMode);
    ASSERT_TRUE(tool.BeginBlock("b"));
    EXPECT_EQ(MTextFile::ReadUTF8(*m.stream), QString());
    EXPECT_TRUE(m.stream->Error());
}

TEST(MTextFileCodec, WritesAfterAFailedLengthAreSkipped)
{
    QByteArray data;
    QBuffer readOnly(&data);
    readOnly.open(QIODevice::ReadOnly);
    CBinaryStream stream(&readOnly);
    MTextFile::WriteUTF8("abc", stream);
    EXPECT_TRUE(stream.Error());
    EXPECT_TRUE(data.isEmpty());
}

TEST(MTextFileCodec, ShortStringsKeepWholeCharactersWithin255Bytes)
{
    struct Case {
        const char* name;
        QString text;
        qsizetype storedBytes;
        bool shortened;
    };
    const QString twoByte = QString(150, QChar(0x00E9));          // é: 300 bytes
    const QString fourByte = QString::fromUtf8("a") + QString::fromUcs4(U"\U0001F9EC").repeated(64);
    const Case cases[] = {
        {"empty", QString(), 0, false},
        {"255 ASCII bytes fit", QString(255, 'x'), 255, false},
        {"256 ASCII bytes", QString(256, 'x'), 255, true},
        {"two-byte characters", twoByte, 254, true},
        {"four-byte characters after one byte", fourByte, 253, true},  // 1 + 63 * 4
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryStream m;
        EXPECT_EQ(MTextFile::WriteShortUTF8(c.text, *m.stream), c.shortened);
        ASSERT_EQ(m.Data().size(), 1 + c.storedBytes);
        EXPECT_EQ(static_cast<unsigned char>(m.data[0]), c.storedBytes);
        m.stream->SetPosition(0);
        const QString read = MTextFile::ReadShortUTF8(*m.stream);
        EXPECT_FALSE(m.stream->Error());
        EXPECT_TRUE(c.text.startsWith(read));
        EXPECT_EQ(read.toUtf8().size(), c.storedBytes);
    }
}

TEST(MTextFileCodec, TruncatedShortStringIsAnError)
{
    MemoryStream m(Hex("05 414243"));
    EXPECT_EQ(MTextFile::ReadShortUTF8(*m.stream), QString());
    EXPECT_TRUE(m.stream->Error());
}

TEST(MColorExt, ColourIsStoredLeastSignificantByteFirstInEitherByteOrder)
{
    for (bool littleEndian : {true, false}) {
        SCOPED_TRACE(littleEndian);
        MemoryStream m({}, littleEndian);
        MColorExt::Write(0x123456, *m.stream);
        MColorExt::Write(0xFF8000, *m.stream);  // red FF, green 80, blue 00
        MColorExt::Write(0xFF00FF00, *m.stream);  // bits above the colour are not stored
        EXPECT_EQ(m.Data(), Hex("56341200 0080ff00 00ff0000"));

        m.stream->SetPosition(0);
        quint32 color = 0;
        MColorExt::Read(color, *m.stream);
        EXPECT_EQ(color, 0x123456u);
        MColorExt::Read(color, *m.stream);
        EXPECT_EQ(color, 0xFF8000u);
    }
}

TEST(MColorExt, FailedReadLeavesTheColourUnchanged)
{
    MemoryStream m(Hex("563412"));
    quint32 color = 0xABCDEF;
    MColorExt::Read(color, *m.stream);
    EXPECT_TRUE(m.stream->Error());
    EXPECT_EQ(color, 0xABCDEFu);
}
