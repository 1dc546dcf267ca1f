// --check and --check-strict: the problems of the sample mod as JSON lines with the counts on standard error, wrong
// check names as wrong usage, and a real checker (translate-toolkit's pofilter) as the anchor: every string it flags
// on the same texts is flagged by Quillery too, except the differences listed with their reason.
#include "cli_runner.h"
#include "string_table_builder.h"
#include "temp_program_dir.h"

#include "dictionary/QUILL_xliff.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <utility>

namespace {

QStringList sampleRun(const TTempProgramDir& dir, const QStringList& steps, rCliRun* run = nullptr) {
    const rCliRun r = runCli(QStringList{"--program-dir", dir.path(), "--source", "en", "--dest", "fr",
                                         QStringLiteral(QUILL_DATA_DIR) + "/samples/QuillerySampleLocalized.esp"} +
                             steps);
    if (run) *run = r;
    return r.out.split('\n', Qt::SkipEmptyParts);
}

} // namespace

TEST(CliChecks, TheSampleModsProblemsAsJsonLinesWithTheCountsOnStandardError) {
    TTempProgramDir dir;
    // Four strings translated with a fault each, one well; the rest left in English.
    const std::pair<const char*, const char*> translated[] = {
        {"1 13", "<font face='$HandwrittenFont'><p align='center'><b>Le Livre des mots</b></p>\r\nChapitre un : chaque "
                 "mot a un poids.\r\n<p align='right'>Chapitre deux : choisissez les plus légers.</p></font>"},
        {"0 1", "Bienvenue à l'atelier  Quillery."},
        {"0 4", "Pistolet\nà encre"},
        {"2 39", "Tu l'as trouvé ! Merci, l'ami"},
        {"0 35", "Du nouveau pour le manuscrit ?"},
    };
    QStringList translations;
    for (const auto& [entry, text] : translated)
        translations << "--translate" << QString::fromUtf8(entry).split(' ') << QString::fromUtf8(text);
    rCliRun r;
    QStringList lines =
        sampleRun(dir, translations + QStringList{"--check", "tags,double-space,end-punctuation,line-breaks"}, &r);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(lines,
              (QStringList{R"({"list":0,"id":1,"check":"double-space","detail":"1 double spaces, the source has 0"})",
                           R"({"list":0,"id":4,"check":"line-breaks","detail":"a line break in WEAP:FULL, which )"
                           R"(holds none"})",
                           R"({"list":1,"id":13,"check":"tags","detail":"[pagebreak] missing"})",
                           R"({"list":2,"id":39,"check":"end-punctuation","detail":"the source ends with \".\", )"
                           R"(the translation with \"i\""})"}));
    EXPECT_TRUE(r.err.contains("\ndouble-space: 1\nend-punctuation: 1\nline-breaks: 1\ntags: 1\n"))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("\n4 problems in 4 strings (0 ignored)\n")) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("untranslated:"));

    // Every enabled check: the strings left in English of two words or more are untranslated, in the order of
    // --dump; the validated ones are not.
    lines = sampleRun(dir, translations + QStringList{"--check"}, &r);
    QStringList dumped = sampleRun(dir, translations + QStringList{"--dump"});
    QStringList expected;
    for (const QString& line : dumped) {
        const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
        if (o["status"].toArray().contains("validated") || !o["source"].toString().contains(' ')) continue;
        expected << QStringLiteral("%1:%2").arg(o["list"].toInt()).arg(o["id"].toInt());
    }
    QStringList untranslated;
    for (const QString& line : lines) {
        const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
        if (o["check"].toString() == "untranslated")
            untranslated << QStringLiteral("%1:%2").arg(o["list"].toInt()).arg(o["id"].toInt());
    }
    EXPECT_EQ(untranslated, expected);
    EXPECT_EQ(lines.size(), expected.size() + 4);
    EXPECT_TRUE(r.err.contains("\nuntranslated: 34\n")) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("repeated-word:")); // off unless turned on

    // --check-strict fails a build script on any problem, and only then.
    sampleRun(dir, translations + QStringList{"--check-strict", "tags"}, &r);
    EXPECT_EQ(r.status, 1);
    sampleRun(dir, translations + QStringList{"--check-strict", "placeholders,numbers", "--dump"}, &r);
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("\"source\"")); // the steps after it ran
}

