// The old dialogue style over plugins built with INFO records, the word file, and the Chinese character conversion
// with a small table and with the shipped one.
#include "aids/QUILL_dialogueTools.h"
#include "core/QUILL_startup.h"
#include "plugin/QUILL_espTree.h"
#include "support/plugin_builder.h"
#include "support/scripted_host.h"
#include "support/string_table_builder.h"
#include "support/temp_program_dir.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsDialogue.h"
#include "workspace/QUILL_wsPlugin.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

using B = TPluginBuilder;

struct TDialogueFixture {
    TTempProgramDir dir;
    TScriptedHost host;
    TWorkspace ws{&host};

    TDialogueFixture() {
        startApplication(ws.app, dir.path());
        ws.app.state.SourceLang = QStringLiteral("en");
        ws.app.state.DestLang = QStringLiteral("en");
    }
    bool open(const QByteArray& bytes) {
        return ws.openAs("plugin", dir.write(QStringLiteral("Data/dial.esp"), bytes), false);
    }
    // The entry of list `list` whose source is `source` (the first one).
    tSkyStr* entry(const QString& source, int list = 0) {
        for (auto& e : ws.loadedLists[static_cast<size_t>(list)])
            if (e->gS == source) return e.get();
        return nullptr;
    }
    QString trans(const QString& source) {
        tSkyStr* e = entry(source);
        return e ? e->gTrans : QStringLiteral("<missing>");
    }
};

// A quest group as the game nests it: quests, then each quest's children holding its topics and their responses.
B& openQuestTopic(B& b) {
    b.beginGroup("QUST");
    b.record("QUST", 0x10, {B::text("EDID", "MyQuest")});
    b.beginGroup(0x10, 10);
    b.record("DIAL", 0x11, {B::text("EDID", "MyTopic")});
    b.beginGroup(0x11, 7);
    return b;
}

QString longLine(int spaceAt, int length) {
    QString s(length, QLatin1Char('a'));
    s[spaceAt - 1] = QLatin1Char(' ');
    return s;
}

} // namespace

TEST(DialogueTools, CutAtWordKeepsShortTextsAndCutsBeforeTheLimit) {
    EXPECT_EQ(cutAtWord(QStringLiteral("abcd"), 2), QStringLiteral("abcd"));
    EXPECT_EQ(cutAtWord(QString(75, QLatin1Char('x')), 75), QString(75, QLatin1Char('x')));
    // A space at position 70 of a 100-character text: the 69 letters before it.
    EXPECT_EQ(cutAtWord(longLine(70, 100), 75), QString(69, QLatin1Char('a')) + QStringLiteral("..."));
    // The nearest space to the limit wins, but only where the dots still fit: a space at 73 is taken, spaces at 74
    // and 75 would make the line longer than the limit.
    QString two = longLine(60, 100);
    two[72] = QLatin1Char(' ');
    EXPECT_EQ(cutAtWord(two, 75), two.left(72) + QStringLiteral("..."));
    two[72] = QLatin1Char('a');
    two[73] = two[74] = QLatin1Char(' ');
    EXPECT_EQ(cutAtWord(two, 75), two.left(59) + QStringLiteral("..."));
    // Whatever the spaces, a cut line never passes the limit.
    for (int limit = 75; limit <= 150; limit += 5)
        for (int space = 1; space <= 160; space += 3) {
            const QString cut = cutAtWord(longLine(space, 170), limit);
            EXPECT_LE(cut.size(), limit) << limit << " " << space;
            EXPECT_TRUE(cut.endsWith(QStringLiteral("...")));
        }
    // A space at position limit - 21 lies outside the window: the plain cut at limit - 3.
    EXPECT_EQ(cutAtWord(longLine(54, 100), 75), longLine(54, 100).left(72) + QStringLiteral("..."));
    EXPECT_EQ(cutAtWord(longLine(55, 100), 75), QString(54, QLatin1Char('a')) + QStringLiteral("..."));
    // Spaces from the window's start up to the one found: no letter to end on, so the plain cut.
    QString spaces = QString(100, QLatin1Char('a'));
    for (int p = 54; p <= 70; ++p)
        spaces[p - 1] = QLatin1Char(' ');
    EXPECT_EQ(cutAtWord(spaces, 75), spaces.left(72) + QStringLiteral("..."));
    // A limit too small to hold the dots never reaches outside the text.
    EXPECT_EQ(cutAtWord(QStringLiteral("abcdefgh"), 2), QStringLiteral("..."));
}

