// Record definitions and the field size reference: parsing by position, the deciding walk and the two conditions.
#include "plugin/QUILL_espDefinition.h"

#include "core/QUILL_main.h"
#include "plugin/QUILL_espTree.h"

namespace {

const sHeaderSig kEdid('E', 'D', 'I', 'D');
const sHeaderSig kEpft('E', 'P', 'F', 'T');

// Characters with code 32 or below removed at both ends.
QByteArray trimControl(const QByteArray& line) {
    qsizetype start = 0, end = line.size();
    while (start < end && static_cast<uint8_t>(line[start]) <= 32)
        ++start;
    while (end > start && static_cast<uint8_t>(line[end - 1]) <= 32)
        --end;
    return line.mid(start, end - start);
}

sHeaderSig sigAt(const QByteArray& line, qsizetype zeroBased) {
    return sHeaderSig::fromBytes(line.constData() + zeroBased);
}

} // namespace

QStringList builtInRecordDefinitions() {
    return {
        QStringLiteral("#WARNING: do not modify this file, unless you know what you are doing."),
        QStringLiteral("#Bad editing can  result in corrupted Esp."),
        QStringLiteral("#FieldId=RecordID=List (0: strings, 1: dlStrings, 2: ilStrings"),
        QStringLiteral("#CharCase must match"),
        QStringLiteral("#(*) indicate the string can't be null (needs at least one space)."),
        QStringLiteral(
            "#-proc1, -proc2 refer to internal procedures that defines some conditions for reading the data"),
        QStringLiteral("Def_:DNAM=MGEF=0"),
        QStringLiteral("Def_:NAM1=INFO=2*"),
        QStringLiteral("Def_:SHRT=NPC_=0"),
        QStringLiteral("Def_:CNAM=QUST=1"),
        QStringLiteral("Def_:CNAM=BOOK=1"),
        QStringLiteral("Def_:TNAM=WOOP=0"),
        QStringLiteral("Def_:NNAM=QUST=0"),
        QStringLiteral("Def_:NNAM=MESG=0"),
        QStringLiteral("Def_:ITXT=MESG=0"),
        QStringLiteral("Def_:RDMP=REGN=0"),
        QStringLiteral("Def_:EPF2=PERK=0"),
        QStringLiteral("Def_:RNAM=ACTI=0"),
        QStringLiteral("Def_:RNAM=FLOR=0"),
        QStringLiteral("Def_:RNAM=INFO=0*"),
        QStringLiteral("Def_:BPTN=BPTD=0"),
        QStringLiteral("Def_:MNAM=FACT=0"),
        QStringLiteral("Def_:FNAM=FACT=0"),
        QStringLiteral("Def_:DESC=LSCR=0"),
        QStringLiteral("#Fallout4\t"),
        QStringLiteral("Def_:ONAM=AMMO=0"),
        QStringLiteral("Def_:ONAM=LVLI=0"),
        QStringLiteral("Def_:ANAM=AVIF=0"),
        QStringLiteral("Def_:CNAM=DOOR=0"),
        QStringLiteral("Def_:WNAM=INNR=0"),
        QStringLiteral("Def_:FMRN=RACE=0"),
        QStringLiteral("Def_:BTXT=TERM=0"),
        QStringLiteral("Def_:ITXT=TERM=0"),
        QStringLiteral("Def_:RNAM=TERM=0"),
        QStringLiteral("Def_:UNAM=TERM=0"),
        QStringLiteral("Def_:WNAM=TERM=0"),
        QStringLiteral("Def_:DNAM=ALCH=0"),
        QStringLiteral("Def_:ONAM=DOOR=0"),
        QStringLiteral("Def_:TTGP=RACE=0"),
        QStringLiteral("Def_:MPPN=RACE=0"),
        QStringLiteral("Def_:NAM0=TERM=0"),
        QStringLiteral("#"),
        QStringLiteral("Def_:DATA=GMST=0-proc1"),
        QStringLiteral("Def_:EPFD=PERK=0-proc2"),
        QStringLiteral("#the two next fields must remain at the end of the section since they are fallback."),
        QStringLiteral("Def_:FULL=****=0"),
        QStringLiteral("Def_:DESC=****=1"),
        QStringLiteral("Def_:ATTX=****=0"),
        QStringLiteral("#Warning Field: known enumerated entries (field=record)"),
        QStringLiteral("Warn:ITXT=MESG"),
        QStringLiteral("Warn:ITXT=TERM"),
        QStringLiteral("Warn:BTXT=TERM"),
        QStringLiteral("Warn:UNAM=TERM"),
        QStringLiteral("Warn:NNAM=QUST"),
        QStringLiteral("Warn:NAM1=INFO"),
        QStringLiteral("Warn:CNAM=QUST"),
        QStringLiteral("Warn:FULL=WEAP"),
        QStringLiteral("Warn:FULL=ARMO"),
        QStringLiteral("Warn:FULL=NPC_"),
        QStringLiteral("Warn:BPTN=BPTD"),
        QStringLiteral("Warn:MPPN=RACE"),
        QStringLiteral("Warn:FMRN=RACE"),
        QStringLiteral("#--------Skipped record----"),
        QStringLiteral("#Records with no known Lstrings"),
        QStringLiteral("#these records will not be parsed "),
        QString(),
        QString(),
    };
}

