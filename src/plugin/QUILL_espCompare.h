// Plugin compare: the string fields of the loaded plugin's records paired with those of an older, translated
// version of the plugin (by form id, then by signature and order), and the older texts taken as translations.
#pragma once

#include "plugin/QUILL_espTree.h"
#include "strings/QUILL_codepage.h"

#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

// The code page the older plugin's texts are decoded with: the one of the last compare.
class tespCompareCodepage {
public:
    rCodepage codepage;
    void assignCodepage(const rCodepage& from) { codepage = from; }
};

using tCompareRecordList = std::vector<std::unique_ptr<trecord>>;

// Sorts the older records by form id (unsigned); records with the same form id keep their file order.
void sortCompareRecords(tCompareRecordList& list);
// The first record with `formID` in a list sorted by sortCompareRecords, or null.
trecord* findCompareRecord(const tCompareRecordList& list, uint32_t formID);

// Decides whether an entry may take an older text (the overwrite filter).
using tCarryOverFilter = std::function<bool(const tSkyStr&)>;

// Each string field of `record` that has an entry takes the first field of `older` with its signature that is a
// string and not yet `compared`; that older field is marked `compared` (used up) whether or not the filter lets
// the entry take its text. An accepted entry gets the decoded older text as its translation, the status partial
// (not validated, not translated), `Warning` when its field repeats in the record and `bigWarning` when the
// number of such fields differs from the older record's. Returns the number of entries that took a text.
int carryOverRecord(trecord& record, trecord& older, const rCodepage& codepage, const tCarryOverFilter& accepts);

// carryOverRecord for every record of the tree, in tree order, that has a record of the same form id in `older`
// (sorted by sortCompareRecords). Returns the number of entries that took a text.
int carryOverTranslations(tPluginTree& tree, const tCompareRecordList& older, const rCodepage& codepage,
                          const tCarryOverFilter& accepts);

// The texts of the string fields of `older` with the signature `field`, in order, decoded and without trailing
// zero characters (the edit dialog's compare page).
QStringList olderFieldTexts(const trecord& older, sHeaderSig field, const rCodepage& codepage);
