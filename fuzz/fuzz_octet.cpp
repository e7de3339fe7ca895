// The board address boxes: one box's text accepted as an address part, and the stored address
// split into the four boxes.

#include <QStringList>
#include <algorithm>
#include <cstdint>

#include "fuzz_check.h"
#include "settings_dialog/ip_check.h"

namespace {

bool only_digits(const QString& text) {
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// The input method types full-width digits; they count as the ASCII ones.
QString narrowed_digits(const QString& text) {
    QString out;
    for (const QChar c : text) {
        const bool wide = c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19;
        out += wide ? QChar(u'0' + (c.unicode() - 0xFF10)) : c;
    }
    return out;
}

void check_octet(const QString& text) {
    const QString trimmed = narrowed_digits(text).trimmed();
    const bool expected = trimmed.size() >= 1 && trimmed.size() <= 3 && only_digits(trimmed) &&
                          trimmed.toLatin1().toInt() <= 255;
    const auto accepted = accepted_octet(text);
    FUZZ_CHECK(accepted.has_value() == expected, shown(text));
    if (accepted) FUZZ_CHECK(*accepted == trimmed, shown(text) + u' ' + shown(*accepted));
}

// The boxes joined by dots give the address back; only the last box may hold further dots.
void check_split(const QString& address) {
    const auto parts = split_address(address);
    const int used = std::min<int>(static_cast<int>(address.count(u'.')), 3) + 1;
    QStringList joined;
    for (int i = 0; i < 4; ++i) {
        const QString& part = parts[static_cast<size_t>(i)];
        if (i < used)
            joined << part;
        else
            FUZZ_CHECK(part.isEmpty(), shown(address));
        if (i < 3) FUZZ_CHECK(!part.contains(u'.'), shown(address));
    }
    FUZZ_CHECK(joined.join(u'.') == address, shown(address));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const auto* bytes = reinterpret_cast<const char*>(data);
    const auto length = static_cast<qsizetype>(size);
    // The same bytes as UTF-8 (full-width digits, odd blanks) and as single bytes.
    const QString text = QString::fromUtf8(bytes, length);
    check_octet(text);
    check_octet(QString::fromLatin1(bytes, length));
    check_split(text);
    return 0;
}
