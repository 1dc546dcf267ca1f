// The edit history and the recorder of entry changes.
#include "workspace/QUILL_history.h"

rEntryState rEntryState::of(const tSkyStr& entry) {
    return {entry.gTrans, entry.hashTrans, entry.sparams, entry.sInternalparams, entry.LDResult, entry.LDFound};
}

void rEntryState::applyTo(tSkyStr& entry) const {
    entry.gTrans = translation;
    entry.hashTrans = translationHash;
    entry.sparams = status;
    entry.sInternalparams = flags;
    entry.LDResult = LDResult;
    entry.LDFound = LDFound;
}

bool rEntryState::operator==(const rEntryState& other) const {
    return status == other.status && flags == other.flags && translationHash == other.translationHash &&
           LDFound == other.LDFound && LDResult == other.LDResult && translation == other.translation;
}

void TEditHistory::push(TEditStep step) {
    steps_.resize(position_);
    if (savedPosition_ > static_cast<qsizetype>(position_)) savedPosition_ = -1;
    steps_.push_back(std::move(step));
    ++position_;
}

QString TEditHistory::undoName() const {
    return canUndo() ? steps_[position_ - 1].name : QString();
}

QString TEditHistory::redoName() const {
    return canRedo() ? steps_[position_].name : QString();
}

const TEditStep* TEditHistory::undo() {
    if (!canUndo()) return nullptr;
    const TEditStep& step = steps_[--position_];
    // Backwards, so that an entry changed twice in one step ends as it was first.
    for (auto it = step.changes.rbegin(); it != step.changes.rend(); ++it)
        it->before.applyTo(*it->entry);
    return &step;
}

const TEditStep* TEditHistory::redo() {
    if (!canRedo()) return nullptr;
    const TEditStep& step = steps_[position_++];
    for (const rEntryChange& change : step.changes)
        change.after.applyTo(*change.entry);
    return &step;
}

void TEditHistory::clear() {
    steps_.clear();
    position_ = 0;
    savedPosition_ = 0;
}

void TEntryRecorder::addAll(const tListSet& lists, const tSkyStrList& shared) {
    size_t total = shared.size();
    for (const tSkyStrList& list : lists)
        total += list.size();
    before_.reserve(before_.size() + total);
    for (const tSkyStrList& list : lists)
        for (const auto& entry : list)
            before_.emplace_back(entry.get(), rEntryState::of(*entry));
    for (const auto& entry : shared)
        before_.emplace_back(entry.get(), rEntryState::of(*entry));
    all_ = true;
}

void TEntryRecorder::add(tSkyStr* entry) {
    if (!entry || all_ || taken_.contains(entry)) return;
    taken_.insert(entry);
    before_.emplace_back(entry, rEntryState::of(*entry));
}

std::vector<rEntryChange> TEntryRecorder::changes() const {
    std::vector<rEntryChange> out;
    for (const auto& [entry, before] : before_) {
        rEntryState after = rEntryState::of(*entry);
        if (!(after == before)) out.push_back({entry, before, std::move(after)});
    }
    return out;
}
