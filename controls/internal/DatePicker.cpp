#include "DatePicker.h"

#include "platform/Desktop.h"

#include <QDateEdit>
#include <algorithm>
#include <cmath>

namespace corvo::controls::internal {
namespace {

constexpr double MsecsPerDay = 86400000.0;

QDate epoch()
{
    return QDate(1899, 12, 30);
}

} // namespace

void configureDatePicker(QDateEdit& picker)
{
    picker.setDisplayFormat(QString::fromLatin1(platform::ShortDateFormat));
    picker.setCalendarPopup(true);
    picker.setDateRange(QDate(1, 1, 1), QDate(9999, 12, 31));
    picker.setDate(QDate::currentDate());
}

DateTime toDateTime(const QDateTime& value)
{
    const double days = static_cast<double>(epoch().daysTo(value.date()));
    return DateTime{days + value.time().msecsSinceStartOfDay() / MsecsPerDay};
}

QDateTime toQDateTime(DateTime value)
{
    if (!value.isValid()) return {};
    const double day = std::floor(value.days);
    const int msecs = static_cast<int>(std::lround((value.days - day) * MsecsPerDay));
    const QDate date = epoch().addDays(static_cast<qint64>(day));
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(std::min(msecs, 86399999)));
}

} // namespace corvo::controls::internal
