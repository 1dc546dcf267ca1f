// Heuristic suggestions: threshold, distances, the batch and the word tokens.
#include "aids/QUILL_heuristic.h"

#include "core/QUILL_parallel.h"

#include <QHash>
#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdlib>
#if defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
#include <xmmintrin.h>
#endif

// ----- Threshold and distances

int candidateThreshold(const tSkyStr& s, const tSkyStr& c) {
    const qsizetype n = s.words().size();
    if (n == 0) return 2;
    // round(L / 1.5) = round(2L / 3); 2L / 3 never ends in a half, so (2L + 1) div 3 rounds it.
    const int length = static_cast<int>(s.ld().size());
    const int base = std::min((2 * length + 1) / 3, kHeuristicMaxChosen);
    const qsizetype needed = n <= 3 ? 1 : n / 2;
    const int threshold = n <= 3 ? base + 5 : base;
    qsizetype common = 0;
    for (const uint32_t h : s.words()) {
        if (c.words().contains(h) && ++common >= needed) return threshold;
    }
    return 0;
}

int levenshteinDistance(QStringView a, QStringView b) {
    const qsizetype n = a.size(), m = b.size();
    if (n == 0) return static_cast<int>(m);
    if (m == 0) return static_cast<int>(n);
    // Row by row over the whole table; only the previous row is needed to fill the next.
    std::vector<int> previous(static_cast<size_t>(m + 1)), current(static_cast<size_t>(m + 1));
    for (qsizetype j = 0; j <= m; ++j)
        previous[static_cast<size_t>(j)] = static_cast<int>(j);
    for (qsizetype i = 1; i <= n; ++i) {
        current[0] = static_cast<int>(i);
        for (qsizetype j = 1; j <= m; ++j) {
            const int substitution = previous[static_cast<size_t>(j - 1)] + (a[i - 1] == b[j - 1] ? 0 : 1);
            const int deletion = previous[static_cast<size_t>(j)] + 1;
            const int insertion = current[static_cast<size_t>(j - 1)] + 1;
            current[static_cast<size_t>(j)] = std::min({substitution, deletion, insertion});
        }
        std::swap(previous, current);
    }
    return previous[static_cast<size_t>(m)];
}

void TBoundedDistance::setPattern(QStringView pattern) {
    pattern_.assign(pattern.utf16(), pattern.utf16() + pattern.size());
    const qsizetype length = pattern.size();
    // One zero word past the last block, so that a window of 64 rows starting anywhere in the pattern reads inside.
    const int stride = static_cast<int>((length + 63) / 64) + 1;
    if (stride != stride_ || low_.empty()) {
        stride_ = stride;
        low_.assign(static_cast<size_t>(256 * stride), 0);
        zero_.assign(static_cast<size_t>(stride), 0);
        usedLow_.clear();
    } else {
        for (const char16_t c : usedLow_)
            std::fill_n(low_.begin() + static_cast<qsizetype>(c) * stride_, stride_, 0);
        usedLow_.clear();
    }
    highChars_.clear();
    high_.clear();
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t c = pattern[i].unicode();
        uint64_t* masks;
        if (c < 256) {
            masks = &low_[static_cast<size_t>(c) * static_cast<size_t>(stride_)];
            usedLow_.push_back(c);
        } else {
            auto it = std::find(highChars_.begin(), highChars_.end(), c);
            if (it == highChars_.end()) {
                highChars_.push_back(c);
                high_.resize(high_.size() + static_cast<size_t>(stride_), 0);
                it = highChars_.end() - 1;
            }
            masks = &high_[static_cast<size_t>(it - highChars_.begin()) * static_cast<size_t>(stride_)];
        }
        masks[i / 64] |= uint64_t(1) << (i % 64);
    }
}

inline const uint64_t* TBoundedDistance::masksOf(char16_t c) const {
    if (c < 256) return &low_[static_cast<size_t>(c) * static_cast<size_t>(stride_)];
    for (size_t k = 0; k < highChars_.size(); ++k)
        if (highChars_[k] == c) return &high_[k * static_cast<size_t>(stride_)];
    return zero_.data();
}

