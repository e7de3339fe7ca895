#include "moon.h"

#include <array>
#include <cmath>
#include <numbers>

namespace track_bridge {
namespace {

constexpr double kRad = std::numbers::pi / 180.0;
constexpr double kJ2000 = 2451545.0;
constexpr double kEarthEquatorKm = 6378.14;
constexpr double kPolarRatio = 0.99664719;  // b/a of the reference ellipsoid

double sin_deg(double d) {
    return std::sin(d * kRad);
}
double cos_deg(double d) {
    return std::cos(d * kRad);
}

// Multiples of D (elongation), M (Sun's anomaly), M' (Moon's anomaly), F (argument of
// latitude) and the coefficients: longitude in 1e-6 degree, distance in metres.
struct LongitudeDistanceTerm {
    signed char d, m, mp, f;
    int longitude;
    int distance;
};

struct LatitudeTerm {
    signed char d, m, mp, f;
    int latitude;
};

constexpr std::array<LongitudeDistanceTerm, 60> kLongitudeDistance{{
    {0, 0, 1, 0, 6288774, -20905355},
    {2, 0, -1, 0, 1274027, -3699111},
    {2, 0, 0, 0, 658314, -2955968},
    {0, 0, 2, 0, 213618, -569925},
    {0, 1, 0, 0, -185116, 48888},
    {0, 0, 0, 2, -114332, -3149},
    {2, 0, -2, 0, 58793, 246158},
    {2, -1, -1, 0, 57066, -152138},
    {2, 0, 1, 0, 53322, -170733},
    {2, -1, 0, 0, 45758, -204586},
    {0, 1, -1, 0, -40923, -129620},
    {1, 0, 0, 0, -34720, 108743},
    {0, 1, 1, 0, -30383, 104755},
    {2, 0, 0, -2, 15327, 10321},
    {0, 0, 1, 2, -12528, 0},
    {0, 0, 1, -2, 10980, 79661},
    {4, 0, -1, 0, 10675, -34782},
    {0, 0, 3, 0, 10034, -23210},
    {4, 0, -2, 0, 8548, -21636},
    {2, 1, -1, 0, -7888, 24208},
    {2, 1, 0, 0, -6766, 30824},
    {1, 0, -1, 0, -5163, -8379},
    {1, 1, 0, 0, 4987, -16675},
    {2, -1, 1, 0, 4036, -12831},
    {2, 0, 2, 0, 3994, -10445},
    {4, 0, 0, 0, 3861, -11650},
    {2, 0, -3, 0, 3665, 14403},
    {0, 1, -2, 0, -2689, -7003},
    {2, 0, -1, 2, -2602, 0},
    {2, -1, -2, 0, 2390, 10056},
    {1, 0, 1, 0, -2348, 6322},
    {2, -2, 0, 0, 2236, -9884},
    {0, 1, 2, 0, -2120, 5751},
    {0, 2, 0, 0, -2069, 0},
    {2, -2, -1, 0, 2048, -4950},
    {2, 0, 1, -2, -1773, 4130},
    {2, 0, 0, 2, -1595, 0},
    {4, -1, -1, 0, 1215, -3958},
    {0, 0, 2, 2, -1110, 0},
    {3, 0, -1, 0, -892, 3258},
    {2, 1, 1, 0, -810, 2616},
    {4, -1, -2, 0, 759, -1897},
    {0, 2, -1, 0, -713, -2117},
    {2, 2, -1, 0, -700, 2354},
    {2, 1, -2, 0, 691, 0},
    {2, -1, 0, -2, 596, 0},
    {4, 0, 1, 0, 549, -1423},
    {0, 0, 4, 0, 537, -1117},
    {4, -1, 0, 0, 520, -1571},
    {1, 0, -2, 0, -487, -1739},
    {2, 1, 0, -2, -399, 0},
    {0, 0, 2, -2, -381, -4421},
    {1, 1, 1, 0, 351, 0},
    {3, 0, -2, 0, -340, 0},
    {4, 0, -3, 0, 330, 0},
    {2, -1, 2, 0, 327, 0},
    {0, 2, 1, 0, -323, 1165},
    {1, 1, -1, 0, 299, 0},
    {2, 0, 3, 0, 294, 0},
    {2, 0, -1, -2, 0, 8752},
}};

constexpr std::array<LatitudeTerm, 60> kLatitude{{
    {0, 0, 0, 1, 5128122}, {0, 0, 1, 1, 280602},  {0, 0, 1, -1, 277693}, {2, 0, 0, -1, 173237},
    {2, 0, -1, 1, 55413},  {2, 0, -1, -1, 46271}, {2, 0, 0, 1, 32573},   {0, 0, 2, 1, 17198},
    {2, 0, 1, -1, 9266},   {0, 0, 2, -1, 8822},   {2, -1, 0, -1, 8216},  {2, 0, -2, -1, 4324},
    {2, 0, 1, 1, 4200},    {2, 1, 0, -1, -3359},  {2, -1, -1, 1, 2463},  {2, -1, 0, 1, 2211},
    {2, -1, -1, -1, 2065}, {0, 1, -1, -1, -1870}, {4, 0, -1, -1, 1828},  {0, 1, 0, 1, -1794},
    {0, 0, 0, 3, -1749},   {0, 1, -1, 1, -1565},  {1, 0, 0, 1, -1491},   {0, 1, 1, 1, -1475},
    {0, 1, 1, -1, -1410},  {0, 1, 0, -1, -1344},  {1, 0, 0, -1, -1335},  {0, 0, 3, 1, 1107},
    {4, 0, 0, -1, 1021},   {4, 0, -1, 1, 833},    {0, 0, 1, -3, 777},    {4, 0, -2, 1, 671},
    {2, 0, 0, -3, 607},    {2, 0, 2, -1, 596},    {2, -1, 1, -1, 491},   {2, 0, -2, 1, -451},
    {0, 0, 3, -1, 439},    {2, 0, 2, 1, 422},     {2, 0, -3, -1, 421},   {2, 1, -1, 1, -366},
    {2, 1, 0, 1, -351},    {4, 0, 0, 1, 331},     {2, -1, 1, 1, 315},    {2, -2, 0, -1, 302},
    {0, 0, 1, 3, -283},    {2, 1, 1, -1, -229},   {1, 1, 0, -1, 223},    {1, 1, 0, 1, 223},
    {0, 1, -2, -1, -220},  {2, 1, -1, -1, -220},  {1, 0, 1, 1, -185},    {2, -1, -2, -1, 181},
    {0, 1, 2, 1, -177},    {4, 0, -2, -1, 176},   {4, -1, -1, -1, 166},  {1, 0, 1, -1, -164},
    {4, 0, 1, -1, 132},    {1, 0, -1, -1, -119},  {4, -1, 0, -1, 115},   {2, -2, 0, 1, 107},
}};

double polynomial(double t, std::initializer_list<double> coefficients) {
    double sum = 0;
    double power = 1;
    for (const double c : coefficients) {
        sum += c * power;
        power *= t;
    }
    return sum;
}

struct Arguments {
    double lp, d, m, mp, f;
};

Arguments fundamental_arguments(double t) {
    return {
        polynomial(t, {218.3164477, 481267.88123421, -0.0015786, 1.0 / 538841, -1.0 / 65194000}),
        polynomial(t, {297.8501921, 445267.1114034, -0.0018819, 1.0 / 545868, -1.0 / 113065000}),
        polynomial(t, {357.5291092, 35999.0502909, -0.0001536, 1.0 / 24490000}),
        polynomial(t, {134.9633964, 477198.8675055, 0.0087414, 1.0 / 69699, -1.0 / 14712000}),
        polynomial(t, {93.2720950, 483202.0175233, -0.0036539, -1.0 / 3526000, 1.0 / 863310000}),
    };
}

// The terms in M shrink with the decreasing eccentricity of the Earth's orbit.
double eccentricity_factor(int m_multiple, double e) {
    const int n = std::abs(m_multiple);
    return n == 0 ? 1.0 : (n == 1 ? e : e * e);
}

}  // namespace

double wrap_degrees(double degrees) {
    const double wrapped = std::fmod(degrees, 360.0);
    return wrapped < 0 ? wrapped + 360.0 : wrapped;
}

double julian_day_from_unix(double unix_seconds) {
    return unix_seconds / 86400.0 + 2440587.5;
}

double delta_t_seconds(double jd_ut) {
    const double year = 2000.0 + (jd_ut - kJ2000) / 365.25;
    const double t = year - 2000.0;
    return 62.92 + 0.32217 * t + 0.005589 * t * t;
}

double centuries_since_j2000(double jd) {
    return (jd - kJ2000) / 36525.0;
}

Ecliptic moon_geocentric(double jde) {
    const double t = centuries_since_j2000(jde);
    const Arguments a = fundamental_arguments(t);
    const double e = polynomial(t, {1.0, -0.002516, -0.0000074});
    const double a1 = 119.75 + 131.849 * t;
    const double a2 = 53.09 + 479264.290 * t;
    const double a3 = 313.45 + 481266.484 * t;

    double sum_l = 0;
    double sum_r = 0;
    for (const auto& term : kLongitudeDistance) {
        const double arg = term.d * a.d + term.m * a.m + term.mp * a.mp + term.f * a.f;
        const double factor = eccentricity_factor(term.m, e);
        sum_l += term.longitude * factor * sin_deg(arg);
        sum_r += term.distance * factor * cos_deg(arg);
    }
    double sum_b = 0;
    for (const auto& term : kLatitude) {
        const double arg = term.d * a.d + term.m * a.m + term.mp * a.mp + term.f * a.f;
        sum_b += term.latitude * eccentricity_factor(term.m, e) * sin_deg(arg);
    }
    // Venus, Jupiter and the Earth's flattening.
    sum_l += 3958 * sin_deg(a1) + 1962 * sin_deg(a.lp - a.f) + 318 * sin_deg(a2);
    sum_b += -2235 * sin_deg(a.lp) + 382 * sin_deg(a3) + 175 * sin_deg(a1 - a.f) +
             175 * sin_deg(a1 + a.f) + 127 * sin_deg(a.lp - a.mp) - 115 * sin_deg(a.lp + a.mp);

    return {wrap_degrees(a.lp + sum_l / 1e6), sum_b / 1e6, 385000.56 + sum_r / 1000.0};
}

Nutation nutation(double jde) {
    const double t = centuries_since_j2000(jde);
    const double omega = 125.04452 - 1934.136261 * t;
    const double sun = 280.4665 + 36000.7698 * t;
    const double moon = 218.3165 + 481267.8813 * t;
    const double psi = -17.20 * sin_deg(omega) - 1.32 * sin_deg(2 * sun) -
                       0.23 * sin_deg(2 * moon) + 0.21 * sin_deg(2 * omega);
    const double eps = 9.20 * cos_deg(omega) + 0.57 * cos_deg(2 * sun) + 0.10 * cos_deg(2 * moon) -
                       0.09 * cos_deg(2 * omega);
    return {psi / 3600.0, eps / 3600.0};
}

double mean_obliquity(double jde) {
    const double t = centuries_since_j2000(jde);
    const double seconds = polynomial(t, {21.448, -46.8150, -0.00059, 0.001813});
    return 23.0 + 26.0 / 60.0 + seconds / 3600.0;
}

namespace {

Equatorial apparent_place(const Ecliptic& geo, double jde) {
    const Nutation nut = nutation(jde);
    const double lambda = geo.longitude + nut.longitude;
    const double eps = mean_obliquity(jde) + nut.obliquity;
    const double ra =
        std::atan2(sin_deg(lambda) * cos_deg(eps) - std::tan(geo.latitude * kRad) * sin_deg(eps),
                   cos_deg(lambda)) /
        kRad;
    const double dec = std::asin(sin_deg(geo.latitude) * cos_deg(eps) +
                                 cos_deg(geo.latitude) * sin_deg(eps) * sin_deg(lambda)) /
                       kRad;
    return {wrap_degrees(ra), dec};
}

}  // namespace

Equatorial moon_apparent(double jde) {
    return apparent_place(moon_geocentric(jde), jde);
}

double mean_sidereal_time(double jd_ut) {
    const double t = centuries_since_j2000(jd_ut);
    return wrap_degrees(280.46061837 + 360.98564736629 * (jd_ut - kJ2000) + 0.000387933 * t * t -
                        t * t * t / 38710000.0);
}

Horizontal moon_horizontal(double jd_ut, const Observer& observer) {
    const double jde = jd_ut + delta_t_seconds(jd_ut) / 86400.0;
    const Ecliptic geo = moon_geocentric(jde);
    const Equatorial eq = apparent_place(geo, jde);
    const Nutation nut = nutation(jde);
    const double eps = mean_obliquity(jde) + nut.obliquity;
    const double sidereal = mean_sidereal_time(jd_ut) + nut.longitude * cos_deg(eps);
    const double hour_angle = sidereal + observer.longitude - eq.right_ascension;

    // The station's place relative to the Earth's centre, in equatorial radii.
    const double phi = observer.latitude * kRad;
    const double u = std::atan(kPolarRatio * std::tan(phi));
    const double height = observer.altitude / (kEarthEquatorKm * 1000.0);
    const double rho_sin = kPolarRatio * std::sin(u) + height * std::sin(phi);
    const double rho_cos = std::cos(u) + height * std::cos(phi);

    const double sin_parallax = kEarthEquatorKm / geo.distance_km;
    const double h = hour_angle * kRad;
    const double dec = eq.declination * kRad;
    const double denominator = std::cos(dec) - rho_cos * sin_parallax * std::cos(h);
    const double shift = std::atan2(-rho_cos * sin_parallax * std::sin(h), denominator);
    const double topo_dec =
        std::atan2((std::sin(dec) - rho_sin * sin_parallax) * std::cos(shift), denominator);
    const double topo_h = h - shift;

    const double elevation = std::asin(std::sin(phi) * std::sin(topo_dec) +
                                       std::cos(phi) * std::cos(topo_dec) * std::cos(topo_h));
    const double from_south = std::atan2(
        std::sin(topo_h), std::cos(topo_h) * std::sin(phi) - std::tan(topo_dec) * std::cos(phi));
    return {wrap_degrees(from_south / kRad + 180.0), elevation / kRad};
}

}  // namespace track_bridge
