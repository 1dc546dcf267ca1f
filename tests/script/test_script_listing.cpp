// The script listing: lines per section and per opcode, markers that collapse and expand, gutter jumps.
#include "script/QUILL_scriptListing.h"
#include "script_test_support.h"
#include "support/pex_builder.h"

namespace {

int lineOf(const TPexScript& pex, const QString& text, int from = 1) {
    const QStringList& lines = pex.feedback.lines;
    for (int i = from - 1; i < lines.size(); ++i)
        if (lines[i] == text) return i + 1;
    return 0;
}

uint8_t typeOf(const TPexScript& pex, int line) {
    return pex.feedback.LineList.at(line - 1).datatype;
}

} // namespace

TEST(ScriptListing, SectionsOfALittleEndianScript) {
    TParsedScript p(buildSampleScript(3, 9));
    ASSERT_TRUE(p.ok);
    const TPexScript& pex = p.pex;
    ASSERT_EQ(pex.feedback.lines.size(), qsizetype(pex.feedback.LineList.size()));
    const QString sep(41, QLatin1Char('-'));
    const QStringList& l = pex.feedback.lines;
    EXPECT_EQ(l[0], QStringLiteral("PapyrusVersion: 3.9 - 0002 - (TimeData: 0000000005f5e100)"));
    EXPECT_EQ(l[1], QStringLiteral("Script: QuillerySample.psc"));
    EXPECT_EQ(l[3], sep);
    EXPECT_EQ(l[4], QStringLiteral("debugFuncCount: 1"));
    const int heading = lineOf(pex, QStringLiteral("objectName QuillerySample extends Quest"));
    ASSERT_GT(heading, 0);
    EXPECT_EQ(l[heading - 2], sep);
    EXPECT_EQ(l[heading], QStringLiteral("autoStateName: \"\""));
    EXPECT_EQ(l[heading + 1], QStringLiteral("flags: 0x00000003"));
    EXPECT_EQ(l[heading + 2], QStringLiteral("{A sample quest script}"));
    EXPECT_EQ(l[heading + 3], sep);

    const int structs = lineOf(pex, QStringLiteral("[-]Struct [count: 1]"));
    ASSERT_GT(structs, 0);
    EXPECT_EQ(typeOf(pex, structs), pexLineStructSection);
    EXPECT_EQ(l[structs], QStringLiteral("\t00 Reward"));
    EXPECT_EQ(typeOf(pex, structs + 1), pexLineStructOrLocal);
    EXPECT_EQ(l[structs + 1], QStringLiteral("\t\t00 String Label = \"Gold reward\""));
    EXPECT_EQ(typeOf(pex, structs + 2), pexLineVariable);

    const int vars = lineOf(pex, QStringLiteral("[-]vars [count: 6]"));
    ASSERT_GT(vars, 0);
    EXPECT_EQ(typeOf(pex, vars), pexLineVarsSection);
    EXPECT_EQ(l[vars], QStringLiteral("\t00 String ::Greeting_var = \"Hello, traveller\""));
    EXPECT_EQ(l[vars + 2], QStringLiteral("\t02 Float ::Ratio_var = 0.5000"));
    EXPECT_EQ(l[vars + 3], QStringLiteral("\t03 Bool ::Flag_var = True"));
    EXPECT_EQ(l[vars + 4], QStringLiteral("\t04 ObjectReference ::Target_var ")); // no value: a trailing blank

    const int props = lineOf(pex, QStringLiteral("[-]properties [count: 2]"));
    ASSERT_GT(props, 0);
    EXPECT_EQ(typeOf(pex, props), pexLinePropsSection);
    EXPECT_EQ(l[props], QStringLiteral("\t00 String Greeting {The greeting shown}"));
    EXPECT_EQ(typeOf(pex, props + 1), pexLineProperty);
    EXPECT_EQ(l[props + 1], QStringLiteral("\t   autoVarName ::Greeting_var"));
    EXPECT_EQ(l[props + 2], QStringLiteral("\t01 Int Count "));
    EXPECT_EQ(l[props + 3], QStringLiteral("[-]\t\t function Int ()  "));
    EXPECT_EQ(typeOf(pex, props + 4), pexLineFunction);
    EXPECT_EQ(l[props + 4], QStringLiteral("\t\t\treturn ::Count_var"));
    EXPECT_EQ(l[props + 5], QStringLiteral("\t\t endFunction"));
    EXPECT_EQ(l[props + 6], QString());
    EXPECT_EQ(l[props + 7], QStringLiteral("[-]\t\t function (Int value)  "));

    const int state = lineOf(pex, QStringLiteral("[-]state: \"\""));
    ASSERT_GT(state, 0);
    EXPECT_EQ(typeOf(pex, state), pexLineState);
    EXPECT_EQ(l[state], QStringLiteral("[-]\t function OnInit()  {Runs once when the quest starts}"));
    EXPECT_EQ(l[state + 1], QStringLiteral("\t\tlocal.String msg"));
    EXPECT_EQ(typeOf(pex, state + 2), pexLineStructOrLocal);
    EXPECT_GT(lineOf(pex, QStringLiteral("[-]\t function String MenuTitle(Int aiPage)  ")), 0);
    EXPECT_GT(lineOf(pex, QStringLiteral("   endState")), 0);
    EXPECT_GT(lineOf(pex, QStringLiteral("[-]state: \"Busy\"")), 0);
}

