// The bridge as a process with a stand-in for the main program's station on the private
// session bus, asked by Hamlib's own network rotator client.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QObject>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <atomic>

namespace {

// Answers on a thread of its own, so the test may block on processes meanwhile.
class FakeStation : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.azelrot.Station")
    Q_PROPERTY(double Azimuth READ azimuth)
    Q_PROPERTY(double Elevation READ elevation)
    Q_PROPERTY(bool PositionKnown READ known)
    Q_PROPERTY(QString State READ state)
  public:
    std::atomic<int> stops{0};
    std::atomic<int> parks{0};
    double azimuth() const { return 212.5; }
    double elevation() const { return 33.25; }
    bool known() const { return true; }
    QString state() const { return QStringLiteral("idle"); }
  public slots:
    void Stop() { ++stops; }
    void Park() { ++parks; }
};

bool wait_for(const std::function<bool()>& done, int ms) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QThread::msleep(20);
    }
    return true;
}

TEST(BridgeWithStation, PositionStopAndParkGoThroughTheStation) {
    const QString bridge = qEnvironmentVariable("AZELROT_TRACK_BRIDGE");
    const QString rotctl = QStandardPaths::findExecutable(QStringLiteral("rotctl"));
    if (bridge.isEmpty()) GTEST_SKIP() << "AZELROT_TRACK_BRIDGE is not set";
    if (rotctl.isEmpty()) GTEST_SKIP() << "rotctl is not installed (libhamlib-utils)";
    if (!QDBusConnection::sessionBus().isConnected()) GTEST_SKIP() << "no session bus";

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

    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(bridge, {"--listen", "127.0.0.1:0", "--lat", "35.6895", "--lon", "139.6917"});
    ASSERT_TRUE(process.waitForStarted(5000));
    ASSERT_TRUE(process.waitForReadyRead(10000));
    const QString line = QString::fromUtf8(process.readLine());
    const qsizetype at = line.indexOf(QStringLiteral("127.0.0.1:"));
    ASSERT_GE(at, 0) << line.toStdString();
    const QString port = line.mid(at + 10).section(u',', 0, 0);

    QProcess client;
    client.setProcessChannelMode(QProcess::MergedChannels);
    client.start(rotctl, {"-m", "2", "-r", QStringLiteral("127.0.0.1:") + port});
    ASSERT_TRUE(client.waitForStarted(5000));
    client.write("P 10 20\np\nS\nK\n");
    client.closeWriteChannel();
    ASSERT_TRUE(client.waitForFinished(20000));
    const QString out = QString::fromUtf8(client.readAll());
    EXPECT_EQ(client.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("Azimuth: 212.50"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("Elevation: 33.25"))) << out.toStdString();
    EXPECT_TRUE(wait_for([&] { return station.stops == 1 && station.parks == 1; }, 5000))
        << station.stops << " stops, " << station.parks << " parks";

    process.terminate();
    if (!process.waitForFinished(5000)) process.kill();
    process.waitForFinished(5000);
    QMetaObject::invokeMethod(
        &station, [&] { QDBusConnection::disconnectFromBus(connection); },
        Qt::BlockingQueuedConnection);
    worker.quit();
    worker.wait();
}

}  // namespace

#include "station_bridge_test.moc"
