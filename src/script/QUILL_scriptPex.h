// Compiled game scripts (.pex): reading into a flat object model, the string-use rules applied while reading, and
// writing back with a new string table while every other byte stays as read.
#pragma once

#include "script/QUILL_scriptListing.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVarLengthArray>
#include <cstdint>
#include <memory>
#include <span>
#include <type_traits>
#include <utility>
#include <vector>

class TAppContext;
class TBinaryCursor;
class TByteSource;

// One string table entry: where its bytes lie in the script's data, and its flags. `auth` true means translatable,
// `warn` true means the translation needs a warning. The text is decoded on demand (TPexScript::pexText), so a
// load does not build a string per entry; unchanged texts are written back from these bytes.
struct rPex {
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

// Leaves plain records uninitialised when a vector grows by resize (their contents are written right after).
template <class T> struct TPexNoInitAllocator : std::allocator<T> {
    template <class U> struct rebind { using other = TPexNoInitAllocator<U>; };
    TPexNoInitAllocator() = default;
    template <class U> TPexNoInitAllocator(const TPexNoInitAllocator<U>&) noexcept {}
    template <class U> void construct(U* p) noexcept(std::is_nothrow_default_constructible_v<U>) {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... A> void construct(U* p, A&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<A>(args)...);
    }
};

// A run of elements of one of the script-wide vectors.
struct rPexRange {
    uint32_t first = 0;
    uint32_t count = 0;
};

// A value: its type code and a 32-bit payload (string index, integer, float bits or 0/1). A plain record: write
// `TpexVarData{}` for a none value.
struct TpexVarData {
    uint8_t ident;
    uint32_t value;

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
    TpexVarData data{};
};

struct TpexStruct {
    uint16_t name = pexNoString;
    rPexRange vList; // into pexVars
};

// An instruction: its opcode and where its operands lie in the script's bytes (fixed operands first, then a call's
// variable arguments). The operands were read and checked with the instruction; they are decoded again when asked
// for (TPexScript::args), as only the listing needs them. Packed to 9 bytes and plain (no default values), so that
// the instruction vector, one record per instruction, is small and can be sized ahead of the read without being
// filled.
#pragma pack(push, 1)
struct TpexOp {
    uint8_t opCode;
    uint32_t argsAt;    // offset in pexData of the first operand
    uint32_t argsCount; // operands, fixed and variable
};
#pragma pack(pop)
static_assert(sizeof(TpexOp) == 9);

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

// One loaded script: its bytes, the string table, the object model, the listing and the bookkeeping of the
// string-use rules. The model holds string indices and index ranges into script-wide vectors, so a load is a few
// linear passes with almost no allocation.
class TPexScript {
public:
    enum : uint8_t { pexBigEndian = 1, pexLittleEndian = 2 };

    uint8_t pexByteOrder = pexBigEndian;
    uint8_t majorVersion = 0;
    uint8_t minorVersion = 0;
    bool debugPresent = false;
    // The whole file as read (shared with the caller's buffer, not copied); head, table texts and tail are views.
    QByteArray pexData;
    std::vector<rPex> pexStringTable;
    std::vector<TpexObject> pexObjects;
    std::vector<TpexStruct> pexStructs;
    std::vector<TpexVar> pexVars;
    std::vector<TpexProp> pexProps;
    std::vector<TPexState> pexStates;
    std::vector<TpexFunc> pexFuncs;
    std::vector<TpexVarType> pexVarTypes;
    std::vector<TpexOp, TPexNoInitAllocator<TpexOp>> pexOps;
    tpexFeedbackData feedback;

    // Untranslatable calls: function, object, class or result names, compared without regard to case. Sorted
    // ignoring case by whoever fills it.
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

    // Everything from the start up to and including the string count, and everything after the last string read.
    QByteArrayView pexHead() const { return QByteArrayView(pexData).first(headSize_); }
    QByteArrayView pexTail() const { return QByteArrayView(pexData).sliced(tailStart_); }

    // The text of a table entry (decoded once, then kept); empty for pexNoString or an index outside the table.
    QString pexText(uint32_t index) const;
    // The bytes of a table entry as read.
    QByteArrayView pexBytes(uint32_t index) const {
        const rPex& e = pexStringTable[index];
        return QByteArrayView(pexData.constData() + e.offset, e.size);
    }

    // The operands of an instruction, decoded from the bytes (empty when the record does not fit the data).
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

    // Empties everything a load fills, the listing and the rule state (keeps noTransProcList and the section
    // flags of the listing).
    void resetPex();
    // Reads the whole file and parses it; failures are reported through `app` (when given) and give false.
    bool loadPexFile(const QString& fileName, TAppContext* app);
    // True when the magic matched and the head and string table were read. A body error is reported and leaves
    // the load usable. The script keeps `data` (shared): a buffer made with QByteArray::fromRawData must outlive it.
    bool parsePex(const QByteArray& data, TAppContext* app);
    // The same for bytes still arriving into `buffer` (a file being read): the first `in` are there, and the read
    // waits on `source` for the rest, all of it before it returns. The buffer must not move meanwhile.
    bool parsePex(const QByteArray& buffer, qsizetype in, TByteSource& source, TAppContext* app);
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
    template <class T, class A> static std::span<const T> slice(const std::vector<T, A>& v, rPexRange r) {
        // Ranges are made by the reader; the bound keeps a hand-made record from reading outside the vector.
        if (r.first > v.size() || r.count > v.size() - r.first) return {};
        return std::span<const T>(v.data() + r.first, r.count);
    }

