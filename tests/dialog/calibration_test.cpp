#include "dialog_fixture.h"

namespace {

const QString prompt1 =
    QStringLiteral("水平ローテータを反時計方向（０度）に回転させて停止するまで移動させてください");
const QString prompt2 = QStringLiteral("水平ローテータが０度になりましたらＯＫを押してください。");
const QString prompt3 =
    QStringLiteral("仰角ローテータを０ポイントまで回転させて停止するまで移動させてください");
const QString prompt4 = QStringLiteral(
    "水平ローテータを最大／仰角ローテータを90度まで回転させて停止するまで移動させてください");
const QString prompt5 =
    QStringLiteral("水平　最大／仰角９０度になりましたらＯＫ　を押してください");

enum class Transport { serial, board };

struct ButtonRow {
    const char* name;
    QPushButton* Form2::*button;
    const char* bytes;
    int mode;
    QStringList prompts;
};

const ButtonRow buttons[] = {
    {"AzimuthOffsetStart", &Form2::Command2, "O\r", 1, {prompt1, prompt2}},
    {"AzimuthOffsetYes", &Form2::Command3, "Y\r", 2, {}},
    {"AzimuthOffsetNo", &Form2::Command4, "\r", 2, {}},
    {"Range450", &Form2::Command5, "P45\r", 3, {}},
    {"Range360", &Form2::Command6, "P36\r", 3, {}},
    {"AzimuthFullScale", &Form2::Command7, "F\r", 3, {}},
    {"ElevationOffsetStart", &Form2::Command8, "O2\r", 4, {prompt3}},
    {"ElevationOffsetYes", &Form2::Command9, "Y\r", 5, {}},
    {"ElevationOffsetNo", &Form2::Command10, "\r", 5, {}},
    {"BothFullScale", &Form2::Command11, "F2\r", 6, {prompt4, prompt5}},
};

class CalibrationButton : public DialogTest,
                          public ::testing::WithParamInterface<std::tuple<ButtonRow, Transport>> {};

TEST_P(CalibrationButton, SendsRecordsTheStepAndWaits) {
    const auto& [row, transport] = GetParam();
    if (transport == Transport::board) {
        use_board();
    } else {
        use_serial();
    }
    Form2& f = open();
    QPushButton* const button = f.*row.button;
    button->setEnabled(true);  // the YES/NO pairs start disabled
    button->click();

    const QByteArray expected(row.bytes);
    if (transport == Transport::board) {
        EXPECT_EQ(w.board.sent, expected);
        EXPECT_TRUE(w.serial.written.isEmpty());
    } else {
        EXPECT_EQ(w.serial.written, expected);
        EXPECT_TRUE(w.board.sent.isEmpty());
    }
    EXPECT_EQ(w.module.operation_mode, static_cast<OperationMode>(row.mode));
    EXPECT_EQ(w.message_box.shown, row.prompts);
    // Over the board the command's own pause and the reader's settle pause come on top of
    // the half second.
    const double board_pause = transport == Transport::board ? 0.3 + 0.1 : 0.0;
    EXPECT_NEAR(w.clock.slept, 0.5 + board_pause, 0.01);
}

INSTANTIATE_TEST_SUITE_P(Table, CalibrationButton,
                         ::testing::Combine(::testing::ValuesIn(buttons),
                                            ::testing::Values(Transport::serial, Transport::board)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) == Transport::board ? "Board"
                                                                                 : "Serial");
                         });

struct PairRow {
    const char* name;
    QPushButton* Form2::*start;
    QPushButton* Form2::*yes;
    QPushButton* Form2::*no;
    QPushButton* Form2::*answer;  // the pair's button pressed after the start
};

const PairRow pairs[] = {
    {"AzimuthYes", &Form2::Command2, &Form2::Command3, &Form2::Command4, &Form2::Command3},
    {"AzimuthNo", &Form2::Command2, &Form2::Command3, &Form2::Command4, &Form2::Command4},
    {"ElevationYes", &Form2::Command8, &Form2::Command9, &Form2::Command10, &Form2::Command9},
    {"ElevationNo", &Form2::Command8, &Form2::Command9, &Form2::Command10, &Form2::Command10},
};

class ConfirmationPair : public DialogTest, public ::testing::WithParamInterface<PairRow> {};

TEST_P(ConfirmationPair, StartEnablesThePairAndAnAnswerRestoresIt) {
    const PairRow& row = GetParam();
    use_serial();
    Form2& f = open();
    QPushButton* const start = f.*row.start;
    QPushButton* const yes = f.*row.yes;
    QPushButton* const no = f.*row.no;
    bool start_disabled_during_prompt = false;
    w.message_box.on_show = [&](const QString&) {
        start_disabled_during_prompt = !start->isEnabled();
    };
    start->click();
    EXPECT_TRUE(start_disabled_during_prompt);
    EXPECT_FALSE(start->isEnabled());
    EXPECT_TRUE(yes->isEnabled());
    EXPECT_TRUE(no->isEnabled());

    (f.*row.answer)->click();
    EXPECT_TRUE(start->isEnabled());
    EXPECT_FALSE(yes->isEnabled());
    EXPECT_FALSE(no->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Table, ConfirmationPair, ::testing::ValuesIn(pairs),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DialogTest, OffsetPromptsComeBeforeTheCommandAndTheLabelIsCleared) {
    use_serial();
    Form2& f = open();
    f.Label4->setText(QStringLiteral("old answer"));
    QStringList seen;
    w.message_box.on_show = [&](const QString&) {
        seen << QString::fromLatin1(w.serial.written) + u'|' + f.Label4->text();
    };
    f.Command2->click();
    EXPECT_EQ(seen, QStringList({"|old answer", "|old answer"}));
    EXPECT_TRUE(f.Label4->text().isEmpty());

    f.Label6->setText(QStringLiteral("old answer"));
    f.Command8->click();
    EXPECT_TRUE(f.Label6->text().isEmpty());
}

TEST_F(DialogTest, BothFullScaleSendsBeforeThePromptsAndWaitsAfterThem) {
    use_serial();
    Form2& f = open();
    struct Moment {
        QByteArray written;
        int mode;
        double slept;
    };
    std::vector<Moment> moments;
    w.message_box.on_show = [&](const QString&) {
        moments.push_back(
            {w.serial.written, static_cast<int>(w.module.operation_mode), w.clock.slept});
    };
    f.Command11->click();
    ASSERT_EQ(moments.size(), 2U);
    for (const Moment& m : moments) {
        EXPECT_EQ(m.written, QByteArray("F2\r"));
        EXPECT_EQ(m.mode, 6);  // answers during the prompts are already routed
        EXPECT_EQ(m.slept, 0.0);
    }
    EXPECT_NEAR(w.clock.slept, 0.5, 0.01);
}

TEST_F(DialogTest, ConnectionChangedInTheDialogCarriesTheCommand) {
    use_serial();
    set(QStringLiteral("TCP/IP"), QStringLiteral("IP"), QStringLiteral("127.0.0.1"));
    Form2& f = open();
    f.Option4->click();
    f.Command6->click();
    EXPECT_EQ(w.board.sent, QByteArray("P36\r"));
    EXPECT_TRUE(w.serial.written.isEmpty());
}

TEST_F(DialogTest, EveryCommandIsLeftInTheSharedCommandText) {
    use_serial();
    Form2& f = open();
    f.Command5->click();
    EXPECT_EQ(w.module.command_text, QStringLiteral("5034350D"));
}

}  // namespace
