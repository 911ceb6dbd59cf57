#include "export/MPackBits.h"

namespace MPackBits {

namespace {

// A run of this many equal bytes is worth a repeat packet inside a literal stretch.
constexpr int kMinimumRun = 3;
constexpr int kMaximumPacket = 128;

int RunLength(const unsigned char* data, int from, int length)
{
    int end = from + 1;
    while (end < length && end - from < kMaximumPacket && data[end] == data[from])
        ++end;
    return end - from;
}

}  // namespace

QByteArray Pack(const unsigned char* data, int length)
{
    QByteArray out;
    out.reserve(length + length / 128 + 1);
    int i = 0;
    while (i < length) {
        const int run = RunLength(data, i, length);
        if (run >= 2 && (run >= kMinimumRun || i + run == length)) {
            out.append(static_cast<char>(1 - run));
            out.append(static_cast<char>(data[i]));
            i += run;
            continue;
        }
        // A literal stretch lasts until a run worth packing begins.
        int end = i;
        while (end < length && end - i < kMaximumPacket) {
            if (RunLength(data, end, length) >= kMinimumRun)
                break;
            ++end;
        }
        if (end == i)
            end = i + 1;
        out.append(static_cast<char>(end - i - 1));
        out.append(reinterpret_cast<const char*>(data + i), end - i);
        i = end;
    }
    return out;
}

QByteArray Unpack(const QByteArray& packed, int expectedLength)
{
    QByteArray out;
    out.reserve(expectedLength);
    int i = 0;
    while (i < packed.size()) {
        const int n = static_cast<signed char>(packed[i++]);
        if (n >= 0) {
            if (i + n + 1 > packed.size())
                return {};
            out.append(packed.constData() + i, n + 1);
            i += n + 1;
        } else if (n != -128) {
            if (i >= packed.size())
                return {};
            out.append(1 - n, packed[i++]);
        }
        if (out.size() > expectedLength)
            return {};
    }
    return out.size() == expectedLength ? out : QByteArray();
}

}  // namespace MPackBits