TEST(DialogueTools, PatternTakesEachPlaceholderFromThePatternOnly) {
    EXPECT_EQ(applyOldDialogPattern(QStringLiteral("[%PREFIXE%] %DIAL%"), QStringLiteral("Ask"), QStringLiteral("Hi")),
              QStringLiteral("[Ask] Hi"));
    EXPECT_EQ(applyOldDialogPattern(QStringLiteral("%DIAL% (%PREFIXE%)"), QStringLiteral("Ask"), QStringLiteral("Hi")),
              QStringLiteral("Hi (Ask)"));
    // A prompt holding a placeholder is not substituted again; only the first of each mark is replaced.
    EXPECT_EQ(applyOldDialogPattern(QStringLiteral("%PREFIXE%: %DIAL% %DIAL%"), QStringLiteral("%DIAL%"),
                                    QStringLiteral("Hi")),
              QStringLiteral("%DIAL%: Hi %DIAL%"));
    EXPECT_EQ(applyOldDialogPattern(QStringLiteral("%PREFIXE%DIAL%"), QStringLiteral("A"), QStringLiteral("B")),
              QStringLiteral("ADIAL%"));
    EXPECT_EQ(applyOldDialogPattern(QStringLiteral("plain"), QStringLiteral("A"), QStringLiteral("B")),
              QStringLiteral("plain"));
    EXPECT_EQ(oldDialogWords(QStringLiteral(" Sarcastic \n\n  \nBARTER\r")),
              (QStringList{QStringLiteral("sarcastic"), QStringLiteral("barter")}));
}

// Responses, prompts and prefixes in one run: two responses before a prompt, the prefix pattern, a second prompt of
// one record, a prompt whose response lies in a shared INFO, and an unknown shared id.
TEST(DialogueTools, RunRewritesPromptsWithTheirResponses) {
    TDialogueFixture f;
    B b;
    openQuestTopic(b);
    b.record("INFO", 0x20,
             {B::text("NAM1", "First response"), B::text("NAM1", "Second response"), B::text("RNAM", "Question")});
    b.record("INFO", 0x21, {B::text("NAM1", "Nice work"), B::text("RNAM", "Sarcastic")});
    b.record("INFO", 0x22,
             {B::text("NAM1", "One"), B::text("RNAM", "Yes"), B::text("NAM1", "Two"), B::text("RNAM", "No")});
    b.record("INFO", 0x23, {B::u32("DNAM", 0x21), B::text("RNAM", "Borrowed")});
    b.record("INFO", 0x24, {B::u32("DNAM", 0x99), B::text("RNAM", "Lost")});
    b.endGroup().endGroup().endGroup();
    ASSERT_TRUE(f.open(b.bytes()));
    f.entry(QStringLiteral("Lost"))->setSTrans(QStringLiteral("Earlier work"));

    rOldDialogOptions options;
    options.prefixWords = oldDialogWords(QStringLiteral("Sarcastic\nBarter"));
    EXPECT_EQ(runOldDialogStyle(f.ws, options), 5);
    EXPECT_EQ(f.trans(QStringLiteral("Question")), QStringLiteral("Second response"));
    EXPECT_EQ(f.trans(QStringLiteral("Sarcastic")), QStringLiteral("[Sarcastic] Nice work"));
    EXPECT_EQ(f.trans(QStringLiteral("Yes")), QStringLiteral("One"));
    EXPECT_EQ(f.trans(QStringLiteral("No")), QStringLiteral("Two"));
    // The shared response is the other INFO's source, not its rewritten translation; the prompt is marked.
    EXPECT_EQ(f.trans(QStringLiteral("Borrowed")), QStringLiteral("Nice work"));
    EXPECT_TRUE(f.entry(QStringLiteral("Borrowed"))->hasFlag(sStrInternalParam::Warning));
    EXPECT_FALSE(f.entry(QStringLiteral("Yes"))->hasFlag(sStrInternalParam::Warning));
    // Not converted, not kept: back to its source.
    EXPECT_EQ(f.trans(QStringLiteral("Lost")), QStringLiteral("Lost"));
    const tSkyStr* sarcastic = f.entry(QStringLiteral("Sarcastic"));
    EXPECT_TRUE(sarcastic->hasParam(sStrParam::validated));
    EXPECT_FALSE(sarcastic->hasParam(sStrParam::incompleteTrans));
    // Responses are untouched (a plugin opened in its own language starts with its texts as translations).
    EXPECT_EQ(f.entry(QStringLiteral("Nice work"), 2)->gTrans, QStringLiteral("Nice work"));
    EXPECT_TRUE(f.host.logContains(f.ws.app.uiText(QStringLiteral("OldDial_Multi"))));
    EXPECT_TRUE(f.host.logContains(QStringLiteral("OldDial_Replaced")) ||
                f.host.logContains(QStringLiteral("5 dialogue choices")));
    ASSERT_FALSE(f.host.messages.isEmpty());
    EXPECT_EQ(f.host.messages.back().buttons, dbOk);
    EXPECT_EQ(oldDialogPattern(f.ws), QString::fromLatin1(kOldDialogDefaultPattern));

    // One undo step takes the whole run back, the flags with it.
    ASSERT_TRUE(f.ws.hasUnsavedWork());
    EXPECT_EQ(f.ws.history.undoName(), QStringLiteral("Old dialogue style (6 strings)"));
    ASSERT_TRUE(f.ws.undo());
    EXPECT_EQ(f.trans(QStringLiteral("Sarcastic")), QStringLiteral("Sarcastic"));
    EXPECT_EQ(f.trans(QStringLiteral("Lost")), QStringLiteral("Earlier work"));
    EXPECT_FALSE(f.entry(QStringLiteral("Borrowed"))->hasFlag(sStrInternalParam::Warning));
    EXPECT_FALSE(f.ws.history.canUndo());
}

