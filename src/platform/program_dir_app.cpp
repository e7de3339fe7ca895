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
    QString why = QStringLiteral("フォルダーを作れません");
    if (found.exists() && !found.isDir()) {
        why = QStringLiteral("「%1」はフォルダーではありません").arg(part);
    } else if (found.exists() && !found.isWritable()) {
        why = QStringLiteral("「%1」に書き込む権限がありません").arg(part);
    }
    if (!origin.isEmpty()) why += QStringLiteral("。") + origin;
    return QStringLiteral(
               "設定フォルダー「%1」が使えないため、設定とログを保存できません（%2）。"
               "設定の変更とウインドウの位置は保存されません。")
        .arg(dir, why);
}

ProgramDirApp::ProgramDirApp() {
    const ProgramDirFacts facts = program_dir_facts(QCoreApplication::applicationDirPath());
    path_ = choose_program_dir(facts);
    if (path_ == facts.program_dir) return;
    QString origin;
    if (QDir::isAbsolutePath(facts.xdg_config_home)) {
        origin = QStringLiteral("環境変数 XDG_CONFIG_HOME が「%1」です").arg(facts.xdg_config_home);
    } else if (qEnvironmentVariableIsEmpty("HOME")) {
        origin = QStringLiteral("環境変数 HOME が設定されていません");
    }
    problem_ = make_settings_dir(path_, origin);
}

}  // namespace platform
