#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvo {

/// A date-time as days since 1899-12-30 00:00 with the time of day as the fraction,
/// the form the wire and the stored packets use.
struct DateTime {
    double days = 0;

    /// Midnight of a calendar day; nothing for a day that does not exist.
    static std::optional<DateTime> fromDate(int year, int month, int day) noexcept;
    /// "yyyy-mm-dd" with an optional " hh:mm" or " hh:mm:ss"; blanks around are ignored.
    static std::optional<DateTime> parse(std::string_view text) noexcept;
    static DateTime now();
    /// True from 0001-01-01 up to the end of 9999-12-31: the days the text forms can show.
    bool isValid() const noexcept { return days > -693594 && days < 2958466; }

    /// "yyyy-mm-dd", followed by " hh:mm:ss" when the time of day is not midnight.
    std::string toString() const;
    /// Always "yyyy-mm-dd".
    std::string toDateString() const;

    friend bool operator==(const DateTime&, const DateTime&) = default;
    friend auto operator<=>(const DateTime&, const DateTime&) = default;
};

} // namespace corvo
