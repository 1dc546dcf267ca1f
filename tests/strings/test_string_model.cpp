// String entries: setters, parse rules, status changes, comparers and sorted search.
#include "strings/QUILL_typedef.h"

#include <gtest/gtest.h>

namespace {
std::unique_ptr<tSkyStr> entry(const QString& s, const QString& t, int list, uint32_t id) {
    return std::make_unique<tSkyStr>(s, t, list, id, 99, sStrParams{}, sStrInternalParams{}, nullptr, true);
}
} // namespace

TEST(SkyStr, TrailingNulsAreDroppedAndHashesSet) {
    tSkyStr e(QString::fromUtf16(u"Gun\0\0", 5), QStringLiteral("Fusil"), 0, 7, 99);
    EXPECT_EQ(e.gS, "Gun");
    EXPECT_EQ(e.hash, textHash(u"Gun"));
    EXPECT_EQ(e.hashTrans, textHash(u"Fusil"));
    EXPECT_FALSE(e.hasFlag(sStrInternalParam::isSourceInitialized)); // light setters
    EXPECT_EQ(e.esp.fName.toString(), "****");
}

TEST(SkyStr, DeprecatedParamIsNeverKept) {
    tSkyStr e("a", "b", 0, 1, 99, sStrParams{sStrParam::deprecatedParam1, sStrParam::validated});
    EXPECT_FALSE(e.hasParam(sStrParam::deprecatedParam1));
    EXPECT_TRUE(e.hasParam(sStrParam::validated));
}

TEST(SkyStr, ComparisonFormPerList) {
    const QString text = QStringLiteral("Line one\r\nLine two[pagebreak]END");
    auto dl = entry(text, "", 1, 1);
    auto st = entry(text, "", 0, 1);
    EXPECT_EQ(dl->ld(), "line oneline twoend");
    EXPECT_EQ(st->ld(), text.toLower());
    st->setS(QStringLiteral("Other TEXT")); // a new source makes its comparison text anew
    EXPECT_EQ(st->ld(), "other text");

    const QString long300(300, QLatin1Char('x'));
    EXPECT_EQ(entry(long300, "", 2, 1)->ld().size(), 150);
    EXPECT_EQ(entry(long300, "", 1, 1)->ld().size(), 200);
    EXPECT_EQ(entry(long300, "", 0, 1)->ld().size(), 150);
}

TEST(SkyStr, ResetStatusKeepsOrClearsWarnings) {
    tSkyStr e("a", "b", 0, 1, 99, sStrParams{sStrParam::translated, sStrParam::incompleteTrans});
    e.sInternalparams.set(sStrInternalParam::Warning);
    e.sInternalparams.set(sStrInternalParam::bigWarning);
    e.sInternalparams.set(sStrInternalParam::nTrans);
    e.resetStatus({sStrParam::validated}, {sStrParam::incompleteTrans});
    EXPECT_EQ(e.sparams, (sStrParams{sStrParam::validated}));
    EXPECT_FALSE(e.hasFlag(sStrInternalParam::Warning));
    EXPECT_FALSE(e.hasFlag(sStrInternalParam::bigWarning));
    EXPECT_FALSE(e.hasFlag(sStrInternalParam::nTrans));

    tSkyStr kept("a", "b", 0, 1, 99, sStrParams{sStrParam::incompleteTrans});
    kept.sInternalparams.set(sStrInternalParam::Warning);
    kept.resetStatus({}, {});
    EXPECT_TRUE(kept.hasFlag(sStrInternalParam::Warning));
    EXPECT_EQ(kept.LDResult, 0.0f);
}

TEST(SkyStr, AliasErrorOnlyWithTagsInTranslation) {
    auto e = entry("Hello <Alias=Player>", "Bonjour Player", 0, 1);
    EXPECT_FALSE(e->hasFlag(sStrInternalParam::aliasError));
    e->setSTrans("Bonjour <Alias=Joueur>");
    EXPECT_TRUE(e->hasFlag(sStrInternalParam::aliasError));
    EXPECT_TRUE(e->hasFlag(sStrInternalParam::aliasOneWordError));
    e->setSTrans("Bonjour <alias=player>"); // tag hashes compare lower-cased
    EXPECT_FALSE(e->hasFlag(sStrInternalParam::aliasError));
}

TEST(SkyStr, ResetTransCopiesSource) {
    auto e = entry("Src", "Dst", 0, 1);
    e->sparams.set(sStrParam::validated);
    e->resetTrans();
    EXPECT_EQ(e->gTrans, "Src");
    EXPECT_TRUE(e->sparams.empty());
    EXPECT_EQ(e->LDResult, 99.0f);
}

TEST(SortedSearch, FirstOfEqualAndInsertionPoint) {
    tSkyStrList list;
    for (uint32_t id : {5u, 7u, 7u, 7u, 9u})
        list.push_back(entry("x", "", 0, id));
    tSkyStr probe("x", "", 0, 7, 99);
    auto r = findSorted(list, skycompare::byId, probe, true);
    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.index, 1);
    probe.id = 8;
    r = findSorted(list, skycompare::byId, probe, true);
    EXPECT_FALSE(r.found);
    EXPECT_EQ(r.index, 4);

    EXPECT_FALSE(insertSorted(list, skycompare::byId, entry("y", "", 0, 9)));
    EXPECT_TRUE(insertSorted(list, skycompare::byId, entry("y", "", 0, 6)));
    EXPECT_EQ(list[1]->id, 6u);
    EXPECT_EQ(list.size(), 6u);
}

TEST(ListSet, MarkDuplicateSourcesAndCount) {
    tListSet set;
    set[0].push_back(entry("A", "", 0, 1));
    set[0].push_back(entry("B", "", 0, 2));
    set[0].push_back(entry("A", "", 0, 3));
    set[2].push_back(entry("A", "", 2, 4));
    markDuplicateSources(set, sStrInternalParam::nTrans);
    int marked = 0;
    for (const auto& e : set[0])
        marked += e->hasFlag(sStrInternalParam::nTrans) && e->gS == "A";
    EXPECT_EQ(marked, 2);
    EXPECT_FALSE(set[2][0]->hasFlag(sStrInternalParam::nTrans));
    EXPECT_EQ(countListSet(set), 4);
}

TEST(Comparers, CombinedOrders) {
    auto a = entry("abc", "x", 0, 2);
    auto b = entry("ABC", "y", 0, 1);
    EXPECT_EQ(skycompare::bySourceText(*a, *b), 0); // case ignored
    EXPECT_GT(skycompare::byHashSourceId(*entry("abc", "", 0, 2), *entry("abc", "", 0, 1)), 0);
    EXPECT_NE(skycompare::byDictionaryKey(*entry("s", "t1", 0, 1), *entry("s", "t2", 0, 1)), 0);
}

TEST(Predicates, StatusBasedSelection) {
    tSkyStr e("a", "b", 0, 1, 99, sStrParams{sStrParam::validated});
    EXPECT_TRUE(matchesPredicate(e, tStringPredicate::notTranslated));
    EXPECT_FALSE(matchesPredicate(e, tStringPredicate::notTranslatedNorValidated));
    EXPECT_FALSE(matchesPredicate(e, tStringPredicate::selected));
    EXPECT_TRUE(matchesPredicate(e, tStringPredicate::selected, [](const tSkyStr&) { return true; }));
}
