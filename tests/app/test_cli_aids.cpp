// The command line's aids steps on a string table set with a one-dictionary vocabulary: --heuristic with the dumped
// scores, --translate with the similar strings, --replace and --batch.
#include "cli_runner.h"
#include "scripted_host.h"
#include "string_table_builder.h"
#include "temp_program_dir.h"

#include "dictionary/QUILL_dictionary.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

std::vector<QJsonObject> dumped(const QString& out) {
    std::vector<QJsonObject> objects;
    for (const QString& line : out.split(QLatin1Char('\n')))
        if (!line.trimmed().isEmpty()) objects.push_back(QJsonDocument::fromJson(line.toUtf8()).object());
    return objects;
}

struct TCliAidsFixture {
    TTempProgramDir dir;
    QString tables;

    TCliAidsFixture() {
        TScriptedHost host;
        TAppContext app(&host);
        tListSet vocabulary;
        vocabulary[0].push_back(std::make_unique<tSkyStr>(QStringLiteral("Open the doors"),
                                                          QStringLiteral("Ouvrir les portes"), 0, 1u, 0,
                                                          sStrParams{sStrParam::validated}));
        dir.write(QStringLiteral("UserDictionary/.keep"), {});
        EXPECT_TRUE(
            quilldict::writeDictionary(app, vocabulary, dir.file(QStringLiteral("UserDictionary/vocab_en_fr.sst"))));
        rTableSetTexts texts;
        texts[0] = {{1, QStringLiteral("Open the door")},
                    {2, QStringLiteral("Open the door")},
                    {3, QStringLiteral("Nothing alike here")}};
        texts[1] = {{4, QStringLiteral("Open the door")}};
        tables = writeUtf8TableSet(dir.file(QStringLiteral("Data/Strings")), QStringLiteral("MyMod"),
                                   QStringLiteral("en"), texts)[0];
    }
    rCliRun run(const QStringList& steps, bool yes = true) {
        QStringList args{QStringLiteral("--program-dir"), dir.path(),
                         yes ? QStringLiteral("--yes") : QStringLiteral("--no"), tables};
        return runQuilleryCli(args + steps);
    }
};

} // namespace

TEST(CliAids, HeuristicScoresAndTranslateWithSimilarStrings) {
    TCliAidsFixture f;
    const rCliRun before = f.run({QStringLiteral("--dump")});
    ASSERT_EQ(before.status, 0) << before.err.toStdString();
    EXPECT_EQ(dumped(before.out)[0].value(QStringLiteral("ld")).toDouble(), 99.0);

    const rCliRun r = f.run({QStringLiteral("--heuristic"), QStringLiteral("--dump")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const auto entries = dumped(r.out);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].value(QStringLiteral("translation")).toString(), QStringLiteral("Ouvrir les portes"));
    EXPECT_EQ(entries[0].value(QStringLiteral("ld")).toDouble(), 1.0);
    EXPECT_EQ(entries[0].value(QStringLiteral("ldfound")).toInt(), 1);
    EXPECT_TRUE(entries[0].value(QStringLiteral("status")).toArray().isEmpty());
    EXPECT_EQ(entries[2].value(QStringLiteral("ld")).toDouble(), 99.0);
    EXPECT_EQ(entries[3].value(QStringLiteral("translation")).toString(), QStringLiteral("Open the door")); // list 1
    EXPECT_TRUE(r.err.contains(QStringLiteral("1 of 3 strings"))) << r.err.toStdString();

    const rCliRun full = f.run({QStringLiteral("--heuristic-full"), QStringLiteral("--dump")});
    ASSERT_EQ(full.status, 0);
    EXPECT_EQ(dumped(full.out)[3].value(QStringLiteral("ld")).toDouble(), 99.0); // no list-1 vocabulary

    // --translate validates; --yes carries the text to the entry with the same source, --no does not.
    const rCliRun yes = f.run({QStringLiteral("--translate"), QStringLiteral("0"), QStringLiteral("1"),
                               QStringLiteral("Ouvrir la porte"), QStringLiteral("--dump")});
    ASSERT_EQ(yes.status, 0) << yes.err.toStdString();
    const auto y = dumped(yes.out);
    EXPECT_EQ(y[1].value(QStringLiteral("translation")).toString(), QStringLiteral("Ouvrir la porte"));
    EXPECT_EQ(y[1].value(QStringLiteral("status")).toArray().first().toString(), QStringLiteral("validated"));
    EXPECT_EQ(y[3].value(QStringLiteral("translation")).toString(), QStringLiteral("Open the door"));
    const rCliRun no = f.run({QStringLiteral("--translate"), QStringLiteral("0"), QStringLiteral("1"),
                              QStringLiteral("Ouvrir la porte"), QStringLiteral("--dump")},
                             false);
    EXPECT_EQ(dumped(no.out)[1].value(QStringLiteral("translation")).toString(), QStringLiteral("Open the door"));

    EXPECT_EQ(
        f.run({QStringLiteral("--translate"), QStringLiteral("0"), QStringLiteral("99"), QStringLiteral("x")}).status,
        1);
    // Its arguments are checked before anything opens or is saved: wrong usage, and no save.
    for (const QStringList& bad :
         {QStringList{QStringLiteral("--translate"), QStringLiteral("5"), QStringLiteral("1"), QStringLiteral("x")},
          QStringList{QStringLiteral("--translate"), QStringLiteral("0"), QStringLiteral("1"),
                      QStringLiteral("--save")},
          QStringList{QStringLiteral("--translate"), QStringLiteral("0"), QStringLiteral("one"),
                      QStringLiteral("x")}}) {
        const rCliRun run = f.run(bad);
        EXPECT_EQ(run.status, 2) << bad.join(QLatin1Char(' ')).toStdString();
        EXPECT_FALSE(run.err.contains(QStringLiteral("Saved"))) << run.err.toStdString();
    }
    EXPECT_EQ(f.run({QStringLiteral("--heuristic"), QStringLiteral("--list"), QStringLiteral("3")}).status, 1);
}

