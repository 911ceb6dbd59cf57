#pragma once

#include <QtGlobal>

#include <memory>

// Colours throughout the scene are 24-bit RGB values 0x00RRGGBB (the top byte
// is ignored); opacities (`Fill`, `Border`) are percentages 0..100.
using RgbColor = quint32;

// Base of every scene object. Coordinates are map pixels, x to the right,
// y downward. Objects are shared by reference (std::shared_ptr) so groups can
// hold and share them; they are kept small because a scene may hold a million.
//
// Defaults: FillColor and BorderColor black, Fill 100, Border 0 (filled, no
// outline; lines override this), BorderWidth 1 (a thin line), Scale 1.
// The renderer honours Scale on groups only and ignores Rotation; both are
// kept and copied for callers that read them back.
class Object2D
{
public:
    // What the renderer needs to know without a dynamic_cast per object.
    enum class Kind : quint8 { Group, Rect, Oval, Arc, RoundRect, Curve, String, Figure, Pixmap };

    virtual ~Object2D() = default;
    Kind ObjectKind() const { return mKind; }

    RgbColor FillColor() const { return mFillColor; }
    void SetFillColor(RgbColor value) { mFillColor = value & 0xFFFFFFu; }
    RgbColor BorderColor() const { return mBorderColor; }
    void SetBorderColor(RgbColor value) { mBorderColor = value & 0xFFFFFFu; }
    double X() const { return mX; }
    void SetX(double value) { mX = value; }
    double Y() const { return mY; }
    void SetY(double value) { mY = value; }
    double Rotation() const { return mRotation; }
    void SetRotation(double value) { mRotation = value; }
    double Scale() const { return mScale; }
    void SetScale(double value) { mScale = value; }
    double Fill() const { return mFill; }
    void SetFill(double value) { mFill = value; }
    double Border() const { return mBorder; }
    void SetBorder(double value) { mBorder = value; }
    double BorderWidth() const { return mBorderWidth; }
    void SetBorderWidth(double value) { mBorderWidth = value; }

protected:
    explicit Object2D(Kind kind) : mKind(kind) {}
    Object2D(const Object2D&) = default;
    Object2D& operator=(const Object2D&) = default;

private:
    double mX = 0;
    double mY = 0;
    double mRotation = 0;
    double mScale = 1;
    double mFill = 100;
    double mBorder = 0;
    double mBorderWidth = 1;
    RgbColor mFillColor = 0x000000;
    RgbColor mBorderColor = 0x000000;
    Kind mKind;
};

using Object2DRef = std::shared_ptr<Object2D>;
