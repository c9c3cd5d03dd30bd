#pragma once

#include "internal/RangeSpan.h"

#include <QDate>
#include <QDateEdit>
#include <string>

namespace corvo::controls {

/// A range of dates: this picker is the start; beside it stand the label "到" and
/// `EndPicker`. The end starts at today, the start one month earlier; the end picker starts
/// disabled.
class TTimeSpan : public internal::RangeSpan<QDateEdit> {
public:
    explicit TTimeSpan(QWidget* parent = nullptr);

    QDateEdit* EndPicker() const noexcept;

    /// End := day, start := the same day a month earlier (the last day of a shorter month).
    void SetLastMonth(const QDate& day);
    /// End := day, start := the same day twelve months earlier.
    void SetLastYear(const QDate& day);
    /// Both pickers at 0:00.
    void ClearTimes();
    /// The start and end as text: "yyyy-mm-dd", with " hh:mm:ss" when not at midnight.
    std::string StartText() const;
    std::string EndText() const;

    /// " between 'start' and 'end'" with the two dates in the short date format, no time.
    /// Throws corvo::Error "结束时间应该比开始的时间晚，请改正。" when the end is the earlier.
    std::string GetRangeCondition() const;
};

} // namespace corvo::controls
