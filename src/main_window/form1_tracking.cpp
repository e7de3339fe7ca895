#include <exception>

#include "link/commands.h"
#include "link/hex.h"
#include "link/link_text.h"
#include "link/move_command.h"
#include "link/numeric.h"
#include "main_window/arrival.h"
#include "main_window/form1.h"

// Manual-move and automatic-tracking buttons, and the arrival check.

namespace {

// Asked for when shown: the translation is chosen after start.
QString manual_start() {
    return Form1::tr("手動開始");
}
QString manual_stop() {
    return Form1::tr("手動中止");
}
QString auto_start() {
    return Form1::tr("自動追尾開始");
}
QString auto_end() {
    return Form1::tr("自動追尾終了");
}

// The azimuth as the operator asked for it, and the one the command carries beside it when
// the overlap made them differ: "10 (370)".
QString azimuth_as_known(double asked, double commanded) {
    const auto a = round_down(asked);
    const auto c = round_down(commanded);
    if (!a || !c || *a == *c) return angle_text(commanded).value_or(QString());
    return QStringLiteral("%1 (%2)").arg(*a).arg(*c);
}

}  // namespace

void Form1::Command4_Click() {
    draw_radar();
    if (state_.manual_tracking) {
        end_manual_move();
        queued_heading_.reset();  // the operator's stop wins over a caller's move not sent yet
        const bool delivered = send_stop();
        clear_reply_line();
        if (!delivered) s_.message_box.show(link_text::stop_not_delivered());
        return;
    }
    if (!state_.target_picked) {
        s_.message_box.show(Form1::tr("移動場所を指定してください"));
        return;
    }
    if (const auto refused = start_manual_move()) s_.message_box.show(refused->message);
}

std::optional<Refusal> Form1::start_manual_move() {
    if (!link_can_send()) return Refusal(link_text::move_not_possible(link_problem()), true);
    if (!overlap_needs_poll()) return send_manual_move();
    // The side of the overlap is chosen on where the antenna is now: its position is asked
    // for first, and the move goes with the reply (read at once from the board, by the receive
    // event from the port).
    show_manual_move_running();
    move_awaits_position_ = true;
    m_.command_text = cmd::poll_position;
    if (!m_.put_data(m_.command_text)) {
        follow_transport();
        end_manual_move();
        return Refusal(link_text::move_not_possible(link_problem()), true);
    }
    Label7->setText(QStringLiteral("C2"));
    picnic_rs232c_read_proc();
    if (!state_.manual_tracking) return Refusal(link_text::move_not_possible(link_problem()), true);
    return std::nullopt;
}

std::optional<Refusal> Form1::send_manual_move() {
    move_awaits_position_ = false;
    const double asked = state_.target_azimuth;
    const double azimuth = command_azimuth(asked);
    // Below the horizon the rotator is sent elevation 0.
    const double elevation = state_.target_elevation < 0 ? 0 : state_.target_elevation;
    const auto command = rotator_move_command(azimuth, elevation, operation.azimuth_range);
    const auto elevation_text = angle_text(elevation);
    // Picked and typed angles always fit; anything else set in their place is not sent.
    if (!command || !elevation_text) {
        if (state_.manual_tracking) end_manual_move();
        return Refusal(Form1::tr("移動先の角度が範囲外です"));
    }
    text_to_hex(*command, m_.command_text);
    // A move that did not go out is no move: the window would follow what is not happening.
    if (!m_.put_data(m_.command_text)) {
        follow_transport();
        if (state_.manual_tracking) end_manual_move();
        return Refusal(link_text::move_not_possible(link_problem()), true);
    }
    // Arrival is judged on the azimuth the command carries.
    state_.target_azimuth = azimuth;
    Label5->setText(*command);
    show_tracking_value(TrackingItem::satellite_azimuth, azimuth_as_known(asked, azimuth));
    show_tracking_value(TrackingItem::satellite_elevation, *elevation_text);
    show_manual_move_running();
    return std::nullopt;
}

void Form1::show_manual_move_running() {
    Command2->setEnabled(false);
    set_back_colour(Command4, running());
    Command4->setText(manual_stop());
    state_.manual_tracking = true;
    state_.auto_tracking = false;
}

void Form1::Command2_Click() {
    if (!state_.auto_tracking) {
        // Its button is disabled during a manual move: the two never run together.
        if (state_.manual_tracking) return;
        if (!link_can_send()) {
            s_.message_box.show(link_text::move_not_possible(link_problem()));
            return;
        }
        try {
            Command4->setEnabled(false);
            set_back_colour(Command4, QColor());
            set_back_colour(Command2, running());
            send_initial_commands();
            last_tracking_sent.reset();
            state_.auto_tracking = true;
            Command2->setText(auto_end());
        } catch (const std::exception&) {
            s_.message_box.show(Form1::tr("ＣＯＭポート のオープンができませんでした。"));
        }
        return;
    }
    Command2->setText(auto_start());
    set_back_colour(Command2, QColor());
    Command2->setEnabled(false);
    state_.auto_tracking = false;
    if (m_.orbx_linked()) Command2->setEnabled(true);
    Command4->setEnabled(true);
    clear_reply_line();
}

void Form1::check_manual_arrival() {
    const WindowState& s = state_;
    const ArrivalCheck check{s.antenna_azimuth,     s.antenna_elevation, s.azimuth_tolerance,
                             s.elevation_tolerance, s.target_azimuth,    s.target_elevation};
    if (!s.manual_tracking || !antenna_arrived(check)) return;
    end_manual_move();  // arrived: nothing is sent, Label16 keeps the last reply
}

// Shared by the stop button and the arrival: back to idle with no target.
void Form1::end_manual_move() {
    state_.manual_tracking = false;
    move_awaits_position_ = false;
    state_.target_picked = false;
    set_back_colour(Command4, QColor());
    Command4->setText(manual_start());
    if (m_.orbx_linked()) Command2->setEnabled(true);
    Command4->setEnabled(true);
}
