#include "link/numeric.h"
#include "link/operation_rules.h"
#include "main_window/form1.h"
#include "platform/control_error.h"
#include "settings_dialog/form2.h"
#include "settings_dialog/interval_input.h"
#include "settings_dialog/ip_check.h"

// Load, connection choice, the ＯＲＢＸ switch, the save and the board address check.

namespace {

const QString gs232b = QStringLiteral("GS232B");

// A stored setting, or the fallback when the file, section or key is missing.
QString read_setting(Module1& m, const QString& key, const QString& section,
                     const QString& fallback) {
    const QString value = m.get_ini_value(key, section, m.ini_file());
    return value == QStringLiteral("ERROR") ? fallback : value;
}

}  // namespace

void Form2::Form_Load() {
    m_.azimuth_origin =
        read_setting(m_, QStringLiteral("HKITEN"), QStringLiteral("HOUI"), QStringLiteral("0"));
    // A south base point shows even though its button is disabled: the operator can move to
    // north but not back.
    (m_.azimuth_origin != QStringLiteral("0") ? Option2 : Option1)->setChecked(true);

    // Only a tick runs the switch's handler; any other stored value stays as read.
    m_.orbx_link = read_setting(m_, QStringLiteral("ORBX"), gs232b, QStringLiteral("0"));
    Check1->setChecked(m_.orbx_link == QStringLiteral("1"));

    m_.picnic_mode = read_setting(m_, QStringLiteral("PICNIC"), gs232b, QStringLiteral("0"));
    // Selecting runs the button's handler; one already selected would not toggle.
    const bool board = m_.picnic_mode != QStringLiteral("0");
    QRadioButton* const chosen = board ? Option4 : Option3;
    if (!chosen->isChecked()) {
        chosen->setChecked(true);
    } else if (board) {
        Option4_Click();
    } else {
        Option3_Click();
    }

    m_.port_name = read_setting(m_, QStringLiteral("PORT"), gs232b, QStringLiteral("COM1"));
    Combo1->setCurrentText(m_.port_name);

    m_.cycle_seconds = read_setting(m_, QStringLiteral("TIMER"), gs232b, QStringLiteral("1"));
    azimuth_range_setting = read_setting(m_, QStringLiteral("AZRANGE"), gs232b, QString());
    Text1->setText(m_.cycle_seconds);

    m_.board_address = read_setting(m_, QStringLiteral("IP"), QStringLiteral("TCP/IP"),
                                    QStringLiteral("192.168.0.200"));
    try {
        s_.board.set_address(m_.board_address);
    } catch (const platform::ControlError&) {
        // The board control refused the text; the boxes still show it so it can be corrected.
    }
    m_.address_octets = split_address(m_.board_address);
    QLineEdit* const boxes[] = {Text5, Text6, Text7, Text8};
    for (size_t i = 0; i < 4; ++i) boxes[i]->setText(m_.address_octets[i]);

    Command2->setEnabled(true);
    Command8->setEnabled(true);
    Command3->setEnabled(false);
    Command4->setEnabled(false);
    Command9->setEnabled(false);
    Command10->setEnabled(false);
}

void Form2::Option3_Click() {
    if (!Option3->isChecked()) return;
    m_.picnic_mode = QStringLiteral("0");
    apply_connection_pattern(false);
}

void Form2::Option4_Click() {
    if (!Option4->isChecked()) return;
    m_.picnic_mode = QStringLiteral("1");
    apply_connection_pattern(true);
}

void Form2::apply_connection_pattern(bool board) {
    // Frames first: a child cannot be enabled inside a disabled frame.
    Frame8->setEnabled(!board);
    Label1->setEnabled(!board);
    Combo1->setEnabled(!board);
    Frame7->setEnabled(board);
    for (QWidget* w : {static_cast<QWidget*>(Label30), static_cast<QWidget*>(Text5),
                       static_cast<QWidget*>(Text6), static_cast<QWidget*>(Text7),
                       static_cast<QWidget*>(Text8)}) {
        w->setEnabled(board);
    }
}

