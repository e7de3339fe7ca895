#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>

#include "link/operation_mode.h"

// The controller's replies: what the operator sees of them and what is read out of them.

// A reply the reader cannot go on with. The readers trap it and end quietly, keeping what
// was already done.
class ReplyFault : public std::runtime_error {
  public:
    explicit ReplyFault(const char* what) : std::runtime_error(what) {}
};

// Received bytes as reply text, one character per byte.
inline QString reply_text(const QByteArray& bytes) {
    return QString::fromLatin1(bytes);
}

// A reply as a label shows it: without the line ends that close it, which would lay it out as
// two lines and cut off the tops of its letters.
QString without_line_ends(const QString& reply);

// The text from the first marker to the end; nothing when the marker is missing.
std::optional<QString> text_from(const QString& reply, const QString& marker);

// Label16's text for a serial event other than reception; nothing for the plain
// notifications (1 to 7), which change nothing.
std::optional<QString> comm_event_message(int code);

struct PositionFields {
    std::optional<double> azimuth;    // nothing: the read fails before anything is stored
    std::optional<double> elevation;  // nothing: fails with the azimuth already stored
};

// The azimuth after the first "AZ=" up to the next blank, the elevation after the first "EL="
// up to the next CR, each a decimal number. Nothing when the reply has no "AZ=" at all.
std::optional<PositionFields> position_fields(const QString& reply);

// Label16's text when the main window shows and parses this reply (normal running and a
// position in it); nothing otherwise.
std::optional<QString> main_window_text(const QString& reply, OperationMode operation_mode);

// Text of the settings dialog's reply label 4, 5, 6 or 7 after this reply (each is cleared
// first). Nothing when that step fails: the label stays empty and later labels keep their text.
std::optional<QString> dialog_label_text(int label, const QString& reply,
                                         OperationMode operation_mode);

// The longest reply line the board reader takes; the controller's own are under 40 bytes.
inline constexpr qsizetype max_board_line = 256;

// One reply line from the board: the bytes up to the first CR, taking the next chunk whenever
// one runs out, plus one CR. Bytes after that CR are dropped. Nothing when next_chunk gives an
// empty chunk before the CR arrives (the partial line is dropped), or when more than
// max_board_line bytes come without a CR (then too_long, when given, is set): a board that
// never sends a CR must not keep the reader, or its memory, growing.
std::optional<QByteArray> assemble_board_line(const QByteArray& first,
                                              const std::function<QByteArray()>& next_chunk,
                                              bool* too_long = nullptr);
