#pragma once

// Low-precision lunar position (the truncated periodic-term series of the textbook lunar
// theory, a few arc-seconds), reduced to topocentric horizon coordinates without refraction.

namespace track_bridge {

// Geodetic position of the station: degrees (east and north positive), metres above the
// ellipsoid.
struct Observer {
    double latitude = 0;
    double longitude = 0;
    double altitude = 0;
};

// Azimuth from north through east, elevation above the astronomical horizon, degrees.
struct Horizontal {
    double azimuth = 0;
    double elevation = 0;
};

// Geocentric ecliptic coordinates of the mean equinox of date, degrees and kilometres.
struct Ecliptic {
    double longitude = 0;
    double latitude = 0;
    double distance_km = 0;
};

// Right ascension and declination, degrees.
struct Equatorial {
    double right_ascension = 0;
    double declination = 0;
};

struct Nutation {
    double longitude = 0;  // degrees
    double obliquity = 0;  // degrees
};

double julian_day_from_unix(double unix_seconds);
// Terrestrial minus universal time, seconds; a smooth fit that serves 1990-2050.
double delta_t_seconds(double jd_ut);
double centuries_since_j2000(double jd);

Ecliptic moon_geocentric(double jde);
Nutation nutation(double jde);
double mean_obliquity(double jde);
// Apparent place of the Moon for the true equator and equinox of date.
Equatorial moon_apparent(double jde);
// Greenwich sidereal time, degrees in [0, 360).
double mean_sidereal_time(double jd_ut);

// Topocentric place of the Moon at the given universal time.
Horizontal moon_horizontal(double jd_ut, const Observer& observer);

// Wraps an angle into [0, 360).
double wrap_degrees(double degrees);

}  // namespace track_bridge
