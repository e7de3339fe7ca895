#pragma once

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <cstdlib>

// A broken property aborts, so the fuzzer keeps the input as a crash and prints where it broke.
[[noreturn]] inline void fuzz_fail(const char* file, int line, const char* condition,
                                   const QString& detail) {
    std::fprintf(stderr, "%s:%d: property broken: %s\n  %s\n", file, line, condition,
                 detail.toUtf8().constData());
    std::abort();
}

#define FUZZ_CHECK(condition, detail)                                          \
    do {                                                                       \
        if (!(condition)) fuzz_fail(__FILE__, __LINE__, #condition, (detail)); \
    } while (false)

// A text in the failure message with control characters made visible.
inline QString shown(const QString& text) {
    QString out;
    for (const QChar c : text) {
        if (c.unicode() < 32 || c.unicode() == 127) {
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
    return u'"' + out + u'"';
}
