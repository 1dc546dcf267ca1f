// The compiled script reader and writer: byte orders, head and tail kept, string table limits, failures.
#include "script_test_support.h"
#include "support/pex_builder.h"
#include "support/pex_summary.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

// A script body with nothing in it: no debug section, no user flags, no objects.
QByteArray emptyBody(TPexBuilder& b) {
    b.noDebug();
    b.u16(0);
    b.u16(0);
    return b.build();
}

// One function of one state holding the given instructions, in a script of the given version.
QByteArray oneFunction(uint8_t major, uint8_t minor, const std::vector<TPexBuilder::rInstruction>& body) {
    TPexBuilder b(major, minor);
    b.noDebug();
    b.userFlags({});
    b.u16(1);
    b.beginObject(QStringLiteral("Obj"), QString(), QString(), 0, QString());
    if (b.littleEndian()) b.u16(0);
    b.u16(0);
    b.u16(0);
    b.u16(1);
    b.idx(QString());
    b.u16(1);
    b.function(true, QStringLiteral("Run"), QStringLiteral("None"), QString(), 0, 0, {},
               {{QStringLiteral("a"), QStringLiteral("Int")}}, body);
    return b.build();
}

const TpexFunc& firstFunction(const TPexScript& pex) {
    return pex.functions(pex.states(pex.pexObjects.at(0))[0])[0];
}

} // namespace

TEST(PexFormat, ByteOrderFollowsTheVersionOfEachFile) {
    TParsedScript le(buildSampleScript(3, 9));
    ASSERT_TRUE(le.ok);
    EXPECT_TRUE(le.pex.bodyError.isEmpty()) << le.pex.bodyError.toStdString();
    EXPECT_EQ(le.pex.pexByteOrder, TPexScript::pexLittleEndian);
    ASSERT_EQ(le.pex.pexObjects.size(), 1u);
    const TpexObject& object = le.pex.pexObjects[0];
    ASSERT_EQ(le.pex.structs(object).size(), 1u);
    EXPECT_EQ(le.pex.pexText(le.pex.members(le.pex.structs(object)[0])[0].sDoc), QStringLiteral("The label shown"));
    EXPECT_TRUE(le.pex.feedback.header.contains(QStringLiteral("debugpropGroupCount: 1")));
    EXPECT_TRUE(le.pex.feedback.header.contains(QStringLiteral("debugStructCount: 1")));

    // The same reader object, reset, reads a 3.2 file big-endian without the little-endian-only parts.
    le.pex.resetPex();
    ASSERT_TRUE(parsePex(le.pex, buildSampleScript(3, 2), &le.app));
    EXPECT_TRUE(le.pex.bodyError.isEmpty()) << le.pex.bodyError.toStdString();
    EXPECT_EQ(le.pex.pexByteOrder, TPexScript::pexBigEndian);
    EXPECT_EQ(le.pex.pexObjects[0].structs.count, 0u);
    EXPECT_TRUE(le.pex.feedback.header.contains(QStringLiteral("debugFuncCount: 1")));
    EXPECT_FALSE(le.pex.feedback.header.contains(QStringLiteral("debugpropGroupCount: 1")));

    // 4.0: the minor version is below 9, so big-endian.
    TParsedScript v40(buildSampleScript(4, 0));
    ASSERT_TRUE(v40.ok);
    EXPECT_EQ(v40.pex.pexByteOrder, TPexScript::pexBigEndian);
    EXPECT_TRUE(v40.pex.bodyError.isEmpty()) << v40.pex.bodyError.toStdString();
    EXPECT_EQ(v40.pex.feedback.header.value(0),
              QStringLiteral("PapyrusVersion: 4.0 - 0002 - (TimeData: 0000000005f5e100)"));
    EXPECT_EQ(v40.pex.feedback.header.value(1), QStringLiteral("Script: QuillerySample.psc"));
}