// Long responses with skip and cut, kept or reset prompts, the selection by status, and a prompt without an entry.
TEST(DialogueTools, LongResponsesSelectionAndKeptChanges) {
    TDialogueFixture f;
    B b;
    openQuestTopic(b);
    b.record("INFO", 0x30, {B::text("NAM1", longLine(70, 100)), B::text("RNAM", "Long")});
    b.record("INFO", 0x31, {B::text("NAM1", "Short line"), B::text("RNAM", "Short")});
    b.record("INFO", 0x32, {B::text("NAM1", "Orphan line"), B::text("RNAM", "Detached"), B::text("RNAM", "After")});
    b.endGroup().endGroup().endGroup();
    ASSERT_TRUE(f.open(b.bytes()));
    for (const char* prompt : {"Long", "Short", "After"})
        f.entry(QLatin1String(prompt))->setSTrans(QStringLiteral("mine"));
    // A prompt field without a string entry is passed over; its response is spent all the same.
    f.entry(QStringLiteral("Detached"))->esp.field->sk = nullptr;

    rOldDialogOptions options;
    options.longResponse = TLongResponse::skip;
    options.limit = 75;
    options.keepChanges = true;
    EXPECT_EQ(runOldDialogStyle(f.ws, options), 1);
    EXPECT_EQ(f.trans(QStringLiteral("Long")), QStringLiteral("mine"));
    EXPECT_EQ(f.trans(QStringLiteral("Short")), QStringLiteral("Short line"));
    EXPECT_EQ(f.trans(QStringLiteral("After")), QStringLiteral("mine"));

    options.keepChanges = false;
    EXPECT_EQ(runOldDialogStyle(f.ws, options), 1);
    EXPECT_EQ(f.trans(QStringLiteral("Long")), QStringLiteral("Long"));
    EXPECT_EQ(f.trans(QStringLiteral("After")), QStringLiteral("After"));
    EXPECT_EQ(f.trans(QStringLiteral("Detached")), QStringLiteral("Detached"));

    options.longResponse = TLongResponse::cut;
    EXPECT_EQ(runOldDialogStyle(f.ws, options), 2);
    EXPECT_EQ(f.trans(QStringLiteral("Long")), QString(69, QLatin1Char('a')) + QStringLiteral("..."));

    // Only the partial prompts: the others are reset unless kept.
    f.entry(QStringLiteral("Short"))->setSTrans(QStringLiteral("mine"));
    f.entry(QStringLiteral("Long"))->resetStatus({sStrParam::incompleteTrans}, {sStrParam::validated});
    options.selection = tStringPredicate::incomplete;
    options.longResponse = TLongResponse::keep;
    options.keepChanges = true;
    EXPECT_EQ(runOldDialogStyle(f.ws, options), 1);
    EXPECT_EQ(f.trans(QStringLiteral("Long")), longLine(70, 100));
    EXPECT_EQ(f.trans(QStringLiteral("Short")), QStringLiteral("mine"));
    // The selection with no view to ask selects nothing.
    options.selection = tStringPredicate::selected;
    options.keepChanges = false;
    EXPECT_EQ(runOldDialogStyle(f.ws, options), 0);
    EXPECT_EQ(f.trans(QStringLiteral("Short")), QStringLiteral("Short"));
}

