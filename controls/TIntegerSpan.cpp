#include "TIntegerSpan.h"

#include "ConditionText.h"
#include "platform/QtText.h"

namespace corvo::controls {

TIntegerSpan::TIntegerSpan(QWidget* parent)
    : RangeSpan(parent, new TIntegerEdit(), /*labelEnabled=*/false)
{
    fitEditors();
}

TIntegerEdit* TIntegerSpan::UpperEdit() const noexcept
{
    return static_cast<TIntegerEdit*>(secondEditor());
}

std::string TIntegerSpan::GetRangeCondition() const
{
    return condition::integerRange(platform::toGbk(text()), platform::toGbk(UpperEdit()->text()));
}

} // namespace corvo::controls