TEST(PexFormat, EitherMagicWithEitherVersionAndAnythingElseIsNotAScript) {
    for (bool leMagic : {true, false}) {
        for (auto [major, minor] : {std::pair{3, 2}, std::pair{3, 9}}) {
            TPexBuilder b(major, minor, leMagic);
            b.str(QStringLiteral("Hello"));
            TParsedScript p(emptyBody(b));
            EXPECT_TRUE(p.ok);
            EXPECT_TRUE(p.pex.bodyError.isEmpty());
            EXPECT_EQ(p.texts(), QStringList{QStringLiteral("Hello")});
        }
    }
    for (const QByteArray& bad : {QByteArray(), QByteArray("\xDE\xC0\x57", 3), QByteArray("TES4\x03\x09", 6),
                                  QByteArray("\xFA\x57\xC0\xDF\x03\x02", 6)}) {
        TParsedScript p(bad);
        EXPECT_FALSE(p.ok);
        EXPECT_TRUE(p.pex.feedback.header.isEmpty());
        EXPECT_TRUE(p.pex.pexStringTable.empty());
        EXPECT_TRUE(p.host.messages.isEmpty()); // not a script: nothing is reported here
    }
}

TEST(PexFormat, UnchangedTableWritesTheSameBytesAndChangesTouchOnlyTheTable) {
    for (auto [major, minor] : {std::pair{3, 2}, std::pair{3, 9}, std::pair{4, 0}}) {
        const QByteArray original = buildSampleScript(major, minor);
        TParsedScript p(original);
        ASSERT_TRUE(p.ok);
        EXPECT_EQ(buildPexBytes(p.pex, p.texts()), original) << int(major) << "." << int(minor);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("out.pex"));
        ASSERT_TRUE(writePexFile(p.pex, p.texts(), path, &p.app));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), original);

        QStringList changed = p.texts();
        const int at = p.indexOf(QStringLiteral("Quest started"));
        changed[at] = QStringLiteral("Quête démarrée, et bien plus longue");
        const QByteArray written = buildPexBytes(p.pex, changed);
        EXPECT_TRUE(written.startsWith(p.pex.pexHead()));
        EXPECT_TRUE(written.endsWith(p.pex.pexTail()));
        TParsedScript again(written);
        ASSERT_TRUE(again.ok);
        EXPECT_TRUE(again.pex.bodyError.isEmpty());
        EXPECT_EQ(again.texts(), changed);
        // The body still resolves every index to the same names.
        EXPECT_EQ(again.pex.pexText(again.pex.pexObjects[0].name), QStringLiteral("QuillerySample"));
    }
}

TEST(PexFormat, BytesThatAreNotUtf8AreWrittenBackUnchanged) {
    TPexBuilder b(3, 9);
    b.str(QStringLiteral("caf#"));
    QByteArray bytes = emptyBody(b);
    bytes.replace(QByteArray("caf#"), QByteArray("caf\xE9"));
    TParsedScript p(bytes);
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(buildPexBytes(p.pex, p.texts()), bytes);
    // A changed text is written as UTF-8.
    QStringList changed{QStringLiteral("café")};
    EXPECT_TRUE(buildPexBytes(p.pex, changed).contains(QByteArray("caf\xC3\xA9")));
}

TEST(PexFormat, StringCountLargerThanTheStringsPresent) {
    TPexBuilder b(3, 2);
    b.str(QStringLiteral("one"));
    b.str(QStringLiteral("two"));
    const QByteArray bytes = b.build(5); // no body at all
    TParsedScript p(bytes);
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.texts(), (QStringList{QStringLiteral("one"), QStringLiteral("two")}));
    EXPECT_TRUE(p.pex.pexTail().isEmpty());
    EXPECT_EQ(p.pex.pexHead().toByteArray(), b.head(5));
    EXPECT_EQ(p.pex.feedback.header.value(2), QStringLiteral("StringTableCount: 5"));
    // The body is missing: reported as a body error, and the strings stay usable.
    EXPECT_FALSE(p.pex.bodyError.isEmpty());
    EXPECT_EQ(buildPexBytes(p.pex, {QStringLiteral("uno"), QStringLiteral("dos")}),
              b.head(5) + QByteArray("\x00\x03uno\x00\x03"
                                     "dos",
                                     10));
}

