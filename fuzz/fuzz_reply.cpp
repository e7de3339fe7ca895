// Controller replies of any bytes, in every operation mode, through the serial receive event,
// the board reader and the reply procedures themselves, on one main window with fake services.

#include <QApplication>
#include <QRegularExpression>
#include <QTextDocument>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <memory>
#include <optional>

#include "fakes/fake_services.h"
#include "fuzz_check.h"
#include "fuzz_input.h"
#include "link/reply.h"
#include "main_window/form1.h"
#include "platform/serial_control.h"
#include "settings_dialog/form2.h"

namespace {

const QString untouched = QStringLiteral("\x01untouched");
constexpr double azimuth_before = -1234.5;
constexpr double elevation_before = -678.25;
constexpr std::array<std::int16_t, 8> modes{0, 1, 2, 3, 4, 5, 6, 99};

// One QApplication and one main window for the whole run: creating them per input would
// measure Qt's start-up, not the reply handling.
struct Harness {
    int argc = 3;
    std::array<char*, 4> argv{const_cast<char*>("fuzz_reply"), const_cast<char*>("-platform"),
                              const_cast<char*>("offscreen"), nullptr};
    QApplication app{argc, argv.data()};
    fake::World world;
    std::unique_ptr<Form1> form;

    Harness() {
        world.module.port_name = QStringLiteral("COM1");
        world.module.board_address = QStringLiteral("127.0.0.1");
        form = world.make_form1();
        form->form2();  // created once, so every input meets the same window state
    }
};

Harness& harness() {
    static Harness h;
    return h;
}

std::array<QLabel*, 4> dialog_labels(Form1& form) {
    Form2& d = form.form2();
    return {d.Label4, d.Label5, d.Label6, d.Label7};
}

// The text from the marker on, as a label shows it: without the line ends closing it.
QString suffix_from(const QString& reply, const QString& marker) {
    const qsizetype at = reply.indexOf(marker);
    if (at < 0) return {};
    QString text = reply.mid(at);
    while (text.endsWith(u'\r') || text.endsWith(u'\n')) text.chop(1);
    return text;
}

// A position field as the controller writes it: a plain decimal number with optional
// exponent (E or D), blanks around it allowed. Nothing for anything else.
std::optional<double> field_value(const QString& reply, const QString& marker, QChar end) {
    const qsizetype at = reply.indexOf(marker);
    if (at < 0) return std::nullopt;
    const qsizetype from = at + marker.size();
    const qsizetype stop = reply.indexOf(end, from);
    if (stop < 0) return std::nullopt;
    static const QRegularExpression decimal(
        QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eEdD][+-]?[0-9]+)?$"));
    QString field = reply.mid(from, stop - from).trimmed();
    if (!decimal.match(field).hasMatch()) return std::nullopt;
    field.replace(u'd', u'e').replace(u'D', u'e');
    const double value = std::strtod(field.toLatin1().constData(), nullptr);
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

// Text from the controller is shown as it came: never read as markup.
void check_plain(const QLabel* label, const QString& name) {
    if (label->text().isEmpty() || label->text() == untouched) return;
    FUZZ_CHECK(
        label->textFormat() == Qt::PlainText || !Qt::mightBeRichText(label->text()),
        name + QStringLiteral(" shows ") + shown(label->text()) + QStringLiteral(" as markup"));
}

struct Expected {
    std::optional<QString> label16;
    std::optional<double> azimuth;
    std::optional<double> elevation;
    bool dialog_reached = true;
    // Each dialog label's text; nothing: the step fails and the label is left empty.
    std::array<std::optional<QString>, 4> dialog;
};

Expected expected_after(const QString& reply, std::int16_t mode) {
    Expected e;
    if (mode == 0 && reply.contains(QStringLiteral("AZ="))) {
        e.label16 = suffix_from(reply, QStringLiteral("AZ="));
        e.azimuth = field_value(reply, QStringLiteral("AZ="), u' ');
        if (e.azimuth) e.elevation = field_value(reply, QStringLiteral("EL="), u'\r');
        e.dialog_reached = e.azimuth && e.elevation;
    }
    const QString sure = QStringLiteral("are you sure?");
    const auto question = [&](const QString& offset, bool in_mode) -> std::optional<QString> {
        if (!in_mode || !reply.contains(offset)) return QString();
        if (!reply.contains(sure)) return std::nullopt;
        return suffix_from(reply, sure);
    };
    e.dialog[0] = question(QStringLiteral("AZoffset"), mode == 1 || mode == 2);
    QString five;
    if (mode == 3) {
        five = reply.contains(QStringLiteral("AZ=")) ? suffix_from(reply, QStringLiteral("AZ="))
                                                     : suffix_from(reply, QStringLiteral("mode"));
    }
    e.dialog[1] = five;
    e.dialog[2] = question(QStringLiteral("ELoffset"), mode == 4 || mode == 5);
    e.dialog[3] = mode == 6 ? suffix_from(reply, QStringLiteral("AZ=")) : QString();
    return e;
}

void check_after(Form1& form, const std::optional<QString>& reply, std::int16_t mode) {
    const QString context = (reply ? shown(*reply) : QStringLiteral("no reply")) +
                            QStringLiteral(" mode ") + QString::number(mode);
    Expected e;
    if (reply) {
        e = expected_after(*reply, mode);
    } else {
        e.dialog_reached = false;
    }
    FUZZ_CHECK(form.Label16->text() == e.label16.value_or(untouched), context);
    check_plain(form.Label16, QStringLiteral("Label16"));
    FUZZ_CHECK(form.state().antenna_azimuth == e.azimuth.value_or(azimuth_before), context);
    FUZZ_CHECK(form.state().antenna_elevation == e.elevation.value_or(elevation_before), context);

    const auto labels = dialog_labels(form);
    bool failed = !e.dialog_reached;
    for (size_t i = 0; i < labels.size(); ++i) {
        const QString name = QStringLiteral("dialog Label%1").arg(i + 4);
        const QString want = failed ? untouched : e.dialog[i].value_or(QString());
        FUZZ_CHECK(labels[i]->text() == want,
                   name + u' ' + context + QStringLiteral(" shows ") + shown(labels[i]->text()));
        check_plain(labels[i], name);
        if (!e.dialog[i]) failed = true;
    }
}

// The line the board reader should assemble from these chunks, followed by the flood (when
// not empty, every later read returns it), and how many reads it takes.
std::optional<QString> board_line(const std::deque<QByteArray>& chunks, const QByteArray& flood,
                                  int& reads) {
    QByteArray line;
    reads = 0;
    for (size_t next = 0;;) {
        ++reads;
        const QByteArray chunk = next < chunks.size() ? chunks[next++] : flood;
        if (chunk.isEmpty()) return std::nullopt;  // includes the read that finds nothing more
        const qsizetype cr = chunk.indexOf('\r');
        const qsizetype take = cr >= 0 ? cr : chunk.size();
        // A line longer than any reply ends the read; a flood without a CR must not keep it.
        if (line.size() + take > max_board_line) return std::nullopt;
        if (cr >= 0) return QString::fromLatin1(line + chunk.left(cr + 1));
        line += chunk;
    }
}

enum class Path { serial, board, direct, event };

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    harness();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    Harness& h = harness();
    Form1& form = *h.form;
    fake::World& w = h.world;
    FuzzInput in(data, size);

