// Pictures for a human eye, taken by scripts/dialog-shots.sh and scripts/radar-shots.sh. Not a
// test: it checks nothing and is built only when a script asks for it.
//   azelrot-shots dialog serial|board   shows the settings dialog, says "ready", runs until ended
//   azelrot-shots radar FOLDER          saves the radar in its typical states, four times enlarged
#include <QApplication>
#include <QDir>
#include <QFont>
#include <QPixmap>
#include <cstdio>

#include "fakes/fake_services.h"
#include "main_window/form1.h"
#include "settings_dialog/form2.h"

namespace {

int dialog(const QString& pattern) {
    QFont ui_font(QStringLiteral("Noto Sans CJK JP"));  // as the program sets it
    ui_font.setPixelSize(12);
    QApplication::setFont(ui_font);

    fake::World w;
    if (pattern == u"board") {
        // Board transport on the loopback address: nothing may leave this machine.
        w.set_ini(QStringLiteral("GS232B"), QStringLiteral("PICNIC"), QStringLiteral("1"));
        w.set_ini(QStringLiteral("TCP/IP"), QStringLiteral("IP"), QStringLiteral("127.0.0.1"));
    } else {
        w.set_ini(QStringLiteral("GS232B"), QStringLiteral("PICNIC"), QStringLiteral("0"));
        w.serial.open = true;
    }
    const auto form1 = w.load_form1();
    w.module.operation_mode = OperationMode::settings_open;  // as the settings menu leaves it
    Form2& f = form1->form2();
    f.move(10, 10);
    f.show();
    f.raise();
    f.activateWindow();
    std::puts("ready");
    std::fflush(stdout);
    return QApplication::exec();
}

int radar(const QString& folder) {
    fake::World w;
    w.module.orbx_link = QStringLiteral("1");
    w.module.picnic_mode = QStringLiteral("0");
    w.serial.open = true;
    w.module.link.opened(w.clock.mono);  // the controller has reported: the antenna is drawn
    w.module.link.reply_arrived(w.clock.mono, true);
    const auto form = w.make_form1();
    form->state().azimuth_tolerance = 2.0;
    form->state().elevation_tolerance = 2.0;
    form->Option1->setChecked(true);
    QDir().mkpath(folder);
    auto shot = [&](const char* name) {
        // Four times enlarged, pixel for pixel, so single pixels can be judged.
        const QPixmap picture = form->Picture1->grab();
        picture.scaled(picture.size() * 4, Qt::IgnoreAspectRatio, Qt::FastTransformation)
            .save(QDir(folder).filePath(QString::fromUtf8(name)));
    };
    form->show_tracking_value(TrackingItem::satellite_azimuth, QStringLiteral("200"));
    form->show_tracking_value(TrackingItem::satellite_elevation, QStringLiteral("25"));
    form->show_tracking_value(TrackingItem::moon_azimuth, QStringLiteral("110"));
    form->show_tracking_value(TrackingItem::moon_elevation, QStringLiteral("50"));
    form->state().antenna_azimuth = 30;
    form->state().antenna_elevation = 20;
    form->draw_radar();
    shot("1-idle.png");
    form->Picture1_MouseDown(Qt::LeftButton, {}, 1850, 850);
    shot("2-picked-rings.png");
    form->draw_radar();
    shot("3-picked.png");
    form->Command4_Click();
    form->state().antenna_azimuth = 38;
    form->state().antenna_elevation = 30;
    form->Timer1_Timer();
    shot("4-manual-move.png");
    form->Command4_Click();
    form->Command2_Click();
    form->state().antenna_azimuth = 195;
    form->state().antenna_elevation = 23;
    form->Timer1_Timer();
    shot("5-automatic.png");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("azelrot"));
    const QStringList args = QApplication::arguments();
    if (args.size() == 3 && args[1] == u"dialog") return dialog(args[2]);
    if (args.size() == 3 && args[1] == u"radar") return radar(args[2]);
    std::fprintf(stderr, "usage: azelrot-shots dialog serial|board | radar FOLDER\n");
    return 2;
}
