// String entries, list operations and comparers.
#include "strings/QUILL_typedef.h"

#include <algorithm>

namespace {

QString withoutTrailingNuls(QString text) {
    qsizetype n = text.size();
    while (n > 0 && text.at(n - 1).isNull())
        --n;
    if (n < text.size()) text.truncate(n);
    return text;
}

// A book text's line breaks and page breaks, which its comparison text leaves out.
void removeBookMarkup(QString& text) {
    text.remove(QStringLiteral("\r\n"));
    text.remove(QLatin1Char('\n'));
    text.remove(QStringLiteral("[pagebreak]"));
}

template <typename T> int sign(T a, T b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

} // namespace

QStringList strParamNames(sStrParams params) {
    static const char* const names[] = {"translated",       "sstrparam2",       "incompleteTrans", "validated",
                                        "deprecatedParam1", "deprecatedParam2", "sstrparam4",      "sstrparam5"};
    QStringList out;
    for (int i = 0; i < 8; ++i)
        if (params.has(static_cast<sStrParam>(i))) out << QLatin1String(names[i]);
    return out;
}

QStringList strInternalParamNames(sStrInternalParams params) {
    static const char* const names[] = {"matchedIDfound",
                                        "isDeleted",
                                        "isOneWord",
                                        "Warning",
                                        "bigWarning",
                                        "nTrans",
                                        "tmpnTransUser",
                                        "isCache",
                                        "toLocalizedEsp",
                                        "toLocalizedSharedID",
                                        "isSourceInitialized",
                                        "isTransInitialized",
                                        "aliasError",
                                        "aliasOneWordError",
                                        "isOrphean",
                                        "unAuthLineBreak",
                                        "stringSizeError",
                                        "stringCRError",
                                        "altColor",
                                        "pexNoTrans",
                                        "pexWarn"};
    QStringList out;
    for (int i = 0; i < 21; ++i)
        if (params.has(static_cast<sStrInternalParam>(i))) out << QLatin1String(names[i]);
    return out;
}

tSkyStr::tSkyStr(QString sourceStr, QString destStr, int l, uint32_t id_, int ld, sStrParams sp, sStrInternalParams spi,
                 void* node, bool initStr)
    : id(id_), listIndex(static_cast<uint8_t>(l)), sparams(sp - sStrParams{sStrParam::deprecatedParam1}),
      LDResult(static_cast<float>(ld)), sInternalparams(spi), pNode(node) {
    if (initStr) {
        setS(std::move(sourceStr));
        setSTrans(std::move(destStr));
    } else {
        setSourceLite(std::move(sourceStr));
        setTransLite(std::move(destStr));
    }
}

void tSkyStr::setSourceLite(QString text) {
    gS = withoutTrailingNuls(std::move(text));
    hash = textHash(gS);
    forgetHeuristic();
}

void tSkyStr::setTransLite(QString text) {
    // The source handed over as the translation (an untranslated string) keeps the source's hash: the source is
    // held without trailing NULs and its hash follows every change of it.
    if (text.isSharedWith(gS)) {
        gTrans = std::move(text);
        hashTrans = hash;
        return;
    }
    gTrans = withoutTrailingNuls(std::move(text));
    hashTrans = textHash(gTrans);
}

void tSkyStr::setS(QString text) {
    setSourceLite(std::move(text));
    sourceParse();
}

void tSkyStr::setSTrans(QString text) {
    setTransLite(std::move(text));
    translationCheck();
}

void tSkyStr::sourceParse() {
    rParse parse;
    parseString(gS, parse);
    if (parse.sIsOneWord) sInternalparams.set(sStrInternalParam::isOneWord);
    sTagCount = parse.sTagCount;
    sTagHash = parse.sTagHash;
    // The comparison text and the word hashes wait for a heuristic pass (prepareHeuristic()): a table set of a
    // million strings opened a tenth faster and a quarter smaller without them.
    forgetHeuristic();
    sInternalparams.set(sStrInternalParam::isSourceInitialized);
}

tSkyStr::tSkyStr(const tSkyStr& other)
    : gS(other.gS), gTrans(other.gTrans), id(other.id), listIndex(other.listIndex), sTagCount(other.sTagCount),
      sparams(other.sparams), LDResult(other.LDResult), hash(other.hash), hashTrans(other.hashTrans),
      LDFound(other.LDFound), sTagHash(other.sTagHash), sInternalparams(other.sInternalparams), pNode(other.pNode),
      esp(other.esp) {}

tSkyStr& tSkyStr::operator=(const tSkyStr& other) {
    if (this != &other) {
        tSkyStr copy(other);
        *this = std::move(copy);
    }
    return *this;
}

tSkyStr::~tSkyStr() = default;

void tSkyStr::prepareHeuristic() const {
    if (heuristic_) return;
    rParse parse;
    parseString(gS, parse);
    if (listIndex == 1) removeBookMarkup(parse.sLD);
    auto made = std::make_unique<rHeuristicData>();
    if (parse.sIsOneWord)
        made->aWords.append(textHash(parse.sOneWord));
    else
        addWordHashes(parse.sLD, made->aWords);
    const qsizetype limit = listIndex == 1 ? 200 : 150;
    if (parse.sLD.size() > limit) parse.sLD.truncate(limit);
    made->sLD = lowerCased(parse.sLD);
    heuristic_ = std::move(made);
}

void tSkyStr::translationCheck() {
    sInternalparams.clear(sStrInternalParam::aliasError);
    sInternalparams.clear(sStrInternalParam::aliasOneWordError);
    // The source itself as the translation has the source's tags.
    if (!gTrans.isSharedWith(gS) && gTrans.contains(QLatin1Char('<'))) {
        rParse transParse;
        parseString(gTrans, transParse);
        if (transParse.sTagHash != sTagHash) {
            QStringList sourceTags, transTags;
            rParse scratch;
            parseString(gS, scratch, &sourceTags);
            parseString(gTrans, scratch, &transTags);
            for (const QString& tag : transTags) {
                if (!sourceTags.contains(tag)) {
                    sInternalparams.set(sStrInternalParam::aliasError);
                    break;
                }
            }
            if (sInternalparams.has(sStrInternalParam::aliasError) && sourceTags.size() == 1 && transTags.size() == 1)
                sInternalparams.set(sStrInternalParam::aliasOneWordError);
        }
    }
    sInternalparams.set(sStrInternalParam::isTransInitialized);
    checkStringIntegrity();
}

void tSkyStr::initStrings() {
    if (sInternalparams.has(sStrInternalParam::isSourceInitialized) &&
        sInternalparams.has(sStrInternalParam::isTransInitialized))
        return;
    sourceParse();
    translationCheck();
}

void tSkyStr::resetStatus(sStrParams v1, sStrParams v2) {
    sparams = (sparams + v1) - v2 - sStrParams{sStrParam::translated};
    LDResult = 0;
    LDFound = 0;
    if (!sparams.has(sStrParam::incompleteTrans)) {
        sInternalparams.clear(sStrInternalParam::Warning);
        sInternalparams.clear(sStrInternalParam::bigWarning);
        sInternalparams.clear(sStrInternalParam::nTrans);
    }
}

void tSkyStr::resetTrans() {
    LDResult = 99;
    LDFound = 0;
    sparams = {};
    setSTrans(gS);
    sInternalparams.clear(sStrInternalParam::Warning);
    sInternalparams.clear(sStrInternalParam::nTrans);
}

namespace skycompare {

int compareText(const QString& a, const QString& b) {
    const int c = QString::compare(a, b, Qt::CaseInsensitive);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int byId(const tSkyStr& a, const tSkyStr& b) {
    return sign(a.id, b.id);
}
int byHash(const tSkyStr& a, const tSkyStr& b) {
    return sign(a.hash, b.hash);
}
int byHashTrans(const tSkyStr& a, const tSkyStr& b) {
    return sign(a.hashTrans, b.hashTrans);
}
int bySourceText(const tSkyStr& a, const tSkyStr& b) {
    return compareText(a.gS, b.gS);
}
int byTransText(const tSkyStr& a, const tSkyStr& b) {
    return compareText(a.gTrans, b.gTrans);
}
int byTagHash(const tSkyStr& a, const tSkyStr& b) {
    return sign(a.sTagHash, b.sTagHash);
}

int byHashAndSource(const tSkyStr& a, const tSkyStr& b) {
    if (int c = sign(a.hash, b.hash)) return c;
    return compareText(a.gS, b.gS);
}

int byHashSourceId(const tSkyStr& a, const tSkyStr& b) {
    if (int c = byHashAndSource(a, b)) return c;
    return sign(a.id, b.id);
}

int byDictionaryKey(const tSkyStr& a, const tSkyStr& b) {
    if (int c = byHashAndSource(a, b)) return c;
    if (int c = sign(a.hashTrans, b.hashTrans)) return c;
    return compareText(a.gTrans, b.gTrans);
}

} // namespace skycompare

bool sortedById(const tSkyStrList& list) {
    return std::is_sorted(list.begin(), list.end(), [](const auto& a, const auto& b) { return a->id < b->id; });
}

void sortById(tSkyStrList& list) {
    if (sortedById(list)) return;
    std::stable_sort(list.begin(), list.end(), [](const auto& a, const auto& b) { return a->id < b->id; });
}

rFindResult findSorted(const tSkyStrList& list, tSkyStrComparer comparer, const tSkyStr& probe, bool firstOfEqual) {
    qsizetype lo = 0;
    qsizetype hi = static_cast<qsizetype>(list.size()) - 1;
    while (lo <= hi) {
        const qsizetype mid = (lo + hi) / 2;
        const int c = comparer(*list[mid], probe);
        if (c < 0) {
            lo = mid + 1;
        } else if (c > 0) {
            hi = mid - 1;
        } else {
            qsizetype index = mid;
            if (firstOfEqual)
                while (index > 0 && comparer(*list[index - 1], probe) == 0)
                    --index;
            return {true, index};
        }
    }
    return {false, lo};
}

bool insertSorted(tSkyStrList& list, tSkyStrComparer comparer, std::unique_ptr<tSkyStr> entry) {
    const rFindResult r = findSorted(list, comparer, *entry, false);
    if (r.found) return false;
    list.insert(list.begin() + r.index, std::move(entry));
    return true;
}

void sortListSet(tListSet& set, tSkyStrComparer comparer) {
    for (auto& list : set)
        std::stable_sort(list.begin(), list.end(),
                         [comparer](const auto& a, const auto& b) { return comparer(*a, *b) < 0; });
}

qsizetype countListSet(const tListSet& set) {
    qsizetype n = 0;
    for (const auto& list : set)
        n += static_cast<qsizetype>(list.size());
    return n;
}

void clearListSet(tListSet& set) {
    for (auto& list : set)
        list.clear();
}

void initListSet(tListSet& set, const std::function<void(qsizetype)>& progress) {
    qsizetype count = 0;
    for (auto& list : set) {
        for (auto& entry : list) {
            if (entry->gS.size() < 150) entry->initStrings();
            ++count;
            if (progress && count % 250 == 0) progress(count);
        }
    }
}

void markDuplicateSources(tListSet& set, sStrInternalParam bit) {
    for (auto& list : set) {
        const auto byHashOnly = [](const auto& a, const auto& b) { return a->hash < b->hash; };
        // A list already in hash order (the vocabulary's) is left as it is.
        if (!std::is_sorted(list.begin(), list.end(), byHashOnly))
            std::stable_sort(list.begin(), list.end(), byHashOnly);
        uint32_t previousHash = 0;
        tSkyStr* previous = nullptr;
        for (auto& entry : list) {
            entry->sInternalparams.clear(bit);
            if (previous && entry->hash == previousHash) {
                entry->sInternalparams.set(bit);
                previous->sInternalparams.set(bit);
            }
            previousHash = entry->hash;
            previous = entry.get();
        }
    }
}

bool matchesPredicate(const tSkyStr& entry, tStringPredicate predicate,
                      const std::function<bool(const tSkyStr&)>& isSelected) {
    switch (predicate) {
    case tStringPredicate::all:
        return true;
    case tStringPredicate::notTranslated:
        return !entry.hasParam(sStrParam::translated);
    case tStringPredicate::notTranslatedNorValidated:
        return !entry.hasParam(sStrParam::translated) && !entry.hasParam(sStrParam::validated);
    case tStringPredicate::incomplete:
        return entry.hasParam(sStrParam::incompleteTrans);
    case tStringPredicate::selected:
        return isSelected && isSelected(entry);
    }
    return false;
}

// A table set of a million strings holds a million entries: one more member is 16 bytes more each.
static_assert(sizeof(void*) != 8 || sizeof(tSkyStr) <= 120, "an entry no longer fits a 128-byte block");
