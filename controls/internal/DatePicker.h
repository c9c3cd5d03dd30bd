#pragma once

#include "entity/DateTime.h"

#include <QDateTime>

class QDateEdit;

namespace corvo::controls::internal {

/// The program's date picker: short date format, a calendar to drop down, every date the
/// text forms can show (Qt would clamp earlier dates silently), today's date.
void configureDatePicker(QDateEdit& picker);

/// The same instant as the day count the tables use.
DateTime toDateTime(const QDateTime& value);
/// The calendar day and time of a day count; an invalid QDateTime outside the text range.
QDateTime toQDateTime(DateTime value);

} // namespace corvo::controls::internal
