// The difference engine against a plain quadratic reference, and the record shapes the difference page reads.
#include "aids/Diff.h"

#include <QString>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

// Fewest adds plus deletes that turn a into b (modifies count as one of each): |a| + |b| - 2 LCS.
template <typename T> int referenceDistance(const std::vector<T>& a, const std::vector<T>& b) {
    std::vector<int> prev(b.size() + 1, 0), cur(b.size() + 1, 0);
    for (size_t i = 1; i <= a.size(); ++i) {
        for (size_t j = 1; j <= b.size(); ++j)
            cur[j] = a[i - 1] == b[j - 1] ? prev[j - 1] + 1 : std::max(prev[j], cur[j - 1]);
        std::swap(prev, cur);
    }
    return static_cast<int>(a.size() + b.size()) - 2 * prev[b.size()];
}

// The records cover both sequences in order, matches are equal elements, the statistics count the records, and
// the indexes the records carry are the positions of their elements.
template <typename T> void expectValidScript(const TDiff& diff, const std::vector<T>& a, const std::vector<T>& b) {
    std::vector<int32_t> rebuilt1, rebuilt2;
    TDiffStats counted;
    for (const TCompareRec& r : diff.records()) {
        switch (r.Kind) {
        case TChangeKind::ckNone:
            ASSERT_EQ(r.int1, r.int2);
            ++counted.matches;
            break;
        case TChangeKind::ckAdd:
            ASSERT_EQ(r.int1, 0);
            ++counted.adds;
            break;
        case TChangeKind::ckDelete:
            ASSERT_EQ(r.int2, 0);
            ++counted.deletes;
            break;
        case TChangeKind::ckModify:
            ++counted.modifies;
            break;
        }
        if (r.Kind != TChangeKind::ckAdd) {
            ASSERT_EQ(r.oldIndex1, static_cast<int>(rebuilt1.size()));
            rebuilt1.push_back(r.int1);
        }
        if (r.Kind != TChangeKind::ckDelete) {
            ASSERT_EQ(r.oldIndex2, static_cast<int>(rebuilt2.size()));
            rebuilt2.push_back(r.int2);
        }
    }
    ASSERT_EQ(rebuilt1, std::vector<int32_t>(a.begin(), a.end()));
    ASSERT_EQ(rebuilt2, std::vector<int32_t>(b.begin(), b.end()));
    const TDiffStats& s = diff.DiffStats();
    EXPECT_EQ(s.matches, counted.matches);
    EXPECT_EQ(s.adds, counted.adds);
    EXPECT_EQ(s.deletes, counted.deletes);
    EXPECT_EQ(s.modifies, counted.modifies);
}

TDiffStats run(TDiff& diff, const QString& a, const QString& b) {
    EXPECT_TRUE(diff.Execute(a, b));
    return diff.DiffStats();
}

QString kinds(const TDiff& diff) {
    QString out;
    for (const TCompareRec& r : diff.records())
        out += QLatin1Char("=+-~"[static_cast<int>(r.Kind)]);
    return out;
}

} // namespace

TEST(Diff, RandomPairsGiveValidMinimalScripts) {
    std::mt19937 rng(1234);
    for (int round = 0; round < 6000; ++round) {
        // Small alphabets make long common runs and many equal-cost paths; large ones make disjoint texts.
        const int alphabet = round % 3 == 0 ? 2 : round % 3 == 1 ? 4 : 26;
        const int maxLen = round % 10 == 0 ? 200 : 40;
        std::uniform_int_distribution<int> lenDist(0, maxLen);
        std::uniform_int_distribution<int> charDist(0, alphabet - 1);
        std::vector<char16_t> a(static_cast<size_t>(lenDist(rng))), b;
        for (auto& c : a)
            c = static_cast<char16_t>('a' + charDist(rng));
        if (round % 2) {
            b = a; // a mutated copy: close texts
            std::uniform_int_distribution<int> edits(0, 6);
            for (int e = edits(rng); e > 0 && !b.empty(); --e) {
                std::uniform_int_distribution<size_t> pos(0, b.size() - 1);
                const size_t p = pos(rng);
                if (rng() % 2)
                    b.erase(b.begin() + static_cast<long>(p));
                else
                    b.insert(b.begin() + static_cast<long>(p), static_cast<char16_t>('a' + charDist(rng)));
            }
        } else {
            b.resize(static_cast<size_t>(lenDist(rng)));
            for (auto& c : b)
                c = static_cast<char16_t>('a' + charDist(rng));
        }
        TDiff diff;
        ASSERT_TRUE(diff.Execute(a.data(), b.data(), static_cast<int>(a.size()), static_cast<int>(b.size())));
        expectValidScript(diff, a, b);
        const TDiffStats& s = diff.DiffStats();
        ASSERT_EQ(s.adds + s.deletes + 2 * s.modifies, referenceDistance(a, b)) << "round " << round;
    }
}

