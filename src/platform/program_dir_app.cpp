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

QString make_settings_dir(const QString& dir, const QString& origin) {
    QDir().mkpath(dir);
    const QFileInfo made(dir);
    if (made.isDir() && made.isWritable()) return {};
    // The nearest part of the path that exists tells why; the walk ends at the root.
    QString part = QDir::cleanPath(dir);
    for (int depth = 0; depth < 256 && !QFileInfo::exists(part); ++depth) {
        part = QFileInfo(part).path();
    }
    const QFileInfo found(part);
    QString why = QCoreApplication::translate("settings_folder", "フォルダーを作れません");
    if (found.exists() && !found.isDir()) {
        why = QCoreApplication::translate("settings_folder", "「%1」はフォルダーではありません")
                  .arg(part);
    } else if (found.exists() && !found.isWritable()) {
        why = QCoreApplication::translate("settings_folder", "「%1」に書き込む権限がありません")
                  .arg(part);
    }
    if (!origin.isEmpty()) why += QCoreApplication::translate("settings_folder", "。") + origin;
    return QCoreApplication::translate(
               "settings_folder",
               "設定フォルダー「%1」が使えないため、設定とログを保存できません（%2）。"
               "設定の変更とウインドウの位置は保存されません。")
        .arg(dir, why);
}

ProgramDirApp::ProgramDirApp() : facts_(program_dir_facts(QCoreApplication::applicationDirPath())) {
    path_ = choose_program_dir(facts_);
    if (path_ != facts_.program_dir) usable_ = make_settings_dir(path_, {}).isEmpty();
}

// Said when asked, not when found: the window's language is chosen after the folder is.
QString ProgramDirApp::problem() const {
    if (usable_) return {};
    QString origin;
    if (QDir::isAbsolutePath(facts_.xdg_config_home)) {
        origin =
            QCoreApplication::translate("settings_folder", "環境変数 XDG_CONFIG_HOME が「%1」です")
                .arg(facts_.xdg_config_home);
    } else if (qEnvironmentVariableIsEmpty("HOME")) {
        origin =
            QCoreApplication::translate("settings_folder", "環境変数 HOME が設定されていません");
    }
    return make_settings_dir(path_, origin);
}

}  // namespace platform
