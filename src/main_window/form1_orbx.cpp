#include "main_window/form1.h"

// The tracking program's links: eleven boxes refreshed every cycle.
// TODO(tracking link).

void Form1::start_tracking_link() {}
void Form1::link_tracking_boxes() {}
void Form1::refresh_tracking_values() {}
void Form1::close_tracking_link() {}
