// Reading and writing compiled scripts. Every read goes through the bounds-checked cursor, so a body that ends
// before its layout does stops with the body error report instead of reading past the data.
#include "script/QUILL_scriptPex.h"

#include "core/QUILL_cursor.h"
#include "core/QUILL_error.h"
#include "core/QUILL_files.h"
#include "core/QUILL_main.h"

#include <QLocale>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

namespace {

// Raised for a bad index or opcode; its text is already the UI message.
class TPexFormatError : public TQuillError {
public:
    using TQuillError::TQuillError;
};

constexpr uint8_t kFixedOperands[pexMaxOpcode + 1] = {
    0,             // 0 no operation
    3, 3, 3, 3,    // 1-4 addition, subtraction
    3, 3, 3, 3,    // 5-8 multiplication, division
    3,             // 9 modulo
    2, 2, 2,       // 10-12 not, negation
    2, 2,          // 13 assignment, 14 cast
    3, 3, 3, 3, 3, // 15-19 comparisons
    1, 2, 2,       // 20-22 jumps
    4, 3, 4,       // 23-25 calls (+ variable arguments)
    1,             // 26 return
    3, 3, 3,       // 27 concatenation, 28-29 property get/set
    2, 2, 3, 3,    // 30-33 array create, length, get, set
    4, 4,          // 34-35 array find, rfind
    3,             // 36 is
    1, 3, 3,       // 37-39 struct create, get, set
    5, 5,          // 40-41 find struct, rfind struct
    3, 3, 1, 3, 1, // 42-46 add, insert, remove last, remove, clear
};

// The longest a value can be (type byte and a 32-bit payload) and the longest opcode with its fixed operands.
constexpr qsizetype kLongestValue = 5;
constexpr qsizetype kMostFixedOperands = 5;
constexpr qsizetype kLongestFixedPart = 1 + kMostFixedOperands * kLongestValue;

const QString kSeparator = QString(41, QLatin1Char('-'));

// Keeps the progress bar moving without letting events run for every instruction.
constexpr qsizetype kProgressEvery = 64 * 1024;

template <bool Big> Q_ALWAYS_INLINE uint16_t load16(const uchar* p) {
    return Big ? qFromBigEndian<uint16_t>(p) : qFromLittleEndian<uint16_t>(p);
}
template <bool Big> Q_ALWAYS_INLINE uint32_t load32(const uchar* p) {
    return Big ? qFromBigEndian<uint32_t>(p) : qFromLittleEndian<uint32_t>(p);
}

// What the string-use rules look at in an instruction, by opcode.
enum : uint8_t {
    kRuleCollect = 1,  // assignment and calls: identifiers gathered, string operands locked
    kRuleAssign = 2,   // assignment: a string after the destination is followed through assignPairs
    kRuleCompare = 4,  // comparisons: string operands get the warning
    kRuleArguments = 8 // calls: variable arguments follow
};
constexpr uint8_t ruleOf(uint8_t opcode) {
    return opcode == 13                   ? kRuleCollect | kRuleAssign
           : opcode >= 15 && opcode <= 19 ? kRuleCompare
           : opcode >= 23 && opcode <= 25 ? kRuleCollect | kRuleArguments
                                          : 0;
}
// The shapes the instruction loop has a copy of its operand code for: the number of fixed operands (0 to 5) for
// the opcodes without rules, then one shape per rule set and operand count. Every byte has a shape, so that an
// unknown opcode is found by the same table look-up.
enum : uint8_t { kShapeAssign = 6, kShapeCompare, kShapeCall3, kShapeCall4, kShapeUnknownOpcode, kShapeInvalid = 0xFF };
constexpr auto kShapes = [] {
    std::array<uint8_t, 256> shapes{};
    shapes.fill(kShapeUnknownOpcode);
    for (uint8_t op = 0; op <= pexMaxOpcode; ++op) {
        const uint8_t fixed = kFixedOperands[op];
        switch (ruleOf(op)) {
        case 0:
            shapes[op] = fixed;
            break;
        case kRuleCollect | kRuleAssign:
            shapes[op] = fixed == 2 ? kShapeAssign : kShapeInvalid;
            break;
        case kRuleCompare:
            shapes[op] = fixed == 3 ? kShapeCompare : kShapeInvalid;
            break;
        default:
            shapes[op] = fixed == 3 ? kShapeCall3 : fixed == 4 ? kShapeCall4 : kShapeInvalid;
            break;
        }
    }
    return shapes;
}();
static_assert(std::find(kShapes.begin(), kShapes.begin() + pexMaxOpcode + 1, kShapeInvalid) ==
                  kShapes.begin() + pexMaxOpcode + 1,
              "every opcode's operand count and rules have a copy of the operand code");

bool isAscii(QByteArrayView bytes) {
    for (const char c : bytes)
        if (static_cast<uchar>(c) >= 0x80) return false;
    return true;
}

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// Compares ASCII bytes with an ASCII lower-case name, ignoring case.
int compareAsciiNoCase(QByteArrayView bytes, QByteArrayView lowerName) {
    const qsizetype n = std::min(bytes.size(), lowerName.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char a = asciiLower(bytes[i]);
        if (a != lowerName[i]) return static_cast<uchar>(a) < static_cast<uchar>(lowerName[i]) ? -1 : 1;
    }
    return bytes.size() == lowerName.size() ? 0 : (bytes.size() < lowerName.size() ? -1 : 1);
}

} // namespace

