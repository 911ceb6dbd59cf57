#pragma once

#include <QByteArray>
#include <QString>

// The 8-bit text encoding that picture files store their text in.
namespace MMacRoman {

// Encodes text; characters the encoding lacks become '?'.
QByteArray FromUnicode(const QString& text);

}  // namespace MMacRoman