// Prompts with game tags: left alone by default, converted raw with "OldDial_bAll", given the pattern with
// "OldDial_AddOriginal", and never cut.
TEST(DialogueTools, TaggedPromptsFollowTheirTwoBoxes) {
    TDialogueFixture f;
    B b;
    openQuestTopic(b);
    b.record("INFO", 0x40, {B::text("NAM1", "Go away"), B::text("RNAM", "Tell <Alias=Boss>")});
    b.record("INFO", 0x41, {B::text("NAM1", longLine(70, 100)), B::text("RNAM", "Pay <Global=Price> caps")});
    b.endGroup().endGroup().endGroup();
    ASSERT_TRUE(f.open(b.bytes()));
    const QString boss = QStringLiteral("Tell <Alias=Boss>");
    const QString price = QStringLiteral("Pay <Global=Price> caps");

    rOldDialogOptions options;
    options.longResponse = TLongResponse::cut;
    options.limit = 75;
    EXPECT_EQ(runOldDialogStyle(f.ws, options), 0);
    EXPECT_EQ(f.trans(boss), boss);

    options.allPrompts = true;
    EXPECT_EQ(runOldDialogStyle(f.ws, options), 2);
    EXPECT_EQ(f.trans(boss), QStringLiteral("Go away"));
    EXPECT_EQ(f.trans(price), longLine(70, 100));

    options.addOriginal = true;
    options.pattern = QStringLiteral("%PREFIXE% - %DIAL%");
    EXPECT_EQ(runOldDialogStyle(f.ws, options), 2);
    EXPECT_EQ(f.trans(boss), QStringLiteral("Tell <Alias=Boss> - Go away"));
    EXPECT_EQ(oldDialogPattern(f.ws), QStringLiteral("%PREFIXE% - %DIAL%"));

    // An empty pattern converts nothing rather than blank the prompt.
    options.pattern.clear();
    EXPECT_EQ(runOldDialogStyle(f.ws, options), 0);
    EXPECT_EQ(f.trans(boss), boss);
    EXPECT_EQ(f.trans(price), price);
    options.pattern = QStringLiteral("%PREFIXE% - %DIAL%");

    // "<alias" in lower case is no tag.
    f.entry(boss)->setS(QStringLiteral("Tell <alias=Boss>"));
    options.allPrompts = false;
    EXPECT_EQ(runOldDialogStyle(f.ws, options), 1);
}

// A localized plugin: texts come from its string tables, the DNAM stays in the INFO records read, and a prompt whose
// string id other fields share is left alone (its translation is theirs too).
TEST(DialogueTools, LocalizedPluginUsesTableTextsAndSkipsSharedIds) {
    TDialogueFixture f;
    B b(true);
    openQuestTopic(b);
    b.record("INFO", 0x20, {B::u32("NAM1", 100), B::u32("RNAM", 1)});
    b.record("INFO", 0x21, {B::u32("DNAM", 0x20), B::u32("RNAM", 2)});
    b.record("INFO", 0x22, {B::u32("NAM1", 101), B::u32("RNAM", 3)});
    b.record("INFO", 0x23, {B::u32("NAM1", 102), B::u32("RNAM", 3)});
    b.endGroup().endGroup().endGroup();
    const QString path = f.dir.write(QStringLiteral("Data/Loc.esp"), b.bytes());
    rTableSetTexts texts;
    texts[0] = {{1, QStringLiteral("Greet")}, {2, QStringLiteral("Again")}, {3, QStringLiteral("Shared")}};
    texts[2] = {{100, QStringLiteral("Hello there")}, {101, QStringLiteral("One")}, {102, QStringLiteral("Two")}};
    writeUtf8TableSet(f.dir.file(QStringLiteral("Data/Strings")), QStringLiteral("Loc"), QStringLiteral("en"), texts);
    ASSERT_TRUE(f.ws.openAs("plugin", path, false));
    ASSERT_TRUE(f.entry(QStringLiteral("Shared"))->hasFlag(sStrInternalParam::toLocalizedSharedID));
    f.entry(QStringLiteral("Shared"))->setSTrans(QStringLiteral("mine"));
    rOldDialogOptions options;
    options.keepChanges = true;
    EXPECT_EQ(runOldDialogStyle(f.ws, options), 2);
    EXPECT_EQ(f.trans(QStringLiteral("Greet")), QStringLiteral("Hello there"));
    EXPECT_EQ(f.trans(QStringLiteral("Again")), QStringLiteral("Hello there"));
    EXPECT_TRUE(f.entry(QStringLiteral("Again"))->hasFlag(sStrInternalParam::Warning));
    EXPECT_EQ(f.trans(QStringLiteral("Shared")), QStringLiteral("mine"));
}

