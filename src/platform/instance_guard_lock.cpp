#include "platform/instance_guard_lock.h"

#include <QCryptographicHash>
#include <QDir>

namespace platform {

InstanceGuardLock::InstanceGuardLock(const QString& program_path) {
    const QByteArray key =
        QCryptographicHash::hash(QDir::cleanPath(program_path).toUtf8(), QCryptographicHash::Sha1)
            .toHex();
    lock_path_ =
        QDir(QDir::tempPath())
            .filePath(QStringLiteral("azelrot-%1.lock").arg(QString::fromLatin1(key.left(16))));
}

bool InstanceGuardLock::another_instance_running() {
    if (lock_ && lock_->isLocked()) return false;  // we hold it
    lock_ = std::make_unique<QLockFile>(lock_path_);
    lock_->setStaleLockTime(0);  // stale only when the holder's process is gone
    return !lock_->tryLock(0);
}

}  // namespace platform