TEST(CliChecks, AnUnknownCheckNameIsWrongUsageBeforeAnythingOpens) {
    TTempProgramDir dir;
    rCliRun r;
    EXPECT_TRUE(sampleRun(dir, {"--check", "tags,speling"}, &r).isEmpty());
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains("unknown check speling")) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("Opening")) << r.err.toStdString();
    r = runCli({"--program-dir", dir.path(), QStringLiteral(QUILL_DATA_DIR) + "/samples/QuillerySample.esp",
                "--check-strict", "blank", "spelling"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
}

namespace {

QString tool(const char* name) {
    return QStandardPaths::findExecutable(QLatin1String(name));
}

rCliRun runTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(120000);
    return {
        p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError()), {}};
}

// Texts like the sample mod's, each with its translation and the fault planted in it (empty: a good translation).
struct rPlanted {
    int list;
    uint32_t id;
    const char* source;
    const char* translation;
    const char* check;
};

const rPlanted kPlanted[] = {
    {0, 1, "Welcome to the Quillery workshop.", "Bienvenue dans l'atelier Quillery.", ""},
    {0, 2, "Ink Pistol", "Pistolet à encre", ""},
    {0, 3, "Quill Laser Musket", "Quill Laser Musket", "untranslated"},
    {0, 4, "<Alias=Player> found <Global=QSPages> pages.", "<Alias=Player> a trouvé des pages.", "tags"},
    {0, 5, "Fires %d pellets of ink.", "Tire des plombs d'encre.", "placeholders"},
    {0, 6, "Costs 250 caps.", "Coûte 25 capsules.", "numbers"},
    {0, 7, "Speed Reader", " Lecteur rapide", "whitespace"},
    {0, 8, "Bottle of Ink", "Bouteille d'encre ", "whitespace"},
    {0, 9, "Find the lost manuscript", "Trouver le  manuscrit perdu", "double-space"},
    {0, 10, "<Alias=Buyer> pays <Alias=Seller>.", "<Alias=Seller> est payé par <Alias=Buyer>.", ""},
    {0, 11, "100%% done", "100% fait", "placeholders"},
    {0, 12, "%1$s paid %2$d caps", "%2$d capsules payées par %1$s", ""},
    {1, 20, "Fires pellets of quick-drying ink.\r\nMessy, but effective.",
     "Tire des plombs d'encre à séchage rapide. Salissant, mais efficace.", "line-breaks"},
    {1, 21, "Adela lost the manuscript of her new book. I offered to find it.",
     "Adela a perdu le manuscrit de son nouveau livre. J'ai proposé de le retrouver", "end-punctuation"},
    {1, 22, "Ink-stained (and proud of it).", "Taché d'encre (et fier de l'être.", "brackets"},
    {1, 23, "Chapter one.[pagebreak]Chapter two.", "Chapitre un. Chapitre deux.", "tags"},
    {1, 24, "He said \"Go!\"", "Il a dit « Allez ! »", ""},
    {1, 25, "Every key strike lands like a hammer: 3 times.", "Chaque frappe tombe comme un marteau : 3 fois.", ""},
    {2, 30, "Please keep looking, it means everything to me.",
     "Continue de chercher, cela compte compte beaucoup pour moi.", "repeated-word"},
    {2, 31, "You found it! Thank you, friend.", " ", "blank"},
    {2, 32, "Any luck with the manuscript?", "Du nouveau pour le manuscrit ?", ""},
    {2, 33, "<font face='$HandwrittenFont'>Meet me at the printing press at dawn.</font>",
     "<font face='$HandwrittenFont'>Retrouve-moi à la presse à l'aube.</font>", ""},
    {2, 34, "Wait... what?", "Attends… quoi ?", ""},
    {2, 35, "Takes 1.5 hours for 1,000 pages.", "Prend 1,5 heure pour 1 000 pages.", ""},
};

const char* const kListNames[] = {"STRINGS", "DLSTRINGS", "ILSTRINGS"};

QString unitId(int list, uint32_t id) {
    return QStringLiteral("%1:%2").arg(QLatin1String(kListNames[list])).arg(id);
}

} // namespace