TEST(ScriptListing, ABigEndianScriptHasNoStructSection) {
    TParsedScript p(buildSampleScript(3, 2));
    ASSERT_TRUE(p.ok);
    for (const QString& line : p.pex.feedback.lines)
        EXPECT_FALSE(line.contains(QStringLiteral("Struct [count")));
    EXPECT_GT(lineOf(p.pex, QStringLiteral("[-]vars [count: 6]")), 0);
}

TEST(ScriptListing, OneLineForEachOpcode) {
    TParsedScript p(buildSampleScript(3, 9));
    ASSERT_TRUE(p.ok);
    const TpexFunc& f = p.pex.functions(p.pex.states(p.pex.pexObjects[0])[0])[0];
    QStringList got;
    for (const TpexOp& op : p.pex.instructions(f))
        got << instructionText(p.pex, op, f);
    const QStringList expected{
        QStringLiteral("none"),
        QStringLiteral("::temp1 = ::temp1 + 1"),
        QStringLiteral("::temp2 = ::temp2 + 1.5000"),
        QStringLiteral("::temp1 = ::temp1 - 2"),
        QStringLiteral("::temp2 = ::temp2 - 0.2500"),
        QStringLiteral("::temp1 = ::temp1 * 3"),
        QStringLiteral("::temp2 = ::temp2 * 2.0000"),
        QStringLiteral("::temp1 = ::temp1 / 4"),
        QStringLiteral("::temp2 = ::temp2 / 4.0000"),
        QStringLiteral("::temp1 = ::temp1 mod 5"),
        QStringLiteral("::temp0 = not ::temp0"),
        QStringLiteral("::temp1 = -::temp1"),
        QStringLiteral("::temp2 = -::temp2"),
        QStringLiteral("msg = \"Welcome to the sample\""),
        QStringLiteral("::temp1 = ::Count_var as Int"),
        QStringLiteral("::temp0 = msg == \"yes\""),
        QStringLiteral("::temp0 = ::temp1 < 10"),
        QStringLiteral("::temp0 = ::temp1 <= 11"),
        QStringLiteral("::temp0 = ::temp1 > 12"),
        QStringLiteral("::temp0 = ::temp1 >= 13"),
        QStringLiteral("jump 2"),
        QStringLiteral("if ::temp0 then jump 1"),
        QStringLiteral("if not ::temp0 then jump -1"),
        QStringLiteral("self.Show(\"A message for the player\")"),
        QStringLiteral("self.PlayAnimation(anim)"),
        QStringLiteral("anim = \"IdleWave2\""),
        QStringLiteral("::temp0 = self.SendAnimationEvent(::AnimName_var)"),
        QStringLiteral("parent.OnInit()"),
        QStringLiteral("Debug.Notification(\"Quest started\")"),
        QStringLiteral("Debug.Trace(\"sample: trace text\", 0)"),
        QStringLiteral("return none"),
        QStringLiteral("msg = msg + \" and more\""),
        QStringLiteral("msg = self.Greeting"),
        QStringLiteral("self.Count = 5"),
        QStringLiteral("arr = new String[3]"),
        QStringLiteral("::temp1 = arr.length"),
        QStringLiteral("msg = arr[0] "),
        QStringLiteral("arr[0] = \"First entry\""),
        QStringLiteral("::temp1 = arr.find(\"First entry\", 0)"),
        QStringLiteral("::temp1 = arr.rfind(msg, -1)"),
        QStringLiteral("_FO4 ::temp0 = obj is Actor"),
        QStringLiteral("_FO4 rew.structCreate"),
        QStringLiteral("_FO4 struct(msg) = struct(rew.Label)"),
        QStringLiteral("_FO4 struct(rew.Amount) = struct(10)"),
        QStringLiteral("_FO4 arr.::temp1= Label.findstruct(msg , 0)"),
        QStringLiteral("_FO4 arr.::temp1= Label.rfindstruct(msg , -1) "),
        QStringLiteral("_FO4 arr.addElements(\"Added entry\" , 1)"),
        QStringLiteral("_FO4 arr.insertElement(\"Inserted entry\" , 0)"),
        QStringLiteral("_FO4 arr.removeLastElement"),
        QStringLiteral("_FO4 arr.removeElements(0 , 1)"),
        QStringLiteral("_FO4 arr.clearElements"),
        QStringLiteral("::temp0 = True * none"),
    };
    ASSERT_EQ(got.size(), expected.size());
    for (qsizetype i = 0; i < got.size(); ++i)
        EXPECT_EQ(got[i], expected[i]) << i;
    // Each instruction is one listing line of its own kind, in order, under the locals.
    const int first = lineOf(p.pex, QStringLiteral("\t\tnone"));
    ASSERT_GT(first, 0);
    for (qsizetype i = 0; i < got.size(); ++i) {
        EXPECT_EQ(p.pex.feedback.lines[first - 1 + i], QStringLiteral("\t\t") + expected[i]);
        EXPECT_EQ(typeOf(p.pex, int(first + i)), pexLineInstruction);
    }
    TpexOp unknown{};
    unknown.opCode = 0x50;
    EXPECT_EQ(instructionText(p.pex, unknown, f), QStringLiteral("unknown OpCode: 50)"));
}

