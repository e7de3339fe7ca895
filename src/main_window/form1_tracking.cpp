#include "main_window/form1.h"

// Manual-move and automatic-tracking buttons, and the arrival check.
// TODO(tracking).

void Form1::Command2_Click() {}
void Form1::Command4_Click() {}
void Form1::check_manual_arrival() {}
