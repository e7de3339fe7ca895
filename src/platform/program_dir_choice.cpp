#include "platform/program_dir_choice.h"

#include <QDir>

namespace platform {

QString user_settings_dir(const QString& xdg_config_home, const QString& home) {
    // The base directory convention ignores a relative value.
    const QString base = !xdg_config_home.isEmpty() && QDir::isAbsolutePath(xdg_config_home)
                             ? xdg_config_home
                             : QDir(home).filePath(QStringLiteral(".config"));
    return QDir::cleanPath(QDir(base).filePath(QStringLiteral("azelrot")));
}

QString choose_program_dir(const ProgramDirFacts& facts) {
    if (facts.holds_ini) return facts.program_dir;
    if (!facts.installed && facts.writable) return facts.program_dir;
    return user_settings_dir(facts.xdg_config_home, facts.home);
}

}  // namespace platform