TEST(PexFormat, AStringCutShortInTheTableFailsTheLoad) {
    TPexBuilder b(3, 9);
    b.str(QStringLiteral("a fairly long string"));
    const QByteArray bytes = emptyBody(b);
    const qsizetype tableStart = b.head().size();
    TParsedScript p(bytes.left(tableStart + 6));
    EXPECT_FALSE(p.ok);
    ASSERT_EQ(p.host.messages.size(), 1);
    EXPECT_TRUE(p.host.messages[0].text.contains(QStringLiteral("fbk_pexErrorDetail3")));
}

TEST(PexFormat, LongStringsAreCutToSixtyFiveThousandBytesAtACharacterBoundary) {
    QByteArray out;
    writePexString(QString(70000, QLatin1Char('x')), true, out);
    ASSERT_EQ(out.size(), 2 + 65535);
    EXPECT_EQ(uint8_t(out[0]), 0xFF);
    EXPECT_EQ(uint8_t(out[1]), 0xFF);
    out.clear();
    writePexString(QString(35000, QChar(0xE9)), true, out); // two bytes each
    EXPECT_EQ(out.size(), 2 + 65534);
    EXPECT_EQ(QString::fromUtf8(out.mid(2)), QString(32767, QChar(0xE9)));
    out.clear();
    writePexString(QStringLiteral("ab"), false, out);
    EXPECT_EQ(out, QByteArray("\x02\x00"
                              "ab",
                              4));
}

TEST(PexFormat, IndexOneBelowTheCountIsValidAndTheCountItselfIsAnError) {
    for (int offset : {1, 0}) {
        TPexBuilder b(3, 2);
        b.str(QStringLiteral("flagname"));
        b.str(QStringLiteral("Some text"));
        b.noDebug();
        b.u16(1);
        b.rawIndex(static_cast<uint16_t>(b.strings().size() - offset));
        b.u8(3);
        b.u16(0);
        TParsedScript p(b.build());
        ASSERT_TRUE(p.ok);
        if (offset == 1) {
            EXPECT_TRUE(p.pex.bodyError.isEmpty());
            EXPECT_FALSE(p.entry(QStringLiteral("Some text")).auth); // read in a name position
            EXPECT_TRUE(p.entry(QStringLiteral("flagname")).auth);
        } else {
            EXPECT_TRUE(p.pex.bodyError.contains(QStringLiteral("fbk_pexErrorDetail2")));
            EXPECT_TRUE(p.host.logContains(QStringLiteral("fbk_pexErrorPos")));
        }
    }
}

TEST(PexFormat, EveryOpcodeReadsItsFixedOperandCount) {
    for (int op = 0; op <= 46; ++op) {
        const int fixed = expectedFixedOperands(static_cast<uint8_t>(op));
        EXPECT_EQ(pexFixedOperandCount(static_cast<uint8_t>(op)), fixed) << op;
        std::vector<rPexVal> args(fixed, rPexVal::integer(0));
        // A following "return" shows that exactly that many operands were consumed.
        const QByteArray bytes = oneFunction(3, 9, {{static_cast<uint8_t>(op), args}, {26, {rPexVal::integer(7)}}});
        TParsedScript p(bytes);
        ASSERT_TRUE(p.ok);
        ASSERT_TRUE(p.pex.bodyError.isEmpty()) << op << " " << p.pex.bodyError.toStdString();
        const TpexFunc& f = firstFunction(p.pex);
        const auto ops = p.pex.instructions(f);
        ASSERT_EQ(ops.size(), 2u) << op;
        EXPECT_EQ(ops[0].opCode, op);
        EXPECT_EQ(p.pex.args(ops[0]).size(), size_t(fixed)) << op;
        EXPECT_EQ(ops[1].opCode, 26);
        EXPECT_EQ(p.pex.args(ops[1])[0].integer(), 7);
    }
}

