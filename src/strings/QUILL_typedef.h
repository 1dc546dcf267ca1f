// The string entry tSkyStr, its flags and plugin link, folder entries, list sets, comparers, sorted search and
// per-string predicates.
#pragma once

#include "strings/QUILL_hash.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

class trecord;
class tField;

// A four-character signature (TES4, GRUP, EDID, FULL ...), compared byte for byte.
struct sHeaderSig {
    char c[4] = {'*', '*', '*', '*'};

    sHeaderSig() = default;
    constexpr sHeaderSig(char a, char b, char d, char e) : c{a, b, d, e} {}
    static sHeaderSig fromBytes(const char* bytes) {
        sHeaderSig s;
        std::memcpy(s.c, bytes, 4);
        return s;
    }
    static sHeaderSig fromText(const QString& text) {
        sHeaderSig s;
        const QByteArray latin = text.toLatin1();
        for (int i = 0; i < 4; ++i)
            s.c[i] = i < latin.size() ? latin[i] : ' ';
        return s;
    }
    uint32_t asUint() const {
        uint32_t v;
        std::memcpy(&v, c, 4);
        return v;
    }
    QString toString() const { return QString::fromLatin1(c, 4); }
    bool operator==(const sHeaderSig& o) const { return std::memcmp(c, o.c, 4) == 0; }
    bool operator!=(const sHeaderSig& o) const { return !(*this == o); }
    bool operator<(const sHeaderSig& o) const { return std::memcmp(c, o.c, 4) < 0; }
    bool isAny() const { return *this == sHeaderSig(); }
};

// A small set of enumeration bits.
template <typename Enum, typename Storage> class TFlagSet {
public:
    constexpr TFlagSet() = default;
    constexpr TFlagSet(std::initializer_list<Enum> flags) {
        for (Enum f : flags)
            set(f);
    }
    static constexpr TFlagSet fromBits(Storage bits) {
        TFlagSet s;
        s.bits_ = bits;
        return s;
    }
    constexpr bool has(Enum f) const { return (bits_ & bit(f)) != 0; }
    constexpr void set(Enum f) { bits_ |= bit(f); }
    constexpr void clear(Enum f) { bits_ &= ~bit(f); }
    constexpr void set(Enum f, bool on) { on ? set(f) : clear(f); }
    constexpr Storage bits() const { return bits_; }
    constexpr bool empty() const { return bits_ == 0; }
    constexpr TFlagSet operator+(TFlagSet o) const { return fromBits(bits_ | o.bits_); }
    constexpr TFlagSet operator-(TFlagSet o) const { return fromBits(bits_ & ~o.bits_); }
    constexpr bool operator==(const TFlagSet& o) const { return bits_ == o.bits_; }

private:
    static constexpr Storage bit(Enum f) { return static_cast<Storage>(Storage(1) << static_cast<int>(f)); }
    Storage bits_ = 0;
};

// Status kept with the translation (dictionaries store it as one byte).
enum class sStrParam : uint8_t {
    translated = 0,
    sstrparam2 = 1,
    incompleteTrans = 2,
    validated = 3,
    deprecatedParam1 = 4,
    deprecatedParam2 = 5,
    sstrparam4 = 6,
    sstrparam5 = 7,
};
using sStrParams = TFlagSet<sStrParam, uint8_t>;

// Run-time marks.
enum class sStrInternalParam : uint8_t {
    matchedIDfound = 0,
    isDeleted = 1,
    isOneWord = 2,
    Warning = 3,
    bigWarning = 4,
    nTrans = 5,
    tmpnTransUser = 6,
    isCache = 7,
    toLocalizedEsp = 8,
    toLocalizedSharedID = 9,
    isSourceInitialized = 10,
    isTransInitialized = 11,
    aliasError = 12,
    aliasOneWordError = 13,
    isOrphean = 14,
    unAuthLineBreak = 15,
    stringSizeError = 16,
    stringCRError = 17,
    altColor = 18,
    pexNoTrans = 19,
    pexWarn = 20,
};
using sStrInternalParams = TFlagSet<sStrInternalParam, uint32_t>;

