#include "platform/profile_store_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "config/ini_text.h"

namespace platform {

namespace {

// The file's bytes; nothing when it is refused or cannot be read.
std::optional<QByteArray> read_bytes(const QString& path, ProfileRefusal refused) {
    if (refused != ProfileRefusal::none) return std::nullopt;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    // One byte past the limit tells a file that grew since it was looked at.
    QByteArray bytes = f.read(profile_size_limit + 1);
    if (bytes.size() > profile_size_limit || f.error() != QFileDevice::NoError) return std::nullopt;
    return bytes;
}

}  // namespace

ProfileRefusal ProfileStoreFile::refusal(const QString& file) {
    const QFileInfo info(file);
    if (!info.exists()) return ProfileRefusal::none;
    if (!info.isFile()) return ProfileRefusal::not_a_file;
    if (info.size() > profile_size_limit) return ProfileRefusal::too_large;
    return ProfileRefusal::none;
}

QString ProfileStoreFile::get_private_profile_string(const QString& section, const QString& key,
                                                     const QString& fallback, int size,
                                                     const QString& file) {
    const auto content = read_bytes(file, refusal(file));
    const auto value = content ? ini_lookup(*content, section, key) : std::nullopt;
    QString result = value ? *value : fallback;
    if (size > 0 && result.size() > size - 1) result.truncate(size - 1);
    return result;
}

QList<QPair<QString, QString>> ProfileStoreFile::get_private_profile_section(const QString& section,
                                                                             const QString& file) {
    const auto content = read_bytes(file, refusal(file));
    return content ? ini_section_entries(*content, section) : QList<QPair<QString, QString>>{};
}

bool ProfileStoreFile::write_private_profile_string(const QString& section, const QString& key,
                                                    const QString& value, const QString& file) {
    const ProfileRefusal refused = refusal(file);
    QByteArray content;
    if (refused != ProfileRefusal::none || QFileInfo::exists(file)) {
        const auto existing = read_bytes(file, refused);
        if (!existing) return false;  // refused or unreadable: never overwrite what we cannot keep
        content = *existing;
    }
    const auto updated = ini_update(content, section, key, value);
    if (!updated) return false;
    QSaveFile out(file);
    // Taken only when the folder refuses the temporary file.
    out.setDirectWriteFallback(true);
    if (!out.open(QIODevice::WriteOnly)) return false;
    if (out.write(*updated) != updated->size()) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

}  // namespace platform
