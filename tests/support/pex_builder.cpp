// Compiled script and menu file builders for tests, benchmarks and the bundled samples.
#include "pex_builder.h"

#include <cstring>

TPexBuilder::TPexBuilder(uint8_t major, uint8_t minor, bool leMagic)
    : major_(major), minor_(minor), leMagic_(leMagic), bigEndian_(!(major >= 3 && minor >= 9)) {}

uint16_t TPexBuilder::str(const QString& text) {
    auto it = index_.constFind(text);
    if (it != index_.constEnd()) return *it;
    const uint16_t i = static_cast<uint16_t>(strings_.size());
    strings_ << text;
    index_.insert(text, i);
    return i;
}

uint16_t TPexBuilder::addDuplicate(const QString& text) {
    const uint16_t i = static_cast<uint16_t>(strings_.size());
    strings_ << text;
    if (!index_.contains(text)) index_.insert(text, i);
    return i;
}

void TPexBuilder::number(QByteArray& out, uint64_t v, int bytes) const {
    for (int k = 0; k < bytes; ++k) {
        const int shift = bigEndian_ ? (bytes - 1 - k) * 8 : k * 8;
        out.append(static_cast<char>((v >> shift) & 0xFF));
    }
}

void TPexBuilder::u16(uint16_t v) {
    number(body_, v, 2);
}
void TPexBuilder::u32(uint32_t v) {
    number(body_, v, 4);
}
void TPexBuilder::u64(uint64_t v) {
    number(body_, v, 8);
}

void TPexBuilder::value(const rPexVal& v) {
    u8(v.type);
    switch (v.type) {
    case 1:
    case 2:
        idx(v.text);
        break;
    case 3:
        u32(static_cast<uint32_t>(v.i));
        break;
    case 4: {
        uint32_t bits;
        std::memcpy(&bits, &v.f, 4);
        u32(bits);
        break;
    }
    case 5:
        u8(v.b ? 1 : 0);
        break;
    default:
        break;
    }
}

void TPexBuilder::userFlags(const std::vector<std::pair<QString, uint8_t>>& flags) {
    u16(static_cast<uint16_t>(flags.size()));
    for (const auto& [name, bit] : flags) {
        idx(name);
        u8(bit);
    }
}

void TPexBuilder::beginObject(const QString& name, const QString& parent, const QString& doc, uint32_t flags,
                              const QString& autoState) {
    idx(name);
    u32(0); // size, not read
    idx(parent);
    idx(doc);
    if (littleEndian()) u8(0);
    u32(flags);
    idx(autoState);
}

void TPexBuilder::variable(const QString& name, const QString& type, uint32_t flags, const rPexVal& initial,
                           bool structMember, const QString& doc) {
    idx(name);
    idx(type);
    u32(flags);
    value(initial);
    if (littleEndian()) {
        u8(0);
        if (structMember) idx(doc);
    }
}

void TPexBuilder::instruction(const rInstruction& ins) {
    u8(ins.op);
    for (const rPexVal& v : ins.args)
        value(v);
}

void TPexBuilder::function(bool named, const QString& name, const QString& returnType, const QString& doc,
                           uint32_t uflags, uint8_t flags, const std::vector<rPexParam>& params,
                           const std::vector<rPexParam>& locals, const std::vector<rInstruction>& instructions) {
    if (named) idx(name);
    idx(returnType);
    idx(doc);
    u32(uflags);
    u8(flags);
    u16(static_cast<uint16_t>(params.size()));
    for (const auto& p : params) {
        idx(p.name);
        idx(p.type);
    }
    u16(static_cast<uint16_t>(locals.size()));
    for (const auto& p : locals) {
        idx(p.name);
        idx(p.type);
    }
    u16(static_cast<uint16_t>(instructions.size()));
    for (const auto& ins : instructions)
        instruction(ins);
}

void TPexBuilder::stringBytes(QByteArray& out, const QByteArray& utf8) const {
    number(out, static_cast<uint64_t>(utf8.size()), 2);
    out.append(utf8);
}

QByteArray TPexBuilder::head(std::optional<uint16_t> countOverride) const {
    QByteArray out;
    out.append(leMagic_ ? QByteArray("\xDE\xC0\x57\xFA", 4) : QByteArray("\xFA\x57\xC0\xDE", 4));
    out.append(static_cast<char>(major_));
    out.append(static_cast<char>(minor_));
    out.append(static_cast<char>(gameId & 0xFF));
    out.append(static_cast<char>(gameId >> 8));
    for (int k = 0; k < 8; ++k)
        out.append(static_cast<char>((compiledTime >> (8 * k)) & 0xFF));
    stringBytes(out, sourceName.toUtf8());
    stringBytes(out, userName.toUtf8());
    stringBytes(out, machineName.toUtf8());
    number(out, countOverride ? *countOverride : static_cast<uint64_t>(strings_.size()), 2);
    return out;
}

