#include <gtest/gtest.h>

#include "platform/serial_control.h"
#include "platform/serial_line.h"

namespace {

using platform::LineCounters;

TEST(ParseLineSettings, Table) {
    const struct {
        const char* text;
        bool ok;
        qint32 baud;
        QSerialPort::Parity parity;
        QSerialPort::DataBits data;
        QSerialPort::StopBits stop;
    } rows[] = {
        {"9600,n,8,1", true, 9600, QSerialPort::NoParity, QSerialPort::Data8, QSerialPort::OneStop},
        {"4800,E,7,2", true, 4800, QSerialPort::EvenParity, QSerialPort::Data7,
         QSerialPort::TwoStop},
        {" 19200 , o , 5 , 1.5 ", true, 19200, QSerialPort::OddParity, QSerialPort::Data5,
         QSerialPort::OneAndHalfStop},
        {"1200,m,6,1", true, 1200, QSerialPort::MarkParity, QSerialPort::Data6,
         QSerialPort::OneStop},
        {"1200,s,8,1", true, 1200, QSerialPort::SpaceParity, QSerialPort::Data8,
         QSerialPort::OneStop},
        {"9600,n,8", false, 0, {}, {}, {}},
        {"9600,x,8,1", false, 0, {}, {}, {}},
        {"9600,n,9,1", false, 0, {}, {}, {}},
        {"9600,n,4,1", false, 0, {}, {}, {}},
        {"9600,n,8,3", false, 0, {}, {}, {}},
        {"0,n,8,1", false, 0, {}, {}, {}},
        {"fast,n,8,1", false, 0, {}, {}, {}},
        {"9600,n,8,1,1", false, 0, {}, {}, {}},
        {"", false, 0, {}, {}, {}},
    };
    for (const auto& row : rows) {
        const auto settings = platform::parse_line_settings(QString::fromUtf8(row.text));
        ASSERT_EQ(settings.has_value(), row.ok) << row.text;
        if (!settings) continue;
        EXPECT_EQ(settings->baud, row.baud) << row.text;
        EXPECT_EQ(settings->parity, row.parity) << row.text;
        EXPECT_EQ(settings->data_bits, row.data) << row.text;
        EXPECT_EQ(settings->stop_bits, row.stop) << row.text;
    }
}

TEST(FlowControl, HandshakingValues) {
    EXPECT_EQ(platform::flow_control(0), QSerialPort::NoFlowControl);
    EXPECT_EQ(platform::flow_control(1), QSerialPort::SoftwareControl);
    EXPECT_EQ(platform::flow_control(2), QSerialPort::HardwareControl);
    EXPECT_EQ(platform::flow_control(3), QSerialPort::HardwareControl);
    EXPECT_FALSE(platform::flow_control(4).has_value());
    EXPECT_FALSE(platform::flow_control(-1).has_value());
}

TEST(LineErrorEvents, OneEventPerRisingCounter) {
    namespace ev = platform::comm_event;
    const LineCounters base{3, 4, 5, 6, 7};
    const struct {
        LineCounters after;
        std::vector<int> events;
    } rows[] = {
        {{3, 4, 5, 6, 7}, {}},
        {{4, 4, 5, 6, 7}, {ev::brk}},
        {{3, 9, 5, 6, 7}, {ev::frame}},
        {{3, 4, 6, 6, 7}, {ev::overrun}},
        {{3, 4, 5, 7, 7}, {ev::rx_over}},
        {{3, 4, 5, 6, 8}, {ev::rx_parity}},
        {{4, 5, 6, 7, 8}, {ev::brk, ev::frame, ev::overrun, ev::rx_over, ev::rx_parity}},
        {{0, 0, 0, 0, 0}, {}},  // counters reset by the driver: nothing new happened
    };
    for (const auto& row : rows) {
        EXPECT_EQ(platform::line_error_events(base, row.after), row.events);
    }
}

}  // namespace
