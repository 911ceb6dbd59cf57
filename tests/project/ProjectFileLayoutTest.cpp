#include "ProjectTestSupport.h"

#include "project/MProjectFile.h"

#include <QCryptographicHash>

#include <gtest/gtest.h>

using namespace ProjectTestSupport;

namespace {

// Expected bytes, written out field by field in the documented order.
class Bytes
{
public:
    Bytes& Int(qint32 value)
    {
        char raw[4];
        qToLittleEndian(value, raw);
        mBytes.append(raw, 4);
        return *this;
    }
    Bytes& Bool(bool value)
    {
        mBytes.append(char(value ? 1 : 0));
        return *this;
    }
    Bytes& Utf8(const QString& text)
    {
        const QByteArray utf8 = text.toUtf8();
        Int(qint32(utf8.size()));
        mBytes += utf8;
        return *this;
    }
    Bytes& Binary(const QByteArray& bytes)
    {
        Int(qint32(bytes.size()));
        mBytes += bytes;
        return *this;
    }
    Bytes& Cell(const QByteArray& utf8)
    {
        mBytes.append(char(utf8.size()));
        mBytes += utf8;
        return *this;
    }
    Bytes& Raw(const QByteArray& bytes)
    {
        mBytes += bytes;
        return *this;
    }
    Bytes& Block(const char* tag, const Bytes& body)
    {
        Int(4);
        mBytes += tag;
        Int(qint32(body.mBytes.size()));
        mBytes += body.mBytes;
        return *this;
    }
    const QByteArray& Data() const { return mBytes; }

private:
    QByteArray mBytes;
};

TEST(ProjectFileLayout, EmptyProjectBlockAndFrame)
{
    CProject project;
    for (int i = 0; i < 7; ++i)
        project.NextFileNumber();
    project.NextNewCircleViewNumber();
    project.NextNewCircleViewNumber();

    const QByteArray expected =
        Bytes().Block("proj", Bytes().Int(0).Int(0).Int(7).Int(2).Int(0).Int(0)).Data();
    EXPECT_EQ(SaveContent(project).toHex(' '), expected.toHex(' '));

    // The whole file: tag field, content length, content, MD5 of the fixed
    // prefix and the content.
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    ASSERT_EQ(MProjectFile::SaveTo(project, buffer), QString());
    const QByteArray digest = QCryptographicHash::hash("KELMORT.QU.VZ" + expected, QCryptographicHash::Md5);
    const QByteArray file = Bytes().Int(4).Raw("KYQL").Int(qint32(expected.size())).Raw(expected).Raw(digest).Data();
    EXPECT_EQ(buffer.data().toHex(' '), file.toHex(' '));

    // Read back: empty, unmodified, same counters; the next file gets 7.
    buffer.seek(0);
    std::unique_ptr<CProject> restored;
    ASSERT_EQ(MProjectFile::RestoreFrom(buffer, restored), QString());
    ASSERT_TRUE(restored);
    EXPECT_EQ(restored->FileCount(), 0);
    EXPECT_EQ(restored->ViewCount(), 0);
    EXPECT_FALSE(restored->Modified());
    EXPECT_EQ(restored->NextNewCircleViewNumber(), 2);
    EXPECT_EQ(restored->NextNewLinearViewNumber(), 0);
    EXPECT_EQ(restored->NextFileNumber(), 7);
}

TEST(ProjectFileLayout, ProjectWithDataFileAndBothViewKinds)
{
    QTemporaryDir dir;
    const QString path = WriteTextFile(dir, QStringLiteral("tiny.tsv"), "a\tb\tc\n1\t2\tx\n");
    CProject project;
    project.AddImportedFile(LoadDataFile(path, {0, 1, 2, -1, -1}));
    CFileData* file = project.File(0);

    auto circle = std::make_unique<CCircleViewConfig>(QStringLiteral("Map"));
    circle->Add(file, QStringLiteral("x"), QStringLiteral("X legend"), 2, 0xFF8000);
    circle->SetGenomeLength(5000);
    circle->SetPageWidth(612);
    circle->SetPageHeight(792);
    circle->SetDrawScale(false);
    circle->SetScaleDivides(7);
    circle->SetScaleLength(250000);
    circle->SetScaleType(1);
    const QByteArray circleSetting = circle->PrinterSetting();
    auto linear = std::make_unique<CLinearViewConfig>(QStringLiteral("Row"));
    linear->Add(file, QStringLiteral("x"), QString(), CLinearViewConfig::kBottom, CLinearViewConfig::kArrow, 0x123456);
    linear->SetDrawTitle(false);
    linear->SetGenomeLength(3000);
    linear->SetPageWidth(595);
    linear->SetPageHeight(842);
    linear->SetDrawMarkerNames(false);
    linear->SetStartLocate(100);
    linear->SetEndLocate(-1);
    linear->SetScale(500);
    linear->SetMinimumRankCount(4);
    linear->SetMaximumRankCount(9);
    const QByteArray linearSetting = linear->PrinterSetting();
    project.AddView(std::move(circle));
    project.AddView(std::move(linear));

    const Bytes table = Bytes()
                            .Int(0)
                            .Int(2)
                            .Block("trec", Bytes().Int(0).Int(3).Cell("a").Cell("b").Cell("c"))
                            .Block("trec", Bytes().Int(0).Int(3).Cell("1").Cell("2").Cell("x"))
                            .Int(2)
                            .Int(2)
                            .Int(8);
    const Bytes fileData = Bytes()
                               .Int(0)
                               .Utf8(QStringLiteral("tiny.tsv"))
                               .Utf8(file->DirPath())
                               .Int(0)      // file number
                               .Bool(true)  // heading
                               .Int(1)      // tab separated
                               .Block("tble", table)
                               .Int(-1)
                               .Int(-1)
                               .Int(-1)  // column types not worked out yet
                               .Int(0)
                               .Utf8(QStringLiteral("a"))
                               .Int(1)
                               .Utf8(QStringLiteral("b"))
                               .Int(2)
                               .Utf8(QStringLiteral("c"))
                               .Int(-1)
                               .Utf8(QString())
                               .Int(-1)
                               .Utf8(QString())
                               .Int(0);  // bp
    const Bytes circleView = Bytes()
                                 .Int(0)
                                 .Int(1)
                                 .Utf8(QStringLiteral("x"))
                                 .Raw(QByteArray::fromHex("0080FF00"))  // red FF, green 80, blue 00
                                 .Int(0)
                                 .Utf8(QStringLiteral("X legend"))
                                 .Int(2)
                                 .Bool(true)  // legend
                                 .Bool(true)  // title
                                 .Int(5000)
                                 .Utf8(QStringLiteral("Legend"))
                                 .Int(0)  // bp
                                 .Int(2)  // largest location
                                 .Int(792)
                                 .Int(612)
                                 .Binary(circleSetting)
                                 .Utf8(QStringLiteral("Map"));
    const Bytes linearView = Bytes()
                                 .Int(0)
                                 .Int(1)
                                 .Utf8(QStringLiteral("x"))
                                 .Raw(QByteArray::fromHex("56341200"))
                                 .Int(0)
                                 .Utf8(QString())
                                 .Int(CLinearViewConfig::kBottom + CLinearViewConfig::kArrow * 4)
                                 .Bool(true)
                                 .Bool(false)
                                 .Int(3000)
                                 .Utf8(QStringLiteral("Legend"))
                                 .Int(0)
                                 .Int(2)
                                 .Int(842)
                                 .Int(595)
                                 .Binary(linearSetting)
                                 .Utf8(QStringLiteral("Row"));
    const Bytes expected =
        Bytes().Block("proj", Bytes()
                                  .Int(0)
                                  .Int(1)
                                  .Block("fdat", fileData)
                                  .Int(1)  // selected
                                  .Int(1)  // next file number
                                  .Int(0)
                                  .Int(0)
                                  .Int(2)
                                  .Utf8(QStringLiteral("C"))
                                  .Block("vcir", Bytes()
                                                     .Int(0)
                                                     .Block("view", circleView)
                                                     .Bool(false)
                                                     .Int(7)
                                                     .Int(250000)
                                                     .Int(1))
                                  .Utf8(QStringLiteral("L"))
                                  .Block("vlin", Bytes()
                                                     .Int(0)
                                                     .Block("view", linearView)
                                                     .Bool(false)  // no picture built yet
                                                     .Bool(false)
                                                     .Int(-1)
                                                     .Int(500)
                                                     .Int(100)
                                                     .Int(4)
                                                     .Int(9)));
    EXPECT_TRUE(project.Modified());
    EXPECT_EQ(SaveContent(project).toHex(' '), expected.Data().toHex(' '));
    EXPECT_FALSE(project.Modified());
}

}  // namespace
