// The quality checks as workspace commands: a run over the lists in their order, the re-check of the entries a
// command changed (and of the entries sharing their source), the edit dialog's check of a typed text, the switches,
// and ignored problems kept beside the dictionary across a save and a reopen.
#include "core/QUILL_startup.h"
#include "support/plugin_samples.h"
#include "support/scripted_host.h"
#include "support/temp_program_dir.h"
#include "workspace/QUILL_listRules.h"
#include "workspace/QUILL_problemTable.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsChecks.h"

#include <QFile>
#include <gtest/gtest.h>
#include <unordered_set>

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
    // The figures kept as problems change agree with a count over every problem.
    void expectFiguresAgree() const {
        std::array<int, quillcheck::kCheckCount> open{};
        std::unordered_set<const tSkyStr*> strings;
        int ignored = 0;
        for (const rEntryProblem& p : allProblems(ws, true)) {
            if (p.problem.ignored) {
                ++ignored;
                continue;
            }
            ++open[static_cast<size_t>(p.problem.check)];
            strings.insert(p.entry);
        }
        EXPECT_EQ(problemCounts(ws), open);
        EXPECT_EQ(problemStringCount(ws), static_cast<int>(strings.size()));
        EXPECT_EQ(ignoredProblemCount(ws), ignored);
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
    tSkyStr* knife = f.add(2, 3, "Combat Knife", "Couteau de guerre");
    // The game's own translation of a term, from a cache of the vocabulary (the translator's dictionaries are not).
    tSkyFolder cache(QStringLiteral("fallout4"), {});
    f.ws.vocabularyLists[2].push_back(std::make_unique<tSkyStr>(QStringLiteral("Combat Knife"),
                                                                QStringLiteral("Couteau de combat"), 2, 0, 0,
                                                                sStrParams{}, sStrInternalParams{}, &cache));
    EXPECT_EQ(runEnabledChecks(f.ws), 6);
    EXPECT_EQ(f.problemLines(), (QStringList{"0:5 end-punctuation", "0:5 placeholders", "0:2 inconsistent",
                                             "0:7 untranslated", "1:9 inconsistent", "2:3 official-term"}));
    EXPECT_EQ(problemText(f.ws.app, problemsOf(f.ws, *knife).front()),
              QStringLiteral("the game's translation is \"Couteau de combat\""));
    EXPECT_EQ(problemCounts(f.ws)[static_cast<size_t>(TCheck::inconsistent)], 2);
    EXPECT_EQ(problemText(f.ws.app, problemsOf(f.ws, *other).front()),
              QStringLiteral("also translated as \"Pistolet d'encre\" (1:9)"));

    // A command changed one translation: it and the entries of its source are checked again, nothing else.
    gun->setSTrans(QStringLiteral("Pistolet à encre"));
    const QList<tSkyStr*> rechecked = recheckEntries(f.ws, {gun});
    EXPECT_EQ(rechecked.size(), 3);
    EXPECT_TRUE(rechecked.contains(other));
    EXPECT_EQ(f.problemLines(),
              (QStringList{"0:5 end-punctuation", "0:5 placeholders", "0:7 untranslated", "2:3 official-term"}));

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
    EXPECT_EQ(runEnabledChecks(f.ws), 3);
    f.ws.vocabularyLists[2].clear();

    // Entries about to be freed are forgotten with the lists.
    f.ws.clearLoadedLists();
    EXPECT_TRUE(allProblems(f.ws).empty());
    EXPECT_TRUE(recheckEntries(f.ws, {}).isEmpty());
    f.expectFiguresAgree();
}

