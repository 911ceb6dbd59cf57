#include "core/MTextFile.h"

#include "core/CTextLineReader.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace MTextFile {

namespace {

constexpr qint64 kInt64Max = std::numeric_limits<qint64>::max();
constexpr qint64 kInt64Min = std::numeric_limits<qint64>::min();

template <typename Char>
inline char AsciiAt(const Char* text, qsizetype i)
{
    const auto c = static_cast<unsigned>(text[i]);
    return c < 0x80 ? char(c) : '\x7f';
}

inline bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

qint64 SaturatingFromDouble(double value)
{
    // 2^63 is exact in double; anything at or above it does not fit.
    if (!(value < 9223372036854775808.0))
        return value > 0 ? kInt64Max : 0;
    if (value < -9223372036854775808.0)
        return kInt64Min;
    return qint64(value);  // truncates toward zero
}

template <typename Char>
qint64 LeadingIntegerOf(const Char* text, qsizetype length)
{
    qsizetype i = 0;
    while (i < length && (AsciiAt(text, i) == ' ' || AsciiAt(text, i) == '\t'))
        ++i;
    const qsizetype numberStart = i;
    bool negative = false;
    if (i < length && (AsciiAt(text, i) == '+' || AsciiAt(text, i) == '-')) {
        negative = AsciiAt(text, i) == '-';
        ++i;
    }
    qint64 magnitude = 0;
    bool saturated = false;
    bool anyDigit = false;
    for (; i < length && IsAsciiDigit(AsciiAt(text, i)); ++i) {
        anyDigit = true;
        const int digit = AsciiAt(text, i) - '0';
        if (magnitude > (kInt64Max - digit) / 10)
            saturated = true;
        else
            magnitude = magnitude * 10 + digit;
    }
    if (i < length && AsciiAt(text, i) == '.') {
        ++i;
        for (; i < length && IsAsciiDigit(AsciiAt(text, i)); ++i)
            anyDigit = true;
    }
    if (!anyDigit)
        return 0;
    // An exponent changes the value; only then read the number as a double.
    if (i + 1 < length && (AsciiAt(text, i) == 'e' || AsciiAt(text, i) == 'E')) {
        qsizetype e = i + 1;
        if (e < length && (AsciiAt(text, e) == '+' || AsciiAt(text, e) == '-'))
            ++e;
        if (e < length && IsAsciiDigit(AsciiAt(text, e))) {
            while (e < length && IsAsciiDigit(AsciiAt(text, e)))
                ++e;
            std::string number;
            number.reserve(size_t(e - numberStart));
            for (qsizetype k = numberStart; k < e; ++k)
                number.push_back(AsciiAt(text, k));
            return SaturatingFromDouble(std::strtod(number.c_str(), nullptr));
        }
    }
    if (saturated)
        return negative ? kInt64Min : kInt64Max;
    return negative ? -magnitude : magnitude;
}

// Copies the field that starts at `pos` of a comma line to `out` (advanced
// past it); returns the position after the field (at a comma or the line end).
qsizetype CopyCsvField(QByteArrayView line, qsizetype pos, char** out)
{
    const char* data = line.data();
    const qsizetype length = line.size();
    const auto copy = [out](const char* from, qsizetype count) {
        std::memcpy(*out, from, size_t(count));
        *out += count;
    };
    if (pos >= length)
        return length;
    if (data[pos] == '"') {
        ++pos;
        for (;;) {
            const void* quote = std::memchr(data + pos, '"', size_t(length - pos));
            if (!quote) {  // open quote: the field runs to the line end
                copy(data + pos, length - pos);
                return length;
            }
            const qsizetype q = static_cast<const char*>(quote) - data;
            copy(data + pos, q - pos + 1);  // with one quote...
            if (q + 1 < length && data[q + 1] == '"') {
                pos = q + 2;  // ...which a doubled quote keeps
                continue;
            }
            --*out;  // ...which a closing quote does not
            pos = q + 1;
            break;
        }
    }
    // Plain field, or what follows a closing quote: kept up to the next comma.
    if (pos >= length)
        return length;
    const void* comma = std::memchr(data + pos, ',', size_t(length - pos));
    const qsizetype end = comma ? static_cast<const char*>(comma) - data : length;
    copy(data + pos, end - pos);
    return end;
}

}  // namespace

int SplitUtf8(QByteArrayView line, int separatorType, int maximumFieldCount,
              QByteArray* cellBytes, std::vector<quint32>* cellEnds)
{
    Q_ASSERT(cellBytes && cellEnds);
    cellEnds->clear();
    // Fields never hold more than the line: separators and quotes only drop out.
    cellBytes->resize(line.size());
    char* const outStart = cellBytes->data();
    char* out = outStart;
    const auto endField = [&] { cellEnds->push_back(quint32(out - outStart)); };
    const auto limitReached = [&] {
        return maximumFieldCount > 0 && qsizetype(cellEnds->size()) >= maximumFieldCount;
    };
    const char* data = line.data();
    const qsizetype length = line.size();

    if (separatorType == kSeparatorTab) {
        qsizetype pos = 0;
        for (;;) {
            const void* tab = length > pos ? std::memchr(data + pos, '\t', size_t(length - pos)) : nullptr;
            const qsizetype end = tab ? static_cast<const char*>(tab) - data : length;
            if (end > pos) {
                std::memcpy(out, data + pos, size_t(end - pos));
                out += end - pos;
            }
            endField();
            if (!tab || limitReached())
                break;
            pos = end + 1;
        }
    } else if (separatorType == kSeparatorComma) {
        qsizetype pos = 0;
        for (;;) {
            pos = CopyCsvField(line, pos, &out);
            endField();
            if (pos >= length || limitReached())
                break;
            ++pos;  // skip the comma; a comma at the line end gives one more empty field
        }
    } else {
        if (length > 0)
            std::memcpy(out, data, size_t(length));
        out += length;
        endField();
    }
    cellBytes->resize(out - outStart);
    return int(cellEnds->size());
}

