#include "TTimeSpan.h"

#include "ConditionText.h"
#include "internal/DatePicker.h"

namespace corvo::controls {
namespace {

QDateEdit* makeEndPicker()
{
    auto* picker = new QDateEdit();
    internal::configureDatePicker(*picker);
    return picker;
}

} // namespace

TTimeSpan::TTimeSpan(QWidget* parent) : RangeSpan(parent, makeEndPicker(), /*labelEnabled=*/true)
{
    internal::configureDatePicker(*this);
    SetLastMonth(QDate::currentDate());
    fitEditors();
}

QDateEdit* TTimeSpan::EndPicker() const noexcept
{
    return static_cast<QDateEdit*>(secondEditor());
}

void TTimeSpan::SetLastMonth(const QDate& day)
{
    EndPicker()->setDate(day);
    setDate(day.addMonths(-1));
}

void TTimeSpan::SetLastYear(const QDate& day)
{
    EndPicker()->setDate(day);
    setDate(day.addMonths(-12));
}

void TTimeSpan::ClearTimes()
{
    setTime(QTime(0, 0));
    EndPicker()->setTime(QTime(0, 0));
}

std::string TTimeSpan::StartText() const
{
    return internal::toDateTime(dateTime()).toString();
}

std::string TTimeSpan::EndText() const
{
    return internal::toDateTime(EndPicker()->dateTime()).toString();
}

std::string TTimeSpan::GetRangeCondition() const
{
    return condition::dateRange(internal::toDateTime(dateTime()),
                                internal::toDateTime(EndPicker()->dateTime()));
}

} // namespace corvo::controls
