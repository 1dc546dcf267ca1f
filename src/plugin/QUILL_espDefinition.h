// Record definitions: which fields of which records carry translatable text and into which list, the skipped
// record types, the warning pairs, and the field size reference.
#pragma once

#include "strings/QUILL_typedef.h"

#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

class trecord;
class tField;

enum class tFieldCondition : uint8_t { none, proc1, proc2 };

// A field as a reader meets it: its signature and its data as read.
struct rFieldView {
    sHeaderSig sig;
    QByteArrayView data;
};

// One "Def_:" line.
struct rFieldDef {
    sHeaderSig fieldSig;
    sHeaderSig recordSig;
    int listIndex = 0;
    bool notNull = false;
    tFieldCondition condition = tFieldCondition::none;
};

class TRecordDefinitions {
public:
    std::vector<rFieldDef> fieldDefList;
    std::vector<sHeaderSig> skipRecordList;
    std::vector<std::pair<sHeaderSig, sHeaderSig>> warnFieldList; // (recordSig, fieldSig)

    // The field size reference: one sorted key list ("WEAP:FULL", compared ignoring case) and two parallel value lists.
    QStringList fieldSizeKeys;
    QList<int> fieldSizeMax;
    QList<bool> fieldSizeHasCR;

    // Builds the three definition lists from the definitions text (the appended Skip lines included).
    void loadRecordDefs(const QStringList& lines);
    // What a reader reading the fields in order knows of those up to the one being decided, so that a condition
    // never looks back over them all (a record of many fields would take quadratic time).
    struct rFieldsSoFar {
        qsizetype firstEdid = -1; // position of the first non-empty EDID, -1 while there is none
    };
    // The list index 0..2 of `field` (at position `fieldPos` of the record's field list, the fields before it already
    // read), or -1 when it is not a string field. Sets notNull in the field's flags when the deciding entry has it.
    // Without `soFar` the fields before are looked at.
    int getFieldListIndex(const trecord& record, tField& field, size_t fieldPos,
                          const rFieldsSoFar* soFar = nullptr) const;
    // The same for the field fields[fieldPos] of a record of signature `recordSig`, the fields before it being
    // fields[0 .. fieldPos - 1]; *notNull tells whether the deciding entry has the notNull mark.
    int fieldListIndex(sHeaderSig recordSig, const rFieldView* fields, size_t fieldPos, const rFieldsSoFar* soFar,
                       bool* notNull) const;
    bool isSkippedRecord(sHeaderSig signature) const;
    // Some definition names this field signature (else no field of that signature is ever a string field).
    bool namesField(sHeaderSig fieldSig) const { return findSig(fieldSig.asUint()) != nullptr; }
    bool isWarnField(sHeaderSig recordSig, sHeaderSig fieldSig) const;

    // Builds the size reference from the data lines of "fieldSizeRef.txt" (comments and blank lines already gone).
    void loadFieldSizeRef(const QStringList& lines);
    void assignFieldSizeRef(sHeaderSig recordSig, tField& field) const;
    // The reference's line for a field: false when it lists none (maxSize 0 and hasCR false then).
    bool findFieldSize(sHeaderSig recordSig, sHeaderSig fieldSig, int& maxSize, bool& hasCR) const;
    void freeRecordDefs();

    bool loaded() const { return loaded_; }

private:
    bool conditionHolds(const rFieldDef& def, const rFieldView* fields, size_t fieldPos,
                        const rFieldsSoFar* soFar) const;
    // Definition indices by field signature, each list in line order, so a field only walks the entries that may
    // decide it.
    QHash<uint32_t, std::vector<uint32_t>> defsBySig_;
    // One bit per signature hash, set for the signatures some definition names: most fields a plugin holds are
    // named by none, and this answers them without a lookup.
    static constexpr int kSigFilterBits = 4096;
    std::array<uint64_t, kSigFilterBits / 64> sigFilter_{};
    static uint32_t sigFilterBit(uint32_t sig) { return (sig * 0x9E3779B1u) >> 20; }
    const std::vector<uint32_t>* findSig(uint32_t sig) const {
        const uint32_t bit = sigFilterBit(sig);
        if (!(sigFilter_[bit / 64] & (uint64_t(1) << (bit % 64)))) return nullptr;
        const auto it = defsBySig_.constFind(sig);
        return it == defsBySig_.constEnd() ? nullptr : &*it;
    }
    void indexSignatures();
    bool loaded_ = false;
};

// The built-in definitions text, line by line (used when no usable "_recorddefs.txt" exists).
QStringList builtInRecordDefinitions();

// The definitions text in force: the lines of a usable "_recorddefs.txt" (empty when there is none) or else the
// built-in text, followed by the two lines "Skip:NAVM" and "Skip:NAVI".
QStringList recordDefinitionText(const QStringList& fileLines);

// The process-wide tables, built once at start-up.
TRecordDefinitions& recordDefs();

struct TAppState;
// Builds recordDefs() from what start-up read (recordDefinitionLines, fieldSizeRefList) unless already built, and
// leaves in recordDefinitionLines the text in force, as the Records_def page shows it.
void loadRecordDefinitions(TAppState& state);