QByteArray TPexBuilder::build(std::optional<uint16_t> countOverride) const {
    QByteArray out = head(countOverride);
    for (const QString& s : strings_)
        stringBytes(out, s.toUtf8());
    out.append(body_);
    return out;
}

int expectedFixedOperands(uint8_t opcode) {
    static const int table[47] = {0, 3, 3, 3, 3, 3, 3, 3, 3, 3, 2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 1, 2, 2, 4,
                                  3, 4, 1, 3, 3, 3, 2, 2, 3, 3, 4, 4, 3, 1, 3, 3, 5, 5, 3, 3, 1, 3, 1};
    return opcode <= 46 ? table[opcode] : -1;
}

namespace {

using V = rPexVal;
using I = TPexBuilder::rInstruction;

std::vector<I> everyOpcode() {
    const V t0 = V::id(QStringLiteral("::temp0")), t1 = V::id(QStringLiteral("::temp1")),
            t2 = V::id(QStringLiteral("::temp2")), msg = V::id(QStringLiteral("msg")),
            arr = V::id(QStringLiteral("arr")), none = V::id(QStringLiteral("::NoneVar")),
            self = V::id(QStringLiteral("self")), rew = V::id(QStringLiteral("rew"));
    return {
        {0, {}},
        {1, {t1, t1, V::integer(1)}},
        {2, {t2, t2, V::real(1.5f)}},
        {3, {t1, t1, V::integer(2)}},
        {4, {t2, t2, V::real(0.25f)}},
        {5, {t1, t1, V::integer(3)}},
        {6, {t2, t2, V::real(2.0f)}},
        {7, {t1, t1, V::integer(4)}},
        {8, {t2, t2, V::real(4.0f)}},
        {9, {t1, t1, V::integer(5)}},
        {10, {t0, t0}},
        {11, {t1, t1}},
        {12, {t2, t2}},
        {13, {msg, V::str(QStringLiteral("Welcome to the sample"))}},
        {14, {t1, V::id(QStringLiteral("::Count_var"))}},
        {15, {t0, msg, V::str(QStringLiteral("yes"))}},
        {16, {t0, t1, V::integer(10)}},
        {17, {t0, t1, V::integer(11)}},
        {18, {t0, t1, V::integer(12)}},
        {19, {t0, t1, V::integer(13)}},
        {20, {V::integer(2)}},
        {21, {t0, V::integer(1)}},
        {22, {t0, V::integer(-1)}},
        {23,
         {V::id(QStringLiteral("Show")), self, none, V::integer(1),
          V::str(QStringLiteral("A message for the player"))}},
        {23, {V::id(QStringLiteral("PlayAnimation")), self, none, V::integer(1), V::id(QStringLiteral("anim"))}},
        {13, {V::id(QStringLiteral("anim")), V::str(QStringLiteral("IdleWave2"))}},
        {23,
         {V::id(QStringLiteral("SendAnimationEvent")), self, t0, V::integer(1),
          V::id(QStringLiteral("::AnimName_var"))}},
        {24, {V::id(QStringLiteral("OnInit")), none, V::integer(0)}},
        {25,
         {V::id(QStringLiteral("Debug")), V::id(QStringLiteral("Notification")), none, V::integer(1),
          V::str(QStringLiteral("Quest started"))}},
        {25,
         {V::id(QStringLiteral("Debug")), V::id(QStringLiteral("Trace")), none, V::integer(2),
          V::str(QStringLiteral("sample: trace text")), V::integer(0)}},
        {26, {V::none()}},
        {27, {msg, msg, V::str(QStringLiteral(" and more"))}},
        {28, {V::id(QStringLiteral("Greeting")), self, msg}},
        {29, {V::id(QStringLiteral("Count")), self, V::integer(5)}},
        {30, {arr, V::integer(3)}},
        {31, {t1, arr}},
        {32, {msg, arr, V::integer(0)}},
        {33, {arr, V::integer(0), V::str(QStringLiteral("First entry"))}},
        {34, {arr, t1, V::str(QStringLiteral("First entry")), V::integer(0)}},
        {35, {arr, t1, msg, V::integer(-1)}},
        {36, {t0, V::id(QStringLiteral("obj")), V::id(QStringLiteral("Actor"))}},
        {37, {rew}},
        {38, {msg, rew, V::id(QStringLiteral("Label"))}},
        {39, {rew, V::id(QStringLiteral("Amount")), V::integer(10)}},
        {40, {arr, t1, V::id(QStringLiteral("Label")), msg, V::integer(0)}},
        {41, {arr, t1, V::id(QStringLiteral("Label")), msg, V::integer(-1)}},
        {42, {arr, V::str(QStringLiteral("Added entry")), V::integer(1)}},
        {43, {arr, V::str(QStringLiteral("Inserted entry")), V::integer(0)}},
        {44, {arr}},
        {45, {arr, V::integer(0), V::integer(1)}},
        {46, {arr}},
        {5, {t0, V::boolean(true), V::none()}},
    };
}

} // namespace

