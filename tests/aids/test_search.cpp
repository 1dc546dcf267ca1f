// Search-and-replace rules in every mode and the batch file's rules.
#include "aids/QUILL_search.h"
#include "core/QUILL_dataList.h"
#include "core/QUILL_files.h"

#include <gtest/gtest.h>

namespace {

tListSet listsOf(const std::vector<std::pair<QString, QString>>& entries, int list = 0) {
    tListSet lists;
    for (const auto& [s, t] : entries)
        lists[static_cast<size_t>(list)].push_back(
            std::make_unique<tSkyStr>(s, t, list, 0u, 99, sStrParams{}, sStrInternalParams{}, nullptr, true));
    return lists;
}

rSearchData rule(const QString& s1, const QString& s2, int mode1, int mode2, const QString& pattern = {}) {
    rSearchData r;
    r.s1 = s1;
    r.s2 = s2;
    r.mode1 = mode1;
    r.mode2 = mode2;
    r.strformat = pattern;
    return r;
}

} // namespace

TEST(SearchRule, ModeZeroReplacesIgnoringCaseOnceTheTestMatches) {
    // Case-sensitive test: "Foo" is found, then every occurrence goes whatever its case.
    tListSet lists = listsOf({{"a", "Foo and foo"}, {"b", "foo only"}, {"c", "nothing"}});
    rSearchData r = rule(QStringLiteral("Foo"), QStringLiteral("Bar"), 0, 0);
    r.caseSensitive = true;
    EXPECT_EQ(applySearchRule(r, lists, 0, {}), 1);
    EXPECT_EQ(lists[0][0]->gTrans, QStringLiteral("Bar and Bar"));
    EXPECT_EQ(lists[0][1]->gTrans, QStringLiteral("foo only"));
    // A changed entry is partial, not validated nor translated, and its score is reset.
    EXPECT_EQ(lists[0][0]->sparams.bits(), sStrParams{sStrParam::incompleteTrans}.bits());
    EXPECT_EQ(lists[0][0]->LDResult, 0.0f);
    EXPECT_EQ(lists[0][2]->LDResult, 99.0f);

    // Insensitive: the search text is stored lower-cased and the translation lower-cased for the test.
    r.caseSensitive = false;
    r.s1 = QStringLiteral("foo");
    EXPECT_EQ(applySearchRule(r, lists, 0, {}), 1); // "foo only" (the first one is partial now: mode1 0 takes it,
                                                    // but it no longer holds foo)
    EXPECT_EQ(lists[0][1]->gTrans, QStringLiteral("Bar only"));

    // An empty search text is found in no text.
    EXPECT_EQ(applySearchRule(rule({}, QStringLiteral("x"), 0, 0), lists, 0, {}), 0);
    EXPECT_EQ(applySearchRule(rule({}, QStringLiteral("x"), 0, 1, QStringLiteral("%ORIG%")), lists, 0, {}), 0);
}

