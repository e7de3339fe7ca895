#include "main_window/startup_values.h"

#include <cmath>
#include <limits>

#include "link/numeric.h"

namespace {

// Positions beyond this are nowhere near any screen; keeping them small also keeps the
// twips-to-pixel arithmetic far from overflow.
constexpr double max_twips = 1'000'000;

std::optional<int> twips(QStringView text) {
    const double value = numeric_value(text);
    if (!std::isfinite(value) || std::fabs(value) > max_twips) return std::nullopt;
    return round_half_even_32(value);
}

}  // namespace

std::optional<WindowPlace> parse_window_position(const QString& text) {
    const qsizetype colon = text.indexOf(u':');
    if (colon < 0) return std::nullopt;
    const auto top = twips(QStringView(text).left(colon));
    const auto left = twips(QStringView(text).mid(colon + 1));
    if (!top || !left) return std::nullopt;
    return WindowPlace{*top, *left};
}

std::optional<int> timer_interval_ms(const QString& seconds) {
    const double value = numeric_value(seconds);
    if (!std::isfinite(value)) return std::nullopt;
    const auto ms = round_half_even_32(value * 1000);
    if (!ms || *ms < 0 || *ms > max_timer_ms) return std::nullopt;
    return ms;
}
