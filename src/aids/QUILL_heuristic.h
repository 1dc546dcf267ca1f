// Heuristic suggestions: the shared-word threshold, the edit distance (full table and a bounded bit-parallel kernel),
// the batch that gives untranslated strings the closest vocabulary translation, and word tokens for suggestions.
#pragma once

#include "core/QUILL_main.h"
#include "strings/QUILL_typedef.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

// Distances from this value up are counted as candidates but never chosen.
inline constexpr int kHeuristicMaxChosen = 25;
// LDResult of a string the batch found nothing for, and of a chosen candidate at distance 0.
inline constexpr float kLdNothingFound = 99.0f;
inline constexpr float kLdExactCandidate = 0.6f;

// The distance a candidate c must stay under to count for the string s; 0 when c shares too few of s's words.
// n = number of s's word hashes, L = length of s's comparison text: n = 0 gives 2; 1..3 words need one common word
// and give min(round(L/1.5), 25) + 5; 4 or more need n div 2 common words and give min(round(L/1.5), 25). Each of s's
// hashes, in order and with repeats, counts once when c holds it anywhere.
int candidateThreshold(const tSkyStr& s, const tSkyStr& c);

// The Levenshtein distance over UTF-16 code units on the full (n+1)x(m+1) table. The reference the fast kernel is
// tested against.
int levenshteinDistance(QStringView a, QStringView b);

// Bounded Levenshtein distance of one pattern against many texts: the common prefix and suffix are set aside (they
// never change the distance), then Myers' bit-parallel column update (Hyyrö's form for the global distance) runs over
// the differing middles, 64 pattern characters per machine word, with blocks for longer middles. distance() returns
// the exact distance when it is below `bound`, else some value >= bound, leaving as soon as the bound cannot be met.
class TBoundedDistance {
public:
    void setPattern(QStringView pattern);
    int distance(QStringView text, int bound) const;
    qsizetype patternLength() const { return static_cast<qsizetype>(pattern_.size()); }

private:
    const uint64_t* masksOf(char16_t c) const;
    std::vector<char16_t> pattern_;
    int stride_ = 0; // words per mask row: the pattern's blocks and one zero word
    // Match masks of the characters below 256, `stride_` words each; rows of absent characters are zero.
    std::vector<uint64_t> low_;
    std::vector<char16_t> usedLow_;
    // The other characters of the pattern, with their masks (patterns rarely hold more than a few).
    std::vector<char16_t> highChars_;
    std::vector<uint64_t> high_;
    std::vector<uint64_t> zero_;
};

// What the batch decides for one string.
struct rHeuristicResult {
    int chosen = -1; // index in the vocabulary list, -1 for none
    int distance = 0;
    int32_t found = 0; // LDFound
};

// The literal rule for one string: every entry of `vocabulary` in order, full distance table. `vocabulary` entries
// must be prepared (initStrings). Slow; kept as the reference for tests and benchmarks.
rHeuristicResult heuristicMatchLiteral(const tSkyStr& s, const tSkyStrList& vocabulary);

