#include <gtest/gtest.h>

#include <QFile>

#include "fakes/fake_services.h"
#include "main_window/form1.h"
#include "platform/control_error.h"
#include "settings_dialog/form2.h"

namespace {

const QString com_open = QStringLiteral("COM OPEN");
// A wait ends on the first clock reading past its end, so the fake clock overshoots a little.
constexpr double settle_slack = 0.002;

class LinkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        w.module.debug_flag = QStringLiteral("1");
        w.module.picnic_mode = QStringLiteral("0");
        w.module.port_name = QStringLiteral("COM1");
        w.module.board_address = QStringLiteral("127.0.0.1");
        form = w.make_form1();
    }

    // Logged messages, without their time stamps.
    QStringList log() const {
        QFile file(w.program_dir.file(QStringLiteral("azelrot.log")));
        if (!file.open(QIODevice::ReadOnly)) return {};
        QStringList messages;
        for (const QString& line :
             QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"))) {
            if (!line.isEmpty()) messages << line.mid(line.indexOf(QStringLiteral("  ")) + 2);
        }
        return messages;
    }

    void receive(const QByteArray& bytes) { w.serial.feed(bytes); }

    fake::World w;
    std::unique_ptr<Form1> form;
};

// --- serial receive path -------------------------------------------------------------------

struct SerialRow {
    const char* name;
    QByteArray reply;
    double azimuth;  // expected afterwards; the fields start at 11 and 22
    double elevation;
    std::optional<QByteArray> label16;  // expected text; nothing: unchanged ("before")
};

class SerialReplies : public LinkTest, public ::testing::WithParamInterface<SerialRow> {};

