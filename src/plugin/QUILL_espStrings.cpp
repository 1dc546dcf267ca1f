// Plugin strings: inline texts, string ids, orphans and shared ids, and translations written back into fields.
#include "plugin/QUILL_espStrings.h"

#include "core/QUILL_main.h"
#include "plugin/QUILL_espDefinition.h"

#include <QHash>
#include <QVariant>
#include <algorithm>

namespace {

// The size reference of each (record, field) pair, looked up once per pair: the lookup builds and compares texts.
class TFieldSizeCache {
public:
    explicit TFieldSizeCache(const TRecordDefinitions& defs) : defs_(defs) {}
    void assign(sHeaderSig recordSig, tField& field) {
        const uint64_t key = (static_cast<uint64_t>(recordSig.asUint()) << 32) | field.header.name.asUint();
        const auto it = known_.constFind(key);
        if (it != known_.constEnd()) {
            field.maxStrSize = it->first;
            field.hasCR = it->second;
            return;
        }
        defs_.assignFieldSizeRef(recordSig, field);
        known_.insert(key, {field.maxStrSize, field.hasCR});
    }

private:
    const TRecordDefinitions& defs_;
    QHash<uint64_t, std::pair<int, bool>> known_;
};

} // namespace

rPluginStringCounts collectInlineStrings(tPluginTree& tree, tListSet& lists, const rCodepage& codepage,
                                         const TRecordDefinitions& defs) {
    rPluginStringCounts counts;
    TFieldSizeCache sizes(defs);
    uint32_t id = 0;
    tree.forEach([&](tPluginNode& node) {
        trecord* r = node.record();
        if (!r) return;
        bool counted = false;
        for (tField& field : r->fList) {
            if (!field.params.has(sfieldParam::isString)) continue;
            if (!counted) {
                ++counts.records;
                counted = true;
            }
            ++counts.fields;
            auto entry = std::make_unique<tSkyStr>(decodeText(field.buffer.view(), codepage), QString(),
                                                   std::min<int>(field.listIndex, 2), ++id, 99, sStrParams{},
                                                   sStrInternalParams{}, nullptr, true);
            entry->AssignEspdata(r, &field);
            field.sk = entry.get();
            sizes.assign(r->header.name, field);
            lists[entry->listIndex].push_back(std::move(entry));
        }
    });
    return counts;
}

rPluginStringCounts collectStringRefs(tPluginTree& tree, tListSet& lists, const TRecordDefinitions& defs) {
    rPluginStringCounts counts;
    TFieldSizeCache sizes(defs);
    tree.forEach([&](tPluginNode& node) {
        trecord* r = node.record();
        if (!r) return;
        for (size_t i = r->fList.size(); i-- > 0;) {
            tField& field = r->fList[i];
            if (!field.params.has(sfieldParam::isString) || field.buffer.size() < 4) continue;
            const auto* b = reinterpret_cast<const uint8_t*>(field.buffer.constData());
            const uint32_t id = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
            if (id == 0) continue;
            const int list = std::min<int>(field.listIndex, 2);
            auto entry = std::make_unique<tSkyStr>(QString(), QString(), list, id, 99);
            entry->AssignEspdata(r, &field);
            field.sk = entry.get();
            ++counts.records;
            ++counts.fields;
            sizes.assign(r->header.name, field);
            lists[list].push_back(std::move(entry));
        }
    });
    return counts;
}

rOrphanSharedCounts resolveOrphansAndShared(TAppContext& app, tListSet& lists, tSkyStrList& sharedIdList) {
    rOrphanSharedCounts counts;
    const QString placeholder = QStringLiteral("<PlaceHolder_Lookup>");
    for (tSkyStrList& list : lists) {
        for (qsizetype i = static_cast<qsizetype>(list.size()) - 1; i >= 0; --i) {
            tSkyStr& e = *list[static_cast<size_t>(i)];
            if (e.hasFlag(sStrInternalParam::isOrphean)) continue;
            if (e.hasFlag(sStrInternalParam::toLocalizedSharedID)) {
                ++counts.sharedEntries;
                app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_SharedFields"), {e.gS}));
            }
            if (!e.hasFlag(sStrInternalParam::toLocalizedEsp)) {
                if (!e.hasFlag(sStrInternalParam::isDeleted)) {
                    ++counts.orphanFields;
                    app.logMessage(
                        app.uiTextFormat(QStringLiteral("Fbk_RecOrphean"), {QVariant::fromValue(e.id), e.getEspRef()}));
                }
                e.setS(placeholder);
            }
            if (e.hasFlag(sStrInternalParam::isDeleted)) {
                std::unique_ptr<tSkyStr> owned = std::move(list[static_cast<size_t>(i)]);
                list.erase(list.begin() + i);
                const tSkyStr* owner = owned->isEspAssigned() ? owned->esp.field->sk : nullptr;
                if (owner && owner != owned.get() && owner->hasFlag(sStrInternalParam::toLocalizedSharedID)) {
                    owned->sInternalparams.clear(sStrInternalParam::isDeleted);
                    sharedIdList.push_back(std::move(owned));
                } else if (owned->isEspAssigned() && owned->esp.field->sk == owned.get()) {
                    owned->esp.field->sk = nullptr;
                }
            }
        }
    }
    std::stable_sort(sharedIdList.begin(), sharedIdList.end(),
                     [](const auto& a, const auto& b) { return a->id < b->id; });
    return counts;
}

std::vector<tSkyStr*> sharedChildrenOf(const tSkyStrList& sharedIdList, const tSkyStr& owner) {
    std::vector<tSkyStr*> out;
    const rFindResult hit = findSorted(sharedIdList, skycompare::byId, owner, true);
    if (!hit.found) return out;
    for (size_t i = static_cast<size_t>(hit.index); i < sharedIdList.size() && sharedIdList[i]->id == owner.id; ++i)
        out.push_back(sharedIdList[i].get());
    return out;
}

void encodeTranslations(tListSet& lists, const rCodepage& codepage, bool keepWhenSame) {
    tFieldEncoder encode;
    if (!codepage.isForceDeloc()) {
        encode = [&codepage](const QString& text) {
            QByteArray bytes = encodeText(text, codepage);
            bytes.append('\0');
            return bytes;
        };
    }
    for (tSkyStrList& list : lists)
        for (const auto& e : list)
            if (e->isEspAssigned()) e->esp.field->updateBuffer(e->gS, e->gTrans, encode, keepWhenSame);
}
