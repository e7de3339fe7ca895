#include "platform/clock_system.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <chrono>

namespace platform {

ClockSystem::ClockSystem() {
    elapsed_.start();
}

QDateTime ClockSystem::now_local() {
    return QDateTime::currentDateTime();
}

double ClockSystem::monotonic_seconds() {
    return static_cast<double>(elapsed_.nsecsElapsed()) / 1e9;
}

void ClockSystem::sleep(double seconds) {
    if (seconds <= 0) return;
    QThread::usleep(static_cast<unsigned long>(seconds * 1e6));
}

void ClockSystem::run_events(double seconds) {
    if (seconds <= 0) return;
    // A local loop that sleeps in the kernel until an event or the deadline arrives.
    QEventLoop loop;
    QTimer::singleShot(std::chrono::milliseconds(static_cast<long long>(seconds * 1000 + 0.5)),
                       &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace platform
