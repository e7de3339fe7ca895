#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "main_window/ui_language.h"

namespace {

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(60'000) || p.exitCode() != 0) {
        return QStringLiteral("failed: ") + program + u' ' + args.join(u' ') + u'\n' +
               QString::fromUtf8(p.readAll());
    }
    return {};
}

QSet<QString> placeholders(const QString& text) {
    QSet<QString> found;
    static const QRegularExpression arg(QStringLiteral("%\\d+"));
    for (const auto& m : arg.globalMatch(text)) found.insert(m.captured());
    return found;
}

// Every text the sources hold now has its English, and the file holds nothing else: lupdate
// marks a new text "unfinished" and one no longer in the sources "vanished".
TEST(Translations, EverySourceTextIsTranslatedAndNoneIsUnused) {
    QTemporaryDir dir;
    const QString project = dir.filePath(QStringLiteral("project.json"));
    const QString ts = dir.filePath(QStringLiteral("fresh.ts"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(AZELROT_TS_FILE), ts));
    ASSERT_EQ(run(QStringLiteral(AZELROT_CMAKE),
                  {QStringLiteral("-DIN_FILE=" AZELROT_LUPDATE_INPUT), u"-DOUT_FILE="_qs + project,
                   QStringLiteral("-P"), QStringLiteral(AZELROT_LUPDATE_SCRIPT)}),
              QString());
    ASSERT_EQ(run(QStringLiteral(AZELROT_LUPDATE),
                  {QStringLiteral("-project"), project, QStringLiteral("-locations"),
                   QStringLiteral("none"), QStringLiteral("-source-language"), QStringLiteral("ja"),
                   QStringLiteral("-ts"), ts}),
              QString());

    QFile file(ts);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    int messages = 0;
    QString source;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == u"source") source = xml.readElementText();
        if (xml.name() != u"translation") continue;
        ++messages;
        const QString state = xml.attributes().value(QStringLiteral("type")).toString();
        const QString english = xml.readElementText();
        EXPECT_TRUE(state.isEmpty()) << state.toStdString() << ": " << source.toStdString();
        EXPECT_FALSE(english.isEmpty()) << source.toStdString();
        // A lost or extra argument would drop a value or show a bare "%2".
        EXPECT_EQ(placeholders(english), placeholders(source)) << source.toStdString();
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_GT(messages, 0);
}

TEST(UiLanguageRule, SettingWinsThenTheLocaleForMessages) {
    const struct {
        const char* setting;
        const char* locale;
        UiLanguage expected;
    } rows[] = {
        {"", "", UiLanguage::japanese},
        {"", "C", UiLanguage::japanese},
        {"", "POSIX", UiLanguage::japanese},
        {"", "C.UTF-8", UiLanguage::japanese},
        {"", "ja_JP.UTF-8", UiLanguage::japanese},
        {"", "en_US.UTF-8", UiLanguage::english},
        {"", "de_DE", UiLanguage::english},
        {"ja", "en_GB.UTF-8", UiLanguage::japanese},
        {" EN ", "ja_JP.UTF-8", UiLanguage::english},
        {"en", "", UiLanguage::english},
        {"fr", "ja_JP.UTF-8", UiLanguage::japanese},  // neither: the locale decides
    };
    for (const auto& r : rows) {
        EXPECT_EQ(choose_ui_language(QString::fromUtf8(r.setting), QString::fromUtf8(r.locale)),
                  r.expected)
            << r.setting << " / " << r.locale;
    }
}

}  // namespace
