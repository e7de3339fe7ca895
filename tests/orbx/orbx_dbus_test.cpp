// The D-Bus link against the simulated tracking program, each run inside a private session bus.

#include <gtest/gtest.h>
#include <signal.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <iostream>

#include "fakes/fake_services.h"
#include "main_window/form1.h"
#include "platform/control_error.h"
#include "platform/dde_client_dbus.h"
#include "support/tools.h"
#include "support/tracking.h"

namespace {

const QString topic = QStringLiteral("ORBX|EXTRN");

void report(const char* what, qint64 ms) {
    std::cout << "[ timing ] " << what << ": " << ms << " ms\n";
}

using Sim = support::TrackingProgram;

// The simulator must be there; without it the test skips or fails by the common rule.
#define REQUIRE_SIM(sim)                                               \
    do {                                                               \
        NEED_TOOLS(QStringLiteral("AZELROT_ORBX_SIM"));                \
        ASSERT_TRUE((sim).ready()) << "orbx-sim did not become ready"; \
    } while (false)

// A main window whose link runs over the real D-Bus client; everything else is fake.
struct BusWorld {
    explicit BusWorld(platform::DbusTiming timing = {}) : dde(std::nullopt, timing) {
        module.orbx_link = QStringLiteral("1");
    }
    fake::World w;
    platform::DdeClientDbus dde;
    platform::Services services{
        w.serial,      w.board,          dde,           w.profile,     w.clock,
        w.message_box, w.instance_guard, w.program_dir, w.help_viewer, w.program_end};
    Module1 module{services};
    Form1 form{module, services};

