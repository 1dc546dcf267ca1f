// What the string list views show, how they sort and what the status buttons and the search keep; recent files,
// presets and Close all as workspace commands.
#include "core/QUILL_recent.h"
#include "core/QUILL_startup.h"
#include "plugin_samples.h"
#include "scripted_host.h"
#include "string_table_builder.h"
#include "temp_program_dir.h"
#include "test_documents.h"
#include "workspace/QUILL_listRules.h"
#include "workspace/QUILL_options.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsChecks.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

tSkyStr entry(const QString& source, const QString& translation, sStrParams params = {},
              sStrInternalParams internal = {}) {
    tSkyStr e(source, translation, 0, 0x1a2b, 0, params, internal);
    return e;
}

} // namespace

TEST(ListRules, CellTextsOfSpecialSources) {
    EXPECT_EQ(listCellDisplayText(QString()), QStringLiteral("[NULL]"));
    EXPECT_EQ(listCellDisplayText(QStringLiteral(" ")), QStringLiteral("[SPACECHAR]"));
    EXPECT_EQ(listCellDisplayText(QStringLiteral("\r\n")), QStringLiteral("[CR LF]"));
    EXPECT_EQ(listCellDisplayText(QStringLiteral(" \t\x1f")), QStringLiteral("[SPACECHAR HT US]"));
    EXPECT_EQ(listCellDisplayText(QStringLiteral("Line one\r\nLine two")), QStringLiteral("Line one Line two"));

    TWorkspace ws;
    tSkyStr e = entry(QStringLiteral("Laser"), QStringLiteral("Laser"));
    e.id = 0x1a;
    EXPECT_EQ(listCellText(ws, e, 0), QStringLiteral("0001a"));
    e.LDResult = 95.0f;
    EXPECT_EQ(listCellText(ws, e, 3), QStringLiteral("-"));
    e.LDResult = 12.7f;
    e.LDFound = 1;
    EXPECT_EQ(listCellText(ws, e, 3), QStringLiteral("12"));
    e.LDFound = 2;
    EXPECT_EQ(listCellText(ws, e, 3), QStringLiteral("12+"));
    e.LDResult = 0.0f;
    EXPECT_EQ(listCellText(ws, e, 3), QString());
    e.sInternalparams.set(sStrInternalParam::isOrphean);
    EXPECT_EQ(listCellText(ws, e, 4), QStringLiteral("ORPHAN"));
    EXPECT_EQ(listColumnKey(2), QStringLiteral("Translated"));
    EXPECT_EQ(listName(1), QStringLiteral("DLSTRINGS"));
}

TEST(ListRules, StatusButtonsAndTheNullButton) {
    rListFilter filter;
    const tSkyStr translated = entry(QStringLiteral("a"), QStringLiteral("b"), {sStrParam::translated});
    const tSkyStr untranslated = entry(QStringLiteral("a"), QStringLiteral("a"));
    const tSkyStr partialWarned =
        entry(QStringLiteral("a"), QStringLiteral("b"), {sStrParam::incompleteTrans}, {sStrInternalParam::Warning});
    const tSkyStr blank = entry(QStringLiteral(" \r\n"), QString());
    EXPECT_TRUE(entryPassesFilter(filter, translated));
    filter.buttons.fill(false);
    EXPECT_FALSE(entryPassesFilter(filter, translated));
    EXPECT_TRUE(entryPassesFilter(filter, blank)); // only the null button decides for a blank source
    filter.showNull = false;
    EXPECT_FALSE(entryPassesFilter(filter, blank));
    filter.buttons[static_cast<int>(TStatusButton::notTranslated)] = true;
    EXPECT_TRUE(entryPassesFilter(filter, untranslated));
    EXPECT_FALSE(entryPassesFilter(filter, translated));
    filter.buttons.fill(false);
    filter.buttons[static_cast<int>(TStatusButton::partial)] = true;
    EXPECT_FALSE(entryPassesFilter(filter, partialWarned)); // a warned partial string shows under warnings
    filter.buttons[static_cast<int>(TStatusButton::warning)] = true;
    EXPECT_TRUE(entryPassesFilter(filter, partialWarned));
    tSkyStr ld = untranslated;
    ld.LDFound = 1;
    EXPECT_TRUE(statusButtonMatches(TStatusButton::ld, ld));
    EXPECT_FALSE(statusButtonMatches(TStatusButton::notTranslated, ld));
}

