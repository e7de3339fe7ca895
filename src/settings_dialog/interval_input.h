#pragma once

#include <QObject>
#include <QString>
#include <cstdint>

class QLineEdit;

namespace platform {
class MessageBox;
}

// The processing-interval box takes digits, the decimal point and control keys only.

// A typed character passes when its code is below 32, is 46 (".") or lies in 48..57.
bool interval_key_passes(char16_t code);

// Characters of the text that typing could not have put there.
int foreign_characters(const QString& text);

// The timer interval for the interval text: its leading number in seconds times 1000, halves to
// the even neighbour; 0 (stopped) when that does not fit.
std::int32_t interval_milliseconds(const QString& trimmed_text);

// Applies the key rule to one box: refused keys beep and are dropped. Text arriving some other
// way (paste, drop, input method) is undone with a beep when it brings characters the keys
// would have refused; text already there (a hand-edited setting) is left alone. Full-width
// digits and full stops count as the ASCII ones and are turned into them.
class IntervalInputGuard final : public QObject {
    Q_OBJECT
  public:
    IntervalInputGuard(QLineEdit* box, platform::MessageBox& message_box);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void check_edit(const QString& edited);

    QLineEdit* box_;
    platform::MessageBox& message_box_;
    QString last_text_;
    int last_cursor_ = 0;
};
