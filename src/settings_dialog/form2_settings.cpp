#include "link/numeric.h"
#include "link/operation_rules.h"
#include "main_window/form1.h"
#include "platform/control_error.h"
#include "settings_dialog/form2.h"
#include "settings_dialog/interval_input.h"
#include "settings_dialog/ip_check.h"

// Load, connection choice, the ＯＲＢＸ switch, the save and the board address check.

void Form2::Form_Load() {
    m_.azimuth_origin = m_.setting(settings_key::azimuth_origin);
    // A south base point shows even though its button is disabled: the operator can move to
    // north but not back.
    (!switched_off(m_.azimuth_origin) ? Option2 : Option1)->setChecked(true);

    // Only a tick runs the switch's handler; any other stored value stays as read.
    m_.orbx_link = m_.setting(settings_key::orbx_link);
    Check1->setChecked(m_.orbx_linked());

    m_.picnic_mode = m_.setting(settings_key::picnic_mode);
    // Selecting runs the button's handler; one already selected would not toggle.
    const bool board = !m_.serial_port_selected();
    QRadioButton* const chosen = board ? Option4 : Option3;
    if (!chosen->isChecked()) {
        chosen->setChecked(true);
    } else if (board) {
        Option4_Click();
    } else {
        Option3_Click();
    }

    m_.port_name = m_.setting(settings_key::port_name);
    Combo1->setCurrentText(m_.port_name);

    m_.cycle_seconds = m_.setting(settings_key::cycle_seconds);
    azimuth_range_setting = m_.setting(settings_key::azimuth_range);
    Text1->setText(m_.cycle_seconds);

    m_.board_address = m_.setting(settings_key::board_address);
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
    m_.picnic_mode = switch_text(false);
    apply_connection_pattern(false);
}

void Form2::Option4_Click() {
    if (!Option4->isChecked()) return;
    m_.picnic_mode = switch_text(true);
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
    m_.orbx_link = switch_text(Check1->isChecked());
}

void Form2::Command1_Click() {
    save_settings();
}

Form2::SaveOutcome Form2::save_settings() {
    m_.azimuth_origin = switch_text(!Option1->isChecked());
    m_.port_name = Combo1->currentText();

    const QString interval = ascii_digits(Text1->text()).trimmed();
    if (numeric_value(interval) > 10) {
        s_.message_box.show(tr("処理時間間隔の設定時間が大きすぎます。"));
        return SaveOutcome::refused;
    }
    // A stopped timer would never poll again after the restart: no move would ever end.
    if (interval_milliseconds(interval) <= 0) {
        s_.message_box.show(tr("処理時間間隔を正しくセットしてください"));
        Text1->setFocus();
        return SaveOutcome::refused;
    }
    m_.operation_mode = OperationMode::running;
    m_.cycle_seconds = interval;
    form1_.set_timer_interval(interval_milliseconds(interval));

    double IP_ERR_NO = 0;
    IP_CHECK(IP_ERR_NO);
    if (IP_ERR_NO != 0) return SaveOutcome::refused;

    // Ending the program after a failed write would lose the settings without a word.
    if (!write_settings()) {
        s_.message_box.show(tr("設定ファイルに書き込めませんでした。"));
        return SaveOutcome::not_written;
    }
    s_.message_box.show(tr("設定変更がされています。プログラムを再起動してください"));
    s_.program_end.end_program();
    return SaveOutcome::saved;
}

bool Form2::write_settings() {
    const std::pair<const SettingKey&, const QString&> rows[] = {
        {settings_key::picnic_mode, m_.picnic_mode},
        {settings_key::orbx_link, m_.orbx_link},
        {settings_key::azimuth_origin, m_.azimuth_origin},
        {settings_key::port_name, m_.port_name},
        {settings_key::cycle_seconds, m_.cycle_seconds},
        {settings_key::board_address, m_.board_address},
    };
    bool all_written = true;
    for (const auto& [key, value] : rows) all_written = m_.store_setting(key, value) && all_written;
    // Written only once set, so a file without it stays as it was.
    if (!azimuth_range_setting.isEmpty()) {
        all_written =
            m_.store_setting(settings_key::azimuth_range, azimuth_range_setting) && all_written;
    }
    return all_written;
}

void Form2::note_range_reply(const QString& reply) {
    if (m_.operation_mode != OperationMode::az_full_scale) return;
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