TEST(ListRules, SearchTextBySourceTranslationAndFormId) {
    rListFilter filter;
    const tSkyStr e = entry(QStringLiteral("Laser Rifle"), QStringLiteral("Fusil laser"), {sStrParam::translated});
    filter.setSearchText(QStringLiteral(" RIFLE "), true);
    EXPECT_EQ(filter.text, QStringLiteral("rifle"));
    EXPECT_TRUE(entryPassesFilter(filter, e));
    filter.searchIn = TSearchIn::translation;
    EXPECT_FALSE(entryPassesFilter(filter, e));
    filter.setSearchText(QStringLiteral("FUSIL"), false);
    EXPECT_TRUE(entryPassesFilter(filter, e));
    filter.setSearchText(QStringLiteral("1a2b"), false);
    EXPECT_EQ(filter.formId, 0x1a2bu);
    filter.setSearchText(QStringLiteral("rifle"), false);
    EXPECT_EQ(filter.formId, 0u);
    // Without a plugin link the editor id search finds nothing.
    filter.searchIn = TSearchIn::edid;
    filter.setSearchText(QStringLiteral("1a2b"), false);
    EXPECT_FALSE(entryPassesFilter(filter, e));
}

// The prepared search finds exactly what a case-insensitive contains finds: accents, other scripts, a needle longer
// than the text, characters outside the Basic Multilingual Plane, and a text set directly without preparing it.
TEST(ListRules, PreparedSearchMatchesCaseInsensitiveContains) {
    const QStringList texts{QStringLiteral("Épée LÉGENDAIRE"),   QStringLiteral("Straße"),
                            QStringLiteral("ΣΟΦΙΑ σοφία"),       QStringLiteral("İstanbul ıı"),
                            QStringLiteral("Rune 𐌰𐌱 of FIRE"),   QStringLiteral("ab"),
                            QStringLiteral("Nuka-Cola Quantum"), QStringLiteral("\u212Aelvin \u017Fword"),
                            QStringLiteral("kelvin SWORD"),      QString()};
    const QStringList searches{QStringLiteral("épée"),
                               QStringLiteral("légendaire"),
                               QStringLiteral("STRASSE"),
                               QStringLiteral("straße"),
                               QStringLiteral("σοφια"),
                               QStringLiteral("σοφία"),
                               QStringLiteral("istanbul"),
                               QStringLiteral("𐌰𐌱"),
                               QStringLiteral("of fire"),
                               QStringLiteral("abc"),
                               QStringLiteral("a-c"),
                               QStringLiteral("quantum"),
                               QStringLiteral("nuka-cola quantum and more"),
                               QStringLiteral("kelvin s"), // the Kelvin sign and the long s fold to ASCII letters
                               QStringLiteral("\u017Fword"),
                               QStringLiteral("n sw")};
    for (const QString& search : searches) {
        rListFilter filter;
        filter.setSearchText(search, false);
        for (const QString& text : texts) {
            const tSkyStr e = entry(text.isEmpty() ? QStringLiteral("x") : text, QString(), {sStrParam::translated});
            EXPECT_EQ(entryPassesFilter(filter, e), e.gS.contains(filter.text, Qt::CaseInsensitive))
                << search.toStdString() << " in " << text.toStdString();
        }
    }
    rListFilter direct;
    direct.text = QStringLiteral("fire"); // not prepared: still searched
    EXPECT_TRUE(entryPassesFilter(direct, entry(QStringLiteral("Rune of FIRE"), QString(), {sStrParam::translated})));
    EXPECT_FALSE(entryPassesFilter(direct, entry(QStringLiteral("Rune of ice"), QString(), {sStrParam::translated})));
}

