#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <vector>

class QIODevice;

// A small binary stream over a random-access QIODevice (a QFile, a QBuffer...)
// with a selectable byte order and a sticky error flag.
//
// Any short read or failed write sets the error flag; once set, reads return
// zeros (or empty byte arrays) without touching the device and writes do
// nothing, so a reader may read a group of fields and check Error() once.
//
// The stream buffers reads and writes itself (a project file is millions of
// small fields, and block lengths are patched by seeking back), so the
// device's position is not the stream's while it works. Pending writes reach
// the device on Flush(), on a read, when the buffer fills, and when the
// stream is destroyed; a write failure of the device may therefore show up
// only at the next Flush(), which callers check before they trust a file.
//
// For safe reading of untrusted files the stream also carries a read limit:
// the end of the innermost block being read (set by CBinaryFileTool). Owners
// of a block check counts and lengths read from the file against
// BytesLeft() / FitsInBytesLeft() before they allocate anything.
class CBinaryStream
{
public:
    // The device must be open and random access; it is not owned.
    explicit CBinaryStream(QIODevice* device);
    // Flushes pending writes.
    ~CBinaryStream();

    CBinaryStream(const CBinaryStream&) = delete;
    CBinaryStream& operator=(const CBinaryStream&) = delete;

    QIODevice* Device() const { return mDevice; }

    // Byte order of the integers. Big-endian unless set otherwise.
    void SetLittleEndian(bool littleEndian) { mLittleEndian = littleEndian; }
    bool LittleEndian() const { return mLittleEndian; }

    qint64 Position() const { return mPosition; }
    // Moves to an absolute position within the data; a position before the
    // start or past the end sets the error flag.
    bool SetPosition(qint64 position);
    qint64 Length() const { return mLength; }
    bool AtEnd() const { return Position() >= mLength; }

    bool Error() const { return mError; }
    // Lets a reader flag a value it refuses (a count that cannot fit, ...),
    // so that the caller's usual error check reports it.
    void SetError() { mError = true; }

    // Hands pending writes to the device; false (and the error flag) when
    // the device refused them.
    bool Flush();

    void WriteInt32(qint32 value);
    qint32 ReadInt32();
    void WriteUInt8(quint8 value);
    quint8 ReadUInt8();
    // One byte: 1 true, 0 false; any non-zero byte reads as true.
    void WriteBoolean(bool value);
    bool ReadBoolean();
    void WriteBytes(const QByteArray& bytes);
    void WriteBytes(const char* data, qint64 count);
    // Reads exactly count bytes. Asking for more than the device still holds
    // sets the error flag and returns an empty array without allocating.
    QByteArray ReadBytes(qint64 count);
    // Reads exactly count bytes into data, which holds at least count bytes;
    // false (and the error flag) when they are not there.
    bool ReadBytes(char* data, qint64 count);
    // Reads exactly count bytes into bytes, reusing its memory (for readers
    // of many small blocks). Checked like ReadBytes(count) before growing.
    bool ReadBytesInto(QByteArray& bytes, qint64 count);

    // End of the block being read, or -1 for no block (the device's end).
    qint64 ReadLimit() const { return mReadLimit; }
    void SetReadLimit(qint64 limit) { mReadLimit = limit; }
    // Bytes between the position and the read limit (never negative).
    qint64 BytesLeft() const;
    // Whether fixed-size reads have run past the end of the block. Such reads
    // are not stopped (the block's End reports the overrun), but a reader
    // that must not take bytes of what follows can check this.
    bool PastReadLimit() const { return mReadLimit >= 0 && Position() > mReadLimit; }
    // Whether count items of at least bytesEach bytes each can still be in
    // the current block. Negative counts never fit.
    bool FitsInBytesLeft(qint64 count, qint64 bytesEach = 1) const;

private:
    bool ReadRaw(char* data, qint64 count);
    bool FillReadBuffer();

    QIODevice* mDevice;
    qint64 mLength;
    qint64 mPosition;
    // Bytes written but not yet on the device, from mWriteStart on.
    std::vector<char> mWriteBuffer;
    qint64 mWriteStart = 0;
    // Bytes read ahead from the device, from mReadStart on.
    std::vector<char> mReadBuffer;
    qint64 mReadStart = 0;
    qint64 mReadLimit = -1;
    bool mLittleEndian = false;
    bool mError = false;
};
