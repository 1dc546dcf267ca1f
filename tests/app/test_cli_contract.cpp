// What a script meets on the command line: help on standard output, wrong usage refused before anything is read,
// saves that ask only before replacing a file, file names as the game loads them, counts in the log, and messages
// that read as sentences.
#include "cli_runner.h"
#include "plugin_samples.h"
#include "string_table_builder.h"
#include "temp_program_dir.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

struct TCliSamples {
    TTempProgramDir dir;
    QString plain, localized;
    TCliSamples() {
        const QString folder = dir.file(QStringLiteral("Samples"));
        writePluginSamples(folder);
        plain = QDir(folder).filePath(QStringLiteral("QuillerySample.esp"));
        localized = QDir(folder).filePath(QStringLiteral("QuillerySampleLocalized.esp"));
    }
    rCliRun run(QStringList args) const { return runCli(QStringList{"--program-dir", dir.path()} + args); }
};

} // namespace

TEST(CliContract, HelpGoesToStandardOutput) {
    for (const char* option : {"--help", "-h"}) {
        const rCliRun r = runCli({option});
        EXPECT_EQ(r.status, 0) << option;
        EXPECT_TRUE(r.out.startsWith("usage: quillery-cli")) << option;
        EXPECT_TRUE(r.out.contains("--export-xliff")) << option;
        EXPECT_TRUE(r.err.isEmpty()) << option;
    }
    // Wrong usage prints no help on standard output, only the reason on standard error.
    const rCliRun wrong = runCli({"--bogus"});
    EXPECT_EQ(wrong.status, 2);
    EXPECT_TRUE(wrong.out.isEmpty());
    EXPECT_TRUE(wrong.err.contains("--bogus"));
}

TEST(CliContract, WrongUsageIsRefusedBeforeAnythingIsOpenedNamingTheArgument) {
    TCliSamples s;
    // The file does not even exist: usage is checked first (status 2, not 1), and the message names the culprit.
    const QString missing = s.dir.file(QStringLiteral("nosuch.esp"));
    struct rCase {
        QStringList args;
        const char* named;
    };
    const rCase cases[] = {
        {{missing, "--import-xml"}, "--import-xml"},
        {{missing, "--apply-dictionary", "mine", "--filter", "9"}, "--filter"},
        {{missing, "--apply-dictionary", "mine", "--filter"}, "--filter"},
        {{missing, "--apply-dictionary", "mine", "--mode", "x"}, "--mode"},
        {{missing, "--apply-dictionary"}, "--apply-dictionary"},
        {{missing, "--dump", "extra"}, "--dump"},
        {{missing, "--export-xliff", "a.xlf", "--everything"}, "--everything"},
        {{missing, "--save-as"}, "--save-as"},
        {{missing, "--dump", "--no-such-step"}, "--no-such-step"},
        {{"--source", "xx", s.plain, "--dump"}, "xx"},
        {{"--dest", "klingon", s.plain, "--dump"}, "klingon"},
        {{s.plain, "--source"}, "--source"},
        {{"--source"}, "--source"},
        {{"--dump", s.plain}, "--dump"},
    };
    for (const rCase& c : cases) {
        const rCliRun r = s.run(c.args);
        EXPECT_EQ(r.status, 2) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QLatin1String(c.named))) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << c.args.join(' ').toStdString();
    }
    // Options in any order after their step, a known language in any case.
    const QString xlf = s.dir.file(QStringLiteral("x/all.xlf"));
    const rCliRun ok = s.run({"--source", "EN", s.plain, "--export-xliff", "--all", xlf, "--dump"});
    EXPECT_EQ(ok.status, 0) << ok.err.toStdString();
    EXPECT_TRUE(QFile::exists(xlf));
    EXPECT_FALSE(ok.out.isEmpty());
}

