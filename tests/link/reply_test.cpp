#include <gtest/gtest.h>

#include <deque>

#include "link/reply.h"

namespace {

constexpr double none = -12345;  // marks a field that fails

struct ParseRow {
    const char* reply;
    bool applies;  // the reply has "AZ=" at all
    double azimuth;
    double elevation;
};

class PositionFieldsTable : public ::testing::TestWithParam<ParseRow> {};

TEST_P(PositionFieldsTable, ReadsOrFailsAtTheRightStep) {
    const ParseRow& row = GetParam();
    const auto fields = position_fields(reply_text(QByteArray(row.reply)));
    ASSERT_EQ(fields.has_value(), row.applies) << row.reply;
    if (!fields) return;
    EXPECT_EQ(fields->azimuth.value_or(none), row.azimuth) << row.reply;
    EXPECT_EQ(fields->elevation.value_or(none), row.elevation) << row.reply;
}

INSTANTIATE_TEST_SUITE_P(
    Table, PositionFieldsTable,
    ::testing::Values(ParseRow{"AZ=005 EL=000\r", true, 5, 0},
                      ParseRow{"AZ=180 EL=045\r", true, 180, 45},
                      ParseRow{"AZ=010 EL=020\rAZ=030 EL=040\r", true, 10, 20},  // the first line
                      ParseRow{"AZ=123\r", true, none, none},          // no blank after the azimuth
                      ParseRow{"AZ= 123 EL=045\r", true, none, none},  // empty azimuth field
                      ParseRow{"AZ=123 EL=045", true, 123, none},      // no CR: azimuth only
                      ParseRow{"AZ=123 EL=", true, 123, none},
                      ParseRow{"AZ=123 EL=\r", true, 123, none},     // empty elevation field
                      ParseRow{"AZ=123 XX=045\r", true, 123, none},  // no "EL=" at all
                      ParseRow{"?>AZ=090 EL=010\r\n", true, 90, 10},
                      ParseRow{"AZ=450 EL=180\r", true, 450, 180},
                      ParseRow{"AZ=12x EL=045\r", true, none, none},
                      ParseRow{"AZ=123 EL=04\x01"
                               "5\r",
                               true, 123, none},
                      ParseRow{"AZ=123 EL= 45 \r", true, 123, 45},  // blanks round the digits
                      ParseRow{"AZ=\xff\xfe EL=045\r", true, none, none},
                      ParseRow{"EL=045\r AZ=123 ", true, 123, 45},  // "EL=" may come first
                      ParseRow{"045\r", false, 0, 0}, ParseRow{"", false, 0, 0},
                      ParseRow{"az=123 el=045\r", false, 0, 0}));

TEST(PositionFields, NulBytesInsideAFieldFail) {
    const QByteArray bytes(
        "AZ=1\0"
        "23 EL=045\r",
        15);
    const auto fields = position_fields(reply_text(bytes));
    ASSERT_TRUE(fields.has_value());
    EXPECT_FALSE(fields->azimuth.has_value());
}

TEST(ReplyText, OneCharacterPerByte) {
    const QByteArray bytes("A\0\xff\x80\r", 5);
    const QString text = reply_text(bytes);
    ASSERT_EQ(text.size(), 5);
    EXPECT_EQ(text[1].unicode(), 0);
    EXPECT_EQ(text[2].unicode(), 0xff);
    EXPECT_EQ(text[3].unicode(), 0x80);
}

// What the main window and the four dialog labels show; "!" marks the step that fails.
struct RouteRow {
    const char* reply;
    int mode;
    const char* label16;  // nullptr: not shown
    const char* label4;
    const char* label5;
    const char* label6;
    const char* label7;
};

class ReplyRouting : public ::testing::TestWithParam<RouteRow> {};

QString expected_label(const char* text) {
    return QString::fromUtf8(text);
}

TEST_P(ReplyRouting, ShowsTheReplyWhereTheModeSays) {
    const RouteRow& row = GetParam();
    const QString reply = QString::fromUtf8(row.reply);
    const auto shown = main_window_text(reply, static_cast<OperationMode>(row.mode));
    if (row.label16) {
        EXPECT_EQ(shown.value_or(QStringLiteral("<none>")), expected_label(row.label16));
    } else {
        EXPECT_FALSE(shown.has_value());
    }
    const char* labels[] = {row.label4, row.label5, row.label6, row.label7};
    for (int n = 4; n <= 7; ++n) {
        const auto text = dialog_label_text(n, reply, static_cast<OperationMode>(row.mode));
        const QString want = expected_label(labels[n - 4]);
        EXPECT_EQ(text.value_or(QStringLiteral("!")), want) << "Label" << n << " mode " << row.mode;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReplyRouting,
    ::testing::Values(
        RouteRow{"xAZ=005 EL=000\r", 0, "AZ=005 EL=000\r", "", "", "", ""},
        RouteRow{"AZ=005 EL=000\r", 99, nullptr, "", "", "", ""},
        RouteRow{"OK\r", 0, nullptr, "", "", "", ""},
        RouteRow{"AZoffset are you sure?\r", 1, nullptr, "are you sure?\r", "", "", ""},
        RouteRow{"AZoffset are you sure?\r", 2, nullptr, "are you sure?\r", "", "", ""},
        RouteRow{"AZoffset ready\r", 1, nullptr, "!", "", "", ""},  // question missing: fails
        RouteRow{"are you sure?\r", 1, nullptr, "", "", "", ""},    // no "AZoffset": cleared only
        RouteRow{"AZoffset are you sure?\r", 4, nullptr, "", "", "", ""},
        RouteRow{"full scale mode\r", 3, nullptr, "", "mode\r", "", ""},
        RouteRow{"mode AZ=360 EL=000\r", 3, nullptr, "", "AZ=360 EL=000\r", "", ""},
        RouteRow{"AZ=360 EL=000\r", 3, nullptr, "", "AZ=360 EL=000\r", "", ""},
        RouteRow{"nothing\r", 3, nullptr, "", "", "", ""},
        RouteRow{"ELoffset are you sure?\r", 4, nullptr, "", "", "are you sure?\r", ""},
        RouteRow{"ELoffset are you sure?\r", 5, nullptr, "", "", "are you sure?\r", ""},
        RouteRow{"ELoffset\r", 5, nullptr, "", "", "!", ""},
        RouteRow{"AZ=450 EL=000\r", 6, nullptr, "", "", "", "AZ=450 EL=000\r"},
        RouteRow{"AZ=450 EL=000\r", 5, nullptr, "", "", "", ""},
        RouteRow{"AZoffset are you sure?\r", 0, nullptr, "", "", "", ""}));

TEST(CommEventMessage, EveryCode) {
    const QString undefined = QStringLiteral("未定義エラー発生 通信エラー");
    const struct {
        int code;
        const char* text;  // nullptr: nothing shown
    } rows[] = {{1, nullptr},
                {2, nullptr},
                {3, nullptr},
                {4, nullptr},
                {5, nullptr},
                {6, nullptr},
                {7, nullptr},
                {1001, "中断信号受信 通信エラー"},
                {1004, "フレームエラー 通信エラー"},
                {1006, "オーバーランエラー 通信エラー"},
                {1008, "受信バッファオーバー 通信エラー"},
                {1009, "受信パリティエラー 通信エラー"},
                {1010, "送信バッファフル 通信エラー"},
                {1011, "DCB取得エラー 通信エラー"},
                {0, "未定義エラー発生 通信エラー"},
                {8, "未定義エラー発生 通信エラー"},
                {1002, "未定義エラー発生 通信エラー"},
                {1099, "未定義エラー発生 通信エラー"},
                {-1, "未定義エラー発生 通信エラー"}};
    for (const auto& row : rows) {
        const auto text = comm_event_message(row.code);
        if (!row.text) {
            EXPECT_FALSE(text.has_value()) << row.code;
        } else {
            EXPECT_EQ(text.value_or(QString()), QString::fromUtf8(row.text)) << row.code;
        }
    }
    // Every undefined code, not just the sampled ones.
    for (int code = 8; code < 2000; ++code) {
        if (code >= 1001 && code <= 1011 && code != 1002 && code != 1003 && code != 1005 &&
            code != 1007) {
            continue;
        }
        EXPECT_EQ(comm_event_message(code).value_or(QString()), undefined) << code;
    }
}

struct LineRow {
    std::vector<const char*> chunks;  // first chunk, then what each re-read returns
    const char* line;                 // nullptr: the line fails
    int reads;                        // re-reads made
};

class BoardLine : public ::testing::TestWithParam<LineRow> {};

TEST_P(BoardLine, AssemblesUpToTheFirstCr) {
    const LineRow& row = GetParam();
    std::deque<QByteArray> more(row.chunks.begin() + 1, row.chunks.end());
    int reads = 0;
    const auto line = assemble_board_line(QByteArray(row.chunks.front()), [&] {
        ++reads;
        if (more.empty()) return QByteArray();
        QByteArray next = more.front();
        more.pop_front();
        return next;
    });
    if (row.line) {
        EXPECT_EQ(line.value_or("<none>"), QByteArray(row.line));
    } else {
        EXPECT_FALSE(line.has_value());
    }
    EXPECT_EQ(reads, row.reads);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BoardLine,
    ::testing::Values(LineRow{{"AZ=180 EL=045\r"}, "AZ=180 EL=045\r", 0},
                      LineRow{{"AZ=180 EL=", "045\r"}, "AZ=180 EL=045\r", 1},
                      LineRow{{"AZ", "=1", "80 EL=045", "\r"}, "AZ=180 EL=045\r", 3},
                      LineRow{{"AZ=180 EL=045\rAZ=999"}, "AZ=180 EL=045\r", 0},
                      LineRow{{"AZ=180 EL=", "045\rjunk"}, "AZ=180 EL=045\r", 1},
                      LineRow{{"AZ=180", "\rAZ=1"}, "AZ=180\r", 1},  // chunk starting with CR
                      LineRow{{"\rAZ=180 EL=045\r"}, "\r", 0},
                      LineRow{{"AZ=180 EL="}, nullptr, 1},  // never ends: dropped
                      LineRow{{"AZ=180", "", "EL=045\r"}, nullptr, 1}));

// A board that sends without a CR: the reader stops once the line is longer than any reply
// can be, however much more would come.
TEST(BoardLineCap, EndlessInputWithoutCrStopsAtTheCap) {
    const QByteArray full(max_board_line, 'x');
    struct Row {
        QByteArray first;
        QByteArray flood;  // what every re-read returns
        bool ends_in_line;
        int reads_at_most;
    };
    const Row rows[] = {{full.left(max_board_line - 1), "y\r", true, 1},  // 256 bytes, then CR
                        {full, "\r", true, 1},
                        {full + 'x', "\r", false, 0},
                        {"AZ=", "0123456", false, max_board_line / 7 + 1},
                        {QByteArray(8192, 'x'), "x", false, 0}};
    for (const Row& row : rows) {
        int reads = 0;
        bool too_long = false;
        const auto line = assemble_board_line(
            row.first,
            [&] {
                ++reads;
                return row.flood;
            },
            &too_long);
        EXPECT_EQ(line.has_value(), row.ends_in_line) << row.first.size();
        EXPECT_EQ(too_long, !row.ends_in_line) << row.first.size();
        EXPECT_LE(reads, row.reads_at_most) << row.first.size();
        if (line) {
            EXPECT_LE(line->size(), max_board_line + 1);
        }
    }
}

}  // namespace
