// The compiled script reader: head, string table and body read field by field through the bounds-checked cursor.
#include "script/QUILL_pexReader.h"

#include "core/QUILL_cursor.h"
#include "core/QUILL_files.h"
#include "core/QUILL_main.h"

#include <algorithm>
#include <cstring>

namespace {

const QString kSeparator = QString(41, QLatin1Char('-'));

// Keeps the progress bar moving without letting events run for every function.
constexpr qsizetype kProgressEvery = 64 * 1024;

class TPexReader {
public:
    TPexReader(TPexScript& script, TAppContext* app) : s_(script), app_(app), cursor_(script.pexData) {}

    bool read();

private:
    // The UI message of a read error: a format error names its detail, a read past the end is the end of the file.
    QString messageOf(const TQuillError& error) const {
        const auto* format = dynamic_cast<const TPexFormatError*>(&error);
        const QString key = format ? format->detailKey : QStringLiteral("fbk_pexErrorDetail3");
        if (!app_) return QStringLiteral("fbk_pexError: ") + key;
        return app_->uiTextFormat(QStringLiteral("fbk_pexError"), {app_->uiText(key)});
    }

    uint16_t u16() { return cursor_.u16(big_); }
    uint32_t u32() { return cursor_.u32(big_); }
    // A string index in a name position: checked and recorded in pexNames.
    uint16_t readName() {
        const uint16_t index = u16();
        if (!s_.isStringIndex(index)) throw TPexFormatError(QStringLiteral("fbk_pexErrorDetail2"));
        s_.pexNames.push_back(index);
        return index;
    }
    void reportProgress() {
        if (!app_ || cursor_.pos() - lastProgress_ < kProgressEvery) return;
        lastProgress_ = cursor_.pos();
        app_->progressStep(cursor_.pos(), 1);
    }

    void readHead();
    void parseTail();
    void parseDebugInfo();
    void parseUserFlags();
    void parseObjects();
    void parseObject(TpexObject& object);
    void parseStruct(TpexObject& object);
    TpexVar parseVariable(bool structMember);
    TpexVarType parseVarType();
    // Reads a function and appends it to pexFuncs once it is read whole; the result is its position there.
    int32_t parseFunction(bool named);
    void parseInstruction();

