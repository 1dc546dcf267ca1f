// Compiled game scripts (.pex): reading into an object model, the string-use rules applied while reading, and
// writing back with a new string table while every other byte stays as read.
#pragma once

#include "script/QUILL_scriptListing.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QSet>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <utility>
#include <variant>
#include <vector>

class TAppContext;
class TBinaryCursor;

// One string table entry: `auth` true means translatable, `warn` true means the translation needs a warning.
struct rPex {
    QString s;
    bool auth = true;
    bool warn = false;
    // The bytes as read, written back as they were while the text is unchanged (keeps strings that are not valid
    // UTF-8 intact; decoding them would replace bytes the game compares by name).
    QByteArray raw;
};

// Value type codes.
enum : uint8_t {
    pexValueNone = 0,
    pexValueIdentifier = 1,
    pexValueString = 2,
    pexValueInteger = 3,
    pexValueFloat = 4,
    pexValueBool = 5,
};

class TpexVarData {
public:
    uint8_t ident = pexValueNone;
    std::variant<std::monostate, QString, int32_t, float, bool> value = int32_t(0);

    QString text() const;
    int32_t integer() const;
    // The value as the listing shows it; with addEqual the prefix "= " (and empty text for type 0).
    QString getStrValue(bool addEqual) const;
};

class TpexVarType {
public:
    TpexVarType() = default;
    TpexVarType(QString n, QString t) : name(std::move(n)), vType(std::move(t)) {}
    QString name;
    QString vType;
};

class TpexVar {
public:
    TpexVar(QString n, uint32_t f, QString doc, QString t)
        : name(std::move(n)), vType(std::move(t)), sDoc(std::move(doc)), flag(f) {}
    QString name;
    QString vType;
    QString sDoc;
    uint32_t flag = 0;
    TpexVarData data;
};

class TpexStruct {
public:
    explicit TpexStruct(QString n) : name(std::move(n)) {}
    QString name;
    std::vector<std::unique_ptr<TpexVar>> vList;
};

class TpexOp {
public:
    explicit TpexOp(uint8_t op) : opCode(op) {}
    uint8_t opCode;
    std::vector<TpexVarData> args; // fixed operands first, then the variable arguments
};

class TpexFunc {
public:
    QString rtype;
    QString name; // empty for property handlers
    QString docString;
    uint32_t uflags = 0;
    uint8_t flags = 0;
    std::vector<std::unique_ptr<TpexVarType>> params;
    std::vector<std::unique_ptr<TpexVarType>> locals;
    std::vector<std::unique_ptr<TpexOp>> instructions;
    bool open = true;

    // The return type followed by a blank, or empty text when it is exactly "None".
    QString getReturnType() const;
    QString returnType() const { return getReturnType(); }
};

class TpexProp {
public:
    TpexProp(QString n, uint8_t f, uint32_t uf, QString doc, QString t)
        : name(std::move(n)), pType(std::move(t)), docString(std::move(doc)), uflags(uf), flags(f) {}
    QString name;
    QString pType;
    QString docString;
    uint32_t uflags = 0;
    uint8_t flags = 0;
    QString autoVarName;
    std::unique_ptr<TpexFunc> readHandler;
    std::unique_ptr<TpexFunc> writeHandler;
};

class TPexState {
public:
    explicit TPexState(QString n) : name(std::move(n)) {}
    QString name;
    std::vector<std::unique_ptr<TpexFunc>> func;
    bool open = true;
};

class TpexObject {
public:
    explicit TpexObject(QString n) : name(std::move(n)) {}
    QString name;
    QString parentClassName;
    QString docString;
    uint32_t userFlags = 0;
    QString autoStateName;
    std::vector<std::unique_ptr<TpexStruct>> structs; // empty in big-endian files
    std::vector<std::unique_ptr<TpexVar>> variables;
    std::vector<std::unique_ptr<TpexProp>> properties;
    std::vector<std::unique_ptr<TPexState>> states;
};

// Highest opcode; the number of fixed operands of each opcode (the three calls carry variable arguments after them).
inline constexpr uint8_t pexMaxOpcode = 46;
uint8_t pexFixedOperandCount(uint8_t opcode);
inline bool pexHasVariableArguments(uint8_t opcode) {
    return opcode >= 23 && opcode <= 25;
}

// One loaded script: head, string table, tail, object model, listing and the bookkeeping of the string-use rules.
class TPexScript {
public:
    enum : uint8_t { pexBigEndian = 1, pexLittleEndian = 2 };

