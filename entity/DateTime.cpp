#include "DateTime.h"

#include <chrono>
#include <cmath>
#include <cstdio>

namespace corvo {
namespace {

using namespace std::chrono;

constexpr sys_days Epoch = sys_days{year{1899} / December / 30};
constexpr double SecondsPerDay = 86400.0;

bool readNumber(std::string_view text, size_t& pos, size_t digits, int& out)
{
    if (pos + digits > text.size()) return false;
    int value = 0;
    for (size_t i = 0; i < digits; ++i) {
        char c = text[pos + i];
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    pos += digits;
    out = value;
    return true;
}

/// Reads 1 or 2 digits (months, days and times are often written without leading zero).
bool readShort(std::string_view text, size_t& pos, int& out)
{
    if (readNumber(text, pos, 2, out)) return true;
    return readNumber(text, pos, 1, out);
}

} // namespace

std::optional<DateTime> DateTime::fromDate(int y, int m, int d) noexcept
{
    year_month_day ymd{year{y}, month{static_cast<unsigned>(m)}, day{static_cast<unsigned>(d)}};
    if (y < 1 || y > 9999 || !ymd.ok()) return std::nullopt;
    return DateTime{static_cast<double>((sys_days{ymd} - Epoch).count())};
}

std::optional<DateTime> DateTime::parse(std::string_view text) noexcept
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    size_t pos = 0;
    int y = 0, m = 0, d = 0;
    if (!readNumber(text, pos, 4, y) || pos >= text.size() ||
        (text[pos] != '-' && text[pos] != '/'))
        return std::nullopt;
    char sep = text[pos++];
    if (!readShort(text, pos, m) || pos >= text.size() || text[pos++] != sep ||
        !readShort(text, pos, d))
        return std::nullopt;
    auto date = fromDate(y, m, d);
    if (!date) return std::nullopt;
    if (pos == text.size()) return date;
    int hh = 0, mi = 0, ss = 0;
    if (text[pos++] != ' ' || !readShort(text, pos, hh) || pos >= text.size() ||
        text[pos++] != ':' || !readShort(text, pos, mi))
        return std::nullopt;
    if (pos < text.size() && (text[pos++] != ':' || !readShort(text, pos, ss))) return std::nullopt;
    if (pos != text.size() || hh > 23 || mi > 59 || ss > 59) return std::nullopt;
    date->days += (hh * 3600 + mi * 60 + ss) / SecondsPerDay;
    return date;
}

DateTime DateTime::now()
{
    auto t = floor<seconds>(system_clock::now());
    auto secs = duration_cast<seconds>(t - Epoch).count();
    return DateTime{static_cast<double>(secs) / SecondsPerDay};
}

std::string DateTime::toDateString() const
{
    auto whole = static_cast<long>(std::floor(days));
    year_month_day ymd{Epoch + sys_days::duration{whole}};
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02u-%02u", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
    return buf;
}

std::string DateTime::toString() const
{
    double whole = std::floor(days);
    long secs = std::lround((days - whole) * SecondsPerDay);
    if (secs >= 86400) secs = 86399;
    if (secs == 0) return toDateString();
    char buf[64];
    std::snprintf(buf, sizeof buf, " %02ld:%02ld:%02ld", secs / 3600, secs / 60 % 60, secs % 60);
    return toDateString() + buf;
}

} // namespace corvo
