// The tracking-program link procedures of the main window against the fake DDE client.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <functional>
#include <optional>

#include "fakes/fake_services.h"
#include "main_window/form1.h"
#include "platform/control_error.h"

namespace {

const QString not_running =
    QStringLiteral("ＯＲＢＸが起動していません。ＯＲＢＸを起動してください");
const QString topic = QStringLiteral("ORBX|EXTRN");

struct Binding {
    QLineEdit* Form1::*box;
    const char* box_name;
    const char* item;
};

// Set-up and refresh order, with the item each box is bound to.
const Binding bindings[] = {
    {&Form1::Text1, "Text1", "TEXT1"},    {&Form1::Text3, "Text3", "TEXT2"},
    {&Form1::Text4, "Text4", "TEXT3"},    {&Form1::Text5, "Text5", "TEXT4"},
    {&Form1::Text8, "Text8", "TEXT5"},    {&Form1::Text7, "Text7", "TEXT6"},
    {&Form1::Text6, "Text6", "TEXT7"},    {&Form1::Text12, "Text12", "text8"},
    {&Form1::Text13, "Text13", "text9"},  {&Form1::Text14, "Text14", "text10"},
    {&Form1::Text15, "Text15", "text11"},
};

QStringList setups() {
    QStringList out;
    for (const Binding& b : bindings)
        out << QStringLiteral("setup %1 %2 %3")
                   .arg(QLatin1String(b.box_name), topic, QLatin1String(b.item));
    return out;
}

// A refresh with the satellite chosen: its azimuth and elevation first, then the rest.
QStringList requests() {
    QStringList out{QStringLiteral("request Text3"), QStringLiteral("request Text4")};
    for (const Binding& b : bindings) {
        const QString request = QStringLiteral("request %1").arg(QLatin1String(b.box_name));
        if (!out.contains(request)) out << request;
    }
    return out;
}

// Wraps the fake to script what happens at one box: ORBX quitting mid-refresh, a failing end.
class ScriptedDde final : public platform::DdeClient {
  public:
    explicit ScriptedDde(fake::DdeClient& inner) : inner_(inner) {}

    std::function<void(const QString& box)> before_request;
    std::optional<QString> failing_end;

    void link_setup(const QString& box, const QString& t, const QString& item) override {
        inner_.link_setup(box, t, item);
    }
    QString request(const QString& box) override {
        if (before_request) before_request(box);
        return inner_.request(box);
    }
    void end_link(const QString& box) override {
        inner_.end_link(box);
        if (failing_end && *failing_end == box) throw platform::ControlError("end refused");
    }

  private:
    fake::DdeClient& inner_;
};

// A main window with the link configured, in the state start-up leaves before linking.
class TrackingLink : public ::testing::Test {
  protected:
    explicit TrackingLink(platform::DdeClient* dde = nullptr)
        : services_{w.serial,      w.board,       dde ? *dde : w.dde, w.profile,
                    w.clock,       w.message_box, w.instance_guard,   w.program_dir,
                    w.help_viewer, w.program_end},
          module_(services_) {
        module_.orbx_link = QStringLiteral("1");
        form = std::make_unique<Form1>(module_, services_);
        Form1::set_back_colour(form->Label1[0], Form1::lamp_on());
        Form1::set_back_colour(form->Label1[1], Form1::lamp_off());
        form->Command2->setEnabled(true);
        form->Option1->setChecked(true);
    }

    // ORBX running and publishing "<prefix><item>" for every item.
    void serve(const QString& prefix) {
        w.dde.server_running = true;
        for (const Binding& b : bindings)
            w.dde.items[QLatin1String(b.item)] = prefix + QLatin1String(b.item);
    }
    QString box_text(const Binding& b) const { return (form.get()->*b.box)->text(); }
    QColor link_lamp() const { return Form1::back_colour(form->Label1[0]); }
    QColor manual_lamp() const { return Form1::back_colour(form->Label1[1]); }

