#pragma once

// Builders and byte-level tools for the project file tests: a small project
// with data files and both kinds of view, its saved "proj" block, and edits
// of that block that keep every enclosing block length consistent (so a
// damage reaches the field it aims at instead of the outermost frame).

#include "core/CFileData.h"
#include "linear/CLinearViewConfig.h"
#include "project/CProject.h"
#include "storage/CBinaryStream.h"
#include "tests/support/TestPaths.h"
#include "views/CCircleViewConfig.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

namespace ProjectTestSupport {

// A data file loaded from path with the given roles (start, end, class,
// direction, name; -1 for none), ready for CProject::AddImportedFile.
inline std::unique_ptr<CFileData> LoadDataFile(const QString& path, std::array<int, 5> roles,
                                               int unit = CFileData::kUnitBp, bool hasHeading = true)
{
    auto data = std::make_unique<CFileData>();
    data->SetFile(QFileInfo(path));
    EXPECT_EQ(data->LoadData(), QString()) << path.toStdString();
    data->SetHasHeading(hasHeading);
    for (int role = 0; role < CFileData::kRoleCount; ++role)
        data->SetConfig(role, roles[size_t(role)]);
    data->SetUnit(unit);
    return data;
}

inline QString WriteTextFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    EXPECT_EQ(file.write(bytes), bytes.size());
    return path;
}

// A circular view with every stored option away from its default.
inline std::unique_ptr<CCircleViewConfig> MakeCircleView(CFileData* file, const QString& name)
{
    auto view = std::make_unique<CCircleViewConfig>(name);
    for (int c = 0; c < file->ClassCount() && c < 7; ++c)
        view->Add(file, file->ClassName(c), QStringLiteral("Legend %1").arg(c), c % 7,
                  RgbColor(0x102030u * quint32(c + 1)) & 0xFFFFFFu);
    view->SetDrawTitle(false);
    view->SetDrawLegendTitle(true);
    view->SetLegendTitle(QStringLiteral("Bänder"));
    view->SetGenomeLength(int32_t(std::min<qint64>(file->MaximumLocate() + 1000, 2147483647)));
    view->SetPageWidth(612);
    view->SetPageHeight(792);
    view->SetDrawScale(false);
    view->SetScaleType(1);
    view->SetScaleDivides(7);
    view->SetScaleLength(250000);
    return view;
}

// A linear view with every stored option away from its default.
inline std::unique_ptr<CLinearViewConfig> MakeLinearView(CFileData* file, const QString& name)
{
    auto view = std::make_unique<CLinearViewConfig>(name);
    for (int c = 0; c < file->ClassCount() && c < 6; ++c)
        view->Add(file, file->ClassName(c), file->ClassName(c), c % 2, c % 3,
                  RgbColor(0xFF8000u >> c));
    view->SetDrawTitle(true);
    view->SetDrawLegendTitle(false);
    view->SetLegendTitle(QStringLiteral("Genes"));
    view->SetGenomeLength(int32_t(file->MaximumLocate()));
    view->SetPageWidth(595);
    view->SetPageHeight(842);
    view->SetDrawMarkerNames(false);
    view->SetStartLocate(1000);
    view->SetEndLocate(int(file->MaximumLocate() / 2));
    // About a dozen map rows, so the picture stays small.
    view->SetScale(std::max(1000, int(file->MaximumLocate() / 24)));
    view->SetMinimumRankCount(4);
    view->SetMaximumRankCount(8);
    return view;
}

// The "proj" block of a project, little-endian as in project files.
inline QByteArray SaveContent(CProject& project, QString* message = nullptr, qint64* shortened = nullptr)
{
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    {
        CBinaryStream io(&buffer);
        io.SetLittleEndian(true);
        const QString result = project.Save(io, shortened);
        if (message)
            *message = result;
        else
            EXPECT_EQ(result, QString());
    }
    return buffer.data();
}

