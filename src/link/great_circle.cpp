#include "link/great_circle.h"

#include <QCoreApplication>

#include <QRegularExpression>
#include <QStringList>
#include <cmath>
#include <numbers>
#include <optional>

namespace {

constexpr double degree = std::numbers::pi / 180;
constexpr double circumference_km = 2 * std::numbers::pi * earth_radius_km;
// Closer than this to the station or to the point opposite it, a bearing means nothing.
constexpr double undefined_within_km = 0.001;
// Nothing the operator means is longer; a longer text is not looked into.
constexpr qsizetype longest_place = 64;

double wrap_360(double degrees) {
    double d = std::fmod(degrees, 360.0);
    if (d < 0) d += 360;
    return d >= 360 ? 0 : d;
}

// Full-width letters, digits, comma, point and minus as their plain forms; the ideographic
// comma as a comma, as a Japanese input method types it.
QString plain(const QString& text) {
    QString t = text.normalized(QString::NormalizationForm_KC);
    t.replace(QChar(0x2212), u'-');
    t.replace(QChar(0x3001), u',');
    return t.trimmed();
}

QString general_form() {
    return QCoreApplication::translate(
        "place",
        "場所はロケーター（例 PM95vq）か「緯度,経度」（例 35.68,139.77）で入力してください");
}

// A decimal number of degrees: sign, digits and point only, no exponent.
std::optional<double> decimal_degrees(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^[+-]?([0-9]+(\\.[0-9]*)?|\\.[0-9]+)$"));
    const QString t = text.trimmed();
    if (!form.match(t).hasMatch()) return std::nullopt;
    bool ok = false;
    const double v = t.toDouble(&ok);
    return ok && std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

// East longitudes past 180 are taken as the bridge takes them.
std::variant<GeoPosition, QString> coordinates(const QString& latitude, const QString& longitude) {
    const auto lat = decimal_degrees(latitude);
    const auto lon = decimal_degrees(longitude);
    if (!lat || !lon) {
        return QCoreApplication::translate(
            "place",
            "緯度と経度は「35.68,139.77」のように度の10進数で、コンマで区切って入力してください");
    }
    if (*lat < -90 || *lat > 90) {
        return QCoreApplication::translate("place",
                                           "緯度は−90～90の度（北が正）で入力してください");
    }
    if (*lon < -180 || *lon > 360) {
        return QCoreApplication::translate("place",
                                           "経度は−180～360の度（東が正）で入力してください");
    }
    return GeoPosition{*lat, *lon};
}

// The centre of the square a locator names: field (A-R), square (0-9), subsquare (A-X),
// extended square (0-9), each a longitude then a latitude step.
std::optional<GeoPosition> locator_centre(const QString& text) {
    const QString t = text.toUpper();
    if (t.size() != 4 && t.size() != 6 && t.size() != 8) return std::nullopt;
    struct Pair {
        char16_t first, last;
        double lon_step, lat_step;
    } const pairs[] = {
        {u'A', u'R', 20, 10},
        {u'0', u'9', 2, 1},
        {u'A', u'X', 2.0 / 24, 1.0 / 24},
        {u'0', u'9', 2.0 / 240, 1.0 / 240},
    };
    double lon = -180;
    double lat = -90;
    double lon_step = 0;
    double lat_step = 0;
    for (qsizetype i = 0; i < t.size(); i += 2) {
        const Pair& p = pairs[i / 2];
        const char16_t x = t[i].unicode();
        const char16_t y = t[i + 1].unicode();
        if (x < p.first || x > p.last || y < p.first || y > p.last) return std::nullopt;
        lon += (x - p.first) * p.lon_step;
        lat += (y - p.first) * p.lat_step;
        lon_step = p.lon_step;
        lat_step = p.lat_step;
    }
    return GeoPosition{lat + lat_step / 2, lon + lon_step / 2};
}

}  // namespace

GreatCirclePath short_path(const GeoPosition& from, const GeoPosition& to) {
    const double p1 = from.latitude * degree;
    const double p2 = to.latitude * degree;
    const double dl = (to.longitude - from.longitude) * degree;
    const double y = std::sin(dl) * std::cos(p2);
    const double x = std::cos(p1) * std::sin(p2) - std::sin(p1) * std::cos(p2) * std::cos(dl);
    const double z = std::sin(p1) * std::sin(p2) + std::cos(p1) * std::cos(p2) * std::cos(dl);
    // atan2 keeps the angle accurate near the station and near the opposite point alike.
    const double angle = std::atan2(std::hypot(y, x), z);
    return {wrap_360(std::atan2(y, x) / degree), angle * earth_radius_km};
}

GreatCirclePath long_path(const GreatCirclePath& short_way) {
    return {wrap_360(short_way.bearing + 180), circumference_km - short_way.distance_km};
}

bool looks_like_place(const QString& text) {
    const QString t = plain(text);
    const auto latin = [](QChar c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); };
    return t.contains(u',') || (!t.isEmpty() && latin(t[0]));
}

std::variant<GeoPosition, QString> parse_place(const QString& text) {
    if (text.size() > longest_place) return general_form();
    const QString t = plain(text);
    const QStringList parts = t.split(u',');
    if (parts.size() == 2) return coordinates(parts[0], parts[1]);
    if (parts.size() > 2) return general_form();
    if (const auto centre = locator_centre(t)) return *centre;
    if (!t.isEmpty() && t[0].isLetter()) {
        return QCoreApplication::translate(
            "place", "ロケーターは4・6・8文字（例 PM95、PM95vq、PM95vq12）で入力してください");
    }
    return general_form();
}

StationPosition station_position(const QString& latitude, const QString& longitude) {
    if (latitude.trimmed().isEmpty() && longitude.trimmed().isEmpty()) return {};
    const QString lat = plain(latitude);
    const QString lon = plain(longitude);
    const auto p = coordinates(lat, lon);
    if (const auto* why = std::get_if<QString>(&p)) {
        const QString reason = decimal_degrees(lat) && decimal_degrees(lon)
                                   ? *why
                                   : QCoreApplication::translate(
                                         "place", "LAT と LON の両方に度の10進数を書いてください");
        return QCoreApplication::translate(
                   "place", "局の位置の設定（[STATION] の LAT と LON）が正しくありません：%1")
            .arg(reason);
    }
    return std::get<GeoPosition>(p);
}

std::variant<PlacePaths, QString> paths_to_place(const StationPosition& station,
                                                 const QString& place) {
    const auto target = parse_place(place);
    if (const auto* why = std::get_if<QString>(&target)) return *why;
    if (std::holds_alternative<std::monostate>(station)) {
        return QCoreApplication::translate(
            "place",
            "局の位置が設定されていません（azelrot.ini の [STATION] に LAT と LON "
            "を書いてください）");
    }
    if (const auto* why = std::get_if<QString>(&station)) return *why;
    const GreatCirclePath s =
        short_path(std::get<GeoPosition>(station), std::get<GeoPosition>(target));
    if (s.distance_km < undefined_within_km) {
        return QCoreApplication::translate("place",
                                           "その場所は局と同じ位置なので、方位が決まりません");
    }
    if (circumference_km / 2 - s.distance_km < undefined_within_km) {
        return QCoreApplication::translate("place",
                                           "その場所は局のちょうど裏側なので、方位が決まりません");
    }
    return PlacePaths{s, long_path(s)};
}