QByteArray buildSampleScript(uint8_t major, uint8_t minor) {
    TPexBuilder b(major, minor, !(major >= 3 && minor >= 9) ? false : true);
    // The texts a translator sees come first so the table reads naturally.
    for (const char* s : {"Hello, traveller", "Welcome to the sample", "A message for the player", "Quest started",
                          "$QS_MenuTitle", "yes"})
        b.str(QString::fromUtf8(s));
    const QString object = QStringLiteral("QuillerySample");

    b.u8(1); // debug section
    b.u64(0x12345678ull);
    b.u16(1);
    b.idx(object);
    b.idx(QString());
    b.idx(QStringLiteral("OnInit"));
    b.u8(0);
    const auto body = everyOpcode();
    b.u16(static_cast<uint16_t>(body.size()));
    for (size_t i = 0; i < body.size(); ++i)
        b.u16(static_cast<uint16_t>(10 + i));
    if (b.littleEndian()) {
        b.u16(1);
        b.idx(object);
        b.idx(QStringLiteral("Main"));
        b.idx(QStringLiteral("Properties shown in the editor"));
        b.u32(0);
        b.u16(2);
        b.idx(QStringLiteral("Greeting"));
        b.idx(QStringLiteral("Count"));
        b.u16(1);
        b.idx(object);
        b.idx(QStringLiteral("Reward"));
        b.u16(2);
        b.idx(QStringLiteral("Label"));
        b.idx(QStringLiteral("Amount"));
    }
    b.userFlags({{QStringLiteral("hidden"), 0}, {QStringLiteral("conditional"), 1}});

    b.u16(1);
    b.beginObject(object, QStringLiteral("Quest"), QStringLiteral("A sample quest script"), 0x3, QString());
    if (b.littleEndian()) {
        b.u16(1);
        b.idx(QStringLiteral("Reward"));
        b.u16(2);
        b.variable(QStringLiteral("Label"), QStringLiteral("String"), 0, V::str(QStringLiteral("Gold reward")), true,
                   QStringLiteral("The label shown"));
        b.variable(QStringLiteral("Amount"), QStringLiteral("Int"), 0, V::integer(50), true, QString());
    }
    b.u16(6);
    b.variable(QStringLiteral("::Greeting_var"), QStringLiteral("String"), 0,
               V::str(QStringLiteral("Hello, traveller")));
    b.variable(QStringLiteral("::Count_var"), QStringLiteral("Int"), 0, V::integer(3));
    b.variable(QStringLiteral("::Ratio_var"), QStringLiteral("Float"), 0, V::real(0.5f));
    b.variable(QStringLiteral("::Flag_var"), QStringLiteral("Bool"), 0, V::boolean(true));
    b.variable(QStringLiteral("::Target_var"), QStringLiteral("ObjectReference"), 0, V::none());
    b.variable(QStringLiteral("::AnimName_var"), QStringLiteral("String"), 0, V::str(QStringLiteral("IdleWave")));

    b.u16(2);
    // Greeting: an auto property (flags 7: read, write, auto variable; no handlers).
    b.idx(QStringLiteral("Greeting"));
    b.idx(QStringLiteral("String"));
    b.idx(QStringLiteral("The greeting shown"));
    b.u32(0);
    b.u8(7);
    b.idx(QStringLiteral("::Greeting_var"));
    // Count: read and write handlers.
    b.idx(QStringLiteral("Count"));
    b.idx(QStringLiteral("Int"));
    b.idx(QString());
    b.u32(0);
    b.u8(3);
    b.function(false, QString(), QStringLiteral("Int"), QString(), 0, 0, {}, {},
               {{26, {V::id(QStringLiteral("::Count_var"))}}});
    b.function(false, QString(), QStringLiteral("None"), QString(), 0, 0,
               {{QStringLiteral("value"), QStringLiteral("Int")}}, {},
               {{13, {V::id(QStringLiteral("::Count_var")), V::id(QStringLiteral("value"))}}});

    b.u16(2);
    b.idx(QString());
    b.u16(2);
    b.function(true, QStringLiteral("OnInit"), QStringLiteral("None"),
               QStringLiteral("Runs once when the quest starts"), 0, 0, {},
               {{QStringLiteral("msg"), QStringLiteral("String")},
                {QStringLiteral("::temp0"), QStringLiteral("Bool")},
                {QStringLiteral("::temp1"), QStringLiteral("Int")},
                {QStringLiteral("::temp2"), QStringLiteral("Float")},
                {QStringLiteral("arr"), QStringLiteral("String[]")},
                {QStringLiteral("anim"), QStringLiteral("String")},
                {QStringLiteral("obj"), QStringLiteral("ObjectReference")},
                {QStringLiteral("rew"), QStringLiteral("QuillerySample#Reward")},
                {QStringLiteral("::NoneVar"), QStringLiteral("None")}},
               body);
    b.function(true, QStringLiteral("MenuTitle"), QStringLiteral("String"), QString(), 0, 0,
               {{QStringLiteral("aiPage"), QStringLiteral("Int")}}, {},
               {{26, {V::str(QStringLiteral("$QS_MenuTitle"))}}});
    b.idx(QStringLiteral("Busy"));
    b.u16(1);
    b.function(true, QStringLiteral("OnActivate"), QStringLiteral("None"), QString(), 0, 0,
               {{QStringLiteral("akActionRef"), QStringLiteral("ObjectReference")}}, {},
               {{21, {V::id(QStringLiteral("akActionRef")), V::integer(2)}},
                {25,
                 {V::id(QStringLiteral("Debug")), V::id(QStringLiteral("MessageBox")),
                  V::id(QStringLiteral("::NoneVar")), V::integer(1), V::str(QStringLiteral("Please wait…"))}},
                {20, {V::integer(-2)}}});
    return b.build();
}

