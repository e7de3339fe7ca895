#include <exception>

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

struct ManualMove {
    QString azimuth_text;
    QString elevation_text;
    QString command;
};

// Whole degrees of the picked target; below the horizon the rotator is sent elevation 0.
std::optional<ManualMove> manual_move(double azimuth, double elevation) {
    const auto az = angle_text(azimuth);
    const auto el =
        elevation < 0 ? std::optional<QString>(QStringLiteral("000")) : angle_text(elevation);
    if (!az || !el) return std::nullopt;
    return ManualMove{*az, *el, QStringLiteral("W") + *az + u' ' + *el + u'\r'};
}

}  // namespace

void Form1::Command4_Click() {
    draw_radar();
    if (state_.manual_tracking) {
        end_manual_move();
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
    // Arrival is judged on the azimuth the command carries.
    state_.target_azimuth = command_azimuth(state_.target_azimuth);
    // Picked angles always fit; anything else set in their place is not sent.
    const auto move = manual_move(state_.target_azimuth, state_.target_elevation);
    if (!move) return std::nullopt;
    text_to_hex(move->command, m_.command_text);
    // A move that did not go out is no move: the window would follow what is not happening.
    if (!m_.put_data(m_.command_text)) {
        follow_transport();
        return Refusal(link_text::move_not_possible(link_problem()), true);
    }
    Label5->setText(move->command);
    show_tracking_value(TrackingItem::satellite_azimuth, move->azimuth_text);
    show_tracking_value(TrackingItem::satellite_elevation, move->elevation_text);
    Command2->setEnabled(false);
    set_back_colour(Command4, running());
    Command4->setText(manual_stop());
    state_.manual_tracking = true;
    state_.auto_tracking = false;
    return std::nullopt;
}

void Form1::Command2_Click() {
    if (!state_.auto_tracking) {
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
    state_.target_picked = false;
    set_back_colour(Command4, QColor());
    Command4->setText(manual_start());
    if (m_.orbx_linked()) Command2->setEnabled(true);
    Command4->setEnabled(true);
}
