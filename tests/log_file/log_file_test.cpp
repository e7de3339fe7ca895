#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "config/log_file.h"

namespace {

const QDateTime when(QDate(2026, 12, 6), QTime(1, 50, 10));

class LogFile : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    QString log = dir.filePath(QStringLiteral("azelrot.log"));
    QString backup = dir.filePath(QStringLiteral("azelrot_bak.log"));

    static void fill(const QString& path, qint64 size, char c = 'x') {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray(size, c));
    }
    static QByteArray read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    bool append(const QString& message) { return append_log_line(log, backup, when, message); }
};

TEST_F(LogFile, LineHasStampTwoBlanksMessageAndCrLf) {
    EXPECT_EQ(log_stamp(when), QStringLiteral("26年12月06日　01時50分10秒"));
    EXPECT_EQ(QString::fromUtf8(log_line(when, QStringLiteral("put_data : 43320D"))),
              QStringLiteral("26年12月06日　01時50分10秒  put_data : 43320D\r\n"));
    // Afternoon hours count to 23; months, minutes and seconds keep their own fields.
    EXPECT_EQ(log_stamp(QDateTime(QDate(2009, 1, 2), QTime(23, 4, 5))),
              QStringLiteral("09年01月02日　23時04分05秒"));
}

TEST_F(LogFile, FirstLineCreatesTheFile) {
    ASSERT_TRUE(append(QStringLiteral("put_data : 43320D")));
    EXPECT_EQ(read(log), log_line(when, QStringLiteral("put_data : 43320D")));
    EXPECT_FALSE(QFile::exists(backup));
}

TEST_F(LogFile, RawRepliesAreWrittenUnchanged) {
    ASSERT_TRUE(append(QStringLiteral("receive_proc : AZ=045 EL=030\r")));
    EXPECT_TRUE(read(log).endsWith("receive_proc : AZ=045 EL=030\r\r\n"));
}

TEST_F(LogFile, JustBelowTheLimitAppends) {
    fill(log, log_rotate_bytes - 1);
    ASSERT_TRUE(append(QStringLiteral("a")));
    EXPECT_FALSE(QFile::exists(backup));
    const QByteArray line = log_line(when, QStringLiteral("a"));
    EXPECT_EQ(QFileInfo(log).size(), log_rotate_bytes - 1 + line.size());

    // Now over the limit: the next line starts a new log.
    ASSERT_TRUE(append(QStringLiteral("b")));
    EXPECT_EQ(QFileInfo(backup).size(), log_rotate_bytes - 1 + line.size());
    EXPECT_EQ(read(log), log_line(when, QStringLiteral("b")));
}

TEST_F(LogFile, AtTheLimitRotatesAndReplacesTheOldBackup) {
    EXPECT_EQ(log_rotate_bytes, 1'000'000);
    fill(log, log_rotate_bytes, 'n');
    fill(backup, 10, 'o');
    ASSERT_TRUE(append(QStringLiteral("first of the new log")));
    EXPECT_EQ(read(backup), QByteArray(log_rotate_bytes, 'n'));
    EXPECT_EQ(read(log), log_line(when, QStringLiteral("first of the new log")));
}

TEST_F(LogFile, UnwritablePlaceNeverThrows) {
    // A folder that does not exist, and a "folder" that is a plain file.
    const QString gone = dir.filePath(QStringLiteral("gone/azelrot.log"));
    fill(dir.filePath(QStringLiteral("plain")), 1);
    const QString under_file = dir.filePath(QStringLiteral("plain/azelrot.log"));
    for (const QString& path : {gone, under_file}) {
        bool written = true;
        EXPECT_NO_THROW(written = append_log_line(path, path + QStringLiteral(".bak"), when,
                                                  QStringLiteral("x")));
        EXPECT_FALSE(written) << path.toStdString();
    }
}

}  // namespace
