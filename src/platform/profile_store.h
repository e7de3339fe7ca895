#pragma once

#include <QString>

namespace platform {

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
};

}  // namespace platform
