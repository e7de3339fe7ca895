#pragma once

#include <QCoreApplication>

#include "platform/program_dir.h"

namespace platform {

// The folder the executable lives in: settings and log stay beside it.
class ProgramDirApp final : public ProgramDir {
public:
    QString path() const override { return QCoreApplication::applicationDirPath(); }
};

}  // namespace platform
