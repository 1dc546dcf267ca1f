// The aids' workspace commands: one undo step per command, the similar-strings rule with its question and the
// noReplace preference, taking a candidate, tag repair, the heuristic command's log and pairs, batch files.
#include "scripted_host.h"
#include "temp_program_dir.h"

#include "core/QUILL_startup.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsAids.h"
#include "workspace/QUILL_wsDictionary.h"

#include <gtest/gtest.h>

namespace {

struct TAidsFixture {
    TTempProgramDir dir;
    TScriptedHost host;
    TWorkspace ws{&host};

    TAidsFixture() { startApplication(ws.app, dir.path()); }
    tSkyStr* add(int list, const QString& source, const QString& translation, sStrParams status = {}) {
        auto e =
            std::make_unique<tSkyStr>(source, translation, list, static_cast<uint32_t>(ws.loadedLists[list].size()), 99,
                                      status, sStrInternalParams{}, nullptr, true);
        ws.loadedLists[list].push_back(std::move(e));
        return ws.loadedLists[list].back().get();
    }
    tSkyStr* addVocabulary(int list, const QString& source, const QString& translation) {
        ws.vocabularyLists[list].push_back(std::make_unique<tSkyStr>(source, translation, list, 0u, 0, sStrParams{},
                                                                     sStrInternalParams{}, nullptr, true));
        return ws.vocabularyLists[list].back().get();
    }
};

} // namespace

// Forty rules doubling a letter would grow a text to 2^40 letters: the rule that would pass what a text field holds
// stops the batch, named in the log, with the text as the rules before it left it; one undo step takes all back.
// The search dialog's single rule is refused the same way and changes nothing.
TEST(AidsCommands, ABatchThatWouldGrowATextWithoutEndStopsAtTheRule) {
    TAidsFixture f;
    f.ws.app.texts.set(QStringLiteral("Fbk_BatchRuleTooLong"), QStringLiteral("STOPPED at rule %d (%s), %d"));
    f.ws.app.texts.set(QStringLiteral("Fbk_ReplaceTooLong"), QStringLiteral("REFUSED %s, %d"));
    tSkyStr* text = f.add(0, QStringLiteral("Bee"), QStringLiteral("e"));
    tSkyStr* other = f.add(0, QStringLiteral("Sky"), QStringLiteral("sky"));
    const QString doubling =
        QStringLiteral("startrule\nsearch=e\nreplace=ee\nselect=0\nmode=0\nendrule\n").repeated(40);
    EXPECT_EQ(
        runBatchText(f.ws,
                     doubling + QStringLiteral("startrule\nsearch=sky\nreplace=ciel\nselect=0\nmode=0\nendrule\n"), 0),
        -1);
    EXPECT_EQ(text->gTrans, QString(1 << 15, QLatin1Char('e'))); // rule 16 would make 65,536
    EXPECT_EQ(other->gTrans, QStringLiteral("sky"));             // the rules after it never ran
    EXPECT_TRUE(f.host.logContains(QStringLiteral("STOPPED at rule 16 (e), 65535")))
        << f.host.log.join('\n').toStdString();
    EXPECT_EQ(f.ws.history.stepCount(), 1u);
    ASSERT_TRUE(f.ws.undo());
    EXPECT_EQ(text->gTrans, QStringLiteral("e"));

    text->setSTrans(QString(40000, QLatin1Char('e')));
    rSearchData rule;
    rule.s1 = QStringLiteral("e");
    rule.s2 = QStringLiteral("ee");
    rule.mode1 = 0;
    rule.mode2 = 0;
    EXPECT_EQ(searchAndReplace(f.ws, rule, 0), -1);
    EXPECT_EQ(text->gTrans.size(), 40000);
    EXPECT_TRUE(f.host.logContains(QStringLiteral("REFUSED e, 65535")));
}

