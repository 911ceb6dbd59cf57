#include "views/MViewRules.h"

#include "core/MTextFile.h"
#include "views/CViewConfig.h"

#include <algorithm>
#include <limits>

namespace MViewRules {

const char* const kTitleEmpty = "View Title field is empty. Set any title of this view.";
const char* const kLegendTitleEmpty = "Legend Title field is empty. Set any title of Legend.";
const char* const kGenomeLengthInvalid = "Genome Length is invalid.";
const char* const kScaleLengthInvalid = "Scale Length is invalid. Enter correct value.";
const char* const kLocateRangeInvalid = "Locate range is invalid.";

int32_t FieldInteger(QStringView text)
{
    const qint64 value = MTextFile::LeadingInteger(text);
    return static_cast<int32_t>(std::clamp<qint64>(value, std::numeric_limits<int32_t>::min(),
                                                   std::numeric_limits<int32_t>::max()));
}

bool IsBlank(const QString& text)
{
    return text.trimmed().isEmpty();
}

CViewInputCheck StoreTitles(CViewConfig& view, const QString& title, bool drawTitle, bool drawLegendTitle,
                            const QString& legendTitle)
{
    if (IsBlank(title))
        return CViewInputCheck::Failed(kTitleEmpty, CViewInputCheck::kTitleField);
    view.SetName(title.trimmed());
    view.SetDrawTitle(drawTitle);
    view.SetDrawLegendTitle(drawLegendTitle);
    view.SetLegendTitle(legendTitle);
    if (drawLegendTitle && IsBlank(legendTitle))
        return CViewInputCheck::Failed(kLegendTitleEmpty, CViewInputCheck::kLegendTitleField);
    return CViewInputCheck::Valid();
}

CViewInputCheck StoreGenomeLength(CViewConfig& view, const QString& lengthText)
{
    view.SetGenomeLength(FieldInteger(lengthText));
    if (view.GenomeLength() <= 0)
        return CViewInputCheck::Failed(kGenomeLengthInvalid, CViewInputCheck::kGenomeLengthField);
    return CViewInputCheck::Valid();
}

int32_t GenomeLengthField(const CViewConfig& view)
{
    return view.GenomeLength() > 0 ? view.GenomeLength() : view.MaximumLocate();
}

int32_t GenomeLengthFieldAfterAdd(int32_t shown, const CViewConfig& view)
{
    return std::max(shown, view.MaximumLocate());
}

}  // namespace MViewRules