void Form2::Check1_Click() {
    m_.orbx_link = Check1->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
}

void Form2::Command1_Click() {
    save_settings();
}

Form2::SaveOutcome Form2::save_settings() {
    m_.azimuth_origin = Option1->isChecked() ? QStringLiteral("0") : QStringLiteral("1");
    m_.port_name = Combo1->currentText();

    const QString interval = ascii_digits(Text1->text()).trimmed();
    if (numeric_value(interval) > 10) {
        s_.message_box.show(QStringLiteral("処理時間間隔の設定時間が大きすぎます。"));
        return SaveOutcome::refused;
    }
    // A stopped timer would never poll again after the restart: no move would ever end.
    if (interval_milliseconds(interval) <= 0) {
        s_.message_box.show(QStringLiteral("処理時間間隔を正しくセットしてください"));
        Text1->setFocus();
        return SaveOutcome::refused;
    }
    m_.operation_mode = 0;
    m_.cycle_seconds = interval;
    form1_.set_timer_interval(interval_milliseconds(interval));

    double IP_ERR_NO = 0;
    IP_CHECK(IP_ERR_NO);
    if (IP_ERR_NO != 0) return SaveOutcome::refused;

    // Ending the program after a failed write would lose the settings without a word.
    if (!write_settings()) {
        s_.message_box.show(QStringLiteral("設定ファイルに書き込めませんでした。"));
        return SaveOutcome::not_written;
    }
    s_.message_box.show(QStringLiteral("設定変更がされています。プログラムを再起動してください"));
    s_.program_end.end_program();
    return SaveOutcome::saved;
}

bool Form2::write_settings() {
    const QString file = m_.ini_file();
    const struct {
        const QString& value;
        QString key;
        QString section;
    } rows[] = {
        {m_.picnic_mode, QStringLiteral("PICNIC"), gs232b},
        {m_.orbx_link, QStringLiteral("ORBX"), gs232b},
        {m_.azimuth_origin, QStringLiteral("HKITEN"), QStringLiteral("HOUI")},
        {m_.port_name, QStringLiteral("PORT"), gs232b},
        {m_.cycle_seconds, QStringLiteral("TIMER"), gs232b},
        {m_.board_address, QStringLiteral("IP"), QStringLiteral("TCP/IP")},
    };
    bool all_written = true;
    for (const auto& row : rows) {
        all_written = m_.put_ini_value(row.value, row.key, row.section, file) && all_written;
    }
    // Written only once set, so a file without it stays as it was.
    if (!azimuth_range_setting.isEmpty()) {
        all_written =
            m_.put_ini_value(azimuth_range_setting, QStringLiteral("AZRANGE"), gs232b, file) &&
            all_written;
    }
    return all_written;
}

void Form2::note_range_reply(const QString& reply) {
    if (m_.operation_mode != 3) return;
    if (const auto range = range_from_reply(reply)) azimuth_range_setting = QString::number(*range);
}

void Form2::IP_CHECK(double& IP_ERR_NO) {
    IP_ERR_NO = 0;
    QLineEdit* const boxes[] = {Text5, Text6, Text7, Text8};
    for (int n = 1; n <= 4; ++n) {
        QLineEdit* const box = boxes[n - 1];
        const auto octet = accepted_octet(box->text());
        if (!octet) {
            s_.message_box.show(octet_error_message(n));
            // The serial pattern disables the boxes; a refused address is opened for
            // correction without switching the connection.
            if (!box->isEnabled()) {
                Frame7->setEnabled(true);
                Label30->setEnabled(true);
                for (QWidget* b : boxes) b->setEnabled(true);
            }
            box->setFocus();
            IP_ERR_NO = n;
            return;
        }
        m_.address_octets[static_cast<size_t>(n - 1)] = *octet;
    }
    const auto& o = m_.address_octets;
    m_.board_address = o[0] + u'.' + o[1] + u'.' + o[2] + u'.' + o[3];
}
