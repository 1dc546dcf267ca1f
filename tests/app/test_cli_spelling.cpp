// The command line's --unknown-words step: one line a word (count, tab, word), most frequent first, the vocabulary's
// terms and the sources' names left out; a missing dictionary is reported without failing.
#include "cli_runner.h"
#include "scripted_host.h"
#include "string_table_builder.h"
#include "temp_program_dir.h"

#include "dictionary/QUILL_dictionary.h"

#include <gtest/gtest.h>

namespace {

struct TCliSpellingFixture {
    TTempProgramDir dir;
    QString tables;

    TCliSpellingFixture() {
        TScriptedHost host;
        TAppContext app(&host);
        tListSet vocabulary;
        vocabulary[0].push_back(std::make_unique<tSkyStr>(QStringLiteral("Stimpak"), QStringLiteral("Stimpak"), 0, 1u,
                                                          0, sStrParams{sStrParam::validated}));
        dir.write(QStringLiteral("UserDictionary/.keep"), {});
        EXPECT_TRUE(
            quilldict::writeDictionary(app, vocabulary, dir.file(QStringLiteral("UserDictionary/vocab_en_fr.sst"))));
        rTableSetTexts texts;
        texts[0] = {{1, QStringLiteral("The library")},
                    {2, QStringLiteral("Take the Stimpak to the library")},
                    {3, QStringLiteral("Preston's library")}};
        tables = writeUtf8TableSet(dir.file(QStringLiteral("Data/Strings")), QStringLiteral("MyMod"),
                                   QStringLiteral("en"), texts)[0];
    }
    rCliRun run(const QString& dest) {
        return runQuilleryCli({"--program-dir", dir.path(), "--dest", dest, tables, "--translate", "0", "1",
                               "La bibliotheque", "--translate", "0", "2",
                               "Prenez le Stimpak, la bibliotheque, le livvre", "--translate", "0", "3",
                               "La bibliotheque de Preston", "--unknown-words"});
    }
};

} // namespace

TEST(CliSpelling, UnknownWordsCountTabWordMostFrequentFirst) {
    TCliSpellingFixture f;
    const rCliRun r = f.run(QStringLiteral("fr"));
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("3\tbibliotheque\n1\tlivvre\n"));
    EXPECT_TRUE(r.err.contains(QStringLiteral("fr_FR")));
}

TEST(CliSpelling, MissingDictionaryIsReportedWithoutFailing) {
    TCliSpellingFixture f;
    const rCliRun r = f.run(QStringLiteral("ptbr"));
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains(QStringLiteral("pt_BR"))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("dictionaries"))) << r.err.toStdString();
}
