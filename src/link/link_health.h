#pragma once

#include <QString>
#include <optional>

// How the rotator link is doing, for both transports alike.
enum class LinkState {
    up,      // open, and no poll has waited too long for its reply
    silent,  // open, but a poll has waited too long with no reply at all
    down,    // not open: never opened, failed to open, device gone, connection lost
};

// "up", "silent" or "down", as the station shows it to other programs.
QString link_state_name(LinkState state);

// The rules of link health, fed with what the transports did and asked with a time (seconds
// on a clock that never goes back). Knows nothing of windows or ports.
class LinkHealth {
  public:
    // Longest wait for a poll's reply before the controller counts as silent.
    static constexpr double reply_limit_seconds = 3.0;

    void opened(double t);
    // why: what the operator is told while the link stays down.
    void lost(double t, const QString& why);
    void poll_sent(double t);
    // Any reply counts against silence; only one that gave a position makes it known.
    void reply_arrived(double t, bool position);

    LinkState state(double t) const;
    bool can_send(double t) const { return state(t) != LinkState::down; }
    // Known only while up, and only from a position reply since the link last came up.
    bool position_known(double t) const;
    // When the known position was reported; nothing while none is known.
    std::optional<double> position_reported_at(double t) const {
        return position_known(t) ? position_at_ : std::nullopt;
    }
    // Why the link is down; empty while it is open.
    QString why_down() const { return open_ ? QString() : why_; }

  private:
    bool open_ = false;
    QString why_;
    double up_since_ = 0;
    std::optional<double> waiting_since_;  // the first poll not answered yet
    std::optional<double> position_at_;
};
