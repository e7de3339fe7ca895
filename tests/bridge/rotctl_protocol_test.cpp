#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rotctl_protocol.h"

namespace {

using track_bridge::Outcome;
using track_bridge::Session;

std::string joined(const std::vector<Outcome>& outcomes) {
    std::string all;
    for (const auto& o : outcomes) {
        all += o.reply;
    }
    return all;
}

const std::string kDumpState =
    "1\n1\nmin_az=-180.000000\nmax_az=450.000000\nmin_el=0.000000\nmax_el=90.000000\n"
    "south_zero=0\nrot_type=AzEl\ndone\n";

struct Exchange {
    const char* name;
    std::string sent;
    std::string answered;
    bool closed = false;
};

class Conversation : public ::testing::TestWithParam<Exchange> {};

TEST_P(Conversation, AnswersTheBytesARealServerWould) {
    const Exchange& row = GetParam();
    Session session;
    EXPECT_EQ(joined(session.feed(row.sent)), row.answered);
    EXPECT_EQ(session.closed(), row.closed);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Conversation,
    ::testing::Values(
        Exchange{"TrackerSequence", "P 180 45\np\nS\nq\n", "RPRT -6\nRPRT -6\nRPRT -6\n", true},
        Exchange{"LongForms", "\\set_pos 10.5 20.25\n\\get_pos\n\\stop\n",
                 "RPRT -6\nRPRT -6\nRPRT -6\n"},
        Exchange{"NumberForms", "P  180.00   45.00\nP 180,50 45,25\nP 1e2 +3\n",
                 "RPRT -6\nRPRT -6\nRPRT -6\n"},
        Exchange{"CarriageReturns", "P 1 2\r\np\r\n", "RPRT -6\nRPRT -6\n"},
        Exchange{"HandshakeOfTheNetworkClient", "\\dump_state\n", kDumpState},
        Exchange{"MissingElevation", "P 180.00\n", "RPRT -1\n"},
        Exchange{"NoArguments", "P\n\\set_pos\n", "RPRT -1\nRPRT -1\n"},
        Exchange{"ExtraArgument", "P 1 2 3\n", "RPRT -1\n"},
        Exchange{"NotNumbers", "P north up\nP 1x 2\nP nan 1\nP inf 1\n",
                 "RPRT -1\nRPRT -1\nRPRT -1\nRPRT -1\n"},
        Exchange{"OutsideTheLimits", "P 450.1 10\nP -180.1 10\nP 10 -0.1\nP 10 90.1\n",
                 "RPRT -1\nRPRT -1\nRPRT -1\nRPRT -1\n"},
        Exchange{"OnTheLimits", "P -180 0\nP 450 90\n", "RPRT -6\nRPRT -6\n"},
        Exchange{"UnknownCommands", "x\nM 8 0\n\\park\n\\get_pos_now\n",
                 "RPRT -1\nRPRT -1\nRPRT -6\nRPRT -1\n"},
        Exchange{"BlankLinesAreIgnored", "\n  \n\t\r\n", ""},
        Exchange{"ExtendedGet", "+p\n", "get_pos:\nRPRT -6\n"},
        Exchange{"ExtendedSet", "+\\set_pos 1.5 2\n", "set_pos: 1.5 2\nRPRT -6\n"},
        Exchange{"ExtendedRefusedSet", "+P 1 100\n", "set_pos: 1 100\nRPRT -1\n"},
        Exchange{"ExtendedStop", "+S\n", "stop:\nRPRT -6\n"},
        Exchange{"ExtendedDump", "+\\dump_state\n", "dump_state:\n" + kDumpState + "RPRT 0\n"},
        Exchange{"OtherSeparator", ";\\get_pos\n", "get_pos:;RPRT -6\n"},
        Exchange{"QuitEndsTheConversation", "q\np\n", "", true},
        Exchange{"NothingServedAfterQuit", "P 1 2\nQ\nP 3 4\n", "RPRT -6\n", true},
        Exchange{"ExtendedQuit", "+q\n", "", true},
        Exchange{"OverlongLineIsRefusedWhole", std::string(300, '7') + "\np\n",
                 "RPRT -1\nRPRT -6\n"},
        Exchange{"UnfinishedLineWaits", "p\nP 1 2", "RPRT -6\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// A tracker reads one buffer per command, so each command must yield exactly its own reply.
TEST(Session, OneReplyPerCommand) {
    Session session;
    const auto outcomes = session.feed("P 180.00 45.00\np\nS\n\\dump_state\nbogus\n");
    ASSERT_EQ(outcomes.size(), 5u);
    EXPECT_EQ(outcomes[0].reply, "RPRT -6\n");
    EXPECT_EQ(outcomes[1].reply, "RPRT -6\n");
    EXPECT_EQ(outcomes[2].reply, "RPRT -6\n");
    EXPECT_EQ(outcomes[3].reply, kDumpState);
    EXPECT_EQ(outcomes[4].reply, "RPRT -1\n");
    ASSERT_TRUE(outcomes[0].target.has_value());
    EXPECT_FALSE(outcomes[1].target.has_value());
}

// TCP may cut a command anywhere; split delivery must answer exactly as whole delivery.
TEST(Session, CommandsSplitAcrossReadsAnswerTheSame) {
    const std::string stream = "P 123.40 45.60\r\np\n\\dump_state\n+p\nS\n";
    Session whole;
    const std::string expected = joined(whole.feed(stream));
    for (std::size_t cut = 1; cut < stream.size(); ++cut) {
        Session split;
        std::string got = joined(split.feed(stream.substr(0, cut)));
        got += joined(split.feed(stream.substr(cut)));
        EXPECT_EQ(got, expected) << "cut at " << cut;
    }
}

// Under a comma locale a "%f" would write 180,000000, which no tracker parses.
TEST(Numbers, WrittenWithAPointWhateverTheLocale) {
    EXPECT_EQ(track_bridge::fixed6(-0.5), "-0.500000");
    EXPECT_EQ(track_bridge::fixed6(359.9999996), "360.000000");
}

struct NumberRow {
    const char* text;
    std::optional<double> value;
};

class ParseNumber : public ::testing::TestWithParam<NumberRow> {};

TEST_P(ParseNumber, ReadsWholeTokensOnly) {
    EXPECT_EQ(track_bridge::parse_number(GetParam().text), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseNumber,
    ::testing::Values(NumberRow{"45", 45.0}, NumberRow{"-12.5", -12.5}, NumberRow{"+7", 7.0},
                      NumberRow{"3,25", 3.25}, NumberRow{".5", 0.5}, NumberRow{"2e1", 20.0},
                      NumberRow{"", std::nullopt}, NumberRow{"+", std::nullopt},
                      NumberRow{"1,000.5", std::nullopt}, NumberRow{"1,2,3", std::nullopt},
                      NumberRow{"12deg", std::nullopt}, NumberRow{"nan", std::nullopt},
                      NumberRow{"-inf", std::nullopt}, NumberRow{"1e999", std::nullopt}));

}  // namespace
