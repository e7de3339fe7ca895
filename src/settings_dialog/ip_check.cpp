#include "settings_dialog/ip_check.h"

#include <QCoreApplication>

std::array<QString, 4> split_address(const QString& address) {
    std::array<QString, 4> parts;
    qsizetype from = 0;
    for (int i = 0; i < 3; ++i) {
        const qsizetype dot = address.indexOf(u'.', from);
        if (dot < 0) {
            parts[static_cast<size_t>(i)] = address.mid(from);
            return parts;
        }
        parts[static_cast<size_t>(i)] = address.mid(from, dot - from);
        from = dot + 1;
    }
    parts[3] = address.mid(from);
    return parts;
}

QString ascii_digits(const QString& text) {
    QString out = text;
    for (QChar& c : out) {
        const char16_t code = c.unicode();
        if (code >= u'０' && code <= u'９') {
            c = QChar(u'0' + (code - u'０'));
        } else if (code == u'．') {
            c = u'.';
        }
    }
    return out;
}

std::optional<QString> accepted_octet(const QString& text) {
    const QString octet = ascii_digits(text).trimmed();
    if (octet.isEmpty() || octet.size() > 3) return std::nullopt;
    int value = 0;
    for (const QChar c : octet) {
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    if (value > 255) return std::nullopt;
    return octet;
}

QString octet_error_message(int octet) {
    // The part's number as the message's language writes it.
    const QString digits = QCoreApplication::translate("Form2", "１２３４");
    return QCoreApplication::translate("Form2", "ＩＰ%1アドレスを正しくセットしてください")
        .arg(digits.at(octet - 1));
}