QStringList recordDefinitionText(const QStringList& fileLines) {
    QStringList lines = fileLines.isEmpty() ? builtInRecordDefinitions() : fileLines;
    lines << QStringLiteral("Skip:NAVM") << QStringLiteral("Skip:NAVI");
    return lines;
}

void TRecordDefinitions::loadRecordDefs(const QStringList& lines) {
    fieldDefList.clear();
    skipRecordList.clear();
    warnFieldList.clear();
    for (const QString& text : lines) {
        if (text.startsWith(QLatin1Char('#'))) continue;
        const QByteArray line = trimControl(text.toLatin1());
        if (line.isEmpty()) continue;
        if (line.size() >= 16 && line.startsWith("Def_:")) {
            rFieldDef def;
            def.fieldSig = sigAt(line, 5);
            def.recordSig = sigAt(line, 10);
            const char digit = line[15];
            def.listIndex = (digit >= '0' && digit <= '9') ? digit - '0' : 0;
            // Only three lists exist: a line naming another one would send texts nowhere, so it is not taken.
            if (def.listIndex > 2) continue;
            def.notNull = line.indexOf('*') == 16;
            if (line.indexOf("proc1") == 17)
                def.condition = tFieldCondition::proc1;
            else if (line.indexOf("proc2") == 17)
                def.condition = tFieldCondition::proc2;
            fieldDefList.push_back(def);
        } else if (line.size() == 9 && line.startsWith("Skip:")) {
            skipRecordList.push_back(sigAt(line, 5));
        } else if (line.size() == 14 && line.startsWith("Warn:")) {
            warnFieldList.emplace_back(sigAt(line, 10), sigAt(line, 5));
        }
    }
    indexSignatures();
    loaded_ = true;
}

void TRecordDefinitions::indexSignatures() {
    defsBySig_.clear();
    sigFilter_.fill(0);
    for (size_t i = 0; i < fieldDefList.size(); ++i) {
        const uint32_t sig = fieldDefList[i].fieldSig.asUint();
        defsBySig_[sig].push_back(static_cast<uint32_t>(i));
        const uint32_t bit = sigFilterBit(sig);
        sigFilter_[bit / 64] |= uint64_t(1) << (bit % 64);
    }
}

bool TRecordDefinitions::conditionHolds(const rFieldDef& def, const rFieldView* fields, size_t fieldPos,
                                        const rFieldsSoFar* soFar) const {
    switch (def.condition) {
    case tFieldCondition::none:
        return true;
    case tFieldCondition::proc1: {
        // The first non-empty EDID up to the field decides.
        qsizetype first = soFar ? soFar->firstEdid : -1;
        if (!soFar)
            for (size_t i = 0; i <= fieldPos && first < 0; ++i)
                if (fields[i].sig == kEdid && !fields[i].data.isEmpty()) first = static_cast<qsizetype>(i);
        if (first < 0 || static_cast<size_t>(first) > fieldPos) return false;
        return fields[static_cast<size_t>(first)].data[0] == 's';
    }
    case tFieldCondition::proc2:
        // One of the two fields before is an EPFT of 7.
        for (size_t back = 1; back <= 2 && back <= fieldPos; ++back) {
            const rFieldView& f = fields[fieldPos - back];
            if (f.sig == kEpft && f.data.size() == 1 && static_cast<uint8_t>(f.data[0]) == 7) return true;
        }
        return false;
    }
    return false;
}

