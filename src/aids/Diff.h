// The difference engine TDiff: Myers' O(ND) comparison in linear space over UTF-16 code units or 32-bit integers,
// giving the edit records that turn the first sequence into the second, with statistics.
#pragma once

#include <QStringView>
#include <cstdint>
#include <functional>
#include <vector>

enum class TChangeKind : uint8_t { ckNone = 0, ckAdd = 1, ckDelete = 2, ckModify = 3 };

// One edit record. oldIndex1/oldIndex2 are the elements concerned in sequence 1 and 2 (for ckAdd, oldIndex1 is the
// last element of sequence 1 consumed before the insertion; for ckDelete, oldIndex2 the last of sequence 2).
// The integer form and the character form share the element fields; an element that is absent (sequence 1 of an
// add, sequence 2 of a delete) is 0.
struct TCompareRec {
    TChangeKind Kind = TChangeKind::ckNone;
    int32_t oldIndex1 = -1;
    int32_t oldIndex2 = -1;
    int32_t int1 = 0;
    int32_t int2 = 0;

    char16_t chr1() const { return static_cast<char16_t>(int1); }
    char16_t chr2() const { return static_cast<char16_t>(int2); }
};

struct TDiffStats {
    int32_t matches = 0;
    int32_t adds = 0;
    int32_t deletes = 0;
    int32_t modifies = 0;
};

class TDiff {
public:
    // Called at every recursion entry and every 200th edit distance of a run, so that a window can let its pending
    // events run (and call Cancel from one of them). May stay empty.
    std::function<void()> processEvents;

    // Compares the two sequences. False when a run is already in progress or the run was cancelled (the records
    // are then cleared).
    bool Execute(const char16_t* chrs1, const char16_t* chrs2, int len1, int len2);
    bool Execute(const int32_t* ints1, const int32_t* ints2, int len1, int len2);
    bool Execute(QStringView text1, QStringView text2);

    void Cancel() { cancelled_ = true; }
    void Clear();
    int Count() const { return static_cast<int>(records_.size()); }
    TCompareRec compareRecord(int index) const { return records_.at(static_cast<size_t>(index)); }
    const std::vector<TCompareRec>& records() const { return records_; }
    const TDiffStats& DiffStats() const { return stats_; }
    bool Cancelled() const { return cancelled_; }

private:
    template <typename T> bool run(const T* seq1, const T* seq2, int len1, int len2);
    template <typename T>
    void recursiveDiff(const T* seq1, const T* seq2, int offset1, int offset2, int len1, int len2);
    template <typename T>
    bool middleSnake(const T* seq1, const T* seq2, int offset1, int offset2, int len1, int len2, int& splitX,
                     int& splitY);
    template <typename T> void recordChange(const T* seq1, const T* seq2, int offset1, int range, TChangeKind kind);
    template <typename T> void catchUpMatches(const T* seq1, const T* seq2, int upTo1);
    bool yieldAndCheckCancel();

    std::vector<TCompareRec> records_;
    TDiffStats stats_;
    TCompareRec last_;         // the record being built: the cursor of the output
    size_t pairableStart_ = 0; // first record of the trailing add or delete run not yet paired into a modify
    bool cancelled_ = false;
    bool executing_ = false;
    std::vector<int> forward_;  // forward furthest x per diagonal, for one run
    std::vector<int> backward_; // backward furthest x per diagonal (counted from the ends), for one run
};
