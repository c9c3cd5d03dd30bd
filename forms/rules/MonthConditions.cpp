#include "MonthConditions.h"

#include "entity/TCustomEntity.h"

#include <cmath>
#include <cstdio>

namespace corvo::forms {
namespace {

struct Day {
    int year, month, day;
};

Day calendarDay(DateTime t)
{
    const std::string text = DateTime{std::floor(t.days)}.toDateString();
    Day d{};
    std::sscanf(text.c_str(), "%d-%d-%d", &d.year, &d.month, &d.day);
    return d;
}

DateTime firstOfMonth(int year, int month)
{
    while (month > 12)
        month -= 12, ++year;
    return *DateTime::fromDate(year, month, 1);
}

} // namespace

std::string CreateDateThisMonth(std::string_view prefix, DateTime today)
{
    const Day d = calendarDay(today);
    return std::string(prefix) + ".CreateDate between " +
           QuotedFilterValue(firstOfMonth(d.year, d.month).toDateString()) + " and " +
           QuotedFilterValue(firstOfMonth(d.year, d.month + 1).toDateString());
}

std::string HappenDateThisMonth(std::string_view prefix, DateTime today)
{
    const Day d = calendarDay(today);
    const DateTime last{firstOfMonth(d.year, d.month + 1).days - 1};
    return std::string(prefix) + ".HappenDate between " +
           QuotedFilterValue(firstOfMonth(d.year, d.month).toDateString()) + " and " +
           QuotedFilterValue(last.toDateString());
}

} // namespace corvo::forms
