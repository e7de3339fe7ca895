#include <gtest/gtest.h>

#include "main_window/startup_values.h"

namespace {

struct PositionRow {
    const char* text;
    std::optional<WindowPlace> place;
};

class WindowPosition : public ::testing::TestWithParam<PositionRow> {};

TEST_P(WindowPosition, SplitsAtTheFirstColon) {
    const auto& row = GetParam();
    EXPECT_EQ(parse_window_position(QString::fromUtf8(row.text)), row.place) << row.text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, WindowPosition,
    ::testing::Values(PositionRow{"4600:6000", WindowPlace{4600, 6000}},
                      PositionRow{" 300 : 450 ", WindowPlace{300, 450}},
                      PositionRow{"300:450:7", WindowPlace{300, 450}},
                      PositionRow{":", WindowPlace{0, 0}}, PositionRow{"x:y", WindowPlace{0, 0}},
                      PositionRow{"-150:-75", WindowPlace{-150, -75}},
                      PositionRow{"10.5:11.5", WindowPlace{10, 12}},  // halves to even
                      PositionRow{"&H10:1E3", WindowPlace{16, 1000}},
                      PositionRow{"4600", std::nullopt}, PositionRow{"", std::nullopt},
                      PositionRow{"4600;6000", std::nullopt}, PositionRow{"1E400:0", std::nullopt},
                      PositionRow{"0:-1E12", std::nullopt}));

struct TimerRow {
    const char* text;
    std::optional<int> ms;
};

class TimerInterval : public ::testing::TestWithParam<TimerRow> {};

TEST_P(TimerInterval, SecondsToMilliseconds) {
    const auto& row = GetParam();
    EXPECT_EQ(timer_interval_ms(QString::fromUtf8(row.text)), row.ms) << row.text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, TimerInterval,
    ::testing::Values(TimerRow{"1", 1000}, TimerRow{"0.5", 500}, TimerRow{"2.5", 2500},
                      TimerRow{"10", 10000}, TimerRow{"65", 65000}, TimerRow{"0", 0},
                      TimerRow{"", 0}, TimerRow{"abc", 0}, TimerRow{" 3 ", 3000},
                      TimerRow{"0.0005", 0}, TimerRow{"65.001", std::nullopt},
                      TimerRow{"66", std::nullopt}, TimerRow{"-1", std::nullopt},
                      TimerRow{"1E400", std::nullopt}, TimerRow{"-1E400", std::nullopt}));

}  // namespace
