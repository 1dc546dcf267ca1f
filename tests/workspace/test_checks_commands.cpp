// The quality checks as workspace commands: a run over the lists in their order, the re-check of the entries a
// command changed (and of the entries sharing their source), the edit dialog's check of a typed text, the switches,
// and ignored problems kept beside the dictionary across a save and a reopen.
#include "core/QUILL_startup.h"
#include "support/plugin_samples.h"
#include "support/scripted_host.h"
#include "support/temp_program_dir.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsChecks.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

using quillcheck::TCheck;
using quillcheck::TCheckSet;

struct TChecksFixture {
    TTempProgramDir dir;
    TScriptedHost host;
    TWorkspace ws{&host};

    TChecksFixture() {
        startApplication(ws.app, dir.path());
        ws.state().SourceLang = QStringLiteral("en");
        ws.state().DestLang = QStringLiteral("fr");
    }
    tSkyStr* add(int list, uint32_t id, const char* source, const char* translation) {
        ws.loadedLists[list].push_back(std::make_unique<tSkyStr>(
            QString::fromUtf8(source), QString::fromUtf8(translation), list, id, 0, sStrParams{sStrParam::translated}));
        return ws.loadedLists[list].back().get();
    }
    QStringList problemLines(bool withIgnored = false) const {
        QStringList lines;
        for (const rEntryProblem& p : allProblems(ws, withIgnored))
            lines << QStringLiteral("%1:%2 %3%4")
                         .arg(p.entry->listIndex)
                         .arg(p.entry->id)
                         .arg(quillcheck::checkName(p.problem.check), p.problem.ignored ? " (ignored)" : "");
        return lines;
    }
};

} // namespace

TEST(ChecksCommands, ARunListsProblemsInListOrderThenByCheckAndReChecksWhatChanged) {
    TChecksFixture f;
    tSkyStr* gun = f.add(1, 9, "Ink Pistol", "Pistolet d'encre");
    f.add(0, 5, "Fires %d pellets.", "Tire des plombs");
    tSkyStr* other = f.add(0, 2, "Ink Pistol", "Pistolet à encre");
    f.add(0, 7, "Ink Pistol", "Ink Pistol"); // not translated: no part in the agreement
    EXPECT_EQ(runEnabledChecks(f.ws), 5);
    EXPECT_EQ(f.problemLines(), (QStringList{"0:5 end-punctuation", "0:5 placeholders", "0:2 inconsistent",
                                             "0:7 untranslated", "1:9 inconsistent"}));
    EXPECT_EQ(problemCounts(f.ws)[static_cast<size_t>(TCheck::inconsistent)], 2);
    EXPECT_EQ(problemText(f.ws.app, problemsOf(f.ws, *other).front()),
              QStringLiteral("also translated as \"Pistolet d'encre\" (1:9)"));

    // A command changed one translation: it and the entries of its source are checked again, nothing else.
    gun->setSTrans(QStringLiteral("Pistolet à encre"));
    const QList<tSkyStr*> rechecked = recheckEntries(f.ws, {gun});
    EXPECT_EQ(rechecked.size(), 3);
    EXPECT_TRUE(rechecked.contains(other));
    EXPECT_EQ(f.problemLines(), (QStringList{"0:5 end-punctuation", "0:5 placeholders", "0:7 untranslated"}));

    // The edit dialog's text being typed, against the document as it stands.
    const std::vector<quillcheck::rProblem> typed =
        problemsOfText(f.ws, *gun, QStringLiteral("Pistolet  d'encre"), false);
    ASSERT_EQ(typed.size(), 2u);
    EXPECT_EQ(typed[0].check, TCheck::doubleSpace);
    EXPECT_EQ(typed[1].check, TCheck::inconsistent);

    // Only the named checks run; the switches decide what runs without names.
    EXPECT_EQ(runChecks(f.ws, TCheckSet{TCheck::placeholders}), 1);
    EXPECT_TRUE(problemsOf(f.ws, *other).empty());
    setCheckEnabled(f.ws.state(), TCheck::untranslated, false);
    EXPECT_FALSE(enabledChecks(f.ws.state()).has(TCheck::untranslated));
    EXPECT_FALSE(enabledChecks(f.ws.state()).has(TCheck::repeatedWord));
    EXPECT_EQ(runEnabledChecks(f.ws), 2);

    // Entries about to be freed are forgotten with the lists.
    f.ws.clearLoadedLists();
    EXPECT_TRUE(allProblems(f.ws).empty());
    EXPECT_TRUE(recheckEntries(f.ws, {}).isEmpty());
}

