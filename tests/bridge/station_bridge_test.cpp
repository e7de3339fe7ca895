// The bridge as a process with a stand-in for the main program's station on the private
// session bus, asked by Hamlib's own network rotator client.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QTest>
#include <QThread>
#include <atomic>

#include "support/tools.h"
#include "support/tracking.h"

namespace {

// Answers on a thread of its own, so the test may block on processes meanwhile.
class FakeStation : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.azelrot.Station")
    Q_PROPERTY(double Azimuth READ azimuth)
    Q_PROPERTY(double Elevation READ elevation)
    Q_PROPERTY(bool PositionKnown READ known)
    Q_PROPERTY(QString State READ state)
  public:
    std::atomic<int> stops{0};
    std::atomic<int> moves{0};
    double azimuth() const { return 212.5; }
    double elevation() const { return 33.25; }
    bool known() const { return true; }
    QString state() const { return QStringLiteral("idle"); }
  public slots:
    void Stop() { ++stops; }
    void MoveTo(double az, double el) { moves += az == 10 && el == 20 ? 1 : 100; }
    void Park() { sendErrorReply(QStringLiteral("org.azelrot.Station.Error.Refused"), "no"); }
};

TEST(BridgeWithStation, PositionStopAndParkGoThroughTheStation) {
    NEED_TOOLS(QStringLiteral("AZELROT_TRACK_BRIDGE"), QStringLiteral("rotctl"));
    ASSERT_TRUE(QDBusConnection::sessionBus().isConnected());

    // The station's own connection, made and served on the worker thread.
    QThread worker;
    FakeStation station;
    station.moveToThread(&worker);
    worker.start();
    const QString connection = QStringLiteral("fake-station");
    bool published = false;
    QMetaObject::invokeMethod(
        &station,
        [&] {
            QDBusConnection bus =
                QDBusConnection::connectToBus(QDBusConnection::SessionBus, connection);
            published = bus.registerObject(QStringLiteral("/org/azelrot/Station"), &station,
                                           QDBusConnection::ExportAllSlots |
                                               QDBusConnection::ExportAllProperties) &&
                        bus.registerService(QStringLiteral("org.azelrot.Station"));
        },
        Qt::BlockingQueuedConnection);
    ASSERT_TRUE(published);

    support::Bridge bridge;
    ASSERT_TRUE(bridge.start({"--lat", "35.6895", "--lon", "139.6917"}));
    const support::RotctlRun run = support::run_rotctl(bridge.port(), "P 10 20\np\nS\nK\n");
    const std::string out = run.output.toStdString();
    EXPECT_TRUE(run.output.contains(QStringLiteral("Azimuth: 212.50"))) << out;
    EXPECT_TRUE(run.output.contains(QStringLiteral("Elevation: 33.25"))) << out;
    EXPECT_EQ(station.moves, 1);
    EXPECT_EQ(station.stops, 1);
    EXPECT_TRUE(run.output.contains(QStringLiteral("rejected"))) << out;

    bridge.stop();
    QMetaObject::invokeMethod(
        &station, [&] { QDBusConnection::disconnectFromBus(connection); },
        Qt::BlockingQueuedConnection);
    worker.quit();
    worker.wait();
}

}  // namespace

#include "station_bridge_test.moc"