    fake::World w;
    platform::Services services_;
    Module1 module_;
    std::unique_ptr<Form1> form;
};

TEST_F(TrackingLink, AbsentAtStartShowsFailedLampsAndWarnsOnceOverManyTicks) {
    form->start_tracking_link();

    EXPECT_EQ(link_lamp(), Form1::lamp_failed());
    EXPECT_EQ(manual_lamp(), Form1::lamp_off());
    EXPECT_FALSE(form->Command2->isEnabled());
    EXPECT_TRUE(form->state().link_warning_shown);

    for (int tick = 0; tick < 30; ++tick) {
        w.dde.calls.clear();
        form->refresh_tracking_values();
        // Each tick fails at its first request and retries the whole link.
        const QStringList expected =
            QStringList{QStringLiteral("request Text3"), setups().front()} + setups() + requests();
        ASSERT_EQ(w.dde.calls, expected) << "tick " << tick;
    }
    EXPECT_EQ(w.message_box.shown, QStringList{not_running});
    EXPECT_EQ(link_lamp(), Form1::lamp_failed());
    EXPECT_FALSE(form->Command2->isEnabled());
}

TEST_F(TrackingLink, OrbxStartedLaterIsLinkedAndShownWorkingOnTheNextTick) {
    form->start_tracking_link();
    serve(QStringLiteral("v-"));

    form->refresh_tracking_values();  // fails on the stale links, re-links, fills the boxes
    for (const Binding& b : bindings)
        EXPECT_EQ(box_text(b), QStringLiteral("v-") + QLatin1String(b.item));
    EXPECT_EQ(link_lamp(), Form1::lamp_on());
    EXPECT_EQ(manual_lamp(), Form1::lamp_off());
    EXPECT_TRUE(form->Command2->isEnabled());
    EXPECT_EQ(w.message_box.shown.size(), 1);
}

TEST_F(TrackingLink, EachBoxReceivesItsOwnItemWithTheItemsCaseKept) {
    serve(QStringLiteral("v-"));
    form->start_tracking_link();

    EXPECT_EQ(w.dde.calls, QStringList{setups().front()} + setups() + requests());
    EXPECT_TRUE(w.dde.calls.contains(QStringLiteral("setup Text6 ORBX|EXTRN TEXT7")));
    EXPECT_TRUE(w.dde.calls.contains(QStringLiteral("setup Text12 ORBX|EXTRN text8")));
    for (const Binding& b : bindings)
        EXPECT_EQ(box_text(b), QStringLiteral("v-") + QLatin1String(b.item)) << b.box_name;
    EXPECT_TRUE(w.message_box.shown.isEmpty());
    EXPECT_FALSE(form->state().link_warning_shown);
}

TEST_F(TrackingLink, WorkingRefreshAsksForTheTrackedValuesFirstAndLightsTheLinkLamp) {
    serve(QStringLiteral("old-"));
    form->start_tracking_link();
    Form1::set_back_colour(form->Label1[0], Form1::lamp_failed());
    Form1::set_back_colour(form->Label1[1], Form1::lamp_on());
    form->Command2->setEnabled(false);
    serve(QStringLiteral("new-"));
    w.dde.calls.clear();

    form->refresh_tracking_values();

    EXPECT_EQ(w.dde.calls, requests());
    for (const Binding& b : bindings)
        EXPECT_EQ(box_text(b), QStringLiteral("new-") + QLatin1String(b.item));
    EXPECT_EQ(link_lamp(), Form1::lamp_on());
    EXPECT_EQ(manual_lamp(), Form1::lamp_off());
    EXPECT_TRUE(form->Command2->isEnabled());
}

// Whatever fits the second each refresh has, the tracked values come first and the others in
// turn; a request the time left cannot cover is not made, and is no failure.
TEST_F(TrackingLink, ASlowProgramGivesTheTrackedValuesEveryTickAndTheOthersInTurn) {
    const struct {
        double answer_seconds;
        QStringList asked;
        bool all_fresh;
    } cases[] = {
        {0.25,
         {"Text3,Text4,Text1,Text5", "Text3,Text4,Text8,Text7", "Text3,Text4,Text6,Text12",
          "Text3,Text4,Text13,Text14", "Text3,Text4,Text15,Text1"},
         true},
        // Two a second: every other refresh gives the elevation's turn to the next other value
        // (the turn goes on from where the re-link left it).
        {0.45, {"Text3,Text4", "Text3,Text7", "Text3,Text4", "Text3,Text6", "Text3,Text4"}, false},
    };
    for (const auto& c : cases) {
        serve(QStringLiteral("v-"));
        form->start_tracking_link();
        w.dde.answer_seconds = c.answer_seconds;
        QStringList asked;
        for (int tick = 0; tick < 5; ++tick) {
            w.dde.calls.clear();
            form->refresh_tracking_values();
            asked << w.dde.calls.join(u',').remove(QStringLiteral("request "));
        }
        EXPECT_EQ(asked, c.asked) << c.answer_seconds;
        EXPECT_EQ(link_lamp(), Form1::lamp_on());
        EXPECT_TRUE(form->Command2->isEnabled());
        for (std::size_t i = 0; c.all_fresh && i < tracking_item_count; ++i)
            EXPECT_LE(*form->value_age(static_cast<TrackingItem>(i)), 5.0) << i;
    }
}

TEST_F(TrackingLink, RequestFailingAtTheFifthBoxStopsTheRefreshThereAndRelinks) {
    serve(QStringLiteral("old-"));
    form->start_tracking_link();
    serve(QStringLiteral("new-"));
    w.dde.failing_item = QStringLiteral("TEXT5");  // the item of Text8
    w.dde.calls.clear();

    form->refresh_tracking_values();

    const QStringList refreshed = requests().mid(0, 5);
    EXPECT_EQ(w.dde.calls.mid(0, 6), refreshed + QStringList{setups().front()});
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(box_text(bindings[i]), QStringLiteral("new-") + bindings[i].item);
    EXPECT_EQ(form->Text8->text(), QStringLiteral("old-TEXT5"));
}

// ORBX quits while the refresh is at Text8: the boxes before it are fresh, the rest stale.
class TrackingLinkOrbxQuits : public TrackingLink {
  protected:
    TrackingLinkOrbxQuits() : TrackingLink(&scripted_) {}
    ScriptedDde scripted_{w.dde};
};

TEST_F(TrackingLinkOrbxQuits, BoxesAfterTheFailureKeepTheirOldValues) {
    serve(QStringLiteral("old-"));
    form->start_tracking_link();
    serve(QStringLiteral("new-"));
    scripted_.before_request = [this](const QString& box) {
        if (box == QStringLiteral("Text8")) w.dde.server_running = false;
    };

    form->refresh_tracking_values();

    for (std::size_t i = 0; i < std::size(bindings); ++i) {
        const QString prefix = i < 4 ? QStringLiteral("new-") : QStringLiteral("old-");
        EXPECT_EQ(box_text(bindings[i]), prefix + bindings[i].item) << bindings[i].box_name;
    }
    EXPECT_EQ(link_lamp(), Form1::lamp_failed());
    EXPECT_EQ(manual_lamp(), Form1::lamp_off());
    EXPECT_FALSE(form->Command2->isEnabled());
    EXPECT_EQ(w.message_box.shown, QStringList{not_running});
}

TEST_F(TrackingLink, ATickDuringTheWarningBoxDoesNotShowItAgain) {
    w.message_box.on_show = [this](const QString&) { form->refresh_tracking_values(); };
    form->start_tracking_link();
    EXPECT_EQ(w.message_box.shown, QStringList{not_running});
}

TEST_F(TrackingLink, WarningFromATickComesAfterItAndTheCycleRunsUnderTheBox) {
    module_.picnic_mode = QStringLiteral("0");
    w.serial.open = true;
    form->Option1->setChecked(true);
    form->state().auto_tracking = true;
    form->show_tracking_value(TrackingItem::satellite_azimuth, QStringLiteral("10"));
    form->show_tracking_value(TrackingItem::satellite_elevation, QStringLiteral("20"));
    w.message_box.on_show = [this](const QString&) { form->Timer1_Timer(); };

    form->Timer1_Timer();
    EXPECT_TRUE(w.message_box.shown.isEmpty());
    EXPECT_EQ(w.serial.written, QByteArray("W010 020\rC2\r"));

    QCoreApplication::processEvents();
    EXPECT_EQ(w.message_box.shown, QStringList{not_running});
    // The tick that came while the box was open commanded the last angles again.
    EXPECT_EQ(w.serial.written, QByteArray("W010 020\rC2\rW010 020\rC2\r"));
}

TEST_F(TrackingLink, AutomaticTrackingStaysStoppableWhileTheLinkIsDown) {
    form->state().auto_tracking = true;
    form->Command2->setText(QStringLiteral("自動追尾終了"));
    form->refresh_tracking_values();
    EXPECT_EQ(link_lamp(), Form1::lamp_failed());
    EXPECT_TRUE(form->Command2->isEnabled());

    form->Command2_Click();
    EXPECT_FALSE(form->state().auto_tracking);
    EXPECT_EQ(form->Command2->text(), QStringLiteral("自動追尾開始"));
    form->refresh_tracking_values();
    EXPECT_FALSE(form->Command2->isEnabled());
}

TEST_F(TrackingLink, ValuesAreKeptAsReceivedAndTypingIntoABoxReplacesItsValue) {
    serve(QStringLiteral(" 12 3.9 "));
    form->start_tracking_link();
    for (std::size_t i = 0; i < tracking_item_count; ++i) {
        EXPECT_EQ(form->state().values[i],
                  QStringLiteral(" 12 3.9 ") + QLatin1String(bindings[i].item));
    }
    form->Text4->clear();  // from code: the value stays
    EXPECT_EQ(form->state().value(TrackingItem::satellite_elevation),
              QStringLiteral(" 12 3.9 TEXT3"));
    QKeyEvent key(QEvent::KeyPress, Qt::Key_4, Qt::NoModifier, QStringLiteral("4"));
    QCoreApplication::sendEvent(form->Text4, &key);
    EXPECT_EQ(form->state().value(TrackingItem::satellite_elevation), QStringLiteral("4"));
}

TEST_F(TrackingLink, BoxesShowTheStartOfLongValues) {
    serve(QStringLiteral("123.456789-"));
    form->start_tracking_link();
    for (const Binding& b : bindings)
        EXPECT_EQ((form.get()->*b.box)->cursorPosition(), 0) << b.box_name;
    serve(QStringLiteral("ISS (ZARYA)-"));
    form->refresh_tracking_values();
    for (const Binding& b : bindings)
        EXPECT_EQ((form.get()->*b.box)->cursorPosition(), 0) << b.box_name;
}

// The program is there and owns the name, but refuses every item.
class TrackingLinkItemsRefused : public TrackingLink {
  protected:
    TrackingLinkItemsRefused() : TrackingLink(&scripted_) {
        scripted_.before_request = [](const QString&) {
            throw platform::ControlError("item refused");
        };
    }
    ScriptedDde scripted_{w.dde};
};

TEST_F(TrackingLinkItemsRefused, IsAFailedLink) {
    serve(QStringLiteral("v-"));
    form->start_tracking_link();
    form->refresh_tracking_values();
    EXPECT_EQ(link_lamp(), Form1::lamp_failed());
    EXPECT_EQ(manual_lamp(), Form1::lamp_off());
    EXPECT_FALSE(form->Command2->isEnabled());

    form->state().auto_tracking = true;
    form->refresh_tracking_values();
    EXPECT_EQ(link_lamp(), Form1::lamp_failed());
    EXPECT_TRUE(form->Command2->isEnabled());
}

TEST_F(TrackingLink, ClosingEndsEveryLinkInNumericOrderThenAsksTheHelpViewerToQuit) {
    serve(QStringLiteral("v-"));
    form->start_tracking_link();
    w.dde.calls.clear();

    form->close_tracking_link();

    QStringList expected;
    for (const char* box : {"Text1", "Text3", "Text4", "Text5", "Text6", "Text7", "Text8", "Text12",
                            "Text13", "Text14", "Text15"})
        expected << QStringLiteral("end %1").arg(QLatin1String(box));
    EXPECT_EQ(w.dde.calls, expected);
    EXPECT_EQ(w.help_viewer.quits, QStringList{QStringLiteral("VBdeIE.hlp")});
}

class TrackingLinkEndRefused : public TrackingLink {
  protected:
    TrackingLinkEndRefused() : TrackingLink(&scripted_) {}
    ScriptedDde scripted_{w.dde};
};

TEST_F(TrackingLinkEndRefused, AFailingEndIsSkippedAndTheRestStillClose) {
    scripted_.failing_end = QStringLiteral("Text4");
    form->close_tracking_link();
    EXPECT_EQ(w.dde.calls.size(), 11);
    EXPECT_EQ(w.dde.calls.back(), QStringLiteral("end Text15"));
    EXPECT_EQ(w.help_viewer.quits, QStringList{QStringLiteral("VBdeIE.hlp")});
}

// Any text but exactly "1" leaves the link off.
class TrackingLinkOff : public TrackingLink, public ::testing::WithParamInterface<const char*> {};

TEST_P(TrackingLinkOff, NoDdeCallAtAllOnlyTheHelpViewerQuitAtExit) {
    module_.orbx_link = QString::fromUtf8(GetParam());
    serve(QStringLiteral("v-"));
    form->show_tracking_value(TrackingItem::satellite_azimuth, QStringLiteral("keep"));

    for (int tick = 0; tick < 3; ++tick) form->refresh_tracking_values();
    form->link_tracking_boxes();
    form->close_tracking_link();

    EXPECT_TRUE(w.dde.calls.isEmpty()) << w.dde.calls.join(u',').toStdString();
    EXPECT_EQ(form->Text3->text(), QStringLiteral("keep"));
    EXPECT_EQ(link_lamp(), Form1::lamp_on());  // untouched
    EXPECT_EQ(w.help_viewer.quits, QStringList{QStringLiteral("VBdeIE.hlp")});
    EXPECT_TRUE(w.message_box.shown.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Values, TrackingLinkOff,
                         ::testing::Values("0", "", "2", " 1", "1 ", "１"));

}  // namespace
