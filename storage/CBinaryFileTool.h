#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

class CBinaryStream;

// Writes and reads the framing of block files on an open CBinaryStream:
// tagged, length-prefixed blocks and the outer file frame whose content is
// guarded by an MD5 digest.
//
//   tag field   int32 t, then t bytes of UTF-8 (only when the tag is not empty)
//   block       tag field, int32 n, n bytes of body
//   file frame  tag field, int32 n, n bytes of content,
//               16-byte MD5 of "KELMORT.QU.VZ" followed by the content
//
// One tool frames one block or frame (one Begin/End pair); nested blocks use
// one tool per level, all on the same stream.
//
// Reading is bounded: a block or frame whose length does not fit in the
// bytes left of its enclosing block (or of the file) is refused at Begin,
// and while it is open the stream's read limit is the block's end, so its
// owner can check counts and string lengths with BytesLeft() before it
// allocates. The limit of the enclosing block is restored at End, or when
// the tool is destroyed without End (a reader that gave up early).
class CBinaryFileTool
{
public:
    enum Mode { ReadMode = 0, WriteMode = 1 };

    // Identifiers of the messages for the outer frame, in the form the block
    // owners use ("WriteError", NUL, identifier): the frame's tag and length
    // could not be written, or its length and digest could not be completed.
    static const char* const kFrameBeginIdentifier;  // "BlockFile.00"
    static const char* const kFrameEndIdentifier;    // "BlockFile.99"

    CBinaryFileTool(CBinaryStream& io, qint32 mode);
    ~CBinaryFileTool();

    CBinaryFileTool(const CBinaryFileTool&) = delete;
    CBinaryFileTool& operator=(const CBinaryFileTool&) = delete;

    // Writing: writes the tag field and a placeholder length; true unless the
    // stream failed. Reading: true when the tag matches exactly (case counts)
    // and the length is sane and fits in the bytes left.
    bool BeginBlock(const QString& tag);
    // Writing: patches the length, returns the body length, or -1 on a stream
    // failure or a body too long for the 32-bit length field.
    // Reading: moves to the block's end and returns the position reached by
    // the reader minus the block's end (0 = consumed exactly).
    qint32 EndBlock();

    // Whether reading a frame checks its digest at BeginFile. A reader that
    // leaves it unchecked must check the frame by other means (such as a
    // second reader that verifies it) before it trusts what it read.
    enum class Digest { Verify, LeaveUnchecked };

    // As BeginBlock; reading also verifies the digest (reads the content once)
    // unless told not to, and leaves the stream at the start of the content.
    bool BeginFile(const QString& tag, Digest digest = Digest::Verify);
    // Writing: patches the length, appends the digest, flushes the stream and
    // returns the content length, or -1 when any of it (the frame's header
    // included) did not reach the device. The stream must be readable too: the digest is computed
    // by reading the content back.
    // Reading: moves past the digest; returns 0 when the content was consumed
    // exactly.
    qint32 EndFile();

    // MD5 of the fixed 13-byte prefix followed by the next count bytes of the
    // stream (fewer if the stream ends first), read in chunks of 4096.
    QByteArray CalcMD5(qint64 count);

    // "WriteError" / "ReadError", a character with code 0, then the identifier.
    static QString WriteErrorMessage(const QString& identifier);
    static QString ReadErrorMessage(const QString& identifier);

private:
    void CheckMode() const;
    bool WriteTag(const QString& tag);
    bool ReadTag(const QString& tag);
    bool BeginWriting(const QString& tag);
    qint32 PatchLength();
    void EnterBlock(qint64 end);
    void LeaveBlock();

    qint64 mBeginLoc = 0;
    qint32 mMode;
    CBinaryStream& mIO;
    qint64 mNextLoc = 0;
    // Read limit of the enclosing block while this tool's block is open.
    qint64 mOuterLimit = -1;
    bool mLimitEntered = false;
};