TEST(ChecksCommands, TheListsMarkAndFilterOpenProblemsAndATypedTextLeavesTheRunsChecksAlone) {
    TChecksFixture f;
    tSkyStr* pellets = f.add(0, 1, "Fires %d pellets.", "Tire des plombs.");
    tSkyStr* gun = f.add(0, 2, "Ink Pistol", "Pistolet à encre");
    EXPECT_EQ(runChecks(f.ws, TCheckSet{TCheck::placeholders}), 1);
    EXPECT_EQ(listRowMarkers(f.ws, *pellets), rowMarkerProblem);
    EXPECT_EQ(listRowMarkers(f.ws, *gun), 0);
    EXPECT_EQ(problemLines(f.ws.app, problemsOf(f.ws, *pellets), false), QStringList{"placeholders: %d missing"});
    rListFilter filter;
    EXPECT_TRUE(entryPassesFilter(filter, *gun));
    filter.onlyWithProblems = &f.ws;
    EXPECT_TRUE(entryPassesFilter(filter, *pellets));
    EXPECT_FALSE(entryPassesFilter(filter, *gun));
    // Ignored: no mark, no row, but still listed (marked) where ignored problems are asked for.
    setProblemIgnored(f.ws, *pellets, TCheck::placeholders, true);
    EXPECT_EQ(listRowMarkers(f.ws, *pellets), 0);
    EXPECT_FALSE(entryPassesFilter(filter, *pellets));
    EXPECT_TRUE(problemLines(f.ws.app, problemsOf(f.ws, *pellets), false).isEmpty());
    EXPECT_EQ(problemLines(f.ws.app, problemsOf(f.ws, *pellets), true),
              QStringList{"placeholders: %d missing (ignored)"});
    f.expectFiguresAgree();
    EXPECT_EQ(problemStringCount(f.ws), 0);
    EXPECT_EQ(ignoredProblemCount(f.ws), 1);

    // The edit dialog checks a typed text with the switches' checks; the run's re-checks keep the run's own.
    EXPECT_EQ(problemsOfText(f.ws, *gun, QStringLiteral("Pistolet  à encre"), false).front().check,
              TCheck::doubleSpace);
    gun->setSTrans(QStringLiteral("Pistolet  à %d encre"));
    recheckEntries(f.ws, {gun});
    ASSERT_EQ(problemsOf(f.ws, *gun).size(), 1u);
    EXPECT_EQ(problemsOf(f.ws, *gun).front().check, TCheck::placeholders);
    f.expectFiguresAgree();
    EXPECT_EQ(problemStringCount(f.ws), 1);
    // Fixed and checked again: gone from every figure; taken back from the ignored: open again.
    gun->setSTrans(QStringLiteral("Pistolet à encre"));
    recheckEntries(f.ws, {gun});
    setProblemIgnored(f.ws, *pellets, TCheck::placeholders, false);
    f.expectFiguresAgree();
    EXPECT_EQ(problemCounts(f.ws)[static_cast<size_t>(TCheck::placeholders)], 1);
}

TEST(ChecksCommands, IgnoredProblemsAreKeptBesideTheDictionaryAcrossASaveAndAReopen) {
    TChecksFixture f;
    f.ws.state().quillexpertMode = true;
    writePluginSamples(f.dir.file(QStringLiteral("Data")));
    const QString plugin = f.dir.file(QStringLiteral("Data/QuillerySample.esp"));
    ASSERT_TRUE(f.ws.openFileByKind(plugin));
    tSkyStr* welcome = f.ws.loadedLists[0][0].get();
    ASSERT_EQ(welcome->gS, QStringLiteral("Welcome to the Quillery workshop."));
    rStoreRequest request;
    request.translation = QStringLiteral("Bienvenue à l'atelier Quillery");
    request.statusOut = {};
    ASSERT_TRUE(f.ws.storeTranslation(welcome, request));
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
    f.expectFiguresAgree();

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
    f.expectFiguresAgree();
    ASSERT_TRUE(saveIgnoredProblems(f.ws));
    EXPECT_FALSE(QFile::exists(file));
}

TEST(ChecksCommands, EveryExplanationReadsInBothInterfaceLanguages) {
    // Each explanation key with as many parts as the checks give it.
    const std::vector<std::pair<const char*, int>> details = {
        {"Chk_Missing", 1},        {"Chk_Extra", 1},          {"Chk_MissingExtra", 2}, {"Chk_PlaceholderOrder", 2},
        {"Chk_LeadingBlanks", 2},  {"Chk_TrailingBlanks", 2}, {"Chk_DoubleSpace", 2},  {"Chk_LineBreakCount", 2},
        {"Chk_LineBreakField", 1}, {"Chk_TooLongField", 3},   {"Chk_TooLongText", 2},  {"Chk_EndPunctuation", 2},
        {"Chk_Unbalanced", 1},     {"Chk_RepeatedWord", 1},   {"Chk_Untranslated", 0}, {"Chk_Blank", 0},
        {"Chk_Inconsistent", 1},   {"Chk_OfficialTerm", 1},   {"Chk_Spelling", 1}};
    for (const char* language : {"english", "french"}) {
        TChecksFixture f;
        f.ws.state().UILang = QLatin1String(language);
        loadUiTexts(f.ws.app);
        for (const auto& [key, parts] : details) {
            quillcheck::rProblem p{TCheck::tags, key, {}, false};
            for (int i = 0; i < parts; ++i)
                p.args << QStringLiteral("<%1>").arg(i);
            const QString text = problemText(f.ws.app, p);
            EXPECT_NE(text, QLatin1String(key)) << language << " " << key;
            for (int i = 0; i < parts; ++i)
                EXPECT_TRUE(text.contains(QStringLiteral("<%1>").arg(i))) << language << " " << text.toStdString();
        }
        for (const TCheck c : quillcheck::checkOrder())
            EXPECT_TRUE(f.ws.app.texts.contains(QStringLiteral("Chk_About_") + quillcheck::checkName(c)))
                << language << " " << quillcheck::checkName(c).toStdString();
    }
}

