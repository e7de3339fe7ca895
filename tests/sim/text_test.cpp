#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim_options.h"
#include "sim_text.h"

namespace {

using namespace std::string_literals;

TEST(LineFramer, CutsAtCarriageReturnAndDropsLineFeeds) {
    struct Row {
        std::vector<std::string> feeds;
        std::vector<std::string> lines;
    };
    const std::vector<Row> rows = {
        {{"C2\r"}, {"C2"}},       {{"C", "2", "\r"}, {"C2"}},
        {{"C2\r\n"}, {"C2"}},     {{"\r\r"}, {"", ""}},
        {{"\nC\n2\r"}, {"C2"}},   {{"W090 045\rC2\rS"}, {"W090 045", "C2"}},
        {{"a\0b\r"s}, {"a\0b"s}}, {{std::string(300, 'x')}, {std::string(256, 'x')}},
    };
    for (const Row& row : rows) {
        gs232b::LineFramer framer;
        std::vector<std::string> got;
        for (const std::string& feed : row.feeds)
            for (std::string& line : framer.feed(feed)) got.push_back(std::move(line));
        EXPECT_EQ(got, row.lines) << row.feeds.front();
    }
}

TEST(LineFramer, ClearForgetsAPartialCommand) {
    gs232b::LineFramer framer;
    framer.feed("W09");
    framer.clear();
    EXPECT_EQ(framer.feed("C2\r"), std::vector<std::string>{"C2"});
}

TEST(CommandLog, EscapesWhatCannotBePrinted) {
    struct Row {
        std::string command;
        std::string logged;
    };
    const std::vector<Row> rows = {
        {"C2", "C2"},      {"", ""},         {"w90 45", "w90 45"},       {"a\rb", "a\\rb"},
        {"\x01", "\\x01"}, {"\0"s, "\\x00"}, {"\xFF\x7F", "\\xFF\\x7F"}, {"a\\b", "a\\\\b"},
        {"\t", "\\x09"},
    };
    for (const Row& row : rows) EXPECT_EQ(gs232b::escape_for_log(row.command), row.logged);
}

TEST(CommandLog, LineHoldsMillisecondsTransportAndCommand) {
    EXPECT_EQ(gs232b::log_line(1.23456, "pty", "C2"), "1.235\tpty\tC2\n");
    EXPECT_EQ(gs232b::log_line(0.0, "tcp", ""), "0.000\ttcp\t\n");
    EXPECT_EQ(gs232b::log_line(62.5, "pty", "\x01"), "62.500\tpty\t\\x01\n");
}

TEST(ReplySchedule, PacesOneByteAtATimeAfterTheLineIsFree) {
    const gs232b::LineShape shape{true, 0.001, 0.0};
    double line_free = 0.0;
    auto chunks = gs232b::schedule_reply("ab", 10.0, line_free, shape);
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_DOUBLE_EQ(chunks[0].due, 10.001);
    EXPECT_EQ(chunks[1].bytes, "b");
    EXPECT_DOUBLE_EQ(chunks[1].due, 10.002);
    EXPECT_DOUBLE_EQ(line_free, 10.002);
    // A second reply queued at once waits for the first to leave the line.
    chunks = gs232b::schedule_reply("c", 10.0, line_free, shape);
    EXPECT_DOUBLE_EQ(chunks[0].due, 10.003);
}

TEST(ReplySchedule, SplitsInTheMiddleWithAPause) {
    double line_free = 0.0;
    auto paced = gs232b::schedule_reply("AZ=1", 0.0, line_free, {true, 0.001, 0.5});
    ASSERT_EQ(paced.size(), 4u);
    EXPECT_DOUBLE_EQ(paced[1].due, 0.002);
    EXPECT_DOUBLE_EQ(paced[2].due, 0.503);

    line_free = 0.0;
    auto plain = gs232b::schedule_reply("AZ=000  EL=000\r\n", 2.0, line_free, {false, 0.001, 0.3});
    ASSERT_EQ(plain.size(), 2u);
    EXPECT_EQ(plain[0].bytes, "AZ=000  ");
    EXPECT_DOUBLE_EQ(plain[0].due, 2.0);
    EXPECT_EQ(plain[1].bytes, "EL=000\r\n");
    EXPECT_DOUBLE_EQ(plain[1].due, 2.3);

    line_free = 0.0;
    EXPECT_EQ(gs232b::schedule_reply("", 1.0, line_free, {false, 0.001, 0.3}).size(), 0u);
    EXPECT_EQ(gs232b::schedule_reply("x", 1.0, line_free, {false, 0.001, 0.3}).size(), 1u);
}

TEST(Garbage, SameLengthWithNulAndFF) {
    std::uint32_t seed = 0;
    for (std::size_t length : {2u, 3u, 16u, 40u}) {
        const std::string noise = gs232b::garbage_bytes(length, seed);
        EXPECT_EQ(noise.size(), length);
        EXPECT_NE(noise.find('\0'), std::string::npos);
        EXPECT_NE(noise.find('\xFF'), std::string::npos);
    }
    const std::string a = gs232b::garbage_bytes(16, seed);
    EXPECT_NE(a, gs232b::garbage_bytes(16, seed)) << "the noise must not repeat itself";
}

TEST(Arguments, ParsesEverySwitch) {
    const auto parsed = gs232b::parse_args({"--link",
                                            "/tmp/x",
                                            "--tcp=0",
                                            "--log",
                                            "l.txt",
                                            "--control",
                                            "c.fifo",
                                            "--initial",
                                            "12.5,30",
                                            "--range",
                                            "450",
                                            "--az-speed",
                                            "60",
                                            "--el-speed=30",
                                            "--instant",
                                            "--no-pacing",
                                            "--baud",
                                            "4800",
                                            "--split-reply",
                                            "40",
                                            "--mute",
                                            "--garbage",
                                            "--drop-tcp-after",
                                            "3"});
    ASSERT_EQ(parsed.error, "");
    const gs232b::SimOptions& o = parsed.options;
    EXPECT_EQ(o.link, "/tmp/x");
    EXPECT_EQ(o.tcp_port, 0);
    EXPECT_EQ(o.log, "l.txt");
    EXPECT_EQ(o.control, "c.fifo");
    EXPECT_DOUBLE_EQ(o.model.initial_az, 12.5);
    EXPECT_DOUBLE_EQ(o.model.initial_el, 30);
    EXPECT_EQ(o.model.az_range, 450);
    EXPECT_DOUBLE_EQ(o.model.az_speed, 60);
    EXPECT_DOUBLE_EQ(o.model.el_speed, 30);
    EXPECT_TRUE(o.model.instant);
    EXPECT_FALSE(o.faults.pacing);
    EXPECT_EQ(o.baud, 4800);
    EXPECT_EQ(o.faults.split_ms, 40);
    EXPECT_TRUE(o.faults.mute);
    EXPECT_TRUE(o.faults.garbage);
    EXPECT_EQ(o.faults.drop_tcp_after, 3);
    EXPECT_FALSE(parsed.help);
}

TEST(Arguments, DefaultsAndHelp) {
    const auto parsed = gs232b::parse_args({"--help"});
    EXPECT_TRUE(parsed.help);
    EXPECT_FALSE(parsed.options.tcp_port.has_value());
    EXPECT_TRUE(parsed.options.faults.pacing);
    EXPECT_DOUBLE_EQ(parsed.options.model.az_speed, 6);
    EXPECT_DOUBLE_EQ(parsed.options.model.el_speed, 3);
    EXPECT_EQ(parsed.options.model.az_range, 360);
}

TEST(Arguments, RejectsBadInput) {
    const std::vector<std::vector<std::string>> rows = {
        {"--tcp"},
        {"--tcp", "70000"},
        {"--tcp", "-1"},
        {"--tcp", "12ab"},
        {"--initial", "10"},
        {"--initial", "10,x"},
        {"--initial", "500,0"},
        {"--range", "400"},
        {"--az-speed", "0"},
        {"--el-speed", "nan"},
        {"--bogus"},
        {"--mute=1"},
        {"--link", ""},
        {"--split-reply", "-5"},
        {"stray"},
    };
    for (const auto& row : rows) {
        const auto parsed = gs232b::parse_args(row);
        EXPECT_NE(parsed.error, "") << row.front() << (row.size() > 1 ? " " + row[1] : "");
    }
}

TEST(Arguments, HelpDocumentsEverySwitchAndControlLine) {
    const std::string help = gs232b::help_text("gs232b-sim");
    for (const char* word : {"--link",        "--tcp",          "--log",
                             "--control",     "--initial",      "--range",
                             "--az-speed",    "--el-speed",     "--instant",
                             "--baud",        "--no-pacing",    "--split-reply",
                             "--mute",        "--garbage",      "--drop-tcp-after",
                             "--help",        "mute on|off",    "garbage on|off",
                             "pacing on|off", "split-reply MS", "drop-tcp-after N",
                             "position AZ,EL"})
        EXPECT_NE(help.find(word), std::string::npos) << word;
}

TEST(ControlLine, ChangesFaultsAtRunTime) {
    struct Row {
        const char* line;
        bool ok;
    };
    gs232b::Faults faults;
    std::optional<gs232b::Position> place;
    const std::vector<Row> rows = {
        {"mute on", true},          {"garbage on", true},
        {"pacing off", true},       {"split-reply 25", true},
        {"drop-tcp-after 4", true}, {"", true},
        {"# note", true},           {"mute", false},
        {"mute yes", false},        {"split-reply x", false},
        {"mute on now", false},     {"fly away", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(gs232b::apply_control_line(row.line, faults, place).empty(), row.ok) << row.line;
    EXPECT_TRUE(faults.mute);
    EXPECT_TRUE(faults.garbage);
    EXPECT_FALSE(faults.pacing);
    EXPECT_EQ(faults.split_ms, 25);
    EXPECT_EQ(faults.drop_tcp_after, 4);
    EXPECT_FALSE(place.has_value());

    EXPECT_EQ(gs232b::apply_control_line("mute off", faults, place), "");
    EXPECT_FALSE(faults.mute);
    EXPECT_EQ(gs232b::apply_control_line("position 200.5,30", faults, place), "");
    ASSERT_TRUE(place.has_value());
    EXPECT_DOUBLE_EQ(place->az, 200.5);
    EXPECT_DOUBLE_EQ(place->el, 30);
    place.reset();
    EXPECT_NE(gs232b::apply_control_line("position 10", faults, place), "");
    EXPECT_FALSE(place.has_value());
}

}  // namespace
