#pragma once

#include "config/DateTime.h"

#include <QString>

// Dates and numbers as the French interface shows them, whatever the system's locale:
// French day and month names, the decimal comma. Every window, view, page and command that
// shows a date or a number to the user goes through here (files keep their own formats).
namespace glanix {

// `format` in QLocale's patterns ("dddd dd/MM/yy hh:mm", "d MMMM yyyy", "d MMM yyyy").
QString frenchDate(const QDateTime& dt, const QString& format);
// The same for a stored date-time; empty for 0 ("never") or less.
QString frenchDate(TDateTime days, const QString& format);

// A real with `decimals` digits after the comma ("0,60").
QString frenchNumber(double value, int decimals);

} // namespace glanix
