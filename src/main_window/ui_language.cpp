#include "main_window/ui_language.h"

#include <QCoreApplication>
#include <QTranslator>

UiLanguage choose_ui_language(const QString& setting, const QString& messages_locale) {
    const QString chosen = setting.trimmed().toLower();
    if (chosen == u"ja") return UiLanguage::japanese;
    if (chosen == u"en") return UiLanguage::english;
    // "ja_JP.UTF-8", "ja"; "C.UTF-8" and "POSIX" are no language at all.
    const QString name = messages_locale.trimmed();
    if (name.isEmpty() || name == u"POSIX" || name == u"C" || name.startsWith(u"C.") ||
        name.startsWith(u"ja")) {
        return UiLanguage::japanese;
    }
    return UiLanguage::english;
}

QString messages_locale_from_environment() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty()) return value;
    }
    return {};
}

bool install_ui_language(QCoreApplication& app, QTranslator& translator, UiLanguage language) {
    if (language == UiLanguage::japanese) return true;
    if (!translator.load(QStringLiteral(":/i18n/azelrot_en.qm"))) return false;
    return app.installTranslator(&translator);
}
