#include "platform/instance_guard_lock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef _WIN32
#include <QLockFile>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace platform {
namespace {

enum class Attempt { ours, theirs, unusable };

// Links resolved, so that every way to the folder gives the same name.
QString real_folder(const QString& dir) {
    const QFileInfo info(dir);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

}  // namespace

#ifdef _WIN32

struct InstanceGuardLock::Held {
    std::unique_ptr<QLockFile> lock;
};

namespace {

QString fixed_fallback_dir() {
    return QDir::tempPath();
}

QString user_key() {
    return qEnvironmentVariable("USERNAME");
}

Attempt lock_file(const QString& path, bool, InstanceGuardLock::Held& held) {
    auto lock = std::make_unique<QLockFile>(path);
    lock->setStaleLockTime(0);  // stale only when the holder's process is gone
    if (lock->tryLock(0)) {
        held.lock = std::move(lock);
        return Attempt::ours;
    }
    return lock->error() == QLockFile::LockFailedError ? Attempt::theirs : Attempt::unusable;
}

}  // namespace

#else

struct InstanceGuardLock::Held {
    int fd = -1;
    ~Held() {
        if (fd >= 0) ::close(fd);  // releases the lock
    }
};

namespace {

// Not TMPDIR: a copy started with another one must still find the lock.
QString fixed_fallback_dir() {
    return QStringLiteral("/tmp");
}

QString user_key() {
    return QString::number(::geteuid());
}

// A kernel lock on the file: it goes with the process, however that ends.
Attempt lock_file(const QString& path, bool only_own, InstanceGuardLock::Held& held) {
    const QByteArray name = QFile::encodeName(path);
    int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    // Another user's lock file in a shared station folder still counts, opened for reading.
    if (fd < 0) fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return Attempt::unusable;
    struct stat st {};
    // In a folder everyone writes to, a file someone else made could be held to lock us out.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || (only_own && st.st_uid != ::geteuid())) {
        ::close(fd);
        return Attempt::unusable;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool busy = errno == EWOULDBLOCK;
        ::close(fd);
        return busy ? Attempt::theirs : Attempt::unusable;
    }
    held.fd = fd;
    return Attempt::ours;
}

}  // namespace

#endif

InstanceGuardLock::InstanceGuardLock(const QString& settings_dir, const QString& fallback_dir) {
    const QString folder = real_folder(settings_dir);
    folder_lock_ = QDir(folder).filePath(QStringLiteral("azelrot.lock"));
    const QByteArray key =
        QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    fallback_lock_ =
        QDir(fallback_dir.isEmpty() ? fixed_fallback_dir() : fallback_dir)
            .filePath(
                QStringLiteral("azelrot-%1-%2.lock").arg(user_key(), QString::fromLatin1(key)));
}

InstanceGuardLock::~InstanceGuardLock() = default;

bool InstanceGuardLock::another_instance_running() {
    if (held_) return false;  // we hold it
    auto held = std::make_unique<Held>();
    Attempt attempt = lock_file(folder_lock_, false, *held);
    if (attempt == Attempt::unusable) attempt = lock_file(fallback_lock_, true, *held);
    if (attempt == Attempt::ours) held_ = std::move(held);
    // With nowhere to hold a lock the copy runs: a refusal would report a copy nobody saw.
    return attempt == Attempt::theirs;
}

}  // namespace platform
