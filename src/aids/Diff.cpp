// Myers' O(ND) difference in linear space: the middle snake is searched from both ends at once, the two halves it
// leaves are compared recursively. Matches are never recorded by the recursion; they are filled in from the gaps
// between changes (recordChange), so common prefixes and suffixes can be cut at every level.
#include "aids/Diff.h"

#include <algorithm>

namespace {

// Distances between yields to the window's events during one middle-snake search.
constexpr int kYieldEvery = 200;

} // namespace

bool TDiff::Execute(const char16_t* chrs1, const char16_t* chrs2, int len1, int len2) {
    return run(chrs1, chrs2, len1, len2);
}

bool TDiff::Execute(const int32_t* ints1, const int32_t* ints2, int len1, int len2) {
    return run(ints1, ints2, len1, len2);
}

bool TDiff::Execute(QStringView text1, QStringView text2) {
    return run(text1.utf16(), text2.utf16(), static_cast<int>(text1.size()), static_cast<int>(text2.size()));
}

void TDiff::Clear() {
    records_.clear();
    stats_ = {};
    last_ = {};
    pairableStart_ = 0;
}

bool TDiff::yieldAndCheckCancel() {
    if (processEvents) processEvents();
    return cancelled_;
}

template <typename T> bool TDiff::run(const T* seq1, const T* seq2, int len1, int len2) {
    if (executing_) return false;
    executing_ = true;
    cancelled_ = false;
    Clear();
    len1 = std::max(len1, 0);
    len2 = std::max(len2, 0);
    int end1 = len1;
    int end2 = len2;
    while (end1 > 0 && end2 > 0 && seq1[end1 - 1] == seq2[end2 - 1]) {
        --end1;
        --end2;
    }
    if (end1 > 0 || end2 > 0) {
        int start = 0;
        while (start < end1 && start < end2 && seq1[start] == seq2[start])
            ++start;
        records_.reserve(static_cast<size_t>(len1 + len2 - start - (len1 - end1)));
        const size_t diagonals = static_cast<size_t>(end1 - start + end2 - start) + 4;
        forward_.assign(diagonals, -1);
        backward_.assign(diagonals, -1);
        recursiveDiff(seq1, seq2, start, start, end1 - start, end2 - start);
        forward_ = {};
        backward_ = {};
    } else {
        records_.reserve(static_cast<size_t>(len1));
    }
    if (cancelled_) {
        Clear();
        executing_ = false;
        return false;
    }
    catchUpMatches(seq1, seq2, len1);
    executing_ = false;
    return true;
}

template <typename T>
void TDiff::recursiveDiff(const T* seq1, const T* seq2, int offset1, int offset2, int len1, int len2) {
    if (yieldAndCheckCancel()) return;
    // Common ends carry no change; they come back as matches from the gaps.
    while (len1 > 0 && len2 > 0 && seq1[offset1] == seq2[offset2]) {
        ++offset1;
        ++offset2;
        --len1;
        --len2;
    }
    while (len1 > 0 && len2 > 0 && seq1[offset1 + len1 - 1] == seq2[offset2 + len2 - 1]) {
        --len1;
        --len2;
    }
    if (len1 == 0) {
        recordChange(seq1, seq2, offset1, len2, TChangeKind::ckAdd);
        return;
    }
    if (len2 == 0) {
        recordChange(seq1, seq2, offset1, len1, TChangeKind::ckDelete);
        return;
    }
    // One element against several: it matches its first occurrence on the other side or nothing.
    if (len1 == 1) {
        const T* hit = std::find(seq2 + offset2, seq2 + offset2 + len2, seq1[offset1]);
        if (hit == seq2 + offset2 + len2) {
            recordChange(seq1, seq2, offset1, 1, TChangeKind::ckDelete);
            recordChange(seq1, seq2, offset1 + 1, len2, TChangeKind::ckAdd);
        } else {
            const int j = static_cast<int>(hit - (seq2 + offset2));
            recordChange(seq1, seq2, offset1, j, TChangeKind::ckAdd);
            recordChange(seq1, seq2, offset1 + 1, len2 - j - 1, TChangeKind::ckAdd);
        }
        return;
    }
    if (len2 == 1) {
        const T* hit = std::find(seq1 + offset1, seq1 + offset1 + len1, seq2[offset2]);
        if (hit == seq1 + offset1 + len1) {
            recordChange(seq1, seq2, offset1, len1, TChangeKind::ckDelete);
            recordChange(seq1, seq2, offset1 + len1, 1, TChangeKind::ckAdd);
        } else {
            const int i = static_cast<int>(hit - (seq1 + offset1));
            recordChange(seq1, seq2, offset1, i, TChangeKind::ckDelete);
            recordChange(seq1, seq2, offset1 + i + 1, len1 - i - 1, TChangeKind::ckDelete);
        }
        return;
    }
    int x = 0;
    int y = 0;
    if (!middleSnake(seq1, seq2, offset1, offset2, len1, len2, x, y)) {
        if (cancelled_) return;
        // Not reachable for sequences of positive length; a full replacement is still a valid script.
        recordChange(seq1, seq2, offset1, len1, TChangeKind::ckDelete);
        recordChange(seq1, seq2, offset1 + len1, len2, TChangeKind::ckAdd);
        return;
    }
    recursiveDiff(seq1, seq2, offset1, offset2, x, y);
    recursiveDiff(seq1, seq2, offset1 + x, offset2 + y, len1 - x, len2 - y);
}