TEST(ScriptListing, SmallTexts) {
    EXPECT_EQ(docText(QString()), QString());
    EXPECT_EQ(docText(QStringLiteral("d")), QStringLiteral("{d}"));
    EXPECT_EQ(resultPrefix(QStringLiteral("::NoneVar")), QString());
    EXPECT_EQ(resultPrefix(QStringLiteral("::nonevar")), QStringLiteral("::nonevar = "));
    EXPECT_EQ(arrayTypeWithSize(QStringLiteral("Int[]"), QStringLiteral("5")), QStringLiteral("Int[5]"));
    EXPECT_EQ(arrayTypeWithSize(QStringLiteral("Int"), QStringLiteral("5")), QStringLiteral("Int"));
    const TPexScript empty;
    TpexOp op{};
    op.opCode = 23;
    EXPECT_EQ(operandText(empty, op, 0), QString());
    EXPECT_EQ(argumentList(empty, op, 4), QString());
    // Operands outside the data, running past its end or naming no table entry are an error, never a list cut
    // short; the listing line says so.
    op.argsAt = 5;
    op.argsCount = 3;
    EXPECT_THROW(operandText(empty, op, 0), TQuillError);
    TParsedScript p(buildSampleScript(3, 9));
    ASSERT_TRUE(p.ok);
    const TpexFunc& f = p.pex.pexFuncs.at(0);
    op.argsAt = static_cast<uint32_t>(p.pex.pexData.size() - 2); // room for two values at most
    EXPECT_THROW(p.pex.args(op), TQuillError);
    EXPECT_TRUE(instructionText(p.pex, op, f).startsWith(QStringLiteral("unreadable operands: ")));
    op.argsAt = static_cast<uint32_t>(p.pex.pexData.size() + 1);
    EXPECT_THROW(p.pex.args(op), TQuillError);
    const QByteArray badIndex("\x02\xFF\xFE", 3); // a string index past the table
    p.pex.pexData = p.pex.pexData + badIndex;
    op.argsAt = static_cast<uint32_t>(p.pex.pexData.size() - 3);
    op.argsCount = 1;
    try {
        p.pex.args(op);
        ADD_FAILURE() << "an index past the table decoded";
    } catch (const TPexFormatError& error) {
        EXPECT_EQ(error.detailKey, QStringLiteral("fbk_pexErrorDetail2"));
    }
    op.argsCount = 0; // nothing to decode: no error
    EXPECT_TRUE(p.pex.args(op).isEmpty());
}

