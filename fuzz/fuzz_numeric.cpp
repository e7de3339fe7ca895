// Numeric value of a text, the rounding helpers and the "000" format under arbitrary input.

#include <QRegularExpression>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "link/numeric.h"

namespace {

QString utf8(const std::string& bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// Same value, or both not numbers (numeric_value must never give one).
bool same(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

// Round half to even, written out from floor so it does not share the helper's path.
double half_even_reference(double v) {
    const double down = std::floor(v);
    const double fraction = v - down;
    if (fraction < 0.5) return down;
    if (fraction > 0.5) return down + 1;
    return std::fmod(down, 2.0) == 0 ? down : down + 1;
}

template <typename Int>
bool fits(double rounded) {
    return std::isfinite(rounded) &&
           rounded >= static_cast<double>(std::numeric_limits<Int>::min()) &&
           rounded <= static_cast<double>(std::numeric_limits<Int>::max());
}

void check_rounding(double v) {
    const auto down = round_down(v);
    FUZZ_CHECK(down.has_value() == fits<std::int32_t>(std::floor(v)), QString::number(v, 'g', 17));
    if (down) FUZZ_CHECK(*down <= v && v < *down + 1.0, QString::number(v, 'g', 17));

    const double even = half_even_reference(v);
    const auto r16 = round_half_even_16(v);
    FUZZ_CHECK(r16.has_value() == fits<std::int16_t>(even), QString::number(v, 'g', 17));
    if (r16) FUZZ_CHECK(*r16 == even, QString::number(v, 'g', 17));
    const auto r32 = round_half_even_32(v);
    FUZZ_CHECK(r32.has_value() == fits<std::int32_t>(even), QString::number(v, 'g', 17));
    if (r32) FUZZ_CHECK(*r32 == even, QString::number(v, 'g', 17));
}

void check_format(std::int64_t value) {
    const QString text = format_000(value);
    static const QRegularExpression pattern(QStringLiteral("^-?[0-9]{3,}$"));
    FUZZ_CHECK(pattern.match(text).hasMatch(), text);
    bool ok = false;
    FUZZ_CHECK(text.toLongLong(&ok) == value && ok, text);
    const QString digits = value < 0 ? text.mid(1) : text;
    // Padding only up to three digits: no leading zero on longer numbers.
    FUZZ_CHECK(digits.size() == 3 || digits.front() != u'0', text);
}

// Blanks, tabs and line feeds inserted at positions the input chooses.
QString with_blanks(const QString& text, FuzzInput& in) {
    QString out = text;
    const int inserts = in.ConsumeIntegralInRange(0, 4);
    for (int i = 0; i < inserts; ++i) {
        const auto at = in.ConsumeIntegralInRange<qsizetype>(0, out.size());
        static const char16_t blanks[] = {u' ', u'\t', u'\n'};
        out.insert(at, QChar(blanks[in.ConsumeIntegralInRange(0, 2)]));
    }
    return out;
}

bool starts_like_decimal(const QString& text) {
    for (const QChar c : text) {
        if (c == u' ' || c == u'\t' || c == u'\n') continue;
        return (c >= u'0' && c <= u'9') || c == u'.';
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    // The text comes from the front, so a plain seed is a plain text; the rest from the back.
    const QString text = utf8(in.ConsumeRandomLengthString(256));
    const double raw = std::bit_cast<double>(in.ConsumeIntegral<std::uint64_t>());
    const auto whole = in.ConsumeIntegral<std::int64_t>();
    const QString blanked = with_blanks(text, in);
    const QString tail = utf8(in.ConsumeRemainingBytesAsString());

    const double value = numeric_value(text);
    FUZZ_CHECK(!std::isnan(value), shown(text));
    // Blanks, tabs and line feeds are skipped wherever they stand.
    FUZZ_CHECK(same(numeric_value(blanked), value), shown(text) + u' ' + shown(blanked));
    // Reading stops at a character that cannot continue any number.
    FUZZ_CHECK(same(numeric_value(text + u'Z' + tail), value), shown(text) + u' ' + shown(tail));
    FUZZ_CHECK(same(numeric_value(text + QChar(0x3042) + tail), value), shown(text));
    if (starts_like_decimal(text)) {
        FUZZ_CHECK(same(numeric_value(u'-' + text), -value), shown(text));
    }

    if (const auto strict = strict_number(text)) {
        FUZZ_CHECK(std::isfinite(*strict), shown(text));
        FUZZ_CHECK(same(numeric_value(text.trimmed()), *strict), shown(text));
    }

    check_rounding(value);
    check_rounding(raw);
    check_format(whole);
    return 0;
}
