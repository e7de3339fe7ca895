#pragma once

#include <QString>
#include <variant>

// Places on the Earth and the way an antenna turns to reach them, on a sphere.

struct GeoPosition {
    double latitude = 0;   // degrees, north positive
    double longitude = 0;  // degrees, east positive
};

// The mean radius; the whole great circle is 2 * pi times it.
inline constexpr double earth_radius_km = 6371.0;

struct GreatCirclePath {
    double bearing = 0;  // initial bearing, degrees clockwise from true north, [0, 360)
    double distance_km = 0;
};

// The short way from one position to the other. Two equal positions give bearing 0.
GreatCirclePath short_path(const GeoPosition& from, const GeoPosition& to);

// The other way round the same great circle: the opposite bearing, the rest of the circle.
GreatCirclePath long_path(const GreatCirclePath& short_way);

// A place as the operator types it: a locator of 4, 6 or 8 characters in any letter case
// (the centre of the square it names), or "lat,lon" in decimal degrees. Full-width forms are
// read as their plain ones. Otherwise the operator's message.
std::variant<GeoPosition, QString> parse_place(const QString& text);

// Whether a text in the azimuth box is meant as a place rather than degrees: it starts with a
// Latin letter or holds a comma. Anything else is read as degrees, as it always was.
bool looks_like_place(const QString& text);

// The station's position from the settings file: not set (both keys empty), the position,
// or why it cannot be used.
using StationPosition = std::variant<std::monostate, GeoPosition, QString>;
StationPosition station_position(const QString& latitude, const QString& longitude);

struct PlacePaths {
    GreatCirclePath short_way;
    GreatCirclePath long_way;
};

// Both ways from the station to a typed place; otherwise the operator's message: the place
// cannot be read, the station position is missing or unreadable, or the place lies on the
// station or opposite it, where no bearing is better than another.
std::variant<PlacePaths, QString> paths_to_place(const StationPosition& station,
                                                 const QString& place);