TEST(ScriptListing, MarkersCollapseAndExpand) {
    TParsedScript p(buildSampleScript(3, 9));
    ASSERT_TRUE(p.ok);
    TPexScript& pex = p.pex;
    const int total = pex.feedback.lineCount();
    const int state = lineOf(pex, QStringLiteral("[-]state: \"\""));
    EXPECT_FALSE(isMarkerLine(pex.feedback, 1));
    EXPECT_FALSE(toggleMarker(pex, 1));
    EXPECT_FALSE(toggleMarker(pex, 0));
    EXPECT_FALSE(toggleMarker(pex, total + 1));

    ASSERT_TRUE(toggleMarker(pex, state));
    EXPECT_EQ(pex.feedback.lines[state - 1], QStringLiteral("[+]state: \"\""));
    EXPECT_EQ(pex.feedback.lines[state], QStringLiteral("[-]state: \"Busy\"")); // functions and endState hidden
    ASSERT_TRUE(toggleMarker(pex, state));
    EXPECT_EQ(pex.feedback.lineCount(), total);

    const int function = state + 1;
    ASSERT_TRUE(toggleMarker(pex, function));
    EXPECT_EQ(pex.feedback.lines[function - 1],
              QStringLiteral("[+]\t function OnInit()  {Runs once when the quest starts}"));
    EXPECT_EQ(pex.feedback.lines[function], QString()); // the empty line after a function stays
    EXPECT_EQ(pex.feedback.lines[function + 1], QStringLiteral("[-]\t function String MenuTitle(Int aiPage)  "));

    const int vars = lineOf(pex, QStringLiteral("[-]vars [count: 6]"));
    ASSERT_TRUE(toggleMarker(pex, vars));
    EXPECT_EQ(pex.feedback.lines[vars - 1], QStringLiteral("[+]vars [count: 6]"));
    EXPECT_EQ(pex.feedback.lines[vars], QString(41, QLatin1Char('-')));

    // A collapsed struct section stays collapsed for the next script; variables and properties open again.
    const int structs = lineOf(pex, QStringLiteral("[-]Struct [count: 1]"));
    ASSERT_TRUE(toggleMarker(pex, structs));
    pex.resetPex();
    EXPECT_TRUE(pex.feedback.lines.isEmpty());
    ASSERT_TRUE(parsePex(pex, buildSampleScript(3, 9), &p.app));
    EXPECT_TRUE(pex.feedback.lines.isEmpty()); // built when first shown
    ensureListing(pex);
    EXPECT_GT(lineOf(pex, QStringLiteral("[+]Struct [count: 1]")), 0);
    EXPECT_GT(lineOf(pex, QStringLiteral("[-]vars [count: 6]")), 0);
    EXPECT_GT(lineOf(pex, QStringLiteral("[-]properties [count: 2]")), 0);
}

TEST(ScriptListing, GutterJumpsFollowTheOperand) {
    QStringList lines;
    for (int i = 1; i <= 50; ++i)
        lines << QStringLiteral("line %1").arg(i);
    lines[39] = QStringLiteral("\t\tif ::temp0 then jump 3");
    lines[41] = QStringLiteral("\t\tjump -5");
    lines[44] = QStringLiteral("\t\tjump 10");
    lines[45] = QStringLiteral("\t\tjump x");
    EXPECT_EQ(gutterJumpTarget(lines, 40), 43);
    EXPECT_EQ(gutterJumpTarget(lines, 42), 37);
    EXPECT_EQ(gutterJumpTarget(lines, 45), 0);  // beyond the last line
    EXPECT_EQ(gutterJumpTarget(lines, 46), 46); // not a number: stays on its own line
    EXPECT_EQ(gutterJumpTarget(lines, 1), 0);
    EXPECT_EQ(gutterJumpTarget(lines, 0), 0);
    EXPECT_EQ(gutterJumpTarget(lines, 51), 0);

    // In a real listing the target of a jump is the instruction it names.
    TParsedScript p(buildSampleScript(3, 9));
    const int jump = lineOf(p.pex, QStringLiteral("\t\tif not ::temp0 then jump -1"));
    ASSERT_GT(jump, 0);
    EXPECT_EQ(p.pex.feedback.lines[gutterJumpTarget(p.pex.feedback.lines, jump) - 1],
              QStringLiteral("\t\tif ::temp0 then jump 1"));
}
