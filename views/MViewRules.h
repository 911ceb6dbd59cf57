#pragma once

#include "views/CViewInputCheck.h"

#include <QString>
#include <QStringView>

#include <cstdint>

class CViewConfig;

// Checks and defaults shared by the circular and the linear view wizards;
// the batch tool goes through the same functions.
namespace MViewRules {

extern const char* const kTitleEmpty;            // "View Title field is empty. Set any title of this view."
extern const char* const kLegendTitleEmpty;      // "Legend Title field is empty. Set any title of Legend."
extern const char* const kGenomeLengthInvalid;   // "Genome Length is invalid."
extern const char* const kScaleLengthInvalid;    // "Scale Length is invalid. Enter correct value."
extern const char* const kLocateRangeInvalid;    // "Locate range is invalid."

// The whole number an integer field holds: the number at the start of its
// text, truncated toward zero; 0 when the text does not start with one.
// Kept within 32 bits, so a huge number cannot wrap into a small one.
int32_t FieldInteger(QStringView text);

// A title field counts as empty when it holds nothing but spaces.
bool IsBlank(const QString& text);

// Checks the title and stores the titles: fails with kTitleEmpty (storing
// nothing) when the title is blank; otherwise stores the trimmed title as
// the view's name, both draw flags and the legend heading as typed, then
// fails with kLegendTitleEmpty when the legend is drawn under a blank
// heading.
CViewInputCheck StoreTitles(CViewConfig& view, const QString& title, bool drawTitle, bool drawLegendTitle,
                            const QString& legendTitle);

// Stores the genome length field's number; fails with kGenomeLengthInvalid
// when it is 0 or less (the wizard then shows GenomeLengthField again).
CViewInputCheck StoreGenomeLength(CViewConfig& view, const QString& lengthText);

// What the genome length field shows for a view: its genome length, or the
// largest location of its data while no length above 0 is set.
int32_t GenomeLengthField(const CViewConfig& view);
// After an entry was added: the field rises to the data's largest location.
int32_t GenomeLengthFieldAfterAdd(int32_t shown, const CViewConfig& view);

}  // namespace MViewRules