TEST(AidsCommands, BatchIsOneUndoStepAndSearchSettingsKeepTheLastRule) {
    TAidsFixture f;
    tSkyStr* a = f.add(0, QStringLiteral("Door"), QStringLiteral("porte \"ouverte\""));
    tSkyStr* b = f.add(0, QStringLiteral("Key"), QStringLiteral("clé : rouillée"));
    const QString batch =
        QStringLiteral("startrule\nsearch=\"ouverte\"\nreplace=« ouverte »\nselect=0\nmode=0\nendrule\n"
                       "startrule\nsearch= :\nreplace=\u00a0:\nmode=0\nendrule\n");
    EXPECT_EQ(runBatchText(f.ws, batch, 0), 2);
    EXPECT_EQ(a->gTrans, QStringLiteral("porte « ouverte »"));
    EXPECT_EQ(b->gTrans, QStringLiteral("clé\u00a0: rouillée"));
    EXPECT_EQ(f.ws.history.stepCount(), 1u);
    EXPECT_EQ(aidsState(f.ws).searchSettings.s1, QStringLiteral(" :"));
    EXPECT_TRUE(f.ws.hasUnsavedWork());
    ASSERT_TRUE(f.ws.undo());
    EXPECT_EQ(a->gTrans, QStringLiteral("porte \"ouverte\""));
    EXPECT_EQ(b->gTrans, QStringLiteral("clé : rouillée"));
    EXPECT_TRUE(b->sparams.empty());

    // The dialog's Ok: a blank search text applies nothing unless mode2 is 2; the rule is remembered lower-cased.
    rSearchData rule;
    rule.s1 = QStringLiteral("  ");
    rule.mode1 = 0;
    rule.mode2 = 0;
    EXPECT_EQ(searchAndReplace(f.ws, rule, 0), 0);
    rule.s1 = QStringLiteral("PORTE");
    rule.s2 = QStringLiteral("Porte");
    EXPECT_EQ(searchAndReplace(f.ws, rule, 0), 1);
    EXPECT_EQ(aidsState(f.ws).searchSettings.s1, QStringLiteral("porte"));
    EXPECT_EQ(a->gTrans, QStringLiteral("Porte \"ouverte\""));
}

TEST(AidsCommands, SimilarStringsFollowAfterTheQuestionUnlessNoReplace) {
    TAidsFixture f;
    tSkyStr* source = f.add(0, QStringLiteral("Iron Sword"), QStringLiteral("Iron Sword"));
    tSkyStr* same = f.add(0, QStringLiteral("Iron Sword"), QStringLiteral("Iron Sword"));
    tSkyStr* done = f.add(0, QStringLiteral("Iron Sword"), QStringLiteral("Épée en fer"), {sStrParam::validated});
    tSkyStr* other = f.add(0, QStringLiteral("Steel Sword"), QStringLiteral("Steel Sword"));
    tSkyStr* otherList = f.add(1, QStringLiteral("Iron Sword"), QStringLiteral("Iron Sword"));

    const auto translate = [&](const QString& text) {
        rStoreRequest request;
        request.translation = text;
        return f.ws.storeTranslation(source, request);
    };
    // No: only the string itself changes.
    f.host.answers.enqueue(drNo);
    translate(QStringLiteral("Épée en fer"));
    EXPECT_TRUE(source->hasParam(sStrParam::validated));
    EXPECT_EQ(same->gTrans, QStringLiteral("Iron Sword"));
    ASSERT_EQ(f.host.messages.size(), 1);
    EXPECT_TRUE(f.host.messages[0].text.endsWith(QStringLiteral("Épée en fer")));
    EXPECT_EQ(f.ws.history.stepCount(), 1u);

    // The dialog: the same source in the same list is offered, the one already validated with that text is not;
    // the translations someone made are offered unchosen, and the translator's choice is what changes.
    f.host.messages.clear();
    f.host.rowChoices.clear();
    f.host.rowAnswer = [](rRowChoiceRequest&) { return true; };
    translate(QStringLiteral("Épée de fer"));
    ASSERT_EQ(f.host.rowChoices.size(), 1);
    const rRowChoiceRequest& offered = f.host.rowChoices[0];
    ASSERT_EQ(offered.rows.size(), 2);
    EXPECT_EQ(offered.rows[0].value(1), QStringLiteral("Iron Sword"));
    EXPECT_EQ(offered.chosen, (QList<bool>{true, false}));
    EXPECT_EQ(same->gTrans, QStringLiteral("Épée de fer"));
    EXPECT_TRUE(same->hasParam(sStrParam::validated));
    EXPECT_EQ(done->gTrans, QStringLiteral("Épée en fer"));
    EXPECT_EQ(other->gTrans, QStringLiteral("Steel Sword"));
    EXPECT_EQ(otherList->gTrans, QStringLiteral("Iron Sword"));
    // One step for the string and the one that followed, holding only those two.
    ASSERT_EQ(f.ws.history.stepCount(), 2u);
    f.ws.undo();
    EXPECT_EQ(source->gTrans, QStringLiteral("Épée en fer"));
    EXPECT_EQ(same->gTrans, QStringLiteral("Iron Sword"));
    f.ws.redo();

    // noReplace: never asked, nothing carried.
    f.ws.state().noReplace = true;
    f.host.rowChoices.clear();
    translate(QStringLiteral("Lame de fer"));
    EXPECT_TRUE(f.host.rowChoices.isEmpty());
    EXPECT_EQ(same->gTrans, QStringLiteral("Épée de fer"));
}

