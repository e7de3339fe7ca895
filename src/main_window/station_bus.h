#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>

#include "main_window/refusal.h"

// What other programs see of the station.
struct StationView {
    double azimuth = 0;  // last reported
    double elevation = 0;
    bool position_known = false;  // false until the controller has reported once
    double target_azimuth = 0;
    double target_elevation = 0;
    QString state;  // "idle", "manual" or "automatic"
    QString link;   // "up", "silent" or "down"

    bool operator==(const StationView&) const = default;
};

// The station on the session bus: its properties, and Stop, Park and MoveTo doing what the
// operation menu does. Changes go out as PropertiesChanged, looked for a few times a second.
class StationBus final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.azelrot.Station")
    Q_PROPERTY(double Azimuth READ azimuth)
    Q_PROPERTY(double Elevation READ elevation)
    Q_PROPERTY(bool PositionKnown READ position_known)
    Q_PROPERTY(double TargetAzimuth READ target_azimuth)
    Q_PROPERTY(double TargetElevation READ target_elevation)
    Q_PROPERTY(QString State READ state)
    Q_PROPERTY(QString Link READ link)

  public:
    static constexpr const char* service = "org.azelrot.Station";
    static constexpr const char* path = "/org/azelrot/Station";
    static constexpr const char* interface_name = "org.azelrot.Station";
    static constexpr const char* refused = "org.azelrot.Station.Error.Refused";
    // Nothing of the request could be written to the rotator.
    static constexpr const char* not_delivered = "org.azelrot.Station.Error.NotDelivered";

    // Each action gives the operator's message when it cannot be done.
    struct Controls {
        std::function<StationView()> view;
        std::function<std::optional<Refusal>()> stop;
        std::function<std::optional<Refusal>()> park;
        std::function<std::optional<Refusal>(double, double)> move_to;
        std::function<std::optional<Refusal>(const QString&, bool)> point_to;
    };

    explicit StationBus(Controls controls, QObject* parent = nullptr);
    ~StationBus() override;

    // Registers the object and claims the name; false, with nothing left behind, when the bus
    // is missing or the name is taken.
    bool publish(const QDBusConnection& bus);
    // Sends PropertiesChanged for whatever changed since the last look.
    void look_for_changes();

    double azimuth() const { return controls_.view().azimuth; }
    double elevation() const { return controls_.view().elevation; }
    bool position_known() const { return controls_.view().position_known; }
    double target_azimuth() const { return controls_.view().target_azimuth; }
    double target_elevation() const { return controls_.view().target_elevation; }
    QString state() const { return controls_.view().state; }
    QString link() const { return controls_.view().link; }

  public slots:
    void Stop();
    void Park();
    void MoveTo(double azimuth, double elevation);
    // A locator or "lat,lon", the short or the long way, at elevation 0.
    void PointTo(const QString& place, bool long_path);

  private:
    void answer(const std::optional<Refusal>& refusal);

    Controls controls_;
    std::optional<QDBusConnection> bus_;
    StationView last_;
    QTimer watch_;
};