// The furthest-reaching paths from both corners meet on an optimal path; (splitX, splitY) is a point of it that is
// neither corner, so both halves are strictly smaller.
template <typename T>
bool TDiff::middleSnake(const T* seq1, const T* seq2, int offset1, int offset2, int len1, int len2, int& splitX,
                        int& splitY) {
    const T* a = seq1 + offset1;
    const T* b = seq2 + offset2;
    const int maxD = (len1 + len2 + 1) / 2;
    const int vOffset = maxD;
    const int vLength = 2 * maxD + 2;
    int* v1 = forward_.data();
    int* v2 = backward_.data();
    std::fill(v1, v1 + vLength, -1);
    std::fill(v2, v2 + vLength, -1);
    v1[vOffset + 1] = 0;
    v2[vOffset + 1] = 0;
    const int delta = len1 - len2;
    const bool front = (delta % 2) != 0;
    int k1start = 0, k1end = 0, k2start = 0, k2end = 0;
    for (int d = 0; d < maxD; ++d) {
        if (d > 0 && d % kYieldEvery == 0 && yieldAndCheckCancel()) return false;
        for (int k1 = -d + k1start; k1 <= d - k1end; k1 += 2) {
            const int k1o = vOffset + k1;
            int x1 = (k1 == -d || (k1 != d && v1[k1o - 1] < v1[k1o + 1])) ? v1[k1o + 1] : v1[k1o - 1] + 1;
            int y1 = x1 - k1;
            while (x1 < len1 && y1 < len2 && a[x1] == b[y1]) {
                ++x1;
                ++y1;
            }
            v1[k1o] = x1;
            if (x1 > len1) {
                k1end += 2; // ran off the right edge
            } else if (y1 > len2) {
                k1start += 2; // ran off the bottom edge
            } else if (front) {
                const int k2o = vOffset + delta - k1;
                if (k2o >= 0 && k2o < vLength && v2[k2o] != -1 && x1 >= len1 - v2[k2o]) {
                    splitX = x1;
                    splitY = y1;
                    return true;
                }
            }
        }
        for (int k2 = -d + k2start; k2 <= d - k2end; k2 += 2) {
            const int k2o = vOffset + k2;
            int x2 = (k2 == -d || (k2 != d && v2[k2o - 1] < v2[k2o + 1])) ? v2[k2o + 1] : v2[k2o - 1] + 1;
            int y2 = x2 - k2;
            while (x2 < len1 && y2 < len2 && a[len1 - x2 - 1] == b[len2 - y2 - 1]) {
                ++x2;
                ++y2;
            }
            v2[k2o] = x2;
            if (x2 > len1) {
                k2end += 2;
            } else if (y2 > len2) {
                k2start += 2;
            } else if (!front) {
                const int k1o = vOffset + delta - k2;
                if (k1o >= 0 && k1o < vLength && v1[k1o] != -1) {
                    const int x1 = v1[k1o];
                    if (x1 >= len1 - x2) {
                        splitX = x1;
                        splitY = x1 - (k1o - vOffset);
                        return true;
                    }
                }
            }
        }
    }
    return false;
}

template <typename T> void TDiff::catchUpMatches(const T* seq1, const T* seq2, int upTo1) {
    while (last_.oldIndex1 < upTo1 - 1) {
        ++last_.oldIndex1;
        ++last_.oldIndex2;
        records_.push_back({TChangeKind::ckNone, last_.oldIndex1, last_.oldIndex2,
                            static_cast<int32_t>(seq1[last_.oldIndex1]), static_cast<int32_t>(seq2[last_.oldIndex2])});
        ++stats_.matches;
        last_.Kind = TChangeKind::ckNone;
    }
}

// Appends `range` adds or deletes at `offset1` of sequence 1, after the matches that lead there. An add right after
// a run of deletes (or the reverse) turns the earliest unpaired record of that run into a modify.
template <typename T> void TDiff::recordChange(const T* seq1, const T* seq2, int offset1, int range, TChangeKind kind) {
    if (range <= 0) return;
    catchUpMatches(seq1, seq2, offset1);
    const TChangeKind opposite = kind == TChangeKind::ckAdd ? TChangeKind::ckDelete : TChangeKind::ckAdd;
    for (int i = 0; i < range; ++i) {
        if (last_.Kind == opposite) {
            TCompareRec& paired = records_[pairableStart_];
            paired.Kind = TChangeKind::ckModify;
            ++stats_.modifies;
            if (kind == TChangeKind::ckAdd) {
                --stats_.deletes;
                paired.oldIndex2 = ++last_.oldIndex2;
                paired.int2 = static_cast<int32_t>(seq2[last_.oldIndex2]);
            } else {
                --stats_.adds;
                paired.oldIndex1 = ++last_.oldIndex1;
                paired.int1 = static_cast<int32_t>(seq1[last_.oldIndex1]);
            }
            if (++pairableStart_ == records_.size()) last_.Kind = TChangeKind::ckModify;
            continue;
        }
        TCompareRec rec;
        rec.Kind = kind;
        if (kind == TChangeKind::ckAdd) {
            rec.oldIndex1 = last_.oldIndex1;
            rec.oldIndex2 = ++last_.oldIndex2;
            rec.int2 = static_cast<int32_t>(seq2[last_.oldIndex2]);
            ++stats_.adds;
        } else {
            rec.oldIndex1 = ++last_.oldIndex1;
            rec.oldIndex2 = last_.oldIndex2;
            rec.int1 = static_cast<int32_t>(seq1[last_.oldIndex1]);
            ++stats_.deletes;
        }
        if (last_.Kind != kind) pairableStart_ = records_.size();
        records_.push_back(rec);
        last_.Kind = kind;
    }
}