    TPexScript& s_;
    TAppContext* app_;
    TBinaryCursor cursor_;
    bool big_ = true;
    qsizetype lastProgress_ = 0;
};

bool TPexReader::read() {
    if (app_) app_->progressMax(s_.pexData.size());
    static const char magicLe[4] = {'\xDE', '\xC0', '\x57', '\xFA'};
    static const char magicBe[4] = {'\xFA', '\x57', '\xC0', '\xDE'};
    const QByteArrayView data(s_.pexData);
    if (data.size() < 4 || (std::memcmp(data.data(), magicLe, 4) != 0 && std::memcmp(data.data(), magicBe, 4) != 0)) {
        s_.pexData.clear();
        return false;
    }
    try {
        readHead();
    } catch (const TQuillError& error) {
        if (app_) app_->logMessage(messageOf(error), true);
        s_.pexStringTable.clear();
        s_.pexData.clear();
        s_.headSize = 0;
        return false;
    }
    parseTail();
    if (app_) app_->progressStep(cursor_.pos(), 1);
    return true;
}

void TPexReader::readHead() {
    cursor_.skip(4);
    s_.majorVersion = cursor_.u8();
    s_.minorVersion = cursor_.u8();
    const uint16_t gameId = cursor_.u16le();
    const uint64_t compiled = cursor_.u64le();
    QStringList& header = s_.feedback.header;
    header << QStringLiteral("PapyrusVersion: %1.%2 - %3 - (TimeData: %4)")
                  .arg(s_.majorVersion)
                  .arg(s_.minorVersion)
                  .arg(gameId, 4, 16, QLatin1Char('0'))
                  .arg(compiled, 16, 16, QLatin1Char('0'));
    const bool little = s_.majorVersion >= 3 && s_.minorVersion >= 9;
    s_.pexByteOrder = little ? TPexScript::pexLittleEndian : TPexScript::pexBigEndian;
    big_ = !little;
    header << QStringLiteral("Script: %1").arg(QString::fromUtf8(cursor_.lengthPrefixed16(big_)));
    cursor_.lengthPrefixed16(big_); // user name
    cursor_.lengthPrefixed16(big_); // machine name
    const uint16_t count = u16();
    header << QStringLiteral("StringTableCount: %1").arg(count);
    s_.headSize = cursor_.pos();
    // A count larger than the strings present stops at the end of the data; a string cut short fails the load.
    while (s_.pexStringTable.size() < count && !cursor_.atEnd()) {
        const QByteArrayView text = cursor_.lengthPrefixed16(big_);
        s_.pexStringTable.push_back({QString::fromUtf8(text), static_cast<uint32_t>(cursor_.pos() - text.size()),
                                     static_cast<uint16_t>(text.size())});
    }
    s_.tailStart = cursor_.pos();
}

// A body error stops the read where it happened: what was read stays, the listing is not built.
void TPexReader::parseTail() {
    try {
        if (cursor_.u8() == 1) {
            s_.debugPresent = true;
            parseDebugInfo();
        }
        parseUserFlags();
        parseObjects();
        s_.listingReady = true;
    } catch (const TQuillError& error) {
        s_.bodyErrorPos = cursor_.pos();
        s_.bodyError = messageOf(error);
        if (app_) {
            app_->logMessage(s_.bodyError, true);
            app_->logMessage(
                app_->uiTextFormat(QStringLiteral("fbk_pexErrorPos"), {static_cast<qint64>(s_.bodyErrorPos)}));
        }
    }
}

void TPexReader::parseDebugInfo() {
    cursor_.skip(8); // modification time
    const uint16_t functions = u16();
    s_.feedback.header << kSeparator << QStringLiteral("debugFuncCount: %1").arg(functions);
    for (uint16_t i = 0; i < functions; ++i) {
        readName();      // object
        readName();      // state
        readName();      // function
        cursor_.skip(1); // function type
        cursor_.skip(qsizetype(u16()) * 2);
    }
    if (big_) return;
    const uint16_t groups = u16();
    s_.feedback.header << QStringLiteral("debugpropGroupCount: %1").arg(groups);
    for (uint16_t i = 0; i < groups; ++i) {
        readName(); // object
        readName(); // group
        readName(); // documentation
        u32();      // user flags
        cursor_.skip(qsizetype(u16()) * 2);
    }
    const uint16_t structs = u16();
    s_.feedback.header << QStringLiteral("debugStructCount: %1").arg(structs);
    for (uint16_t i = 0; i < structs; ++i) {
        readName(); // object
        readName(); // struct
        cursor_.skip(qsizetype(u16()) * 2);
    }
}

void TPexReader::parseUserFlags() {
    const uint16_t count = u16();
    s_.feedback.header << kSeparator << QStringLiteral("userFlagsCount: %1").arg(count);
    for (uint16_t i = 0; i < count; ++i) {
        const uint16_t name = readName();
        const uint8_t bit = cursor_.u8();
        s_.feedback.header << QStringLiteral("\t%1 %2").arg(s_.pexText(name)).arg(bit);
    }
}

void TPexReader::parseObjects() {
    const uint16_t count = u16();
    for (uint16_t i = 0; i < count; ++i) {
        TpexObject object;
        object.name = readName();
        s_.pexObjects.push_back(object);
        u32(); // object size, not used
        parseObject(s_.pexObjects.back());
    }
}

// Each section's range is set before its elements are read and counted as each is complete, so that after a body
// error the object keeps what was read whole. No object is added while `object` is read.
void TPexReader::parseObject(TpexObject& object) {
    object.parentClassName = readName();
    object.docString = readName();
    if (!big_) cursor_.skip(1); // const flag
    object.userFlags = u32();
    object.autoStateName = readName();
    object.structs.first = static_cast<uint32_t>(s_.pexStructs.size());
    if (!big_) parseStruct(object);
    const uint16_t variables = u16();
    object.variables.first = static_cast<uint32_t>(s_.pexVars.size());
    for (uint16_t i = 0; i < variables; ++i) {
        s_.pexVars.push_back(parseVariable(false));
        ++object.variables.count;
    }
    reportProgress();
    const uint16_t properties = u16();
    object.properties.first = static_cast<uint32_t>(s_.pexProps.size());
    for (uint16_t i = 0; i < properties; ++i) {
        TpexProp property;
        property.name = readName();
        property.pType = readName();
        property.docString = readName();
        property.uflags = u32();
        property.flags = cursor_.u8();
        s_.pexProps.push_back(property);
        ++object.properties.count;
        const size_t at = s_.pexProps.size() - 1;
        if (property.flags & 4) s_.pexProps[at].autoVarName = readName();
        if ((property.flags & 5) == 1) s_.pexProps[at].readHandler = parseFunction(false);
        if ((property.flags & 6) == 2) s_.pexProps[at].writeHandler = parseFunction(false);
        reportProgress();
    }
    const uint16_t states = u16();
    object.states.first = static_cast<uint32_t>(s_.pexStates.size());
    for (uint16_t i = 0; i < states; ++i) {
        TPexState state;
        state.name = readName();
        state.func.first = static_cast<uint32_t>(s_.pexFuncs.size());
        s_.pexStates.push_back(state);
        ++object.states.count;
        const uint16_t functions = u16();
        for (uint16_t f = 0; f < functions; ++f) {
            parseFunction(true);
            ++s_.pexStates.back().func.count;
        }
        reportProgress();
    }
}

void TPexReader::parseStruct(TpexObject& object) {
    const uint16_t count = u16();
    for (uint16_t i = 0; i < count; ++i) {
        TpexStruct st;
        st.name = readName();
        st.vList.first = static_cast<uint32_t>(s_.pexVars.size());
        s_.pexStructs.push_back(st);
        ++object.structs.count;
        const uint16_t members = u16();
        for (uint16_t m = 0; m < members; ++m) {
            s_.pexVars.push_back(parseVariable(true));
            ++s_.pexStructs.back().vList.count;
        }
    }
}

TpexVar TPexReader::parseVariable(bool structMember) {
    TpexVar variable;
    variable.name = readName();
    variable.vType = readName();
    variable.flag = u32();
    variable.data = readPexValue(cursor_, big_, s_.pexStringTable.size());
    if (!big_) {
        cursor_.skip(1); // const flag
        if (structMember) variable.sDoc = readName();
    }
    return variable;
}

TpexVarType TPexReader::parseVarType() {
    TpexVarType v;
    v.name = readName();
    v.vType = readName();
    return v;
}

int32_t TPexReader::parseFunction(bool named) {
    TpexFunc function;
    if (named) function.name = readName();
    function.rtype = readName();
    function.docString = readName();
    function.uflags = u32();
    function.flags = cursor_.u8();
    function.params.first = static_cast<uint32_t>(s_.pexVarTypes.size());
    function.params.count = u16();
    for (uint32_t i = 0; i < function.params.count; ++i)
        s_.pexVarTypes.push_back(parseVarType());
    function.locals.first = static_cast<uint32_t>(s_.pexVarTypes.size());
    function.locals.count = u16();
    for (uint32_t i = 0; i < function.locals.count; ++i)
        s_.pexVarTypes.push_back(parseVarType());
    function.instructions.first = static_cast<uint32_t>(s_.pexOps.size());
    function.instructions.count = u16();
    for (uint32_t i = 0; i < function.instructions.count; ++i)
        parseInstruction();
    reportProgress();
    s_.pexFuncs.push_back(function);
    return static_cast<int32_t>(s_.pexFuncs.size() - 1);
}

// The instruction is listed before its operands are read and counts each operand once it is read, so that after a
// body error the rules still see the operands read.
void TPexReader::parseInstruction() {
    const uint8_t opcode = cursor_.u8();
    if (opcode > pexMaxOpcode) throw TPexFormatError(QStringLiteral("fbk_pexErrorDetail1"));
    s_.pexOps.push_back({opcode, static_cast<uint32_t>(cursor_.pos()), 0});
    TpexOp& op = s_.pexOps.back();
    const size_t tableSize = s_.pexStringTable.size();
    TpexVarData last;
    for (uint8_t i = 0; i < pexFixedOperandCount(opcode); ++i) {
        last = readPexValue(cursor_, big_, tableSize);
        ++op.argsCount;
    }
    // The argument count is the last fixed operand when it is an integer; a huge one stops at the end of the data.
    if (!pexHasVariableArguments(opcode)) return;
    for (int32_t i = 0; i < last.integer(); ++i) {
        readPexValue(cursor_, big_, tableSize);
        ++op.argsCount;
    }
}

} // namespace

TpexVarData readPexValue(TBinaryCursor& cursor, bool bigEndian, size_t tableSize) {
    const uint8_t type = cursor.u8();
    switch (type) {
    case pexValueIdentifier:
    case pexValueString: {
        const uint16_t index = cursor.u16(bigEndian);
        if (index >= tableSize) throw TPexFormatError(QStringLiteral("fbk_pexErrorDetail2"));
        return {type, index};
    }
    case pexValueInteger:
    case pexValueFloat:
        return {type, cursor.u32(bigEndian)};
    case pexValueBool:
        return {type, cursor.u8() != 0 ? 1u : 0u};
    default:
        return {type, 0};
    }
}

bool parsePex(TPexScript& script, const QByteArray& data, TAppContext* app) {
    script.resetPex();
    script.pexData = data;
    return TPexReader(script, app).read();
}

bool loadPexFile(TPexScript& script, const QString& fileName, TAppContext* app) {
    script.resetPex();
    QByteArray bytes;
    QString error;
    if (!quillfs::readWholeFile(fileName, bytes, &error)) {
        if (app) app->logMessage(app->uiTextFormat(QStringLiteral("fbk_pexReadError"), {fileName, error}), true);
        return false;
    }
    return parsePex(script, bytes, app);
}
