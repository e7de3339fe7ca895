// The station on a private session bus, driven from another connection as another program
// would.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QElapsedTimer>

#include "fakes/fake_services.h"
#include "main_window/form1.h"
#include "main_window/station_bus.h"

namespace {

const QString service = QString::fromLatin1(StationBus::service);
const QString path = QString::fromLatin1(StationBus::path);
const QString iface = QString::fromLatin1(StationBus::interface_name);

bool run_until(const std::function<bool()>& done, int ms = 3000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

class StationOnTheBus : public ::testing::Test {
  protected:
    fake::World w;
    std::unique_ptr<Form1> form;
    QDBusConnection client = QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                                           QStringLiteral("station-test-client"));

    void SetUp() override {
        if (!client.isConnected()) GTEST_SKIP() << "no session bus";
        w.set_ini(QStringLiteral("GS232B"), QStringLiteral("ORBX"), QStringLiteral("1"));
        form = w.load_form1();
        // Polls from here on are answered.
        w.serial.on_written = [this](const QByteArray& bytes) {
            if (bytes.endsWith("\r") && w.serial.written.endsWith("C2\r"))
                w.serial.feed("AZ=123 EL=045\r");
        };
        form->publish_station();
        ASSERT_NE(form->station_bus(), nullptr);
        w.serial.written.clear();
    }

    void TearDown() override {
        form.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("station-test-client"));
    }

    // The reply, with the station's window running its events meanwhile.
    QDBusMessage call(const QString& interface, const QString& method,
                      const QList<QVariant>& args = {}) {
        QDBusMessage m = QDBusMessage::createMethodCall(service, path, interface, method);
        m.setArguments(args);
        QDBusPendingCall pending = client.asyncCall(m, 3000);
        run_until([&] { return pending.isFinished(); });
        return pending.reply();
    }

    QVariant property(const QString& name) {
        const QDBusMessage r = call(QStringLiteral("org.freedesktop.DBus.Properties"),
                                    QStringLiteral("Get"), {iface, name});
        if (r.type() != QDBusMessage::ReplyMessage) return {};
        return r.arguments().value(0).value<QDBusVariant>().variant();
    }
};

TEST_F(StationOnTheBus, ShowsPositionTargetAndStateAndObeysItsMethods) {
    EXPECT_EQ(property(QStringLiteral("PositionKnown")).toBool(), false);
    EXPECT_EQ(property(QStringLiteral("State")).toString(), QStringLiteral("idle"));
    form->Command1_Click();
    EXPECT_EQ(property(QStringLiteral("PositionKnown")).toBool(), true);
    EXPECT_EQ(property(QStringLiteral("Azimuth")).toDouble(), 123);
    EXPECT_EQ(property(QStringLiteral("Elevation")).toDouble(), 45);
    w.serial.written.clear();

    QDBusMessage r = call(iface, QStringLiteral("MoveTo"), {250.7, 30.0});
    EXPECT_EQ(r.type(), QDBusMessage::ReplyMessage) << r.errorMessage().toStdString();
    EXPECT_EQ(w.serial.written, QByteArray("W250 030\r"));
    EXPECT_EQ(property(QStringLiteral("State")).toString(), QStringLiteral("manual"));
    EXPECT_EQ(property(QStringLiteral("TargetAzimuth")).toDouble(), 250);
    EXPECT_EQ(property(QStringLiteral("TargetElevation")).toDouble(), 30);

    w.serial.written.clear();
    r = call(iface, QStringLiteral("Stop"));
    EXPECT_EQ(r.type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(w.serial.written, QByteArray("S\r"));
    EXPECT_EQ(property(QStringLiteral("State")).toString(), QStringLiteral("idle"));

    w.serial.written.clear();
    r = call(iface, QStringLiteral("Park"));
    EXPECT_EQ(r.type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(w.serial.written, QByteArray("W000 000\r"));

    w.serial.written.clear();
    r = call(iface, QStringLiteral("MoveTo"), {500.0, 10.0});
    EXPECT_EQ(r.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(r.errorName(), QString::fromLatin1(StationBus::refused));
    EXPECT_EQ(r.errorMessage(), QStringLiteral("方位は０～360の範囲で指定してください"));
    EXPECT_EQ(w.serial.written, QByteArray());
}

TEST_F(StationOnTheBus, PointToNeedsTheStationPosition) {
    QDBusMessage r = call(iface, QStringLiteral("PointTo"), {QStringLiteral("PM95vq"), false});
    EXPECT_EQ(r.errorName(), QString::fromLatin1(StationBus::refused));
    EXPECT_TRUE(r.errorMessage().startsWith(QStringLiteral("局の位置が設定されていません")));
    form->operation.station = GeoPosition{0, 0};
    r = call(iface, QStringLiteral("PointTo"), {QStringLiteral("0,90"), true});
    EXPECT_EQ(w.serial.written, QByteArray("W270 000\r")) << r.errorMessage().toStdString();
}

TEST_F(StationOnTheBus, LostLinkIsShownAndNothingIsDelivered) {
    form->Command1_Click();
    EXPECT_EQ(property(QStringLiteral("Link")).toString(), QStringLiteral("up"));
    w.serial.fail_open = true;
    w.serial.open = false;
    form->watch_link();
    EXPECT_EQ(property(QStringLiteral("Link")).toString(), QStringLiteral("down"));
    EXPECT_EQ(property(QStringLiteral("PositionKnown")).toBool(), false);
    for (const QString& method : {QStringLiteral("Stop"), QStringLiteral("Park")})
        EXPECT_EQ(call(iface, method).errorName(), QLatin1String(StationBus::not_delivered));
    EXPECT_EQ(w.serial.written, QByteArray("C2\r"));
}

TEST_F(StationOnTheBus, ChangesAreSignalled) {
    // Any slot will do as the catcher: deleteLater ends the receiver, which the test sees.
    auto* receiver = new QObject;
    bool signalled = false;
    QObject::connect(receiver, &QObject::destroyed, [&] { signalled = true; });
    ASSERT_TRUE(client.connect(service, path, QStringLiteral("org.freedesktop.DBus.Properties"),
                               QStringLiteral("PropertiesChanged"), receiver, SLOT(deleteLater())));
    form->Command1_Click();  // the first position
    EXPECT_TRUE(run_until([&] { return signalled; }));
    if (!signalled) delete receiver;
}

TEST_F(StationOnTheBus, ASecondStationRunsOnWithoutTheName) {
    fake::World other;
    auto second = other.load_form1();
    second->publish_station();
    EXPECT_EQ(second->station_bus(), nullptr);
    EXPECT_EQ(property(QStringLiteral("State")).toString(), QStringLiteral("idle"));
}

}  // namespace
