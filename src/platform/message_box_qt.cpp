#include "platform/message_box_qt.h"

#include <QApplication>
#include <QMessageBox>

namespace platform {

void MessageBoxQt::show(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

void MessageBoxQt::beep() {
    QApplication::beep();
}

}  // namespace platform
