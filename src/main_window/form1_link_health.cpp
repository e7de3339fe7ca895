#include <exception>
#include <utility>

#include "link/commands.h"
#include "link/link_text.h"
#include "main_window/form1.h"
#include "main_window/port_failure.h"

// What the window knows of the rotator link: it follows the transport into the link's health,
// heals a lost link, and shows the health in the status line and the reply line.

namespace {

const QString com_open = QStringLiteral("COM OPEN");
const QString com_close = QStringLiteral("COM CLOSE");

}  // namespace

void Form1::follow_transport() {
    // The settings dialog may switch the transport under us; saving it ends the program.
    if (m_.operation_mode != OperationMode::running || shutting_down_) return;
    const double now = m_.now();
    bool open = false;
    if (m_.serial_port_selected()) {
        open = s_.serial.port_open();
    } else if (m_.commands_go_over_board()) {
        open = s_.board.connected();
        // The board is reached on demand: a connection it closed is lost only when it cannot
        // be made again.
        if (!open && m_.link.can_send(now)) {
            try {
                s_.board.connect_board();
                open = true;
            } catch (const std::exception&) {
            }
        }
    }
    if (open) {
        m_.link.opened(now);
    } else if (m_.link.can_send(now) || m_.link.why_down().isEmpty()) {
        m_.link.lost(now, m_.commands_go_over_board() ? link_text::board_unreachable()
                                                      : link_text::serial_lost(m_.port_name));
    }
}

bool Form1::link_can_send() {
    follow_transport();
    return m_.link.can_send(m_.now());
}

bool Form1::position_known() {
    return m_.link.position_known(m_.now());
}

QString Form1::link_problem() {
    switch (m_.link.state(m_.now())) {
        case LinkState::up:
            return {};
        case LinkState::silent:
            return link_text::silent();
        case LinkState::down:
            break;
    }
    const QString why = m_.link.why_down();
    if (!why.isEmpty()) return why;
    return m_.commands_go_over_board() ? link_text::board_unreachable()
                                       : link_text::serial_lost(m_.port_name);
}

void Form1::watch_link() {
    if (watching_ || shutting_down_) return;
    watching_ = true;
    follow_transport();
    const double now = m_.now();
    if (!m_.link.can_send(now)) heal_link();
    const LinkState state = m_.link.state(now);
    if (state != shown_link_) link_changed(std::exchange(shown_link_, state), state);
    // A stop refused by a link that never went down is tried again all the same.
    if (stop_owed_ && m_.link.can_send(m_.now()) &&
        (!last_stop_try_ || m_.now() - *last_stop_try_ >= heal_interval_seconds)) {
        send_stop();
    }
    show_link_state();
    watching_ = false;
}

void Form1::heal_link() {
    if (m_.operation_mode != OperationMode::running) return;
    const double now = m_.now();
    if (last_heal_ && now - *last_heal_ < heal_interval_seconds) return;
    last_heal_ = now;
    if (m_.serial_port_selected()) {
        try {
            open_serial_port();
        } catch (const PortFailure& e) {
            // A port that never opened keeps saying why; one that was lost says so.
            if (m_.link.why_down() != link_text::serial_lost(m_.port_name))
                m_.link.lost(now, QString::fromStdString(e.what()));
        }
    } else if (m_.commands_go_over_board()) {
        try {
            s_.board.connect_board();  // within the board's hold-off after a failed connect
            m_.link.opened(m_.now());
        } catch (const std::exception&) {
        }
    }
}

void Form1::link_changed(LinkState from, LinkState to) {
    m_.write_log(QStringLiteral("link_health : ") + link_state_name(to) +
                 (to == LinkState::up ? QString() : u' ' + link_problem()));
    // Nothing can reach the rotator: the window must not claim a move it cannot follow.
    if (to == LinkState::down && state_.manual_tracking) end_manual_move();
    if (from != LinkState::down || to == LinkState::down) return;
    // Back again: a stop still owed goes first, then the position is asked for (unless the
    // command that brought the link back has had it answered already).
    last_tracking_sent.reset();
    if (stop_owed_) send_stop();
    if (position_known()) return;
    m_.command_text = cmd::poll_position;
    m_.put_data(m_.command_text);
    picnic_rs232c_read_proc();
    Label7->setText(QStringLiteral("C2"));
}

void Form1::show_link_state() {
    if (m_.serial_port_selected()) {
        const QString status = s_.serial.port_open() ? com_open : com_close;
        if (Label15->text() != status) Label15->setText(status);
    }
    const QString problem = link_problem();
    const bool known = position_known();
    if (problem == shown_problem_ && known == shown_known_) return;
    shown_problem_ = problem;
    // A position that just became known was shown by its reply.
    if (!known) clear_reply_line();
    // The antenna appears or goes now, not at the next tick (there may be none).
    if (std::exchange(shown_known_, known) != known) draw_radar();
}

void Form1::clear_reply_line() {
    follow_transport();
    QString text = link_problem();
    if (text.isEmpty() && !position_known()) text = link_text::position_unknown();
    Label16->setText(text);
    // The line is narrow; the whole text is one hover away.
    Label16->setToolTip(text);
}

bool Form1::send_stop() {
    last_stop_try_ = m_.now();
    m_.command_text = cmd::stop;
    stop_owed_ = !m_.put_data(m_.command_text);
    if (stop_owed_) follow_transport();
    return !stop_owed_;
}

bool Form1::stop_everything() {
    // A stop goes before any move still queued, and that move is not sent after it.
    queued_heading_.reset();
    if (state_.manual_tracking) {
        end_manual_move();
        clear_reply_line();
    }
    if (state_.auto_tracking) Command2_Click();  // its end branch sends nothing
    const bool delivered = send_stop();
    draw_radar();
    return delivered;
}
