#pragma once

#include <QString>
#include <array>
#include <optional>

// Pure parts of the board address entry: splitting the stored address into its four boxes and
// accepting one box's text as an address part.

// The text with full-width digits and full stops, as the Japanese input method types them,
// turned into their ASCII forms; everything else as it was.
QString ascii_digits(const QString& text);

// The parts before the first, between the first and second, and between the second and third
// dot, and everything after the third dot (further dots stay in it). Parts the text does not
// have are empty, so a short address fills the first boxes only.
std::array<QString, 4> split_address(const QString& address);

// The text to store for one address part: the box text in ASCII digits without surrounding
// blanks, when that is one to three decimal digits worth 0 to 255; nothing otherwise.
std::optional<QString> accepted_octet(const QString& text);

// The message that names the wrong part (octet 1..4).
QString octet_error_message(int octet);
