// Which script strings may be translated: names, collecting instructions, comparisons, matching calls, variables
// followed through their assignments, the lock on "$" texts, and the texts written back.
#include "script/QUILL_scriptStrings.h"
#include "script_test_support.h"
#include "support/pex_builder.h"
#include "support/temp_program_dir.h"

#include "core/QUILL_dataList.h"

namespace {

const QStringList kCalls{QStringLiteral("PlayAnimation"), QStringLiteral("SendAnimationEvent"),
                         QStringLiteral("Trace")};

} // namespace

TEST(ScriptStrings, NamesCollectingInstructionsComparisonsAndMatchingCalls) {
    for (auto [major, minor] : {std::pair{3, 2}, std::pair{3, 9}}) {
        TParsedScript p(buildSampleScript(major, minor), kCalls);
        ASSERT_TRUE(p.ok);
        ASSERT_TRUE(p.pex.bodyError.isEmpty());
        // Names and documentation.
        for (const char* name :
             {"QuillerySample", "Quest", "OnInit", "A sample quest script", "Runs once when the quest starts",
              "The greeting shown", "::Greeting_var", "hidden", "msg", "String"})
            EXPECT_FALSE(p.entry(QString::fromUtf8(name)).auth) << name;
        // Texts a player sees.
        for (const char* text : {"Hello, traveller", "Welcome to the sample", "A message for the player",
                                 "Quest started", "First entry", " and more", "Please wait…", "$QS_MenuTitle"})
            EXPECT_TRUE(p.entry(QString::fromUtf8(text)).auth) << text;
        // A compared string stays translatable with a warning.
        EXPECT_TRUE(p.entry(QStringLiteral("yes")).auth);
        EXPECT_TRUE(p.entry(QStringLiteral("yes")).warn);
        EXPECT_FALSE(p.entry(QStringLiteral("Hello, traveller")).warn);
        // String arguments of a matching call.
        EXPECT_FALSE(p.entry(QStringLiteral("sample: trace text")).auth);
        // Assigned (after the call) to a variable passed to a matching call; the initial value of an object
        // variable passed to one.
        EXPECT_FALSE(p.entry(QStringLiteral("IdleWave2")).auth);
        EXPECT_FALSE(p.entry(QStringLiteral("IdleWave")).auth);
        EXPECT_TRUE(p.rules.noTransVariables.contains(QStringLiteral("anim")));
    }
}

TEST(ScriptStrings, WithoutAnyListedCallOnlyFixedCallOperandsAreLocked) {
    using V = rPexVal;
    TPexBuilder b(3, 9);
    b.singleStateBody(1);
    b.function(true, QStringLiteral("Run"), QStringLiteral("None"), QString(), 0, 0, {}, {},
               {{23,
                 {V::id(QStringLiteral("Show")), V::str(QStringLiteral("fixed operand")), V::id(QStringLiteral("r")),
                  V::integer(1), V::str(QStringLiteral("argument"))}},
                {13, {V::str(QStringLiteral("before destination")), V::id(QStringLiteral("x"))}},
                {13, {V::id(QStringLiteral("y")), V::str(QStringLiteral("after destination"))}},
                {25,
                 {V::id(QStringLiteral("Debug")), V::id(QStringLiteral("Trace")), V::id(QStringLiteral("r")),
                  V::integer(1), V::str(QStringLiteral("trace"))}}});
    TParsedScript p(b.build());
    ASSERT_TRUE(p.ok);
    EXPECT_FALSE(p.entry(QStringLiteral("fixed operand")).auth);
    EXPECT_FALSE(p.entry(QStringLiteral("before destination")).auth);
    EXPECT_TRUE(p.entry(QStringLiteral("after destination")).auth);
    EXPECT_TRUE(p.entry(QStringLiteral("argument")).auth);
    EXPECT_TRUE(p.entry(QStringLiteral("trace")).auth);
    EXPECT_EQ(p.rules.assignPairs.size(), 1u);
}

TEST(ScriptStrings, ListedClassOrFunctionMatchesEveryCallIgnoringCase) {
    TParsedScript byClass(buildSampleScript(3, 9), {QStringLiteral("debug")});
    EXPECT_FALSE(byClass.entry(QStringLiteral("Quest started")).auth);
    EXPECT_FALSE(byClass.entry(QStringLiteral("sample: trace text")).auth);
    EXPECT_FALSE(byClass.entry(QString::fromUtf8("Please wait…")).auth);
    EXPECT_TRUE(byClass.entry(QStringLiteral("A message for the player")).auth);

    TParsedScript byFunction(buildSampleScript(3, 9), {QStringLiteral("SHOW")});
    EXPECT_FALSE(byFunction.entry(QStringLiteral("A message for the player")).auth);
    EXPECT_TRUE(byFunction.entry(QStringLiteral("Quest started")).auth);
}

