#include <utility>

#include "link/commands.h"
#include "link/hex.h"
#include "link/move_command.h"
#include "link/tracking_aim.h"
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
    TrackingAim aim;
};

// The move command towards the tracked object, or nothing while it is below the horizon or its
// values cannot be followed: no number, old, or impossible.
std::optional<TrackingMove> tracking_move(Form1& form, TrackingItem azimuth_item,
                                          TrackingItem elevation_item) {
    const TrackingValue azimuth{form.state().value(azimuth_item), form.value_age(azimuth_item)};
    const TrackingValue elevation{form.state().value(elevation_item),
                                  form.value_age(elevation_item)};
    const TrackingAim aim = tracking_aim(azimuth, elevation);
    const auto refused = [&](const char* why) {
        form.module().write_log(
            QStringLiteral("Timer1_Timer : 追尾データが%1 方位=\"%2\" 仰角=\"%3\"")
                .arg(QString::fromUtf8(why), azimuth.text, elevation.text));
        return std::nullopt;
    };
    switch (aim.verdict) {
        case AimVerdict::move:
            break;
        case AimVerdict::no_number:
            // "---" or an empty box is no position; read as 0 it would turn the antenna to 0/0.
            return refused("数値でない状態");
        case AimVerdict::stale:
            return refused("古い状態");
        case AimVerdict::out_of_range:
            return refused("範囲外の状態");
        case AimVerdict::below_horizon:
            return std::nullopt;
    }
    const auto command = rotator_move_command(form.command_azimuth(aim.azimuth), aim.elevation,
                                              form.operation.azimuth_range);
    if (!command) return std::nullopt;
    return TrackingMove{*command, aim};
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

    previous_tick_start_ = std::exchange(tick_start_, m_.now());
    refresh_tracking_values();
    show_staleness();
    // Nothing can be written while the link is down: the watch heals it, and tracking goes on
    // from there.
    const bool can_send = link_can_send();
    if (can_send && state_.auto_tracking) {
        const TrackedItems tracked = tracked_items(Option1->isChecked());
        const auto move = tracking_move(*this, tracked.azimuth, tracked.elevation);
        // The side of the overlap is chosen on a position from the last cycle at most: this
        // tick's poll brings one, and the next tick moves.
        if (move && !overlap_needs_poll() &&
            tracking_move_wanted(move->aim.azimuth, move->aim.elevation)) {
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