TEST(ListRules, SortingComparers) {
    TWorkspace ws;
    tSkyStr a = entry(QStringLiteral("apple"), QStringLiteral("Zeta"));
    tSkyStr b = entry(QStringLiteral("Banana"), QStringLiteral("alpha"));
    a.id = 2;
    b.id = 10;
    EXPECT_LT(compareListEntries(ws, a, b, 0), 0);
    EXPECT_LT(compareListEntries(ws, a, b, 1), 0);
    EXPECT_GT(compareListEntries(ws, a, b, 2), 0);
    // Texts alphabetically: an accented capital between its letters' neighbours, its plain twin first.
    b.gTrans = QStringLiteral("Écran");
    EXPECT_LT(compareListEntries(ws, b, a, 2), 0);
    a.gTrans = QStringLiteral("Ecran");
    EXPECT_LT(compareListEntries(ws, a, b, 2), 0);
    a.gTrans = QStringLiteral("Zeta");
    b.gTrans = QStringLiteral("alpha");
    // Score column: higher scores first, then warnings, duplicates and partial strings.
    a.LDResult = 10.9f;
    b.LDResult = 10.1f;
    EXPECT_EQ(compareListEntries(ws, a, b, 3), 0);
    b.sInternalparams.set(sStrInternalParam::Warning);
    EXPECT_GT(compareListEntries(ws, a, b, 3), 0);
    a.LDResult = 11.0f;
    EXPECT_LT(compareListEntries(ws, a, b, 3), 0);
    EXPECT_EQ(compareListEntries(ws, a, b, 4), 0); // no editor ids
}

TEST(ListRules, RowLines) {
    tSkyStr e = entry(QString(500, QLatin1Char('x')), QString());
    EXPECT_EQ(listRowLines(e, false), 5);
    EXPECT_EQ(listRowLines(e, true), 1);
    e.setSourceLite(QString(199, QLatin1Char('x')));
    EXPECT_EQ(listRowLines(e, false), 2);
}

TEST(WorkspaceCommands, RecentFileThatVanishedIsRemovedWithAMessage) {
    TScriptedHost host;
    TWorkspace ws(&host);
    ws.state().recentAddon = {QStringLiteral("/nowhere/Gone.esp"), QStringLiteral("/NOWHERE/gone.ESP"),
                              QStringLiteral("/other.esp")};
    EXPECT_EQ(ws.openRecentFile(5), TWorkspace::TRecentResult::outOfRange);
    EXPECT_EQ(ws.openRecentFile(1), TWorkspace::TRecentResult::removed);
    EXPECT_EQ(ws.state().recentAddon, QStringList{QStringLiteral("/other.esp")});
    ASSERT_EQ(host.messages.size(), 1);
    EXPECT_EQ(host.messages[0].text, QStringLiteral("FbK_menuFail"));
    EXPECT_EQ(host.messages[0].buttons, int(dbOk));
}

TEST(WorkspaceCommands, PresetsAskOnlyWhenWorkIsLoaded) {
    TScriptedHost host;
    TWorkspace ws(&host);
    ws.state().presetlang = {QStringLiteral("preset_en_de"), QStringLiteral("preset_en_fr")};
    EXPECT_FALSE(ws.applyPreset(1)); // the current languages
    EXPECT_FALSE(ws.applyPreset(7));
    EXPECT_TRUE(host.messages.isEmpty());
    adoptDocument(ws, TWorkMode::Strings);
    ws.loadedLists[0].push_back(std::make_unique<tSkyStr>(QStringLiteral("a"), QStringLiteral("b"), 0, 1, 0));
    host.answers.enqueue(drNo);
    EXPECT_FALSE(ws.applyPreset(0));
    EXPECT_EQ(ws.state().DestLang, QStringLiteral("fr"));
    EXPECT_EQ(host.messages.value(0).text, QStringLiteral("Ask_LangUnload"));
    EXPECT_EQ(ws.loadedLists[0].size(), 1u);
    EXPECT_TRUE(ws.applyPreset(0)); // Yes by default
    EXPECT_EQ(ws.state().DestLang, QStringLiteral("de"));
    EXPECT_EQ(ws.state().WorkMode, TWorkMode::None);
    EXPECT_TRUE(ws.loadedLists[0].empty());
}