    uint8_t pexByteOrder = pexBigEndian;
    uint8_t majorVersion = 0;
    uint8_t minorVersion = 0;
    bool debugPresent = false;
    QByteArray pexHead;
    QByteArray pexTail;
    std::vector<rPex> pexStringTable;
    std::vector<std::unique_ptr<TpexObject>> pexObjects;
    tpexFeedbackData feedback;

    // Untranslatable calls: function, object, class or result names, compared without regard to case.
    QStringList noTransProcList;
    // Rule state of one load.
    QSet<QString> noTransVariables;                         // lower case
    std::vector<std::pair<uint16_t, uint16_t>> assignPairs; // (name index, string index)

    // True once the whole body was read: the listing can be built (ensureListing builds it when first shown).
    bool listingReady = false;
    // The body error of the last load (empty when the whole body was read) and where it stopped.
    QString bodyError;
    qsizetype bodyErrorPos = -1;

    bool bigEndian() const { return pexByteOrder == pexBigEndian; }

    // Empties everything a load fills, the listing and the rule state (keeps noTransProcList and the section
    // flags of the listing).
    void resetPex();
    // Reads the whole file and parses it; failures are reported through `app` (when given) and give false.
    bool loadPexFile(const QString& fileName, TAppContext* app);
    // True when the magic matched and the head and string table were read. A body error is reported and leaves
    // the load usable.
    bool parsePex(QByteArrayView data, TAppContext* app);
    // The file's bytes with `strings` as its string table (one text per entry, in table order).
    QByteArray buildPexBytes(const QStringList& strings) const;
    // Writes those bytes to `fileName` whole or not at all; failures are reported and give false.
    bool writePexFile(const QStringList& strings, const QString& fileName, TAppContext* app) const;

    bool isStringIndex(uint32_t index) const { return index < pexStringTable.size(); }
    // Validates a name index and makes its entry untranslatable.
    void markName(uint32_t index);
    // True when one of the identifiers of the call being read is an untranslatable call name.
    bool isNoTransCall() const { return callMatches_; }
    // True when `name` is in noTransProcList, ignoring case.
    bool isNoTransName(const QString& name) const;
    // Makes untranslatable every string stored in a variable whose name was passed to a matching call.
    void applyNoTransVariables();

    // Appends a string as written in the file (16-bit length in the file's byte order, UTF-8 bytes, at most
    // 65,535 of them, cut at a character boundary).
    void writePexString(const QString& text, QByteArray& out) const;

private:
    void parseTail(TBinaryCursor& cursor, TAppContext* app);
    void parseDebugInfo(TBinaryCursor& cursor);
    void parseUserFlags(TBinaryCursor& cursor);
    void parseObjects(TBinaryCursor& cursor);
    void parseObject(TBinaryCursor& cursor, TpexObject& object);
    void parseStruct(TBinaryCursor& cursor, TpexObject& object);
    std::unique_ptr<TpexVar> parseVariable(TBinaryCursor& cursor, bool structMember);
    std::unique_ptr<TpexVarType> parseVarType(TBinaryCursor& cursor);
    std::unique_ptr<TpexFunc> parseFunction(TBinaryCursor& cursor, bool named);
    std::unique_ptr<TpexOp> parseInstruction(TBinaryCursor& cursor);
    // Reads a value; the result is its integer value (0 for every other type). `index` receives the string index
    // of types 1 and 2.
    int32_t readVarData(TBinaryCursor& cursor, TpexVarData& data, uint32_t* index = nullptr);
    uint16_t readPexU16(TBinaryCursor& cursor);
    uint32_t readPexU32(TBinaryCursor& cursor);
    float readPexFloat(TBinaryCursor& cursor);
    QString readPexString(TBinaryCursor& cursor, QByteArray* raw = nullptr);
    QString readName(TBinaryCursor& cursor);
    void reportProgress(const TBinaryCursor& cursor);
    [[noreturn]] void fail(const QString& detailKey) const;

    // Per string index: the text is an untranslatable call name (computed once per load, so reading a call does
    // not fold the case of each of its identifiers).
    std::vector<uint8_t> noTransName_;
    // An identifier of the instruction being read is an untranslatable call name.
    bool callMatches_ = false;
    TAppContext* app_ = nullptr;
    qsizetype lastProgress_ = 0;
};