namespace {

// The 64 match bits of pattern rows [from, from + 64) in a mask row (rows past the pattern read as zero).
inline uint64_t maskWindow(const uint64_t* masks, qsizetype from) {
    const qsizetype word = from / 64;
    const int shift = static_cast<int>(from % 64);
    // (x << 1) << (63 - shift) is x << (64 - shift) without the undefined shift by 64 when shift is 0.
    return (masks[word] >> shift) | ((masks[word + 1] << 1) << (63 - shift));
}

} // namespace

int TBoundedDistance::distance(QStringView text, int bound) const {
    const char16_t* a = pattern_.data();
    const char16_t* b = text.utf16();
    qsizetype m = static_cast<qsizetype>(pattern_.size()), n = text.size();
    // A common prefix or suffix never changes the distance: only the differing middles are compared.
    qsizetype prefix = 0;
    const qsizetype shorter = std::min(m, n);
    while (prefix < shorter && a[prefix] == b[prefix])
        ++prefix;
    while (m > prefix && n > prefix && a[m - 1] == b[n - 1]) {
        --m;
        --n;
    }
    m -= prefix;
    n -= prefix;
    b += prefix;
    if (m == 0) return static_cast<int>(n);
    if (n == 0) return static_cast<int>(m);
    // The distance is at least the length difference.
    if (std::abs(m - n) >= bound) return static_cast<int>(std::max<qsizetype>(std::abs(m - n), bound));
    if (m <= 64) {
        // Myers' column update on one machine word (Hyyrö's form for the global distance). Pv/Mv: vertical deltas
        // +1/-1 of the current column; the horizontal delta entering the top row is always +1 (D[0][j] = j), so the
        // last cell is D[m][n] = n + (Pv bits) - (Mv bits) of the last column. The middles are short (a dozen
        // columns on average in bench_heuristic): checking the bound on the way costs more than it saves.
        uint64_t pv = ~uint64_t(0), mv = 0;
        for (qsizetype j = 0; j < n; ++j) {
            const uint64_t eq = maskWindow(masksOf(b[j]), prefix);
            const uint64_t xv = eq | mv;
            const uint64_t xh = (((eq & pv) + pv) ^ pv) | eq;
            const uint64_t ph = (mv | ~(xh | pv)) << 1 | 1;
            const uint64_t mh = (pv & xh) << 1;
            pv = mh | ~(xv | ph);
            mv = ph & xv;
        }
        const uint64_t rows = m == 64 ? ~uint64_t(0) : (uint64_t(1) << m) - 1;
        return static_cast<int>(n + std::popcount(pv & rows) - std::popcount(mv & rows));
    }
    const int blocks = static_cast<int>((m + 63) / 64);
    // Vertical deltas of the current column, per block.
    constexpr int kStackBlocks = 8;
    uint64_t pvStack[kStackBlocks], mvStack[kStackBlocks];
    std::vector<uint64_t> heap;
    uint64_t* pv = pvStack;
    uint64_t* mv = mvStack;
    if (blocks > kStackBlocks) {
        heap.resize(static_cast<size_t>(2 * blocks));
        pv = heap.data();
        mv = heap.data() + blocks;
    }
    for (int k = 0; k < blocks; ++k) {
        pv[k] = ~uint64_t(0);
        mv[k] = 0;
    }
    const uint64_t lastBit = uint64_t(1) << ((m - 1) % 64);
    const uint64_t topBit = uint64_t(1) << 63;
    qsizetype score = m; // D[m][j]
    for (qsizetype j = 0; j < n; ++j) {
        const uint64_t* eqs = masksOf(b[j]);
        // The top row is D[0][j] = j: the horizontal delta entering the first block is always +1.
        int carry = 1;
        for (int k = 0; k < blocks; ++k) {
            uint64_t eq = maskWindow(eqs, prefix + 64 * k);
            const uint64_t p = pv[k], mm = mv[k];
            const uint64_t xv = eq | mm;
            if (carry < 0) eq |= 1;
            const uint64_t xh = (((eq & p) + p) ^ p) | eq;
            uint64_t ph = mm | ~(xh | p);
            uint64_t mh = p & xh;
            const uint64_t out = k == blocks - 1 ? lastBit : topBit;
            const int next = (ph & out) ? 1 : ((mh & out) ? -1 : 0);
            ph <<= 1;
            mh <<= 1;
            if (carry < 0)
                mh |= 1;
            else if (carry > 0)
                ph |= 1;
            pv[k] = mh | ~(xv | ph);
            mv[k] = ph & xv;
            carry = next;
        }
        score += carry;
        // Each column left can lower the last row by one at most.
        if (score - (n - 1 - j) >= bound) return bound;
    }
    return static_cast<int>(score);
}