TEST(WorkspaceCommands, CloseAllAsksToSaveAndCanBeRefused) {
    TScriptedHost host;
    TWorkspace ws(&host);
    adoptDocument(ws, TWorkMode::Esp);
    ws.state().currentFileName = QStringLiteral("MyMod.esp");
    ws.state().dictionaryModified = true;
    ws.loadedLists[2].push_back(std::make_unique<tSkyStr>(QStringLiteral("a"), QStringLiteral("b"), 2, 1, 0));
    host.answers.enqueue(drCancel);
    EXPECT_FALSE(ws.closeAll());
    EXPECT_EQ(ws.state().WorkMode, TWorkMode::Esp);
    host.answers.enqueue(drNo);
    EXPECT_TRUE(ws.closeAll());
    EXPECT_EQ(ws.state().WorkMode, TWorkMode::None);
    EXPECT_TRUE(ws.state().currentFileName.isEmpty());
    EXPECT_TRUE(ws.loadedLists[2].empty());
    EXPECT_TRUE(host.logContains(QStringLiteral("Closing")));
}

TEST(OptionsRules, LanguageFoldersCacheInformationAndApplying) {
    TTempProgramDir dir(false);
    QDir().mkpath(dir.file(QStringLiteral("res/English")));
    QDir().mkpath(dir.file(QStringLiteral("res/french")));
    QDir().mkpath(dir.file(QStringLiteral("res/COMMON")));
    const QStringList folders = listLanguageFolders(dir.path());
    EXPECT_EQ(folders, (QStringList{"English", "french"}));
    EXPECT_EQ(languageFolderIndex(folders, QStringLiteral("FRENCH")), 1);
    EXPECT_EQ(languageFolderIndex(folders, QStringLiteral("klingon")), 0);
    EXPECT_EQ(codepageLanguageNames({QStringLiteral("fr=utf8"), QStringLiteral("en=1252")}), (QStringList{"fr", "en"}));

    TScriptedHost host;
    TWorkspace ws(&host);
    ws.state().vocabularyList = {QStringLiteral("strings\\fallout4")};
    const QString strings = dir.file(QStringLiteral("Data/Strings/"));
    for (const char* ext : {".strings", ".dlstrings", ".ilstrings"}) {
        dir.write(QStringLiteral("Data/Strings/fallout4_en") + QLatin1String(ext), "x");
        dir.write(QStringLiteral("Data/Strings/fallout4_fr") + QLatin1String(ext), "x");
    }
    ws.app.texts.set(QStringLiteral("fbk_FileGen"), QStringLiteral("%s: ready"));
    const auto info = cacheInformation(ws.app, strings, QStringLiteral("en"), QStringLiteral("fr"));
    ASSERT_EQ(info.size(), 7u);
    EXPECT_EQ(info[1].text, QStringLiteral("fallout4: ready"));
    EXPECT_EQ(info[1].colour, rCacheInfoLine::green);
    EXPECT_EQ(info[3].text, QStringLiteral("  fallout4.strings: en [FOUND] fr [FOUND] : GenYES"));
    const auto missing = cacheInformation(ws.app, strings, QStringLiteral("en"), QStringLiteral("de"));
    EXPECT_EQ(missing[1].colour, rCacheInfoLine::red);
    EXPECT_EQ(missing[4].text, QStringLiteral("  fallout4.dlstrings: en [FOUND] de [notFOUND] : GenNO"));

    // Applying: without loaded work the languages are taken without a question.
    rOptionsChoice choice;
    choice.sourceLang = QStringLiteral("en");
    choice.destLang = QStringLiteral("de");
    choice.sstbackupCount = 40;
    choice.backupSimple = false;
    choice.backupFolder = true;
    EXPECT_FALSE(choice.checks.has(quillcheck::TCheck::repeatedWord)); // the switches start as their defaults
    choice.checks = choice.checks - quillcheck::TCheckSet{quillcheck::TCheck::untranslated};
    choice.askBeforeValidate = false;
    EXPECT_TRUE(optionsNeedReload(ws.app, choice));
    EXPECT_TRUE(applyOptions(ws, choice));
    EXPECT_TRUE(host.messages.isEmpty());
    EXPECT_EQ(ws.state().DestLang, QStringLiteral("de"));
    EXPECT_EQ(ws.state().UILang, QStringLiteral("English"));
    EXPECT_EQ(ws.state().sstbackupCount, 25);
    EXPECT_FALSE(ws.state().EspBackupOptFolder);
    EXPECT_FALSE(ws.state().isFirstLaunch);
    EXPECT_FALSE(checkEnabled(ws.state(), quillcheck::TCheck::untranslated));
    EXPECT_TRUE(checkEnabled(ws.state(), quillcheck::TCheck::tags));
    EXPECT_FALSE(ws.state().checksAskBeforeValidate);
    // With a document open the question comes first, and No keeps the languages.
    adoptDocument(ws, TWorkMode::Strings);
    choice.destLang = QStringLiteral("it");
    host.answers.enqueue(drNo);
    EXPECT_FALSE(applyOptions(ws, choice));
    EXPECT_EQ(host.messages.value(0).text, QStringLiteral("Ask_LangUnload"));
    EXPECT_EQ(ws.state().DestLang, QStringLiteral("de"));
}

