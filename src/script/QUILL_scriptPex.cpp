// Reading and writing compiled scripts. Every read goes through the bounds-checked cursor, so a body that ends
// before its layout does stops with the body error report instead of reading past the data.
#include "script/QUILL_scriptPex.h"

#include "core/QUILL_cursor.h"
#include "core/QUILL_error.h"
#include "core/QUILL_files.h"
#include "core/QUILL_main.h"

#include <QLocale>
#include <algorithm>
#include <array>
#include <cstring>

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

const QString kSeparator = QString(41, QLatin1Char('-'));

// Keeps the progress bar moving without letting events run for every instruction.
constexpr qsizetype kProgressEvery = 64 * 1024;

} // namespace

uint8_t pexFixedOperandCount(uint8_t opcode) {
    return opcode <= pexMaxOpcode ? kFixedOperands[opcode] : 0;
}

QString TpexVarData::text() const {
    if (const QString* s = std::get_if<QString>(&value)) return *s;
    return {};
}

int32_t TpexVarData::integer() const {
    if (const int32_t* i = std::get_if<int32_t>(&value)) return *i;
    return 0;
}

QString TpexVarData::getStrValue(bool addEqual) const {
    const QString prefix = addEqual ? QStringLiteral("= ") : QString();
    switch (ident) {
    case pexValueNone:
        return addEqual ? QString() : QStringLiteral("none");
    case pexValueIdentifier:
        return prefix + text();
    case pexValueString:
        return prefix + QLatin1Char('"') + text() + QLatin1Char('"');
    case pexValueInteger:
        return prefix + QString::number(integer());
    case pexValueFloat: {
        QLocale locale;
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
        const float* f = std::get_if<float>(&value);
        return prefix + locale.toString(f ? static_cast<double>(*f) : 0.0, 'f', 4);
    }
    case pexValueBool: {
        const bool* b = std::get_if<bool>(&value);
        return prefix + ((b && *b) ? QStringLiteral("True") : QStringLiteral("False"));
    }
    default:
        return {};
    }
}

QString TpexFunc::getReturnType() const {
    if (rtype == QLatin1String("None")) return {};
    return rtype + QLatin1Char(' ');
}

