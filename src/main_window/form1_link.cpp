#include "link/commands.h"
#include "link/link_text.h"
#include "link/reply.h"
#include "link/serial_port_name.h"
#include "main_window/form1.h"
#include "main_window/port_failure.h"
#include "platform/control_error.h"

// Transport opening and closing, the initial command burst and the one-shot poll, the serial
// event, and reply reading and parsing.

void Form1::send_initial_commands() {
    m_.command_text = cmd::empty;
    m_.put_data(m_.command_text);
    m_.command_text = cmd::empty;
    m_.put_data(m_.command_text);
    discard_board_input();
    if (m_.orbx_linked()) Command2->setEnabled(true);
    m_.command_text = cmd::poll_position;
    m_.put_data(m_.command_text);
    picnic_rs232c_read_proc();
}

// The controller may answer the bare CRs ("?>"). The board reader takes the first line it
// finds, so unread answers would be taken for the poll's and its position lost.
void Form1::discard_board_input() {
    if (m_.serial_port_selected()) return;
    try {
        s_.board.read();
    } catch (const std::exception&) {
        // Nothing to clear, or the poll's own read will meet the same failure.
    }
}

void Form1::Command1_Click() {
    clear_reply_line();
    Label15->clear();
    m_.command_text = cmd::poll_position;
    m_.put_data(m_.command_text);
    picnic_rs232c_read_proc();
}

// Failures leave here as ControlError for the start-up handler.
void Form1::open_transports() {
    s_.board.set_address(m_.board_address);
    s_.board.set_setup(3);
    if (m_.serial_port_selected()) open_serial_port();
}

void Form1::open_serial_port() {
    const auto configured = [this](int number) {
        return m_.setting(settings_key::serial_device(number));
    };
    const auto port = choose_serial_port(m_.port_name, configured, this_port_system);
    const QString device = port ? port->device : QString();
    const auto failure = [&](std::optional<platform::OpenFailure> why, const QString& detail,
                             const QString& group) {
        Label15->setText(QStringLiteral("COM CLOSE"));
        return PortFailure(
            link_text::serial_open_failed(m_.port_name, device, why, detail, group).toStdString());
    };
    if (!port) throw failure(std::nullopt, {}, {});
    try {
        s_.serial.set_comm_port(port->number);
        s_.serial.set_device(port->device);
        s_.serial.set_settings(QStringLiteral("9600,n,8,1"));
        s_.serial.set_handshaking(0);
        s_.serial.set_rthreshold(1);
        s_.serial.set_sthreshold(1);
        s_.serial.set_port_open(true);
    } catch (const std::exception& e) {
        QString detail = QString::fromStdString(e.what());
        const QString opening = QStringLiteral("cannot open ") + device + QStringLiteral(": ");
        if (detail.startsWith(opening)) detail.remove(0, opening.size());
        const auto* refused = dynamic_cast<const platform::PortOpenError*>(&e);
        throw failure(refused ? refused->failure() : platform::OpenFailure::other, detail,
                      refused ? QString::fromStdString(refused->group()) : QString());
    }
    Label15->setText(QStringLiteral("COM OPEN"));
    m_.link.opened(m_.now());
}

void Form1::open_board_speed() {
    if (m_.commands_go_over_board()) s_.board.set_rs232c_speed(9600);
}

void Form1::close_port() {
    if (!m_.serial_port_selected()) return;
    Label15->setText(QStringLiteral("COM CLOSE"));
    m_.wait_with_events(2.0F);
    try {
        s_.serial.set_port_open(false);
    } catch (const std::exception&) {
        // Closing goes on whatever the port says.
    }
    Label16->clear();
    Label15->clear();
}

void Form1::MSComm1_OnComm() {
    int code = 0;
    try {
        code = s_.serial.comm_event();
    } catch (const std::exception&) {
        return;
    }
    if (code == platform::comm_event::receive) {
        receive_proc();
        return;
    }
    // A line error is news; a link problem stays until it is over.
    if (const auto message = comm_event_message(code); message && shown_problem_.isEmpty())
        Label16->setText(*message);
}

void Form1::receive_proc() {
    try {
        m_.wait_busy(0.1F);
        s_.serial.set_input_len(0);
        s_.serial.in_buffer_count();
        // Every byte taken off the port is used, including any that came in after the count.
        const QByteArray bytes = s_.serial.input();
        if (bytes.isEmpty()) return;
        m_.link.reply_arrived(m_.now(), false);
        const QString reply = reply_text(bytes);
        m_.write_log(QStringLiteral("receive_proc : ") + reply);
        show_reply(reply);
    } catch (const std::exception&) {
        // The read ends quietly; what was done stays.
    }
}

void Form1::picnic_rs232c_read_proc() {
    if (m_.serial_port_selected()) {
        m_.write_log(QStringLiteral("picnic_rs232c_read_proc : ＰＩＣＮＩＣ接続ではない状態"));
        return;
    }
    try {
        m_.wait_busy(0.1F);
        const QByteArray first = s_.board.read();
        if (first.isEmpty()) {
            m_.write_log(QStringLiteral("picnic_rs232c_read_proc : 応答データなしの状態"));
            return;
        }
        m_.link.reply_arrived(m_.now(), false);
        bool too_long = false;
        const auto line = assemble_board_line(
            first, [this] { return s_.board.read(); }, &too_long);
        if (too_long) {
            m_.write_log(QStringLiteral(
                             "picnic_rs232c_read_proc : 応答データなしの状態 (CRなしで%1バイト超)")
                             .arg(max_board_line));
        }
        if (!line) return;
        const QString reply = reply_text(*line);
        m_.write_log(QStringLiteral("picnic_rs232c_read_proc : ") + reply);
        show_reply(reply);
    } catch (const std::exception&) {
        // The read ends quietly; what was done stays.
    }
}

// Throws ReplyFault when the position cannot be read; the readers trap it, and the reply
// goes no further.
void Form1::show_reply(const QString& reply) {
    if (const auto shown = main_window_text(reply, m_.operation_mode)) {
        Label16->setText(without_line_ends(*shown));
        Label16->setToolTip({});
        parse_position(reply);
        // A manual move waiting for a fresh position goes now, on the side it shows.
        if (move_awaits_position_ && !overlap_needs_poll()) {
            if (const auto refused = send_manual_move())
                m_.write_log(QStringLiteral("show_reply : 手動移動を送れない状態 ") +
                             refused->message);
        }
        if (state_.manual_tracking) check_manual_arrival();
    }
    emit reply_received(reply, m_.operation_mode);
}

// Throws ReplyFault when a field is missing or not a number; the azimuth is kept even when
// the elevation then fails.
void Form1::parse_position(const QString& reply) {
    const auto fields = position_fields(reply);
    if (!fields) return;
    if (!fields->azimuth) throw ReplyFault("no azimuth");
    state_.antenna_azimuth = *fields->azimuth;
    if (!fields->elevation) throw ReplyFault("no elevation");
    state_.antenna_elevation = *fields->elevation;
    m_.link.reply_arrived(m_.now(), true);
}
