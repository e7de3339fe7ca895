#include "main_window/form1.h"

// Transport opening and closing, the initial command burst and the one-shot poll, the serial
// event, and reply reading and parsing.
// TODO(link).

void Form1::send_initial_commands() {}
void Form1::Command1_Click() {}
void Form1::open_transports() {}
void Form1::open_board_speed() {}
void Form1::close_port() {}
void Form1::MSComm1_OnComm() {}
void Form1::receive_proc() {}
void Form1::picnic_rs232c_read_proc() {}
void Form1::show_reply(const QString&) {}
void Form1::parse_position(const QString&) {}