// ----- The literal rule

rHeuristicResult heuristicMatchLiteral(const tSkyStr& s, const tSkyStrList& vocabulary) {
    rHeuristicResult result;
    int best = kHeuristicMaxChosen;
    for (size_t k = 0; k < vocabulary.size(); ++k) {
        const tSkyStr& c = *vocabulary[k];
        if (c.listIndex != s.listIndex) continue;
        const int t = candidateThreshold(s, c);
        if (t <= 0) continue;
        const int d = levenshteinDistance(s.ld(), c.ld());
        if (d >= t) continue;
        ++result.found;
        if (d < best) {
            best = d;
            result.chosen = static_cast<int>(k);
        }
    }
    result.distance = best;
    return result;
}

// ----- The index

namespace {

constexpr size_t kBagSize = THeuristicIndex::kBagSize;
constexpr size_t kLookAhead = 8;

// A hint to bring the memory at `address` into the cache; nothing where the compiler offers no such hint.
inline void prefetch(const void* address) {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(address);
#elif defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
    _mm_prefetch(static_cast<const char*>(address), _MM_HINT_T0);
#else
    (void)address;
#endif
}

// The character bag of a text: counts of its code units by their low five bits, each count capped at 255. Merging
// characters and capping counts only lowers the difference of two bags, so bagLowerBound stays a lower bound.
void characterBag(QStringView text, uint8_t* bag) {
    std::fill_n(bag, kBagSize, uint8_t(0));
    for (const QChar c : text) {
        uint8_t& count = bag[c.unicode() % kBagSize];
        if (count < 255) ++count;
    }
}

// A lower bound of the Levenshtein distance of two texts from their bags and lengths: an edit changes one count by
// one (insertion, deletion) or two counts by one each (substitution), and the length difference needs as many
// insertions or deletions, so the distance is at least (sum of count differences + length difference) / 2.
int bagLowerBound(const uint8_t* a, const uint8_t* b, int lengthDifference) {
    int difference = 0;
    for (size_t k = 0; k < kBagSize; ++k)
        difference += std::abs(int(a[k]) - int(b[k]));
    return (difference + lengthDifference) / 2;
}

} // namespace

THeuristicIndex::THeuristicIndex(const tSkyStrList& vocabulary) {
    const size_t size = vocabulary.size();
    entries_.resize(size);
    // (hash and comparison length in one key, entry) of every distinct word of every entry that is not a copy.
    std::vector<std::pair<uint64_t, int>> pairs;
    // The last entry met with each comparison text: a later entry with the same text, words and list gets the same
    // distance and threshold, so it is only counted with the first.
    QHash<QString, int> byText;
    byText.reserve(static_cast<qsizetype>(size));
    for (size_t k = 0; k < size; ++k) {
        const tSkyStr& c = *vocabulary[k];
        rEntry& entry = entries_[k];
        const int index = static_cast<int>(k);
        // Comparison texts are cut to 200 characters at most (tSkyStr::sourceParse).
        const uint16_t length = static_cast<uint16_t>(std::min<qsizetype>(c.ld().size(), 65535));
        entry.length = length;
        entry.list = c.listIndex;
        entry.copies = 1;
        entry.textStart = static_cast<uint32_t>(texts_.size());
        entry.wordStart = static_cast<uint32_t>(words_.size());
        entry.wordCount = 0;
        int& first = byText[c.ld()];
        if (first > 0) {
            const tSkyStr& earlier = *vocabulary[static_cast<size_t>(first - 1)];
            if (earlier.listIndex == c.listIndex && earlier.words() == c.words()) {
                ++entries_[static_cast<size_t>(first - 1)].copies;
                entry.copies = 0;
                continue;
            }
        }
        first = index + 1;
        texts_.insert(texts_.end(), c.ld().utf16(), c.ld().utf16() + length);
        characterBag(c.ld(), entry.bag.data());
        if (length >= byLength_.size()) byLength_.resize(static_cast<size_t>(length) + 1);
        byLength_[length].push_back(index);
        const auto wordsBegin = words_.insert(words_.end(), c.words().begin(), c.words().end());
        std::sort(wordsBegin, words_.end());
        words_.erase(std::unique(words_.begin() + entry.wordStart, words_.end()), words_.end());
        // A text has 31 word hashes at most (addWordHashes).
        entry.wordCount = static_cast<uint8_t>(words_.size() - entry.wordStart);
        for (size_t w = entry.wordStart; w < words_.size(); ++w)
            pairs.emplace_back(uint64_t(words_[w]) << 16 | length, index);
    }
    std::sort(pairs.begin(), pairs.end());
    postingEntries_.reserve(pairs.size());
    postingLengths_.reserve(pairs.size());
    for (size_t k = 0; k < pairs.size();) {
        const uint32_t h = static_cast<uint32_t>(pairs[k].first >> 16);
        const uint32_t begin = static_cast<uint32_t>(postingEntries_.size());
        for (; k < pairs.size() && static_cast<uint32_t>(pairs[k].first >> 16) == h; ++k) {
            postingLengths_.push_back(static_cast<uint16_t>(pairs[k].first & 0xFFFF));
            postingEntries_.push_back(pairs[k].second);
        }
        postings_.push_back({h, begin, static_cast<uint32_t>(postingEntries_.size())});
    }
}

