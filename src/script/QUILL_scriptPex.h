// Compiled game scripts (.pex): the object model of one loaded script. The reader (QUILL_pexReader) fills it, the
// string-use rules (QUILL_pexRules) set the table flags from it, the writer (QUILL_pexWriter) writes it back with a
// new string table, and the listing (QUILL_scriptListing) shows it.
#pragma once

#include "script/QUILL_scriptListing.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QVarLengthArray>
#include <cstdint>
#include <span>
#include <vector>

// One string table entry: its text, where its bytes lie in the script's data (an unchanged text is written back
// from them), and its flags. `auth` true means translatable, `warn` true means the translation needs a warning.
struct rPex {
    QString s;
    uint32_t offset = 0;
    uint16_t size = 0;
    bool auth = true;
    bool warn = false;
};

// A string index that names no entry: the name of a property handler, the documentation of a variable that has none.
// A table holds at most 65,535 entries, so no valid index has this value.
inline constexpr uint16_t pexNoString = 0xFFFF;

// Value type codes.
enum : uint8_t {
    pexValueNone = 0,
    pexValueIdentifier = 1,
    pexValueString = 2,
    pexValueInteger = 3,
    pexValueFloat = 4,
    pexValueBool = 5,
};

// A run of elements of one of the script-wide vectors.
struct rPexRange {
    uint32_t first = 0;
    uint32_t count = 0;
};

// A value: its type code and a 32-bit payload (string index, integer, float bits or 0/1).
struct TpexVarData {
    uint8_t ident = pexValueNone;
    uint32_t value = 0;

    bool hasText() const { return ident == pexValueIdentifier || ident == pexValueString; }
    uint16_t index() const { return hasText() ? static_cast<uint16_t>(value) : pexNoString; }
    int32_t integer() const { return ident == pexValueInteger ? static_cast<int32_t>(value) : 0; }
    float real() const;
    bool boolean() const { return ident == pexValueBool && value != 0; }
    static TpexVarData ofInteger(int32_t v) { return {pexValueInteger, static_cast<uint32_t>(v)}; }
    static TpexVarData ofReal(float v);
    static TpexVarData ofText(uint8_t type, uint16_t index) { return {type, index}; }
};

// The operands of an instruction, decoded from the script's bytes when asked for (TPexScript::args).
using TPexOperands = QVarLengthArray<TpexVarData, 16>;

struct TpexVarType {
    uint16_t name = pexNoString;
    uint16_t vType = pexNoString;
};

// An object variable or a struct member.
struct TpexVar {
    uint16_t name = pexNoString;
    uint16_t vType = pexNoString;
    uint16_t sDoc = pexNoString; // struct members of little-endian files only
    uint32_t flag = 0;
    TpexVarData data;
};

struct TpexStruct {
    uint16_t name = pexNoString;
    rPexRange vList; // into pexVars
};

// An instruction: its opcode and where its operands lie in the script's bytes (fixed operands first, then a call's
// variable arguments). The reader checked them; they are decoded again when asked for (TPexScript::args).
struct TpexOp {
    uint8_t opCode = 0;
    uint32_t argsAt = 0;    // offset in pexData of the first operand
    uint32_t argsCount = 0; // operands, fixed and variable
};

struct TpexFunc {
    uint16_t rtype = pexNoString;
    uint16_t name = pexNoString; // none for property handlers
    uint16_t docString = pexNoString;
    uint32_t uflags = 0;
    uint8_t flags = 0;
    bool open = true;
    rPexRange params;       // into pexVarTypes
    rPexRange locals;       // into pexVarTypes
    rPexRange instructions; // into pexOps
};

struct TpexProp {
    uint16_t name = pexNoString;
    uint16_t pType = pexNoString;
    uint16_t docString = pexNoString;
    uint16_t autoVarName = pexNoString; // only with flag 4
    uint32_t uflags = 0;
    uint8_t flags = 0;
    int32_t readHandler = -1; // into pexFuncs, -1 when absent
    int32_t writeHandler = -1;
};

struct TPexState {
    uint16_t name = pexNoString;
    bool open = true;
    rPexRange func; // into pexFuncs
};

struct TpexObject {
    uint16_t name = pexNoString;
    uint16_t parentClassName = pexNoString;
    uint16_t docString = pexNoString;
    uint16_t autoStateName = pexNoString;
    uint32_t userFlags = 0;
    rPexRange structs;    // into pexStructs; empty in big-endian files
    rPexRange variables;  // into pexVars
    rPexRange properties; // into pexProps
    rPexRange states;     // into pexStates
};

