#include "main_window/form1.h"

// Start-up, shutdown, menus, target-kind options and the resize rule.
// TODO(foundation): full start-up and shutdown sequences.

void Form1::Form_Load() {}
void Form1::Form_Resize() {}
void Form1::Command3_Click() { shutting_down_ = true; }
void Form1::Option1_Click() {}
void Form1::Option2_Click() {}
void Form1::menu_kannkyou_settei_Click() {}
void Form1::menu_debug_on_Click() {}
void Form1::menu_debug_off_Click() {}
void Form1::menu_ver_Click() {}
