// Record definitions: parsing by position, the deciding walk, both conditions and the field size reference.
#include "plugin/QUILL_espDefinition.h"
#include "plugin/QUILL_espTree.h"

#include <gtest/gtest.h>

namespace {

TRecordDefinitions builtIn() {
    TRecordDefinitions d;
    d.loadRecordDefs(recordDefinitionText({}));
    return d;
}

// A record with the given fields (signature, data); returns the list index the last one gets.
int decideLast(const TRecordDefinitions& defs, const char* recordSig,
               const std::vector<std::pair<const char*, QByteArray>>& fields, bool* notNull = nullptr) {
    rGenericHeader gh;
    gh.name = sHeaderSig::fromBytes(recordSig);
    trecord r(gh);
    for (const auto& [sig, data] : fields) {
        tField& f = r.fList.emplace_back();
        f.header.name = sHeaderSig::fromBytes(sig);
        f.buffer = data;
    }
    tField& last = r.fList.back();
    const int d = defs.getFieldListIndex(r, last, r.fList.size() - 1);
    if (notNull) *notNull = last.params.has(sfieldParam::notNull);
    return d;
}

} // namespace

TEST(RecordDefinitions, BuiltInTextEndsWithTheSkipLines) {
    const QStringList text = recordDefinitionText({});
    ASSERT_EQ(text.size(), 69);
    EXPECT_EQ(text[24], QStringLiteral("#Fallout4\t"));
    EXPECT_EQ(text[64], QStringLiteral("#these records will not be parsed "));
    EXPECT_TRUE(text[65].isEmpty());
    EXPECT_EQ(text[67], QStringLiteral("Skip:NAVM"));
    EXPECT_EQ(text[68], QStringLiteral("Skip:NAVI"));
    const TRecordDefinitions d = builtIn();
    EXPECT_EQ(d.fieldDefList.size(), 39u);
    EXPECT_EQ(d.warnFieldList.size(), 13u);
    EXPECT_TRUE(d.isSkippedRecord(sHeaderSig('N', 'A', 'V', 'M')));
    EXPECT_FALSE(d.isSkippedRecord(sHeaderSig('W', 'E', 'A', 'P')));
    // The Warn line names the field first; the pair is stored record first.
    EXPECT_TRUE(d.isWarnField(sHeaderSig('M', 'E', 'S', 'G'), sHeaderSig('I', 'T', 'X', 'T')));
    EXPECT_FALSE(d.isWarnField(sHeaderSig('I', 'T', 'X', 'T'), sHeaderSig('M', 'E', 'S', 'G')));
}

TEST(RecordDefinitions, FileLinesReplaceTheBuiltInText) {
    const QStringList text = recordDefinitionText({QStringLiteral("Def_:FULL=WEAP=1")});
    EXPECT_EQ(text, (QStringList{QStringLiteral("Def_:FULL=WEAP=1"), QStringLiteral("Skip:NAVM"),
                                 QStringLiteral("Skip:NAVI")}));
}

TEST(RecordDefinitions, ListsNotNullAndWildcards) {
    const TRecordDefinitions d = builtIn();
    bool notNull = false;
    EXPECT_EQ(decideLast(d, "INFO", {{"NAM1", "x"}}, &notNull), 2);
    EXPECT_TRUE(notNull);
    EXPECT_EQ(decideLast(d, "BOOK", {{"CNAM", "x"}}, &notNull), 1);
    EXPECT_FALSE(notNull);
    // FULL of a type without its own entry falls to the wildcard.
    EXPECT_EQ(decideLast(d, "ZZZZ", {{"FULL", "x"}}), 0);
    EXPECT_EQ(decideLast(d, "ZZZZ", {{"DESC", "x"}}), 1);
    EXPECT_EQ(decideLast(d, "ZZZZ", {{"DATA", "x"}}), -1);
    // The specific DESC entry of LSCR stands before the wildcard and decides.
    EXPECT_EQ(decideLast(d, "LSCR", {{"DESC", "x"}}), 0);
}

TEST(RecordDefinitions, Proc1LooksAtTheFirstNonEmptyEdid) {
    const TRecordDefinitions d = builtIn();
    EXPECT_EQ(decideLast(d, "GMST", {{"EDID", QByteArray("sName\0", 6)}, {"DATA", "x"}}), 0);
    EXPECT_EQ(decideLast(d, "GMST", {{"EDID", QByteArray("iCount\0", 7)}, {"DATA", "x"}}), -1);
    EXPECT_EQ(decideLast(d, "GMST", {{"EDID", QByteArray()}, {"EDID", QByteArray("sA\0", 3)}, {"DATA", "x"}}), 0);
    EXPECT_EQ(decideLast(d, "GMST", {{"DATA", "x"}}), -1);
}

