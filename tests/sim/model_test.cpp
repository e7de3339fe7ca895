#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gs232b_model.h"

namespace {

using gs232b::Gs232bModel;
using gs232b::ModelSettings;

ModelSettings at(double az, double el, bool instant = true, int range = 360) {
    ModelSettings s;
    s.initial_az = az;
    s.initial_el = el;
    s.instant = instant;
    s.az_range = range;
    return s;
}

struct ReplyRow {
    const char* command;
    const char* reply;
};

TEST(Gs232bModel, AnswersEachCommandAsTheControllerDoes) {
    const std::vector<ReplyRow> rows = {
        {"C2", "AZ=123  EL=045\r\n"},
        {"c2", "AZ=123  EL=045\r\n"},
        {" C2 ", "AZ=123  EL=045\r\n"},
        {"C", "AZ=123\r\n"},
        {"B", "EL=045\r\n"},
        {"", "?>\r"},
        {"Q", "?>\r"},
        {"C3", "?>\r"},
        {"Y", "?>\r"},
        {"S", ""},
        {"A", ""},
        {"E", ""},
        {"W090 045", ""},
        {"M200", ""},
        {"W361 000", "?>\r"},
        {"W090 181", "?>\r"},
        {"W090", "?>\r"},
        {"W090045", "?>\r"},
        {"W-05 000", "?>\r"},
        {"W1000 000", "?>\r"},
        {"W090 045X", "?>\r"},
        {"M361", "?>\r"},
        {"M", "?>\r"},
        {"P36", "mode 360 Degree\r\n"},
        {"P45", "mode 450 Degree\r\n"},
        {"P4", "?>\r"},
        {"O", "AZoffset are you sure?(Y/N)\r\n"},
        {"O2", "ELoffset are you sure?(Y/N)\r\n"},
        {"F", "AZ=123\r\n"},
        {"F2", "AZ=123  EL=045\r\n"},
    };
    for (const ReplyRow& row : rows) {
        Gs232bModel model(at(123, 45));
        EXPECT_EQ(model.on_line(row.command, 0.0), row.reply) << "command: " << row.command;
    }
}

struct MoveRow {
    const char* command;
    double az;
    double el;
};

TEST(Gs232bModel, AcceptsShortFieldsAndRejectsMalformedMoves) {
    const std::vector<MoveRow> rows = {
        {"W090 045", 90, 45},   {"w90 45", 90, 45},     {"W5 7", 5, 7},
        {"W090  045", 90, 45},  {"W360 180", 360, 180}, {"W000 000", 0, 0},
        {"M180", 180, 20},      {"M 180", 180, 20},     {"m7", 7, 20},
        {"W 090 045", 100, 20}, {"W0900 045", 100, 20}, {"W090 0450", 100, 20},
        {"W09A 045", 100, 20},  {"M18 0", 100, 20},
    };
    for (const MoveRow& row : rows) {
        Gs232bModel model(at(100, 20));
        model.on_line(row.command, 0.0);
        EXPECT_DOUBLE_EQ(model.position(1.0).az, row.az) << row.command;
        EXPECT_DOUBLE_EQ(model.position(1.0).el, row.el) << row.command;
    }
}

struct ProgressRow {
    double t;
    const char* reply;
};

void expect_progress(Gs232bModel& model, const std::vector<ProgressRow>& rows) {
    for (const ProgressRow& row : rows)
        EXPECT_EQ(model.on_line("C2", row.t), row.reply) << "t=" << row.t;
}

TEST(Gs232bModel, MovesAtTheSetSpeedsUntilArrival) {
    Gs232bModel model(at(0, 0, false));
    EXPECT_EQ(model.on_line("W090 045", 10.0), "");
    expect_progress(model, {{10.0, "AZ=000  EL=000\r\n"},
                            {11.0, "AZ=006  EL=003\r\n"},
                            {15.0, "AZ=030  EL=015\r\n"},
                            {20.0, "AZ=060  EL=030\r\n"},
                            {25.0, "AZ=090  EL=045\r\n"},
                            {100.0, "AZ=090  EL=045\r\n"}});
    EXPECT_FALSE(model.moving(25.0));
}

TEST(Gs232bModel, NeverTurnsThroughNorth) {
    Gs232bModel model(at(350, 0, false));
    model.on_line("W010 000", 0.0);
    // Back along the scale: 340 degrees to go, not 20 through north.
    expect_progress(
        model,
        {{10.0, "AZ=290  EL=000\r\n"}, {56.0, "AZ=014  EL=000\r\n"}, {57.0, "AZ=010  EL=000\r\n"}});
}

TEST(Gs232bModel, StopsAllOrOneAxis) {
    struct Row {
        const char* stop;
        const char* at_20s;
    };
    // Stopped after 5 s of W180 090 from 0,0.
    const std::vector<Row> rows = {{"S", "AZ=030  EL=015\r\n"},
                                   {"s", "AZ=030  EL=015\r\n"},
                                   {"A", "AZ=030  EL=060\r\n"},
                                   {"E", "AZ=120  EL=015\r\n"}};
    for (const Row& row : rows) {
        Gs232bModel model(at(0, 0, false));
        model.on_line("W180 090", 0.0);
        model.on_line(row.stop, 5.0);
        EXPECT_EQ(model.on_line("C2", 20.0), row.at_20s) << row.stop;
    }
}

TEST(Gs232bModel, NewTargetTurnsFromWhereTheAntennaIs) {
    Gs232bModel model(at(0, 0, false));
    model.on_line("W180 090", 0.0);
    model.on_line("W000 000", 10.0);  // at 60,30 now
    expect_progress(model, {{15.0, "AZ=030  EL=015\r\n"}, {30.0, "AZ=000  EL=000\r\n"}});
}

TEST(Gs232bModel, EndStopCommandsTurnUntilTheStop) {
    struct Row {
        const char* command;
        const char* after_long;
    };
    const std::vector<Row> rows = {{"R", "AZ=360  EL=090\r\n"},
                                   {"L", "AZ=000  EL=090\r\n"},
                                   {"U", "AZ=180  EL=180\r\n"},
                                   {"D", "AZ=180  EL=000\r\n"}};
    for (const Row& row : rows) {
        Gs232bModel model(at(180, 90, false));
        EXPECT_EQ(model.on_line(row.command, 0.0), "");
        EXPECT_EQ(model.on_line("C2", 1000.0), row.after_long) << row.command;
    }
}

TEST(Gs232bModel, RangeModesLimitAzimuth) {
    Gs232bModel model(at(0, 0));
    EXPECT_EQ(model.on_line("W450 000", 0.0), "?>\r");
    EXPECT_EQ(model.on_line("P45", 0.0), "mode 450 Degree\r\n");
    EXPECT_EQ(model.on_line("W450 000", 0.0), "");
    EXPECT_EQ(model.on_line("C", 0.0), "AZ=450\r\n");
    EXPECT_EQ(model.on_line("M451", 0.0), "?>\r");
    // Back to 360: the reading cannot stay beyond the new end stop.
    EXPECT_EQ(model.on_line("P36", 0.0), "mode 360 Degree\r\n");
    EXPECT_EQ(model.on_line("C", 0.0), "AZ=360\r\n");
    EXPECT_EQ(model.az_range(), 360);

    EXPECT_EQ(Gs232bModel(at(0, 0, true, 450)).on_line("M420", 0.0), "");
}

TEST(Gs232bModel, LeavingTheWideRangeMidMoveStopsAtTheNewEnd) {
    Gs232bModel model(at(300, 0, false, 450));
    model.on_line("M420", 0.0);
    model.on_line("P36", 5.0);  // at 330
    EXPECT_EQ(model.on_line("C", 100.0), "AZ=360\r\n");
}

TEST(Gs232bModel, InitialPositionIsHeldWithinTheScale) {
    EXPECT_EQ(Gs232bModel(at(500, 200)).on_line("C2", 0.0), "AZ=360  EL=180\r\n");
    EXPECT_EQ(Gs232bModel(at(-5, -1)).on_line("C2", 0.0), "AZ=000  EL=000\r\n");
    EXPECT_EQ(Gs232bModel(at(12.4, 12.6)).on_line("C2", 0.0), "AZ=012  EL=013\r\n");
}

struct DialogRow {
    std::vector<const char*> commands;
    std::vector<const char*> replies;
};

TEST(Gs232bModel, CalibrationDialogs) {
    const std::vector<DialogRow> rows = {
        {{"O", "Y", "C2"},
         {"AZoffset are you sure?(Y/N)\r\n", "AZoffset Completed.\r\n", "AZ=000  EL=045\r\n"}},
        {{"O", "", "C2"},
         {"AZoffset are you sure?(Y/N)\r\n", "AZoffset\r\n", "AZ=123  EL=045\r\n"}},
        {{"O2", "y", "C2"},
         {"ELoffset are you sure?(Y/N)\r\n", "ELoffset Completed.\r\n", "AZ=123  EL=000\r\n"}},
        {{"O2", "", ""}, {"ELoffset are you sure?(Y/N)\r\n", "ELoffset\r\n", "?>\r"}},
        // A position poll in the middle ends the dialog; the late answer is refused.
        {{"O", "C2", "Y"}, {"AZoffset are you sure?(Y/N)\r\n", "AZ=123  EL=045\r\n", "?>\r"}},
        {{"F", "", ""}, {"AZ=123\r\n", "", "?>\r"}},
        {{"F2", "", ""}, {"AZ=123  EL=045\r\n", "", "?>\r"}},
        {{"F", "B"}, {"AZ=123\r\n", "EL=045\r\n"}},
    };
    for (const DialogRow& row : rows) {
        Gs232bModel model(at(123, 45));
        std::string trace;
        for (std::size_t i = 0; i < row.commands.size(); ++i) {
            trace += std::string("[") + row.commands[i] + "]";
            EXPECT_EQ(model.on_line(row.commands[i], 0.0), row.replies[i]) << trace;
        }
    }
}

TEST(Gs232bModel, SetPositionStopsAndClamps) {
    Gs232bModel model(at(0, 0, false));
    model.on_line("W180 090", 0.0);
    model.set_position(400, 10);
    EXPECT_EQ(model.on_line("C2", 50.0), "AZ=360  EL=010\r\n");
}

}  // namespace
