#pragma once

#include <QByteArray>
#include <QString>

class CBinaryStream;

// String encodings used inside blocks. (The text-splitting functions of
// MTextFile live with the tables, in core/.)
namespace MTextFile {

// int32 byte length k, then k bytes of UTF-8; the empty string is the length 0
// alone. The bytes are written only when the length was written.
void WriteUTF8(const QString& text, CBinaryStream& io);
// Empty when the stream fails or the length is 0 or less. A length beyond the
// bytes left in the current block sets the stream's error flag and reads
// nothing, so a damaged file cannot make us allocate what it claims.
QString ReadUTF8(CBinaryStream& io);

// int32 byte length k, then k raw bytes.
void WriteBinary(const QByteArray& bytes, CBinaryStream& io);
QByteArray ReadBinary(CBinaryStream& io);

// Short string: one length byte L (0 to 255), then L bytes of UTF-8.
// Text longer than 255 bytes of UTF-8 is shortened to the longest prefix of
// whole characters that fits; the result tells whether that happened.
bool WriteShortUTF8(const QString& text, CBinaryStream& io);
QString ReadShortUTF8(CBinaryStream& io);

// The longest prefix of whole characters of utf8 that takes at most maxBytes.
QByteArray TruncateUTF8(const QByteArray& utf8, qsizetype maxBytes);

}  // namespace MTextFile
