#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <optional>
#include <variant>
#include <vector>

// Rules of the operation menu and the optional settings, free of windows and wires.

// The rotator's azimuth travel: 450 when the setting says so, the designed 360 otherwise.
int azimuth_range(const QString& setting);

// Of `target` and `target + 360` (the latter only while within `range`), the one nearer the
// last reported azimuth; a tie keeps `target`. At range 360 always `target`.
double overlap_azimuth(double target, double reported, int range);

// Where the radar shows an azimuth of a linear scale that may run past 360.
double shown_azimuth(double azimuth);

// The tracking threshold in degrees; anything but a finite number above 0 is 0 (no threshold),
// and above 90 it counts as 90.
double threshold_degrees(const QString& setting);

struct SentTarget {
    double azimuth = 0;
    double elevation = 0;
};

// Whether automatic tracking sends a move command for this target: always without a threshold
// or before the first one, else once azimuth (the short way round) or elevation moved by at
// least the threshold since the last one sent.
bool tracking_move_due(const std::optional<SentTarget>& last, const SentTarget& now,
                       double threshold);

// The highest elevation a heading may ask for: the radar and the pick cover 0 to 90.
inline constexpr int max_heading_elevation = 90;

struct Heading {
    int azimuth = 0;
    int elevation = 0;
};

// A heading typed as whole degrees (blanks around and full-width digits allowed), azimuth
// 0..range and elevation 0..90; otherwise the operator's message.
std::variant<Heading, QString> parse_heading(const QString& azimuth, const QString& elevation,
                                             int range);

struct Preset {
    QString name;
    std::optional<Heading> heading;  // nothing: the entry cannot be read
    QString error;                   // why, when it cannot
};

inline constexpr int max_presets = 9;

// Entries "name=az:el" of the presets section in file order, at most nine.
std::vector<Preset> parse_presets(const QList<QPair<QString, QString>>& entries, int range);

// A heading asked for in degrees by another program: finite, azimuth 0..range and elevation
// 0..90, taken as whole degrees (rounded down as a pick is); otherwise the reason.
std::variant<Heading, QString> heading_from_degrees(double azimuth, double elevation, int range);

// The azimuth range a calibration reply reports ("mode 450 Degree"), if it is one.
std::optional<int> range_from_reply(const QString& reply);