    QColor link_lamp() const { return Form1::back_colour(form.Label1[0]); }
};

TEST(OrbxOverDbus, SetupFailsFastWhenTheProgramIsAbsent) {
    ASSERT_FALSE(support::tracking_name_owned());
    platform::DdeClientDbus dde;
    QElapsedTimer t;
    t.start();
    EXPECT_THROW(dde.link_setup(QStringLiteral("Text1"), topic, QStringLiteral("TEXT1")),
                 platform::ControlError);
    report("failed set-up, program absent", t.elapsed());
    EXPECT_LT(t.elapsed(), 500);
    EXPECT_THROW(dde.request(QStringLiteral("Text1")), platform::ControlError);
    EXPECT_NO_THROW(dde.end_link(QStringLiteral("Text1")));
}

TEST(OrbxOverDbus, BadTopicFailsWithoutTouchingTheBus) {
    platform::DdeClientDbus dde;
    EXPECT_THROW(
        dde.link_setup(QStringLiteral("Text1"), QStringLiteral("ORBX"), QStringLiteral("TEXT1")),
        platform::ControlError);
    EXPECT_THROW(dde.request(QStringLiteral("Text1")), platform::ControlError);
}

TEST(OrbxOverDbus, ValuesArriveInTheBoxesAndARefreshIsQuick) {
    Sim sim({QStringLiteral("--fixed"), QStringLiteral("TEXT1=TESTSAT"), QStringLiteral("--fixed"),
             QStringLiteral("TEXT2=123.4"), QStringLiteral("--fixed"),
             QStringLiteral("text11=-3.5")});
    REQUIRE_SIM(sim);
    BusWorld bw;
    bw.form.start_tracking_link();
    EXPECT_TRUE(bw.w.message_box.shown.isEmpty());
    EXPECT_EQ(bw.form.Text1->text(), QStringLiteral("TESTSAT"));
    EXPECT_EQ(bw.form.Text3->text(), QStringLiteral("123.4"));
    EXPECT_EQ(bw.form.Text15->text(), QStringLiteral("-3.5"));

    bw.form.show_tracking_value(TrackingItem::satellite_elevation, QString());
    bw.form.Text12->clear();
    QElapsedTimer t;
    t.start();
    bw.form.refresh_tracking_values();
    report("refresh of 11 items", t.elapsed());
    EXPECT_LT(t.elapsed(), 500);
    bool ok = false;
    const double elevation = bw.form.Text4->text().toDouble(&ok);
    EXPECT_TRUE(ok) << bw.form.Text4->text().toStdString();
    EXPECT_GE(elevation, -90.0);
    EXPECT_LE(elevation, 90.0);
    EXPECT_FALSE(bw.form.Text12->text().isEmpty());
    EXPECT_EQ(bw.link_lamp(), Form1::lamp_on());
    EXPECT_TRUE(bw.form.Command2->isEnabled());
}

// Slow, not hung: the tracked object's values first, the others in turn in what is left of the
// budget; a request it cannot cover is not made, so none is cut off and none fails.
TEST(OrbxOverDbus, ASlowProgramCostsOneBudgetPerRefresh) {
    Sim sim({QStringLiteral("--answer-delay"), QStringLiteral("200"), QStringLiteral("--fixed"),
             QStringLiteral("TEXT1=TESTSAT")});
    REQUIRE_SIM(sim);
    BusWorld bw;
    bw.form.Option1->setChecked(true);
    const auto filled = [&] {  // of the items after TEXT1 in the table
        return !bw.form.Text5->text().isEmpty() + !bw.form.Text8->text().isEmpty() +
               !bw.form.Text7->text().isEmpty() + !bw.form.Text6->text().isEmpty();
    };
    QElapsedTimer t;
    t.start();
    bw.form.start_tracking_link();
    report("link set-up, program answering each item in 200 ms", t.elapsed());
    EXPECT_LT(t.elapsed(), platform::refresh_budget_ms + 300);
    EXPECT_EQ(bw.form.Text1->text(), QStringLiteral("TESTSAT"));
    EXPECT_TRUE(bw.form.Text15->text().isEmpty());  // never reached: keeps its value
    const int after_link = filled();

    t.restart();
    bw.form.refresh_tracking_values();
    report("refresh, program answering each item in 200 ms", t.elapsed());
    EXPECT_LT(t.elapsed(), platform::refresh_budget_ms + 300);
    EXPECT_GT(filled(), after_link);
    EXPECT_EQ(bw.link_lamp(), Form1::lamp_on());
    EXPECT_TRUE(bw.form.Command2->isEnabled());
    EXPECT_TRUE(bw.w.message_box.shown.isEmpty());
    EXPECT_EQ(bw.dde.request(QStringLiteral("Text1")), QStringLiteral("TESTSAT"));  // no hold-off
}

TEST(OrbxOverDbus, AnItemTheProgramDoesNotPublishFailsItsRequest) {
    Sim sim;
    REQUIRE_SIM(sim);
    platform::DdeClientDbus dde;
    dde.link_setup(QStringLiteral("Text8"), topic, QStringLiteral("TEXT8"));
    EXPECT_THROW(dde.request(QStringLiteral("Text8")), platform::ControlError);
    dde.link_setup(QStringLiteral("Text12"), topic, QStringLiteral("text8"));
    EXPECT_NO_THROW(dde.request(QStringLiteral("Text12")));
}

TEST(OrbxOverDbus, ProgramKilledWhileLinkedFailsWithinTheBoundAndIsRelinkedWhenBack) {
    auto sim = std::make_unique<Sim>(
        QStringList{QStringLiteral("--fixed"), QStringLiteral("TEXT1=FIRST")});
    REQUIRE_SIM(*sim);
    BusWorld bw;
    bw.form.start_tracking_link();
    bw.form.refresh_tracking_values();
    ASSERT_EQ(bw.link_lamp(), Form1::lamp_on());

    sim.reset();
    QElapsedTimer t;
    t.start();
    bw.form.refresh_tracking_values();
    report("refresh and re-link with the program gone", t.elapsed());
    EXPECT_LT(t.elapsed(), 1500);
    EXPECT_EQ(bw.link_lamp(), Form1::lamp_failed());
    EXPECT_FALSE(bw.form.Command2->isEnabled());
    EXPECT_EQ(bw.form.Text1->text(), QStringLiteral("FIRST"));  // last value kept
    bw.form.refresh_tracking_values();
    EXPECT_EQ(bw.w.message_box.shown.size(), 1);

    Sim again({QStringLiteral("--fixed"), QStringLiteral("TEXT1=SECOND")});
    ASSERT_TRUE(again.ready());
    bw.form.refresh_tracking_values();  // re-links
    EXPECT_EQ(bw.form.Text1->text(), QStringLiteral("SECOND"));
    bw.form.refresh_tracking_values();  // confirms
    EXPECT_EQ(bw.link_lamp(), Form1::lamp_on());
    EXPECT_TRUE(bw.form.Command2->isEnabled());
    EXPECT_EQ(bw.w.message_box.shown.size(), 1);
}

TEST(OrbxOverDbus, AHungProgramCostsOneTimeoutThenIsLeftAloneUntilTheHoldOffEnds) {
    Sim sim;
    REQUIRE_SIM(sim);
    BusWorld bw(platform::DbusTiming{300, 800});
    bw.form.start_tracking_link();
    bw.form.refresh_tracking_values();
    ASSERT_EQ(bw.link_lamp(), Form1::lamp_on());

    ::kill(static_cast<pid_t>(sim.child().pid()), SIGSTOP);
    QElapsedTimer t;
    t.start();
    bw.form.refresh_tracking_values();
    report("refresh and re-link with the program hung (300 ms timeout)", t.elapsed());
    EXPECT_GE(t.elapsed(), 250);
    EXPECT_LT(t.elapsed(), 700);  // one timeout, not eleven or twenty-three
    EXPECT_EQ(bw.link_lamp(), Form1::lamp_failed());

    ::kill(static_cast<pid_t>(sim.child().pid()), SIGCONT);
    QThread::msleep(900);
    bw.form.refresh_tracking_values();
    bw.form.refresh_tracking_values();
    EXPECT_EQ(bw.link_lamp(), Form1::lamp_on());
}

TEST(OrbxOverDbus, FailAfterRefusesEveryLaterRequestAndTheLogListsThem) {
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("requests.log"));
    Sim sim({QStringLiteral("--fail-after"), QStringLiteral("3"), QStringLiteral("--log"), log});
    REQUIRE_SIM(sim);
    platform::DdeClientDbus dde;
    dde.link_setup(QStringLiteral("Text14"), topic, QStringLiteral("text10"));
    for (int i = 0; i < 3; ++i) EXPECT_NO_THROW(dde.request(QStringLiteral("Text14"))) << i;
    for (int i = 0; i < 3; ++i)
        EXPECT_THROW(dde.request(QStringLiteral("Text14")), platform::ControlError) << i;

    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("Request text10\n").repeated(6));
}

