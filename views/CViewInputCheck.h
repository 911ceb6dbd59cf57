#pragma once

#include <QString>

// The outcome of checking what the user entered on a view wizard's options
// page: the message to show (empty when the input is valid) and the field
// the wizard selects so the user can correct it.
struct CViewInputCheck
{
    enum Field : int {
        kNoField = 0,
        kTitleField,
        kLegendTitleField,
        kGenomeLengthField,
        kScaleLengthField,
        kStartField,
        kEndField,
    };

    QString mMessage;
    Field mField = kNoField;

    bool Passed() const { return mMessage.isEmpty(); }

    static CViewInputCheck Valid() { return {}; }
    static CViewInputCheck Failed(const char* message, Field field)
    {
        return {QString::fromLatin1(message), field};
    }
};