TEST(CliContract, DumpNamesTheRecordBySignature) {
    TCliSamples s;
    const rCliRun r = s.run({s.plain, "--dump"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject first = QJsonDocument::fromJson(r.out.section('\n', 0, 0).toUtf8()).object();
    EXPECT_EQ(first.value("rec").toString(), QStringLiteral("GMST"));
    EXPECT_EQ(first.value("formid").toString(), QStringLiteral("01000800"));
    for (const QString& line : r.out.split('\n', Qt::SkipEmptyParts))
        EXPECT_EQ(QJsonDocument::fromJson(line.toUtf8()).object().value("rec").toString().size(), 4)
            << line.toStdString();
}

TEST(CliContract, SavesAskOnlyBeforeReplacingAFile) {
    TCliSamples s;
    // Into a folder that does not exist yet, without --yes: nothing to replace, nothing asked.
    const QString copy = s.dir.file(QStringLiteral("Out/new/QuillerySample.esp"));
    rCliRun r = s.run({s.plain, "--save-as", copy});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(fileBytes(copy), fileBytes(s.plain));
    // The same again would replace it: refused without --yes, done with it.
    QFile::remove(copy);
    s.dir.write(QStringLiteral("Out/new/QuillerySample.esp"), "keep me");
    r = s.run({s.plain, "--save-as", copy});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(fileBytes(copy), "keep me");
    r = s.run({"--yes", s.plain, "--save-as", copy});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(fileBytes(copy), fileBytes(s.plain));

    // A localized plugin's first --save writes its tables without a question.
    r = s.run({"--dest", "de", s.localized, "--save"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QString strings = QFileInfo(s.localized).absolutePath() + "/strings/";
    EXPECT_TRUE(QFile::exists(strings + "QuillerySampleLocalized_de.STRINGS"));
    EXPECT_EQ(s.run({"--dest", "de", s.localized, "--save"}).status, 1);
}

TEST(CliContract, SaveAsOfALocalizedPluginDropsThePluginExtension) {
    TCliSamples s;
    for (const char* name : {"Mod.esp", "Mod.ESM", "Mod.esl", "Mod.strings", "Mod"}) {
        const QString folder = s.dir.file(QStringLiteral("out-") + QString::fromLatin1(name).toLower());
        const rCliRun r = s.run({s.localized, "--save-as", folder + "/" + name});
        ASSERT_EQ(r.status, 0) << name << r.err.toStdString();
        const QStringList written = QDir(folder).entryList(QDir::Files, QDir::Name);
        EXPECT_EQ(written, (QStringList{"Mod_fr.DLSTRINGS", "Mod_fr.ILSTRINGS", "Mod_fr.STRINGS"})) << name;
    }
}

TEST(CliContract, StepsThatChangeEntriesSayHowMany) {
    TCliSamples s;
    const QString xml = s.dir.write(
        QStringLiteral("one.xml"),
        "<SSTXMLRessources><Params><Addon>QuillerySample.esp</Addon><Source>en</Source><Dest>fr</Dest></Params>"
        "<Content><String List=\"0\"><EDID>QS_LaserMusket</EDID><REC>WEAP:FULL</REC><Source>Quill Laser Musket"
        "</Source><Dest>Mousquet laser</Dest></String></Content></SSTXMLRessources>");
    rCliRun r = s.run({s.plain, "--import-xml", xml, "--import-xml", xml});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("Import XML (1 string)")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("--import-xml changed no string.")) << r.err.toStdString();
}

TEST(CliContract, MessagesReadAsSentencesAndAPlainTextFileIsNoMenuFile) {
    TCliSamples s;
    const QString missing = s.dir.file(QStringLiteral("nosuch.esp"));
    rCliRun r = s.run({missing});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.trimmed(), QStringLiteral("The file %1 was not found.").arg(missing));

    r = s.run({s.dir.file(QStringLiteral("codepage.txt")), "--dump"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains("it is not a menu translation file")) << r.err.toStdString();
    // A real menu file still opens.
    const QString menu =
        s.dir.write(QStringLiteral("Interface/Translations/MyMod_en.txt"),
                    QByteArray("\xFF\xFE", 2) + QByteArray(reinterpret_cast<const char*>(u"$Key\tHello\r\n"), 24));
    r = s.run({menu, "--dump"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("\"key\":\"$Key\""));
}
