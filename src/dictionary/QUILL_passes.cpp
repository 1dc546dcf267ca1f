// Exact and reference passes over one list.
#include "dictionary/QUILL_passes.h"

#include <algorithm>

tStringPredicate overwriteFilter(int choice) {
    switch (choice) {
    case 0:
        return tStringPredicate::all;
    case 1:
        return tStringPredicate::notTranslated;
    case 2:
        return tStringPredicate::notTranslatedNorValidated;
    case 3:
        return tStringPredicate::incomplete;
    case 4:
        return tStringPredicate::selected;
    default:
        return tStringPredicate::all;
    }
}

QStringList overwriteChoiceKeys() {
    return {QStringLiteral("overwrite_All"), QStringLiteral("overwrite_NoTrans"), QStringLiteral("overwrite_NoValid"),
            QStringLiteral("overwrite_PartialOnly"), QStringLiteral("overwrite_Selection")};
}

QStringList applyModeKeys() {
    return {QStringLiteral("Apply_EDIDOnly"), QStringLiteral("Apply_EDIDStringControl")};
}

bool rPassContext::accepts(const tSkyStr& entry) const {
    return matchesPredicate(entry, filter, isSelected) && !entry.hasFlag(sStrInternalParam::pexNoTrans);
}

void rPassContext::step() {
    ++counter;
    // An entry takes well under a microsecond: letting events run more often than every thousand costs more than the
    // pass (a million-string open spent a tenth of its time in the event loop at one in ten).
    if (progress && counter % 1000 == 0) progress(counter);
}

namespace {

// The source hashes in one array, so that the binary search touches entries only on a hash match. Finds what
// findSorted with byHashAndSource finds: the first entry of the run with the same hash and text (ignoring case).
class TSourceIndex {
public:
    TSourceIndex(const tSkyStrList& source, bool build) : source_(source) {
        if (!build) return;
        hashes_.reserve(source.size());
        for (const auto& e : source)
            hashes_.push_back(e->hash);
    }
    const tSkyStr* find(const tSkyStr& probe) const {
        auto it = std::lower_bound(hashes_.begin(), hashes_.end(), probe.hash);
        for (; it != hashes_.end() && *it == probe.hash; ++it) {
            const tSkyStr& candidate = *source_[static_cast<size_t>(it - hashes_.begin())];
            const int c = skycompare::compareText(candidate.gS, probe.gS);
            if (c == 0) return &candidate;
            if (c > 0) break;
        }
        return nullptr;
    }

private:
    const tSkyStrList& source_;
    std::vector<uint32_t> hashes_;
};

} // namespace

int exactMatch(const tSkyStrList& source, tSkyStrList& target, bool search, rPassContext& context) {
    int untranslated = 0;
    const TSourceIndex index(source, search);
    for (auto& entryPtr : target) {
        tSkyStr& entry = *entryPtr;
        context.step();
        if (!context.accepts(entry)) continue;
        if (context.sameLanguage) {
            entry.setSTrans(entry.gS);
            entry.LDResult = 0;
            entry.LDFound = 0;
            entry.sparams.set(sStrParam::translated);
            continue;
        }
        if (entry.hasFlag(sStrInternalParam::nTrans)) {
            entry.sInternalparams.clear(sStrInternalParam::nTrans);
            entry.sparams.clear(sStrParam::incompleteTrans);
        }
        if (!entry.sparams.empty()) continue;
        if (entry.hash == kSingleSpaceHash || entry.hash == kEmptyTextHash) {
            entry.setSTrans(entry.hash == kSingleSpaceHash ? QStringLiteral(" ") : QString());
            entry.LDResult = 0;
            entry.LDFound = 0;
            entry.sparams.set(sStrParam::translated);
            continue;
        }
        entry.LDResult = 99.0f;
        const tSkyStr* found = search ? index.find(entry) : nullptr;
        if (found) {
            const tSkyStr& match = *found;
            if (match.hasFlag(sStrInternalParam::nTrans)) {
                entry.sInternalparams.set(sStrInternalParam::nTrans);
                entry.sparams.set(sStrParam::incompleteTrans);
            }
            if (match.hasParam(sStrParam::incompleteTrans)) entry.sparams.set(sStrParam::incompleteTrans);
            if (!entry.hasParam(sStrParam::incompleteTrans)) entry.sparams.set(sStrParam::translated);
            entry.setSTrans(match.gTrans);
            entry.LDResult = 0;
            entry.LDFound = 0;
        } else {
            entry.setSTrans(entry.gS);
            ++untranslated;
        }
    }
    return untranslated;
}

