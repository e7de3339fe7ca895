#include "main_window/form1.h"

// Drawing the radar picture.
// TODO(radar).

void Form1::draw_radar() {}
void Form1::draw_picked_marker() {}
void Form1::draw_target_marker() {}
void Form1::draw_moon_marker() {}
void Form1::draw_antenna_marker() {}
