#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>

#include <functional>

// Reads a data file line by line as raw UTF-8 bytes, without decoding.
// Lines end at CR, LF or CR LF; the line end is not returned; a last line
// without a line end still counts, and a line end at the very end of the
// file does not start another (empty) line. A UTF-8 byte-order mark at the
// start of the file is skipped. A read error is treated as the end of the file.
//
// The file is read in fixed-size chunks, so memory stays bounded by the
// longest line that ReadLine is asked to keep; ScanLine passes a line on in
// pieces without keeping it at all.
class CTextLineReader
{
public:
    explicit CTextLineReader(const QString& filePath);

    // False when the file cannot be opened for reading or is not a regular
    // file (a pipe or device could block or never end).
    bool Open();

    // The next line, valid until the next call. False at the end of the file.
    bool ReadLine(QByteArrayView* line);

    // Passes the next line to `piece` in one or more consecutive pieces
    // (an empty line gives no pieces). False at the end of the file.
    bool ScanLine(const std::function<void(QByteArrayView piece)>& piece);

    // Size of the file on disk when it was opened (0 when unknown).
    qint64 FileSize() const { return mFileSize; }

private:
    bool FillBuffer();
    // Finds the next line end from mPos; returns the index of the CR or LF
    // in mBuffer, or -1 when the chunk holds none.
    qsizetype FindLineEnd() const;
    void ConsumeLineEnd(qsizetype endIndex);

    QFile mFile;
    QByteArray mBuffer;     // current chunk
    qsizetype mPos = 0;     // read position in mBuffer
    QByteArray mLongLine;   // a line that spans chunks, gathered here
    bool mAtEnd = false;
    bool mSkipLeadingLF = false;  // the previous chunk ended in CR
    bool mFirstChunk = true;
    qint64 mFileSize = 0;
};