TEST(CliAids, ReplaceAndBatchSteps) {
    TCliAidsFixture f;
    const rCliRun r = f.run({QStringLiteral("--replace"), QStringLiteral("Door"), QStringLiteral("Porte"),
                             QStringLiteral("--select"), QStringLiteral("0"), QStringLiteral("--mode"),
                             QStringLiteral("0"), QStringLiteral("--all-lists"), QStringLiteral("--dump")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const auto entries = dumped(r.out);
    EXPECT_EQ(entries[0].value(QStringLiteral("translation")).toString(), QStringLiteral("Open the Porte"));
    EXPECT_EQ(entries[3].value(QStringLiteral("translation")).toString(), QStringLiteral("Open the Porte"));
    EXPECT_EQ(entries[0].value(QStringLiteral("status")).toArray().first().toString(),
              QStringLiteral("incompleteTrans"));
    EXPECT_EQ(entries[2].value(QStringLiteral("translation")).toString(), QStringLiteral("Nothing alike here"));

    // Mode 1 with the pattern, on list 1 only.
    const rCliRun tagged =
        f.run({QStringLiteral("--replace"), QStringLiteral("door"), QStringLiteral(" TODO "), QStringLiteral("--mode"),
               QStringLiteral("1"), QStringLiteral("--list"), QStringLiteral("1"), QStringLiteral("--pattern"),
               QStringLiteral("%ORIG% [%REPLACE%]"), QStringLiteral("--dump")});
    const auto t = dumped(tagged.out);
    EXPECT_EQ(t[3].value(QStringLiteral("translation")).toString(), QStringLiteral("Open the door [TODO]"));
    EXPECT_EQ(t[0].value(QStringLiteral("translation")).toString(), QStringLiteral("Open the door"));

    const QString batch = f.dir.write(QStringLiteral("batch/mine.txt"),
                                      "\xEF\xBB\xBF# two rules\r\nstartrule\r\nsearch=open\r\nreplace=Ouvrir\r\n"
                                      "endrule\r\nstartrule\r\nsearch=ouvrir the\r\nreplace=Ouvrir la\r\nendrule\r\n");
    const rCliRun b = f.run({QStringLiteral("--batch"), batch, QStringLiteral("--dump")});
    ASSERT_EQ(b.status, 0) << b.err.toStdString();
    EXPECT_EQ(dumped(b.out)[0].value(QStringLiteral("translation")).toString(), QStringLiteral("Ouvrir la door"));
    EXPECT_EQ(f.run({QStringLiteral("--batch"), f.dir.file(QStringLiteral("none.txt"))}).status, 1);
    EXPECT_EQ(f.run({QStringLiteral("--replace"), QStringLiteral("a")}).status, 1);
    EXPECT_EQ(f.run({QStringLiteral("--replace"), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("--mode"),
                     QStringLiteral("x")})
                  .status,
              1);
}
