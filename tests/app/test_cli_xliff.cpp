// XLIFF on the command line: texts XML readers like to change come back byte for byte into the saved tables, bad
// files change nothing, and a real client (translate-toolkit) reads our files and gives back files we import.
#include "cli_runner.h"
#include "string_table_builder.h"
#include "temp_program_dir.h"

#include "dictionary/QUILL_xliff.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

// German (UTF-8) tables with every kind of text an exchange can spoil.
const rTableSetTexts kTexts = {{
    {{1, QStringLiteral("Iron & <Steel> \"quoted\"")},
     {2, QStringLiteral("<Alias=Player> looks at <Global=QuillCount>.")},
     {5, QString()},
     {6, QString::fromUtf8("Beyond the plane \xF0\x9F\x98\x80\xF0\x9D\x84\x9E")}},
    {{3, QStringLiteral("Line one\r\nline two\r\n\r\n")}, {7, QStringLiteral("  blanks and a tab\t")}},
    {{4, QStringLiteral(" ")}},
}};

QString translated(const QString& source) {
    return source.isEmpty() ? QString() : QStringLiteral("FR\t") + source + QStringLiteral(" \r\n");
}

struct TXliffCli {
    TTempProgramDir dir;
    QString tables;
    TXliffCli() {
        tables =
            writeUtf8TableSet(dir.file(QStringLiteral("in")), QStringLiteral("MyMod"), QStringLiteral("de"), kTexts)[0];
    }
    rCliRun run(const QStringList& steps) const {
        return runCli(QStringList{"--program-dir", dir.path(), "--source", "de", "--dest", "fr", tables} + steps);
    }
    rXliffDocument read(const QString& path) const {
        rXliffDocument d;
        EXPECT_EQ(readXliff(fileBytes(path), d).error, TXliffError::none) << path.toStdString();
        return d;
    }
};

std::vector<QJsonObject> dumpObjects(const QString& out) {
    std::vector<QJsonObject> objects;
    for (const QString& line : out.split('\n', Qt::SkipEmptyParts))
        objects.push_back(QJsonDocument::fromJson(line.toUtf8()).object());
    return objects;
}

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

} // namespace