TEST(ChecksCommands, ProblemTableAgreesWithAMapThroughGrowthRemovalsAndCompaction) {
    // Entries are only keys here: addresses of a block, as a list's entries would be.
    std::vector<std::aligned_storage_t<sizeof(void*) * 16, alignof(void*)>> block(5000);
    const auto key = [&](size_t i) { return reinterpret_cast<const tSkyStr*>(&block[i]); };
    const auto problems = [](size_t i, uint32_t round) {
        std::vector<quillcheck::rProblem> list((i + round) % 3 + 1);
        for (size_t k = 0; k < list.size(); ++k) {
            list[k].check = static_cast<TCheck>(k);
            list[k].args = {QString::number(i), QString::number(round)};
        }
        return list;
    };
    TProblemTable table;
    std::unordered_map<const tSkyStr*, std::vector<quillcheck::rProblem>> reference;
    uint32_t state = 12345;
    for (uint32_t round = 0; round < 60000; ++round) {
        state = state * 1103515245u + 12345u;
        const size_t i = (state >> 8) % block.size();
        if ((state >> 4) % 4 == 0) {
            table.erase(key(i));
            reference.erase(key(i));
        } else {
            const auto list = problems(i, round);
            table.set(key(i), list);
            reference[key(i)] = list;
        }
    }
    // Written again from its own problems (which the table must copy before it grows).
    for (size_t i = 0; i < block.size(); i += 7)
        table.set(key(i), table.find(key(i)));
    ASSERT_EQ(table.size(), reference.size());
    size_t visited = 0;
    table.forEach([&](const tSkyStr* entry, std::span<const quillcheck::rProblem> list) {
        ++visited;
        const auto it = reference.find(entry);
        ASSERT_NE(it, reference.end());
        EXPECT_TRUE(std::equal(list.begin(), list.end(), it->second.begin(), it->second.end()));
    });
    EXPECT_EQ(visited, reference.size());
    for (size_t i = 0; i < block.size(); ++i)
        EXPECT_EQ(table.find(key(i)).empty(), !reference.count(key(i))) << i;
}

TEST(ChecksCommands, ARunInStepsEndsAsOneRunDoesThoughEntriesChangeBetweenSteps) {
    TChecksFixture f;
    // Enough entries for several steps: pairs with faults, untranslated ones, groups of one source translated two
    // ways (`inconsistent`), in two lists.
    const char* const pairs[][2] = {{"Fires %d pellets.", "Tire des plombs"},
                                    {"Ink Pistol", "Pistolet d'encre"},
                                    {"Open the door", "Open the door"},
                                    {"Close it.", "Ferme-la."},
                                    {"Ink Pistol", "Pistolet à encre"}};
    std::vector<tSkyStr*> entries;
    for (uint32_t i = 0; i < 6000; ++i) {
        const auto& pair = pairs[i % 4 == 1 && i % 8 == 5 ? 4 : i % 4];
        entries.push_back(f.add(i % 5 == 0 ? 1 : 0, i, pair[0], pair[1]));
    }
    const TCheckSet checks = enabledChecks(f.ws.app.state);
    runChecks(f.ws, checks);
    const QStringList once = f.problemLines(true);
    ASSERT_GT(once.size(), 3000);

    beginChecksRun(f.ws, checks);
    EXPECT_TRUE(checksRunning(f.ws));
    int steps = 0;
    bool done = false;
    while (!done) {
        done = stepChecksRun(f.ws, 0); // a batch a step
        ++steps;
        if (steps == 2) {
            // One entry behind the run's place and one ahead are fixed and broken, and checked again.
            entries[10]->setSTrans(QStringLiteral("Tire %d plombs."));
            entries[5001]->setSTrans(QStringLiteral("Tire des plombs"));
            entries[5000]->setSTrans(QStringLiteral("Tire %d plombs."));
            recheckEntries(f.ws, {entries[10], entries[5001], entries[5000]});
        }
    }
    EXPECT_GT(steps, 3);
    EXPECT_FALSE(checksRunning(f.ws));
    const QStringList stepped = f.problemLines(true);
    f.expectFiguresAgree();
    runChecks(f.ws, checks);
    EXPECT_EQ(stepped, f.problemLines(true));
    EXPECT_NE(stepped, once);
}