TEST(CliChecks, EveryStringPofilterFlagsIsFlaggedByQuilleryToo) {
    const QString xliff2po = tool("xliff2po"), pofilter = tool("pofilter");
    if (xliff2po.isEmpty() || pofilter.isEmpty())
        GTEST_SKIP() << "translate-toolkit (xliff2po, pofilter) is not installed; scripts/setup.sh installs it "
                        "(Debian package translate-toolkit)";
    TTempProgramDir dir;
    rTableSetTexts texts;
    rXliffDocument seed;
    seed.sourceLanguage = QStringLiteral("en");
    seed.targetLanguage = QStringLiteral("fr");
    for (const rPlanted& p : kPlanted) {
        texts[p.list].emplace_back(p.id, QString::fromUtf8(p.source));
        rXliffUnit u;
        u.id = unitId(p.list, p.id);
        u.source = QString::fromUtf8(p.source);
        u.target = QString::fromUtf8(p.translation);
        u.hasTarget = true;
        u.state = TXliffState::translated; // translated, not validated
        seed.units.push_back(u);
    }
    const QString tables = writeUtf8TableSet(dir.file("in"), "Fixture", "en", texts)[0];
    const QString exported = dir.file("out.xlf"), po = dir.file("out.po"), flagged = dir.file("flagged.po");
    const rCliRun r = runCli({"--program-dir", dir.path(), "--source", "en", "--dest", "fr", tables, "--import-xliff",
                              dir.write("seed.xlf", writeXliff(seed)), "--export-xliff", exported, "--all", "--check",
                              "blank,brackets,double-space,end-punctuation,line-breaks,numbers,placeholders,"
                              "repeated-word,tags,untranslated,whitespace"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    QSet<QString> ours; // "STRINGS:4 tags"
    for (const QString& line : r.out.split('\n', Qt::SkipEmptyParts)) {
        const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
        ours << unitId(o["list"].toInt(), static_cast<uint32_t>(o["id"].toInt())) + " " + o["check"].toString();
    }
    // Quillery finds every planted fault, and nothing in the good translations.
    QSet<QString> planted;
    for (const rPlanted& p : kPlanted)
        if (*p.check) planted << unitId(p.list, p.id) + " " + QLatin1String(p.check);
    EXPECT_EQ(ours, planted);

    ASSERT_EQ(runTool(xliff2po, {exported, po}).status, 0);
    const QStringList tests = {"xmltags",  "printf",  "numbers",  "startwhitespace", "endwhitespace", "doublespacing",
                               "newlines", "endpunc", "brackets", "doublewords",     "unchanged",     "blank"};
    QStringList args = {"--language=fr"};
    for (const QString& t : tests)
        args << "-t" << t;
    const rCliRun filter = runTool(pofilter, args + QStringList{po, flagged});
    ASSERT_EQ(filter.status, 0) << filter.err.toStdString();
    const QHash<QString, QString> ourName = {{"xmltags", "tags"},
                                             {"printf", "placeholders"},
                                             {"numbers", "numbers"},
                                             {"startwhitespace", "whitespace"},
                                             {"endwhitespace", "whitespace"},
                                             {"doublespacing", "double-space"},
                                             {"newlines", "line-breaks"},
                                             {"endpunc", "end-punctuation"},
                                             {"brackets", "brackets"},
                                             {"doublewords", "repeated-word"},
                                             {"unchanged", "untranslated"},
                                             {"blank", "blank"}};
    // Where the two checkers differ on purpose:
    // - numbers: pofilter compares the digits as written; Quillery reads them with each language's decimal and
    //   thousands marks, so "1.5" and "1,000" are "1,5" and "1 000" in French.
    // - brackets: a bracket around a game token ("[pagebreak]", "[E]") is markup to Quillery, reported as a tag.
    const QHash<QString, QString> differences = {{"ILSTRINGS:35 numbers", ""}, {"DLSTRINGS:23 brackets", "tags"}};
    // A flagged unit: its "# (pofilter) TEST: message" lines, then its "#: UNIT" location.
    QStringList theirs, pending;
    for (const QString& line : QString::fromUtf8(fileBytes(flagged)).split('\n')) {
        if (line.startsWith("# (pofilter) ")) {
            pending << line.mid(13).section(':', 0, 0);
            continue;
        }
        if (!line.startsWith("#: ")) continue;
        const QString unit = line.mid(3).trimmed();
        for (const QString& test : std::exchange(pending, {})) {
            const QString key = unit + " " + test;
            theirs << key;
            if (differences.contains(key)) {
                const QString instead = differences[key];
                EXPECT_TRUE(instead.isEmpty() || ours.contains(unit + " " + instead)) << key.toStdString();
                continue;
            }
            EXPECT_TRUE(ours.contains(unit + " " + ourName.value(test))) << key.toStdString();
        }
    }
    // The anchor holds only if pofilter did look: it flags most of the planted faults.
    EXPECT_GE(theirs.size(), 12) << theirs.join(", ").toStdString();
}
