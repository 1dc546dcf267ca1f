// Reading a plugin's objects: bounded header reads, nested groups and the records inside them.
#include "plugin/QUILL_espReader.h"

#include "core/QUILL_cursor.h"
#include "core/QUILL_main.h"

namespace {

rGenericHeader readGenericHeader(TBinaryCursor& stream) {
    const QByteArrayView head = stream.view(8);
    rGenericHeader gh;
    gh.name = sHeaderSig::fromBytes(head.data());
    TBinaryCursor size(head.sliced(4));
    gh.dsize = size.u32le();
    return gh;
}

rGenericHeaderData readRecordTail(TBinaryCursor& stream) {
    rGenericHeaderData d;
    d.flags = stream.u32le();
    d.formID = stream.u32le();
    d.Version = stream.u32le();
    d.fVersion = stream.u16le();
    d.vInfo = stream.u16le();
    return d;
}

rGrupheader readGroupTail(TBinaryCursor& stream) {
    rGrupheader h;
    h.sIdent = stream.u32le();
    h.sType = stream.u32le();
    h.sTStamp = stream.u16le();
    h.param1 = stream.u16le();
    h.param2 = stream.u16le();
    h.param3 = stream.u16le();
    return h;
}

[[noreturn]] void inconsistent(qsizetype at) {
    throw TQuillError(QStringLiteral("Inconsistent group or record size at offset %1").arg(at));
}

// The context with a budget for this file, unless the caller gave one.
struct rBudgetedContext {
    rBudgetedContext(const rPluginReadContext& given, qsizetype fileSize) : budget(fileSize), ctx(given) {
        if (!ctx.budget) ctx.budget = &budget;
    }
    TPluginReadBudget budget;
    rPluginReadContext ctx;
};

} // namespace

int readPluginHeader(TBinaryCursor& stream, tPluginTree* addTo, const rPluginReadContext& ctx) {
    if (stream.size() == 0) return -1;
    try {
        stream.seek(0);
        const rGenericHeader gh = readGenericHeader(stream);
        if (gh.name != kSigTES4) return -1;
        const rGenericHeaderData tail = readRecordTail(stream);
        const int localized = (tail.flags & kRecordFlagLocalized) ? 1 : 0;
        if (addTo) {
            auto record = std::make_unique<trecord>(gh);
            record->headerData = tail;
            const rBudgetedContext budgeted(ctx, stream.size());
            record->assignData(TSharedBytes(addTo->fileData, stream.view(gh.dsize)), budgeted.ctx);
            trecord* r = record.get();
            r->espRec = addTo->root.append(std::move(record));
        } else {
            stream.seek(kObjectHeaderSize + static_cast<qsizetype>(gh.dsize));
        }
        return localized;
    } catch (const TQuillError&) {
        if (addTo) addTo->root.children.clear();
        return -1;
    }
}

void readPluginTree(TBinaryCursor& stream, tPluginTree& tree, bool keepAll, const rPluginReadContext& given) {
    const rBudgetedContext budgeted(given, stream.size());
    const rPluginReadContext& ctx = budgeted.ctx;
    tPluginNode* parent = &tree.root;
    int depth = 0;
    int64_t groupEnd = 0;
    qsizetype objects = 0;
    while (!stream.atEnd()) {
        const qsizetype start = stream.pos();
        if (start == groupEnd) {
            while (parent->grup() && parent->grup()->endPos == start) {
                parent = parent->parent;
                --depth;
            }
            groupEnd = parent->grup() ? parent->grup()->endPos : 0;
        }
        const rGenericHeader gh = readGenericHeader(stream);
        if (gh.name == kSigGRUP) {
            const int64_t end = start + static_cast<int64_t>(gh.dsize);
            // A group must hold at least its header and lie inside the file and its parent group: otherwise it
            // could never close, and writing it back would change its size.
            if (gh.dsize < kObjectHeaderSize || end > stream.size() || (groupEnd != 0 && end > groupEnd))
                inconsistent(start);
            if (depth >= kMaxGroupDepth)
                throw TQuillError(ctx.app ? ctx.app->uiTextFormat(QStringLiteral("Fbk_PluginTooDeep"), {start})
                                          : QStringLiteral("Fbk_PluginTooDeep"));
            auto group = std::make_unique<tGrup>(gh);
            group->setData(readGroupTail(stream), end);
            parent = parent->append(std::move(group));
            ++depth;
            groupEnd = end;
        } else {
            if (groupEnd != 0 && start + kObjectHeaderSize + static_cast<int64_t>(gh.dsize) > groupEnd)
                inconsistent(start);
            auto record = std::make_unique<trecord>(gh);
            record->headerData = readRecordTail(stream);
            record->assignData(TSharedBytes(tree.fileData, stream.view(gh.dsize)), ctx);
            // A localized plugin keeps only the records that hold string ids.
            if (keepAll || record->pruneForLocalized()) {
                record->computeFieldIndices();
                trecord* r = record.get();
                r->espRec = parent->append(std::move(record));
            }
        }
        if (++objects % 50 == 0 && ctx.progress) ctx.progress(stream.pos());
    }
}

void readPluginRecords(TBinaryCursor& stream, const QByteArray& bytes, tPluginTree& tree,
                       const rPluginReadContext& given) {
    const rBudgetedContext budgeted(given, stream.size());
    const rPluginReadContext& ctx = budgeted.ctx;
    qsizetype objects = 0;
    while (!stream.atEnd()) {
        const rGenericHeader gh = readGenericHeader(stream);
        if (gh.name == kSigGRUP) {
            readGroupTail(stream);
        } else {
            auto record = std::make_unique<trecord>(gh);
            record->headerData = readRecordTail(stream);
            record->assignData(TSharedBytes(bytes, stream.view(gh.dsize)), ctx);
            if (record->pruneNonStrings()) {
                // The records keep only their texts, in bytes of their own: the file they came from can go.
                record->sourceData.clear();
                for (tField& field : record->fList)
                    field.buffer = field.buffer.detached();
                tree.compareRecordList.push_back(std::move(record));
            }
        }
        if (++objects % 50 == 0 && ctx.progress) ctx.progress(stream.pos());
    }
}

namespace {

// Returns whether some record below the node is not raw.
bool markGroups(tPluginNode& node, bool hide) {
    bool any = false;
    for (auto& child : node.children) {
        if (tGrup* g = child->grup()) {
            g->grupString = markGroups(*child, hide);
            child->hidden = hide && !g->grupString;
            any = any || g->grupString;
        } else if (const trecord* r = child->record()) {
            any = any || !r->rawRec;
        }
    }
    return any;
}

} // namespace

void markStringGroups(tPluginTree& tree, bool hide) {
    markGroups(tree.root, hide);
}