TEST(Diff, IntegerFormMatchesTheReference) {
    std::mt19937 rng(99);
    for (int round = 0; round < 1000; ++round) {
        std::uniform_int_distribution<int> lenDist(0, 60);
        std::uniform_int_distribution<int32_t> valueDist(-3, 3);
        std::vector<int32_t> a(static_cast<size_t>(lenDist(rng))), b(static_cast<size_t>(lenDist(rng)));
        for (auto& v : a)
            v = valueDist(rng) * 100000; // values beyond 16 bits must survive whole
        for (auto& v : b)
            v = valueDist(rng) * 100000;
        TDiff diff;
        ASSERT_TRUE(diff.Execute(a.data(), b.data(), static_cast<int>(a.size()), static_cast<int>(b.size())));
        expectValidScript(diff, a, b);
        const TDiffStats& s = diff.DiffStats();
        ASSERT_EQ(s.adds + s.deletes + 2 * s.modifies, referenceDistance(a, b));
    }
}

TEST(Diff, RecordShapes) {
    TDiff diff;
    TDiffStats s = run(diff, QStringLiteral("same"), QStringLiteral("same"));
    EXPECT_EQ(kinds(diff), QStringLiteral("===="));
    EXPECT_EQ(s.matches, 4);

    run(diff, QString(), QStringLiteral("abc"));
    EXPECT_EQ(kinds(diff), QStringLiteral("+++"));
    EXPECT_EQ(diff.compareRecord(2).oldIndex1, -1);
    run(diff, QStringLiteral("abc"), QString());
    EXPECT_EQ(kinds(diff), QStringLiteral("---"));
    EXPECT_EQ(diff.compareRecord(0).oldIndex2, -1);

    run(diff, QStringLiteral("abc"), QStringLiteral("abd"));
    EXPECT_EQ(kinds(diff), QStringLiteral("==~"));
    EXPECT_EQ(diff.compareRecord(2).chr1(), u'c');
    EXPECT_EQ(diff.compareRecord(2).chr2(), u'd');

    run(diff, QStringLiteral("abc"), QStringLiteral("abxyc"));
    EXPECT_EQ(kinds(diff), QStringLiteral("==++="));

    s = run(diff, QStringLiteral("abcd"), QStringLiteral("ad"));
    EXPECT_EQ(kinds(diff), QStringLiteral("=--="));
    EXPECT_EQ(s.modifies, 0);

    // Three deletes then two adds at one place: the adds pair with the deletes in order, the third delete stays.
    s = run(diff, QStringLiteral("xabcx"), QStringLiteral("xdex"));
    EXPECT_EQ(kinds(diff), QStringLiteral("=~~-="));
    EXPECT_EQ(diff.compareRecord(1).chr1(), u'a');
    EXPECT_EQ(diff.compareRecord(1).chr2(), u'd');
    EXPECT_EQ(diff.compareRecord(2).chr1(), u'b');
    EXPECT_EQ(diff.compareRecord(2).chr2(), u'e');
    EXPECT_EQ(diff.compareRecord(3).chr1(), u'c');
    EXPECT_EQ(s.modifies, 2);
    EXPECT_EQ(s.deletes, 1);
    EXPECT_EQ(s.matches + s.deletes + s.modifies, 5);
    EXPECT_EQ(s.matches + s.adds + s.modifies, 4);

    // Texts with surrogate pairs compare by code unit like any other text.
    run(diff, QStringLiteral("a\U0001F600b"), QStringLiteral("a\U0001F601b"));
    EXPECT_EQ(diff.DiffStats().matches, 3);
    EXPECT_EQ(diff.DiffStats().modifies, 1);

    diff.Clear();
    EXPECT_EQ(diff.Count(), 0);
    EXPECT_EQ(diff.DiffStats().matches, 0);
}

TEST(Diff, CancelAndReentry) {
    // Long disjoint texts reach the event hook; cancelling from it clears the records and fails the run.
    const QString a(3000, QLatin1Char('a')), b(3000, QLatin1Char('b'));
    TDiff diff;
    int calls = 0;
    bool reentered = true;
    diff.processEvents = [&] {
        if (++calls == 2) {
            reentered = diff.Execute(QStringLiteral("x"), QStringLiteral("y"));
            diff.Cancel();
        }
    };
    EXPECT_FALSE(diff.Execute(a, b));
    EXPECT_FALSE(reentered); // a second Execute during a run is refused
    EXPECT_TRUE(diff.Cancelled());
    EXPECT_EQ(diff.Count(), 0);

    // The next run starts afresh.
    diff.processEvents = {};
    EXPECT_TRUE(diff.Execute(QStringLiteral("ab"), QStringLiteral("ac")));
    EXPECT_FALSE(diff.Cancelled());
    EXPECT_EQ(diff.Count(), 2);
}
