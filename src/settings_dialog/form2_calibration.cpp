#include "link/commands.h"
#include "link/reply.h"
#include "main_window/form1.h"
#include "settings_dialog/form2.h"

// The controller's calibration commands. The dialog does not read the answers itself: the
// main window's reply reader hands every reply on, and the labels show it by operation_mode;
// the operator decides.

void Form2::show_reply(const QString& reply, OperationMode mode) {
    QLabel* const labels[] = {Label4, Label5, Label6, Label7};
    for (int n = 4; n <= 7; ++n) {
        QLabel* label = labels[n - 4];
        label->clear();
        const auto text = dialog_label_text(n, reply, mode);
        // An answer without its question: this label stays empty, later ones keep their text.
        if (!text) return;
        label->setText(without_line_ends(*text));
    }
    note_range_reply(reply);
}

void Form2::send_command(const QString& hex) {
    m_.command_text = hex;
    m_.put_data(m_.command_text);
}

void Form2::set_mode(OperationMode mode) {
    m_.operation_mode = mode;
}

void Form2::wait_and_read() {
    m_.wait_busy(0.5F);
    form1_.picnic_rs232c_read_proc();
}

void Form2::read_answer_as(OperationMode mode) {
    set_mode(mode);
    wait_and_read();
}

// --- azimuth offset ------------------------------------------------------------------------

void Form2::Command2_Click() {
    Command2->setEnabled(false);
    s_.message_box.show(
        tr("水平ローテータを反時計方向（０度）に回転させて停止するまで移動させてください"));
    s_.message_box.show(tr("水平ローテータが０度になりましたらＯＫを押してください。"));
    Label4->clear();
    send_command(cmd::az_offset);
    Command3->setEnabled(true);
    Command4->setEnabled(true);
    read_answer_as(OperationMode::az_offset_asked);
}

void Form2::Command3_Click() {
    send_command(cmd::yes);
    Command2->setEnabled(true);
    Command3->setEnabled(false);
    Command4->setEnabled(false);
    read_answer_as(OperationMode::az_offset_answered);
}

void Form2::Command4_Click() {
    send_command(cmd::empty);
    Command2->setEnabled(true);
    Command3->setEnabled(false);
    Command4->setEnabled(false);
    read_answer_as(OperationMode::az_offset_answered);
}

// --- azimuth full scale --------------------------------------------------------------------

void Form2::Command5_Click() {
    send_command(cmd::range_450);
    read_answer_as(OperationMode::az_full_scale);
}

void Form2::Command6_Click() {
    send_command(cmd::range_360);
    read_answer_as(OperationMode::az_full_scale);
}

void Form2::Command7_Click() {
    send_command(cmd::az_full_scale);
    read_answer_as(OperationMode::az_full_scale);
}

// --- elevation offset ----------------------------------------------------------------------

void Form2::Command8_Click() {
    Command8->setEnabled(false);
    s_.message_box.show(
        tr("仰角ローテータを０ポイントまで回転させて停止するまで移動させてください"));
    Label6->clear();
    send_command(cmd::el_offset);
    Command9->setEnabled(true);
    Command10->setEnabled(true);
    read_answer_as(OperationMode::el_offset_asked);
}

void Form2::Command9_Click() {
    send_command(cmd::yes);
    Command8->setEnabled(true);
    Command9->setEnabled(false);
    Command10->setEnabled(false);
    read_answer_as(OperationMode::el_offset_answered);
}

void Form2::Command10_Click() {
    send_command(cmd::empty);
    Command8->setEnabled(true);
    Command9->setEnabled(false);
    Command10->setEnabled(false);
    read_answer_as(OperationMode::el_offset_answered);
}

// --- full scale of both axes ---------------------------------------------------------------

void Form2::Command11_Click() {
    // Unlike the offsets, the command goes out before the prompts; its answer is read half a
    // second after the operator closes the second one.
    send_command(cmd::full_scale);
    set_mode(OperationMode::full_scale);
    s_.message_box.show(tr(
        "水平ローテータを最大／仰角ローテータを90度まで回転させて停止するまで移動させてください"));
    s_.message_box.show(tr("水平　最大／仰角９０度になりましたらＯＫ　を押してください"));
    wait_and_read();
}