const THeuristicIndex::rPosting* THeuristicIndex::posting(uint32_t hash) const {
    const auto it = std::lower_bound(postings_.begin(), postings_.end(), hash,
                                     [](const rPosting& p, uint32_t h) { return p.hash < h; });
    return it != postings_.end() && it->hash == hash ? &*it : nullptr;
}

rHeuristicResult THeuristicIndex::match(const tSkyStr& s, rScratch& scratch) const {
    std::vector<int>& candidates = scratch.candidates;
    candidates.clear();
    const int length = static_cast<int>(s.ld().size());
    const qsizetype n = s.words().size();
    rHeuristicResult result;
    int best = kHeuristicMaxChosen;
    result.distance = best;
    // The threshold depends on the string alone; a candidate only passes or fails the shared-word test. A distance
    // is at least the length difference, so only lengths within the threshold can count.
    const int threshold = n == 0 ? 2 : candidateThreshold(s, s);
    const int shortest = length - threshold + 1, longest = length + threshold - 1;
    std::vector<rWordUse>& words = scratch.words;
    words.clear();
    size_t listed = 0; // words[listed..) are checked per candidate instead of listed
    int needed = 0;
    if (n == 0) {
        for (int l = std::max(shortest, 0); l <= longest; ++l)
            if (static_cast<size_t>(l) < byLength_.size())
                candidates.insert(candidates.end(), byLength_[static_cast<size_t>(l)].begin(),
                                  byLength_[static_cast<size_t>(l)].end());
    } else {
        // The string's distinct words that some entry holds, weighted by how often they occur in the string.
        std::vector<uint32_t>& hashes = scratch.hashes;
        hashes.assign(s.words().begin(), s.words().end());
        std::sort(hashes.begin(), hashes.end());
        for (size_t k = 0; k < hashes.size();) {
            size_t next = k + 1;
            while (next < hashes.size() && hashes[next] == hashes[k])
                ++next;
            if (const rPosting* p = posting(hashes[k])) {
                // Only the entries of the lengths the string can meet.
                const uint16_t* lengths = postingLengths_.data();
                const uint16_t low = static_cast<uint16_t>(std::clamp(shortest, 0, 65535));
                const uint16_t high = static_cast<uint16_t>(std::clamp(longest, 0, 65535));
                const uint32_t begin =
                    static_cast<uint32_t>(std::lower_bound(lengths + p->begin, lengths + p->end, low) - lengths);
                const uint32_t end =
                    static_cast<uint32_t>(std::upper_bound(lengths + begin, lengths + p->end, high) - lengths);
                words.push_back({hashes[k], begin, end, static_cast<int>(next - k)});
            }
            k = next;
        }
        needed = n <= 3 ? 1 : static_cast<int>(n / 2);
        // An entry reaching `needed` holds at least one word outside any set of words whose weights sum below
        // `needed`: the longest lists are left out while that holds, and their words are checked per candidate.
        std::sort(words.begin(), words.end(),
                  [](const rWordUse& a, const rWordUse& b) { return (a.end - a.begin) < (b.end - b.begin); });
        int leftOut = 0;
        listed = words.size();
        while (listed > 0 && leftOut + words[listed - 1].weight <= needed - 1)
            leftOut += words[--listed].weight;
        if (scratch.counts.size() != size()) scratch.counts.assign(size(), 0);
        uint8_t* counts = scratch.counts.data();
        for (size_t k = 0; k < listed; ++k) {
            const uint8_t weight = static_cast<uint8_t>(words[k].weight);
            for (uint32_t e = words[k].begin; e < words[k].end; ++e) {
                const int entry = postingEntries_[e];
                if (counts[entry] == 0) candidates.push_back(entry);
                counts[entry] = static_cast<uint8_t>(counts[entry] + weight);
            }
        }
    }
    // The candidates come in no particular order: LDFound is a count, and the choice (smallest distance, then
    // earliest entry) does not depend on the order either.
    bool patternSet = false;
    std::array<uint8_t, kBagSize> bag;
    characterBag(s.ld(), bag.data());
    for (size_t i = 0; i < candidates.size(); ++i) {
        const int k = candidates[i];
        const rEntry& c = entries_[static_cast<size_t>(k)];
        // The candidates are scattered over the whole vocabulary: ask for the record of one some places ahead, and
        // for the text and words of one nearer (its record has come by then), so that they are in the cache when
        // their turn comes.
        if (i + 2 * kLookAhead < candidates.size())
            prefetch(&entries_[static_cast<size_t>(candidates[i + 2 * kLookAhead])]);
        if (i + kLookAhead < candidates.size()) {
            const rEntry& ahead = entries_[static_cast<size_t>(candidates[i + kLookAhead])];
            prefetch(texts_.data() + ahead.textStart);
            prefetch(words_.data() + ahead.wordStart);
        }
        if (n > 0) {
            int common = scratch.counts[static_cast<size_t>(k)];
            scratch.counts[static_cast<size_t>(k)] = 0;
            const uint32_t* held = words_.data() + c.wordStart;
            const uint32_t* heldEnd = held + c.wordCount;
            for (size_t w = listed; w < words.size() && common < needed; ++w)
                if (std::binary_search(held, heldEnd, words[w].hash)) common += words[w].weight;
            if (common < needed) continue;
        }
        if (c.list != s.listIndex) continue;
        // A third of the candidates that get this far are too far; the bags turn away about 40% of those at the
        // cost of a few instructions (bench_heuristic --profile under callgrind).
        if (bagLowerBound(bag.data(), c.bag.data(), std::abs(c.length - length)) >= threshold) continue;
        if (!patternSet) {
            scratch.kernel.setPattern(s.ld());
            patternSet = true;
        }
        const int d = scratch.kernel.distance(QStringView(texts_.data() + c.textStart, c.length), threshold);
        if (d >= threshold) continue;
        result.found += c.copies;
        if (d < best || (d == best && result.chosen >= 0 && k < result.chosen)) {
            best = d;
            result.chosen = k;
        }
    }
    result.distance = best;
    return result;
}

