#pragma once

#include <QString>
#include <optional>

#include "config/settings_keys.h"

// Values the start-up reads from the settings file, checked before they are applied.

// Window top and left in twips.
struct WindowPlace {
    int top = 0;
    int left = 0;
    bool operator==(const WindowPlace&) const = default;
};

inline const QString default_window_position = settings_key::window_position.fallback;
inline constexpr int default_timer_ms = 1000;
inline constexpr int max_timer_ms = 65000;

// "top:left", split at the first ":", each part read as a numeric value. Nothing when there is
// no ":" or a part does not fit a whole number of twips.
std::optional<WindowPlace> parse_window_position(const QString& text);

// Interval in milliseconds for a "TIMER" text in seconds, rounded to whole milliseconds
// (halves to even). 0 means no ticks. Nothing when negative, above 65 seconds or not a number.
std::optional<int> timer_interval_ms(const QString& seconds);