TEST(ListRules, TheSortRuleOrdersEveryColumnOfAPluginStablyWithEntriesWithoutEditorIdFirst) {
    TTempProgramDir dir;
    TScriptedHost host;
    TWorkspace ws(&host);
    startApplication(ws.app, dir.path());
    writePluginSamples(ws.app, dir.file(QStringLiteral("Data")));
    ASSERT_TRUE(ws.openFileByKind(dir.file(QStringLiteral("Data/QuillerySample.esp"))));
    tSkyStrList& list = ws.loadedLists[0];
    // An entry no record owns (as an orphan of a table) has no editor id.
    list.push_back(std::make_unique<tSkyStr>(QStringLiteral("zz orphan"), QStringLiteral("zz orphan"), 0, 0x7fff, 0));
    for (auto& e : list)
        e->LDResult = 0.0f; // scored, no suggestion
    list[1]->LDResult = 40.0f;
    list[2]->LDResult = 40.0f;
    list[2]->sInternalparams.set(sStrInternalParam::Warning);
    for (int column = 0; column < kListColumnCount; ++column) {
        for (bool descending : {false, true}) {
            const std::vector<int> order = sortedListOrder(ws, list, column, descending);
            ASSERT_EQ(order.size(), list.size());
            std::vector<int> sorted = order;
            std::sort(sorted.begin(), sorted.end());
            for (size_t i = 0; i < sorted.size(); ++i)
                ASSERT_EQ(sorted[i], static_cast<int>(i)) << "not a permutation, column " << column;
            for (size_t r = 1; r < order.size(); ++r) {
                const int c = compareListEntries(ws, *list[order[r - 1]], *list[order[r]], column);
                EXPECT_TRUE(descending ? c >= 0 : c <= 0) << "column " << column << " row " << r;
                // Equal keys keep the list's order (reversed with the whole order when descending).
                if (c == 0) {
                    EXPECT_TRUE(descending ? order[r - 1] > order[r] : order[r - 1] < order[r]);
                }
            }
        }
    }
    const std::vector<int> byEdid = sortedListOrder(ws, list, static_cast<int>(TListColumn::edid), false);
    EXPECT_EQ(list[byEdid.front()]->gS, QStringLiteral("zz orphan"));
    const std::vector<int> byScore = sortedListOrder(ws, list, static_cast<int>(TListColumn::ld), false);
    EXPECT_EQ(byScore[0], 2); // the same score with a warning first
    EXPECT_EQ(byScore[1], 1);
}