// ----- The batch

namespace {

void prepareVocabulary(tSkyStrList& vocabulary) {
    for (auto& c : vocabulary)
        c->initStrings();
}

// What the pass does to a string once its result is known.
void takeResult(tSkyStr& s, const rHeuristicResult& result, tSkyStrList& vocabulary,
                std::vector<std::pair<tSkyStr*, tSkyStr*>>& pairs, int& withoutCandidate) {
    s.LDFound = result.found;
    s.LDResult = kLdNothingFound;
    if (result.chosen < 0) {
        ++withoutCandidate;
        return;
    }
    tSkyStr* chosen = vocabulary[static_cast<size_t>(result.chosen)].get();
    s.LDResult = result.distance == 0 ? kLdExactCandidate : static_cast<float>(result.distance);
    s.setSTrans(chosen->gTrans);
    pairs.emplace_back(&s, chosen);
}

// The pass's loop, with the matching of each block of strings done by `matchBlock` ahead of the walk that reports
// progress, honours cancel and applies the results in list order.
template <typename MatchBlock>
int runPass(TAppContext& app, tListSet& vocabularyLists, tSkyStrList& strings, int listIndex,
            std::vector<std::pair<tSkyStr*, tSkyStr*>>& pairs, const MatchBlock& matchBlock) {
    tSkyStrList& vocabulary = vocabularyLists[static_cast<size_t>(listIndex)];
    app.progressMax(static_cast<qint64>(strings.size()));
    int withoutCandidate = 0;
    bool prepared = false;
    constexpr size_t kBlock = 256;
    std::vector<const tSkyStr*> block;
    std::vector<rHeuristicResult> results;
    for (size_t start = 0; start < strings.size(); start += kBlock) {
        const size_t end = std::min(strings.size(), start + kBlock);
        block.clear();
        for (size_t i = start; i < end; ++i) {
            const tSkyStr& s = *strings[i];
            if (!s.hasFlag(sStrInternalParam::pexNoTrans) && s.sparams.empty()) {
                s.prepareHeuristic(); // here, before the threads read it
                block.push_back(&s);
            }
        }
        if (!block.empty() && !prepared) {
            // The first string that goes on meets every entry, which prepares it.
            prepareVocabulary(vocabulary);
            prepared = true;
        }
        results.assign(block.size(), {});
        if (!block.empty()) matchBlock(block, results);
        size_t next = 0;
        for (size_t i = start; i < end; ++i) {
            tSkyStr& s = *strings[i];
            if (s.hasFlag(sStrInternalParam::pexNoTrans)) continue;
            app.progressStep(static_cast<qint64>(i), 10);
            if (app.cancelRequested()) return -1;
            if (!s.sparams.empty()) continue;
            takeResult(s, results[next++], vocabulary, pairs, withoutCandidate);
        }
    }
    return withoutCandidate;
}

} // namespace