TEST(AidsCommands, TakingACandidateAndTheEditDialogGuard) {
    TAidsFixture f;
    tSkyStr* focused = f.add(0, QStringLiteral("Open the door"), QStringLiteral("Open the door"));
    tSkyStr* inDialog = f.add(0, QStringLiteral("Close"), QStringLiteral("Close"));
    tSkyStr* candidate = f.addVocabulary(0, QStringLiteral("Open the doors"), QStringLiteral("Ouvrir les portes"));
    TAidsState& aids = aidsState(f.ws);
    aids.LDfstring = focused;
    const std::vector<tSkyStr*> found = refreshCandidates(f.ws);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0]->LDResult, 1.0f);

    aids.fstring = inDialog;
    EXPECT_FALSE(takeCandidate(f.ws, *candidate));
    EXPECT_FALSE(mayEditWithCandidate(f.ws, *candidate));
    EXPECT_EQ(f.host.messages.size(), 2);
    EXPECT_EQ(focused->gTrans, QStringLiteral("Open the door"));
    EXPECT_EQ(aids.bestLDString, QStringLiteral("Open the doors"));

    aids.fstring = focused;
    EXPECT_TRUE(takeCandidate(f.ws, *candidate));
    EXPECT_EQ(focused->gTrans, QStringLiteral("Ouvrir les portes"));
    EXPECT_TRUE(focused->hasParam(sStrParam::validated));
    EXPECT_EQ(f.ws.history.stepCount(), 1u);
    // Clearing the lists forgets the focused strings.
    f.ws.clearLoadedLists();
    EXPECT_EQ(aids.LDfstring, nullptr);
    EXPECT_EQ(aids.fstring, nullptr);
}

TEST(AidsCommands, FixAliasPutsTheSourceTagBack) {
    TAidsFixture f;
    tSkyStr* broken =
        f.add(0, QStringLiteral("<Alias=Player> opens the door"), QStringLiteral("<Alias=Joueur> ouvre la porte !"));
    tSkyStr* fine = f.add(0, QStringLiteral("<Alias=Player> waits"), QStringLiteral("<Alias=Player> attend"),
                          {sStrParam::validated});
    ASSERT_TRUE(broken->hasFlag(sStrInternalParam::aliasOneWordError));
    EXPECT_EQ(fixAliases(f.ws, {broken, fine}), 1);
    EXPECT_EQ(broken->gTrans, QStringLiteral("<Alias=Player> ouvre la porte !"));
    EXPECT_FALSE(broken->hasFlag(sStrInternalParam::aliasOneWordError));
    EXPECT_TRUE(broken->hasParam(sStrParam::incompleteTrans));
    EXPECT_TRUE(fine->hasParam(sStrParam::validated));
}