void TPexScript::resetPex() {
    pexByteOrder = pexBigEndian;
    majorVersion = minorVersion = 0;
    debugPresent = false;
    pexHead.clear();
    pexTail.clear();
    pexStringTable.clear();
    pexObjects.clear();
    feedback.reset();
    clearListing(*this);
    noTransName_.clear();
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

void TPexScript::applyNoTransVariables() {
    for (const auto& [nameIndex, stringIndex] : assignPairs) {
        if (!isStringIndex(nameIndex) || !isStringIndex(stringIndex)) continue;
        rPex& entry = pexStringTable[stringIndex];
        if (entry.auth && noTransVariables.contains(pexStringTable[nameIndex].s.toLower())) entry.auth = false;
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

QString TPexScript::readPexString(TBinaryCursor& cursor, QByteArray* raw) {
    const QByteArrayView bytes = cursor.lengthPrefixed16(bigEndian());
    if (raw) *raw = bytes.toByteArray();
    return QString::fromUtf8(bytes);
}

QString TPexScript::readName(TBinaryCursor& cursor) {
    const uint16_t index = readPexU16(cursor);
    markName(index);
    return pexStringTable[index].s;
}

void TPexScript::reportProgress(const TBinaryCursor& cursor) {
    if (!app_ || cursor.pos() - lastProgress_ < kProgressEvery) return;
    lastProgress_ = cursor.pos();
    app_->progressStep(static_cast<int>(cursor.pos()), 1);
}

bool TPexScript::loadPexFile(const QString& fileName, TAppContext* app) {
    QByteArray bytes;
    QString error;
    if (!quillfs::readWholeFile(fileName, bytes, &error)) {
        if (app) app->logMessage(app->uiTextFormat(QStringLiteral("fbk_pexReadError"), {fileName, error}), true);
        return false;
    }
    return parsePex(bytes, app);
}

bool TPexScript::parsePex(QByteArrayView data, TAppContext* app) {
    app_ = app;
    lastProgress_ = 0;
    if (app_) app_->progressMax(static_cast<int>(std::min<qsizetype>(data.size(), INT32_MAX)));
    if (data.size() < 4) return false;
    static const char magicLe[4] = {'\xDE', '\xC0', '\x57', '\xFA'};
    static const char magicBe[4] = {'\xFA', '\x57', '\xC0', '\xDE'};
    if (std::memcmp(data.data(), magicLe, 4) != 0 && std::memcmp(data.data(), magicBe, 4) != 0) return false;

    TBinaryCursor cursor(data);
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
        const QString source = readPexString(cursor);
        feedback.header << QStringLiteral("Script: %1").arg(source);
        readPexString(cursor); // user name
        readPexString(cursor); // machine name
        const uint16_t count = readPexU16(cursor);
        feedback.header << QStringLiteral("StringTableCount: %1").arg(count);
        pexHead = data.first(cursor.pos()).toByteArray();
        pexStringTable.reserve(std::min<qsizetype>(count, cursor.remaining() / 2 + 1));
        while (!cursor.atEnd() && pexStringTable.size() < count) {
            rPex entry;
            entry.s = readPexString(cursor, &entry.raw);
            pexStringTable.push_back(std::move(entry));
        }
    } catch (const TQuillError& error) {
        if (app_) {
            const QString text = dynamic_cast<const TPexFormatError*>(&error)
                                     ? error.message()
                                     : app_->uiTextFormat(QStringLiteral("fbk_pexError"),
                                                          {app_->uiText(QStringLiteral("fbk_pexErrorDetail3"))});
            app_->logMessage(text, true);
        }
        return false;
    }
    pexTail = data.sliced(cursor.pos()).toByteArray();
    noTransName_.assign(pexStringTable.size(), 0);
    if (!noTransProcList.isEmpty())
        for (size_t i = 0; i < pexStringTable.size(); ++i)
            noTransName_[i] = isNoTransName(pexStringTable[i].s);
    parseTail(cursor, app);
    if (app_) app_->progressStep(static_cast<int>(std::min<qsizetype>(cursor.pos(), INT32_MAX)), 1);
    app_ = nullptr;
    return true;
}

void TPexScript::parseTail(TBinaryCursor& cursor, TAppContext* app) {
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
        const QString name = readName(cursor);
        const uint8_t bit = cursor.u8();
        feedback.header << QStringLiteral("\t%1 %2").arg(name).arg(bit);
    }
}

void TPexScript::parseObjects(TBinaryCursor& cursor) {
    const uint16_t count = readPexU16(cursor);
    for (uint16_t i = 0; i < count; ++i) {
        pexObjects.push_back(std::make_unique<TpexObject>(readName(cursor)));
        readPexU32(cursor); // object size, not used
        parseObject(cursor, *pexObjects.back());
    }
}

void TPexScript::parseObject(TBinaryCursor& cursor, TpexObject& object) {
    object.parentClassName = readName(cursor);
    object.docString = readName(cursor);
    if (!bigEndian()) cursor.skip(1); // const flag
    object.userFlags = readPexU32(cursor);
    object.autoStateName = readName(cursor);
    if (!bigEndian()) parseStruct(cursor, object);
    const uint16_t variables = readPexU16(cursor);
    for (uint16_t i = 0; i < variables; ++i)
        object.variables.push_back(parseVariable(cursor, false));
    reportProgress(cursor);
    const uint16_t properties = readPexU16(cursor);
    for (uint16_t i = 0; i < properties; ++i) {
        const QString name = readName(cursor);
        const QString type = readName(cursor);
        const QString doc = readName(cursor);
        const uint32_t userFlags = readPexU32(cursor);
        const uint8_t flags = cursor.u8();
        object.properties.push_back(std::make_unique<TpexProp>(name, flags, userFlags, doc, type));
        TpexProp& property = *object.properties.back();
        if (flags & 4) property.autoVarName = readName(cursor);
        if ((flags & 5) == 1) property.readHandler = parseFunction(cursor, false);
        if ((flags & 6) == 2) property.writeHandler = parseFunction(cursor, false);
        reportProgress(cursor);
    }
    const uint16_t states = readPexU16(cursor);
    for (uint16_t i = 0; i < states; ++i) {
        object.states.push_back(std::make_unique<TPexState>(readName(cursor)));
        TPexState& state = *object.states.back();
        const uint16_t functions = readPexU16(cursor);
        for (uint16_t f = 0; f < functions; ++f)
            state.func.push_back(parseFunction(cursor, true));
        reportProgress(cursor);
    }
}

void TPexScript::parseStruct(TBinaryCursor& cursor, TpexObject& object) {
    const uint16_t count = readPexU16(cursor);
    for (uint16_t i = 0; i < count; ++i) {
        object.structs.push_back(std::make_unique<TpexStruct>(readName(cursor)));
        TpexStruct& s = *object.structs.back();
        const uint16_t members = readPexU16(cursor);
        for (uint16_t m = 0; m < members; ++m)
            s.vList.push_back(parseVariable(cursor, true));
    }
}

std::unique_ptr<TpexVar> TPexScript::parseVariable(TBinaryCursor& cursor, bool structMember) {
    const uint16_t nameIndex = readPexU16(cursor);
    markName(nameIndex);
    const QString type = readName(cursor);
    const uint32_t userFlags = readPexU32(cursor);
    auto variable = std::make_unique<TpexVar>(pexStringTable[nameIndex].s, userFlags, QString(), type);
    uint32_t valueIndex = 0;
    readVarData(cursor, variable->data, &valueIndex);
    // An initial string value is stored in the variable: the untranslatable-variable pass follows it by name.
    if (variable->data.ident == pexValueString) assignPairs.emplace_back(nameIndex, static_cast<uint16_t>(valueIndex));
    if (!bigEndian()) {
        cursor.skip(1); // const flag
        if (structMember) variable->sDoc = readName(cursor);
    }
    return variable;
}

std::unique_ptr<TpexVarType> TPexScript::parseVarType(TBinaryCursor& cursor) {
    const QString name = readName(cursor);
    const QString type = readName(cursor);
    return std::make_unique<TpexVarType>(name, type);
}

std::unique_ptr<TpexFunc> TPexScript::parseFunction(TBinaryCursor& cursor, bool named) {
    auto function = std::make_unique<TpexFunc>();
    if (named) function->name = readName(cursor);
    function->rtype = readName(cursor);
    function->docString = readName(cursor);
    function->uflags = readPexU32(cursor);
    function->flags = cursor.u8();
    const uint16_t params = readPexU16(cursor);
    for (uint16_t i = 0; i < params; ++i)
        function->params.push_back(parseVarType(cursor));
    const uint16_t locals = readPexU16(cursor);
    for (uint16_t i = 0; i < locals; ++i)
        function->locals.push_back(parseVarType(cursor));
    const uint16_t instructions = readPexU16(cursor);
    function->instructions.reserve(std::min<qsizetype>(instructions, cursor.remaining()));
    for (uint16_t i = 0; i < instructions; ++i)
        function->instructions.push_back(parseInstruction(cursor));
    return function;
}

int32_t TPexScript::readVarData(TBinaryCursor& cursor, TpexVarData& data, uint32_t* index) {
    data.ident = cursor.u8();
    switch (data.ident) {
    case pexValueIdentifier: {
        const uint16_t i = readPexU16(cursor);
        markName(i);
        data.value = pexStringTable[i].s;
        if (index) *index = i;
        return 0;
    }
    case pexValueString: {
        const uint16_t i = readPexU16(cursor);
        if (!isStringIndex(i)) fail(QStringLiteral("fbk_pexErrorDetail2"));
        data.value = pexStringTable[i].s;
        if (index) *index = i;
        return 0;
    }
    case pexValueInteger: {
        const int32_t v = static_cast<int32_t>(readPexU32(cursor));
        data.value = v;
        return v;
    }
    case pexValueFloat:
        data.value = readPexFloat(cursor);
        return 0;
    case pexValueBool:
        data.value = cursor.u8() != 0;
        return 0;
    default:
        return 0;
    }
}

std::unique_ptr<TpexOp> TPexScript::parseInstruction(TBinaryCursor& cursor) {
    const uint8_t opcode = cursor.u8();
    if (opcode > pexMaxOpcode) fail(QStringLiteral("fbk_pexErrorDetail1"));
    auto op = std::make_unique<TpexOp>(opcode);
    const uint8_t fixed = kFixedOperands[opcode];
    const bool isCall = pexHasVariableArguments(opcode);
    const bool collecting = opcode == 13 || isCall;
    const bool comparison = opcode >= 15 && opcode <= 19;
    const bool rulesApply = collecting || comparison;
    int32_t pendingName = -1;
    int32_t last = 0;
    // Fixed operands go to a local buffer first, so the operand list is allocated once at its final size.
    std::array<TpexVarData, 5> fixedValues;
    for (uint8_t i = 0; i < fixed; ++i) {
        TpexVarData& value = fixedValues[i];
        uint32_t index = 0;
        last = readVarData(cursor, value, &index);
        if (!rulesApply) continue;
        if (value.ident == pexValueIdentifier) {
            if (collecting && noTransName_[index]) callMatches_ = true;
            if (opcode == 13) pendingName = static_cast<int32_t>(index);
        } else if (value.ident == pexValueString) {
            if (pendingName >= 0)
                assignPairs.emplace_back(static_cast<uint16_t>(pendingName), uint16_t(index));
            else if (collecting)
                pexStringTable[index].auth = false;
            if (comparison) pexStringTable[index].warn = true;
        }
    }
    // A negative count reads nothing; a huge one stops at the end of the data.
    const int32_t count =
        (isCall && fixed > 0 && fixedValues[fixed - 1].ident == pexValueInteger) ? std::max(last, 0) : 0;
    op->args.reserve(fixed + std::min<qsizetype>(count, cursor.remaining()));
    for (uint8_t i = 0; i < fixed; ++i)
        op->args.push_back(std::move(fixedValues[i]));
    if (isCall) {
        const bool matches = isNoTransCall();
        for (int32_t i = 0; i < count; ++i) {
            TpexVarData value;
            uint32_t index = 0;
            readVarData(cursor, value, &index);
            if (matches) {
                if (value.ident == pexValueIdentifier)
                    noTransVariables.insert(value.text().toLower());
                else if (value.ident == pexValueString)
                    pexStringTable[index].auth = false;
            }
            op->args.push_back(std::move(value));
        }
    }
    callMatches_ = false;
    reportProgress(cursor);
    return op;
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
    qsizetype expected = pexHead.size() + pexTail.size();
    for (const rPex& entry : pexStringTable)
        expected += entry.raw.size() + 2;
    out.reserve(expected + 64);
    out.append(pexHead);
    for (qsizetype i = 0; i < strings.size(); ++i) {
        const QString& text = strings[i];
        if (i < qsizetype(pexStringTable.size()) && text == pexStringTable[i].s) {
            const QByteArray& raw = pexStringTable[i].raw;
            binary_out::u16(out, static_cast<uint16_t>(raw.size()), bigEndian());
            out.append(raw);
        } else {
            writePexString(text, out);
        }
    }
    out.append(pexTail);
    return out;
}

bool TPexScript::writePexFile(const QStringList& strings, const QString& fileName, TAppContext* app) const {
    QString error;
    if (quillfs::writeFileAtomic(fileName, buildPexBytes(strings), &error)) return true;
    if (app) app->logMessage(app->uiTextFormat(QStringLiteral("fbk_pexWriteError"), {fileName, error}), true);
    return false;
}