int heuristicPass(TAppContext& app, tListSet& vocabularyLists, tSkyStrList& strings, int listIndex,
                  std::vector<std::pair<tSkyStr*, tSkyStr*>>& pairs, int threads) {
    std::unique_ptr<THeuristicIndex> index;
    THeuristicIndex::rScratch scratch[2];
    const bool split = threads > 1 && std::thread::hardware_concurrency() > 1;
    return runPass(app, vocabularyLists, strings, listIndex, pairs,
                   [&](const std::vector<const tSkyStr*>& block, std::vector<rHeuristicResult>& results) {
                       if (!index) index = std::make_unique<THeuristicIndex>(vocabularyLists[listIndex]);
                       // Strings cost from nothing to thousands of comparisons: each thread takes the next string
                       // not yet taken rather than a fixed half, and its result goes to the string's own slot.
                       std::atomic<size_t> next{0};
                       const auto work = [&](THeuristicIndex::rScratch& own) {
                           for (size_t k = next++; k < block.size(); k = next++)
                               results[k] = index->match(*block[k], own);
                       };
                       runSideBySide(
                           split && block.size() > 1, [&] { work(scratch[0]); }, [&] { work(scratch[1]); });
                   });
}

int heuristicPassLiteral(TAppContext& app, tListSet& vocabularyLists, tSkyStrList& strings, int listIndex,
                         std::vector<std::pair<tSkyStr*, tSkyStr*>>& pairs) {
    const tSkyStrList& vocabulary = vocabularyLists[static_cast<size_t>(listIndex)];
    return runPass(app, vocabularyLists, strings, listIndex, pairs,
                   [&](const std::vector<const tSkyStr*>& block, std::vector<rHeuristicResult>& results) {
                       for (size_t k = 0; k < block.size(); ++k)
                           results[k] = heuristicMatchLiteral(*block[k], vocabulary);
                   });
}

std::vector<tSkyStr*> heuristicCandidates(const tSkyStr& s, tSkyStrList& vocabulary) {
    std::vector<tSkyStr*> out;
    TBoundedDistance kernel;
    bool patternSet = false;
    const int length = static_cast<int>(s.ld().size());
    // Every threshold of the string is this one or 0; a distance is at least the length difference.
    const int widest = s.words().isEmpty() ? 2 : candidateThreshold(s, s);
    for (size_t k = 0; k < vocabulary.size(); ++k) {
        tSkyStr& c = *vocabulary[k];
        c.initStrings();
        if (c.listIndex != s.listIndex || std::abs(static_cast<int>(c.ld().size()) - length) >= widest) continue;
        const int t = candidateThreshold(s, c);
        if (t <= 0 || std::abs(static_cast<int>(c.ld().size()) - length) >= t) continue;
        if (!patternSet) {
            kernel.setPattern(s.ld());
            patternSet = true;
        }
        const int d = kernel.distance(c.ld(), t);
        if (d >= t) continue;
        c.LDResult = d == 0 ? kLdExactCandidate : static_cast<float>(d);
        out.push_back(&c);
    }
    return out;
}

