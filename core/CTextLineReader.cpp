#include "core/CTextLineReader.h"

#include <QFileInfo>

#include <cstring>

namespace {

constexpr qsizetype kChunkSize = 1 << 20;

}  // namespace

CTextLineReader::CTextLineReader(const QString& filePath)
    : mFile(filePath)
{
}

bool CTextLineReader::Open()
{
    // Only regular files: opening a pipe blocks, a device may never end.
    if (!QFileInfo(mFile.fileName()).isFile())
        return false;
    if (!mFile.open(QIODevice::ReadOnly))
        return false;
    mFileSize = mFile.size();
    mBuffer.resize(kChunkSize);
    mBuffer.resize(0);
    mPos = 0;
    return true;
}

bool CTextLineReader::FillBuffer()
{
    if (mAtEnd || !mFile.isOpen())
        return false;
    mBuffer.resize(kChunkSize);
    const qint64 got = mFile.read(mBuffer.data(), kChunkSize);
    if (got <= 0) {
        mBuffer.resize(0);
        mPos = 0;
        mAtEnd = true;
        return false;
    }
    mBuffer.resize(got);
    mPos = 0;
    if (mFirstChunk) {
        mFirstChunk = false;
        if (mBuffer.startsWith("\xEF\xBB\xBF"))
            mPos = 3;
    }
    if (mSkipLeadingLF) {
        mSkipLeadingLF = false;
        if (mPos < mBuffer.size() && mBuffer.at(mPos) == '\n')
            ++mPos;
    }
    return true;
}

qsizetype CTextLineReader::FindLineEnd() const
{
    const char* begin = mBuffer.constData() + mPos;
    const qsizetype length = mBuffer.size() - mPos;
    // Two SIMD memchr passes beat a byte loop even though CR is rare.
    const void* lf = std::memchr(begin, '\n', size_t(length));
    const qsizetype lfIndex = lf ? static_cast<const char*>(lf) - begin : length;
    const void* cr = std::memchr(begin, '\r', size_t(lfIndex));
    if (cr)
        return mPos + (static_cast<const char*>(cr) - begin);
    return lf ? mPos + lfIndex : -1;
}

void CTextLineReader::ConsumeLineEnd(qsizetype endIndex)
{
    mPos = endIndex + 1;
    if (mBuffer.at(endIndex) != '\r')
        return;
    if (mPos < mBuffer.size()) {
        if (mBuffer.at(mPos) == '\n')
            ++mPos;
    } else {
        mSkipLeadingLF = true;  // the LF, if any, starts the next chunk
    }
}

bool CTextLineReader::ReadLine(QByteArrayView* line)
{
    mLongLine.clear();
    bool gathering = false;
    for (;;) {
        if (mPos >= mBuffer.size() && !FillBuffer()) {
            if (!gathering)
                return false;
            *line = QByteArrayView(mLongLine);
            return true;
        }
        if (mPos >= mBuffer.size())
            continue;  // the chunk held only a skipped BOM or LF
        const qsizetype end = FindLineEnd();
        if (end < 0) {
            mLongLine.append(mBuffer.constData() + mPos, mBuffer.size() - mPos);
            mPos = mBuffer.size();
            gathering = true;
            continue;
        }
        if (gathering) {
            mLongLine.append(mBuffer.constData() + mPos, end - mPos);
            *line = QByteArrayView(mLongLine);
        } else {
            *line = QByteArrayView(mBuffer.constData() + mPos, end - mPos);
        }
        ConsumeLineEnd(end);
        return true;
    }
}

bool CTextLineReader::ScanLine(const std::function<void(QByteArrayView piece)>& piece)
{
    bool started = false;
    for (;;) {
        if (mPos >= mBuffer.size() && !FillBuffer())
            return started;
        if (mPos >= mBuffer.size())
            continue;  // the chunk held only a skipped BOM or LF
        started = true;
        const qsizetype end = FindLineEnd();
        if (end < 0) {
            piece(QByteArrayView(mBuffer.constData() + mPos, mBuffer.size() - mPos));
            mPos = mBuffer.size();
            continue;
        }
        if (end > mPos)
            piece(QByteArrayView(mBuffer.constData() + mPos, end - mPos));
        ConsumeLineEnd(end);
        return true;
    }
}
