#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

// Number reading and rounding shared by every procedure that turns box texts into angles.

// The number at the start of a text, after every blank, tab and line feed is removed:
// sign, digits, decimal point, exponent (E or D), or an &H / &O integer. Reading stops at the
// first character that cannot continue the number; no number gives 0. Values beyond the
// double range come back as +/-infinity; callers that cast must check.
double numeric_value(QStringView text);

// The same reading, but nothing when it finds no digit at all ("", "---", "N/A", "&H").
std::optional<double> numeric_reading(QStringView text);

// A whole text read as a decimal number (blanks around it allowed); nothing when the text is
// empty, not a number, or has anything else in it.
std::optional<double> strict_number(QStringView text);

// Rounded towards minus infinity, when the result fits a 32-bit integer.
std::optional<std::int32_t> round_down(double value);

// Rounded to nearest with halves to the even neighbour, when it fits a 16-bit integer.
std::optional<std::int16_t> round_half_even_16(double value);

// Rounded to nearest with halves to even, when it fits a 32-bit integer.
std::optional<std::int32_t> round_half_even_32(double value);

// At least three digits, zero-padded; a negative value keeps its sign before the padding.
QString format_000(std::int64_t value);