int CheckType(const QString& filePath, int minimumFieldCount)
{
    CTextLineReader reader(filePath);
    if (!reader.Open())
        return kSeparatorNone;
    qint64 tabs = 0;
    qint64 commas = 0;
    qint64 lineLength = 0;
    bool hasNul = false;
    const bool hasLine = reader.ScanLine([&](QByteArrayView piece) {
        lineLength += piece.size();
        const char* p = piece.data();
        if (std::memchr(p, '\0', size_t(piece.size())))
            hasNul = true;
        for (qsizetype i = 0; i < piece.size(); ++i) {
            tabs += p[i] == '\t';
            commas += p[i] == ',';
        }
    });
    if (!hasLine || lineLength == 0 || hasNul)
        return kSeparatorNone;
    if (tabs + 1 >= minimumFieldCount)
        return kSeparatorTab;
    if (commas + 1 >= minimumFieldCount)
        return kSeparatorComma;
    return kSeparatorNone;
}

QStringList SplitExt(const QString& line, int separatorType, int maximumFieldCount)
{
    const QByteArray utf8 = line.toUtf8();
    QByteArray bytes;
    std::vector<quint32> ends;
    const int limit = separatorType == kSeparatorTab ? maximumFieldCount : 0;
    const int count = SplitUtf8(utf8, separatorType, limit, &bytes, &ends);
    QStringList fields;
    fields.reserve(count);
    quint32 begin = 0;
    for (const quint32 end : ends) {
        fields.append(QString::fromUtf8(bytes.constData() + begin, qsizetype(end - begin)));
        begin = end;
    }
    return fields;
}

int StringType(QStringView s)
{
    const QStringView text = s.trimmed();
    qsizetype i = 0;
    const qsizetype length = text.size();
    if (i < length && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    bool anyDigit = false;
    while (i < length && text[i] >= u'0' && text[i] <= u'9') {
        ++i;
        anyDigit = true;
    }
    if (i < length && text[i] == u'.') {
        ++i;
        while (i < length && text[i] >= u'0' && text[i] <= u'9') {
            ++i;
            anyDigit = true;
        }
    }
    if (anyDigit && i < length && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype e = i + 1;
        if (e < length && (text[e] == u'+' || text[e] == u'-'))
            ++e;
        if (e < length && text[e] >= u'0' && text[e] <= u'9') {
            while (e < length && text[e] >= u'0' && text[e] <= u'9')
                ++e;
            i = e;
        }
    }
    if (!anyDigit || i != length)
        return kDataTypeText;
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    if (!std::isfinite(value))
        return kDataTypeReal;  // numeric, but beyond any integer
    if (value >= -2147483648.0 && value <= 2147483647.0 && value == std::trunc(value))
        return kDataTypeInteger;
    return kDataTypeReal;
}

QList<int> SplitIntegers(const QString& s, const QString& separator)
{
    const QStringList pieces = separator.isEmpty() ? QStringList{s} : s.split(separator);
    QList<int> values;
    values.reserve(pieces.size());
    for (const QString& piece : pieces) {
        const qint64 value = LeadingInteger(QStringView(piece));
        values.append(int(std::clamp<qint64>(value, std::numeric_limits<int>::min(),
                                             std::numeric_limits<int>::max())));
    }
    return values;
}

QString LocateString(qint64 location)
{
    // "0.0###..." patterns: one decimal always, more only when not trailing zeros.
    const auto format = [](double value, int maxDecimals) {
        QString text = QString::number(value, 'f', maxDecimals);
        const qsizetype point = text.indexOf(u'.');
        qsizetype keep = text.size();
        while (keep > point + 2 && text[keep - 1] == u'0')
            --keep;
        text.truncate(keep);
        return text;
    };
    if (location >= 1000000)
        return format(double(location) / 1000000.0, 6) + u'M';
    if (location >= 1000)
        return format(double(location) / 1000.0, 3) + u'K';
    return format(double(location), 1);
}

qint64 LeadingInteger(QByteArrayView utf8)
{
    return LeadingIntegerOf(utf8.data(), utf8.size());
}

qint64 LeadingInteger(QStringView text)
{
    return LeadingIntegerOf(text.utf16(), text.size());
}

bool IsDigitsOnly(QByteArrayView utf8)
{
    for (const char c : utf8) {
        if (!IsAsciiDigit(c))
            return false;
    }
    return true;
}

bool IsValidUtf8(QByteArrayView utf8)
{
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const qsizetype n = utf8.size();
    qsizetype i = 0;
    while (i < n) {
        // Data files are mostly ASCII: skip it eight bytes at a time.
        while (i + 8 <= n) {
            quint64 word;
            std::memcpy(&word, p + i, 8);
            if (word & 0x8080808080808080ULL)
                break;
            i += 8;
        }
        if (i >= n)
            break;
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            if (c == 0xE0)
                low = 0xA0;  // overlong
            else if (c == 0xED)
                high = 0x9F;  // surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            if (c == 0xF0)
                low = 0x90;  // overlong
            else if (c == 0xF4)
                high = 0x8F;  // beyond U+10FFFF
        } else {
            return false;
        }
        if (i + extra >= n)
            return false;
        if (p[i + 1] < low || p[i + 1] > high)
            return false;
        for (int k = 2; k <= extra; ++k) {
            if (p[i + k] < 0x80 || p[i + k] > 0xBF)
                return false;
        }
        i += extra + 1;
    }
    return true;
}

}  // namespace MTextFile
