#pragma once

#include "platform/profile_store.h"

namespace platform {

// Profile files on disk. Lines are kept as bytes; values are UTF-8. A write replaces the file
// atomically (temporary file beside it, then rename), so a crash or a full disk never leaves
// half a file behind; only when the folder refuses the temporary file is a writable file
// rewritten in place, as the classic profile writer does.
class ProfileStoreFile final : public ProfileStore {
  public:
    QString get_private_profile_string(const QString& section, const QString& key,
                                       const QString& fallback, int size,
                                       const QString& file) override;
    bool write_private_profile_string(const QString& section, const QString& key,
                                      const QString& value, const QString& file) override;
    QList<QPair<QString, QString>> get_private_profile_section(const QString& section,
                                                               const QString& file) override;
    ProfileRefusal refusal(const QString& file) override;
};

}  // namespace platform