uint8_t pexFixedOperandCount(uint8_t opcode) {
    return opcode <= pexMaxOpcode ? kFixedOperands[opcode] : 0;
}

float TpexVarData::real() const {
    if (ident != pexValueFloat) return 0.0f;
    const uint32_t bits = value;
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

TpexVarData TpexVarData::ofReal(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof v);
    return {pexValueFloat, bits};
}

QString TPexScript::pexText(uint32_t index) const {
    if (!isStringIndex(index)) return {};
    if (textCache_.size() != pexStringTable.size()) {
        textCache_.assign(pexStringTable.size(), QString());
        textCached_.assign(pexStringTable.size(), 0);
    }
    if (!textCached_[index]) {
        textCache_[index] = QString::fromUtf8(pexBytes(index));
        textCached_[index] = 1;
    }
    return textCache_[index];
}

QString TPexScript::getStrValue(const TpexVarData& data, bool addEqual) const {
    const QString prefix = addEqual ? QStringLiteral("= ") : QString();
    switch (data.ident) {
    case pexValueNone:
        return addEqual ? QString() : QStringLiteral("none");
    case pexValueIdentifier:
        return prefix + pexText(data.index());
    case pexValueString:
        return prefix + QLatin1Char('"') + pexText(data.index()) + QLatin1Char('"');
    case pexValueInteger:
        return prefix + QString::number(data.integer());
    case pexValueFloat: {
        QLocale locale;
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
        return prefix + locale.toString(static_cast<double>(data.real()), 'f', 4);
    }
    case pexValueBool:
        return prefix + (data.boolean() ? QStringLiteral("True") : QStringLiteral("False"));
    default:
        return {};
    }
}

QString TPexScript::getReturnType(const TpexFunc& function) const {
    const QString type = pexText(function.rtype);
    if (type == QLatin1String("None")) return {};
    return type + QLatin1Char(' ');
}

void TPexScript::resetPex() {
    pexByteOrder = pexBigEndian;
    majorVersion = minorVersion = 0;
    debugPresent = false;
    pexData.clear();
    headSize_ = tailStart_ = 0;
    pexStringTable.clear();
    pexObjects.clear();
    pexStructs.clear();
    pexVars.clear();
    pexProps.clear();
    pexStates.clear();
    pexFuncs.clear();
    pexVarTypes.clear();
    pexOps.clear();
    opsUsed_ = 0;
    textCache_.clear();
    textCached_.clear();
    feedback.reset();
    clearListing(*this);
    noTransName_.clear();
    noTransVarMark_.clear();
    callMatches_ = false;
    listingReady = false;
    noTransVariables.clear();
    assignPairs.clear();
    bodyError.clear();
    bodyErrorPos = -1;
}

void TPexScript::fail(const QString& detailKey) const {
    if (app_) throw TPexFormatError(app_->uiTextFormat(QStringLiteral("fbk_pexError"), {app_->uiText(detailKey)}));
    throw TPexFormatError(QStringLiteral("fbk_pexError: ") + detailKey);
}

void TPexScript::markName(uint32_t index) {
    if (!isStringIndex(index)) fail(QStringLiteral("fbk_pexErrorDetail2"));
    pexStringTable[index].auth = false;
}

