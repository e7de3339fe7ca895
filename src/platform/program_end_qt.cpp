#include "platform/program_end_qt.h"

#include <QApplication>
#include <QWidget>

namespace platform {

void ProgramEndQt::end_program() {
    ended_ = true;
    // Hide every window so nothing else is shown or clicked before the loop returns.
    for (QWidget* w : QApplication::topLevelWidgets()) w->hide();
    QCoreApplication::exit(0);
}

}  // namespace platform