TEST(ChecksCommands, IgnoredProblemsAreKeptBesideTheDictionaryAcrossASaveAndAReopen) {
    TChecksFixture f;
    f.ws.state().quillexpertMode = true;
    writePluginSamples(f.dir.file(QStringLiteral("Data")));
    const QString plugin = f.dir.file(QStringLiteral("Data/QuillerySample.esp"));
    ASSERT_TRUE(f.ws.openFileByKind(plugin));
    tSkyStr* welcome = f.ws.loadedLists[0][0].get();
    ASSERT_EQ(welcome->gS, QStringLiteral("Welcome to the Quillery workshop."));
    ASSERT_TRUE(
        f.ws.storeTranslation(welcome, QStringLiteral("Bienvenue à l'atelier Quillery"), {sStrParam::validated}, {}));
    runEnabledChecks(f.ws);
    EXPECT_TRUE(f.problemLines().contains("0:1 end-punctuation"));

    ASSERT_TRUE(setProblemIgnored(f.ws, *welcome, TCheck::endPunctuation, true));
    EXPECT_FALSE(setProblemIgnored(f.ws, *welcome, TCheck::endPunctuation, true));
    EXPECT_FALSE(f.problemLines().contains("0:1 end-punctuation"));
    EXPECT_TRUE(f.problemLines(true).contains("0:1 end-punctuation (ignored)"));
    EXPECT_EQ(ignoredProblemCount(f.ws), 1);
    EXPECT_TRUE(f.ws.hasUnsavedWork());

    ASSERT_TRUE(f.ws.saveDocumentDictionary());
    const QString file = ignoredProblemsPath(f.ws);
    EXPECT_TRUE(file.endsWith(QStringLiteral("UserDictionary/quillerysample_en_fr.checks"))) << file.toStdString();
    const QByteArray written = fileBytes(file);
    EXPECT_TRUE(written.contains("L0:01000800:DATA:0\tend-punctuation\t")) << written.toStdString();
    // A line of an entry the document does not hold now (an older version's) is kept as it is.
    const QByteArray foreign = "L0:0100ffff:FULL:0\ttags\t12345678\n";
    QFile(file).remove();
    f.dir.write(QStringLiteral("UserDictionary/quillerysample_en_fr.checks"), written + foreign);

    // Reopened: the dictionary brings the translation back and the ignore file the ignored problem.
    ASSERT_TRUE(f.ws.openFileByKind(plugin));
    welcome = f.ws.loadedLists[0][0].get();
    EXPECT_EQ(welcome->gTrans, QStringLiteral("Bienvenue à l'atelier Quillery"));
    EXPECT_TRUE(isProblemIgnored(f.ws, *welcome, TCheck::endPunctuation));
    runEnabledChecks(f.ws);
    EXPECT_TRUE(f.problemLines(true).contains("0:1 end-punctuation (ignored)"));
    EXPECT_FALSE(f.ws.hasUnsavedWork());

    // Taken back: saved with the work, the foreign line stays.
    ASSERT_TRUE(setProblemIgnored(f.ws, *welcome, TCheck::endPunctuation, false));
    EXPECT_TRUE(f.problemLines().contains("0:1 end-punctuation"));
    ASSERT_TRUE(saveIgnoredProblems(f.ws));
    EXPECT_EQ(fileBytes(file).split('\n').mid(2).join('\n'), foreign);

    // A line whose source changed since is dropped (the check looks at the new text); with nothing left to keep,
    // the next save leaves no file.
    QFile(file).remove();
    f.dir.write(QStringLiteral("UserDictionary/quillerysample_en_fr.checks"),
                "L0:01000800:DATA:0\tend-punctuation\tdeadbeef\n");
    loadIgnoredProblems(f.ws);
    EXPECT_FALSE(isProblemIgnored(f.ws, *welcome, TCheck::endPunctuation));
    ASSERT_TRUE(saveIgnoredProblems(f.ws));
    EXPECT_FALSE(QFile::exists(file));
}