QByteArray buildLargeScript(qsizetype bytes) {
    TPexBuilder b(3, 9);
    const QString object = QStringLiteral("QuilleryLarge");
    b.u8(0);
    b.userFlags({});
    b.u16(1);
    b.beginObject(object, QStringLiteral("Quest"), QString(), 0, QString());
    b.u16(0); // structs
    b.u16(0); // variables
    b.u16(0); // properties
    b.u16(1);
    b.idx(QString());
    // Functions are written into a second builder pass: count them first by size estimate.
    constexpr int perFunction = 200;
    constexpr qsizetype perInstruction = 19;
    const int functions = static_cast<int>(std::max<qsizetype>(1, bytes / (perFunction * (perInstruction + 12))));
    b.u16(static_cast<uint16_t>(std::min(functions, 65535)));
    int message = 0;
    for (int f = 0; f < std::min(functions, 65535); ++f) {
        std::vector<TPexBuilder::rInstruction> body;
        body.reserve(perFunction);
        for (int i = 0; i < perFunction; ++i) {
            const QString text = QStringLiteral("Message %1 for the player, with a few words").arg(message % 60000);
            ++message;
            body.push_back({23,
                            {V::id(QStringLiteral("Show")), V::id(QStringLiteral("self")),
                             V::id(QStringLiteral("::NoneVar")), V::integer(1), V::str(text)}});
        }
        b.function(true, QStringLiteral("Function%1").arg(f), QStringLiteral("None"), QString(), 0, 0, {}, {}, body);
    }
    return b.build();
}

QByteArray buildSampleMenuFile() {
    const QString text = QStringLiteral("// Quillery sample menu translation file\r\n"
                                        "$QS_MenuTitle\tQuillery Sample\r\n"
                                        "$QS_Enable\tEnable the sample quest\r\n"
                                        "\r\n"
                                        "$QS_NoTab has no tab and is ignored\r\n"
                                        "$QS_Help\tShows help\ton two columns\r\n"
                                        "$QS_Enable\tEnable (repeated key)\r\n"
                                        "$QS_Accents\tCaf\u00e9 \u00e0 l'\u00e9tage \u2013 \u00ab guillemets \u00bb\r\n"
                                        "$QS_Empty\t\r\n");
    QByteArray out("\xFF\xFE", 2);
    for (const QChar c : text) {
        out.append(static_cast<char>(c.unicode() & 0xFF));
        out.append(static_cast<char>(c.unicode() >> 8));
    }
    return out;
}