TEST(CliXliff, TranslationsComeBackByteForByteIntoTheSavedTables) {
    TXliffCli f;
    const QString all = f.dir.file(QStringLiteral("x/all.xlf"));
    rCliRun r = f.run({"--export-xliff", all, "--all"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QByteArray bytes = fileBytes(all);
    EXPECT_FALSE(bytes.contains('\r'));
    EXPECT_TRUE(bytes.contains("Line one&#13;\nline two&#13;\n&#13;\n</source>"));
    EXPECT_TRUE(bytes.contains("&lt;Alias=Player&gt;"));
    rXliffDocument d = f.read(all);
    ASSERT_EQ(d.units.size(), 7u);
    EXPECT_EQ(d.sourceLanguage, QStringLiteral("de"));
    EXPECT_EQ(d.targetLanguage, QStringLiteral("fr"));
    EXPECT_EQ(d.original, QStringLiteral("MyMod_de.strings"));
    QStringList ids;
    for (const rXliffUnit& u : d.units)
        ids << u.id;
    EXPECT_EQ(ids, (QStringList{"STRINGS:1", "STRINGS:2", "STRINGS:5", "STRINGS:6", "DLSTRINGS:3", "DLSTRINGS:7",
                                "ILSTRINGS:4"}));

    // The translator's file: every target filled, the texts' own blanks, tabs and line breaks kept.
    for (rXliffUnit& u : d.units) {
        u.target = translated(u.source);
        u.state = TXliffState::translated;
    }
    const QString back = f.dir.write(QStringLiteral("back.xlf"), writeXliff(d));
    r = f.run({"--import-xliff", back, "--save-as", f.dir.file(QStringLiteral("out/MyMod"))});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("Import XLIFF (6 strings)")) << r.err.toStdString(); // the empty text was translated
    EXPECT_TRUE(r.err.contains("7 units applied, 0 skipped")) << r.err.toStdString();
    for (int list = 0; list < 3; ++list) {
        std::vector<std::pair<uint32_t, QString>> expected;
        for (const auto& [id, text] : kTexts[list])
            expected.emplace_back(id, translated(text));
        EXPECT_EQ(fileBytes(f.dir.file("out/MyMod_fr." + QStringList{"STRINGS", "DLSTRINGS", "ILSTRINGS"}[list])),
                  buildUtf8Table(list, expected))
            << list;
    }

    // Through our own export again: the import's translations with their states.
    const QString again = f.dir.file(QStringLiteral("again.xlf"));
    r = f.run({"--import-xliff", back, "--export-xliff", again, "--dump"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const rXliffDocument exported = f.read(again);
    ASSERT_EQ(exported.units.size(), 7u);
    for (size_t i = 0; i < exported.units.size(); ++i) {
        EXPECT_EQ(exported.units[i].target, d.units[i].target) << i;
        EXPECT_EQ(exported.units[i].state, TXliffState::translated) << i;
    }
    for (const QJsonObject& o : dumpObjects(r.out))
        EXPECT_EQ(o["translation"].toString(), translated(o["source"].toString()));
}

TEST(CliXliff, ChangedSourcesUnknownIdsAndBadFiles) {
    TXliffCli f;
    rXliffDocument d;
    d.sourceLanguage = QStringLiteral("de");
    d.units = {{QStringLiteral("STRINGS:1"), {}, kTexts[0][0].second, QStringLiteral("Fer"), true, TXliffState::final},
               {QStringLiteral("STRINGS:2"),
                {},
                QStringLiteral("an older text"),
                QStringLiteral("Vieux"),
                true,
                TXliffState::translated},
               {QStringLiteral("STRINGS:99"),
                {},
                QStringLiteral("gone"),
                QStringLiteral("Parti"),
                true,
                TXliffState::translated}};
    rCliRun r = f.run({"--import-xliff", f.dir.write(QStringLiteral("mixed.xlf"), writeXliff(d)), "--dump"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("1 strings changed; 1 units applied, 1 skipped because their source text changed, 1 "
                               "with an unknown id"))
        << r.err.toStdString();
    const auto objects = dumpObjects(r.out);
    EXPECT_EQ(objects[0]["translation"].toString(), QStringLiteral("Fer"));
    EXPECT_EQ(objects[0]["status"].toArray().first().toString(), QStringLiteral("validated"));
    EXPECT_NE(objects[1]["translation"].toString(), QStringLiteral("Vieux"));

    const QByteArray bad[] = {
        "this is no XML",
        "<xliff version='2.0' xmlns='urn:oasis:names:tc:xliff:document:2.0'><file id='f'/></xliff>",
        "<xliff version='1.2'><file><body><trans-unit id='STRINGS:1'><source>Iron &amp; &lt;Steel&gt; "
        "\"quoted\"</source><target>Fer</target></trans-unit><trans-unit><source>x</source></trans-unit>"
        "</body></file></xliff>",
    };
    const char* messages[] = {"is not an XML file", "is not an XLIFF 1.2 file", "without an id"};
    for (int i = 0; i < 3; ++i) {
        const QString out = f.dir.file(QStringLiteral("bad%1/MyMod").arg(i));
        r = f.run({"--import-xliff", f.dir.write(QStringLiteral("bad.xlf"), bad[i]), "--save-as", out});
        EXPECT_EQ(r.status, 1) << i;
        EXPECT_TRUE(r.err.contains(QLatin1String(messages[i]))) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains("Nothing was imported.")) << r.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(QFileInfo(out).absolutePath())) << i;
    }
}

TEST(CliXliff, TranslateToolkitReadsOurFilesAndItsRoundTripImports) {
    const QString pocount = tool("pocount"), xliff2po = tool("xliff2po"), po2xliff = tool("po2xliff");
    if (pocount.isEmpty() || xliff2po.isEmpty() || po2xliff.isEmpty())
        GTEST_SKIP() << "translate-toolkit (pocount, xliff2po, po2xliff) is not installed; scripts/setup.sh installs "
                        "it (Debian package translate-toolkit)";
    TXliffCli f;
    // Two translated, one validated, one partial; the rest new.
    rXliffDocument d;
    d.sourceLanguage = QStringLiteral("de");
    const TXliffState states[] = {TXliffState::translated, TXliffState::final, TXliffState::needsReview,
                                  TXliffState::translated};
    const std::pair<int, int> picks[] = {{0, 0}, {0, 1}, {1, 0}, {0, 3}};
    for (int i = 0; i < 4; ++i) {
        const auto& [list, row] = picks[i];
        rXliffUnit u;
        u.id = QStringList{"STRINGS", "DLSTRINGS", "ILSTRINGS"}[list] + ":" + QString::number(kTexts[list][row].first);
        u.source = kTexts[list][row].second;
        u.target = translated(u.source);
        u.hasTarget = true;
        u.state = states[i];
        d.units.push_back(u);
    }
    const QString ours = f.dir.file(QStringLiteral("ours.xlf"));
    rCliRun r = f.run(
        {"--import-xliff", f.dir.write(QStringLiteral("seed.xlf"), writeXliff(d)), "--export-xliff", ours, "--all"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();

    // pocount: translated and validated units are done, a partial one is fuzzy, a new one untranslated.
    const rCliRun count = runTool(pocount, {"--csv", ours});
    ASSERT_EQ(count.status, 0) << count.err.toStdString();
    const QStringList rows = count.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 2) << count.out.toStdString();
    const QStringList names = rows[0].split(',');
    const QStringList cells = rows[1].split(',');
    auto column = [&](const char* name) {
        const qsizetype at = names.indexOf(QLatin1String(" ") + QLatin1String(name));
        return at < 0 || at >= cells.size() ? -1 : cells[at].trimmed().toInt();
    };
    // The single blank was translated by the exact pass (a blank stays a blank), the empty text is not counted.
    EXPECT_EQ(column("Total Message"), 6) << count.out.toStdString();
    EXPECT_EQ(column("Translated Messages"), 4) << count.out.toStdString();
    EXPECT_EQ(column("Fuzzy Messages"), 1) << count.out.toStdString();
    EXPECT_EQ(column("Untranslated Messages"), 1) << count.out.toStdString();

    // XLIFF -> PO -> XLIFF, then into a fresh open of the tables: the ids come back through the PO locations.
    const QString po = f.dir.file(QStringLiteral("ours.po")), back = f.dir.file(QStringLiteral("back.xlf"));
    ASSERT_EQ(runTool(xliff2po, {ours, po}).status, 0);
    ASSERT_EQ(runTool(po2xliff, {po, back}).status, 0);
    r = f.run({"--import-xliff", back, "--dump"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("Import XLIFF (4 strings)")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(", 0 skipped because their source text changed, 0 with an unknown id"))
        << r.err.toStdString();
    for (const QJsonObject& o : dumpObjects(r.out)) {
        const bool picked =
            o["id"].toInt() == 1 || o["id"].toInt() == 2 || o["id"].toInt() == 3 || o["id"].toInt() == 6;
        if (picked) {
            EXPECT_EQ(o["translation"].toString(), translated(o["source"].toString())) << o["id"].toInt();
        }
    }
}
