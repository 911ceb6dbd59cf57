#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

// Small text functions for delimited data files.
//
// Data files are UTF-8 (a leading byte-order mark is skipped, invalid byte
// sequences read as U+FFFD); lines end at CR, LF or CR LF. A file is named by
// its path (absolute or relative to the working folder).
//
// The binary string encodings of this namespace (WriteUTF8, ReadUTF8,
// WriteBinary, ReadBinary) live with the block file in storage/.
namespace MTextFile {

// Separator type codes.
enum SeparatorType : int {
    kSeparatorNone = 0,
    kSeparatorTab = 1,
    kSeparatorComma = 2,
};

// Column data type codes.
enum DataTypeCode : int {
    kDataTypeUndetermined = -1,
    kDataTypeInteger = 2,
    kDataTypeReal = 5,
    kDataTypeText = 8,
};

// The separator of a file, judged from its first line: tab when the line has
// at least `minimumFieldCount` fields split at tabs, else comma when it has
// that many split at commas (plain split, quotes not considered), else 0.
// 0 as well when the file cannot be opened, has no first line, its first
// line is empty or holds a NUL character. The line is scanned in pieces, so
// a huge first line costs no memory.
int CheckType(const QString& filePath, int minimumFieldCount);

// Splits one line into fields.
// Tab (1): the pieces between tabs; with `maximumFieldCount` > 0 only that
// many fields are returned. Comma (2): usual CSV quoting: a field that starts
// with a double quote runs to the matching closing quote and keeps its
// commas, a doubled quote inside it stands for one quote, text after the
// closing quote is kept as it stands, and a quote left open ends at the line
// end; `maximumFieldCount` is not used. Any other type: the whole line.
QStringList SplitExt(const QString& line, int separatorType, int maximumFieldCount);

// The byte-level splitter behind SplitExt, used by the table loader: writes
// the fields' bytes one after another into `cellBytes` and each field's end
// offset into `cellEnds` (both are cleared first); returns the field count.
// With `maximumFieldCount` > 0 the split stops after that many fields, for
// comma lines too (the loader never needs more than its column limit).
int SplitUtf8(QByteArrayView line, int separatorType, int maximumFieldCount,
              QByteArray* cellBytes, std::vector<quint32>* cellEnds);

// 2 (integer) when `s` is numeric and its value is a whole number within
// 32 bits, 5 (real) when numeric otherwise, 8 (text) when not numeric.
// Numeric: optional surrounding white space, optional sign, decimal digits
// with an optional fraction and an optional exponent.
int StringType(QStringView s);

// Splits `s` at every occurrence of `separator` and reads each piece with
// LeadingInteger (clamped to 32 bits). An empty `s` gives one 0.
QList<int> SplitIntegers(const QString& s, const QString& separator);

// Display text of a location in bp: 2500 -> "2.5K", 1000000 -> "1.0M",
// 999 -> "999.0".
QString LocateString(qint64 location);

// The leading number of a text (after leading blanks: sign, digits,
// fraction, exponent), truncated toward zero; 0 when the text does not start
// with a number. Saturates at the 64-bit range instead of wrapping.
// Allocation-free unless the number carries an exponent.
qint64 LeadingInteger(QByteArrayView utf8);
qint64 LeadingInteger(QStringView text);

// True when every byte is an ASCII decimal digit (also for an empty text).
bool IsDigitsOnly(QByteArrayView utf8);

// True when `utf8` is well-formed UTF-8 (no overlong forms, surrogates or
// code points beyond U+10FFFF).
bool IsValidUtf8(QByteArrayView utf8);

}  // namespace MTextFile
