#include <QApplication>
#include <QFont>

#include "link/module1.h"
#include "main_window/form1.h"
#include "platform/real_services.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("azelrot"));
    // Designs are laid out for a 9-point Japanese UI font.
    QFont ui_font(QStringLiteral("Noto Sans CJK JP"));
    ui_font.setPixelSize(12);
    QApplication::setFont(ui_font);

    platform::RealServices real;
    Module1 module(real.services());
    Form1 form(module, real.services());
    form.Form_Load();
    if (real.services().program_end.ended()) return 0;
    form.publish_station();
    form.show();
    return QApplication::exec();
}