// The header click's order against the plain order of the rule's keys (one key per entry, stable sort) over texts
// that differ late, only in case or accents, in compatibility forms, in surrogates and marks the table does not
// take, in wide units where a sorted row's bytes end, and over every unit outside the surrogates (each next to a
// capital, an accent and a mark). The list is long enough to be sorted in two halves; the other columns too.
TEST(ListRules, TheSortOrderIsThePlainOrderOfTheKeys) {
    TWorkspace ws;
    tSkyStrList& list = ws.loadedLists[0];
    const auto add = [&](const QString& source, const QString& translation) {
        list.push_back(std::make_unique<tSkyStr>(source, translation, 0, static_cast<uint32_t>(list.size()), 0));
    };
    const QStringList mix = {QString(),
                             QStringLiteral("Iron sword of the north"),
                             QStringLiteral("iron sword of the north"),
                             QStringLiteral("IRON SWORD OF THE NORTH!"),
                             QStringLiteral("Iron sword of the nörth"),
                             QStringLiteral("Iron sword of the north"), // a twin: keeps its place after the first
                             QStringLiteral("Iron sword"),
                             QStringLiteral("Iron swore"),
                             QStringLiteral("Iron sword\u0000"),
                             QStringLiteral("\u00c9p\u00e9e"),
                             QStringLiteral("Epee"),
                             QStringLiteral("e\u0301pe\u0301e"),
                             QStringLiteral("\u017fword"), // long s folds to plain s: the same key as the next
                             QStringLiteral("sword"),
                             QStringLiteral("Stra\u00dfe"),
                             QStringLiteral("STRASSE"),
                             QStringLiteral("\u0130stanbul"),
                             QStringLiteral("\ufb01re"),
                             QStringLiteral("\u2026 and \u2019quotes\u2019"),
                             QStringLiteral("\u041c\u0435\u0447 \u0439"),
                             QStringLiteral("\u0915\u093f\u0902"),
                             QStringLiteral("x\u302e\u1b44"), // spacing marks that normalization reorders
                             QStringLiteral("x\u1b45"),
                             QStringLiteral("\U0001D400 bold \U00010400"),
                             QChar(0xD800) + QStringLiteral(" lone"),
                             QStringLiteral("\ue000 private"),
                             QString(40, QLatin1Char('z')) + QStringLiteral("a"),
                             QString(40, QLatin1Char('Z')) + QStringLiteral("\u00e0"),
                             QString(40, QLatin1Char('z')),
                             // Wide units where a row's 32 bytes end: fitting exactly, or not at all.
                             QString(31, QLatin1Char('a')) + QStringLiteral("\u0416b"),
                             QString(31, QLatin1Char('A')) + QStringLiteral("b"),
                             QString(31, QLatin1Char('a')) + QStringLiteral("\u4e2d"),
                             QString(30, QLatin1Char('a')) + QStringLiteral("\u4e2dx"),
                             QString(29, QLatin1Char('a')) + QStringLiteral("\u4e2dx"),
                             QString(29, QLatin1Char('a')) + QStringLiteral("\u4e2c\u00e9"),
                             QString(30, QLatin1Char('a')) + QStringLiteral("\u0416x"),
                             QString(30, QLatin1Char('a')) + QStringLiteral("\u007fx"),
                             QString(32, QLatin1Char('a')),
                             QString(32, QLatin1Char('a')) + QChar(0),
                             QString(31, QLatin1Char('a')) + QStringLiteral("\ufffd"),
                             QString(63, QLatin1Char('a')) + QStringLiteral("\u0416\u0416"),
                             QString(63, QLatin1Char('a')) + QStringLiteral("\u0415\u0417"),
                             // Units of several letters, or none, where a row ends; the 0 between the letters and
                             // the case folding there.
                             QString(31, QLatin1Char('a')) + QStringLiteral("\ufb01x"),
                             QString(30, QLatin1Char('a')) + QStringLiteral("\ufb01x"),
                             QString(31, QLatin1Char('a')) + QStringLiteral("fj"),
                             QString(31, QLatin1Char('a')) + QStringLiteral("\u00bd"),
                             QString(30, QLatin1Char('a')) + QStringLiteral("\u01c4"),
                             QString(31, QLatin1Char('a')) + QStringLiteral("\u0301b"),
                             QString(31, QLatin1Char('a')) + QStringLiteral("b\u0301"),
                             QString(31, QLatin1Char('a')) + QStringLiteral("\u00e9"),
                             QString(32, QLatin1Char('a')) + QStringLiteral("\u00e9"),
                             QString(31, QLatin1Char('a')) + QStringLiteral("e")};
    for (int i = 0; i < 3; ++i)
        for (const QString& text : mix)
            add(text, mix.value((mix.indexOf(text) + i) % mix.size()));
    for (char16_t u = 1; u != 0; ++u)
        if (!QChar::isSurrogate(u))
            add(QStringLiteral("Q") + QChar(u) + QStringLiteral("\u00e9\u0301"), QString(QChar(u)));
    for (size_t i = 0; i < list.size(); ++i) {
        list[i]->LDResult = static_cast<float>(i * 7919 % 97);
        list[i]->id = static_cast<uint32_t>(i * 40503 % 65521);
    }
    for (int column = 0; column < kListColumnCount; ++column) {
        std::vector<rListSortKey> keys;
        for (const auto& e : list)
            keys.push_back(listSortKey(ws, *e, column));
        std::vector<int> expected(list.size());
        for (size_t i = 0; i < expected.size(); ++i)
            expected[i] = static_cast<int>(i);
        std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) { return keys[a] < keys[b]; });
        EXPECT_EQ(sortedListOrder(ws, list, column, false), expected) << "column " << column;
        std::reverse(expected.begin(), expected.end());
        EXPECT_EQ(sortedListOrder(ws, list, column, true), expected) << "column " << column;
    }
}

