#include "link/reply.h"

#include <QCoreApplication>

#include "link/numeric.h"
#include "platform/serial_control.h"

namespace {

const QString az_marker = QStringLiteral("AZ=");
const QString el_marker = QStringLiteral("EL=");

// The characters after marker up to (not including) end; nothing when either is missing or
// the field is not a number.
std::optional<double> field_after(const QString& reply, const QString& marker, QChar end) {
    const qsizetype start = reply.indexOf(marker);
    if (start < 0) return std::nullopt;
    const qsizetype from = start + marker.size();
    const qsizetype stop = reply.indexOf(end, from);
    if (stop < 0) return std::nullopt;
    return strict_number(QStringView(reply).mid(from, stop - from));
}

}  // namespace

QString without_line_ends(const QString& reply) {
    qsizetype end = reply.size();
    while (end > 0 && (reply.at(end - 1) == u'\r' || reply.at(end - 1) == u'\n')) --end;
    return reply.left(end);
}

std::optional<QString> text_from(const QString& reply, const QString& marker) {
    const qsizetype at = reply.indexOf(marker);
    if (at < 0) return std::nullopt;
    return reply.mid(at);
}

std::optional<QString> comm_event_message(int code) {
    namespace ev = platform::comm_event;
    switch (code) {
        case ev::send:
        case ev::receive:
        case ev::cts:
        case ev::dsr:
        case ev::cd:
        case ev::ring:
        case ev::eof:
            return std::nullopt;
        case ev::brk:
            return QCoreApplication::translate("reply", "中断信号受信 通信エラー");
        case ev::frame:
            return QCoreApplication::translate("reply", "フレームエラー 通信エラー");
        case ev::overrun:
            return QCoreApplication::translate("reply", "オーバーランエラー 通信エラー");
        case ev::rx_over:
            return QCoreApplication::translate("reply", "受信バッファオーバー 通信エラー");
        case ev::rx_parity:
            return QCoreApplication::translate("reply", "受信パリティエラー 通信エラー");
        case ev::tx_full:
            return QCoreApplication::translate("reply", "送信バッファフル 通信エラー");
        case ev::dcb:
            return QCoreApplication::translate("reply", "DCB取得エラー 通信エラー");
        default:
            return QCoreApplication::translate("reply", "未定義エラー発生 通信エラー");
    }
}

std::optional<PositionFields> position_fields(const QString& reply) {
    if (!reply.contains(az_marker)) return std::nullopt;
    PositionFields fields;
    fields.azimuth = field_after(reply, az_marker, u' ');
    if (fields.azimuth) fields.elevation = field_after(reply, el_marker, u'\r');
    return fields;
}

std::optional<QString> main_window_text(const QString& reply, OperationMode operation_mode) {
    if (operation_mode != OperationMode::running) return std::nullopt;
    return text_from(reply, az_marker);
}

std::optional<QString> dialog_label_text(int label, const QString& reply,
                                         OperationMode operation_mode) {
    const QString sure = QStringLiteral("are you sure?");
    switch (label) {
        case 4:
            if ((operation_mode == OperationMode::az_offset_asked ||
                 operation_mode == OperationMode::az_offset_answered) &&
                reply.contains(QStringLiteral("AZoffset"))) {
                return text_from(reply, sure);
            }
            return QString();
        case 5: {
            if (operation_mode != OperationMode::az_full_scale) return QString();
            if (auto position = text_from(reply, az_marker)) return position;
            return text_from(reply, QStringLiteral("mode")).value_or(QString());
        }
        case 6:
            if ((operation_mode == OperationMode::el_offset_asked ||
                 operation_mode == OperationMode::el_offset_answered) &&
                reply.contains(QStringLiteral("ELoffset"))) {
                return text_from(reply, sure);
            }
            return QString();
        case 7:
            if (operation_mode != OperationMode::full_scale) return QString();
            return text_from(reply, az_marker).value_or(QString());
        default:
            return QString();
    }
}

std::optional<QByteArray> assemble_board_line(const QByteArray& first,
                                              const std::function<QByteArray()>& next_chunk,
                                              bool* too_long) {
    if (too_long) *too_long = false;
    QByteArray line;
    QByteArray chunk = first;
    for (;;) {
        const qsizetype cr = chunk.indexOf('\r');
        const qsizetype take = cr >= 0 ? cr : chunk.size();
        if (line.size() + take > max_board_line) {
            if (too_long) *too_long = true;
            return std::nullopt;
        }
        line += chunk.left(take);
        if (cr >= 0) {
            line += '\r';
            return line;
        }
        chunk = next_chunk();
        if (chunk.isEmpty()) return std::nullopt;
    }
}
