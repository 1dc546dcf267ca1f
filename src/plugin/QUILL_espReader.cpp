// Reading a plugin's objects: bounded header reads, nested groups and the records inside them.
#include "plugin/QUILL_espReader.h"

#include "core/QUILL_cursor.h"
#include "core/QUILL_main.h"
#include "core/QUILL_parallel.h"

#include <QtEndian>
#include <cstring>

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

namespace {

// Reads objects into a tree from the cursor's position up to `limit`, below `top` and the groups open in it.
class TTreeReader {
public:
    // `owner` holds the bytes the cursors read, which the records share (through a block of this reader's own, so
    // that two readers at once count their parts apart).
    TTreeReader(const QByteArray& owner, tPluginNode& top, bool keepAll, const rPluginReadContext& ctx)
        : whole_(owner, owner), parent_(&top), keepAll_(keepAll), ctx_(ctx) {}

    // Reads on inside `group` (made a child of the present parent), which stays open until its end.
    tPluginNode* openGroup(std::unique_ptr<tGrup> group) {
        groupEnd_ = group->endPos;
        parent_ = parent_->append(std::move(group));
        ++depth_;
        return parent_;
    }

    void read(TBinaryCursor& stream, qsizetype limit) {
        qsizetype objects = 0;
        while (stream.pos() < limit) {
            const qsizetype start = stream.pos();
            if (start == groupEnd_) {
                while (parent_->grup() && parent_->grup()->endPos == start) {
                    parent_ = parent_->parent;
                    --depth_;
                }
                groupEnd_ = parent_->grup() ? parent_->grup()->endPos : 0;
            }
            const rGenericHeader gh = readGenericHeader(stream);
            if (gh.name == kSigGRUP) {
                const int64_t end = start + static_cast<int64_t>(gh.dsize);
                // A group must hold at least its header and lie inside the file and its parent group: otherwise it
                // could never close, and writing it back would change its size.
                if (gh.dsize < kObjectHeaderSize || end > stream.size() || (groupEnd_ != 0 && end > groupEnd_))
                    inconsistent(start);
                if (depth_ >= kMaxGroupDepth)
                    throw TQuillError(ctx_.app ? ctx_.app->uiTextFormat(QStringLiteral("Fbk_PluginTooDeep"), {start})
                                               : QStringLiteral("Fbk_PluginTooDeep"));
                auto group = std::make_unique<tGrup>(gh);
                group->setData(readGroupTail(stream), end);
                openGroup(std::move(group));
            } else {
                if (groupEnd_ != 0 && start + kObjectHeaderSize + static_cast<int64_t>(gh.dsize) > groupEnd_)
                    inconsistent(start);
                auto record = std::make_unique<trecord>(gh);
                record->headerData = readRecordTail(stream);
                record->assignData(whole_.part(stream.view(gh.dsize)), ctx_);
                // A localized plugin keeps only the records that hold string ids.
                if (keepAll_ || record->pruneForLocalized()) {
                    record->computeFieldIndices();
                    if (keepAll_ && !ctx_.keepEveryField) record->collapseOpaqueFields();
                    trecord* r = record.get();
                    r->espRec = parent_->append(std::move(record));
                }
            }
            if (++objects % 50 == 0 && ctx_.progress) ctx_.progress(stream.pos());
        }
    }

private:
    const TSharedBytes whole_;
    tPluginNode* parent_;
    int depth_ = 0;
    int64_t groupEnd_ = 0;
    bool keepAll_;
    const rPluginReadContext& ctx_;
};

// Where a read from `from` may be cut in two for two threads: the start of an object near the middle of the bytes,
// with the groups that enclose it (their starts, outermost first). Nothing when the objects up to there are not
// all whole (the read in one piece reports that) or the cut would leave one side empty.
struct rSplit {
    qsizetype at = -1;
    std::vector<qsizetype> groups;
};

rSplit findSplit(QByteArrayView bytes, qsizetype from) {
    rSplit split;
    const qsizetype mid = from + (bytes.size() - from) / 2;
    qsizetype pos = from;
    qsizetype end = bytes.size();
    while (true) {
        if (pos + kObjectHeaderSize > end) return {};
        uint32_t dsize;
        std::memcpy(&dsize, bytes.data() + pos + 4, 4);
        dsize = qFromLittleEndian(dsize);
        const bool group = sHeaderSig::fromBytes(bytes.data() + pos) == kSigGRUP;
        if (group && dsize < kObjectHeaderSize) return {};
        const qsizetype objectEnd = pos + static_cast<qsizetype>(dsize) + (group ? 0 : kObjectHeaderSize);
        if (objectEnd > end) return {};
        if (objectEnd <= mid) {
            pos = objectEnd;
        } else if (group && pos + kObjectHeaderSize < mid &&
                   static_cast<int>(split.groups.size()) + 1 < kMaxGroupDepth) {
            split.groups.push_back(pos);
            end = objectEnd;
            pos += kObjectHeaderSize;
        } else {
            break;
        }
    }
    if (pos <= from) return {};
    split.at = pos;
    return split;
}

// Moves the children of `from` after those of `to`.
void moveChildren(tPluginNode& from, tPluginNode& to, size_t skip) {
    for (size_t i = skip; i < from.children.size(); ++i) {
        tPluginNode* node = to.children.emplace_back(std::move(from.children[i])).get();
        node->parent = &to;
        node->row = static_cast<int>(to.children.size()) - 1;
    }
    from.children.clear();
}

} // namespace