// The options' cache rebuild is the command line's build-cache command: the caches, their count in the log, the
// vocabulary left to load again.
TEST(OptionsRules, RebuildingTheCacheRunsTheBuildCacheCommand) {
    TTempProgramDir dir;
    TScriptedHost host;
    TWorkspace ws(&host);
    startApplication(ws.app, dir.path());
    const QString strings = dir.file(QStringLiteral("Data/Strings/"));
    writeUtf8TableSet(strings, QStringLiteral("Fallout4"), QStringLiteral("en"),
                      {{{{1, "Iron"}}, {{2, "Long"}}, {{3, "Hi"}}}});
    writeUtf8TableSet(strings, QStringLiteral("Fallout4"), QStringLiteral("fr"),
                      {{{{1, "Fer"}}, {{2, "Long"}}, {{3, "Salut"}}}});
    ws.state().StringsFolder = strings;
    rOptionsChoice choice;
    choice.sourceLang = QStringLiteral("EN");
    choice.destLang = QStringLiteral("fr");
    choice.rebuildCache = true;
    EXPECT_TRUE(applyOptions(ws, choice));
    EXPECT_EQ(ws.state().SourceLang, QStringLiteral("en"));
    EXPECT_TRUE(QFileInfo::exists(dir.file(QStringLiteral("Cache/fallout4_en_fr.cache"))));
    EXPECT_TRUE(host.logContains(ws.app.uiTextFormat(QStringLiteral("Fbk_CacheBuilt"), {1})));
    EXPECT_EQ(countListSet(ws.vocabularyLists), 0);
}
