// The quality checks' problems by entry: one pool of problems and one open-addressing index from entry to its run of
// the pool. A run over a million strings stores a million problems with no allocation per entry; an entry's problems
// replaced leave their old run behind until the pool is compacted.
#pragma once

#include "aids/QUILL_checks.h"

#include <cstdint>
#include <span>
#include <vector>

class tSkyStr;

class TProblemTable {
public:
    // The entry's problems, none when it has none. Valid until the table next changes.
    std::span<const quillcheck::rProblem> find(const tSkyStr* entry) const;
    std::span<quillcheck::rProblem> findMutable(const tSkyStr* entry);
    // Replaces the entry's problems; none removes the entry.
    void set(const tSkyStr* entry, std::span<const quillcheck::rProblem> problems);
    void erase(const tSkyStr* entry) { set(entry, {}); }
    void clear();
    // Room for `entries` entries holding `problems` problems without growing.
    void reserve(size_t entries, size_t problems);
    // The entries with problems.
    size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }

    // Every entry with its problems, in no particular order; `visit` may change the problems but not the table.
    template <typename Visit> void forEach(Visit&& visit) {
        for (const rSlot& s : slots_)
            if (isEntry(s.entry)) visit(s.entry, std::span<quillcheck::rProblem>(pool_.data() + s.first, s.count));
    }
    template <typename Visit> void forEach(Visit&& visit) const {
        for (const rSlot& s : slots_)
            if (isEntry(s.entry))
                visit(s.entry, std::span<const quillcheck::rProblem>(pool_.data() + s.first, s.count));
    }

private:
    struct rSlot {
        const tSkyStr* entry = nullptr; // null: no entry (`first` tells a removed one from a never used one)
        uint32_t first = 0;             // the entry's problems: pool_[first, first + count)
        uint32_t count = 0;
    };
    static constexpr uint32_t kRemoved = UINT32_MAX; // `first` of a slot whose entry was removed
    static bool isEntry(const tSkyStr* p) { return p != nullptr; }
    static bool isRemoved(const rSlot& s) { return s.entry == nullptr && s.first == kRemoved; }
    // The slot holding the entry, or the slot it would take (the first removed one met, else the empty one that ends
    // its probe sequence); the table always has an empty slot.
    size_t probe(const tSkyStr* entry, bool& found) const;
    void rehash(size_t slotCount);
    void compact();

    std::vector<rSlot> slots_; // a power of two in size, at most three quarters taken (removed slots included)
    std::vector<quillcheck::rProblem> pool_;
    size_t count_ = 0;   // entries held
    size_t removed_ = 0; // removed slots
    size_t stale_ = 0;   // problems in the pool that no entry points to any more
};
