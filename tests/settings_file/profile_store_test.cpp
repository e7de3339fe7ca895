#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "config/ini_text.h"
#include "platform/profile_store_file.h"

namespace {

const QString error_text = QStringLiteral("ERROR");

class ProfileFile : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("azelrot.ini"));
    platform::ProfileStoreFile store;

    void put(const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QByteArray bytes() const {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QString get(const QString& section, const QString& key) {
        return store.get_private_profile_string(section, key, error_text, 255, path);
    }
    bool write(const QString& section, const QString& key, const QString& value) {
        return store.write_private_profile_string(section, key, value, path);
    }
};

// Root ignores permission bits, so permission cases run in a child with an ordinary user's
// rights when the suite runs as root. Returns what f returned.
bool as_ordinary_user(const std::function<bool()>& f) {
    if (geteuid() != 0) return f();
    const pid_t pid = fork();
    if (pid == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
        _exit(f() ? 1 : 0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) <= 1) << "child could not drop rights";
    return WIFEXITED(status) && WEXITSTATUS(status) == 1;
}

TEST_F(ProfileFile, AnythingMissingGivesTheFallback) {
    EXPECT_EQ(get(QStringLiteral("GS232B"), QStringLiteral("PORT")), error_text);  // no file
    put("[GS232B]\r\nPORT=COM3\r\n");
    EXPECT_EQ(get(QStringLiteral("HOUI"), QStringLiteral("PORT")), error_text);     // no section
    EXPECT_EQ(get(QStringLiteral("GS232B"), QStringLiteral("TIMER")), error_text);  // no key
    EXPECT_EQ(get(QStringLiteral("GS232B"), QStringLiteral("PORT")), QStringLiteral("COM3"));
}

TEST_F(ProfileFile, EmptyValueIsNotMissing) {
    put("[GS232B]\nTIMER=\n");
    EXPECT_EQ(get(QStringLiteral("GS232B"), QStringLiteral("TIMER")), QString());
}

TEST_F(ProfileFile, WriteCreatesFileSectionAndKey) {
    ASSERT_TRUE(write(QStringLiteral("WIN_POSITION"), QStringLiteral("GS232B_TOP_LEFT"),
                      QStringLiteral("4600:6000")));
    ASSERT_TRUE(write(QStringLiteral("EISEI"), QStringLiteral("SAT"), QStringLiteral("1")));
    EXPECT_EQ(get(QStringLiteral("WIN_POSITION"), QStringLiteral("GS232B_TOP_LEFT")),
              QStringLiteral("4600:6000"));
    EXPECT_EQ(get(QStringLiteral("EISEI"), QStringLiteral("SAT")), QStringLiteral("1"));
    const QString text = QString::fromUtf8(bytes());
    EXPECT_LT(text.indexOf(QStringLiteral("[WIN_POSITION]")),
              text.indexOf(QStringLiteral("[EISEI]")));
}

TEST_F(ProfileFile, ReplacesInPlaceAndLeavesEverythingElse) {
    put("; station settings\r\n[GS232B]\r\nPORT=COM1\r\n; keep me\r\nTIMER=1\r\n\r\n[HOUI]\r\n"
        "HKITEN=0\r\n");
    ASSERT_TRUE(write(QStringLiteral("GS232B"), QStringLiteral("PORT"), QStringLiteral("COM4")));
    EXPECT_EQ(
        bytes(),
        QByteArray("; station settings\r\n[GS232B]\r\nPORT=COM4\r\n; keep me\r\nTIMER=1\r\n\r\n"
                   "[HOUI]\r\nHKITEN=0\r\n"));
}

TEST_F(ProfileFile, NewKeyGoesToTheEndOfItsSection) {
    put("[GS232B]\nPORT=COM1\n\n[HOUI]\nHKITEN=0\n");
    ASSERT_TRUE(write(QStringLiteral("GS232B"), QStringLiteral("PICNIC"), QStringLiteral("1")));
    EXPECT_EQ(bytes(), QByteArray("[GS232B]\nPORT=COM1\nPICNIC=1\n\n[HOUI]\nHKITEN=0\n"));
}

TEST_F(ProfileFile, NamesMatchWhateverTheirCase) {
    put("[GS232B]\r\nPort=COM1\r\n");
    EXPECT_EQ(get(QStringLiteral("gs232b"), QStringLiteral("PORT")), QStringLiteral("COM1"));
    ASSERT_TRUE(write(QStringLiteral("Gs232B"), QStringLiteral("port"), QStringLiteral("COM2")));
    EXPECT_EQ(bytes(), QByteArray("[GS232B]\r\nport=COM2\r\n"));
}

TEST_F(ProfileFile, LineEndsOfEitherKindReadAlike) {
    for (const QByteArray& content :
         {QByteArray("[TCP/IP]\nIP=10.0.0.1\n[GS232B]\nPORT=COM2\n"),
          QByteArray("[TCP/IP]\r\nIP=10.0.0.1\r\n[GS232B]\r\nPORT=COM2\r\n"),
          QByteArray("[TCP/IP]\r\nIP=10.0.0.1\n[GS232B]\r\nPORT=COM2")}) {
        put(content);
        EXPECT_EQ(get(QStringLiteral("TCP/IP"), QStringLiteral("IP")), QStringLiteral("10.0.0.1"));
        EXPECT_EQ(get(QStringLiteral("GS232B"), QStringLiteral("PORT")), QStringLiteral("COM2"))
            << content.toStdString();
    }
}

TEST_F(ProfileFile, ByteOrderMarkDoesNotHideTheFirstSection) {
    put("\xEF\xBB\xBF[GS232B]\r\nPORT=COM5\r\n");
    EXPECT_EQ(get(QStringLiteral("GS232B"), QStringLiteral("PORT")), QStringLiteral("COM5"));
    ASSERT_TRUE(write(QStringLiteral("GS232B"), QStringLiteral("PORT"), QStringLiteral("COM6")));
    EXPECT_EQ(get(QStringLiteral("GS232B"), QStringLiteral("PORT")), QStringLiteral("COM6"));
    EXPECT_EQ(bytes().count("[GS232B]"), 1) << "the section is found, not added again";
}

TEST_F(ProfileFile, BytesOfOtherLinesSurviveAWrite) {
    // A Shift-JIS comment, a Latin-1 value elsewhere, a byte order mark, a lone CR inside a
    // line, mixed line ends and no line end at the last line.
    const QByteArray before(
        "\xEF\xBB\xBF; \x90\xDD\x92\xE8\x83t\x83@\x83"
        "C\x83\x8B\r\n"
        "[HOUI]\r\nHKITEN=0\r\nNAME=Caf\xE9\rx\n[GS232B]\r\nPORT=COM1\r\n"
        "TIMER=1");
    put(before);
    EXPECT_EQ(get(QStringLiteral("GS232B"), QStringLiteral("TIMER")), QStringLiteral("1"));
    ASSERT_TRUE(write(QStringLiteral("GS232B"), QStringLiteral("PORT"), QStringLiteral("COM2")));
    ASSERT_TRUE(write(QStringLiteral("GS232B"), QStringLiteral("IP"), QStringLiteral("x")));
    ASSERT_TRUE(write(QStringLiteral("EISEI"), QStringLiteral("SAT"), QStringLiteral("1")));
    QByteArray expected = before;
    expected.replace("PORT=COM1", "PORT=COM2");
    expected += "\r\nIP=x\r\n[EISEI]\r\nSAT=1\r\n";
    EXPECT_EQ(bytes().toHex(' ').toStdString(), expected.toHex(' ').toStdString());
}

struct RefusedFileRow {
    const char* name;
    std::function<void(const QString& path)> make;
    platform::ProfileRefusal refusal;
};

class RefusedFile : public ProfileFile, public ::testing::WithParamInterface<RefusedFileRow> {};

TEST_P(RefusedFile, IsNeitherReadNorWritten) {
    const auto& row = GetParam();
    row.make(path);
    struct stat before {};
    ASSERT_EQ(::lstat(QFile::encodeName(path).constData(), &before), 0);
    EXPECT_EQ(store.refusal(path), row.refusal);
    const bool refused = row.refusal != platform::ProfileRefusal::none;
    EXPECT_EQ(get(QStringLiteral("GS232B"), QStringLiteral("PORT")),
              refused ? error_text : QStringLiteral("COM3"));
    EXPECT_EQ(write(QStringLiteral("GS232B"), QStringLiteral("PORT"), QStringLiteral("COM4")),
              !refused);
    struct stat after {};
    ASSERT_EQ(::lstat(QFile::encodeName(path).constData(), &after), 0);
    if (refused) {
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_size, before.st_size);
        EXPECT_EQ(after.st_mtime, before.st_mtime);
    }
}