TEST(RecordDefinitions, Proc2TakesTheTwoFieldsAfterEpft7) {
    const TRecordDefinitions d = builtIn();
    const QByteArray seven("\x07", 1), six("\x06", 1);
    EXPECT_EQ(decideLast(d, "PERK", {{"EPFT", seven}, {"EPF2", "a"}, {"EPFD", "x"}}), 0);
    EXPECT_EQ(decideLast(d, "PERK", {{"EPFT", seven}, {"EPF2", "a"}, {"EPF3", "b"}, {"EPFD", "x"}}), -1);
    EXPECT_EQ(decideLast(d, "PERK", {{"EPFT", six}, {"EPF2", "a"}, {"EPFD", "x"}}), -1);
    EXPECT_EQ(decideLast(d, "PERK", {{"EPFT", QByteArray("\x07\x00", 2)}, {"EPFD", "x"}}), -1);
    // A later EPFT 7 counts even after one that does not.
    EXPECT_EQ(decideLast(d, "PERK", {{"EPFT", six}, {"EPFD", "a"}, {"EPFT", seven}, {"EPFD", "x"}}), 0);
}

TEST(RecordDefinitions, ParsingByPosition) {
    TRecordDefinitions d;
    d.loadRecordDefs({
        QStringLiteral("Def_:DESC=****=1*"),  // first '*' at 11: no notNull
        QStringLiteral("  Skip:ABCD  "),      // trimmed to nine characters
        QStringLiteral("Skip:ABCDE"),         // ten characters: ignored
        QStringLiteral(" #Def_:FULL=WEAP=2"), // '#' not first before trimming: not a comment, no keyword
        QStringLiteral("Def_:FULLxWEAPx2"),   // separators are not checked
        QStringLiteral("Def_:FULL=WEAP=0"),   // a later entry for the same pair does not decide
        QStringLiteral("Def_:TEST=WEAP=x"),   // not a digit: list 0
        QStringLiteral("Def_:BADL=WEAP=7"),   // no such list: not taken
        QStringLiteral("def_:LOWR=WEAP=1"),   // keywords are case-sensitive
        QStringLiteral("Warn:FULL=WEAP"),
    });
    ASSERT_EQ(d.fieldDefList.size(), 4u);
    EXPECT_FALSE(d.fieldDefList[0].notNull);
    EXPECT_EQ(d.fieldDefList[0].listIndex, 1);
    EXPECT_TRUE(d.isSkippedRecord(sHeaderSig('A', 'B', 'C', 'D')));
    EXPECT_EQ(d.skipRecordList.size(), 1u);
    EXPECT_EQ(decideLast(d, "WEAP", {{"FULL", "x"}}), 2);
    EXPECT_EQ(decideLast(d, "WEAP", {{"TEST", "x"}}), 0);
    EXPECT_EQ(decideLast(d, "WEAP", {{"BADL", "x"}}), -1);
    EXPECT_EQ(decideLast(d, "WEAP", {{"LOWR", "x"}}), -1);
    EXPECT_TRUE(d.isWarnField(sHeaderSig('W', 'E', 'A', 'P'), sHeaderSig('F', 'U', 'L', 'L')));
}

TEST(RecordDefinitions, ConditionKeywordMustStandAtPosition18) {
    TRecordDefinitions d;
    d.loadRecordDefs({QStringLiteral("Def_:DATA=GMST=0--proc1"), QStringLiteral("Def_:DATA=GMSU=0-proc1")});
    ASSERT_EQ(d.fieldDefList.size(), 2u);
    EXPECT_EQ(d.fieldDefList[0].condition, tFieldCondition::none);
    EXPECT_EQ(d.fieldDefList[1].condition, tFieldCondition::proc1);
}

TEST(RecordDefinitions, FieldSizeReference) {
    TRecordDefinitions d;
    d.loadFieldSizeRef({QStringLiteral("WEAP:FULL:0=40"), QStringLiteral("weap:full:1=99"),
                        QStringLiteral("BOOK:DESC:1=0"), QStringLiteral("INFO:NAM1:x=abc"),
                        QStringLiteral("AAAA:FULL:1=12")});
    ASSERT_EQ(d.fieldSizeKeys.size(), 4);
    EXPECT_EQ(d.fieldSizeKeys.first(), QStringLiteral("AAAA:FULL"));
    tField f;
    f.header.name = sHeaderSig('F', 'U', 'L', 'L');
    d.assignFieldSizeRef(sHeaderSig('W', 'E', 'A', 'P'), f);
    EXPECT_EQ(f.maxStrSize, 40); // the first of two lines for one key holds
    EXPECT_FALSE(f.hasCR);
    tField n;
    n.header.name = sHeaderSig('N', 'A', 'M', '1');
    d.assignFieldSizeRef(sHeaderSig('I', 'N', 'F', 'O'), n);
    EXPECT_EQ(n.maxStrSize, 0);
    EXPECT_FALSE(n.hasCR);
    tField missing;
    missing.header.name = sHeaderSig('D', 'E', 'S', 'C');
    missing.maxStrSize = 5;
    missing.hasCR = true;
    d.assignFieldSizeRef(sHeaderSig('W', 'E', 'A', 'P'), missing);
    EXPECT_EQ(missing.maxStrSize, 0);
    EXPECT_FALSE(missing.hasCR);
}
