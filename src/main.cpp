#include <QApplication>
#include <QCoreApplication>
#include <QFont>
#include <QTranslator>
#include <cstdio>
#include <cstring>

#include "link/module1.h"
#include "main_window/form1.h"
#include "main_window/form1_layout.h"
#include "main_window/ui_language.h"
#include "platform/real_services.h"

int main(int argc, char* argv[]) {
    // For the tools that drive the window from outside: no window, no file, no port.
    if (argc == 2 && std::strcmp(argv[1], "--print-layout") == 0) {
        // Captions in the locale's language: the settings file is not read here.
        QCoreApplication app(argc, argv);
        QTranslator translation;
        install_ui_language(app, translation,
                            choose_ui_language({}, messages_locale_from_environment()));
        std::fputs(form1_layout::printed_layout().toUtf8().constData(), stdout);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("azelrot"));
    // Designs are laid out for a 9-point Japanese UI font.
    QFont ui_font(QStringLiteral("Noto Sans CJK JP"));
    ui_font.setPixelSize(12);
    QApplication::setFont(ui_font);

    platform::RealServices real;
    Module1 module(real.services());
    // Before any window exists: their texts are set as they are built.
    QTranslator translation;
    install_ui_language(app, translation,
                        choose_ui_language(module.setting(settings_key::language),
                                           messages_locale_from_environment()));
    Form1 form(module, real.services());
    form.Form_Load();
    if (real.services().program_end.ended()) return 0;
    form.publish_station();
    form.show();
    return QApplication::exec();
}
