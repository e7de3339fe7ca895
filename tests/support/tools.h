#pragma once

#include <QString>
#include <QStringList>

namespace support {

// Where a tool is: a name starting "AZELROT_" is the variable through which ctest hands over a
// built program; any other is looked for on PATH and in the system folders. Empty when absent.
QString tool(const QString& name);

// The needed tools that are absent, by name, or empty when all are there.
QString missing(const QStringList& needs);

// CI requires every tool (scripts/test.sh sets AZELROT_E2E_REQUIRED): there a missing one fails
// the test; by hand it skips it.
bool tools_required();

}  // namespace support

// Skips the test, or fails it where tools are required, naming what is missing.
#define NEED_TOOLS(...)                                                                      \
    do {                                                                                     \
        const QString missing_ = ::support::missing(QStringList{__VA_ARGS__});               \
        if (!missing_.isEmpty()) {                                                           \
            if (::support::tools_required()) FAIL() << "missing " << missing_.toStdString(); \
            GTEST_SKIP() << "missing " << missing_.toStdString();                            \
        }                                                                                    \
    } while (false)
