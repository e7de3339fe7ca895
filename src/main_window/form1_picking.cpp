#include "main_window/form1.h"

// Picking a target on the radar.
// TODO(picking).

void Form1::Picture1_MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, double, double) {}
double Form1::point_to_azimuth(double, double) { return 0; }
double Form1::point_to_elevation(double, double) { return 0; }
double Form1::quadrant_arctan(double, double) { return 0; }
