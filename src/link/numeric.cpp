#include "link/numeric.h"

#include <cfenv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// Removes the characters the numeric reading skips wherever they stand.
std::string squeeze(QStringView text) {
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u' ' || u == u'\t' || u == u'\n') continue;
        // Anything outside ASCII cannot be part of a number; mark it as a stopper.
        out.push_back(u < 128 ? static_cast<char>(u) : '\x01');
    }
    return out;
}

std::optional<double> read_radix(const std::string& s, size_t pos, int radix) {
    std::optional<double> value;
    for (; pos < s.size(); ++pos) {
        const char c = s[pos];
        int digit = -1;
        if (is_digit(c))
            digit = c - '0';
        else if (radix == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (radix == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0 || digit >= radix) break;
        value = value.value_or(0) * radix + digit;
    }
    return value;
}

// Length of the decimal number that starts s (sign, digits, point, exponent), 0 when none.
size_t decimal_prefix(const std::string& s, bool& has_digits) {
    size_t i = 0;
    has_digits = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    while (i < s.size() && is_digit(s[i])) {
        ++i;
        has_digits = true;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && is_digit(s[i])) {
            ++i;
            has_digits = true;
        }
    }
    if (!has_digits) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        if (j < s.size() && is_digit(s[j])) {
            while (j < s.size() && is_digit(s[j])) ++j;
            i = j;
        }
    }
    return i;
}

double to_double(std::string number) {
    for (char& c : number) {
        if (c == 'd' || c == 'D') c = 'e';
    }
    return std::strtod(number.c_str(), nullptr);  // overflow gives +/-HUGE_VAL
}

}  // namespace

std::optional<double> numeric_reading(QStringView text) {
    const std::string s = squeeze(text);
    if (s.size() >= 2 && s[0] == '&') {
        if (s[1] == 'h' || s[1] == 'H') return read_radix(s, 2, 16);
        if (s[1] == 'o' || s[1] == 'O') return read_radix(s, 2, 8);
        return std::nullopt;
    }
    bool has_digits = false;
    const size_t length = decimal_prefix(s, has_digits);
    if (length == 0) return std::nullopt;
    return to_double(s.substr(0, length));
}

double numeric_value(QStringView text) {
    return numeric_reading(text).value_or(0);
}

std::optional<double> strict_number(QStringView text) {
    const QString trimmed = text.toString().trimmed();
    std::string s;
    for (QChar c : trimmed) {
        if (c.unicode() >= 128) return std::nullopt;
        s.push_back(static_cast<char>(c.unicode()));
    }
    bool has_digits = false;
    const size_t length = decimal_prefix(s, has_digits);
    if (length == 0 || length != s.size()) return std::nullopt;
    const double value = to_double(s);
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

namespace {

template <typename Int>
std::optional<Int> checked(double rounded) {
    if (!std::isfinite(rounded)) return std::nullopt;
    if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<Int>::max())) {
        return std::nullopt;
    }
    return static_cast<Int>(rounded);
}

double half_even(double value) {
    // nearbyint follows the current rounding mode; make sure it is round-to-nearest-even.
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(value);
    std::fesetround(saved);
    return r;
}

}  // namespace

std::optional<std::int32_t> round_down(double value) {
    return checked<std::int32_t>(std::floor(value));
}

std::optional<std::int16_t> round_half_even_16(double value) {
    return checked<std::int16_t>(half_even(value));
}

std::optional<std::int32_t> round_half_even_32(double value) {
    return checked<std::int32_t>(half_even(value));
}

QString format_000(std::int64_t value) {
    const bool negative = value < 0;
    // Magnitude as unsigned so the most negative value cannot overflow.
    const std::uint64_t magnitude = negative ? std::uint64_t(0) - static_cast<std::uint64_t>(value)
                                             : static_cast<std::uint64_t>(value);
    QString digits = QString::number(magnitude).rightJustified(3, u'0');
    return negative ? QStringLiteral("-") + digits : digits;
}
