#pragma once

#include "views/Object2D.h"

#include <QString>

#include <optional>

// One --entry of the view command:
//   file=N,class=TEXT[,legend=TEXT][,placement=NAME][,type=NAME][,color=#RRGGBB]
// A comma or backslash inside a value is written as \, or \\.
// Names are checked against the view kind later; here only the syntax.
class CViewEntryArgument
{
public:
    // Fills the entry from its text; a message for exit status 2 otherwise.
    QString Parse(const QString& text);

    // The file's place in the project, counted from 1.
    int FilePosition() const { return mFilePosition; }
    QString ClassName() const { return mClassName; }
    std::optional<QString> Legend() const { return mLegend; }
    std::optional<QString> Placement() const { return mPlacement; }
    std::optional<QString> Type() const { return mType; }
    std::optional<RgbColor> Color() const { return mColor; }

private:
    int mFilePosition = 0;
    QString mClassName;
    std::optional<QString> mLegend;
    std::optional<QString> mPlacement;
    std::optional<QString> mType;
    std::optional<RgbColor> mColor;
};