TEST(PexFormat, CallsReadTheirVariableArgumentsOnlyFromAnIntegerCount) {
    using V = rPexVal;
    const V a = V::id(QStringLiteral("a"));
    const QByteArray bytes = oneFunction(
        3, 2,
        {{23, {V::id(QStringLiteral("F")), a, a, V::integer(2), V::integer(1), V::str(QStringLiteral("x"))}},
         {24, {V::id(QStringLiteral("F")), a, V::integer(1), V::real(2.5f)}},
         {25, {a, V::id(QStringLiteral("F")), a, V::integer(0)}},
         {25, {a, V::id(QStringLiteral("F")), a, V::integer(-3)}},
         {23, {V::id(QStringLiteral("F")), a, a, V::id(QStringLiteral("a"))}},
         {26, {V::integer(9)}}});
    TParsedScript p(bytes);
    ASSERT_TRUE(p.ok);
    ASSERT_TRUE(p.pex.bodyError.isEmpty()) << p.pex.bodyError.toStdString();
    const TpexFunc& f = firstFunction(p.pex);
    const auto ops = p.pex.instructions(f);
    ASSERT_EQ(ops.size(), 6u);
    EXPECT_EQ(p.pex.args(ops[0]).size(), 6u);
    EXPECT_EQ(p.pex.args(ops[1]).size(), 4u);
    EXPECT_EQ(p.pex.args(ops[2]).size(), 4u);
    EXPECT_EQ(p.pex.args(ops[3]).size(), 4u); // a negative count reads nothing
    EXPECT_EQ(p.pex.args(ops[4]).size(), 4u); // not an integer: no variable arguments
    EXPECT_EQ(p.pex.args(ops[5])[0].integer(), 9);
    // The variable arguments follow the fixed operands in order, with their types and payloads.
    EXPECT_EQ(p.pex.args(ops[0])[4].integer(), 1);
    EXPECT_EQ(p.pex.pexText(p.pex.args(ops[0])[5].index()), QStringLiteral("x"));
    EXPECT_EQ(p.pex.args(ops[1])[3].real(), 2.5f);
}

TEST(PexFormat, BodyErrorsKeepWhatWasReadAndTheLoadUsable) {
    using V = rPexVal;
    // An opcode above 46 in the middle of a function.
    TPexBuilder b(3, 9);
    b.str(QStringLiteral("Later text"));
    b.singleStateBody(1);
    b.function(true, QStringLiteral("Run"), QStringLiteral("None"), QString(), 0, 0, {}, {},
               {{0, {}}, {47, {}}, {13, {V::id(QStringLiteral("Later text")), V::integer(1)}}});
    TParsedScript p(b.build());
    ASSERT_TRUE(p.ok);
    EXPECT_TRUE(p.pex.bodyError.contains(QStringLiteral("fbk_pexErrorDetail1")));
    EXPECT_EQ(p.pex.pexObjects.size(), 1u);
    EXPECT_TRUE(p.entry(QStringLiteral("Later text")).auth); // never reached
    EXPECT_TRUE(p.pex.feedback.LineList.empty());            // no listing after a body error
    ASSERT_GE(p.host.messages.size(), 1);
    EXPECT_EQ(p.host.messages[0].buttons, dbOk);
    EXPECT_TRUE(p.host.logContains(QStringLiteral("fbk_pexErrorPos")));
}

TEST(PexFormat, EveryTruncationOfARealScriptIsReadSafely) {
    for (auto [major, minor] : {std::pair{3, 2}, std::pair{3, 9}}) {
        const QByteArray full = buildSampleScript(major, minor);
        TParsedScript whole(full);
        const qsizetype tableEnd = full.size() - whole.pex.pexTail().size();
        for (qsizetype cut = 0; cut < full.size(); ++cut) {
            TParsedScript p(full.left(cut));
            if (cut >= tableEnd) {
                // Once the head and table are read the load stands; the body ends early and says so.
                ASSERT_TRUE(p.ok) << cut;
                EXPECT_FALSE(p.pex.bodyError.isEmpty()) << cut;
            }
            if (p.ok) {
                EXPECT_EQ(buildPexBytes(p.pex, p.texts()), full.left(cut)) << cut;
            }
        }
    }
}