// Highest opcode; the number of fixed operands of each opcode (the three calls carry variable arguments after them).
inline constexpr uint8_t pexMaxOpcode = 46;
uint8_t pexFixedOperandCount(uint8_t opcode);
inline bool pexHasVariableArguments(uint8_t opcode) {
    return opcode >= 23 && opcode <= 25;
}

// One loaded script: its bytes, the string table, the object model and the listing. The model holds string indices
// and index ranges into script-wide vectors.
class TPexScript {
public:
    enum : uint8_t { pexBigEndian = 1, pexLittleEndian = 2 };

    uint8_t pexByteOrder = pexBigEndian;
    uint8_t majorVersion = 0;
    uint8_t minorVersion = 0;
    bool debugPresent = false;
    // The whole file as read; head, table texts and tail are views of it.
    QByteArray pexData;
    qsizetype headSize = 0;  // everything up to and including the string count
    qsizetype tailStart = 0; // everything after the last string read
    std::vector<rPex> pexStringTable;
    // Every string index read in a name position (names, types, documentation, also those of the debug section and
    // of an element the read stopped in), in file order.
    std::vector<uint16_t> pexNames;
    std::vector<TpexObject> pexObjects;
    std::vector<TpexStruct> pexStructs;
    std::vector<TpexVar> pexVars;
    std::vector<TpexProp> pexProps;
    std::vector<TPexState> pexStates;
    std::vector<TpexFunc> pexFuncs;
    std::vector<TpexVarType> pexVarTypes;
    // The instructions of the functions read whole; after a body error, those read of the function it stopped in
    // follow (the last one with the operands read before the error).
    std::vector<TpexOp> pexOps;
    tpexFeedbackData feedback;

    // True once the whole body was read: the listing can be built (ensureListing builds it when first shown).
    bool listingReady = false;
    // The body error of the last load (empty when the whole body was read) and where it stopped.
    QString bodyError;
    qsizetype bodyErrorPos = -1;

    bool bigEndian() const { return pexByteOrder == pexBigEndian; }
    QByteArrayView pexHead() const { return QByteArrayView(pexData).first(headSize); }
    QByteArrayView pexTail() const { return QByteArrayView(pexData).sliced(tailStart); }
    bool isStringIndex(uint32_t index) const { return index < pexStringTable.size(); }

    // The text of a table entry; empty for pexNoString or an index outside the table.
    QString pexText(uint32_t index) const { return isStringIndex(index) ? pexStringTable[index].s : QString(); }
    // The bytes of a table entry as read.
    QByteArrayView pexBytes(uint32_t index) const {
        const rPex& e = pexStringTable[index];
        return QByteArrayView(pexData.constData() + e.offset, e.size);
    }

    // The operands of an instruction, decoded from the bytes. Throws TQuillError when they cannot be decoded (they
    // lie outside the data, run past its end or name no table entry), which never happens for a read instruction.
    TPexOperands args(const TpexOp& op) const;
    // The elements a record's range covers.
    std::span<const TpexOp> instructions(const TpexFunc& f) const { return slice(pexOps, f.instructions); }
    std::span<const TpexVarType> params(const TpexFunc& f) const { return slice(pexVarTypes, f.params); }
    std::span<const TpexVarType> locals(const TpexFunc& f) const { return slice(pexVarTypes, f.locals); }
    std::span<const TpexVar> members(const TpexStruct& s) const { return slice(pexVars, s.vList); }
    std::span<const TpexStruct> structs(const TpexObject& o) const { return slice(pexStructs, o.structs); }
    std::span<const TpexVar> variables(const TpexObject& o) const { return slice(pexVars, o.variables); }
    std::span<const TpexProp> properties(const TpexObject& o) const { return slice(pexProps, o.properties); }
    std::span<const TPexState> states(const TpexObject& o) const { return slice(pexStates, o.states); }
    std::span<const TpexFunc> functions(const TPexState& s) const { return slice(pexFuncs, s.func); }

    // A value as the listing shows it; with addEqual the prefix "= " (and empty text for type 0).
    QString getStrValue(const TpexVarData& data, bool addEqual) const;
    // The return type followed by a blank, or empty text when it is exactly "None".
    QString getReturnType(const TpexFunc& function) const;

    // Empties everything a load fills and the listing (keeps the section flags of the listing).
    void resetPex();

private:
    template <class T> static std::span<const T> slice(const std::vector<T>& v, rPexRange r) {
        // Ranges are made by the reader; the bound keeps a hand-made record from reading outside the vector.
        if (r.first > v.size() || r.count > v.size() - r.first) return {};
        return std::span<const T>(v.data() + r.first, r.count);
    }
};
