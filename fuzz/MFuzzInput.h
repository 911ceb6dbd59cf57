#pragma once

// Turns a fuzzer's input into a file the restore code reads. The input is
// the content of a block file frame; wrapping it in a frame with a matching
// digest lets the fuzzer reach the block readers (a mutated digest would stop
// every input at the frame). Shared by the fuzz targets and the corpus replay
// test, so both feed the restore code the same way.

#include "core/CFileData.h"
#include "project/CProject.h"
#include "project/MProjectFile.h"
#include "storage/CBinaryFileTool.h"
#include "storage/CBinaryStream.h"
#include "storage/CPreferences.h"

#include <QBuffer>
#include <QByteArray>
#include <QString>

#include <memory>

namespace MFuzzInput {

inline QByteArray Framed(const QByteArray& content, const QString& tag, bool littleEndian)
{
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    {
        CBinaryStream io(&buffer);
        io.SetLittleEndian(littleEndian);
        CBinaryFileTool tool(io, CBinaryFileTool::WriteMode);
        tool.BeginFile(tag);
        io.WriteBytes(content);
        tool.EndFile();
    }
    return buffer.data();
}

// Restores a project from a frame around content; the restore message.
inline QString RestoreProject(const QByteArray& content)
{
    QByteArray file = Framed(content, QString::fromLatin1(MProjectFile::kFileTag), true);
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    std::unique_ptr<CProject> project;
    const QString message = MProjectFile::RestoreFrom(buffer, project);
    if (message.isEmpty() && project) {
        // Walk what was read, as the windows would.
        for (int i = 0; i < project->FileCount(); ++i)
            project->File(i)->MaximumLocate();
        project->NextFileNumber();
    }
    return message;
}

// Restores preferences from a frame around content; the number of entries.
inline int RestorePreferences(const QByteArray& content)
{
    QByteArray file = Framed(content, QString::fromLatin1(CPreferences::kFrameTag), false);
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    CPreferences preferences(QString(), QString(), CPreferences::Storage::MemoryOnly);
    preferences.RestoreFrom(buffer);
    return preferences.Count();
}

}  // namespace MFuzzInput