// The names of the set bits, as the documentation spells them.
QStringList strParamNames(sStrParams params);
QStringList strInternalParamNames(sStrInternalParams params);

// Position of a field among the fields of the same signature in its record, and the highest such position.
struct rFieldIndex {
    uint16_t index = 0;
    uint16_t indexMax = 0;
};

// Link from a string entry to the plugin record and field it came from (not owned).
struct rEspPointer {
    trecord* rec = nullptr;
    tField* field = nullptr;
    uint32_t formID = 0;
    sHeaderSig fName;
};

class tSkyStr {
public:
    // The constructor: with initStr the full setters run (source parse, translation check), else the light ones.
    tSkyStr(QString sourceStr, QString destStr, int l, uint32_t id, int ld, sStrParams sp = {},
            sStrInternalParams spi = {}, void* node = nullptr, bool initStr = false);

    // Members ordered for size: an entry is 120 bytes, a block of 128 with the allocator's header (a million-string
    // table set holds a million of them).
    QString gS;
    QString gTrans;
    uint32_t id = 0;
    uint8_t listIndex = 0;
    uint8_t sTagCount = 0;
    sStrParams sparams;
    float LDResult = 99.0f;
    uint32_t hash = 0;
    uint32_t hashTrans = 0;
    int32_t LDFound = 0;
    uint32_t sTagHash = 0;
    sStrInternalParams sInternalparams;
    void* pNode = nullptr; // the view node showing the entry; not owned
    rEspPointer esp;

    const QString& s() const { return gS; }
    void setS(QString text); // light setter, then the source parse
    const QString& sTrans() const { return gTrans; }
    void setSTrans(QString text); // light setter, then the translation check

    // The text without its trailing NULs, and its hash. Taken by value: a text handed over whole is cut in place.
    void setSourceLite(QString text);
    void setTransLite(QString text);
    // The light source setter for a reader that already hashed the text: `text` ends in no NUL and `textHashValue`
    // is textHash(text).
    void setSourceHashed(QString&& text, uint32_t textHashValue) {
        gS = std::move(text);
        hash = textHashValue;
        forgetHeuristic();
    }
    // The light translation setter for a text that ends in no NUL, with its textHash.
    void setTransHashed(QString&& text, uint32_t textHashValue) {
        gTrans = std::move(text);
        hashTrans = textHashValue;
    }
    void initStrings();
    void checkStringIntegrity();
    void resetStatus(sStrParams v1, sStrParams v2);
    void resetTrans();

    bool hasParam(sStrParam p) const { return sparams.has(p); }
    bool hasFlag(sStrInternalParam p) const { return sInternalparams.has(p); }

    // Plugin link (defined beside the plugin tree).
    bool isEspAssigned() const { return esp.rec && esp.field; }
    void AssignEspdata(trecord* r, tField* f);
    QString getEspRef() const;
    QString getEdidName() const;
    uint32_t getFormID() const { return esp.formID; }
    uint32_t getEdidHash() const;
    uint32_t getEdidHashXML() const;
    rFieldIndex getrFieldIndex() const;

    void sourceParse();
    // What the heuristic compares, made from the source when first asked (a table of a million strings opens without
    // them): the comparison text (tags as tokens, lower-cased, cut at 150 characters, 200 for a book without its line
    // and page breaks) and the hashes of the source's words. Not for several threads at once: a pass prepares its
    // strings before its threads start.
    void prepareHeuristic() const;
    const QString& ld() const {
        prepareHeuristic();
        return heuristic_->sLD;
    }
    const QList<uint32_t>& words() const {
        prepareHeuristic();
        return heuristic_->aWords;
    }
    void translationCheck();

    // Copies take the texts, marks and links; the comparison data is made again when asked.
    tSkyStr(const tSkyStr& other);
    tSkyStr& operator=(const tSkyStr& other);
    tSkyStr(tSkyStr&&) noexcept = default;
    tSkyStr& operator=(tSkyStr&&) noexcept = default;
    ~tSkyStr();

private:
    // Held apart, and only once a heuristic pass asks: most entries of a big document never need it, and an entry
    // without it is 48 bytes smaller.
    struct rHeuristicData {
        QString sLD;
        QList<uint32_t> aWords;
    };
    void forgetHeuristic() { heuristic_.reset(); }
    mutable std::unique_ptr<rHeuristicData> heuristic_;
};