// The same decisions as heuristicMatchLiteral, fast: an inverted index from word hash to the entries holding it (the
// most frequent of a string's words, too few to reach the threshold alone, are checked per candidate instead of
// listed), entries grouped by comparison length for strings without words, a lower bound from character counts, and
// the bounded kernel. The entries must be prepared; the index keeps its own copy of what it compares (texts, words,
// list), packed so that a candidate costs no visit to its entry; the candidates' data is asked into the cache ahead of
// use (without that, 2.7 times the time: the pass waits on memory more than it computes). bench_heuristic, busy
// 2-core machine: 10,000 strings over 300,000 entries about 70 times faster than the literal rule on one thread.
class THeuristicIndex {
public:
    explicit THeuristicIndex(const tSkyStrList& vocabulary);
    // One distinct word of the string being matched: its posting list and how often the string holds it.
    struct rWordUse {
        uint32_t hash;
        uint32_t begin;
        uint32_t end;
        int weight;
    };
    // Per-thread working memory of match().
    struct rScratch {
        TBoundedDistance kernel;
        // Per entry: the weight of the listed words it holds (zero between strings); a text has 31 word hashes at most.
        std::vector<uint8_t> counts;
        std::vector<int> candidates;
        std::vector<uint32_t> hashes;
        std::vector<rWordUse> words;
    };
    rHeuristicResult match(const tSkyStr& s, rScratch& scratch) const;
    size_t size() const { return entries_.size(); }
    // Character counts kept per entry (see characterBag in the source).
    static constexpr size_t kBagSize = 32;

private:
    // What a candidate is judged on, 48 bytes per entry: its character bag, where its comparison text and
    // distinct words (ascending) are in `texts_` and `words_`, its list, and how many entries it stands for (itself
    // and the later ones with the same comparison text, words and list, which the posting lists leave out; 0 for
    // those). bench_heuristic: a fifth of the entries are such copies.
    struct rEntry {
        std::array<uint8_t, kBagSize> bag;
        uint32_t textStart;
        uint32_t wordStart;
        int32_t copies;
        uint16_t length;
        uint8_t wordCount;
        uint8_t list;
    };
    std::vector<rEntry> entries_;
    std::vector<char16_t> texts_;
    std::vector<uint32_t> words_;
    // Posting lists: the entries holding each hash by comparison length (then in vocabulary order), stored
    // contiguously with their lengths beside them, so that a string reads only the lengths it can meet.
    struct rPosting {
        uint32_t hash;
        uint32_t begin;
        uint32_t end;
    };
    std::vector<rPosting> postings_; // sorted by hash
    std::vector<int> postingEntries_;
    std::vector<uint16_t> postingLengths_;
    // Entries by comparison length (ascending within a length).
    std::vector<std::vector<int>> byLength_;
    const rPosting* posting(uint32_t hash) const;
};

// The batch over one list ("Heuristic" runs it on one list, "HeuristicFull" on each): every string of `strings`
// except pexNoTrans ones, whose status is empty, gets LDFound, LDResult and, with a candidate, its translation (full
// setter) and a pair in `pairs`. Progress every 10 strings; the pass stops at once on a cancel request. `threads` (1 or
// 2) splits the matching, never the order of the results. Returns the number of strings left without a candidate,
// -1 when cancelled.
int heuristicPass(TAppContext& app, tListSet& vocabularyLists, tSkyStrList& strings, int listIndex,
                  std::vector<std::pair<tSkyStr*, tSkyStr*>>& pairs, int threads = 1);

// The same pass with the literal rule (reference for tests and benchmarks).
int heuristicPassLiteral(TAppContext& app, tListSet& vocabularyLists, tSkyStrList& strings, int listIndex,
                         std::vector<std::pair<tSkyStr*, tSkyStr*>>& pairs);

// The candidates of one string for the Suggestions tab: every entry of the string's vocabulary list under its
// threshold, in list order, each with its LDResult set to the distance (0.6 for 0). Each entry is prepared on the way.
std::vector<tSkyStr*> heuristicCandidates(const tSkyStr& s, tSkyStrList& vocabulary);

// The number shown in the LD column: "-" above 90, the integer part (with "+" when LDFound > 1) above 0, else empty.
QString ldColumnText(float ldResult, int32_t ldFound);

// Word proposals. `oneWordList` is the vocabulary's one-word entries of list 0 (TVocabulary::oneWordList).
// textWords: the distinct words of `text` longer than 3 characters (punctuation made spaces, lower-cased), sorted
// ignoring case, at most `max`; `out` is cleared first.
void textWords(QStringList& out, const QString& text, int max);
// wordSuggestions: up to `max` likely translations of `word` (trimmed, lower-cased): the translations of the one-word
// entries for that word, else the words that most often appear in the translations of list 0 and 2 entries holding
// it (translations of other single words left out). A word of 2 characters or fewer leaves `out` unchanged.
void wordSuggestions(QStringList& out, const QString& word, int max, const std::vector<tSkyStr*>& oneWordList,
                     const tListSet& vocabularyLists);