    // Parses through `cursor`, which views pexData (or the bytes of it in so far).
    bool parseBytes(TBinaryCursor& cursor, TAppContext* app);
    void parseTail(TBinaryCursor& cursor, TAppContext* app);
    void parseDebugInfo(TBinaryCursor& cursor);
    void parseUserFlags(TBinaryCursor& cursor);
    void parseObjects(TBinaryCursor& cursor);
    void parseObject(TBinaryCursor& cursor, uint32_t object);
    void parseStruct(TBinaryCursor& cursor, uint32_t object);
    TpexVar parseVariable(TBinaryCursor& cursor, bool structMember);
    TpexVarType parseVarType(TBinaryCursor& cursor);
    // Reads a function and appends it to pexFuncs; the result is its position there.
    uint32_t parseFunction(TBinaryCursor& cursor, bool named);
    // The instruction loop's state. It lives in locals of the loop (never reached through `this`), so that the
    // compiler keeps it in registers; the table and the untranslatable-name marks are held here for the same reason.
    struct rDecode {
        const uchar* p;
        const uchar* end;
        const uchar* base; // the start of the data
        TpexOp* op;        // the next instruction record in pexOps
        rPex* table;
        uint32_t tableSize;
        const uint8_t* noTransName;
    };
    // A value as read, in registers.
    struct rValue {
        uint8_t type;
        uint32_t value;
    };
    template <bool Big> void readInstructions(TBinaryCursor& cursor, uint32_t count);
    template <bool Big, bool Checked> Q_ALWAYS_INLINE void decodeInstruction(TBinaryCursor& cursor, rDecode& d);
    // What the rules carry from one fixed operand to the next.
    struct rRuleState {
        uint8_t known;       // the untranslatable-name marks of its identifiers, or-ed (bit 0: one is a call name)
        int32_t pendingName; // the destination of an assignment, -1 before it is read
        rValue last;         // the operand read last (a call's argument count)
    };
    // Reads a string index (after the type byte at `p`) and validates it.
    template <bool Big, bool Checked>
    Q_ALWAYS_INLINE uint32_t readIndex(TBinaryCursor& cursor, const uchar*& p, const uchar* end,
                                       uint32_t tableSize) const;
    // Reads one fixed operand of an instruction.
    template <bool Big, bool Checked, uint8_t Rules>
    Q_ALWAYS_INLINE void readRuledOperand(TBinaryCursor& cursor, rDecode& d, rRuleState& state);
    // Reads an instruction's operands; the result is how many there were.
    template <bool Big, bool Checked, uint8_t Rules, int Fixed>
    Q_ALWAYS_INLINE uint32_t readRuledOperands(TBinaryCursor& cursor, rDecode& d);
    template <bool Big, bool Matching>
    Q_NEVER_INLINE const uchar* readArguments(TBinaryCursor& cursor, const uchar* p, int32_t count);
    // Reads a value; with Mark, an identifier's entry in `table` is made untranslatable.
    template <bool Big, bool Checked, bool Mark = true>
    Q_ALWAYS_INLINE rValue readValue(TBinaryCursor& cursor, const uchar*& p, const uchar* end, rPex* table,
                                     uint32_t tableSize) const;
    // The end of the bytes in once `count` bytes from `p` are, or the data ends before them. While a file is still
    // being read (the cursor has a source), the raw loops end where its bytes in so far end: before a checked read
    // they ask for more, so that the checks (and pastEnd) only ever see the true end of the data.
    Q_NEVER_INLINE static const uchar* moreBytes(TBinaryCursor& cursor, const uchar* p, qsizetype count);
    // Move the cursor to `at` and fail there: past the end of the data, or with a format error.
    [[noreturn]] Q_NEVER_INLINE static void pastEnd(TBinaryCursor& cursor, const uchar* at);
    [[noreturn]] Q_NEVER_INLINE void failAt(TBinaryCursor& cursor, const uchar* at, const QString& detailKey) const;
    // A value read with a bounds check per field (variables' values).
    void readVarData(TBinaryCursor& cursor, TpexVarData& data);
    uint16_t readPexU16(TBinaryCursor& cursor);
    uint32_t readPexU32(TBinaryCursor& cursor);
    float readPexFloat(TBinaryCursor& cursor);
    QByteArrayView readPexString(TBinaryCursor& cursor);
    uint16_t readName(TBinaryCursor& cursor);
    void reportProgress(const TBinaryCursor& cursor);
    // Decides once whether the entry is an untranslatable call name (from its bytes when ASCII) and records it in
    // noTransName_; the instruction loop reads the record first.
    bool decideNoTransIndex(uint16_t index);
    // Records an identifier passed to a matching call.
    void markNoTransVariable(uint16_t index);
    [[noreturn]] void fail(const QString& detailKey) const;

    qsizetype headSize_ = 0;
    // While the body is read, pexOps is sized ahead: the instructions of the functions read whole are the first
    // opsUsed_.
    size_t opsUsed_ = 0;
    qsizetype tailStart_ = 0;
    // Decoded texts, filled entry by entry as they are asked for.
    mutable std::vector<QString> textCache_;
    mutable std::vector<uint8_t> textCached_;
    // Per string index: 0 not decided, 1 an untranslatable call name, 2 not one.
    std::vector<uint8_t> noTransName_;
    // Per string index: passed as a variable argument to a matching call.
    std::vector<uint8_t> noTransVarMark_;
    // noTransProcList in ASCII lower case (the names that are ASCII) and the other names, for the byte compare.
    std::vector<QByteArray> noTransAscii_;
    QStringList noTransOther_;
    // An identifier of the instruction being read is an untranslatable call name.
    bool callMatches_ = false;
    TAppContext* app_ = nullptr;
    qsizetype lastProgress_ = 0;
};
