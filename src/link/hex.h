#pragma once

#include <QString>
#include <cstdint>

// Hex wire text: each byte of a command as two upper-case hex digits, no separators.

// out receives the hex wire text of text (low 8 bits of each character code).
void text_to_hex(const QString& text, QString& out);
// number is the decimal text of one byte value; out receives its two hex digits.
void byte_to_hex(const QString& number, QString& out);
// Reads the first two characters of pair; anything but 0-9 and upper-case A-F counts as 0.
void hex_to_byte(QStringView pair, std::uint8_t& out);