void readPluginTree(TBinaryCursor& stream, tPluginTree& tree, bool keepAll, const rPluginReadContext& given) {
    const rBudgetedContext budgeted(given, stream.size());
    const rPluginReadContext& ctx = budgeted.ctx;
    const qsizetype from = stream.pos();
    const rSplit split = stream.size() - from >= ctx.splitFrom && std::thread::hardware_concurrency() > 1
                             ? findSplit(stream.data(), from)
                             : rSplit{};
    if (split.at < 0) {
        TTreeReader(tree.fileData, tree.root, keepAll, ctx).read(stream, stream.size());
        return;
    }
    // The objects before the cut are read here, the rest on a worker thread below stand-ins for the groups open at
    // the cut; the stand-ins' children then join the real groups. Only this thread reports progress (its share,
    // scaled to the whole); the worker's records that do not inflate are reported after both finish, in file order.
    rPluginReadContext here = ctx;
    if (ctx.progress)
        here.progress = [&](qsizetype position) {
            const double share = static_cast<double>(position - from) / static_cast<double>(split.at - from);
            ctx.progress(from + static_cast<qsizetype>(share * static_cast<double>(stream.size() - from)));
        };
    std::vector<std::unique_ptr<trecord>> failed;
    rPluginReadContext there = ctx;
    there.progress = nullptr;
    if (ctx.inflateFailed)
        there.inflateFailed = [&failed](const trecord& r) {
            // What the report names: the record as it was when it failed.
            auto copy = std::make_unique<trecord>(r.header);
            copy->headerData = r.headerData;
            copy->compressed = r.compressed;
            copy->rawRec = r.rawRec;
            failed.push_back(std::move(copy));
        };
    tPluginNode standIn;
    const auto reportFailed = [&] {
        for (const auto& r : failed)
            ctx.inflateFailed(*r);
    };
    bool hereFailed = false; // then the read in one piece would not have reached the worker's records
    try {
        runSideBySide(
            true,
            [&] {
                try {
                    TTreeReader(tree.fileData, tree.root, keepAll, here).read(stream, split.at);
                } catch (...) {
                    hereFailed = true;
                    throw;
                }
            },
            [&] {
                TBinaryCursor rest(stream.data());
                TTreeReader reader(tree.fileData, standIn, keepAll, there);
                for (const qsizetype start : split.groups) {
                    rest.seek(start);
                    const rGenericHeader gh = readGenericHeader(rest);
                    auto group = std::make_unique<tGrup>(gh);
                    group->setData(readGroupTail(rest), start + static_cast<int64_t>(gh.dsize));
                    reader.openGroup(std::move(group));
                }
                rest.seek(split.at);
                reader.read(rest, rest.size());
            });
    } catch (...) {
        if (!hereFailed) reportFailed();
        throw;
    }
    reportFailed();
    // The groups open at the cut are the last child at each depth below the root, here and among the stand-ins.
    std::vector<tPluginNode*> real{&tree.root}, standIns{&standIn};
    for (size_t i = 0; i < split.groups.size(); ++i) {
        real.push_back(real.back()->children.back().get());
        standIns.push_back(standIns.back()->children.front().get());
    }
    for (size_t i = split.groups.size() + 1; i-- > 0;)
        moveChildren(*standIns[i], *real[i], i < split.groups.size() ? 1 : 0);
    stream.seek(stream.size());
}

void readPluginRecords(TBinaryCursor& stream, const QByteArray& bytes, tPluginTree& tree,
                       const rPluginReadContext& given) {
    const rBudgetedContext budgeted(given, stream.size());
    const rPluginReadContext& ctx = budgeted.ctx;
    const TSharedBytes whole(bytes, bytes);
    qsizetype objects = 0;
    while (!stream.atEnd()) {
        const rGenericHeader gh = readGenericHeader(stream);
        if (gh.name == kSigGRUP) {
            readGroupTail(stream);
        } else {
            auto record = std::make_unique<trecord>(gh);
            record->headerData = readRecordTail(stream);
            record->assignData(whole.part(stream.view(gh.dsize)), ctx);
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
