#include <QApplication>
#include <QImage>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QTranslator>
#include <functional>

#include "dialog_fixture.h"
#include "main_window/ui_language.h"
#include "settings_dialog/port_list.h"

namespace {

const QString restart = QStringLiteral("設定変更がされています。プログラムを再起動してください");
const QString too_large = QStringLiteral("処理時間間隔の設定時間が大きすぎます。");
const QString not_written = QStringLiteral("設定ファイルに書き込めませんでした。");
const QString not_set = QStringLiteral("処理時間間隔を正しくセットしてください");
const QString gs = QStringLiteral("GS232B");

void expect_serial_pattern(const Form2& f) {
    EXPECT_TRUE(f.Option3->isChecked());
    EXPECT_TRUE(f.Combo1->isEnabled());
    EXPECT_TRUE(f.Label1->isEnabled());
    EXPECT_TRUE(f.Frame8->isEnabled());
    EXPECT_FALSE(f.Frame7->isEnabled());
    for (const QWidget* box : {f.Text5, f.Text6, f.Text7, f.Text8}) EXPECT_FALSE(box->isEnabled());
    EXPECT_FALSE(f.Label30->isEnabled());
}

void expect_board_pattern(const Form2& f) {
    EXPECT_TRUE(f.Option4->isChecked());
    EXPECT_FALSE(f.Combo1->isEnabled());
    EXPECT_FALSE(f.Label1->isEnabled());
    EXPECT_FALSE(f.Frame8->isEnabled());
    EXPECT_TRUE(f.Frame7->isEnabled());
    for (const QWidget* box : {f.Text5, f.Text6, f.Text7, f.Text8}) EXPECT_TRUE(box->isEnabled());
    EXPECT_TRUE(f.Label30->isEnabled());
}

// --- load ------------------------------------------------------------------------------------

TEST_F(DialogTest, LoadWithoutSettingsFileShowsTheDefaults) {
    Form2& f = open();
    EXPECT_TRUE(f.Option1->isChecked());
    EXPECT_FALSE(f.Option2->isChecked());
    EXPECT_FALSE(f.Option2->isEnabled());
    EXPECT_FALSE(f.Check1->isChecked());
    expect_serial_pattern(f);
    EXPECT_EQ(f.Combo1->currentText(), QStringLiteral("COM1"));
    EXPECT_EQ(f.Text1->text(), QStringLiteral("1"));
    EXPECT_EQ(f.Text5->text(), QStringLiteral("192"));
    EXPECT_EQ(f.Text6->text(), QStringLiteral("168"));
    EXPECT_EQ(f.Text7->text(), QStringLiteral("0"));
    EXPECT_EQ(f.Text8->text(), QStringLiteral("200"));
    EXPECT_EQ(w.board.addr, QStringLiteral("192.168.0.200"));  // stored only, never contacted
    EXPECT_EQ(w.module.orbx_link, QStringLiteral("0"));
    EXPECT_EQ(w.module.picnic_mode, QStringLiteral("0"));
    EXPECT_EQ(w.module.azimuth_origin, QStringLiteral("0"));
    EXPECT_EQ(w.module.cycle_seconds, QStringLiteral("1"));
    EXPECT_EQ(w.module.address_octets[3], QStringLiteral("200"));
    EXPECT_TRUE(f.Command2->isEnabled());
    EXPECT_TRUE(f.Command8->isEnabled());
    for (const QWidget* b : {f.Command3, f.Command4, f.Command9, f.Command10}) {
        EXPECT_FALSE(b->isEnabled());
    }
    EXPECT_TRUE(w.profile.writes.isEmpty());
    EXPECT_TRUE(w.board.sent.isEmpty());
    EXPECT_TRUE(w.message_box.shown.isEmpty());
    EXPECT_FALSE(f.isVisible());  // created hidden; the settings menu shows it
}

TEST_F(DialogTest, TabOrderFollowsTheDesign) {
    use_board();  // every box enabled, so each takes part in the chain
    Form2& f = open();
    f.Option2->setEnabled(true);
    for (QWidget* b : {f.Command3, f.Command4, f.Command9, f.Command10}) b->setEnabled(true);
    const std::vector<QWidget*> designed = {
        f.Command1,  f.Option1,   f.Option2,  f.Text1,    f.Command2, f.Command3,
        f.Command4,  f.Command5,  f.Command6, f.Command7, f.Command8, f.Command9,
        f.Command10, f.Command11, f.Option3,  f.Option4,  f.Text8,    f.Text7,
        f.Text6,     f.Text5,     f.Combo1,   f.Check1};
    std::vector<QWidget*> chain;
    QWidget* next = f.Command1;
    do {
        if (std::find(designed.begin(), designed.end(), next) != designed.end()) {
            chain.push_back(next);
        }
        next = next->nextInFocusChain();
    } while (next != f.Command1);
    EXPECT_EQ(chain, designed);
}

struct LoadRow {
    const char* name;
    const char* section;
    const char* key;
    const char* value;
    std::function<void(const Form2&, const Module1&)> check;
};

class StoredSetting : public DialogTest, public ::testing::WithParamInterface<LoadRow> {};

TEST_P(StoredSetting, IsShownByTheLoad) {
    const LoadRow& row = GetParam();
    set(QString::fromUtf8(row.section), QString::fromUtf8(row.key), QString::fromUtf8(row.value));
    const Form2& f = open();
    row.check(f, w.module);
}

const LoadRow load_rows[] = {
    {"SouthBasePoint", "HOUI", "HKITEN", "1",
     [](const Form2& f, const Module1&) {
         EXPECT_TRUE(f.Option2->isChecked());
         EXPECT_FALSE(f.Option1->isChecked());
     }},
    {"AnyOtherBasePointIsSouth", "HOUI", "HKITEN", "",
     [](const Form2& f, const Module1&) { EXPECT_TRUE(f.Option2->isChecked()); }},
    {"LinkOn", "GS232B", "ORBX", "1",
     [](const Form2& f, const Module1& m) {
         EXPECT_TRUE(f.Check1->isChecked());
         EXPECT_EQ(m.orbx_link, QStringLiteral("1"));
     }},
    {"OddLinkValueKept", "GS232B", "ORBX", "2",
     [](const Form2& f, const Module1& m) {
         EXPECT_FALSE(f.Check1->isChecked());
         EXPECT_EQ(m.orbx_link, QStringLiteral("2"));
     }},
    {"Board", "GS232B", "PICNIC", "1",
     [](const Form2& f, const Module1& m) {
         expect_board_pattern(f);
         EXPECT_EQ(m.picnic_mode, QStringLiteral("1"));
     }},
    {"OddTransportIsBoard", "GS232B", "PICNIC", "2",
     [](const Form2& f, const Module1& m) {
         expect_board_pattern(f);
         EXPECT_EQ(m.picnic_mode, QStringLiteral("1"));
     }},
    {"PortOutsideTheList", "GS232B", "PORT", "COM12",
     [](const Form2& f, const Module1&) {
         EXPECT_EQ(f.Combo1->currentText(), QStringLiteral("COM12"));
         EXPECT_EQ(f.Combo1->findText(QStringLiteral("COM12")), -1);
     }},
    {"EmptyInterval", "GS232B", "TIMER", "",
     [](const Form2& f, const Module1& m) {
         EXPECT_EQ(f.Text1->text(), QString());
         EXPECT_EQ(m.cycle_seconds, QString());
     }},
    {"ShortAddress", "TCP/IP", "IP", "10.0.1",
     [](const Form2& f, const Module1& m) {
         EXPECT_EQ(f.Text5->text(), QStringLiteral("10"));
         EXPECT_EQ(f.Text7->text(), QStringLiteral("1"));
         EXPECT_EQ(f.Text8->text(), QString());
         EXPECT_EQ(m.address_octets[3], QString());
     }},
    {"LongAddress", "TCP/IP", "IP", "1.2.3.4.5",
     [](const Form2& f, const Module1&) { EXPECT_EQ(f.Text8->text(), QStringLiteral("4.5")); }},
};

INSTANTIATE_TEST_SUITE_P(Table, StoredSetting, ::testing::ValuesIn(load_rows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DialogTest, LoadGivesTheStoredAddressToTheBoardControl) {
    set(QStringLiteral("TCP/IP"), QStringLiteral("IP"), QStringLiteral("127.0.0.1"));
    open();
    EXPECT_EQ(w.board.addr, QStringLiteral("127.0.0.1"));
}

TEST_F(DialogTest, RefusedBoardAddressDoesNotStopTheLoad) {
    w.board.fail_address = true;
    set(QStringLiteral("TCP/IP"), QStringLiteral("IP"), QStringLiteral("127.0.0.1"));
    const Form2& f = open();
    EXPECT_EQ(f.Text8->text(), QStringLiteral("1"));
    EXPECT_FALSE(f.Command3->isEnabled());
}

// --- connection choice and switch ------------------------------------------------------------

TEST_F(DialogTest, ConnectionChoiceChangesTransportAtOnce) {
    Form2& f = open();
    f.Option4->click();
    expect_board_pattern(f);
    EXPECT_EQ(w.module.picnic_mode, QStringLiteral("1"));
    f.Option3->click();
    expect_serial_pattern(f);
    EXPECT_EQ(w.module.picnic_mode, QStringLiteral("0"));
}

TEST_F(DialogTest, SwitchClickSetsTheLinkValue) {
    set(gs, QStringLiteral("ORBX"), QStringLiteral("2"));
    Form2& f = open();
    f.Check1->click();
    EXPECT_EQ(w.module.orbx_link, QStringLiteral("1"));
    f.Check1->click();
    EXPECT_EQ(w.module.orbx_link, QStringLiteral("0"));
}

// --- save ------------------------------------------------------------------------------------

TEST_F(DialogTest, SuccessfulSaveWritesInOrderTellsAndEnds) {
    Form2& f = open();
    f.Command1->click();
    EXPECT_EQ(w.profile.writes,
              QStringList({"GS232B/PICNIC=0", "GS232B/ORBX=0", "HOUI/HKITEN=0", "GS232B/PORT=COM1",
                           "GS232B/TIMER=1", "TCP/IP/IP=192.168.0.200"}));
    EXPECT_EQ(w.message_box.shown, QStringList({restart}));
    EXPECT_EQ(w.program_end.ends, 1);
    EXPECT_EQ(w.module.operation_mode, OperationMode::running);
    EXPECT_EQ(form1->Timer1.interval(), 1000);
    EXPECT_TRUE(form1->Timer1.isActive());
}

TEST_F(DialogTest, SaveWritesTheDialogsValues) {
    set(gs, QStringLiteral("PICNIC"), QStringLiteral("2"));
    set(gs, QStringLiteral("ORBX"), QStringLiteral("2"));
    set(QStringLiteral("HOUI"), QStringLiteral("HKITEN"), QStringLiteral("7"));
    Form2& f = open();
    f.Combo1->lineEdit()->setText(QStringLiteral("COM12"));  // typed, not from the list
    f.Text1->setText(QStringLiteral("  2.5 "));
    f.Text5->setText(QStringLiteral("127"));
    f.Text6->setText(QStringLiteral(" 0"));
    f.Text7->setText(QStringLiteral("0"));
    f.Text8->setText(QStringLiteral("1 "));
    f.Command1->click();
    EXPECT_EQ(w.profile.writes,
              QStringList({"GS232B/PICNIC=1", "GS232B/ORBX=2", "HOUI/HKITEN=1", "GS232B/PORT=COM12",
                           "GS232B/TIMER=2.5", "TCP/IP/IP=127.0.0.1"}));
    EXPECT_EQ(w.ini(gs, QStringLiteral("PORT")), QStringLiteral("COM12"));
    EXPECT_EQ(form1->Timer1.interval(), 2500);
}

TEST_F(DialogTest, MovingToNorthSavesZero) {
    set(QStringLiteral("HOUI"), QStringLiteral("HKITEN"), QStringLiteral("1"));
    Form2& f = open();
    f.Option1->click();
    f.Command1->click();
    EXPECT_TRUE(w.profile.writes.contains(QStringLiteral("HOUI/HKITEN=0")));
}

struct IntervalRow {
    const char* text;
    const QString* refusal;  // nullptr: accepted
    const char* stored;
    int interval_ms;
};

class IntervalSave : public DialogTest, public ::testing::WithParamInterface<IntervalRow> {};

TEST_P(IntervalSave, LimitsAndTimerInterval) {
    const IntervalRow& row = GetParam();
    Form2& f = open();
    f.show();
    form1->set_timer_interval(1000);
    f.Text1->setText(QString::fromUtf8(row.text));
    f.Command1->click();
    if (row.refusal != nullptr) {
        EXPECT_EQ(w.message_box.shown, QStringList({*row.refusal}));
        EXPECT_TRUE(w.profile.writes.isEmpty());
        EXPECT_EQ(w.program_end.ends, 0);
        EXPECT_EQ(w.module.operation_mode, OperationMode::settings_open);
        EXPECT_EQ(w.module.cycle_seconds, QStringLiteral("1"));
        EXPECT_EQ(form1->Timer1.interval(), 1000);
        EXPECT_TRUE(form1->Timer1.isActive());
        if (row.refusal == &not_set) {
            EXPECT_EQ(f.focusWidget(), f.Text1);
        }
        return;
    }
    EXPECT_EQ(w.message_box.shown, QStringList({restart}));
    EXPECT_EQ(w.ini(gs, QStringLiteral("TIMER")), QString::fromUtf8(row.stored));
    EXPECT_TRUE(form1->Timer1.isActive());
    EXPECT_EQ(form1->Timer1.interval(), row.interval_ms);
}

INSTANTIATE_TEST_SUITE_P(
    Table, IntervalSave,
    ::testing::Values(IntervalRow{"10", nullptr, "10", 10000},
                      IntervalRow{"10.5", &too_large, "", 0}, IntervalRow{"11", &too_large, "", 0},
                      IntervalRow{"1e2", &too_large, "", 0},
                      IntervalRow{"0.0625", nullptr, "0.0625", 62},
                      IntervalRow{"0.1875", nullptr, "0.1875", 188},
                      IntervalRow{" 3 ", nullptr, "3", 3000},
                      // Full-width, as the Japanese input method types them.
                      IntervalRow{"１．５", nullptr, "1.5", 1500},
                      // Each would stop the periodic cycle for good.
                      IntervalRow{"", &not_set, "", 0}, IntervalRow{"  ", &not_set, "", 0},
                      IntervalRow{"0", &not_set, "", 0}, IntervalRow{"-3", &not_set, "", 0},
                      IntervalRow{"0.0004", &not_set, "", 0}, IntervalRow{"s", &not_set, "", 0}));

TEST_F(DialogTest, RefusedIntervalStillTakesBasePointAndPort) {
    set(QStringLiteral("HOUI"), QStringLiteral("HKITEN"), QStringLiteral("1"));
    Form2& f = open();
    f.Combo1->setCurrentText(QStringLiteral("COM3"));
    f.Text1->setText(QStringLiteral("11"));
    f.Command1->click();
    EXPECT_EQ(w.module.azimuth_origin, QStringLiteral("1"));
    EXPECT_EQ(w.module.port_name, QStringLiteral("COM3"));
    EXPECT_EQ(form1->form2_if_loaded(), &f);  // a button click keeps the dialog
}

TEST_F(DialogTest, RefusedAddressAfterTheIntervalTookEffect) {
    Form2& f = open();
    f.Text1->setText(QStringLiteral("2"));
    f.Text6->setText(QStringLiteral("300"));
    f.Command1->click();
    EXPECT_EQ(w.message_box.shown,
              QStringList({QStringLiteral("ＩＰ２アドレスを正しくセットしてください")}));
    EXPECT_TRUE(w.profile.writes.isEmpty());
    EXPECT_EQ(w.program_end.ends, 0);
    EXPECT_EQ(w.module.operation_mode, OperationMode::running);
    EXPECT_EQ(w.module.cycle_seconds, QStringLiteral("2"));
    EXPECT_EQ(form1->Timer1.interval(), 2000);
}

TEST_F(DialogTest, ShortStoredAddressIsRefusedOnSave) {
    set(QStringLiteral("TCP/IP"), QStringLiteral("IP"), QStringLiteral("10.0"));
    Form2& f = open();
    f.Command1->click();
    EXPECT_EQ(w.message_box.shown,
              QStringList({QStringLiteral("ＩＰ３アドレスを正しくセットしてください")}));
    EXPECT_EQ(w.program_end.ends, 0);
}

TEST_F(DialogTest, UnwritableFileIsReportedAndTheProgramGoesOn) {
    Form2& f = open();
    f.show();
    w.profile.read_only = true;
    f.Command1->click();
    EXPECT_EQ(w.profile.writes.size(), 6);  // every key was tried
    EXPECT_EQ(w.message_box.shown, QStringList({not_written}));
    EXPECT_EQ(w.program_end.ends, 0);
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(form1->form2_if_loaded(), &f);
}

TEST_F(DialogTest, UnwritableFileOnCloseStillCloses) {
    Form2& f = open();
    f.show();
    w.profile.read_only = true;
    f.close();
    EXPECT_EQ(w.message_box.shown, QStringList({not_written}));
    EXPECT_EQ(w.program_end.ends, 0);
    EXPECT_EQ(form1->form2_if_loaded(), nullptr);
    flush_deletes();
}

// A close whose save was refused (interval, address, file) leaves none of the entries in
// force, not even those the dialog applied at once or on the way to the refusal.
TEST_F(DialogTest, RefusedCloseRestoresTheFilesValues) {
    set(QStringLiteral("HOUI"), QStringLiteral("HKITEN"), QStringLiteral("1"));
    for (const auto& [interval, octet, read_only] :
         {std::tuple("11", "0", false), std::tuple("3", "300", false),
          std::tuple("3", "0", true)}) {
        w.profile.read_only = false;
        Form2& f = open();
        f.Option1->click();
        f.Option4->click();
        f.Check1->click();
        f.Combo1->setCurrentText(QStringLiteral("COM7"));
        f.Text1->setText(QString::fromLatin1(interval));
        f.Text6->setText(QString::fromLatin1(octet));
        w.profile.read_only = read_only;
        f.close();
        const Module1& m = w.module;
        EXPECT_EQ(
            QStringList({m.azimuth_origin, m.picnic_mode, m.orbx_link, m.port_name, m.board_address,
                         m.cycle_seconds, QString::number(form1->Timer1.interval())}),
            QStringList({"1", "0", "0", "COM1", "192.168.0.200", "1", "1000"}));
        flush_deletes();
    }
}

// --- close and life --------------------------------------------------------------------------

TEST_F(DialogTest, CloseWithTooLargeIntervalClosesWithoutSaving) {
    Form2& f = open();
    f.show();
    f.Text1->setText(QStringLiteral("11"));
    QPointer<Form2> alive(&f);
    EXPECT_TRUE(f.close());
    EXPECT_EQ(w.message_box.shown, QStringList({too_large}));
    EXPECT_TRUE(w.profile.writes.isEmpty());
    EXPECT_EQ(w.program_end.ends, 0);
    EXPECT_EQ(form1->form2_if_loaded(), nullptr);
    EXPECT_EQ(w.module.operation_mode, OperationMode::running);  // manual moves work again
    flush_deletes();
    EXPECT_TRUE(alive.isNull());
}

TEST_F(DialogTest, CloseRunsTheSave) {
    Form2& f = open();
    f.show();
    f.close();
    EXPECT_EQ(w.profile.writes.size(), 6);
    EXPECT_EQ(w.message_box.shown, QStringList({restart}));
    EXPECT_EQ(w.program_end.ends, 1);
    flush_deletes();
}

TEST_F(DialogTest, OneDialogUntilClosedThenLoadedAfresh) {
    Form2& first = open();
    first.Text1->setText(QStringLiteral("3"));
    set(gs, QStringLiteral("PORT"), QStringLiteral("COM5"));
    EXPECT_EQ(&form1->form2(), &first);  // shown as loaded, the file not read again
    EXPECT_EQ(first.Combo1->currentText(), QStringLiteral("COM1"));
    w.profile.read_only = true;  // the close's save writes nothing
    first.close();
    flush_deletes();
    w.profile.read_only = false;
    const Form2& second = form1->form2();
    EXPECT_EQ(second.Combo1->currentText(), QStringLiteral("COM5"));
    EXPECT_EQ(second.Text1->text(), QStringLiteral("1"));
}

// --- interval key filter ---------------------------------------------------------------------

struct KeyRow {
    const char* name;
    int key;
    const char16_t* text;
    bool passes;
    const char* after;  // box text after the key, starting from "1" with the cursor at the end
};

class IntervalKeyFilter : public DialogTest, public ::testing::WithParamInterface<KeyRow> {};

TEST_P(IntervalKeyFilter, BeepsAndDropsOthers) {
    const KeyRow& row = GetParam();
    Form2& f = open();
    f.Text1->setText(QStringLiteral("1"));
    QKeyEvent press(QEvent::KeyPress, row.key, Qt::NoModifier, QString::fromUtf16(row.text));
    QCoreApplication::sendEvent(f.Text1, &press);
    EXPECT_EQ(w.message_box.beeps, row.passes ? 0 : 1);
    EXPECT_EQ(f.Text1->text(), QString::fromUtf8(row.after));
}

const KeyRow key_rows[] = {
    {"Digit", Qt::Key_5, u"5", true, "15"},
    {"Zero", Qt::Key_0, u"0", true, "10"},
    {"Nine", Qt::Key_9, u"9", true, "19"},
    {"Point", Qt::Key_Period, u".", true, "1."},
    {"Backspace", Qt::Key_Backspace, u"\b", true, ""},
    {"Enter", Qt::Key_Return, u"\r", true, "1"},
    {"Delete", Qt::Key_Delete, u"\x7f", true, "1"},
    {"Arrow", Qt::Key_Left, u"", true, "1"},
    {"Letter", Qt::Key_A, u"a", false, "1"},
    {"Space", Qt::Key_Space, u" ", false, "1"},
    {"Minus", Qt::Key_Minus, u"-", false, "1"},
    {"Comma", Qt::Key_Comma, u",", false, "1"},
    {"Slash", Qt::Key_Slash, u"/", false, "1"},
    {"Colon", Qt::Key_Colon, u":", false, "1"},
    {"Tilde", Qt::Key_AsciiTilde, u"~", false, "1"},
    {"FullWidthDigit", Qt::Key_5, u"５", true, "15"},
};

INSTANTIATE_TEST_SUITE_P(Table, IntervalKeyFilter, ::testing::ValuesIn(key_rows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DialogTest, PastedForeignTextIsUndone) {
    Form2& f = open();
    f.Text1->setText(QStringLiteral("1"));
    f.Text1->insert(QStringLiteral("2x"));
    EXPECT_EQ(f.Text1->text(), QStringLiteral("1"));
    EXPECT_EQ(w.message_box.beeps, 1);
    f.Text1->insert(QStringLiteral(".5"));
    EXPECT_EQ(f.Text1->text(), QStringLiteral("1.5"));
    EXPECT_EQ(w.message_box.beeps, 1);
    f.Text1->insert(QStringLiteral("x"));
    EXPECT_EQ(f.Text1->text(), QStringLiteral("1.5"));
    EXPECT_EQ(w.message_box.beeps, 2);
}

TEST_F(DialogTest, InputMethodTextIsFilteredToo) {
    Form2& f = open();
    f.Text1->setText(QStringLiteral("1"));
    QInputMethodEvent kana;
    kana.setCommitString(QStringLiteral("あ"));
    QCoreApplication::sendEvent(f.Text1, &kana);
    EXPECT_EQ(f.Text1->text(), QStringLiteral("1"));
    EXPECT_EQ(w.message_box.beeps, 1);
    QInputMethodEvent digit;
    digit.setCommitString(QStringLiteral("2"));
    QCoreApplication::sendEvent(f.Text1, &digit);
    EXPECT_EQ(f.Text1->text(), QStringLiteral("12"));
    // Full-width digits and full stop become the ASCII ones where they were typed.
    f.Text1->setCursorPosition(1);
    QInputMethodEvent full_width;
    full_width.setCommitString(QStringLiteral("０．５"));
    QCoreApplication::sendEvent(f.Text1, &full_width);
    EXPECT_EQ(f.Text1->text(), QStringLiteral("10.52"));
    EXPECT_EQ(f.Text1->cursorPosition(), 4);
    EXPECT_EQ(w.message_box.beeps, 1);
}

TEST_F(DialogTest, HandEditedIntervalCanStillBeCorrected) {
    set(gs, QStringLiteral("TIMER"), QStringLiteral("1 s"));
    Form2& f = open();
    f.Text1->insert(QStringLiteral("5"));
    EXPECT_EQ(f.Text1->text(), QStringLiteral("1 s5"));
    f.Text1->backspace();
    f.Text1->backspace();
    EXPECT_EQ(f.Text1->text(), QStringLiteral("1 "));
    EXPECT_EQ(w.message_box.beeps, 0);
}

// --- address check ---------------------------------------------------------------------------

struct AddressRow {
    std::array<const char*, 4> boxes;
    int error;            // IP_ERR_NO
    const char* address;  // board_address afterwards
};

class AddressCheck : public DialogTest, public ::testing::WithParamInterface<AddressRow> {};

TEST_P(AddressCheck, FirstFailingOctetOnly) {
    const AddressRow& row = GetParam();
    Form2& f = open();
    w.module.board_address = QStringLiteral("earlier");
    QLineEdit* const boxes[] = {f.Text5, f.Text6, f.Text7, f.Text8};
    for (size_t i = 0; i < 4; ++i) boxes[i]->setText(QString::fromUtf8(row.boxes[i]));
    double IP_ERR_NO = -1;
    f.IP_CHECK(IP_ERR_NO);
    EXPECT_EQ(IP_ERR_NO, row.error);
    EXPECT_EQ(w.module.board_address, QString::fromUtf8(row.address));
    if (row.error == 0) {
        EXPECT_TRUE(w.message_box.shown.isEmpty());
    } else {
        static const char16_t* const digits[] = {u"１", u"２", u"３", u"４"};
        EXPECT_EQ(w.message_box.shown,
                  QStringList({QStringLiteral("ＩＰ%1アドレスを正しくセットしてください")
                                   .arg(QString::fromUtf16(digits[row.error - 1]))}));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, AddressCheck,
    ::testing::Values(AddressRow{{"192", "168", "0", "200"}, 0, "192.168.0.200"},
                      AddressRow{{"255", "255", "255", "255"}, 0, "255.255.255.255"},
                      AddressRow{{" 7 ", "0", "0", "1"}, 0, "7.0.0.1"},
                      AddressRow{{"1", "2", "256", "4"}, 3, "earlier"},
                      AddressRow{{"", "2", "3", "4"}, 1, "earlier"},
                      AddressRow{{"1", "2", "3", "abc"}, 4, "earlier"},
                      AddressRow{{"1", "x", "3", "y"}, 2, "earlier"},
                      AddressRow{{"-1", "2", "3", "4"}, 1, "earlier"},
                      AddressRow{{"1", "1.5", "3", "4"}, 2, "earlier"},
                      AddressRow{{"1", "2", "3", "4.5"}, 4, "earlier"}));

TEST_F(DialogTest, PassedOctetsAreRefilledBeforeAFailure) {
    Form2& f = open();
    f.Text5->setText(QStringLiteral(" 10"));
    f.Text6->setText(QStringLiteral("999"));
    double IP_ERR_NO = 0;
    f.IP_CHECK(IP_ERR_NO);
    EXPECT_EQ(w.module.address_octets[0], QStringLiteral("10"));
    EXPECT_EQ(w.module.address_octets[1], QStringLiteral("168"));  // from the load, untouched
}

TEST_F(DialogTest, FailingBoxTakesTheFocusWhenEnabled) {
    use_board();
    Form2& f = open();
    f.show();
    f.Text7->setText(QStringLiteral("256"));
    double IP_ERR_NO = 0;
    f.IP_CHECK(IP_ERR_NO);
    EXPECT_EQ(IP_ERR_NO, 3);
    EXPECT_EQ(f.focusWidget(), f.Text7);
}

TEST_F(DialogTest, RefusedAddressOpensItsBoxesInTheSerialPattern) {
    set(QStringLiteral("TCP/IP"), QStringLiteral("IP"), QStringLiteral("10.0"));
    Form2& f = open();  // serial pattern: the boxes are disabled
    f.show();
    f.Command1->click();
    EXPECT_EQ(w.message_box.shown,
              QStringList({QStringLiteral("ＩＰ３アドレスを正しくセットしてください")}));
    EXPECT_TRUE(w.profile.writes.isEmpty());
    for (const QWidget* box : {f.Text5, f.Text6, f.Text7, f.Text8}) EXPECT_TRUE(box->isEnabled());
    EXPECT_EQ(f.focusWidget(), f.Text7);
    EXPECT_TRUE(f.Option3->isChecked());
    f.Text7->setText(QStringLiteral("０"));
    f.Text8->setText(QStringLiteral("１"));
    f.Command1->click();
    EXPECT_EQ(w.ini(QStringLiteral("TCP/IP"), QStringLiteral("IP")), QStringLiteral("10.0.0.1"));
    EXPECT_EQ(w.ini(gs, QStringLiteral("PICNIC")), QStringLiteral("0"));
}

TEST_F(DialogTest, PortBoxListsThePortsPresentAndShowsTheWholeName) {
    set(gs, QStringLiteral("PORT"), QStringLiteral("/dev/serial/by-id/usb-rotator"));
    const Form2& f = open();
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(f.Combo1->itemText(i), QStringLiteral("COM%1").arg(i + 1));
    }
    EXPECT_EQ(f.Combo1->count(), port_choices(present_serial_ports()).size());
    EXPECT_TRUE(f.Combo1->toolTip().startsWith(QStringLiteral("/dev/serial/by-id/usb-rotator\n")))
        << f.Combo1->toolTip().toStdString();
}

}  // namespace

namespace {

// --- layout ----------------------------------------------------------------------------------

class FrameCaptions : public DialogTest, public ::testing::WithParamInterface<UiLanguage> {};

TEST_P(FrameCaptions, AreNotCoveredByTheirControls) {
    const QFont before = QApplication::font();
    QFont ui_font(QStringLiteral("Noto Sans CJK JP"));  // as the program sets it
    ui_font.setPixelSize(12);
    QApplication::setFont(ui_font);
    QTranslator translation;
    ASSERT_TRUE(install_ui_language(*qApp, translation, GetParam()));
    Form2& f = open();
    f.show();
    for (QGroupBox* frame : f.findChildren<QGroupBox*>()) {
        frame->setEnabled(true);  // a disabled caption is too light to tell from the border
        QImage bare(frame->size(), QImage::Format_RGB32);
        frame->render(&bare, {}, {}, QWidget::DrawWindowBackground);
        QImage full(frame->size(), QImage::Format_RGB32);
        frame->render(&full, {}, {}, QWidget::DrawWindowBackground | QWidget::DrawChildren);
        int caption = 0;
        int covered = 0;
        for (int y = 0; y < std::min(frame->height(), 24); ++y) {
            for (int x = 0; x < frame->width(); ++x) {
                if (qGray(bare.pixel(x, y)) >= 110) continue;  // background or the frame's line
                ++caption;
                if (full.pixel(x, y) != bare.pixel(x, y)) ++covered;
            }
        }
        EXPECT_GT(caption, 20) << frame->title().toStdString();
        EXPECT_EQ(covered, 0) << frame->title().toStdString();
    }
    QCoreApplication::removeTranslator(&translation);
    QApplication::setFont(before);
}

INSTANTIATE_TEST_SUITE_P(Languages, FrameCaptions,
                         ::testing::Values(UiLanguage::japanese, UiLanguage::english));

}  // namespace
