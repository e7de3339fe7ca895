#include "link/hex.h"

#include <cmath>

#include "link/numeric.h"

namespace {

QChar hex_digit(int value) {
    return QChar(value < 10 ? u'0' + value : u'A' + (value - 10));
}

int digit_value(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'A' && u <= u'F') return u - u'A' + 10;
    return 0;
}

}  // namespace

void byte_to_hex(const QString& number, QString& out) {
    const double value = numeric_value(number);
    // Only byte values are ever passed; anything else is folded into 0..255 rather than
    // risking an out-of-range conversion.
    int n = 0;
    if (std::isfinite(value) && value >= 0 && value <= 255) n = static_cast<int>(std::floor(value));
    out = QString(hex_digit(n / 16)) + hex_digit(n % 16);
}

void hex_to_byte(QStringView pair, std::uint8_t& out) {
    const int high = pair.size() > 0 ? digit_value(pair.at(0)) : 0;
    const int low = pair.size() > 1 ? digit_value(pair.at(1)) : 0;
    out = static_cast<std::uint8_t>(16 * high + low);
}

void text_to_hex(const QString& text, QString& out) {
    QString result;
    result.reserve(text.size() * 2);
    QString pair;
    for (QChar c : text) {
        byte_to_hex(QString::number(c.unicode() & 0xFF), pair);
        result += pair;
    }
    out = result;
}