// Restores a project from a "proj" block alone (no frame): a read that runs
// past the content fails at its field.
inline QString RestoreContent(const QByteArray& content, CProject& project)
{
    QByteArray copy = content;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    CBinaryStream io(&buffer);
    io.SetLittleEndian(true);
    return project.Restore(io);
}

inline QImage Render(CViewConfig& view)
{
    view.MakeViewImage();
    QImage image(view.ViewWidth(), std::max(1, view.ViewHeight()), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    view.DrawImage(painter, 0, 0);
    painter.end();
    return image;
}

// ---- Byte-level editing of a saved block --------------------------------

struct Block
{
    QByteArray tag;
    qsizetype lengthAt;  // offset of the body length field
    qsizetype bodyBegin;
    qsizetype bodyEnd;
};

inline qint32 Int32At(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<qint32>(bytes.constData() + at);
}

inline void SetInt32At(QByteArray& bytes, qsizetype at, qint32 value)
{
    qToLittleEndian(value, bytes.data() + at);
}

// Every block of the known kinds, in file order. The fixtures use no data
// that looks like a block header, so scanning for the headers is exact.
inline std::vector<Block> FindBlocks(const QByteArray& bytes)
{
    static const char* const kTags[] = {"proj", "fdat", "tble", "trec", "view", "vcir", "vlin"};
    std::vector<Block> blocks;
    for (qsizetype at = 0; at + 12 <= bytes.size(); ++at) {
        if (Int32At(bytes, at) != 4)
            continue;
        for (const char* tag : kTags) {
            if (bytes.mid(at + 4, 4) == tag) {
                const qsizetype bodyBegin = at + 12;
                blocks.push_back({tag, at + 8, bodyBegin, bodyBegin + Int32At(bytes, at + 8)});
                break;
            }
        }
    }
    return blocks;
}

inline const Block& NthBlock(const std::vector<Block>& blocks, const char* tag, int n = 0)
{
    for (const Block& block : blocks) {
        if (block.tag == tag && n-- == 0)
            return block;
    }
    ADD_FAILURE() << "no block " << tag;
    return blocks.front();
}

// The content cut at `at`, each block still open there ending at the cut.
inline QByteArray TruncatedAt(const QByteArray& bytes, qsizetype at)
{
    QByteArray cut = bytes.left(at);
    for (const Block& block : FindBlocks(bytes)) {
        if (block.lengthAt + 4 <= at && at < block.bodyEnd)
            SetInt32At(cut, block.lengthAt, qint32(at - block.bodyBegin));
    }
    return cut;
}

// `extra` inserted at the end of the body of `target`, which and whose
// enclosing blocks grow to hold it.
inline QByteArray WithExtraAtEnd(const QByteArray& bytes, const Block& target, const QByteArray& extra)
{
    QByteArray grown = bytes;
    for (const Block& block : FindBlocks(bytes)) {
        const bool encloses = block.bodyBegin <= target.bodyBegin && target.bodyEnd <= block.bodyEnd;
        if (encloses)
            SetInt32At(grown, block.lengthAt, qint32(block.bodyEnd - block.bodyBegin + extra.size()));
    }
    grown.insert(target.bodyEnd, extra);
    return grown;
}

// The last `count` bytes of the body of `target` removed; it and its
// enclosing blocks shrink accordingly.
inline QByteArray WithoutBodyTail(const QByteArray& bytes, const Block& target, qsizetype count)
{
    QByteArray shrunk = bytes;
    for (const Block& block : FindBlocks(bytes)) {
        if (block.bodyBegin <= target.bodyBegin && target.bodyEnd <= block.bodyEnd)
            SetInt32At(shrunk, block.lengthAt, qint32(block.bodyEnd - block.bodyBegin - count));
    }
    shrunk.remove(target.bodyEnd - count, count);
    return shrunk;
}

}  // namespace ProjectTestSupport
