#include "link/commands.h"
#include "link/hex.h"
#include "link/move_command.h"
#include "link/numeric.h"
#include "main_window/form1.h"

// The periodic cycle.

namespace {

// Clears the flag however the tick ends.
class TickGuard {
  public:
    explicit TickGuard(bool& running) : running_(running) { running_ = true; }
    ~TickGuard() { running_ = false; }
    TickGuard(const TickGuard&) = delete;
    TickGuard& operator=(const TickGuard&) = delete;

  private:
    bool& running_;
};

struct TrackingMove {
    QString command;
    double azimuth;  // as the tracking program gave them
    double elevation;
};

// The move command towards the tracked object, or nothing while it is below the horizon, a
// box holds no number at all, or its angles cannot be written as a command.
std::optional<TrackingMove> tracking_move(Form1& form, const QString& azimuth_text,
                                          const QString& elevation_text) {
    Module1& m = form.module();
    const auto azimuth = numeric_reading(azimuth_text);
    const auto elevation = numeric_reading(elevation_text);
    if (!azimuth || !elevation) {
        // "---" or an empty box is no position; read as 0 it would turn the antenna to 0/0.
        m.write_log(
            QStringLiteral("Timer1_Timer : 追尾データが数値でない状態 方位=\"%1\" 仰角=\"%2\"")
                .arg(azimuth_text, elevation_text));
        return std::nullopt;
    }
    const auto whole = round_down(*elevation);
    if (!whole || *whole < 0) return std::nullopt;
    const auto command = compose_move_command(form.command_azimuth(*azimuth), *elevation);
    if (!command) return std::nullopt;
    return TrackingMove{*command, *azimuth, *elevation};
}

void poll_position(Form1& form) {
    Module1& m = form.module();
    m.command_text = cmd::poll_position;
    m.put_data(m.command_text);
    form.picnic_rs232c_read_proc();
    form.Label7->setText(QStringLiteral("C2"));
}

}  // namespace

void Form1::Timer1_Timer() {
    // A message box opened inside a tick runs a nested event loop that may deliver the next
    // tick; it must not start a second exchange with the rotator in the middle of the first.
    if (tick_running_) return;
    const TickGuard guard(tick_running_);

    refresh_tracking_values();
    // Nothing can be written while the link is down: the watch heals it, and tracking goes on
    // from there.
    const bool can_send = link_can_send();
    if (can_send && state_.auto_tracking) {
        const bool satellite = Option1->isChecked();
        const WindowState& s = state_;
        const auto move = satellite ? tracking_move(*this, s.value(TrackingItem::satellite_azimuth),
                                                    s.value(TrackingItem::satellite_elevation))
                                    : tracking_move(*this, s.value(TrackingItem::moon_azimuth),
                                                    s.value(TrackingItem::moon_elevation));
        if (move && tracking_move_wanted(move->azimuth, move->elevation)) {
            text_to_hex(move->command, m_.command_text);
            // A move that did not go out is sent again next time, whatever the threshold.
            if (!m_.put_data(m_.command_text)) last_tracking_sent.reset();
            Label5->setText(move->command);
        }
        poll_position(*this);
    }
    if (can_send && (state_.manual_tracking || idle_poll_wanted())) poll_position(*this);
    watch_link();
    draw_radar();
}

void Form1::set_timer_interval(int milliseconds) {
    if (milliseconds <= 0) {
        Timer1.stop();
        return;
    }
    Timer1.start(milliseconds);
}
