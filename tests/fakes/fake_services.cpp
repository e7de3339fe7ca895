#include "fakes/fake_services.h"

#include <QCoreApplication>
#include <utility>

#include "config/ini_text.h"
#include "main_window/form1.h"
#include "platform/control_error.h"

namespace fake {

void SerialControl::feed(const QByteArray& bytes) {
    rx += bytes;
    raise(platform::comm_event::receive);
}

void SerialControl::raise(int code) {
    event = code;
    if (on_comm_) on_comm_();
}

void SerialControl::set_port_open(bool o) {
    if (o && fail_open) throw platform::ControlError("cannot open port");
    open = o;
}

void SerialControl::set_output(const QByteArray& bytes) {
    if (!open) throw platform::ControlError("port not open");
    const int before = std::exchange(bytes_out_, bytes_out_ + static_cast<int>(bytes.size()));
    if (fail_output_at && *fail_output_at >= before && *fail_output_at < bytes_out_) {
        const int out = *fail_output_at - before;
        written += bytes.left(out);
        throw platform::OutputError("write failed", out);
    }
    output_sizes.push_back(static_cast<int>(bytes.size()));
    written += bytes;
    if (on_written) on_written(bytes);
}

QByteArray SerialControl::input() {
    QByteArray out = rx;
    rx.clear();
    return out;
}

void BoardControl::set_address(const QString& a) {
    if (fail_address) throw platform::ControlError("board refused address");
    addr = a;
}

void BoardControl::connect_board() {
    if (!reachable) throw platform::ControlError("board unreachable");
}

void BoardControl::send(const QByteArray& one_char) {
    connect_board();
    const int index = sends_++;
    if (fail_send_at && *fail_send_at == index) throw platform::ControlError("send failed");
    sent += one_char;
    if (on_sent) on_sent(one_char);
}

QByteArray BoardControl::read() {
    ++reads;
    if (fail_read) throw platform::ControlError("read failed");
    if (chunks.empty()) return flood;
    QByteArray next = chunks.front();
    chunks.pop_front();
    return next;
}

void DdeClient::link_setup(const QString& box, const QString& topic, const QString& item) {
    calls << QStringLiteral("setup %1 %2 %3").arg(box, topic, item);
    if (!server_running || topic != QStringLiteral("ORBX|EXTRN")) {
        linked_.remove(box);
        throw platform::ControlError("no server");
    }
    linked_[box] = item;
}

QString DdeClient::request(const QString& box) {
    if (clock != nullptr && batch_depth_ > 0 && batch_end_ - clock->mono < answer_seconds)
        throw platform::OutOfTime("no time left");  // not made
    calls << QStringLiteral("request %1").arg(box);
    if (!server_running || !linked_.contains(box)) throw platform::ControlError("not linked");
    const QString item = linked_.value(box);
    if (failing_item && *failing_item == item) throw platform::ControlError("request failed");
    if (clock != nullptr) clock->mono += answer_seconds;
    return items.value(item);
}

void DdeClient::begin_batch(int budget_ms) {
    if (batch_depth_++ == 0 && clock != nullptr) batch_end_ = clock->mono + budget_ms / 1000.0;
}

void DdeClient::end_link(const QString& box) {
    calls << QStringLiteral("end %1").arg(box);
    linked_.remove(box);
}

QString ProfileStore::get_private_profile_string(const QString& section, const QString& key,
                                                 const QString& fallback, int size,
                                                 const QString& file) {
    const bool readable = files.contains(file) && refused == platform::ProfileRefusal::none;
    const auto value = readable ? ini_lookup(files.value(file), section, key) : std::nullopt;
    QString result = value ? *value : fallback;
    if (size > 0 && result.size() > size - 1) result.truncate(size - 1);
    return result;
}

QList<QPair<QString, QString>> ProfileStore::get_private_profile_section(const QString& section,
                                                                         const QString& file) {
    const bool readable = files.contains(file) && refused == platform::ProfileRefusal::none;
    return readable ? ini_section_entries(files.value(file), section)
                    : QList<QPair<QString, QString>>{};
}

bool ProfileStore::write_private_profile_string(const QString& section, const QString& key,
                                                const QString& value, const QString& file) {
    writes << QStringLiteral("%1/%2=%3").arg(section, key, value);
    if (read_only || refused != platform::ProfileRefusal::none) return false;
    const auto updated = ini_update(files.value(file), section, key, value);
    if (!updated) return false;
    files[file] = *updated;
    return true;
}

void Clock::sleep(double seconds) {
    mono += seconds;
    slept += seconds;
    now = now.addMSecs(static_cast<qint64>(seconds * 1000));
}

void Clock::run_events(double seconds) {
    mono += seconds;
    evented += seconds;
    now = now.addMSecs(static_cast<qint64>(seconds * 1000));
    if (on_events) on_events();
}

void MessageBox::show(const QString& text) {
    shown << text;
    if (on_show) on_show(text);
}

ProgramDir::ProgramDir() = default;

void World::set_ini(const QString& section, const QString& key, const QString& value) {
    profile.files[ini_path()] = *ini_update(profile.files.value(ini_path()), section, key, value);
}

QString World::ini(const QString& section, const QString& key) {
    return profile.get_private_profile_string(section, key, QStringLiteral("ERROR"), 255,
                                              ini_path());
}

std::unique_ptr<Form1> World::make_form1() {
    return std::make_unique<Form1>(module, services);
}

std::unique_ptr<Form1> World::load_form1() {
    auto form = make_form1();
    form->Form_Load();
    return form;
}

}  // namespace fake
