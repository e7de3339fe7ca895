#include "platform/program_dir_app.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace platform {

ProgramDirFacts program_dir_facts(const QString& program_dir) {
    ProgramDirFacts facts;
    facts.program_dir = program_dir;
    const QDir dir(facts.program_dir);
    facts.holds_ini = QFileInfo::exists(dir.filePath(QStringLiteral("azelrot.ini")));
    // cmake --install and the package put the menu entry in share/ beside bin/.
    facts.installed =
        dir.dirName() == QStringLiteral("bin") &&
        QFileInfo::exists(dir.filePath(QStringLiteral("../share/applications/azelrot.desktop")));
    facts.writable = QFileInfo(facts.program_dir).isWritable();
    facts.xdg_config_home = qEnvironmentVariable("XDG_CONFIG_HOME");
    facts.home = QDir::homePath();
    return facts;
}

ProgramDirApp::ProgramDirApp() {
    const ProgramDirFacts facts = program_dir_facts(QCoreApplication::applicationDirPath());
    path_ = choose_program_dir(facts);
    if (path_ != facts.program_dir) QDir().mkpath(path_);
}

}  // namespace platform
