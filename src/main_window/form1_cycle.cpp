#include "main_window/form1.h"

// The periodic cycle, the initial command burst and the one-shot poll.
// TODO(cycle).

void Form1::Timer1_Timer() {}
void Form1::send_initial_commands() {}
void Form1::Command1_Click() {}
void Form1::set_timer_interval(int milliseconds) {
    if (milliseconds <= 0) {
        Timer1.stop();
        return;
    }
    Timer1.start(milliseconds);
}
