#pragma once

#include <QList>
#include <QPair>
#include <QString>

namespace platform {

// Why a profile file is not used at all. Such a file is neither read nor ever written.
enum class ProfileRefusal {
    none,        // usable, or not there yet
    not_a_file,  // a folder, pipe, device or the like: reading it could block or never end
    too_large,   // over profile_size_limit
};

// The largest profile file read, in bytes; a settings file holds a few hundred.
inline constexpr qint64 profile_size_limit = 1024 * 1024;

// Profile (INI) file access with the classic private-profile semantics.
class ProfileStore {
  public:
    virtual ~ProfileStore() = default;

    // The stored value cut to size-1 characters, or fallback when file, section or key is missing.
    virtual QString get_private_profile_string(const QString& section, const QString& key,
                                               const QString& fallback, int size,
                                               const QString& file) = 0;
    // Creates file, section and key as needed; false when nothing could be stored.
    virtual bool write_private_profile_string(const QString& section, const QString& key,
                                              const QString& value, const QString& file) = 0;
    // Every entry of section in file order; nothing when file or section is missing.
    virtual QList<QPair<QString, QString>> get_private_profile_section(const QString& section,
                                                                       const QString& file) = 0;
    // Whether file is refused; the reads of a refused file give their fallbacks.
    virtual ProfileRefusal refusal(const QString& file) = 0;
};

}  // namespace platform
