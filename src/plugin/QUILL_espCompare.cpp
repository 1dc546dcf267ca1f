// Pairing a plugin's string fields with an older version's and carrying the older texts over.
#include "plugin/QUILL_espCompare.h"

#include <algorithm>

namespace {

QString olderText(const tField& field, const rCodepage& codepage) {
    // The whole data, terminating zero included: the entry's setter drops trailing zero characters.
    return decodeText(field.buffer.view(), codepage);
}

} // namespace

void sortCompareRecords(tCompareRecordList& list) {
    std::stable_sort(list.begin(), list.end(),
                     [](const auto& a, const auto& b) { return a->headerData.formID < b->headerData.formID; });
}

trecord* findCompareRecord(const tCompareRecordList& list, uint32_t formID) {
    const auto it = std::lower_bound(list.begin(), list.end(), formID,
                                     [](const auto& r, uint32_t id) { return r->headerData.formID < id; });
    return it != list.end() && (*it)->headerData.formID == formID ? it->get() : nullptr;
}

int carryOverRecord(trecord& record, trecord& older, const rCodepage& codepage, const tCarryOverFilter& accepts) {
    int taken = 0;
    for (const tField& field : record.fList) {
        tSkyStr* entry = field.sk;
        if (!entry) continue;
        tField* match = nullptr;
        for (tField& candidate : older.fList) {
            if (candidate.header.name == field.header.name && candidate.params.has(sfieldParam::isString) &&
                !candidate.params.has(sfieldParam::compared)) {
                match = &candidate;
                break;
            }
        }
        if (!match) continue;
        match->params.set(sfieldParam::compared);
        if (accepts && !accepts(*entry)) continue;
        entry->setSTrans(olderText(*match, codepage));
        entry->resetStatus({sStrParam::incompleteTrans}, {sStrParam::validated});
        if (field.rIndex.indexMax > 0) entry->sInternalparams.set(sStrInternalParam::Warning);
        if (field.rIndex.indexMax != match->rIndex.indexMax) entry->sInternalparams.set(sStrInternalParam::bigWarning);
        ++taken;
    }
    return taken;
}

int carryOverTranslations(tPluginTree& tree, const tCompareRecordList& older, const rCodepage& codepage,
                          const tCarryOverFilter& accepts) {
    int taken = 0;
    if (older.empty()) return 0;
    tree.forEach([&](tPluginNode& node) {
        trecord* r = node.record();
        if (!r) return;
        if (trecord* o = findCompareRecord(older, r->headerData.formID))
            taken += carryOverRecord(*r, *o, codepage, accepts);
    });
    return taken;
}

QStringList olderFieldTexts(const trecord& older, sHeaderSig field, const rCodepage& codepage) {
    QStringList texts;
    for (const tField& f : older.fList) {
        if (f.header.name != field || !f.params.has(sfieldParam::isString)) continue;
        QString text = olderText(f, codepage);
        while (text.endsWith(QChar(u'\0')))
            text.chop(1);
        texts << text;
    }
    return texts;
}