TEST(ScriptStrings, VariablesAreMatchedByNameAcrossFunctions) {
    using V = rPexVal;
    TPexBuilder b(3, 2);
    b.noDebug();
    b.userFlags({});
    b.u16(1);
    b.beginObject(QStringLiteral("Obj"), QString(), QString(), 0, QString());
    b.u16(0);
    b.u16(0);
    b.u16(1);
    b.idx(QString());
    b.u16(2);
    b.function(true, QStringLiteral("A"), QStringLiteral("None"), QString(), 0, 0, {}, {},
               {{23,
                 {V::id(QStringLiteral("PlayAnimation")), V::id(QStringLiteral("self")),
                  V::id(QStringLiteral("::NoneVar")), V::integer(1), V::id(QStringLiteral("Name"))}}});
    b.function(true, QStringLiteral("B"), QStringLiteral("None"), QString(), 0, 0, {}, {},
               {{13, {V::id(QStringLiteral("name")), V::str(QStringLiteral("SomeEvent"))}},
                {13, {V::id(QStringLiteral("other")), V::str(QStringLiteral("Visible"))}}});
    TParsedScript p(b.build(), kCalls);
    ASSERT_TRUE(p.ok);
    EXPECT_FALSE(p.entry(QStringLiteral("SomeEvent")).auth);
    EXPECT_TRUE(p.entry(QStringLiteral("Visible")).auth);
}

TEST(ScriptStrings, EntriesFollowTheFlagsAndTheLockButton) {
    TParsedScript p(buildSampleScript(3, 9), kCalls);
    ASSERT_TRUE(p.ok);
    for (bool lockDown : {true, false}) {
        tSkyStrList list;
        buildScriptStrings(p.pex, lockDown, list);
        ASSERT_EQ(list.size(), p.pex.pexStringTable.size());
        for (size_t i = 0; i < list.size(); ++i) {
            EXPECT_EQ(list[i]->id, i);
            EXPECT_EQ(list[i]->listIndex, 0);
            EXPECT_EQ(list[i]->gTrans, list[i]->gS);
        }
        const tSkyStr& tag = *list[p.indexOf(QStringLiteral("$QS_MenuTitle"))];
        EXPECT_EQ(tag.hasFlag(sStrInternalParam::pexNoTrans), lockDown);
        EXPECT_EQ(tag.hasParam(sStrParam::incompleteTrans), lockDown);
        const tSkyStr& name = *list[p.indexOf(QStringLiteral("OnInit"))];
        EXPECT_TRUE(name.hasFlag(sStrInternalParam::pexNoTrans));
        EXPECT_TRUE(name.hasParam(sStrParam::incompleteTrans));
        EXPECT_FALSE(name.hasParam(sStrParam::translated));
        const tSkyStr& compared = *list[p.indexOf(QStringLiteral("yes"))];
        EXPECT_TRUE(compared.hasFlag(sStrInternalParam::pexWarn));
        EXPECT_FALSE(compared.hasFlag(sStrInternalParam::pexNoTrans));
        const tSkyStr& text = *list[p.indexOf(QStringLiteral("Quest started"))];
        EXPECT_FALSE(text.hasFlag(sStrInternalParam::pexNoTrans));
        EXPECT_FALSE(text.hasFlag(sStrInternalParam::pexWarn));
        EXPECT_TRUE(text.sparams.empty());
    }
    EXPECT_FALSE(isLockedTag(QStringLiteral("x$"), true));
    EXPECT_FALSE(isLockedTag(QString(), true));
}

TEST(ScriptStrings, WrittenTextsUseLfAndKeepUntranslatableSources) {
    TParsedScript p(buildSampleScript(3, 9), kCalls);
    tSkyStrList list;
    buildScriptStrings(p.pex, true, list);
    const int text = p.indexOf(QStringLiteral("Quest started"));
    const int name = p.indexOf(QStringLiteral("OnInit"));
    list[text]->setTransLite(QStringLiteral("Line one\r\nLine two\rthree"));
    list[name]->setTransLite(QStringLiteral("SurInit"));
    // The order of the list does not matter: texts go where their id says.
    std::reverse(list.begin(), list.end());
    const QStringList texts = scriptTextsToWrite(p.pex, list);
    ASSERT_EQ(texts.size(), qsizetype(p.pex.pexStringTable.size()));
    EXPECT_EQ(texts[text], QStringLiteral("Line one\nLine two\nthree"));
    EXPECT_EQ(texts[name], QStringLiteral("OnInit"));
    TParsedScript again(buildPexBytes(p.pex, texts), kCalls);
    ASSERT_TRUE(again.ok);
    EXPECT_TRUE(again.pex.bodyError.isEmpty());
    EXPECT_EQ(again.texts(), texts);
}