TEST(SearchRule, PatternModesAndEntryChoice) {
    tListSet lists = listsOf({{"The Note", "Bonjour"}, {"Other", "Salut"}});
    // Mode 2, the documented example.
    EXPECT_EQ(
        applySearchRule(rule({}, QStringLiteral("Note"), 0, 2, QStringLiteral("[%REPLACE%] %ORIG%")), lists, 0, {}), 2);
    EXPECT_EQ(lists[0][0]->gTrans, QStringLiteral("[Note] Bonjour"));

    // Mode 1 tests the source; the replacement is trimmed; only the first placeholders are replaced, in order.
    lists = listsOf({{"The Note", "Bonjour"}, {"Other", "Salut"}});
    EXPECT_EQ(applySearchRule(rule(QStringLiteral("note"), QStringLiteral("  Nb  "), 0, 1,
                                   QStringLiteral("%ORIG% [%REPLACE%] %ORIG%")),
                              lists, 0, {}),
              1);
    EXPECT_EQ(lists[0][0]->gTrans, QStringLiteral("Bonjour [Nb] %ORIG%"));
    EXPECT_EQ(lists[0][1]->gTrans, QStringLiteral("Salut"));
    // A pattern without placeholders replaces the translation.
    EXPECT_EQ(applySearchRule(rule({}, {}, 0, 2, QStringLiteral("fixed")), lists, 0, {}), 2);
    EXPECT_EQ(lists[0][1]->gTrans, QStringLiteral("fixed"));
    // Unknown mode2 does nothing.
    EXPECT_EQ(applySearchRule(rule(QStringLiteral("fixed"), {}, 0, 7), lists, 0, {}), 0);

    // mode1: 1 untranslated and not validated, 2 LDResult >= 90, 3 selected, other values all.
    lists = listsOf({{"a", "x"}, {"b", "x"}, {"c", "x"}, {"d", "x"}});
    lists[0][0]->sparams = {sStrParam::translated};
    lists[0][1]->sparams = {sStrParam::validated};
    lists[0][2]->LDResult = 12;
    const auto tag = [&](int mode1, const std::function<bool(const tSkyStr&)>& selected = {}) {
        tListSet copy = listsOf({{"a", "x"}, {"b", "x"}, {"c", "x"}, {"d", "x"}});
        for (size_t k = 0; k < 4; ++k) {
            copy[0][k]->sparams = lists[0][k]->sparams;
            copy[0][k]->LDResult = lists[0][k]->LDResult;
        }
        applySearchRule(rule(QStringLiteral("x"), QStringLiteral("y"), mode1, 0), copy, 0, selected);
        QString marks;
        for (const auto& e : copy[0])
            marks += e->gTrans;
        return marks;
    };
    EXPECT_EQ(tag(0), QStringLiteral("yyyy"));
    EXPECT_EQ(tag(1), QStringLiteral("xxyy"));
    EXPECT_EQ(tag(2), QStringLiteral("yyxy"));
    EXPECT_EQ(tag(3), QStringLiteral("xxxx")); // no selection known
    EXPECT_EQ(tag(3, [](const tSkyStr& e) { return e.gS == QLatin1String("b"); }), QStringLiteral("xyxx"));
    EXPECT_EQ(tag(9), QStringLiteral("yyyy"));

    // mode1 2 leaves out what an earlier rule changed (its score is reset to 0).
    tListSet two = listsOf({{"a", "x"}, {"b", "z"}});
    applySearchRule(rule(QStringLiteral("x"), QStringLiteral("y"), 0, 0), two, 0, {});
    EXPECT_EQ(applySearchRule(rule({}, QStringLiteral("N"), 2, 2, QStringLiteral("%REPLACE%")), two, 0, {}), 1);
    EXPECT_EQ(two[0][0]->gTrans, QStringLiteral("y"));
    EXPECT_EQ(two[0][1]->gTrans, QStringLiteral("N"));
}

TEST(SearchRule, ActiveListOrAllLists) {
    tListSet lists;
    for (int i = 0; i < 3; ++i)
        lists[static_cast<size_t>(i)].push_back(std::make_unique<tSkyStr>(
            QStringLiteral("s"), QStringLiteral("old"), i, 0u, 99, sStrParams{}, sStrInternalParams{}, nullptr, true));
    rSearchData r = rule(QStringLiteral("old"), QStringLiteral("new"), 0, 0);
    EXPECT_EQ(applySearchRule(r, lists, 1, {}), 1);
    EXPECT_EQ(lists[1][0]->gTrans, QStringLiteral("new"));
    EXPECT_EQ(lists[0][0]->gTrans, QStringLiteral("old"));
    r.allList = true;
    EXPECT_EQ(applySearchRule(r, lists, 1, {}), 2);
}

