#pragma once

#include <QChar>
#include <QString>
#include <QStringView>

#include <optional>

// Numbers as Glanix's text files hold them: integers in decimal or "0x" hexadecimal,
// reals and date-times with the decimal separator of the user's locale, read with
// either separator so that a file survives a change of locale.
namespace glanix {

// The decimal separator of LC_NUMERIC, read once. Tests may force it.
QChar decimalSeparator();
void setDecimalSeparator(QChar separator);

// Up to 15 significant digits, no trailing zeros, the locale's separator (36871,4583333333).
QString formatReal(double value);

// Accepts "," or "." as separator; rejects empty text, trailing garbage, infinities and NaN.
std::optional<double> parseReal(QStringView text);

// Decimal with an optional sign, or hexadecimal after "0x" or "$" (32-bit patterns wrap, so
// "0x80000012" is -2147483630). Fails outside the 32-bit signed range.
std::optional<int> parseInteger(QStringView text);

} // namespace glanix
