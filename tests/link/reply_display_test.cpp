#include <gtest/gtest.h>

#include <QAccessible>
#include <QLabel>

#include "fakes/fake_services.h"
#include "main_window/form1.h"
#include "settings_dialog/form2.h"

// Whatever the controller sends is shown as the characters it sent, less the line ends that
// close it. Label texts that look like markup ("<b>", "&lt;") were once rendered as rich text:
// a garbled line could hide part of a reply or change how it reads.

namespace {

// The text the label presents, as a screen reader (or the operator) gets it.
QString presented(QLabel* label) {
    QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(label);
    return shown ? shown->text(QAccessible::Name) : QString();
}

enum class Shown { label16, dialog4, dialog5, dialog6, dialog7 };

struct Row {
    const char* name;
    std::int16_t mode;
    QByteArray reply;
    Shown where;
    QString expected;
};

void PrintTo(const Row& row, std::ostream* os) {
    *os << row.name;
}

QLabel* label_of(Form1& form, Shown where) {
    switch (where) {
        case Shown::label16:
            return form.Label16;
        case Shown::dialog4:
            return form.form2().Label4;
        case Shown::dialog5:
            return form.form2().Label5;
        case Shown::dialog6:
            return form.form2().Label6;
        case Shown::dialog7:
            return form.form2().Label7;
    }
    return nullptr;
}

class ReplyDisplay : public ::testing::TestWithParam<Row> {};

TEST_P(ReplyDisplay, ShowsTheReplyAsSent) {
    const Row& row = GetParam();
    fake::World w;
    w.module.picnic_mode = QStringLiteral("0");
    w.module.port_name = QStringLiteral("COM1");
    w.module.board_address = QStringLiteral("127.0.0.1");
    auto form = w.make_form1();
    w.module.operation_mode = static_cast<OperationMode>(row.mode);
    QLabel* label = label_of(*form, row.where);
    w.serial.feed(row.reply);
    EXPECT_EQ(label->text().toStdString(), row.expected.toStdString());
    EXPECT_EQ(presented(label).toStdString(), row.expected.toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReplyDisplay,
    ::testing::Values(Row{"PositionWithTag", 0, "AZ=<b>123</b> EL=045\r", Shown::label16,
                          QStringLiteral("AZ=<b>123</b> EL=045")},
                      Row{"PositionWithEntity", 0, "AZ=1 &lt;7 EL=2\r", Shown::label16,
                          QStringLiteral("AZ=1 &lt;7 EL=2")},
                      Row{"AzimuthQuestion", 1, "AZoffset are you sure?<u>Y</u>\r", Shown::dialog4,
                          QStringLiteral("are you sure?<u>Y</u>")},
                      Row{"FullScale", 3, "mode <i>450</i>\r", Shown::dialog5,
                          QStringLiteral("mode <i>450</i>")},
                      Row{"ElevationQuestion", 4, "ELoffset are you sure? <p>x\r", Shown::dialog6,
                          QStringLiteral("are you sure? <p>x")},
                      Row{"BothFullScales", 6, "AZ=<s>450</s> EL=180\r", Shown::dialog7,
                          QStringLiteral("AZ=<s>450</s> EL=180")},
                      // A serial reply's CR LF would lay the label out as two lines.
                      Row{"SerialPositionLineEnds", 0, "AZ=123 EL=045\r\n", Shown::label16,
                          QStringLiteral("AZ=123 EL=045")},
                      Row{"SerialFullScaleLineEnds", 3, "mode 450 Degree\r\n", Shown::dialog5,
                          QStringLiteral("mode 450 Degree")},
                      Row{"SerialQuestionLineEnds", 4, "ELoffset are you sure?(Y/N)\r\n",
                          Shown::dialog6, QStringLiteral("are you sure?(Y/N)")}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