TEST(AidsCommands, HeuristicCommandLogsPairsAndIsOneStep) {
    TAidsFixture f;
    f.addVocabulary(0, QStringLiteral("Open the doors"), QStringLiteral("Ouvrir les portes"));
    f.addVocabulary(2, QStringLiteral("A locked chest"), QStringLiteral("Un coffre verrouillé"));
    tSkyStr* a = f.add(0, QStringLiteral("Open the door"), QStringLiteral("Open the door"));
    f.add(0, QStringLiteral("Nothing alike here"), QStringLiteral("Nothing alike here"));
    tSkyStr* c = f.add(2, QStringLiteral("A locked chests"), QStringLiteral("A locked chests"));
    f.ws.heuristicMatches[1].push_back({a, a}); // a stale pair of another list stays with "Heuristic" on list 0
    EXPECT_TRUE(runHeuristic(f.ws, 0));
    EXPECT_EQ(a->gTrans, QStringLiteral("Ouvrir les portes"));
    EXPECT_EQ(c->gTrans, QStringLiteral("A locked chests"));
    ASSERT_EQ(f.ws.heuristicMatches[0].size(), 1u);
    EXPECT_EQ(f.ws.heuristicMatches[1].size(), 1u);
    EXPECT_TRUE(f.host.logContains(QStringLiteral("1 of 2 strings got no suggestion (50.00%)")));
    EXPECT_EQ(f.ws.history.stepCount(), 1u);
    EXPECT_TRUE(runHeuristicFull(f.ws));
    EXPECT_EQ(c->gTrans, QStringLiteral("Un coffre verrouillé"));
    EXPECT_TRUE(f.ws.heuristicMatches[1].empty());
    EXPECT_EQ(f.ws.history.stepCount(), 2u);
    ASSERT_TRUE(f.ws.undo());
    EXPECT_EQ(c->gTrans, QStringLiteral("A locked chests"));
    EXPECT_EQ(c->LDResult, 99.0f);
}

TEST(AidsCommands, BatchFilesSaveReadAndMissing) {
    TAidsFixture f;
    tSkyStr* a = f.add(0, QStringLiteral("Door"), QStringLiteral("porte"));
    const QString path = f.dir.file(QStringLiteral("rules.txt"));
    const QString text = QStringLiteral("startrule\nsearch=porte\nreplace=portail\nendrule\n# é\n");
    f.host.pickAnswers.enqueue(path);
    ASSERT_TRUE(saveBatchRules(f.ws.app, text));
    EXPECT_TRUE(fileBytes(path).startsWith("\xEF\xBB\xBF"));
    QString read;
    ASSERT_TRUE(readBatchFile(f.ws, path, read));
    EXPECT_EQ(read, text);

    // The dialog may change the text before Ok; Cancel runs nothing.
    f.host.textAnswer = [](rTextRequest& request) {
        request.text.replace(QStringLiteral("portail"), QStringLiteral("grille"));
        return true;
    };
    f.host.pickAnswers.enqueue(path);
    EXPECT_TRUE(runBatchFile(f.ws, 0));
    EXPECT_EQ(a->gTrans, QStringLiteral("grille"));
    f.host.textAnswer = [](rTextRequest&) { return false; };
    f.host.pickAnswers.enqueue(path);
    EXPECT_FALSE(runBatchFile(f.ws, 0));

    f.host.pickAnswers.enqueue(f.dir.file(QStringLiteral("missing.txt")));
    EXPECT_FALSE(runBatchFile(f.ws, 0));
    EXPECT_TRUE(f.host.logContains(f.ws.app.uiText(QStringLiteral("FileNotFound"))));

    // Saving into a folder that cannot be written reports the error and keeps the dialog.
    f.host.pickAnswers.enqueue(f.dir.file(QStringLiteral("no/such/folder/x.txt")));
    f.host.messages.clear();
    EXPECT_FALSE(saveBatchRules(f.ws.app, text));

    // The text-search history keeps the ten latest, newest first, without repeats.
    for (int k = 0; k < 12; ++k)
        rememberSearchText(f.ws, QStringLiteral("t%1").arg(k % 11));
    const QStringList& history = aidsState(f.ws).textSearchHistory;
    ASSERT_EQ(history.size(), 10);
    EXPECT_EQ(history.first(), QStringLiteral("t0"));
    EXPECT_EQ(history[1], QStringLiteral("t10"));
}