TEST(ScriptStrings, BundledCallListHoldsEngineCallsAndNoPlayerTextCalls) {
    TTempProgramDir dir;
    TScriptedHost host;
    TAppContext app(&host);
    const QStringList list = loadDataList(app, dir.file(QStringLiteral("pexNoTransProc.txt")), true);
    ASSERT_GT(list.size(), 20);
    for (const char* name :
         {"PlayAnimation", "SendAnimationEvent", "RegisterForRemoteEvent", "GetFormFromFile", "Trace", "CallFunction"})
        EXPECT_TRUE(list.contains(QString::fromUtf8(name), Qt::CaseInsensitive)) << name;
    for (const char* name : {"Debug", "Notification", "MessageBox", "Show", "SetName", "AddTextReplacementData"})
        EXPECT_FALSE(list.contains(QString::fromUtf8(name), Qt::CaseInsensitive)) << name;
}

TEST(ScriptStrings, CallNamesOutsideAsciiAreComparedIgnoringCaseToo) {
    // Table entries in ASCII are compared by their bytes, the others as text; a listed name outside ASCII can
    // still fold to ASCII letters (the Kelvin sign folds to k).
    using V = rPexVal;
    TPexBuilder b(3, 9);
    b.singleStateBody(1);
    const auto call = [](const QString& function, const QString& argument) {
        return TPexBuilder::rInstruction{25,
                                         {V::id(QStringLiteral("Debug")), V::id(function), V::id(QStringLiteral("r")),
                                          V::integer(1), V::str(argument)}};
    };
    b.function(true, QStringLiteral("Run"), QStringLiteral("None"), QString(), 0, 0, {}, {},
               {call(QString::fromUtf8("\xC3\x84rger"), QStringLiteral("umlaut argument")),
                call(QStringLiteral("kelvin"), QStringLiteral("kelvin argument")),
                call(QStringLiteral("PlayAnimationX"), QStringLiteral("free argument"))});
    TParsedScript p(b.build(), {QString::fromUtf8("\xC3\xA4RGER"), QString(QChar(0x212A)) + QStringLiteral("ELVIN"),
                                QStringLiteral("PlayAnimation")});
    ASSERT_TRUE(p.ok);
    ASSERT_TRUE(p.pex.bodyError.isEmpty());
    EXPECT_FALSE(p.entry(QStringLiteral("umlaut argument")).auth);
    EXPECT_FALSE(p.entry(QStringLiteral("kelvin argument")).auth);
    EXPECT_TRUE(p.entry(QStringLiteral("free argument")).auth); // a longer name is another name
}

TEST(ScriptStrings, RulesRunAgainFollowTheListGivenAndGatherAfresh) {
    TParsedScript p(buildSampleScript(3, 9), {QStringLiteral("debug")});
    ASSERT_TRUE(p.ok);
    ASSERT_FALSE(p.entry(QStringLiteral("Quest started")).auth);
    const size_t pairs = p.rules.assignPairs.size();
    const rPexRuleState again = applyPexStringRules(p.pex, {});
    EXPECT_TRUE(p.entry(QStringLiteral("Quest started")).auth); // flags are decided anew, not only ever locked
    EXPECT_FALSE(p.entry(QStringLiteral("OnInit")).auth);
    EXPECT_TRUE(p.entry(QStringLiteral("yes")).warn);
    EXPECT_EQ(again.assignPairs.size(), pairs);
    EXPECT_TRUE(again.noTransVariables.isEmpty());
}

TEST(ScriptStrings, AfterABodyErrorTheRulesStopWhereTheReadStopped) {
    // A string stored in a variable passed to a matching call is locked only when the whole body was read; names
    // and operands read before the error keep their rules, those after it stay translatable.
    using V = rPexVal;
    const std::vector<TPexBuilder::rInstruction> body{
        {13, {V::id(QStringLiteral("anim")), V::str(QStringLiteral("stored text"))}},
        {24,
         {V::id(QStringLiteral("PlayAnimation")), V::id(QStringLiteral("r")), V::integer(2),
          V::id(QStringLiteral("anim")), V::str(QStringLiteral("argument"))}},
        {26, {V::str(QStringLiteral("returned"))}}};
    for (bool cut : {false, true}) {
        TPexBuilder b(3, 9);
        b.singleStateBody(1);
        b.function(true, QStringLiteral("Run"), QStringLiteral("None"), QString(), 0, 0, {}, {}, body);
        QByteArray bytes = b.build();
        if (cut) bytes.chop(4); // inside the last instruction's operand
        TParsedScript p(bytes, kCalls);
        ASSERT_TRUE(p.ok);
        EXPECT_EQ(p.pex.bodyError.isEmpty(), !cut);
        EXPECT_FALSE(p.entry(QStringLiteral("Run")).auth);
        EXPECT_FALSE(p.entry(QStringLiteral("argument")).auth);
        EXPECT_EQ(p.entry(QStringLiteral("stored text")).auth, cut);
        EXPECT_TRUE(p.entry(QStringLiteral("returned")).auth);
    }
}