TEST(DialogueTools, WithoutQuestGroupNothingIsConverted) {
    TDialogueFixture f;
    B b;
    b.beginGroup("DIAL").record("INFO", 0x50, {B::text("NAM1", "Hello"), B::text("RNAM", "Hi")}).endGroup();
    ASSERT_TRUE(f.open(b.bytes()));
    EXPECT_EQ(runOldDialogStyle(f.ws, rOldDialogOptions()), 0);
    EXPECT_EQ(f.trans(QStringLiteral("Hi")), QStringLiteral("Hi"));
    EXPECT_FALSE(f.ws.history.canUndo());
    EXPECT_TRUE(f.host.logContains(QStringLiteral("0 dialogue choices")));
    f.ws.closeAll();
    EXPECT_EQ(runOldDialogStyle(f.ws, rOldDialogOptions()), -1);
}

// The shared response comes from the first INFO with that form id in tree order, even when a later one with the
// same id has a response of its own.
TEST(DialogueTools, SharedResponseTakesTheFirstRecordOfItsId) {
    TDialogueFixture f;
    B b;
    openQuestTopic(b);
    b.record("INFO", 0x60, {B::text("RNAM", "No response here")});
    b.record("INFO", 0x61, {B::u32("DNAM", 0x60), B::text("RNAM", "Ask")});
    b.endGroup();
    b.beginGroup(0x12, 7);
    b.record("INFO", 0x60, {B::text("NAM1", "Duplicate id")});
    b.endGroup().endGroup().endGroup();
    ASSERT_TRUE(f.open(b.bytes()));
    const tPluginNode* quests = findQuestGroup(f.ws.plugin()->tree);
    ASSERT_NE(quests, nullptr);
    rOldDialogOptions options;
    TOldDialogRun run(*quests, options);
    EXPECT_FALSE(run.findSharedResponse(0x60).has_value());
    EXPECT_FALSE(run.findSharedResponse(0).has_value());
    EXPECT_FALSE(run.findSharedResponse(0x61).has_value());
    EXPECT_EQ(runOldDialogStyle(f.ws, options), 0);
}

TEST(DialogueTools, WordFileDefaultsAndRoundTrip) {
    TDialogueFixture f;
    // The shipped files: the default words in English, the French game's prompts in French.
    EXPECT_EQ(oldDialogWords(readOldDialogWords(f.ws)), oldDialogWords(defaultOldDialogWords().join('\n')));
    f.ws.app.state.DestLang = QStringLiteral("fr");
    EXPECT_TRUE(oldDialogWords(readOldDialogWords(f.ws)).contains(QStringLiteral("sarcastique")));

    f.ws.app.state.DestLang = QStringLiteral("xx");
    QDir(f.ws.app.state.miscFolder).removeRecursively();
    EXPECT_EQ(readOldDialogWords(f.ws), defaultOldDialogWords().join(QLatin1Char('\n')));
    EXPECT_TRUE(QDir(f.ws.app.state.miscFolder).exists());
    const QString words = QStringLiteral("Sarcastique\nMarchander\n\u00C9changer");
    ASSERT_TRUE(saveOldDialogWords(f.ws, words));
    const QByteArray bytes = fileBytes(f.ws.app.state.miscFolder + QStringLiteral("oldDialogStyle_xx.txt"));
    EXPECT_EQ(bytes, QByteArray("\xEF\xBB\xBF") + words.toUtf8());
    EXPECT_EQ(readOldDialogWords(f.ws), words);
}

// ----- Chinese characters

