#include "main_window/form1.h"

// The periodic cycle.
// TODO(cycle).

void Form1::Timer1_Timer() {}
void Form1::set_timer_interval(int milliseconds) {
    if (milliseconds <= 0) {
        Timer1.stop();
        return;
    }
    Timer1.start(milliseconds);
}
