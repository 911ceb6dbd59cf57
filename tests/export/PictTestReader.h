#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QString>

#include <vector>

// Reads back the picture files the writers make, following the published
// opcode table on its own, so that tests check the layout independently of
// the writer's code. Knows only the opcodes a map picture may hold and fails
// on any other.
struct PictTestOp
{
    int mOpcode = 0;
    QByteArray mData;    // the opcode's data, without the alignment byte
};

struct PictTestPicture
{
    bool mValid = false;
    QString mError;
    QRect mFrame;
    std::vector<PictTestOp> mOps;

    // Operations with the given opcode.
    std::vector<PictTestOp> All(int opcode) const;
};

namespace PictTestReader {

PictTestPicture Parse(const QByteArray& file);

int Int16(const QByteArray& data, int offset);
// A QuickDraw rectangle (top, left, bottom, right) at offset.
QRect Rect(const QByteArray& data, int offset);

// Decodes the pixels of a DirectBitsRect operation's data (24-bit, packed
// component rows); a null image when the data do not decode.
QImage DirectBits(const QByteArray& data, QRect* destination = nullptr);

}  // namespace PictTestReader