uint32_t signatureKey(const sHeaderSig& sig) {
    return static_cast<uint8_t>(sig.c[0]) | (static_cast<uint32_t>(static_cast<uint8_t>(sig.c[1])) << 8) |
           (static_cast<uint32_t>(static_cast<uint8_t>(sig.c[2])) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(sig.c[3])) << 24);
}

void takeTranslationFrom(tSkyStr& target, const tSkyStr& dictionaryEntry) {
    target.sInternalparams.clear(sStrInternalParam::Warning);
    target.sInternalparams.clear(sStrInternalParam::bigWarning);
    target.sInternalparams.clear(sStrInternalParam::nTrans);
    target.sparams.clear(sStrParam::incompleteTrans);
    target.sparams.set(dictionaryEntry.hasParam(sStrParam::incompleteTrans) ? sStrParam::incompleteTrans
                                                                            : sStrParam::translated);
    target.setSTrans(dictionaryEntry.gTrans);
    target.LDResult = 0;
    target.LDFound = 0;
}

namespace {

template <typename T> int sign(T a, T b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

int comparePluginKey(const tEspStrRef& a, const tEspStrRef& b) {
    if (int c = sign(a.formID, b.formID)) return c;
    if (int c = sign(a.formHash, b.formHash)) return c;
    if (int c = sign(signatureKey(a.fName), signatureKey(b.fName))) return c;
    return sign(a.index, b.index);
}

int compareStringKey(const tEspStrRef& a, const tEspStrRef& b) {
    return sign(a.stringID, b.stringID);
}

using tRefComparer = int (*)(const tEspStrRef&, const tEspStrRef&);

tRefComparer comparerFor(TReferenceKey key) {
    switch (key) {
    case TReferenceKey::pluginField:
        return comparePluginKey;
    case TReferenceKey::stringId:
        return compareStringKey;
    case TReferenceKey::none:
        break;
    }
    return nullptr;
}

// The first reference equal to the probe, or null.
const tEspStrRef* findFirst(const std::vector<tEspStrRef>& refs, const tEspStrRef& probe, tRefComparer cmp) {
    const auto it = std::lower_bound(refs.begin(), refs.end(), probe,
                                     [cmp](const tEspStrRef& a, const tEspStrRef& b) { return cmp(a, b) < 0; });
    if (it == refs.end() || cmp(*it, probe) != 0) return nullptr;
    return &*it;
}

} // namespace

bool sortReferences(std::vector<tEspStrRef>& references, TReferenceKey key) {
    const tRefComparer cmp = comparerFor(key);
    if (!cmp) return false;
    // Stable, so that among references with one key the first one read is taken.
    std::stable_sort(references.begin(), references.end(),
                     [cmp](const tEspStrRef& a, const tEspStrRef& b) { return cmp(a, b) < 0; });
    return true;
}

void referenceMatch(const std::vector<tEspStrRef>& references, tSkyStrList& target, bool edidOnly,
                    rPassContext& context) {
    const tRefComparer cmp = comparerFor(context.references);
    if (!cmp) return;
    const bool pluginDocument = cmp == comparePluginKey;
    for (auto& entryPtr : target) {
        tSkyStr& entry = *entryPtr;
        context.step();
        if (!context.accepts(entry)) continue;
        const bool linked = entry.isEspAssigned();
        const rFieldIndex fieldIndex = entry.getrFieldIndex();
        const tEspStrRef probe(nullptr, entry.id, entry.getFormID(), entry.getEdidHash(),
                               linked ? entry.esp.fName : sHeaderSig('0', '0', '0', '0'), fieldIndex.index,
                               fieldIndex.indexMax, 0);
        const tEspStrRef* ref = findFirst(references, probe, cmp);
        if (!ref || !ref->sk) continue;
        const tSkyStr& source = *ref->sk;
        if (edidOnly || source.hash == entry.hash) takeTranslationFrom(entry, source);
        if (edidOnly && pluginDocument && ref->indexMax != fieldIndex.indexMax) {
            entry.sparams.set(sStrParam::incompleteTrans);
            entry.sInternalparams.set(sStrInternalParam::bigWarning);
        }
    }
}