TEST(BatchRules, BlocksDefaultsAndOddLines) {
    const QString text = QStringLiteral("# comment\r\n"
                                        "search=ignored outside a block\n"
                                        "\n"
                                        "StartRule\n"
                                        "Search=Foo\n"
                                        "search=second wins nothing\n"
                                        "replace= bar \n"
                                        "select=abc\n"
                                        "mode= 2 \n"
                                        "casesensitive=true\n"
                                        "# inside comment\n"
                                        "ENDRULE\n"
                                        "startrule\n"
                                        "search=Keep Case\n"
                                        "casesensitive=1\n"
                                        "alllists=1\n"
                                        "pattern=%ORIG% [%REPLACE%]\n"
                                        "select=3\n"
                                        "endrule\n"
                                        "endrule\n"
                                        " startrule\n" // not alone on its line: ignored
                                        "startrule\n"
                                        "search=never applied\n");
    const std::vector<rSearchData> rules = parseBatchRules(text);
    ASSERT_EQ(rules.size(), 2u);
    EXPECT_EQ(rules[0].s1, QStringLiteral("foo")); // lower-cased: casesensitive "true" is not "1"
    EXPECT_FALSE(rules[0].caseSensitive);
    EXPECT_EQ(rules[0].s2, QStringLiteral(" bar ")); // untrimmed
    EXPECT_EQ(rules[0].mode1, 0);
    EXPECT_EQ(rules[0].mode2, 2);
    EXPECT_TRUE(rules[0].strformat.isEmpty());
    EXPECT_FALSE(rules[0].allList);
    EXPECT_EQ(rules[1].s1, QStringLiteral("Keep Case"));
    EXPECT_TRUE(rules[1].caseSensitive);
    EXPECT_TRUE(rules[1].allList);
    EXPECT_EQ(rules[1].mode1, 3);
    EXPECT_EQ(rules[1].mode2, 0);
    EXPECT_EQ(rules[1].strformat, QStringLiteral("%ORIG% [%REPLACE%]"));
    EXPECT_TRUE(parseBatchRules(QString()).empty());
}

TEST(BatchRules, ShippedRuleFilesDoWhatTheirCommentsSay) {
    const auto rulesOf = [](const char* name) {
        QByteArray bytes;
        EXPECT_TRUE(quillfs::readWholeFile(QStringLiteral(QUILL_DATA_DIR "/batch/") + QLatin1String(name), bytes));
        EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF")) << name; // read the same whatever the system code page
        return parseBatchRules(decodeTextFile(bytes));
    };
    const auto runAll = [](const std::vector<rSearchData>& rules, tListSet& lists) {
        for (const rSearchData& r : rules)
            applySearchRule(r, lists, 0, {});
    };
    tListSet lists = listsOf({{"a", "Attention : « Danger » ! Vraiment ? Oui ; non"}, {"b", "L'épée..."}});
    const std::vector<rSearchData> punctuation = rulesOf("french-punctuation.txt");
    ASSERT_EQ(punctuation.size(), 6u);
    runAll(punctuation, lists);
    const QString once = lists[0][0]->gTrans;
    EXPECT_EQ(once, QStringLiteral("Attention\u00a0: «\u00a0Danger\u00a0»\u202f! Vraiment\u202f? Oui\u202f; non"));
    runAll(punctuation, lists);
    EXPECT_EQ(lists[0][0]->gTrans, once);

    runAll(rulesOf("typographic-apostrophe.txt"), lists);
    EXPECT_EQ(lists[0][1]->gTrans, QStringLiteral("L’épée…"));

    tListSet marks = listsOf({{"Iron Sword", "Iron Sword"}, {"Done", "Fait"}});
    marks[0][1]->sparams = {sStrParam::validated};
    const std::vector<rSearchData> mark = rulesOf("mark-untranslated.txt");
    ASSERT_EQ(mark.size(), 1u); // the second block has no endrule
    runAll(mark, marks);
    EXPECT_EQ(marks[0][0]->gTrans, QStringLiteral("[À traduire] Iron Sword"));
    EXPECT_EQ(marks[0][1]->gTrans, QStringLiteral("Fait"));
}