// A settings file padded with comments to a given size.
void padded_file(const QString& path, qint64 size) {
    QByteArray content("[GS232B]\nPORT=COM3\n");
    content += ';' + QByteArray(size - content.size() - 2, 'x') + '\n';
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedFile,
    ::testing::Values(
        RefusedFileRow{"AtTheLimit", [](const QString& p) { padded_file(p, 1024 * 1024); },
                       platform::ProfileRefusal::none},
        RefusedFileRow{"OverTheLimit", [](const QString& p) { padded_file(p, 1024 * 1024 + 1); },
                       platform::ProfileRefusal::too_large},
        RefusedFileRow{"Pipe",
                       [](const QString& p) {
                           ASSERT_EQ(::mkfifo(QFile::encodeName(p).constData(), 0600), 0);
                       },
                       platform::ProfileRefusal::not_a_file},
        RefusedFileRow{"LinkToADevice",
                       [](const QString& p) { ASSERT_TRUE(QFile::link("/dev/zero", p)); },
                       platform::ProfileRefusal::not_a_file},
        RefusedFileRow{"Folder", [](const QString& p) { ASSERT_TRUE(QDir().mkdir(p)); },
                       platform::ProfileRefusal::not_a_file}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProfileFile, LongValuesAreCutTo254Characters) {
    const QString value(300, u'x');
    ASSERT_TRUE(write(QStringLiteral("S"), QStringLiteral("K"), value));
    EXPECT_EQ(get(QStringLiteral("S"), QStringLiteral("K")), QString(254, u'x'));
}

TEST_F(ProfileFile, JapaneseValuesSurvive) {
    ASSERT_TRUE(
        write(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("ＡＺＥＬＲＯＴ設定")));
    EXPECT_EQ(get(QStringLiteral("S"), QStringLiteral("K")), QStringLiteral("ＡＺＥＬＲＯＴ設定"));
}

struct RefusedRow {
    const char* what;
    QString section;
    QString key;
    QString value;
};

class RefusedWrite : public ProfileFile, public ::testing::WithParamInterface<RefusedRow> {};

TEST_P(RefusedWrite, ReturnsFalseAndLeavesTheFileAlone) {
    const auto& row = GetParam();
    put("[GS232B]\r\nPORT=COM1\r\n");
    EXPECT_FALSE(write(row.section, row.key, row.value)) << row.what;
    EXPECT_EQ(bytes(), QByteArray("[GS232B]\r\nPORT=COM1\r\n")) << row.what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedWrite,
    ::testing::Values(
        RefusedRow{"LF in value", QStringLiteral("GS232B"), QStringLiteral("PORT"),
                   QStringLiteral("COM1\n[HOUI]")},
        RefusedRow{"CR in value", QStringLiteral("GS232B"), QStringLiteral("PORT"),
                   QStringLiteral("COM1\rX=1")},
        RefusedRow{"CR LF in key", QStringLiteral("GS232B"), QStringLiteral("PO\r\nRT"),
                   QStringLiteral("1")},
        RefusedRow{"LF in section", QStringLiteral("GS\n232B"), QStringLiteral("PORT"),
                   QStringLiteral("1")},
        RefusedRow{"= in key", QStringLiteral("GS232B"), QStringLiteral("A=B"),
                   QStringLiteral("1")},
        RefusedRow{"key read back as a comment", QStringLiteral("GS232B"), QStringLiteral(";PORT"),
                   QStringLiteral("1")},
        RefusedRow{"] in section", QStringLiteral("A]B"), QStringLiteral("K"), QStringLiteral("1")},
        RefusedRow{"empty key", QStringLiteral("GS232B"), QString(), QStringLiteral("1")},
        RefusedRow{"blank section", QStringLiteral(" "), QStringLiteral("K"),
                   QStringLiteral("1")}));

TEST_F(ProfileFile, WriteReplacesTheFileByRename) {
    put("[GS232B]\nPORT=COM1\n");
    struct stat before {};
    struct stat after {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &before), 0);
    ASSERT_TRUE(write(QStringLiteral("GS232B"), QStringLiteral("PORT"), QStringLiteral("COM2")));
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &after), 0);
    // A new file took the old one's name: a reader never sees a half-written file.
    EXPECT_NE(before.st_ino, after.st_ino);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files) ==
                QStringList{QStringLiteral("azelrot.ini")})
        << "no temporary file left behind";
}

