#pragma once

#include <QDir>
#include <QString>

namespace platform {

class ProgramDir {
  public:
    virtual ~ProgramDir() = default;

    virtual QString path() const = 0;
    QString file(const QString& name) const { return QDir(path()).filePath(name); }
};

}  // namespace platform
