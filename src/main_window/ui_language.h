#pragma once

#include <QString>

class QCoreApplication;
class QTranslator;

// The window's texts are written in Japanese; other languages come from a translation.
enum class UiLanguage { japanese, english };

// `setting` is [GS232B] LANGUAGE ("ja" or "en", any case, blanks around allowed), which wins
// when it names one of them. Otherwise the locale for messages decides: Japanese for a
// Japanese one or none at all ("", "C", "POSIX", "C.UTF-8"), English for any other.
UiLanguage choose_ui_language(const QString& setting, const QString& messages_locale);

// The locale the environment sets for messages: LC_ALL, then LC_MESSAGES, then LANG.
QString messages_locale_from_environment();

// Installs the translation for the language (nothing for Japanese). False when it is missing.
bool install_ui_language(QCoreApplication& app, QTranslator& translator, UiLanguage language);
