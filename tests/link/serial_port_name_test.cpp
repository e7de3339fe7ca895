#include <gtest/gtest.h>

#include "link/serial_port_name.h"

namespace {

struct PortRow {
    const char* name;
    PortSystem system;
    const char* configured;  // device named in the settings for any port, "" for none
    int number;              // -1: the name names no port
    const char* device;
};

class ChooseSerialPort : public ::testing::TestWithParam<PortRow> {};

TEST_P(ChooseSerialPort, OpensTheRightDevice) {
    const PortRow& row = GetParam();
    const auto configured = [&row](int) { return QString::fromUtf8(row.configured); };
    const auto choice = choose_serial_port(QString::fromUtf8(row.name), configured, row.system);
    if (row.number < 0) {
        EXPECT_FALSE(choice.has_value()) << row.name;
        return;
    }
    ASSERT_TRUE(choice.has_value()) << row.name;
    EXPECT_EQ(choice->number, row.number) << row.name;
    EXPECT_EQ(choice->device, QString::fromUtf8(row.device)) << row.name;
}

constexpr auto nix = PortSystem::unix_like;
constexpr auto win = PortSystem::windows;

INSTANTIATE_TEST_SUITE_P(
    Table, ChooseSerialPort,
    ::testing::Values(
        PortRow{"COM1", nix, "", 1, "/dev/ttyS0"},
        PortRow{"COM12", nix, "", 12, "/dev/ttyS11"},  // every digit, not only the first
        PortRow{"COM12", win, "", 12, "COM12"},
        PortRow{"COM1", nix, "/dev/ttyUSB0", 1, "/dev/ttyUSB0"},
        PortRow{"COM1", nix, "  /dev/ttyACM1 ", 1, "/dev/ttyACM1"},
        PortRow{"COM3", win, "/dev/ttyUSB0", 3, "COM3"},  // the section is for unix-like systems
        PortRow{"com2", nix, "", 2, "/dev/ttyS1"}, PortRow{" COM4 ", nix, "", 4, "/dev/ttyS3"},
        PortRow{"COM3:", nix, "", 3, "/dev/ttyS2"}, PortRow{"COM007", win, "", 7, "COM7"},
        PortRow{"/dev/ttyUSB0", nix, "/dev/other", 0, "/dev/ttyUSB0"},
        PortRow{"/dev/pts/7", nix, "", 0, "/dev/pts/7"},
        PortRow{"\\\\.\\COM15", win, "", 0, "\\\\.\\COM15"},
        PortRow{"/dev/ttyUSB0", win, "", -1, ""}, PortRow{"COM", nix, "", -1, ""},
        PortRow{"COMx", nix, "", -1, ""}, PortRow{"COM0", nix, "", -1, ""},
        PortRow{"", nix, "", -1, ""}, PortRow{"ttyUSB0", nix, "", -1, ""},
        PortRow{"LPT1", win, "", -1, ""}, PortRow{"COM99999", nix, "", -1, ""},
        PortRow{"COM１", nix, "", -1, ""}));

TEST(ChooseSerialPort, AsksTheSettingsForThatPortNumber) {
    int asked = 0;
    const auto configured = [&asked](int n) {
        asked = n;
        return QString();
    };
    choose_serial_port(QStringLiteral("COM12"), configured, PortSystem::unix_like);
    EXPECT_EQ(asked, 12);
}

}  // namespace
