#include "link/operation_rules.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

namespace {

// Whole degrees of a text: digits only once the blanks around are gone.
std::optional<int> whole_degrees(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 4) return std::nullopt;
    int value = 0;
    for (const QChar c : t) {
        const int digit = c.digitValue();
        if (!c.isDigit() || digit < 0) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

}  // namespace

int azimuth_range(const QString& setting) {
    return setting.trimmed() == QStringLiteral("450") ? 450 : 360;
}

double overlap_azimuth(double target, double reported, int range) {
    if (range != 450 || !std::isfinite(target)) return target;
    const double other = target + 360;
    if (other > range) return target;
    return std::abs(other - reported) < std::abs(target - reported) ? other : target;
}

double shown_azimuth(double azimuth) {
    if (!std::isfinite(azimuth)) return azimuth;
    const double m = std::fmod(azimuth, 360.0);
    return m < 0 ? m + 360 : m;
}

double threshold_degrees(const QString& setting) {
    bool ok = false;
    const double v = setting.trimmed().toDouble(&ok);
    // A larger one would hold back nearly every command, and a huge one all of them, silently.
    return ok && std::isfinite(v) && v > 0 ? std::min(v, 90.0) : 0;
}

bool tracking_move_due(const std::optional<SentTarget>& last, const SentTarget& now,
                       double threshold) {
    if (threshold <= 0 || !last) return true;
    double daz = std::fmod(std::abs(now.azimuth - last->azimuth), 360.0);
    if (daz > 180) daz = 360 - daz;
    // A value that is not a number never holds a command back.
    if (std::isnan(daz) || std::isnan(now.elevation - last->elevation)) return true;
    return daz >= threshold || std::abs(now.elevation - last->elevation) >= threshold;
}

std::variant<Heading, QString> parse_heading(const QString& azimuth, const QString& elevation,
                                             int range) {
    const auto az = whole_degrees(azimuth);
    if (!az || *az > range) {
        return QCoreApplication::translate("heading", "方位は０～%1の整数（度）で入力してください")
            .arg(range);
    }
    const auto el = whole_degrees(elevation);
    if (!el || *el > max_heading_elevation) {
        return QCoreApplication::translate("heading", "仰角は０～%1の整数（度）で入力してください")
            .arg(max_heading_elevation);
    }
    return Heading{*az, *el};
}

std::vector<Preset> parse_presets(const QList<QPair<QString, QString>>& entries, int range) {
    std::vector<Preset> out;
    for (const auto& [name, value] : entries) {
        if (static_cast<int>(out.size()) == max_presets) break;
        Preset p{name.trimmed(), std::nullopt, {}};
        const qsizetype colon = value.indexOf(u':');
        if (colon < 0) {
            p.error = QCoreApplication::translate("heading", "「方位:仰角」の形で書いてください");
        } else {
            auto h = parse_heading(value.left(colon), value.mid(colon + 1), range);
            if (auto* heading = std::get_if<Heading>(&h)) {
                p.heading = *heading;
            } else {
                p.error = std::get<QString>(h);
            }
        }
        out.push_back(std::move(p));
    }
    return out;
}

std::variant<Heading, QString> heading_from_degrees(double azimuth, double elevation, int range) {
    if (!std::isfinite(azimuth) || azimuth < 0 || azimuth > range) {
        return QCoreApplication::translate("heading", "方位は０～%1の範囲で指定してください")
            .arg(range);
    }
    if (!std::isfinite(elevation) || elevation < 0 || elevation > max_heading_elevation) {
        return QCoreApplication::translate("heading", "仰角は０～%1の範囲で指定してください")
            .arg(max_heading_elevation);
    }
    return Heading{static_cast<int>(std::floor(azimuth)), static_cast<int>(std::floor(elevation))};
}

std::optional<int> range_from_reply(const QString& reply) {
    if (reply.contains(QStringLiteral("mode 450 Degree"))) return 450;
    if (reply.contains(QStringLiteral("mode 360 Degree"))) return 360;
    return std::nullopt;
}
