#include "TFloatSpan.h"

#include "ConditionText.h"
#include "platform/QtText.h"

namespace corvo::controls {

TFloatSpan::TFloatSpan(QWidget* parent)
    : RangeSpan(parent, new TFloatEdit(), /*labelEnabled=*/false)
{
    fitEditors();
}

TFloatEdit* TFloatSpan::UpperEdit() const noexcept
{
    return static_cast<TFloatEdit*>(secondEditor());
}

std::string TFloatSpan::GetRangeCondition() const
{
    return condition::numberRange(platform::toGbk(text()), platform::toGbk(UpperEdit()->text()));
}

} // namespace corvo::controls