TEST_F(ProfileFile, WritableFileInReadOnlyFolderIsWrittenInPlace) {
    put("[GS232B]\nPORT=COM1\n");
    ::chmod(QFile::encodeName(path).constData(), 0666);
    ::chmod(QFile::encodeName(dir.path()).constData(), 0555);
    const bool written = as_ordinary_user([&] {
        return write(QStringLiteral("GS232B"), QStringLiteral("PORT"), QStringLiteral("COM2"));
    });
    ::chmod(QFile::encodeName(dir.path()).constData(), 0700);
    EXPECT_TRUE(written);
    EXPECT_EQ(bytes(), QByteArray("[GS232B]\nPORT=COM2\n"));
}

TEST_F(ProfileFile, ReadOnlyFileIsNotReplaced) {
    put("[GS232B]\nPORT=COM1\n");
    ::chmod(QFile::encodeName(dir.path()).constData(), 0777);
    ::chmod(QFile::encodeName(path).constData(), 0444);
    const bool written = as_ordinary_user([&] {
        return write(QStringLiteral("GS232B"), QStringLiteral("PORT"), QStringLiteral("COM2"));
    });
    ::chmod(QFile::encodeName(dir.path()).constData(), 0700);
    EXPECT_FALSE(written);
    EXPECT_EQ(bytes(), QByteArray("[GS232B]\nPORT=COM1\n"));
}