namespace {

struct TChineseFixture : TDialogueFixture {
    TChineseFixture() {
        B b;
        b.beginGroup("WEAP");
        b.record("WEAP", 0x100, {B::text("EDID", "A"), B::text("FULL", "One")});
        b.record("WEAP", 0x101, {B::text("EDID", "B"), B::text("FULL", "Two")});
        b.endGroup();
        EXPECT_TRUE(open(b.bytes()));
    }
    void setTable(const QByteArray& text) { dir.write(QStringLiteral("misc/Charset_SCTC.txt"), text); }
    tSkyStr& first() { return *ws.loadedLists[0][0]; }
    tSkyStr& second() { return *ws.loadedLists[0][1]; }
};

} // namespace

TEST(ChineseConversion, BothWaysWithFirstPositionWinning) {
    TChineseFixture f;
    // 发 appears twice: it turns into its first counterpart; both traditional forms turn into it. The last pair
    // holds characters outside the basic plane (one code point, two code units each).
    f.setTable(QStringLiteral("# comment\n\n发发干𱊜\n發髮幹𪈼\n").toUtf8());
    f.first().setSTrans(QStringLiteral("头发 发 干 𱊜 x"));
    f.first().resetStatus({sStrParam::incompleteTrans}, {});
    f.second().setSTrans(QStringLiteral("髮發幹𪈼"));
    EXPECT_EQ(convertChinese(f.ws, TChineseDirection::simplifiedToTraditional), 1);
    EXPECT_EQ(f.first().gTrans, QStringLiteral("头發 發 幹 𪈼 x"));
    EXPECT_EQ(f.first().hashTrans, textHash(f.first().gTrans));
    EXPECT_EQ(f.second().gTrans, QStringLiteral("髮發幹𪈼"));
    EXPECT_TRUE(f.first().hasParam(sStrParam::incompleteTrans));
    EXPECT_FALSE(f.first().hasParam(sStrParam::validated));

    EXPECT_EQ(convertChinese(f.ws, TChineseDirection::traditionalToSimplified), 2);
    EXPECT_EQ(f.first().gTrans, QStringLiteral("头发 发 干 𱊜 x"));
    EXPECT_EQ(f.second().gTrans, QStringLiteral("发发干𱊜"));
    EXPECT_EQ(f.ws.history.undoName(), QStringLiteral("Chinese characters (2 strings)"));
    ASSERT_TRUE(f.ws.undo());
    EXPECT_EQ(f.second().gTrans, QStringLiteral("髮發幹𪈼"));
}

TEST(ChineseConversion, MalformedOrMissingTablesConvertNothing) {
    TChineseFixture f;
    f.first().setSTrans(QStringLiteral("发"));
    const qsizetype messages = f.host.messages.size();
    for (const QByteArray& table : {QByteArray("发干\n發\n"), QByteArray("发\n"), QByteArray("# only\n"),
                                    QByteArray("发𱊜\n發幹干\n") /* equal in code units, not in characters */}) {
        f.setTable(table);
        EXPECT_EQ(convertChinese(f.ws, TChineseDirection::simplifiedToTraditional), 0) << table.toStdString();
        EXPECT_EQ(f.first().gTrans, QStringLiteral("发"));
    }
    QFile::remove(f.dir.file(QStringLiteral("misc/Charset_SCTC.txt")));
    EXPECT_EQ(convertChinese(f.ws, TChineseDirection::simplifiedToTraditional), 0);
    EXPECT_FALSE(f.ws.history.canUndo());
    EXPECT_EQ(f.host.messages.size(), messages);
}

// The shipped table, made from OpenCC's character tables: common words both ways.
TEST(ChineseConversion, ShippedTableConvertsCommonText) {
    TChineseFixture f;
    f.first().setSTrans(QStringLiteral("简体中文的头发"));
    convertChinese(f.ws, TChineseDirection::simplifiedToTraditional);
    // Character by character: 发 takes OpenCC's default 發, even where a phrase table would choose 髮.
    EXPECT_EQ(f.first().gTrans, QStringLiteral("簡體中文的頭發"));
    f.second().setSTrans(QStringLiteral("這是繁體字，不是簡體字。"));
    convertChinese(f.ws, TChineseDirection::traditionalToSimplified);
    EXPECT_EQ(f.first().gTrans, QStringLiteral("简体中文的头发"));
    EXPECT_EQ(f.second().gTrans, QStringLiteral("这是繁体字，不是简体字。"));
}
