#pragma once

#include <QDir>
#include <QString>

namespace platform {

class ProgramDir {
  public:
    virtual ~ProgramDir() = default;

    virtual QString path() const = 0;
    // Why the settings and the log cannot be kept in path(), for the operator; empty when
    // they can.
    virtual QString problem() const { return {}; }
    QString file(const QString& name) const { return QDir(path()).filePath(name); }
};

}  // namespace platform