TEST_F(ProfileFile, MissingFolderFailsQuietly) {
    const QString elsewhere = dir.filePath(QStringLiteral("gone/azelrot.ini"));
    EXPECT_FALSE(store.write_private_profile_string(QStringLiteral("S"), QStringLiteral("K"),
                                                    QStringLiteral("1"), elsewhere));
    EXPECT_EQ(store.get_private_profile_string(QStringLiteral("S"), QStringLiteral("K"), error_text,
                                               255, elsewhere),
              error_text);
}

struct LookupRow {
    const char* content;
    const char* value;  // nullptr: not found
};

class IniLookup : public ::testing::TestWithParam<LookupRow> {};

TEST_P(IniLookup, FindsGs232bPort) {
    const auto& row = GetParam();
    const auto value =
        ini_lookup(QByteArray(row.content), QStringLiteral("GS232B"), QStringLiteral("PORT"));
    if (row.value == nullptr) {
        EXPECT_FALSE(value.has_value()) << row.content;
    } else {
        ASSERT_TRUE(value.has_value()) << row.content;
        EXPECT_EQ(*value, QString::fromUtf8(row.value)) << row.content;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, IniLookup,
    ::testing::Values(LookupRow{"[GS232B]\nPORT=COM1\n", "COM1"},
                      LookupRow{" [ GS232B ] \n  PORT  =  COM2  \n", "COM2"},
                      LookupRow{"[GS232B]\nPORT=\"COM3\"\n", "COM3"},
                      LookupRow{"[GS232B]\n;PORT=COM4\n", nullptr},
                      LookupRow{"PORT=COM5\n[GS232B]\n", nullptr},
                      LookupRow{"[HOUI]\nPORT=COM6\n", nullptr},
                      LookupRow{"[GS232B]\nPORT=COM7\nPORT=COM8\n", "COM7"},
                      LookupRow{"[GS232B]\nTIMER=1\n[HOUI]\nHKITEN=0\n[GS232B]\nPORT=COM9\n",
                                "COM9"},
                      LookupRow{"[GS232B]\nPORT=a=b\n", "a=b"}, LookupRow{"", nullptr}));

}  // namespace
