#include "settings_dialog/interval_input.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>

#include "link/numeric.h"
#include "platform/message_box.h"
#include "settings_dialog/ip_check.h"

bool interval_key_passes(char16_t code) {
    return code < 32 || code == 46 || (code >= 48 && code <= 57);
}

int foreign_characters(const QString& text) {
    return static_cast<int>(std::count_if(text.cbegin(), text.cend(), [](QChar c) {
        return c.unicode() < 32 || !interval_key_passes(c.unicode());
    }));
}

std::int32_t interval_milliseconds(const QString& trimmed_text) {
    return round_half_even_32(numeric_value(trimmed_text) * 1000).value_or(0);
}

IntervalInputGuard::IntervalInputGuard(QLineEdit* box, platform::MessageBox& message_box)
    : QObject(box), box_(box), message_box_(message_box), last_text_(box->text()) {
    box_->installEventFilter(this);
    // The box itself is read, not the signal's text: an undone edit still reports its text.
    connect(box_, &QLineEdit::textChanged, this, [this] { last_text_ = box_->text(); });
    connect(box_, &QLineEdit::cursorPositionChanged, this,
            [this] { last_cursor_ = box_->cursorPosition(); });
    connect(box_, &QLineEdit::textEdited, this, &IntervalInputGuard::check_edit);
    box_->setAcceptDrops(false);
}

bool IntervalInputGuard::eventFilter(QObject* watched, QEvent* event) {
    if (watched != box_ || event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    // Keys that type no character (arrows, Delete, function keys) are not filtered.
    if (key->key() == Qt::Key_Delete || key->text().isEmpty()) return false;
    // Full-width digits are the digits meant; the edit check turns them to ASCII.
    const QString typed = ascii_digits(key->text());
    if (std::all_of(typed.cbegin(), typed.cend(),
                    [](QChar c) { return interval_key_passes(c.unicode()); })) {
        return false;
    }
    message_box_.beep();
    return true;
}

void IntervalInputGuard::check_edit(const QString& edited) {
    const QString before = last_text_;
    // The Japanese input method types full-width digits.
    const QString ascii = ascii_digits(edited);
    if (foreign_characters(ascii) <= foreign_characters(before)) {
        if (ascii == edited) return;
        const int cursor = box_->cursorPosition();
        box_->setText(ascii);
        box_->setCursorPosition(cursor);
        return;
    }
    const int cursor = std::min(last_cursor_, static_cast<int>(before.size()));
    message_box_.beep();
    box_->setText(before);
    box_->setCursorPosition(cursor);
}
