// What follows the words spelling knows: the word list's index (counts kept as entries change and as words become
// known, the same as reading the document again), the last run of the spelling check, and the views, told once per
// change and never for nothing.
#include "spelling_test_support.h"
#include "workspace/QUILL_wsChecks.h"
#include "workspace/QUILL_wsUnknownWords.h"

namespace {

struct TSpellingChanges : TWorkspaceObserver {
    int count = 0;
    void spellingChanged() override { ++count; }
};

} // namespace

TEST(UnknownWordIndex, FollowsEditsAndNewlyKnownWordsAsAFreshReadWould) {
    TTempProgramDir dir;
    TSpellingWorkspace f(dir, QStringLiteral("fr"));
    tSkyStr* a = f.add(0, QStringLiteral("A"), QStringLiteral("La bibliotheque de Krevlorn, la bibliotheque."));
    tSkyStr* b = f.add(1, QStringLiteral("B"), QStringLiteral("Une porte fermée."));
    tSkyStr* c = f.add(2, QStringLiteral("C"), QStringLiteral("Krevlorn et Zorblax"));
    f.ws.sharedIdList.push_back(
        std::make_unique<tSkyStr>(QStringLiteral("S"), QStringLiteral("Glorpp"), 0, 9u, 99, sStrParams{}));
    tSkyStr* shared = f.ws.sharedIdList.back().get();

    TUnknownWordIndex index;
    EXPECT_FALSE(index.update(f.ws, {a})); // not built: nothing to follow
    ASSERT_TRUE(index.build(f.ws));
    EXPECT_EQ(index.dictionaryName(), QStringLiteral("fr_FR"));
    EXPECT_EQ(index.counts(), documentUnknownWords(f.ws));
    EXPECT_EQ(index.counts(), (std::vector<rWordCount>{{QStringLiteral("bibliotheque"), 2},
                                                       {QStringLiteral("Krevlorn"), 2},
                                                       {QStringLiteral("Zorblax"), 1}}));
    EXPECT_EQ(index.entryCount(), 2);

    // A word corrected, one misspelled, a translation given back to its source, and an unchanged entry.
    a->gTrans = QStringLiteral("La bibliothèque de Krevlorn, la bibliotheque.");
    b->gTrans = QStringLiteral("Une portte fermée.");
    c->gTrans = c->gS;
    shared->gTrans = QStringLiteral("Glorpp Glorpp");
    EXPECT_TRUE(index.update(f.ws, {a, b, c, shared}));
    EXPECT_EQ(index.counts(), documentUnknownWords(f.ws));
    EXPECT_EQ(index.countOf(QStringLiteral("bibliotheque")), 1);
    EXPECT_EQ(index.countOf(QStringLiteral("portte")), 1);
    EXPECT_EQ(index.countOf(QStringLiteral("Zorblax")), 0);
    EXPECT_EQ(index.countOf(QStringLiteral("Glorpp")), 0); // a shared field is never in the list
    EXPECT_FALSE(index.update(f.ws, {b}));

    // Words that became known leave the list.
    addToMyWords(f.ws, {QStringLiteral("Krevlorn")});
    ignoreSpellingWord(f.ws, QStringLiteral("portte"));
    EXPECT_TRUE(index.refresh(f.ws));
    EXPECT_EQ(index.counts(), (std::vector<rWordCount>{{QStringLiteral("bibliotheque"), 1}}));
    EXPECT_FALSE(index.refresh(f.ws));

    // Another dictionary reads everything again: English knows none of the French words.
    setSpellingDictionary(f.ws, QStringLiteral("en_US"));
    EXPECT_TRUE(index.refresh(f.ws));
    EXPECT_EQ(index.dictionaryName(), QStringLiteral("en_US"));
    EXPECT_EQ(index.counts(), documentUnknownWords(f.ws));
    EXPECT_GT(index.countOf(QStringLiteral("fermée")), 0);
    index.clear();
    EXPECT_FALSE(index.isBuilt());
    EXPECT_TRUE(index.counts().empty());
}

TEST(UnknownWordIndex, TheSpellingCheckFollowsMyWordsAndTheDictionary) {
    TTempProgramDir dir;
    TSpellingWorkspace f(dir, QStringLiteral("fr"));
    tSkyStr* a = f.add(0, QStringLiteral("A"), QStringLiteral("Krevlorn ouvre la porte."));
    tSkyStr* b = f.add(0, QStringLiteral("B"), QStringLiteral("Zorblax et Krevlorn"));
    const auto spellingWords = [&f](const tSkyStr* e) {
        QStringList words;
        for (const quillcheck::rProblem& p : problemsOf(f.ws, *e))
            if (p.check == quillcheck::TCheck::spelling) words << p.args;
        return words;
    };
    addToMyWords(f.ws, {QStringLiteral("Unrelated")}); // before any run: nothing to follow
    EXPECT_EQ(runChecks(f.ws, quillcheck::TCheckSet{quillcheck::TCheck::spelling}), 3);
    EXPECT_EQ(spellingWords(b), QStringList({"Zorblax", "Krevlorn"}));
    addToMyWords(f.ws, {QStringLiteral("Krevlorn")});
    EXPECT_TRUE(spellingWords(a).isEmpty());
    EXPECT_EQ(spellingWords(b), QStringList({"Zorblax"}));
    ignoreSpellingWord(f.ws, QStringLiteral("Zorblax"));
    EXPECT_TRUE(spellingWords(b).isEmpty());
    // Another dictionary runs the check again over every string (the translator's French words still known).
    setSpellingDictionary(f.ws, QStringLiteral("en_US"));
    EXPECT_EQ(spellingWords(a), QStringList({"ouvre", "porte"}));
}

TEST(UnknownWordIndex, TheViewsHearOfEachChangeToTheKnownWordsOnce) {
    TTempProgramDir dir;
    TSpellingWorkspace f(dir, QStringLiteral("fr"));
    TSpellingChanges changes;
    f.ws.addObserver(&changes);
    addToMyWords(f.ws, {QStringLiteral("Zorblax"), QStringLiteral("Krevlorn")});
    EXPECT_EQ(changes.count, 1);
    addToMyWords(f.ws, {QStringLiteral("Zorblax")}); // already one of them
    EXPECT_EQ(ignoreSpellingWords(f.ws, {QStringLiteral("Glorpp"), QStringLiteral("Blarg"), QStringLiteral("Glorpp")}),
              2);
    EXPECT_FALSE(ignoreSpellingWord(f.ws, QStringLiteral("Blarg")));
    EXPECT_EQ(changes.count, 2);
    setSpellingEnabled(f.ws, true); // unchanged
    setSpellingEnabled(f.ws, false);
    EXPECT_FALSE(f.ws.app.state.spellCheck);
    setSpellingDictionary(f.ws, QStringLiteral(" en_US "));
    setSpellingDictionary(f.ws, QStringLiteral("en_US"));
    EXPECT_EQ(f.ws.app.state.spellDictionary, QStringLiteral("en_US"));
    EXPECT_EQ(changes.count, 4);
    f.ws.removeObserver(&changes);
}
