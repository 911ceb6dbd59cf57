#pragma once

#include <QImage>
#include <QString>

#include <ostream>

// Empty when both images have the same size and the same RGB colour at every
// pixel (alpha and storage format aside); else where and how they differ.
inline QString ImageDifference(const QImage& actual, const QImage& expected)
{
    if (actual.size() != expected.size()) {
        return QString("size %1x%2, expected %3x%4")
            .arg(actual.width()).arg(actual.height()).arg(expected.width()).arg(expected.height());
    }
    for (int y = 0; y < actual.height(); ++y) {
        for (int x = 0; x < actual.width(); ++x) {
            const QRgb a = actual.pixel(x, y) & 0xFFFFFF;
            const QRgb e = expected.pixel(x, y) & 0xFFFFFF;
            if (a != e) {
                return QString("pixel (%1, %2) is %3, expected %4")
                    .arg(x).arg(y).arg(a, 6, 16, QChar('0')).arg(e, 6, 16, QChar('0'));
            }
        }
    }
    return {};
}

// Lets gtest print QStrings in failure messages.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
