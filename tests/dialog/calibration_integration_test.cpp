// The settings dialog's calibration buttons against the simulated controller: each answer
// reaches the reply label of its own step, over the serial port and over the network board.

#include <gtest/gtest.h>

#include <QTest>

#include "settings_dialog/form2.h"
#include "support/station.h"

namespace integ {
namespace {

struct Step {
    const char* name;
    QPushButton* Form2::*button;
    const char* command;  // as the simulator logs it
    QLabel* Form2::*label;
    const char* shows;  // the label's text starts with this
    int prompts;        // message boxes the operator acknowledges first
};

const Step steps[] = {
    {"azimuth_offset", &Form2::Command2, "O", &Form2::Label4, "are you sure?(Y/N)", 2},
    {"range_450", &Form2::Command5, "P45", &Form2::Label5, "mode 450 Degree", 0},
    {"range_360", &Form2::Command6, "P36", &Form2::Label5, "mode 360 Degree", 0},
    {"azimuth_full_scale", &Form2::Command7, "F", &Form2::Label5, "AZ=123", 0},
    {"elevation_offset", &Form2::Command8, "O2", &Form2::Label6, "are you sure?(Y/N)", 1},
    {"full_scale", &Form2::Command11, "F2", &Form2::Label7, "AZ=123  EL=045", 2},
};

using Param = std::tuple<Transport, Step>;

class Calibration : public ::testing::TestWithParam<Param> {};

TEST_P(Calibration, AnswerShowsInTheStepsLabel) {
    const auto& [transport, step] = GetParam();
    Controller controller({"--initial", "123,45"});
    ASSERT_TRUE(controller.ready());
    Station station;
    station.write_settings({.transport = transport}, controller);
    Form1& form = station.start();
    QTest::qWait(200);
    ASSERT_TRUE(station.poll());
    const QString main_reply = form.Label16->text();

    form.menu_kannkyou_settei_Click();
    Form2& dialog = form.form2();
    ASSERT_TRUE(dialog.isVisible());
    const qsizetype before = controller.commands().size();
    QLabel* target = dialog.*(step.label);

    (dialog.*(step.button))->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !target->text().isEmpty(); }, 3000));
    EXPECT_TRUE(target->text().startsWith(QString::fromLatin1(step.shows)))
        << target->text().toStdString();
    EXPECT_EQ(station.message_box.shown.size(), step.prompts);
    ASSERT_GT(controller.commands().size(), before);
    EXPECT_EQ(controller.commands().at(before), QString::fromLatin1(step.command));
    // Only its own label speaks; the main window's reply line keeps the last position.
    for (QLabel* other : {dialog.Label4, dialog.Label5, dialog.Label6, dialog.Label7}) {
        if (other != target) {
            EXPECT_TRUE(other->text().isEmpty()) << other->text().toStdString();
        }
    }
    EXPECT_EQ(form.Label16->text(), main_reply);
}

INSTANTIATE_TEST_SUITE_P(Steps, Calibration,
                         ::testing::Combine(::testing::Values(Transport::pty, Transport::tcp),
                                            ::testing::ValuesIn(steps)),
                         [](const auto& info) {
                             return std::string(name_of(std::get<0>(info.param))) + "_" +
                                    std::get<1>(info.param).name;
                         });

}  // namespace
}  // namespace integ