int TRecordDefinitions::fieldListIndex(sHeaderSig recordSig, const rFieldView* fields, size_t fieldPos,
                                       const rFieldsSoFar* soFar, bool* notNull) const {
    const std::vector<uint32_t>* defs = findSig(fields[fieldPos].sig.asUint());
    if (!defs) return -1;
    for (const uint32_t k : *defs) {
        const rFieldDef& def = fieldDefList[k];
        const bool decides =
            def.recordSig.isAny() || (def.recordSig == recordSig && conditionHolds(def, fields, fieldPos, soFar));
        if (!decides) continue;
        if (notNull) *notNull = def.notNull;
        return def.listIndex;
    }
    return -1;
}

int TRecordDefinitions::getFieldListIndex(const trecord& record, tField& field, size_t fieldPos,
                                          const rFieldsSoFar* soFar) const {
    // The fields before `field` as the record holds them (those it does not hold yet count as empty), then `field`.
    std::vector<rFieldView> fields(fieldPos + 1);
    for (size_t i = 0; i < fieldPos && i < record.fList.size(); ++i)
        fields[i] = {record.fList[i].header.name, record.fList[i].buffer.view()};
    fields[fieldPos] = {field.header.name, field.buffer.view()};
    bool notNull = false;
    const int d = fieldListIndex(record.header.name, fields.data(), fieldPos, soFar, &notNull);
    if (d >= 0 && notNull) field.params.set(sfieldParam::notNull);
    return d;
}

bool TRecordDefinitions::isSkippedRecord(sHeaderSig signature) const {
    for (const sHeaderSig& s : skipRecordList)
        if (s == signature) return true;
    return false;
}

bool TRecordDefinitions::isWarnField(sHeaderSig recordSig, sHeaderSig fieldSig) const {
    for (const auto& [r, f] : warnFieldList)
        if (r == recordSig && f == fieldSig) return true;
    return false;
}

namespace {

// Binary search ignoring case: (found, position).
std::pair<bool, qsizetype> findKey(const QStringList& keys, const QString& key) {
    qsizetype lo = 0, hi = keys.size() - 1;
    while (lo <= hi) {
        const qsizetype mid = (lo + hi) / 2;
        const int c = keys[mid].compare(key, Qt::CaseInsensitive);
        if (c < 0)
            lo = mid + 1;
        else if (c > 0)
            hi = mid - 1;
        else
            return {true, mid};
    }
    return {false, lo};
}

} // namespace

void TRecordDefinitions::loadFieldSizeRef(const QStringList& lines) {
    fieldSizeKeys.clear();
    fieldSizeMax.clear();
    fieldSizeHasCR.clear();
    for (const QString& line : lines) {
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        const QString key = line.left(9);
        const QChar flag = line.size() > 10 ? line[10] : QChar();
        const bool hasCR = flag.isDigit() && flag != QLatin1Char('0');
        bool ok = false;
        int maxSize = line.mid(12).toInt(&ok);
        if (!ok) maxSize = 0;
        const auto [found, at] = findKey(fieldSizeKeys, key);
        if (found) continue;
        fieldSizeKeys.insert(at, key);
        fieldSizeMax.insert(at, maxSize);
        fieldSizeHasCR.insert(at, hasCR);
    }
}

void TRecordDefinitions::assignFieldSizeRef(sHeaderSig recordSig, tField& field) const {
    findFieldSize(recordSig, field.header.name, field.maxStrSize, field.hasCR);
}

bool TRecordDefinitions::findFieldSize(sHeaderSig recordSig, sHeaderSig fieldSig, int& maxSize, bool& hasCR) const {
    const QString key = recordSig.toString() + QLatin1Char(':') + fieldSig.toString();
    const auto [found, at] = findKey(fieldSizeKeys, key);
    maxSize = found ? fieldSizeMax[at] : 0;
    hasCR = found ? fieldSizeHasCR[at] : false;
    return found;
}

void TRecordDefinitions::freeRecordDefs() {
    fieldDefList.clear();
    skipRecordList.clear();
    warnFieldList.clear();
    defsBySig_.clear();
    sigFilter_.fill(0);
    fieldSizeKeys.clear();
    fieldSizeMax.clear();
    fieldSizeHasCR.clear();
    loaded_ = false;
}

TRecordDefinitions& recordDefs() {
    static TRecordDefinitions defs;
    return defs;
}

void loadRecordDefinitions(TAppState& state) {
    TRecordDefinitions& defs = recordDefs();
    // The tables are the process's; every workspace made after the first still shows the text they were built from.
    static QStringList inForce;
    if (!defs.loaded()) {
        inForce = recordDefinitionText(state.recordDefinitionLines);
        defs.loadRecordDefs(inForce);
        defs.loadFieldSizeRef(state.fieldSizeRefList);
    }
    state.recordDefinitionLines = inForce;
}
