#include "workspace/QUILL_problemTable.h"

#include <algorithm>
#include <bit>
#include <functional>

using quillcheck::rProblem;

namespace {

// Entry addresses are aligned: the low bits carry nothing, and a multiplication spreads the rest over the top bits
// the index is taken from.
size_t slotOf(const tSkyStr* p, size_t mask) {
    const uint64_t h = static_cast<uint64_t>(std::hash<const tSkyStr*>{}(p)) * 0x9E3779B97F4A7C15ull;
    return static_cast<size_t>(h >> 32) & mask;
}

} // namespace

size_t TProblemTable::probe(const tSkyStr* entry, bool& found) const {
    const size_t mask = slots_.size() - 1;
    size_t i = slotOf(entry, mask);
    size_t firstRemoved = SIZE_MAX;
    for (;; i = (i + 1) & mask) {
        const rSlot& slot = slots_[i];
        if (slot.entry == entry) {
            found = true;
            return i;
        }
        if (isRemoved(slot)) {
            if (firstRemoved == SIZE_MAX) firstRemoved = i;
        } else if (slot.entry == nullptr) {
            found = false;
            return firstRemoved != SIZE_MAX ? firstRemoved : i;
        }
    }
}

std::span<const rProblem> TProblemTable::find(const tSkyStr* entry) const {
    if (count_ == 0) return {};
    bool found = false;
    const size_t i = probe(entry, found);
    if (!found) return {};
    return {pool_.data() + slots_[i].first, slots_[i].count};
}

std::span<rProblem> TProblemTable::findMutable(const tSkyStr* entry) {
    if (count_ == 0) return {};
    bool found = false;
    const size_t i = probe(entry, found);
    if (!found) return {};
    return {pool_.data() + slots_[i].first, slots_[i].count};
}

void TProblemTable::set(const tSkyStr* entry, std::span<const rProblem> problems) {
    // Problems taken from the table itself are copied first: the pool may move under them.
    if (!problems.empty() && !pool_.empty() && problems.data() >= pool_.data() &&
        problems.data() < pool_.data() + pool_.size()) {
        const std::vector<rProblem> copy(problems.begin(), problems.end());
        set(entry, copy);
        return;
    }
    if (slots_.empty()) {
        if (problems.empty()) return;
        rehash(16);
    }
    bool found = false;
    size_t i = probe(entry, found);
    if (found) {
        rSlot& slot = slots_[i];
        // The same number of problems or fewer: written over the old run.
        if (problems.size() <= slot.count && !problems.empty()) {
            std::copy(problems.begin(), problems.end(), pool_.begin() + slot.first);
            std::fill(pool_.begin() + slot.first + static_cast<ptrdiff_t>(problems.size()),
                      pool_.begin() + slot.first + slot.count, rProblem{});
            stale_ += slot.count - problems.size();
            slot.count = static_cast<uint32_t>(problems.size());
            return;
        }
        stale_ += slot.count;
        std::fill(pool_.begin() + slot.first, pool_.begin() + slot.first + slot.count, rProblem{});
        if (problems.empty()) {
            slot = {nullptr, kRemoved, 0};
            --count_;
            ++removed_;
            if (stale_ > 4096 && stale_ > pool_.size() / 2) compact();
            return;
        }
    } else {
        if (problems.empty()) return;
        if ((count_ + removed_ + 1) * 4 > slots_.size() * 3) {
            // Removed slots are dropped by the rehash; the table doubles only when the entries alone need it.
            rehash((count_ + 1) * 2 > slots_.size() ? slots_.size() * 2 : slots_.size());
            i = probe(entry, found);
        }
        if (isRemoved(slots_[i])) --removed_;
        slots_[i].entry = entry;
        ++count_;
    }
    slots_[i].first = static_cast<uint32_t>(pool_.size());
    slots_[i].count = static_cast<uint32_t>(problems.size());
    pool_.insert(pool_.end(), problems.begin(), problems.end());
    if (stale_ > 4096 && stale_ > pool_.size() / 2) compact();
}

void TProblemTable::clear() {
    slots_.clear();
    pool_.clear();
    count_ = removed_ = stale_ = 0;
}

void TProblemTable::reserve(size_t entries, size_t problems) {
    const size_t wanted = std::bit_ceil(std::max<size_t>(16, (entries * 4 + 2) / 3 + 1));
    if (wanted > slots_.size()) rehash(wanted);
    pool_.reserve(problems);
}

void TProblemTable::rehash(size_t slotCount) {
    std::vector<rSlot> old = std::exchange(slots_, std::vector<rSlot>(slotCount));
    removed_ = 0;
    const size_t mask = slotCount - 1;
    for (const rSlot& s : old) {
        if (!isEntry(s.entry)) continue;
        size_t i = slotOf(s.entry, mask);
        while (isEntry(slots_[i].entry))
            i = (i + 1) & mask;
        slots_[i] = s;
    }
}

void TProblemTable::compact() {
    std::vector<rProblem> pool;
    pool.reserve(pool_.size() - stale_);
    for (rSlot& s : slots_) {
        if (!isEntry(s.entry)) continue;
        const auto from = pool_.begin() + s.first;
        s.first = static_cast<uint32_t>(pool.size());
        pool.insert(pool.end(), std::make_move_iterator(from), std::make_move_iterator(from + s.count));
    }
    pool_ = std::move(pool);
    stale_ = 0;
}