using tSkyStrList = std::vector<std::unique_ptr<tSkyStr>>;
using tListSet = std::array<tSkyStrList, 3>;

// A loaded dictionary or cache, as the Vocabulary tree lists it.
enum class sFdrParam : uint8_t { fdrUser = 0, fdrLoaded = 1, fdrEmpty = 2, fdrLocked = 3 };
using sFdrParams = TFlagSet<sFdrParam, uint8_t>;

class tSkyFolder {
public:
    tSkyFolder(const QString& name, sFdrParams fp) : s(name.toLower()), fparams(fp) {}
    QString s;
    int32_t id = 0;
    int32_t count = 0;
    sFdrParams fparams;
    QString getAuthName() const { return (fparams.has(sFdrParam::fdrUser) ? QStringLiteral("sst_") : QString()) + s; }
};

// A reference from a plugin field to a string id.
class tEspStrRef {
public:
    tEspStrRef(tSkyStr* s, uint32_t sID, uint32_t fID, uint32_t fHs, sHeaderSig fN, uint16_t i, uint16_t iMax,
               uint32_t sHash)
        : stringID(sID), formID(fID), formHash(fHs), sourceHash(sHash), fName(fN), index(i), indexMax(iMax), sk(s) {}
    uint32_t stringID;
    uint32_t formID;
    uint32_t formHash;
    uint32_t sourceHash;
    sHeaderSig fName;
    uint16_t index;
    uint16_t indexMax;
    tSkyStr* sk; // not owned
};

// Comparers: negative, zero or positive.
using tSkyStrComparer = int (*)(const tSkyStr&, const tSkyStr&);

namespace skycompare {
int byId(const tSkyStr& a, const tSkyStr& b);
int byHash(const tSkyStr& a, const tSkyStr& b);
int byHashTrans(const tSkyStr& a, const tSkyStr& b);
int bySourceText(const tSkyStr& a, const tSkyStr& b);
int byTransText(const tSkyStr& a, const tSkyStr& b);
int byTagHash(const tSkyStr& a, const tSkyStr& b);
int byHashAndSource(const tSkyStr& a, const tSkyStr& b);
int byHashSourceId(const tSkyStr& a, const tSkyStr& b);
int byDictionaryKey(const tSkyStr& a, const tSkyStr& b);
// Text order ignoring case.
int compareText(const QString& a, const QString& b);
} // namespace skycompare

struct rFindResult {
    bool found = false;
    qsizetype index = 0;
};

// Binary search; on a hit with firstOfEqual the index is the first of the run, on a miss the insertion point.
// Whether the list is in id order; the list put in id order (equal ids keep their order), when it is not already.
bool sortedById(const tSkyStrList& list);
void sortById(tSkyStrList& list);

rFindResult findSorted(const tSkyStrList& list, tSkyStrComparer comparer, const tSkyStr& probe, bool firstOfEqual);
// Inserts at the insertion point unless an equal element exists (then returns false and does nothing).
bool insertSorted(tSkyStrList& list, tSkyStrComparer comparer, std::unique_ptr<tSkyStr> entry);
// Stable sort of each of the three lists.
void sortListSet(tListSet& set, tSkyStrComparer comparer);
qsizetype countListSet(const tListSet& set);
void clearListSet(tListSet& set);
// Runs initStrings on every entry whose source is shorter than 150 characters; `progress` gets the count so far
// every 250 entries.
void initListSet(tListSet& set, const std::function<void(qsizetype)>& progress = {});
// Marks entries whose source hash equals a neighbour's (each list sorted by source hash first).
void markDuplicateSources(tListSet& set, sStrInternalParam bit);

// Per-string predicates for bulk operations.
enum class tStringPredicate : uint8_t { all, notTranslated, notTranslatedNorValidated, incomplete, selected };
// `isSelected` answers for the selected predicate (the views know the selection).
bool matchesPredicate(const tSkyStr& entry, tStringPredicate predicate,
                      const std::function<bool(const tSkyStr&)>& isSelected = {});
