// The translation passes over one list: exact matching by source text against a sorted source list, and matching
// by reference (plugin field or string id) against a dictionary's references; the overwrite filter.
#pragma once

#include "core/QUILL_main.h"
#include "strings/QUILL_typedef.h"

#include <functional>
#include <vector>

// Source hashes with a fixed translation: one space, and the empty text.
constexpr uint32_t kSingleSpaceHash = 0x250C8F7Fu;
constexpr uint32_t kEmptyTextHash = 0x811C9DC5u;

// The overwrite choice, as its index in the dialogs (0 "overwrite_All" ... 4 "overwrite_Selection").
tStringPredicate overwriteFilter(int choice);
// The option keys of the five choices and of the two apply modes, in index order.
QStringList overwriteChoiceKeys();
QStringList applyModeKeys();

// How a document's entries are matched with a dictionary's references: by plugin field (form id, EDID hash, field
// signature, field index), by string id (a table set), or not at all.
enum class TReferenceKey : uint8_t { none, pluginField, stringId };

// What a pass needs beside the lists.
struct rPassContext {
    bool sameLanguage = false; // SourceLang equals DestLang, ignoring case
    TReferenceKey references = TReferenceKey::none;
    tStringPredicate filter = tStringPredicate::all;
    std::function<bool(const tSkyStr&)> isSelected; // for the "selection" filter
    std::function<void(int)> progress;              // gets a running counter, every 1000 entries
    int counter = 0;

    bool accepts(const tSkyStr& entry) const;
    void step();
};

// Exact pass of one list: each accepted target whose status is (or becomes, once nTrans is dropped) empty takes
// the translation of the first entry of `source` (sorted byHashAndSource-first) with its source; returns the
// number left untranslated.
int exactMatch(const tSkyStrList& source, tSkyStrList& target, bool search, rPassContext& context);

// A signature as its four bytes read as one little-endian number (the order references sort by).
uint32_t signatureKey(const sHeaderSig& sig);

// What a matched reference does to its target: warnings and nTrans cleared, incompleteTrans from the dictionary
// entry or else translated added (other status kept), its translation through the full setter, LD reset.
void takeTranslationFrom(tSkyStr& target, const tSkyStr& dictionaryEntry);

// The key order of references: for a plugin document (form id, EDID hash, field signature, field index); for
// string tables the string id alone. Returns false without a key (nothing to match).
bool sortReferences(std::vector<tEspStrRef>& references, TReferenceKey key);
// Reference pass of one list; `references` must be sorted with sortReferences for the context's key.
void referenceMatch(const std::vector<tEspStrRef>& references, tSkyStrList& target, bool edidOnly,
                    rPassContext& context);