TEST(OrbxOverDbus, SimulatorEndsCleanlyOnSigtermAndAfterExitAfter) {
    {
        Sim sim;
        REQUIRE_SIM(sim);
        EXPECT_EQ(sim.child().stop(3000), 0);
        EXPECT_TRUE(support::wait_tracking_name_released());
    }
    Sim sim({QStringLiteral("--exit-after"), QStringLiteral("0.3")});
    REQUIRE_SIM(sim);
    ASSERT_TRUE(sim.child().process().waitForFinished(3000));
    EXPECT_EQ(sim.child().process().exitCode(), 0);
}

TEST(OrbxOverDbus, NoBusAtTheGivenAddressIsAFailedLink) {
    platform::DdeClientDbus dde(QStringLiteral("unix:path=/nonexistent/azelrot-no-bus"));
    for (int attempt = 0; attempt < 3; ++attempt) {
        QElapsedTimer t;
        t.start();
        EXPECT_THROW(dde.link_setup(QStringLiteral("Text1"), topic, QStringLiteral("TEXT1")),
                     platform::ControlError);
        EXPECT_LT(t.elapsed(), 500);
        EXPECT_THROW(dde.request(QStringLiteral("Text1")), platform::ControlError);
    }
}

// Runs only in the child below, where no session bus can be found.
TEST(OrbxOverDbus, ChildWithoutSessionBus) {
    if (!qEnvironmentVariableIsSet("AZELROT_ORBX_NO_BUS_CHILD")) GTEST_SKIP() << "runs in a child";
    BusWorld bw;
    bw.form.start_tracking_link();
    bw.form.refresh_tracking_values();
    EXPECT_EQ(bw.link_lamp(), Form1::lamp_failed());
    EXPECT_EQ(bw.w.message_box.shown.size(), 1);
    bw.form.close_tracking_link();
}

TEST(OrbxOverDbus, WithoutASessionBusTheLinkFailsAndNothingCrashes) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name :
         {"DBUS_SESSION_BUS_ADDRESS", "DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"})
        env.remove(QLatin1String(name));
    env.insert(QStringLiteral("AZELROT_ORBX_NO_BUS_CHILD"), QStringLiteral("1"));
    support::Child child;
    child.process().setProcessEnvironment(env);
    child.process().setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=OrbxOverDbus.ChildWithoutSessionBus")});
    ASSERT_TRUE(child.process().waitForFinished(20000));
    const QByteArray out = child.process().readAll();
    EXPECT_EQ(child.stop(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains("[  PASSED  ] 1 test")) << out.toStdString();
}

}  // namespace
