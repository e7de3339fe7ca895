#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <memory>

#include "fakes/fake_services.h"
#include "main_window/form1.h"
#include "settings_dialog/form2.h"

// A started main window on a fresh fake world; the dialog is opened with open() after the
// settings file has been prepared. Traces of the main window's start-up are cleared so that
// each test sees only what the dialog did.
class DialogTest : public ::testing::Test {
  protected:
    fake::World w;
    std::unique_ptr<Form1> form1;

    void set(const QString& section, const QString& key, const QString& value) {
        w.set_ini(section, key, value);
    }

    // Board transport on the loopback address: nothing may leave this machine.
    void use_board() {
        set(QStringLiteral("GS232B"), QStringLiteral("PICNIC"), QStringLiteral("1"));
        set(QStringLiteral("TCP/IP"), QStringLiteral("IP"), QStringLiteral("127.0.0.1"));
    }

    void use_serial() {
        set(QStringLiteral("GS232B"), QStringLiteral("PICNIC"), QStringLiteral("0"));
        w.serial.open = true;
    }

    Form2& open() {
        form1 = w.load_form1();
        w.message_box.shown.clear();
        w.profile.writes.clear();
        w.serial.written.clear();
        w.board.sent.clear();
        w.board.addr.clear();
        w.clock.slept = 0;
        w.module.operation_mode = OperationMode::settings_open;  // as the settings menu leaves it
        return form1->form2();
    }

    // Lets a closed dialog's deferred deletion happen.
    static void flush_deletes() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};
