#include "platform/profile_store_file.h"

#include <QFile>
#include <QSaveFile>

#include "config/ini_text.h"

namespace platform {

namespace {

std::optional<QString> read_text(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    return QString::fromUtf8(f.readAll());
}

}  // namespace

QString ProfileStoreFile::get_private_profile_string(const QString& section, const QString& key,
                                                     const QString& fallback, int size,
                                                     const QString& file) {
    const auto content = read_text(file);
    const auto value = content ? ini_lookup(*content, section, key) : std::nullopt;
    QString result = value ? *value : fallback;
    if (size > 0 && result.size() > size - 1) result.truncate(size - 1);
    return result;
}

bool ProfileStoreFile::write_private_profile_string(const QString& section, const QString& key,
                                                    const QString& value, const QString& file) {
    QString content;
    if (QFile::exists(file)) {
        const auto existing = read_text(file);
        if (!existing) return false;  // unreadable: never overwrite what we cannot keep
        content = *existing;
    }
    const auto updated = ini_update(content, section, key, value);
    if (!updated) return false;
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) return false;
    const QByteArray bytes = updated->toUtf8();
    if (out.write(bytes) != bytes.size()) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

}  // namespace platform