QString ldColumnText(float ldResult, int32_t ldFound) {
    if (ldResult > 90) return QStringLiteral("-");
    if (ldResult > 0) {
        QString text = QString::number(static_cast<int>(ldResult));
        if (ldFound > 1) text += QLatin1Char('+');
        return text;
    }
    return {};
}

// ----- Word tokens

namespace {

struct rStrSearch {
    bool banned = false;
    QString s;
    int32_t nb = 0;
};

class TWordTokens {
public:
    // `oneWordList` answers the ban test; null when no token may be banned.
    explicit TWordTokens(const std::vector<tSkyStr*>* oneWordList, uint32_t banKey) {
        if (!oneWordList || banKey == 0) return;
        // For each translation hash of a one-word entry: whether one of those entries is the word `banKey` itself.
        for (const tSkyStr* e : *oneWordList) {
            bool& own = translationOfKey_[e->hashTrans];
            own = own || e->words().contains(banKey);
        }
    }

    int offer(const QString& word, int count, int minimumLength) {
        if (word.size() <= minimumLength) return count;
        const auto it = index_.constFind(word);
        if (it != index_.constEnd()) {
            rStrSearch& token = tokens[static_cast<size_t>(*it)];
            if (!token.banned) token.nb += count;
            return token.nb;
        }
        rStrSearch token{false, word, count};
        const auto ban = translationOfKey_.constFind(textHash(word));
        token.banned = ban != translationOfKey_.constEnd() && !*ban;
        index_.insert(word, static_cast<int>(tokens.size()));
        tokens.push_back(std::move(token));
        return count;
    }

    // Offers each word of `text` once; returns the highest count returned.
    int countWords(const QString& text) {
        QString clean = punctuationToSpace(text).toLower();
        clean.remove(QLatin1Char('\r'));
        int best = 0;
        qsizetype start = 0;
        for (qsizetype i = 0; i <= clean.size(); ++i) {
            if (i < clean.size() && clean[i] != QLatin1Char(' ') && clean[i] != QLatin1Char('\n')) continue;
            if (i > start) best = std::max(best, offer(clean.mid(start, i - start), 1, 3));
            start = i + 1;
        }
        return best;
    }

    std::vector<rStrSearch> tokens;

private:
    QHash<QString, int> index_;
    QHash<uint32_t, bool> translationOfKey_;
};

} // namespace

void textWords(QStringList& out, const QString& text, int max) {
    out.clear();
    TWordTokens tokens(nullptr, 0);
    tokens.countWords(text);
    std::stable_sort(tokens.tokens.begin(), tokens.tokens.end(), [](const rStrSearch& a, const rStrSearch& b) {
        return QString::compare(a.s, b.s, Qt::CaseInsensitive) < 0;
    });
    for (const rStrSearch& t : tokens.tokens) {
        if (out.size() >= max) break;
        out << t.s;
    }
}

void wordSuggestions(QStringList& out, const QString& word, int max, const std::vector<tSkyStr*>& oneWordList,
                     const tListSet& vocabularyLists) {
    const QString w = word.trimmed().toLower();
    if (w.size() <= 2) return;
    out.clear();
    const uint32_t h = textHash(w);
    int best = 0;
    TWordTokens direct(nullptr, 0);
    for (const tSkyStr* e : oneWordList) {
        if (e->words().isEmpty() || e->words().first() != h) continue;
        direct.offer(punctuationToSpace(e->gTrans).toLower(), 99, 1);
        best = 99;
    }
    TWordTokens counted(&oneWordList, h);
    TWordTokens& tokens = best == 99 ? direct : counted;
    if (best != 99) {
        for (const size_t list : {size_t(0), size_t(2)}) {
            for (const auto& e : vocabularyLists[list]) {
                if (best > 99) break;
                if (e->words().contains(h)) best = std::max(best, counted.countWords(e->gTrans));
            }
        }
    }
    std::stable_sort(tokens.tokens.begin(), tokens.tokens.end(),
                     [](const rStrSearch& a, const rStrSearch& b) { return a.nb > b.nb; });
    const int limit = (best + 5) / 3;
    if (limit <= 1) return;
    for (const rStrSearch& t : tokens.tokens) {
        if (out.size() >= max) break;
        if (!t.banned && t.nb >= limit) out << t.s;
    }
}