bool TPexScript::isNoTransName(const QString& name) const {
    const auto it =
        std::lower_bound(noTransProcList.cbegin(), noTransProcList.cend(), name,
                         [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return it != noTransProcList.cend() && it->compare(name, Qt::CaseInsensitive) == 0;
}

bool TPexScript::decideNoTransIndex(uint16_t index) {
    uint8_t& known = noTransName_[index];
    {
        bool listed = false;
        const QByteArrayView bytes = pexBytes(index);
        if (isAscii(bytes)) {
            const auto it = std::lower_bound(
                noTransAscii_.cbegin(), noTransAscii_.cend(), bytes,
                [](const QByteArray& name, QByteArrayView b) { return compareAsciiNoCase(b, name) > 0; });
            listed = it != noTransAscii_.cend() && compareAsciiNoCase(bytes, *it) == 0;
            // A name outside ASCII can still fold to ASCII letters; those few are compared as text.
            if (!listed && !noTransOther_.isEmpty()) {
                const QString text = pexText(index);
                for (const QString& name : noTransOther_)
                    if (name.compare(text, Qt::CaseInsensitive) == 0) listed = true;
            }
        } else {
            listed = isNoTransName(pexText(index));
        }
        known = listed ? 1 : 2;
    }
    return known == 1;
}

void TPexScript::markNoTransVariable(uint16_t index) {
    if (noTransVarMark_[index]) return;
    noTransVarMark_[index] = 1;
    noTransVariables.insert(pexText(index).toLower());
}

void TPexScript::applyNoTransVariables() {
    if (noTransVariables.isEmpty()) return;
    // Per name index: 0 not decided, 1 a variable passed to a matching call, 2 not one.
    std::vector<uint8_t> matched(pexStringTable.size(), 0);
    for (const auto& [nameIndex, stringIndex] : assignPairs) {
        if (!isStringIndex(nameIndex) || !isStringIndex(stringIndex)) continue;
        rPex& entry = pexStringTable[stringIndex];
        if (!entry.auth) continue;
        uint8_t& m = matched[nameIndex];
        if (m == 0) m = noTransVariables.contains(pexText(nameIndex).toLower()) ? 1 : 2;
        if (m == 1) entry.auth = false;
    }
}

uint16_t TPexScript::readPexU16(TBinaryCursor& cursor) {
    return cursor.u16(bigEndian());
}
uint32_t TPexScript::readPexU32(TBinaryCursor& cursor) {
    return cursor.u32(bigEndian());
}
float TPexScript::readPexFloat(TBinaryCursor& cursor) {
    return cursor.f32(bigEndian());
}

QByteArrayView TPexScript::readPexString(TBinaryCursor& cursor) {
    return cursor.lengthPrefixed16(bigEndian());
}

uint16_t TPexScript::readName(TBinaryCursor& cursor) {
    const uint16_t index = readPexU16(cursor);
    markName(index);
    return index;
}

void TPexScript::reportProgress(const TBinaryCursor& cursor) {
    if (!app_ || cursor.pos() - lastProgress_ < kProgressEvery) return;
    lastProgress_ = cursor.pos();
    app_->progressStep(static_cast<int>(cursor.pos()), 1);
}

bool TPexScript::loadPexFile(const QString& fileName, TAppContext* app) {
    // The file is read on a second thread while the head, the table and the body are parsed from the bytes in.
    quillfs::TFileStream stream;
    QString error;
    const auto readError = [&] {
        if (app) app->logMessage(app->uiTextFormat(QStringLiteral("fbk_pexReadError"), {fileName, error}), true);
        return false;
    };
    if (!stream.start(fileName, &error)) return readError();
    const bool parsed = parsePex(stream.buffer(), stream.in(), stream, app);
    QByteArray bytes;
    if (!stream.finish(bytes, &error)) {
        resetPex();
        return readError();
    }
    // The bytes read: fewer than the buffer holds only when the file was cut short while it was read.
    if (parsed) pexData = bytes;
    return parsed;
}

bool TPexScript::parsePex(const QByteArray& data, TAppContext* app) {
    pexData = data;
    TBinaryCursor cursor(pexData);
    return parseBytes(cursor, app);
}

bool TPexScript::parsePex(const QByteArray& buffer, qsizetype in, TByteSource& source, TAppContext* app) {
    pexData = buffer;
    TBinaryCursor cursor(QByteArrayView(pexData.constData(), std::clamp<qsizetype>(in, 0, pexData.size())), &source);
    const bool parsed = parseBytes(cursor, app);
    // A parse that stopped early (a body error) has not seen the last bytes: the tail is kept from them.
    source.waitFor(std::numeric_limits<qsizetype>::max());
    return parsed;
}

bool TPexScript::parseBytes(TBinaryCursor& cursor, TAppContext* app) {
    app_ = app;
    lastProgress_ = 0;
    if (app_) app_->progressMax(static_cast<int>(std::min<qsizetype>(pexData.size(), INT32_MAX)));
    static const char magicLe[4] = {'\xDE', '\xC0', '\x57', '\xFA'};
    static const char magicBe[4] = {'\xFA', '\x57', '\xC0', '\xDE'};
    if (!cursor.canRead(4) ||
        (std::memcmp(pexData.constData(), magicLe, 4) != 0 && std::memcmp(pexData.constData(), magicBe, 4) != 0)) {
        pexData.clear();
        app_ = nullptr;
        return false;
    }

    try {
        cursor.skip(4);
        majorVersion = cursor.u8();
        minorVersion = cursor.u8();
        const uint16_t gameId = cursor.u16le();
        const uint64_t compiled = cursor.u64le();
        feedback.header << QStringLiteral("PapyrusVersion: %1.%2 - %3 - (TimeData: %4)")
                               .arg(majorVersion)
                               .arg(minorVersion)
                               .arg(gameId, 4, 16, QLatin1Char('0'))
                               .arg(compiled, 16, 16, QLatin1Char('0'));
        pexByteOrder = (majorVersion >= 3 && minorVersion >= 9) ? pexLittleEndian : pexBigEndian;
        const QByteArrayView source = readPexString(cursor);
        feedback.header << QStringLiteral("Script: %1").arg(QString::fromUtf8(source));
        readPexString(cursor); // user name
        readPexString(cursor); // machine name
        const uint16_t count = readPexU16(cursor);
        feedback.header << QStringLiteral("StringTableCount: %1").arg(count);
        headSize_ = cursor.pos();
        // Every entry takes at least its two length bytes: a count larger than the data cannot reserve more.
        pexStringTable.reserve(std::min<qsizetype>(count, (pexData.size() - cursor.pos()) / 2 + 1));
        // Entries are recorded where they lie; the cursor checks (and reports) a length field or text cut short, and
        // waits for bytes still being read.
        const uchar* const base = reinterpret_cast<const uchar*>(pexData.constData());
        qsizetype size = cursor.size();
        const bool big = bigEndian();
        qsizetype pos = cursor.pos();
        while (pexStringTable.size() < count) {
            if (Q_UNLIKELY(size - pos < 2)) {
                cursor.seek(pos);
                cursor.canRead(2);
                size = cursor.size();
                if (pos == size) break; // the count was larger than the table
                cursor.require(2);
            }
            const uint16_t length = big ? load16<true>(base + pos) : load16<false>(base + pos);
            if (Q_UNLIKELY(size - pos - 2 < length)) {
                cursor.seek(pos + 2);
                cursor.require(length);
                size = cursor.size();
            }
            pexStringTable.push_back(rPex{static_cast<uint32_t>(pos + 2), length});
            pos += 2 + length;
        }
        cursor.seek(pos);
    } catch (const TQuillError& error) {
        if (app_) {
            const QString text = dynamic_cast<const TPexFormatError*>(&error)
                                     ? error.message()
                                     : app_->uiTextFormat(QStringLiteral("fbk_pexError"),
                                                          {app_->uiText(QStringLiteral("fbk_pexErrorDetail3"))});
            app_->logMessage(text, true);
        }
        pexStringTable.clear();
        pexData.clear();
        headSize_ = 0;
        return false;
    }
    tailStart_ = cursor.pos();
    noTransName_.assign(pexStringTable.size(), 0);
    noTransVarMark_.assign(pexStringTable.size(), 0);
    noTransAscii_.clear();
    noTransOther_.clear();
    for (const QString& name : noTransProcList) {
        const QByteArray latin = name.toLatin1();
        if (name.size() == latin.size() && isAscii(latin) && QString::fromLatin1(latin) == name) {
            QByteArray lower = latin;
            for (char& c : lower)
                c = asciiLower(c);
            noTransAscii_.push_back(lower);
        } else {
            noTransOther_ << name;
        }
    }
    std::sort(noTransAscii_.begin(), noTransAscii_.end());
    parseTail(cursor, app);
    if (app_) app_->progressStep(static_cast<int>(std::min<qsizetype>(cursor.pos(), INT32_MAX)), 1);
    app_ = nullptr;
    return true;
}

void TPexScript::parseTail(TBinaryCursor& cursor, TAppContext* app) {
    // Room for the instructions from the size of the body, never from a count field: a typical instruction takes
    // about a dozen bytes. A larger body only grows the vector.
    pexOps.reserve(static_cast<size_t>((pexData.size() - cursor.pos()) / 16));
    opsUsed_ = 0;
    try {
        if (cursor.u8() == 1) {
            debugPresent = true;
            parseDebugInfo(cursor);
        }
        parseUserFlags(cursor);
        parseObjects(cursor);
        applyNoTransVariables();
        listingReady = true;
    } catch (const TQuillError& error) {
        bodyErrorPos = cursor.pos();
        if (dynamic_cast<const TPexFormatError*>(&error))
            bodyError = error.message();
        else if (app)
            bodyError =
                app->uiTextFormat(QStringLiteral("fbk_pexError"), {app->uiText(QStringLiteral("fbk_pexErrorDetail3"))});
        else
            bodyError = QStringLiteral("fbk_pexError: fbk_pexErrorDetail3");
        callMatches_ = false;
        if (app) {
            app->logMessage(bodyError, true);
            app->logMessage(app->uiTextFormat(QStringLiteral("fbk_pexErrorPos"), {static_cast<qint64>(bodyErrorPos)}));
        }
    }
    // Cut the room taken ahead back to what was read.
    pexOps.resize(opsUsed_);
}

void TPexScript::parseDebugInfo(TBinaryCursor& cursor) {
    cursor.skip(8); // modification time
    const uint16_t functions = readPexU16(cursor);
    feedback.header << kSeparator << QStringLiteral("debugFuncCount: %1").arg(functions);
    for (uint16_t i = 0; i < functions; ++i) {
        readName(cursor); // object
        readName(cursor); // state
        readName(cursor); // function
        cursor.skip(1);   // function type
        const uint16_t lines = readPexU16(cursor);
        cursor.skip(qsizetype(lines) * 2);
    }
    if (bigEndian()) return;
    const uint16_t groups = readPexU16(cursor);
    feedback.header << QStringLiteral("debugpropGroupCount: %1").arg(groups);
    for (uint16_t i = 0; i < groups; ++i) {
        readName(cursor); // object
        readName(cursor); // group
        readName(cursor); // documentation
        readPexU32(cursor);
        const uint16_t names = readPexU16(cursor);
        cursor.skip(qsizetype(names) * 2);
    }
    const uint16_t structs = readPexU16(cursor);
    feedback.header << QStringLiteral("debugStructCount: %1").arg(structs);
    for (uint16_t i = 0; i < structs; ++i) {
        readName(cursor); // object
        readName(cursor); // struct
        const uint16_t members = readPexU16(cursor);
        cursor.skip(qsizetype(members) * 2);
    }
}

void TPexScript::parseUserFlags(TBinaryCursor& cursor) {
    const uint16_t count = readPexU16(cursor);
    feedback.header << kSeparator << QStringLiteral("userFlagsCount: %1").arg(count);
    for (uint16_t i = 0; i < count; ++i) {
        const uint16_t name = readName(cursor);
        const uint8_t bit = cursor.u8();
        feedback.header << QStringLiteral("\t%1 %2").arg(pexText(name)).arg(bit);
    }
}

void TPexScript::parseObjects(TBinaryCursor& cursor) {
    const uint16_t count = readPexU16(cursor);
    for (uint16_t i = 0; i < count; ++i) {
        TpexObject object;
        object.name = readName(cursor);
        pexObjects.push_back(object);
        readPexU32(cursor); // object size, not used
        parseObject(cursor, static_cast<uint32_t>(pexObjects.size() - 1));
    }
}

// Each section's range is set before its elements are read and counted as each is complete, so that after a body
// error the object keeps what was read whole.
void TPexScript::parseObject(TBinaryCursor& cursor, uint32_t at) {
    TpexObject& object = pexObjects[at]; // no object is added while this one is read
    object.parentClassName = readName(cursor);
    object.docString = readName(cursor);
    if (!bigEndian()) cursor.skip(1); // const flag
    object.userFlags = readPexU32(cursor);
    object.autoStateName = readName(cursor);
    object.structs.first = static_cast<uint32_t>(pexStructs.size());
    if (!bigEndian()) parseStruct(cursor, at);
    const uint16_t variables = readPexU16(cursor);
    object.variables.first = static_cast<uint32_t>(pexVars.size());
    for (uint16_t i = 0; i < variables; ++i) {
        pexVars.push_back(parseVariable(cursor, false));
        ++object.variables.count;
    }
    reportProgress(cursor);
    const uint16_t properties = readPexU16(cursor);
    object.properties.first = static_cast<uint32_t>(pexProps.size());
    for (uint16_t i = 0; i < properties; ++i) {
        TpexProp property;
        property.name = readName(cursor);
        property.pType = readName(cursor);
        property.docString = readName(cursor);
        property.uflags = readPexU32(cursor);
        property.flags = cursor.u8();
        pexProps.push_back(property);
        ++object.properties.count;
        const size_t p = pexProps.size() - 1;
        if (property.flags & 4) pexProps[p].autoVarName = readName(cursor);
        if ((property.flags & 5) == 1) pexProps[p].readHandler = static_cast<int32_t>(parseFunction(cursor, false));
        if ((property.flags & 6) == 2) pexProps[p].writeHandler = static_cast<int32_t>(parseFunction(cursor, false));
        reportProgress(cursor);
    }
    const uint16_t states = readPexU16(cursor);
    object.states.first = static_cast<uint32_t>(pexStates.size());
    for (uint16_t i = 0; i < states; ++i) {
        TPexState state;
        state.name = readName(cursor);
        state.func.first = static_cast<uint32_t>(pexFuncs.size());
        pexStates.push_back(state);
        ++object.states.count;
        const uint16_t functions = readPexU16(cursor);
        for (uint16_t f = 0; f < functions; ++f) {
            parseFunction(cursor, true);
            ++pexStates.back().func.count;
        }
        reportProgress(cursor);
    }
}

void TPexScript::parseStruct(TBinaryCursor& cursor, uint32_t at) {
    const uint16_t count = readPexU16(cursor);
    for (uint16_t i = 0; i < count; ++i) {
        TpexStruct s;
        s.name = readName(cursor);
        s.vList.first = static_cast<uint32_t>(pexVars.size());
        pexStructs.push_back(s);
        ++pexObjects[at].structs.count;
        const uint16_t members = readPexU16(cursor);
        for (uint16_t m = 0; m < members; ++m) {
            pexVars.push_back(parseVariable(cursor, true));
            ++pexStructs.back().vList.count;
        }
    }
}

TpexVar TPexScript::parseVariable(TBinaryCursor& cursor, bool structMember) {
    TpexVar variable;
    variable.name = readName(cursor);
    variable.vType = readName(cursor);
    variable.flag = readPexU32(cursor);
    readVarData(cursor, variable.data);
    // An initial string value is stored in the variable: the untranslatable-variable pass follows it by name.
    if (variable.data.ident == pexValueString) assignPairs.emplace_back(variable.name, variable.data.index());
    if (!bigEndian()) {
        cursor.skip(1); // const flag
        if (structMember) variable.sDoc = readName(cursor);
    }
    return variable;
}

TpexVarType TPexScript::parseVarType(TBinaryCursor& cursor) {
    TpexVarType v;
    v.name = readName(cursor);
    v.vType = readName(cursor);
    return v;
}

uint32_t TPexScript::parseFunction(TBinaryCursor& cursor, bool named) {
    TpexFunc function;
    if (named) function.name = readName(cursor);
    function.rtype = readName(cursor);
    function.docString = readName(cursor);
    function.uflags = readPexU32(cursor);
    function.flags = cursor.u8();
    const uint16_t params = readPexU16(cursor);
    function.params.first = static_cast<uint32_t>(pexVarTypes.size());
    for (uint16_t i = 0; i < params; ++i)
        pexVarTypes.push_back(parseVarType(cursor));
    function.params.count = params;
    const uint16_t locals = readPexU16(cursor);
    function.locals.first = static_cast<uint32_t>(pexVarTypes.size());
    for (uint16_t i = 0; i < locals; ++i)
        pexVarTypes.push_back(parseVarType(cursor));
    function.locals.count = locals;
    const uint16_t instructions = readPexU16(cursor);
    function.instructions.first = static_cast<uint32_t>(opsUsed_);
    if (bigEndian())
        readInstructions<true>(cursor, instructions);
    else
        readInstructions<false>(cursor, instructions);
    function.instructions.count = instructions;
    reportProgress(cursor);
    // Appended only when read whole, as a failed function was never part of its state.
    pexFuncs.push_back(function);
    return static_cast<uint32_t>(pexFuncs.size() - 1);
}

const uchar* TPexScript::moreBytes(TBinaryCursor& cursor, const uchar* p, qsizetype count) {
    const uchar* const base = reinterpret_cast<const uchar*>(cursor.data().data());
    cursor.seek(p - base);
    cursor.canRead(count);
    return base + cursor.size();
}

void TPexScript::pastEnd(TBinaryCursor& cursor, const uchar* at) {
    cursor.seek(at - reinterpret_cast<const uchar*>(cursor.data().data()));
    cursor.require(cursor.remaining() + 1); // throws the cursor's own error at that position
    Q_UNREACHABLE();
}

void TPexScript::failAt(TBinaryCursor& cursor, const uchar* at, const QString& detailKey) const {
    cursor.seek(at - reinterpret_cast<const uchar*>(cursor.data().data()));
    fail(detailKey);
}

template <bool Big, bool Checked>
uint32_t TPexScript::readIndex(TBinaryCursor& cursor, const uchar*& p, const uchar* end, uint32_t tableSize) const {
    if constexpr (Checked)
        if (end - p < 3) pastEnd(cursor, p + 1);
    const uint32_t index = load16<Big>(p + 1);
    p += 3;
    if (Q_UNLIKELY(index >= tableSize)) failAt(cursor, p, QStringLiteral("fbk_pexErrorDetail2"));
    return index;
}

// Reads one value at `p` and moves past it: validates a string index and, with Mark, makes an identifier's entry
// untranslatable (an identifier is a name). Unless Checked, the caller has made sure that the longest value fits.
template <bool Big, bool Checked, bool Mark>
TPexScript::rValue TPexScript::readValue(TBinaryCursor& cursor, const uchar*& p, const uchar* end, rPex* table,
                                         uint32_t tableSize) const {
    if constexpr (Checked)
        if (end - p < 1) pastEnd(cursor, p);
    const uint8_t type = *p;
    if (type == pexValueIdentifier) {
        const uint32_t index = readIndex<Big, Checked>(cursor, p, end, tableSize);
        if constexpr (Mark) table[index].auth = false;
        return {pexValueIdentifier, index};
    }
    if (type == pexValueString) return {pexValueString, readIndex<Big, Checked>(cursor, p, end, tableSize)};
    if (type == pexValueInteger || type == pexValueFloat) {
        if constexpr (Checked)
            if (end - p < 5) pastEnd(cursor, p + 1);
        const uint32_t v = load32<Big>(p + 1);
        p += 5;
        return {type, v};
    }
    if (type == pexValueBool) {
        if constexpr (Checked)
            if (end - p < 2) pastEnd(cursor, p + 1);
        const uint32_t v = p[1] != 0;
        p += 2;
        return {type, v};
    }
    ++p;
    return {type, 0};
}

void TPexScript::readVarData(TBinaryCursor& cursor, TpexVarData& data) {
    cursor.canRead(kLongestValue); // waits for the bytes of the longest value when they are still being read
    const uchar* const base = reinterpret_cast<const uchar*>(cursor.data().data());
    const uchar* const start = base + cursor.pos();
    const uchar* const end = base + cursor.size();
    const uchar* p = start;
    rPex* const table = pexStringTable.data();
    const uint32_t tableSize = static_cast<uint32_t>(pexStringTable.size());
    const rValue v = bigEndian() ? readValue<true, true>(cursor, p, end, table, tableSize)
                                 : readValue<false, true>(cursor, p, end, table, tableSize);
    data = {v.type, v.value};
    cursor.skip(p - start);
}

// The instruction loop: one pass with its whole state in locals. An instruction is read without per-field checks
// when the data is long enough for its longest fixed part, and otherwise by the same code with the checks (only
// the last instructions of the data take that path); a failure moves the cursor to where a field-by-field read
// would stop. On a failure opsUsed_ stays at the end of the functions read whole: the instructions of a function
// read in part belong to nothing kept.
template <bool Big> void TPexScript::readInstructions(TBinaryCursor& cursor, uint32_t count) {
    const uchar* const base = reinterpret_cast<const uchar*>(cursor.data().data());
    rDecode d{base + cursor.pos(),
              base + cursor.size(),
              base,
              nullptr,
              pexStringTable.data(),
              static_cast<uint32_t>(pexStringTable.size()),
              noTransName_.data()};
    // Every instruction takes at least a byte: a count larger than the data cannot make more room than it holds.
    const size_t most = std::min<size_t>(count, static_cast<size_t>(pexData.size() - (d.p - base)));
    if (pexOps.size() - opsUsed_ < most)
        pexOps.resize(opsUsed_ + most <= pexOps.capacity() ? pexOps.capacity()
                                                           : std::max(opsUsed_ + most, opsUsed_ * 2));
    d.op = pexOps.data() + opsUsed_;
    TpexOp* const last = d.op + count;
    // Nothing here hands `d` to a function that is not inlined: it would have to live in memory. Near the end of the
    // bytes in, the loop waits for more while the file is being read.
    while (d.op != last) {
        if (Q_UNLIKELY(d.end - d.p < kLongestFixedPart)) {
            d.end = moreBytes(cursor, d.p, kLongestFixedPart);
            if (d.end - d.p < kLongestFixedPart) break;
        }
        decodeInstruction<Big, false>(cursor, d);
    }
    while (d.op != last)
        decodeInstruction<Big, true>(cursor, d);
    opsUsed_ += count;
    cursor.seek(d.p - base);
}

// Arguments of a call read out of line: those of a call whose name is an untranslatable call (Matching: identifiers
// are gathered as variables that hold no player text, strings are locked), and those that reach the end of the bytes
// in (the end is moved as more come). Both are rare.
template <bool Big, bool Matching>
const uchar* TPexScript::readArguments(TBinaryCursor& cursor, const uchar* p, int32_t count) {
    callMatches_ = Matching;
    rPex* const table = pexStringTable.data();
    const uint32_t tableSize = static_cast<uint32_t>(pexStringTable.size());
    const uchar* end = reinterpret_cast<const uchar*>(cursor.data().data()) + cursor.size();
    for (int32_t i = 0; i < count; ++i) {
        if (end - p < kLongestValue) end = moreBytes(cursor, p, kLongestValue);
        const rValue value = end - p >= kLongestValue ? readValue<Big, false>(cursor, p, end, table, tableSize)
                                                      : readValue<Big, true>(cursor, p, end, table, tableSize);
        if constexpr (Matching) {
            if (value.type == pexValueIdentifier)
                markNoTransVariable(static_cast<uint16_t>(value.value));
            else if (value.type == pexValueString)
                table[value.value].auth = false;
        }
    }
    callMatches_ = false;
    return p;
}

// One fixed operand, with the rules' state carried from one operand to the next (see readRuledOperands).
template <bool Big, bool Checked, uint8_t Rules>
void TPexScript::readRuledOperand(TBinaryCursor& cursor, rDecode& d, rRuleState& state) {
    rPex* const table = d.table;
    if constexpr (Checked)
        if (d.end - d.p < 1) pastEnd(cursor, d.p);
    const uint8_t type = *d.p;
    if (type == pexValueIdentifier) {
        const uint32_t index = readIndex<Big, Checked>(cursor, d.p, d.end, d.tableSize);
        table[index].auth = false;
        state.last = {pexValueIdentifier, index};
        if constexpr ((Rules & kRuleCollect) != 0) {
            uint8_t known = d.noTransName[index];
            if (Q_UNLIKELY(known == 0)) known = decideNoTransIndex(static_cast<uint16_t>(index)) ? 1 : 2;
            state.known |= known;
        }
        if constexpr ((Rules & kRuleAssign) != 0) state.pendingName = static_cast<int32_t>(index);
    } else if (type == pexValueString) {
        const uint32_t index = readIndex<Big, Checked>(cursor, d.p, d.end, d.tableSize);
        state.last = {pexValueString, index};
        if constexpr ((Rules & kRuleAssign) != 0) {
            if (state.pendingName >= 0)
                assignPairs.emplace_back(static_cast<uint16_t>(state.pendingName), static_cast<uint16_t>(index));
            else
                table[index].auth = false;
        } else if constexpr ((Rules & kRuleCollect) != 0) {
            table[index].auth = false;
        }
        if constexpr ((Rules & kRuleCompare) != 0) table[index].warn = true;
    } else {
        state.last = readValue<Big, Checked>(cursor, d.p, d.end, table, d.tableSize);
    }
}

// The fixed operands of one instruction and, for a call, its variable arguments, with the string-use rules of
// `Rules`: identifiers of assignments and calls are checked against the untranslatable calls, a string after an
// assignment's destination is followed through assignPairs, other strings of assignments and calls are locked,
// compared strings get the warning, and the arguments of a matching call are locked. The operand count is a
// constant, so the operands are read one after the other without a loop around them.
template <bool Big, bool Checked, uint8_t Rules, int Fixed>
uint32_t TPexScript::readRuledOperands(TBinaryCursor& cursor, rDecode& d) {
    static_assert(Fixed >= 1 && Fixed <= kMostFixedOperands);
    rRuleState state{0, -1, {pexValueNone, 0}};
    readRuledOperand<Big, Checked, Rules>(cursor, d, state);
    if constexpr (Fixed >= 2) readRuledOperand<Big, Checked, Rules>(cursor, d, state);
    if constexpr (Fixed >= 3) readRuledOperand<Big, Checked, Rules>(cursor, d, state);
    if constexpr (Fixed >= 4) readRuledOperand<Big, Checked, Rules>(cursor, d, state);
    if constexpr (Fixed >= 5) readRuledOperand<Big, Checked, Rules>(cursor, d, state);
    if constexpr ((Rules & kRuleArguments) != 0) {
        // The count is the last fixed operand when it is an integer; a negative count reads nothing and a huge one
        // stops at the end of the data.
        const int32_t arguments = state.last.type == pexValueInteger ? static_cast<int32_t>(state.last.value) : 0;
        if (arguments <= 0) return Fixed;
        if (Q_UNLIKELY(state.known & 1)) {
            d.p = readArguments<Big, true>(cursor, d.p, arguments);
        } else {
            for (int32_t i = 0; i < arguments; ++i) {
                if (Q_UNLIKELY(d.end - d.p < kLongestValue)) {
                    d.p = readArguments<Big, false>(cursor, d.p, arguments - i);
                    break;
                }
                readValue<Big, false>(cursor, d.p, d.end, d.table, d.tableSize);
            }
        }
        return Fixed + static_cast<uint32_t>(arguments);
    }
    return Fixed;
}

template <bool Big, bool Checked> void TPexScript::decodeInstruction(TBinaryCursor& cursor, rDecode& d) {
    if constexpr (Checked)
        if (d.p >= d.end) pastEnd(cursor, d.p);
    const uint8_t opcode = *d.p++;
    const uint32_t at = static_cast<uint32_t>(d.p - d.base);
    uint32_t operands = 0;
    switch (kShapes[opcode]) {
    case 1:
        operands = readRuledOperands<Big, Checked, 0, 1>(cursor, d);
        break;
    case 2:
        operands = readRuledOperands<Big, Checked, 0, 2>(cursor, d);
        break;
    case 3:
        operands = readRuledOperands<Big, Checked, 0, 3>(cursor, d);
        break;
    case 4:
        operands = readRuledOperands<Big, Checked, 0, 4>(cursor, d);
        break;
    case 5:
        operands = readRuledOperands<Big, Checked, 0, 5>(cursor, d);
        break;
    case kShapeAssign:
        operands = readRuledOperands<Big, Checked, kRuleCollect | kRuleAssign, 2>(cursor, d);
        break;
    case kShapeCompare:
        operands = readRuledOperands<Big, Checked, kRuleCompare, 3>(cursor, d);
        break;
    case kShapeCall3:
        operands = readRuledOperands<Big, Checked, kRuleCollect | kRuleArguments, 3>(cursor, d);
        break;
    case kShapeCall4:
        operands = readRuledOperands<Big, Checked, kRuleCollect | kRuleArguments, 4>(cursor, d);
        break;
    case 0:
        break;
    default:
        failAt(cursor, d.p, QStringLiteral("fbk_pexErrorDetail1"));
    }
    d.op->opCode = opcode;
    d.op->argsAt = at;
    d.op->argsCount = operands;
    ++d.op;
}

// The operands were read and checked with the instruction, so this decode finds them as they were; it still reads
// through the checks, and stops at the first value that does not fit the data.
TPexOperands TPexScript::args(const TpexOp& op) const {
    TPexOperands out;
    if (op.argsAt > pexData.size()) return out;
    TBinaryCursor cursor(pexData);
    const uchar* const base = reinterpret_cast<const uchar*>(pexData.constData());
    const uchar* const end = base + pexData.size();
    const uchar* p = base + op.argsAt;
    const uint32_t tableSize = static_cast<uint32_t>(pexStringTable.size());
    try {
        for (uint32_t i = 0; i < op.argsCount; ++i) {
            const rValue v = bigEndian() ? readValue<true, true, false>(cursor, p, end, nullptr, tableSize)
                                         : readValue<false, true, false>(cursor, p, end, nullptr, tableSize);
            out.append({v.type, v.value});
        }
    } catch (const TQuillError&) {
    }
    return out;
}

void TPexScript::writePexString(const QString& text, QByteArray& out) const {
    QByteArray bytes = text.toUtf8();
    if (bytes.size() > 0xFFFF) {
        qsizetype cut = 0xFFFF;
        while (cut > 0 && (static_cast<uint8_t>(bytes[cut]) & 0xC0) == 0x80)
            --cut;
        bytes.truncate(cut);
    }
    binary_out::u16(out, static_cast<uint16_t>(bytes.size()), bigEndian());
    out.append(bytes);
}

QByteArray TPexScript::buildPexBytes(const QStringList& strings) const {
    QByteArray out;
    qsizetype expected = pexData.size();
    for (const QString& text : strings)
        expected += 2 + text.size();
    out.reserve(expected + 64);
    out.append(pexHead());
    for (qsizetype i = 0; i < strings.size(); ++i) {
        const QString& text = strings[i];
        if (i < qsizetype(pexStringTable.size())) {
            // An unchanged text keeps its bytes as read (also bytes that are not valid UTF-8, which decoding
            // would replace while the game compares them by name).
            const QByteArrayView raw = pexBytes(static_cast<uint32_t>(i));
            const bool same = isAscii(raw) ? (text.size() == raw.size() && text == QLatin1StringView(raw))
                                           : text == pexText(static_cast<uint32_t>(i));
            if (same) {
                binary_out::u16(out, static_cast<uint16_t>(raw.size()), bigEndian());
                out.append(raw);
                continue;
            }
        }
        writePexString(text, out);
    }
    out.append(pexTail());
    return out;
}

bool TPexScript::writePexFile(const QStringList& strings, const QString& fileName, TAppContext* app) const {
    QString error;
    if (quillfs::writeFileAtomic(fileName, buildPexBytes(strings), &error)) return true;
    if (app) app->logMessage(app->uiTextFormat(QStringLiteral("fbk_pexWriteError"), {fileName, error}), true);
    return false;
}
