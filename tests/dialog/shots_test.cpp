// Shows the settings dialog on a real display so that scripts/dialog-shots.sh can capture it.
// Skipped unless AZELROT_SHOT_DIR names the folder used to hand over with the script.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFont>
#include <QThread>

#include "dialog_fixture.h"

namespace {

TEST_F(DialogTest, ShownForTheScreenshotScript) {
    const QString dir = qEnvironmentVariable("AZELROT_SHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "only run by scripts/dialog-shots.sh";
    QFont ui_font(QStringLiteral("Noto Sans CJK JP"));  // as the program sets it
    ui_font.setPixelSize(12);
    QApplication::setFont(ui_font);

    if (qEnvironmentVariable("AZELROT_SHOT_PATTERN") == QStringLiteral("board")) use_board();
    Form2& f = open();
    f.move(10, 10);
    f.show();
    f.raise();
    f.activateWindow();

    QFile ready(QDir(dir).filePath(QStringLiteral("ready")));
    ASSERT_TRUE(ready.open(QIODevice::WriteOnly));
    ready.close();
    const QString done = QDir(dir).filePath(QStringLiteral("done"));
    QElapsedTimer waited;
    waited.start();
    while (!QFile::exists(done) && waited.elapsed() < 30000) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(20);
    }
}

}  // namespace