    // Controls from the back of the input, the reply bytes from the front.
    const auto mode_pick = in.ConsumeIntegralInRange<size_t>(0, modes.size());
    const std::int16_t mode =
        mode_pick < modes.size() ? modes.at(mode_pick) : in.ConsumeIntegral<std::int16_t>();
    const auto path = static_cast<Path>(in.ConsumeIntegralInRange(0, 3));
    const bool logging = in.ConsumeIntegralInRange(0, 15) == 0;
    const bool manual = in.ConsumeBool();
    const int chunk_count = in.ConsumeIntegralInRange(0, 3);
    // A board that keeps sending without a CR once the chunks are used up.
    const bool flooding = in.ConsumeIntegralInRange(0, 3) == 0;

    w.module.operation_mode = static_cast<OperationMode>(mode);
    w.module.debug_flag = logging ? QStringLiteral("1") : QStringLiteral("0");
    w.module.picnic_mode = path == Path::board ? QStringLiteral("1") : QStringLiteral("0");
    w.message_box.shown.clear();
    form.state().antenna_azimuth = azimuth_before;
    form.state().antenna_elevation = elevation_before;
    form.state().manual_tracking = manual;
    form.state().target_azimuth = 90;
    form.state().target_elevation = 45;
    form.state().azimuth_tolerance = 3;
    form.state().elevation_tolerance = 3;
    form.Label16->setText(untouched);
    for (QLabel* label : dialog_labels(form)) label->setText(untouched);

    std::optional<QString> reply;
    switch (path) {
        case Path::serial: {
            const std::string bytes = in.ConsumeRemainingBytesAsString();
            if (!bytes.empty())
                reply = QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
            w.serial.feed(QByteArray::fromStdString(bytes));
            FUZZ_CHECK(w.serial.rx.isEmpty(), QStringLiteral("bytes left on the port"));
            break;
        }
        case Path::board: {
            std::deque<QByteArray> chunks;
            for (int i = 0; i < chunk_count; ++i) {
                chunks.push_back(QByteArray::fromStdString(in.ConsumeRandomLengthString(64)));
            }
            chunks.push_back(QByteArray::fromStdString(in.ConsumeRemainingBytesAsString()));
            QByteArray flood;
            if (flooding) {
                flood = chunks.back();
                flood.replace('\r', QByteArray());
                if (flood.isEmpty()) flood = "0";
            }
            int reads = 0;
            reply = board_line(chunks, flood, reads);
            w.board.chunks = chunks;
            w.board.flood = flood;
            w.board.reads = 0;
            form.picnic_rs232c_read_proc();
            w.board.flood.clear();
            FUZZ_CHECK(w.board.reads == reads,
                       QStringLiteral("%1 reads, %2 expected").arg(w.board.reads).arg(reads));
            FUZZ_CHECK(w.board.reads <= chunk_count + 2 + max_board_line,
                       QStringLiteral("%1 reads for one line").arg(w.board.reads));
            break;
        }
        case Path::direct: {
            const std::string bytes = in.ConsumeRemainingBytesAsString();
            reply = QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
            try {
                form.show_reply(*reply);
            } catch (const ReplyFault&) {
                // What a reader traps; everything else escapes and ends the run.
            }
            break;
        }
        case Path::event: {
            const int code = in.ConsumeIntegral<int>();
            w.serial.raise(code);
            const auto message = comm_event_message(code);
            if (code != platform::comm_event::receive && message) {
                FUZZ_CHECK(form.Label16->text() == *message, QString::number(code));
                form.Label16->setText(untouched);
            }
            break;
        }
    }
    check_after(form, reply, mode);
    if (manual && !form.state().manual_tracking) {
        // Arrival needs a position read from this very reply.
        FUZZ_CHECK(form.state().antenna_azimuth != azimuth_before &&
                       form.state().antenna_elevation != elevation_before,
                   shown(reply.value_or(QString())));
    }
    return 0;
}