TEST(PexFormat, LoadingAFileGivesWhatParsingItsBytesGives) {
    // The load is the parse of the file's bytes, and a file that cannot be read is reported and gives nothing.
    QTemporaryDir dir;
    for (const QByteArray& bytes : {buildSampleScript(3, 9), buildLargeScript(3 * 1000 * 1000)}) {
        const QString path = dir.filePath(QStringLiteral("Script.pex"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(bytes), bytes.size());
        file.close();
        const TParsedScript reference(bytes);
        ASSERT_TRUE(reference.ok);
        TParsedScript loaded(QByteArray{});
        loaded.pex.resetPex();
        ASSERT_TRUE(loadPexFile(loaded.pex, path, &loaded.app));
        applyPexStringRules(loaded.pex, {});
        ensureListing(loaded.pex);
        EXPECT_EQ(loaded.pex.pexData, bytes);
        EXPECT_EQ(pexSummary(loaded.pex).toStdString(), pexSummary(reference.pex).toStdString());
        EXPECT_EQ(buildPexBytes(loaded.pex, loaded.texts()), bytes);
    }
    TParsedScript missing(QByteArray{});
    missing.app.texts.set(QStringLiteral("fbk_pexReadError"), QStringLiteral("fbk_pexReadError %s %s"));
    missing.pex.resetPex();
    EXPECT_FALSE(loadPexFile(missing.pex, dir.filePath(QStringLiteral("Missing.pex")), &missing.app));
    EXPECT_TRUE(missing.host.logContains(QStringLiteral("fbk_pexReadError")));
    EXPECT_TRUE(missing.pex.pexData.isEmpty());
}

TEST(PexFormat, DebugByteOtherThanOneMeansNoDebugSection) {
    TPexBuilder b(3, 9);
    b.u8(2);
    b.userFlags({{QStringLiteral("hidden"), 0}});
    b.u16(0);
    TParsedScript p(b.build());
    ASSERT_TRUE(p.ok);
    EXPECT_TRUE(p.pex.bodyError.isEmpty());
    EXPECT_FALSE(p.pex.debugPresent);
    EXPECT_TRUE(p.pex.feedback.header.contains(QStringLiteral("\thidden 0")));
    EXPECT_FALSE(p.pex.feedback.header.join(QLatin1Char('\n')).contains(QStringLiteral("debugFuncCount")));
}

TEST(PexFormat, ValuesKeepTheirTypesAndRenderAsTheListingShowsThem) {
    TPexBuilder b(3, 9);
    b.str(QStringLiteral("Hi"));
    b.str(QStringLiteral("None"));
    b.str(QStringLiteral("none"));
    TParsedScript p(emptyBody(b));
    ASSERT_TRUE(p.ok);
    const TPexScript& pex = p.pex;
    QLocale::setDefault(QLocale::c());
    const TpexVarData none{};
    EXPECT_EQ(pex.getStrValue(none, true), QString());
    EXPECT_EQ(pex.getStrValue(none, false), QStringLiteral("none"));
    const TpexVarData s = TpexVarData::ofText(pexValueString, uint16_t(p.indexOf(QStringLiteral("Hi"))));
    EXPECT_EQ(pex.getStrValue(s, true), QStringLiteral("= \"Hi\""));
    const TpexVarData id = TpexVarData::ofText(pexValueIdentifier, uint16_t(p.indexOf(QStringLiteral("Hi"))));
    EXPECT_EQ(pex.getStrValue(id, true), QStringLiteral("= Hi"));
    EXPECT_EQ(pex.getStrValue(TpexVarData::ofInteger(-12), false), QStringLiteral("-12"));
    const TpexVarData f = TpexVarData::ofReal(1234.5f);
    EXPECT_EQ(pex.getStrValue(f, false), QStringLiteral("1234.5000"));
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    EXPECT_EQ(pex.getStrValue(f, false), QStringLiteral("1234,5000"));
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(pex.getStrValue({pexValueBool, 0}, true), QStringLiteral("= False"));
    EXPECT_EQ(pex.getStrValue({pexValueBool, 1}, true), QStringLiteral("= True"));
    EXPECT_EQ(pex.getStrValue({9, 0}, false), QString());
    // A payload read as one type is not taken for another.
    EXPECT_EQ(f.integer(), 0);
    EXPECT_EQ(TpexVarData::ofInteger(7).index(), pexNoString);
    TpexFunc fn;
    fn.rtype = uint16_t(p.indexOf(QStringLiteral("None")));
    EXPECT_EQ(pex.getReturnType(fn), QString());
    fn.rtype = uint16_t(p.indexOf(QStringLiteral("none")));
    EXPECT_EQ(pex.getReturnType(fn), QStringLiteral("none "));
    // Indices that name no entry give empty text.
    EXPECT_EQ(pex.pexText(pexNoString), QString());
    EXPECT_EQ(pex.pexText(uint32_t(pex.pexStringTable.size())), QString());
}

TEST(PexFormat, CountsThatLieAboutTheDataStopAtItsEndWithoutSizingAnything) {
    using V = rPexVal;
    // A string count far above the strings present: only what is there is read, and the table is not sized from
    // the count.
    {
        TPexBuilder b(3, 9);
        b.str(QStringLiteral("one"));
        b.str(QStringLiteral("two"));
        const QByteArray bytes = b.build(65535);
        TParsedScript p(bytes);
        ASSERT_TRUE(p.ok);
        EXPECT_EQ(p.pex.pexStringTable.size(), 2u);
        EXPECT_LE(p.pex.pexStringTable.capacity(), size_t(bytes.size()));
    }
    // A call claiming two billion arguments, followed by two values and the end of the data.
    for (auto [major, minor] : {std::pair{3, 2}, std::pair{3, 9}}) {
        const QByteArray full =
            oneFunction(major, minor,
                        {{26, {V::integer(1)}},
                         {25,
                          {V::id(QStringLiteral("Debug")), V::id(QStringLiteral("Trace")), V::id(QStringLiteral("r")),
                           V::integer(0x7FFFFFFF), V::str(QStringLiteral("a")), V::str(QStringLiteral("b"))}}});
        TParsedScript p(full, {QStringLiteral("Trace")});
        ASSERT_TRUE(p.ok);
        EXPECT_TRUE(p.pex.bodyError.contains(QStringLiteral("fbk_pexErrorDetail3"))) << p.pex.bodyError.toStdString();
        EXPECT_EQ(p.pex.bodyErrorPos, full.size());
        EXPECT_LE(p.pex.pexOps.capacity(), size_t(full.size()));
        EXPECT_TRUE(p.pex.pexFuncs.empty()); // the function was not read whole
        // The arguments read before the end were still subject to the rules of the matching call.
        EXPECT_FALSE(p.entry(QStringLiteral("a")).auth);
        EXPECT_FALSE(p.entry(QStringLiteral("b")).auth);
        EXPECT_EQ(buildPexBytes(p.pex, p.texts()), full);
    }
    // A function claiming 65,535 instructions that holds one.
    {
        TPexBuilder b(3, 9);
        b.singleStateBody(1);
        b.idx(QStringLiteral("Run"));
        b.idx(QStringLiteral("None"));
        b.idx(QString());
        b.u32(0);
        b.u8(0);
        b.u16(0);
        b.u16(0);
        b.u16(65535);
        b.instruction({26, {V::integer(3)}});
        const QByteArray bytes = b.build();
        TParsedScript p(bytes);
        ASSERT_TRUE(p.ok);
        EXPECT_FALSE(p.pex.bodyError.isEmpty());
        EXPECT_LE(p.pex.pexOps.capacity(), size_t(bytes.size()));
        ASSERT_EQ(p.pex.pexObjects.size(), 1u);
        EXPECT_EQ(p.pex.pexStates.size(), 1u);
        EXPECT_EQ(p.pex.pexStates[0].func.count, 0u);
    }
}

TEST(PexFormat, InstructionsNearTheEndOfTheDataReadLikeAllOthers) {
    // The last bytes of the data are read with a check per field, the rest with one check per instruction: the
    // same script read with and without bytes after it must give the same model and flags.
    using V = rPexVal;
    const std::vector<TPexBuilder::rInstruction> body{
        {13, {V::id(QStringLiteral("a")), V::str(QStringLiteral("assigned"))}},
        {15, {V::id(QStringLiteral("a")), V::id(QStringLiteral("a")), V::str(QStringLiteral("compared"))}},
        {24,
         {V::id(QStringLiteral("PlayAnimation")), V::id(QStringLiteral("r")), V::integer(2), V::real(-1.5f),
          V::id(QStringLiteral("a"))}},
        {23,
         {V::id(QStringLiteral("Show")), V::id(QStringLiteral("self")), V::none(), V::integer(1), V::boolean(true)}},
        {26, {V::str(QStringLiteral("returned"))}}};
    for (auto [major, minor] : {std::pair{3, 2}, std::pair{3, 9}}) {
        const QByteArray bytes = oneFunction(major, minor, body);
        TParsedScript tight(bytes, {QStringLiteral("PlayAnimation")});
        TParsedScript padded(bytes + QByteArray(64, '\0'), {QStringLiteral("PlayAnimation")});
        ASSERT_TRUE(tight.ok);
        ASSERT_TRUE(padded.ok);
        ASSERT_TRUE(tight.pex.bodyError.isEmpty()) << tight.pex.bodyError.toStdString();
        ASSERT_TRUE(padded.pex.bodyError.isEmpty());
        ASSERT_EQ(tight.pex.pexOps.size(), body.size());
        ASSERT_EQ(padded.pex.pexOps.size(), body.size());
        for (size_t i = 0; i < body.size(); ++i) {
            const TpexOp& a = tight.pex.pexOps[i];
            const TpexOp& b = padded.pex.pexOps[i];
            EXPECT_EQ(a.opCode, body[i].op) << i;
            EXPECT_EQ(b.opCode, body[i].op) << i;
            const TPexOperands x = tight.pex.args(a);
            const TPexOperands y = padded.pex.args(b);
            ASSERT_EQ(x.size(), qsizetype(body[i].args.size())) << i;
            ASSERT_EQ(y.size(), x.size()) << i;
            for (qsizetype k = 0; k < x.size(); ++k) {
                EXPECT_EQ(x[k].ident, y[k].ident) << i << ' ' << k;
                EXPECT_EQ(x[k].value, y[k].value) << i << ' ' << k;
            }
        }
        for (size_t i = 0; i < tight.pex.pexStringTable.size(); ++i) {
            EXPECT_EQ(tight.pex.pexStringTable[i].auth, padded.pex.pexStringTable[i].auth) << i;
            EXPECT_EQ(tight.pex.pexStringTable[i].warn, padded.pex.pexStringTable[i].warn) << i;
        }
        EXPECT_EQ(tight.pex.feedback.lines, padded.pex.feedback.lines);
        // What the rules made of it.
        EXPECT_FALSE(tight.entry(QStringLiteral("assigned")).auth); // stored in a, which goes to a listed call
        EXPECT_TRUE(tight.entry(QStringLiteral("compared")).warn);
        EXPECT_TRUE(tight.entry(QStringLiteral("returned")).auth);
        const auto args = tight.pex.args(tight.pex.pexOps[2]);
        ASSERT_EQ(args.size(), 5u);
        EXPECT_EQ(args[3].real(), -1.5f);
        EXPECT_TRUE(tight.pex.args(tight.pex.pexOps[3])[4].boolean());
    }
}
