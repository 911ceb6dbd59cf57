#pragma once

#include "views/Object2D.h"

#include <QString>

// Text whose horizontal centre is X and whose baseline is Y. TextSize is in
// scene pixels (one point = one pixel of the map); the text is drawn in
// FillColor at Fill opacity, black unless a caller changes it.
class StringShape : public Object2D
{
public:
    StringShape();

    const QString& Text() const { return mText; }
    void SetText(const QString& value) { mText = value; }
    const QString& TextFont() const { return mTextFont; }
    void SetTextFont(const QString& value) { mTextFont = value; }
    double TextSize() const { return mTextSize; }
    void SetTextSize(double value) { mTextSize = value; }
    bool Bold() const { return mBold; }
    void SetBold(bool value) { mBold = value; }
    bool Italic() const { return mItalic; }
    void SetItalic(bool value) { mItalic = value; }
    bool Underline() const { return mUnderline; }
    void SetUnderline(bool value) { mUnderline = value; }

private:
    // The flags come first so they share the base's trailing padding.
    bool mBold = false;
    bool mItalic = false;
    bool mUnderline = false;
    QString mText;
    QString mTextFont = QStringLiteral("Arial");
    double mTextSize = 12;
};

using StringShapeRef = std::shared_ptr<StringShape>;