TEST_P(SerialReplies, ParsesShowsAndLogs) {
    const SerialRow& row = GetParam();
    form->state().antenna_azimuth = 11;
    form->state().antenna_elevation = 22;
    form->Label16->setText(QStringLiteral("before"));
    receive(row.reply);
    EXPECT_EQ(form->state().antenna_azimuth, row.azimuth);
    EXPECT_EQ(form->state().antenna_elevation, row.elevation);
    EXPECT_EQ(form->Label16->text(),
              row.label16 ? QString::fromLatin1(*row.label16) : QStringLiteral("before"));
    EXPECT_EQ(log(),
              QStringList{QStringLiteral("receive_proc : ") + QString::fromLatin1(row.reply)});
    EXPECT_TRUE(w.serial.rx.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, SerialReplies,
    // The parsing itself is tabled in reply_test.cpp; here how its outcome is applied.
    // Label16 shows the reply without its closing CR; the log keeps every byte.
    ::testing::Values(SerialRow{"Plain", "AZ=005 EL=000\r", 5, 0, "AZ=005 EL=000"},
                      SerialRow{"TwoLines", "AZ=010 EL=020\rAZ=030 EL=040\r", 10, 20,
                                "AZ=010 EL=020\rAZ=030 EL=040"},
                      SerialRow{"NoBlankAfterAzimuth", "AZ=123\r", 11, 22, "AZ=123"},
                      SerialRow{"NoCrKeepsElevation", "AZ=123 EL=045", 123, 22, "AZ=123 EL=045"},
                      SerialRow{"Garbage", QByteArray("\x00\xff\x01zz\r", 6), 11, 22,
                                std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LinkTest, SplitReplyIsTwoReadsAndOnlyTheFirstSetsTheAzimuth) {
    form->state().antenna_elevation = 22;
    receive("AZ=123 EL=");
    receive("045\r");
    EXPECT_EQ(form->state().antenna_azimuth, 123);
    EXPECT_EQ(form->state().antenna_elevation, 22);
    EXPECT_EQ(log(), (QStringList{QStringLiteral("receive_proc : AZ=123 EL="),
                                  QStringLiteral("receive_proc : 045\r")}));
}

TEST_F(LinkTest, ReceiveWaitsOneTenthOfASecondFirst) {
    receive("AZ=005 EL=000\r");
    EXPECT_NEAR(w.clock.slept, 0.1, settle_slack);
    EXPECT_EQ(w.clock.evented, 0);
}

TEST_F(LinkTest, ReceiveEventWithNothingWaitingDoesNothing) {
    form->Label16->setText(QStringLiteral("before"));
    w.serial.raise(platform::comm_event::receive);
    EXPECT_EQ(form->Label16->text(), QStringLiteral("before"));
    EXPECT_TRUE(log().isEmpty());
    EXPECT_EQ(form->form2_if_loaded(), nullptr);
}

TEST_F(LinkTest, PositionRepliesAreNotShownWhileTheDialogIsOpen) {
    w.module.operation_mode = OperationMode::settings_open;
    form->Label16->setText(QStringLiteral("before"));
    receive("AZ=005 EL=007\r");
    EXPECT_EQ(form->state().antenna_azimuth, 0);
    EXPECT_EQ(form->Label16->text(), QStringLiteral("before"));
    EXPECT_EQ(log(), QStringList{QStringLiteral("receive_proc : AZ=005 EL=007\r")});
}

// A serial control whose bytes keep arriving after the count was read.
class LateSerial final : public platform::SerialControl {
  public:
    QByteArray rx;
    QByteArray late;
    void set_comm_port(int) override {}
    void set_device(const QString&) override {}
    void set_settings(const QString&) override {}
    void set_handshaking(int) override {}
    void set_rthreshold(int) override {}
    void set_sthreshold(int) override {}
    void set_port_open(bool) override {}
    bool port_open() const override { return true; }
    void set_output(const QByteArray&) override {}
    int comm_event() const override { return platform::comm_event::receive; }
    void set_input_len(int) override {}
    int in_buffer_count() override {
        const int n = static_cast<int>(rx.size());
        rx += late;
        return n;
    }
    QByteArray input() override { return std::exchange(rx, {}); }
    void set_on_comm(std::function<void()>) override {}
};

TEST(LinkLateBytes, BytesArrivingAfterTheCountAreNotLost) {
    fake::World w;
    LateSerial serial;
    platform::Services services{
        serial,        w.board,          w.dde,         w.profile,     w.clock,
        w.message_box, w.instance_guard, w.program_dir, w.help_viewer, w.program_end};
    Module1 module(services);
    Form1 form(module, services);
    form.state().antenna_elevation = 22;
    serial.rx = "AZ=123 EL=0";
    serial.late = "45\r";
    form.MSComm1_OnComm();
    EXPECT_EQ(form.state().antenna_azimuth, 123);
    EXPECT_EQ(form.state().antenna_elevation, 45);
    EXPECT_EQ(form.Label16->text(), QStringLiteral("AZ=123 EL=045"));
}

// --- the settings dialog's reply labels -----------------------------------------------------

struct DialogRow {
    int mode;
    const char* reply;
    std::array<const char*, 4> labels;  // Label4..Label7 afterwards; "old" = kept
    bool parsed;
};

class DialogLabels : public LinkTest, public ::testing::WithParamInterface<DialogRow> {};

TEST_P(DialogLabels, FollowTheCalibrationStep) {
    const DialogRow& row = GetParam();
    w.module.operation_mode = static_cast<OperationMode>(row.mode);
    Form2& dialog = form->form2();
    QLabel* labels[] = {dialog.Label4, dialog.Label5, dialog.Label6, dialog.Label7};
    for (QLabel* label : labels) label->setText(QStringLiteral("old"));
    receive(row.reply);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(labels[i]->text(), QString::fromUtf8(row.labels[i])) << "Label" << i + 4;
    }
    EXPECT_EQ(form->state().antenna_azimuth, row.parsed ? 450 : 0);
    EXPECT_FALSE(dialog.isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Table, DialogLabels,
    ::testing::Values(
        // Each step's text is tabled in reply_test.cpp; here the labels it lands in.
        DialogRow{0, "AZ=450 EL=000\r", {"", "", "", ""}, true},
        DialogRow{99, "AZ=450 EL=000\r", {"", "", "", ""}, false},
        DialogRow{1, "AZoffset are you sure?\r", {"are you sure?", "", "", ""}, false},
        DialogRow{1, "AZoffset ready\r", {"", "old", "old", "old"}, false},  // fails at Label4
        DialogRow{6, "AZ=450 EL=000\r", {"", "", "", "AZ=450 EL=000"}, false}));

TEST_F(LinkTest, RepliesLeaveTheDialogUncreated) {
    EXPECT_EQ(form->form2_if_loaded(), nullptr);
    receive("AZ=005 EL=000\r");
    EXPECT_EQ(form->form2_if_loaded(), nullptr);
}

TEST_F(LinkTest, FailedParseLeavesTheDialogLabelsAlone) {
    Form2& dialog = form->form2();
    dialog.Label7->setText(QStringLiteral("old"));
    receive("AZ=123 EL=");
    EXPECT_EQ(form->state().antenna_azimuth, 123);
    EXPECT_EQ(dialog.Label7->text(), QStringLiteral("old"));
}

// --- serial events ---------------------------------------------------------------------------

TEST_F(LinkTest, EventCodesShowTheirMessage) {
    const struct {
        int code;
        const char* text;  // nullptr: Label16 unchanged
    } rows[] = {{1, nullptr},
                {3, nullptr},
                {4, nullptr},
                {5, nullptr},
                {6, nullptr},
                {7, nullptr},
                {1001, "中断信号受信 通信エラー"},
                {1004, "フレームエラー 通信エラー"},
                {1006, "オーバーランエラー 通信エラー"},
                {1008, "受信バッファオーバー 通信エラー"},
                {1009, "受信パリティエラー 通信エラー"},
                {1010, "送信バッファフル 通信エラー"},
                {1011, "DCB取得エラー 通信エラー"},
                {1099, "未定義エラー発生 通信エラー"},
                {1002, "未定義エラー発生 通信エラー"},
                {0, "未定義エラー発生 通信エラー"}};
    for (const auto& row : rows) {
        form->Label16->setText(QStringLiteral("before"));
        w.serial.raise(row.code);
        EXPECT_EQ(form->Label16->text(),
                  row.text ? QString::fromUtf8(row.text) : QStringLiteral("before"))
            << row.code;
    }
    EXPECT_TRUE(log().isEmpty());
    EXPECT_EQ(w.clock.slept, 0);
}

// --- board read path -------------------------------------------------------------------------

class BoardTest : public LinkTest {
  protected:
    void SetUp() override {
        LinkTest::SetUp();
        w.module.picnic_mode = QStringLiteral("1");
    }
};

TEST_F(BoardTest, ChunkedReplyIsAssembledIntoOneLine) {
    w.board.chunks = {"AZ=180 EL=", "045\rAZ=999"};
    form->picnic_rs232c_read_proc();
    EXPECT_EQ(form->state().antenna_azimuth, 180);
    EXPECT_EQ(form->state().antenna_elevation, 45);
    EXPECT_EQ(form->Label16->text(), QStringLiteral("AZ=180 EL=045"));
    EXPECT_EQ(log(), QStringList{QStringLiteral("picnic_rs232c_read_proc : AZ=180 EL=045\r")});
    EXPECT_EQ(w.board.reads, 2);
    EXPECT_NEAR(w.clock.slept, 0.1, settle_slack);  // the re-read does not pause again
}

TEST_F(BoardTest, NothingReceivedLogsAndEnds) {
    form->Label16->setText(QStringLiteral("before"));
    form->picnic_rs232c_read_proc();
    EXPECT_EQ(log(), QStringList{QStringLiteral("picnic_rs232c_read_proc : 応答データなしの状態")});
    EXPECT_EQ(form->Label16->text(), QStringLiteral("before"));
    EXPECT_EQ(w.board.reads, 1);
    EXPECT_EQ(form->form2_if_loaded(), nullptr);
}

TEST_F(BoardTest, LineWithoutCrIsDroppedQuietly) {
    w.board.chunks = {"AZ=180 EL=045"};
    form->picnic_rs232c_read_proc();
    EXPECT_EQ(form->state().antenna_azimuth, 0);
    EXPECT_TRUE(log().isEmpty());
    EXPECT_EQ(w.board.reads, 2);
}

TEST_F(BoardTest, BoardThatNeverSendsACrEndsTheReadAsNoReply) {
    w.board.chunks = {"AZ=180 EL=045"};
    w.board.flood = "0000000000000000";
    form->picnic_rs232c_read_proc();
    EXPECT_EQ(form->state().antenna_azimuth, 0);
    EXPECT_EQ(log(), QStringList{QStringLiteral(
                         "picnic_rs232c_read_proc : 応答データなしの状態 (CRなしで256バイト超)")});
    EXPECT_LE(w.board.reads, 1 + 256 / 16 + 1);
}

TEST_F(BoardTest, FailingReadEndsQuietly) {
    w.board.fail_read = true;
    form->picnic_rs232c_read_proc();
    EXPECT_TRUE(log().isEmpty());
}

TEST_F(BoardTest, AnyModeButZeroReadsTheBoard) {
    w.module.picnic_mode = QStringLiteral("2");
    w.board.chunks = {"AZ=001 EL=002\r"};
    form->picnic_rs232c_read_proc();
    EXPECT_EQ(form->state().antenna_azimuth, 1);
}

TEST_F(LinkTest, SerialModeReadProcOnlyLogs) {
    w.board.chunks = {"AZ=180 EL=045\r"};
    form->picnic_rs232c_read_proc();
    EXPECT_EQ(log(), QStringList{
                         QStringLiteral("picnic_rs232c_read_proc : ＰＩＣＮＩＣ接続ではない状態")});
    EXPECT_EQ(w.board.reads, 0);
    EXPECT_EQ(w.clock.slept, 0);
    EXPECT_EQ(form->state().antenna_azimuth, 0);
}

// --- opening and closing ---------------------------------------------------------------------

TEST_F(LinkTest, OpenSerialConfiguresThenOpens) {
    form->open_transports();
    EXPECT_EQ(w.board.addr, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(w.board.setup, 3);
    EXPECT_EQ(w.serial.comm_port, 1);
    EXPECT_EQ(w.serial.device, QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(w.serial.settings, QStringLiteral("9600,n,8,1"));
    EXPECT_EQ(w.serial.handshaking, 0);
    EXPECT_EQ(w.serial.rthreshold, 1);
    EXPECT_EQ(w.serial.sthreshold, 1);
    EXPECT_TRUE(w.serial.open);
    EXPECT_EQ(form->Label15->text(), com_open);
    EXPECT_FALSE(w.board.speed.has_value());
}

TEST_F(LinkTest, OpenSerialPortChoice) {
    const struct {
        const char* port_name;
        const char* comports_key;  // set in section COMPORTS, "" for none
        const char* device_value;
        int number;
        const char* device;
    } rows[] = {{"COM12", "", "", 12, "/dev/ttyS11"},
                {"COM1", "COM1", "/dev/ttyUSB0", 1, "/dev/ttyUSB0"},
                {"COM2", "COM1", "/dev/ttyUSB0", 2, "/dev/ttyS1"},
                {"/dev/ttyACM0", "", "", 0, "/dev/ttyACM0"}};
    for (const auto& row : rows) {
        fake::World world;
        world.module.picnic_mode = QStringLiteral("0");
        world.module.port_name = QString::fromUtf8(row.port_name);
        if (*row.comports_key) {
            world.set_ini(QStringLiteral("COMPORTS"), QString::fromUtf8(row.comports_key),
                          QString::fromUtf8(row.device_value));
        }
        auto f = world.make_form1();
        f->open_transports();
        EXPECT_EQ(world.serial.comm_port, row.number) << row.port_name;
        EXPECT_EQ(world.serial.device, QString::fromUtf8(row.device)) << row.port_name;
        EXPECT_TRUE(world.serial.open) << row.port_name;
    }
}

TEST_F(LinkTest, PortNameWithoutNumberFailsWithComClose) {
    w.module.port_name = QStringLiteral("COMx");
    EXPECT_THROW(form->open_transports(), platform::ControlError);
    EXPECT_FALSE(w.serial.open);
    EXPECT_EQ(form->Label15->text(), QStringLiteral("COM CLOSE"));
    EXPECT_EQ(w.board.setup, 3);  // the board was prepared first
}

TEST_F(LinkTest, PortThatWillNotOpenIsNotShownOpen) {
    w.serial.fail_open = true;
    EXPECT_THROW(form->open_transports(), platform::ControlError);
    EXPECT_EQ(form->Label15->text(), QStringLiteral("COM CLOSE"));
}

TEST_F(BoardTest, OpenBoardNeverTouchesTheSerialPort) {
    form->open_transports();
    form->open_board_speed();
    EXPECT_EQ(w.board.addr, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(w.board.setup, 3);
    EXPECT_EQ(w.board.speed, 9600);
    EXPECT_FALSE(w.serial.open);
    EXPECT_TRUE(w.serial.settings.isEmpty());
    EXPECT_EQ(form->Label15->text(), QString());
}

TEST_F(LinkTest, BoardSpeedOnlyInBoardMode) {
    form->open_board_speed();
    EXPECT_FALSE(w.board.speed.has_value());
}

TEST_F(LinkTest, RefusedBoardAddressFailsTheOpening) {
    w.board.fail_address = true;
    EXPECT_THROW(form->open_transports(), platform::ControlError);
    EXPECT_FALSE(w.serial.open);
}

TEST_F(LinkTest, ClosePortShowsComCloseWaitsTwoSecondsWithEvents) {
    form->open_transports();
    form->Label16->setText(QStringLiteral("AZ=1 EL=2\r"));
    QStringList seen;
    w.clock.on_events = [&] {
        seen << form->Label15->text();
        // A reply that comes in during the wait is still processed.
        if (seen.size() == 1) receive("AZ=007 EL=008\r");
    };
    form->close_port();
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_EQ(seen.front(), QStringLiteral("COM CLOSE"));
    EXPECT_GE(w.clock.evented, 2.0);
    EXPECT_LT(w.clock.evented, 2.1);
    EXPECT_EQ(form->state().antenna_azimuth, 7);
    EXPECT_FALSE(w.serial.open);
    EXPECT_EQ(form->Label15->text(), QString());
    EXPECT_EQ(form->Label16->text(), QString());
}

TEST_F(BoardTest, ClosePortDoesNothingInBoardMode) {
    form->Label15->setText(QStringLiteral("x"));
    form->close_port();
    EXPECT_EQ(form->Label15->text(), QStringLiteral("x"));
    EXPECT_EQ(w.clock.evented, 0);
}

// --- initial burst and one-shot poll ----------------------------------------------------------

TEST_F(LinkTest, InitialBurstOverSerial) {
    w.serial.open = true;
    w.module.orbx_link = QStringLiteral("1");
    form->Command2->setEnabled(false);
    form->send_initial_commands();
    EXPECT_EQ(w.serial.written, QByteArray("\r\rC2\r"));
    EXPECT_EQ(w.serial.output_sizes, (std::vector<int>{1, 1, 3}));
    EXPECT_TRUE(form->Command2->isEnabled());
    EXPECT_EQ(w.module.command_text, QStringLiteral("43320D"));
    EXPECT_EQ(
        log(),
        (QStringList{QStringLiteral("put_data : 0D"), QStringLiteral("put_data : 0D"),
                     QStringLiteral("put_data : 43320D"),
                     QStringLiteral("picnic_rs232c_read_proc : ＰＩＣＮＩＣ接続ではない状態")}));
}

TEST_F(LinkTest, InitialBurstLeavesCommand2AloneWithoutTheLink) {
    w.serial.open = true;
    w.module.orbx_link = QStringLiteral("0");
    form->Command2->setEnabled(false);
    form->send_initial_commands();
    EXPECT_FALSE(form->Command2->isEnabled());
}

TEST_F(BoardTest, InitialBurstOverTheBoardReadsThePollAnswer) {
    w.board.on_sent = [this](const QByteArray& byte) {
        if (byte == "2") w.board.chunks.push_back("AZ=090 EL=");
        if (byte == "\r" && w.board.sent.endsWith("C2\r")) w.board.chunks.push_back("030\r");
    };
    form->send_initial_commands();
    EXPECT_EQ(w.board.sent, QByteArray("\r\rC2\r"));
    EXPECT_EQ(form->state().antenna_azimuth, 90);
    EXPECT_EQ(form->state().antenna_elevation, 30);
    EXPECT_NEAR(w.clock.slept, 3 * 0.3 + 0.1, 4 * settle_slack);
}

TEST_F(BoardTest, Command1PollsOnce) {
    form->Label15->setText(QStringLiteral("x"));
    form->Label16->setText(QStringLiteral("y"));
    form->Command1_Click();
    EXPECT_EQ(w.board.sent, QByteArray("C2\r"));
    EXPECT_EQ(form->Label15->text(), QString());
    EXPECT_EQ(form->Label16->text(), QStringLiteral("アンテナの位置は不明です"));
    EXPECT_EQ(log().last(), QStringLiteral("picnic_rs232c_read_proc : 応答データなしの状態"));
}

TEST_F(LinkTest, SerialPollAnswerArrivesByTheReceiveEvent) {
    form->open_transports();
    w.serial.on_written = [this](const QByteArray& bytes) {
        if (bytes.endsWith("\r") && w.serial.written.endsWith("C2\r")) receive("AZ=270 EL=015\r");
    };
    form->Command1_Click();
    EXPECT_EQ(form->state().antenna_azimuth, 270);
    EXPECT_EQ(form->state().antenna_elevation, 15);
    EXPECT_EQ(form->Label16->text(), QStringLiteral("AZ=270 EL=015"));
}

// --- link health: loss, refusals and healing -------------------------------------------------

TEST_F(LinkTest, SerialPortMissingAtStartSilentLostAndHealed) {
    w.serial.fail_open = true;
    w.serial.on_written = [&](const QByteArray& bytes) {
        if (bytes == "C2\r") w.serial.feed("AZ=010 EL=020\r");
    };
    form = w.load_form1();
    form->menu_debug_on_Click();
    const QString missing = QStringLiteral(
        "シリアルポート COM1（/dev/ttyS0）を開けません。"
        "（cannot open port）つながりしだい自動で開きます。");
    EXPECT_EQ(w.message_box.shown, QStringList{missing});
    form->watch_link();
    EXPECT_EQ(form->Label15->text(), QStringLiteral("COM CLOSE"));
    EXPECT_EQ(form->Label16->toolTip(), missing);
    // The device appears: the position is asked for at once.
    w.serial.fail_open = false;
    w.clock.mono += Form1::heal_interval_seconds;
    form->watch_link();
    EXPECT_EQ(w.serial.written, QByteArray("C2\r"));
    // No answer: silent once a poll has waited more than 3 s.
    w.serial.on_written = {};
    form->Command1_Click();
    w.clock.mono += 3.1;
    form->watch_link();
    const QString silent = QStringLiteral("ローテーターから応答がありません");
    EXPECT_EQ(form->Label16->text(), silent);

    // Lost during a manual move: the move ends, moves are refused, the stop is owed.
    form->state().target_picked = true;
    form->Command4_Click();
    w.serial.fail_open = true;
    w.serial.open = false;
    w.serial.raise(platform::comm_event::undefined);
    form->watch_link();
    const QString lost = QStringLiteral("シリアルポート COM1 が使えなくなりました");
    EXPECT_EQ(form->Label16->text(), lost);
    EXPECT_FALSE(form->state().manual_tracking);
    form->menu_park_Click();
    form->menu_stop_Click();
    EXPECT_EQ(w.message_box.shown.mid(1),
              (QStringList{
                  QStringLiteral("ローテーターにコマンドを送れないため移動できません。\n") + lost,
                  QStringLiteral("停止コマンドがローテーターに届きませんでした。アンテナ"
                                 "は回り続けているかもしれません。接続が戻りしだい停止"
                                 "コマンドを送ります。")}));
    // Back: the owed stop first, then the position; the manual move is not resumed.
    w.serial.written.clear();
    w.serial.fail_open = false;
    w.clock.mono += Form1::heal_interval_seconds;
    form->watch_link();
    EXPECT_EQ(w.serial.written, QByteArray("S\rC2\r"));
    EXPECT_FALSE(form->state().manual_tracking);
    const QString health = QStringLiteral("link_health : ");
    EXPECT_EQ(
        log().filter(health),
        (QStringList{health + QStringLiteral("down ") + missing, health + QStringLiteral("up"),
                     health + QStringLiteral("silent ") + silent,
                     health + QStringLiteral("down ") + lost, health + QStringLiteral("up")}));
}

TEST_F(LinkTest, BoardAwayWhileTrackingWhichGoesOnOnceItIsBack) {
    w.set_ini(QStringLiteral("GS232B"), QStringLiteral("PICNIC"), QStringLiteral("1"));
    w.set_ini(QStringLiteral("GS232B"), QStringLiteral("ORBX"), QStringLiteral("1"));
    w.dde.server_running = true;
    w.dde.items = {{QStringLiteral("TEXT2"), QStringLiteral("123")},
                   {QStringLiteral("TEXT3"), QStringLiteral("5")}};
    w.board.on_sent = [&](const QByteArray&) {
        if (w.board.sent.endsWith("C2\r")) w.board.chunks.push_back("AZ=1 EL=2\r");
    };
    form = w.load_form1();
    form->Command2_Click();
    w.board.reachable = false;
    w.board.sent.clear();
    form->Timer1_Timer();
    EXPECT_EQ(form->Label16->text(), QStringLiteral("ＰＩＣＮＩＣに接続できません"));
    w.board.reachable = true;
    form->watch_link();
    form->Timer1_Timer();
    EXPECT_EQ(w.board.sent, QByteArray("C2\rW123 005\rC2\r"));
    EXPECT_TRUE(form->position_known());
}

}  // namespace
