// Heuristic suggestions: the threshold rules, the bounded kernel against the full table, the fast batch against the
// literal rule, the pass's choices (ties, distance 25, skipped strings, cancel) and the word tokens.
#include "aids/QUILL_heuristic.h"
#include "scripted_host.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::unique_ptr<tSkyStr> entry(const QString& source, const QString& translation = {}, int list = 0) {
    return std::make_unique<tSkyStr>(source, translation.isEmpty() ? source : translation, list, 0u, 99, sStrParams{},
                                     sStrInternalParams{}, nullptr, true);
}

const QStringList kWords = {QStringLiteral("the"),    QStringLiteral("iron"),      QStringLiteral("sword"),
                            QStringLiteral("of"),     QStringLiteral("dragon"),    QStringLiteral("fire"),
                            QStringLiteral("Cold"),   QStringLiteral("steel"),     QStringLiteral("door"),
                            QStringLiteral("open"),   QStringLiteral("key"),       QStringLiteral("a"),
                            QStringLiteral("épée"),   QStringLiteral("LOCKED"),    QStringLiteral("<Alias=Actor>"),
                            QStringLiteral("house"),  QStringLiteral("you"),       QStringLiteral("need"),
                            QStringLiteral("bottle"), QStringLiteral("nuka-cola"), QStringLiteral("\U0001F600go")};

// A random text: mostly a few words of the small list (so that shared words and close texts are frequent), with
// punctuation, sometimes empty, one word, or long enough to need several 64-character blocks.
QString randomText(std::mt19937& rng) {
    const int kind = static_cast<int>(rng() % 20);
    if (kind == 0) return {};
    if (kind == 1) return kWords[static_cast<qsizetype>(rng() % kWords.size())];
    if (kind == 2) return QString(QChar(u'a' + static_cast<char16_t>(rng() % 3)));
    const int words = kind < 5 ? 20 + static_cast<int>(rng() % 30) : 1 + static_cast<int>(rng() % 8);
    QString text;
    for (int w = 0; w < words; ++w) {
        if (w) text += rng() % 9 == 0 ? QStringLiteral(", ") : QStringLiteral(" ");
        QString word = kWords[static_cast<qsizetype>(rng() % kWords.size())];
        if (rng() % 7 == 0) word[0] = QChar(u'x');
        text += word;
    }
    if (rng() % 3 == 0) text += QLatin1Char('.');
    return text;
}

} // namespace

TEST(CandidateThreshold, WordCountsDecideNeedAndTolerance) {
    // No word hash (one letter): threshold 2 whatever the candidate.
    auto letter = entry(QStringLiteral("a"));
    ASSERT_TRUE(letter->words().isEmpty());
    EXPECT_EQ(candidateThreshold(*letter, *entry(QStringLiteral("completely other words"))), 2);

    // Three words need one common word and get 5 more: L = 17 -> round(11.33) = 11, + 5.
    auto three = entry(QStringLiteral("iron sword broken"));
    ASSERT_EQ(three->words().size(), 3);
    EXPECT_EQ(candidateThreshold(*three, *entry(QStringLiteral("sword"))), 16);
    EXPECT_EQ(candidateThreshold(*three, *entry(QStringLiteral("nothing alike"))), 0);

    // Four words need two: L = 23 -> round(15.33) = 15, no extra.
    auto four = entry(QStringLiteral("iron sword broken blade"));
    ASSERT_EQ(four->words().size(), 4);
    EXPECT_EQ(candidateThreshold(*four, *entry(QStringLiteral("iron dagger"))), 0);
    EXPECT_EQ(candidateThreshold(*four, *entry(QStringLiteral("iron blade"))), 15);
    // L = 20 -> 40/3 = 13.33 rounds to 13; L = 22 -> 14.67 rounds to 15 (a wrong rounding shows here).
    EXPECT_EQ(candidateThreshold(*entry(QStringLiteral("aaaa bbbb cccc ddddd")), *entry(QStringLiteral("aaaa bbbb"))),
              13);
    EXPECT_EQ(candidateThreshold(*entry(QStringLiteral("aaaa bbbb cccc ddddddd")), *entry(QStringLiteral("aaaa bbbb"))),
              15);
    // Long texts are capped at 25 (30 with the one-to-three-word tolerance).
    auto longFour = entry(QStringLiteral("iron sword broken blade with a very long tail of words"));
    ASSERT_EQ(longFour->words().size(), 9); // needs 4 common words
    EXPECT_EQ(candidateThreshold(*longFour, *entry(QStringLiteral("iron blade with"))), 0);
    EXPECT_EQ(candidateThreshold(*longFour, *entry(QStringLiteral("iron blade with tail"))), 25);
    auto longOne = entry(QStringLiteral("supercalifragilisticexpialidocious-and-more"));
    EXPECT_EQ(candidateThreshold(*longOne, *longOne), 30);

    // A repeated word of the string counts each time it occurs: "the the iron sword" needs 2 and "the" gives 2.
    auto repeated = entry(QStringLiteral("the the iron sword"));
    ASSERT_EQ(repeated->words().size(), 4);
    EXPECT_GT(candidateThreshold(*repeated, *entry(QStringLiteral("the end"))), 0);

    // The hashes are made when first asked and made anew for a new source (stale ones would keep the old words).
    repeated->setS(QStringLiteral("dragon"));
    ASSERT_EQ(repeated->words().size(), 1);
    EXPECT_EQ(candidateThreshold(*repeated, *entry(QStringLiteral("the end"))), 0);
}

TEST(LevenshteinDistance, FullTableBasics) {
    EXPECT_EQ(levenshteinDistance(u"", u"abc"), 3);
    EXPECT_EQ(levenshteinDistance(u"kitten", u"sitting"), 3);
    EXPECT_EQ(levenshteinDistance(u"flaw", u"lawn"), 2);
    // Code units, exactly: case counts, and a character outside the BMP is two units.
    EXPECT_EQ(levenshteinDistance(u"Abc", u"abc"), 1);
    EXPECT_EQ(levenshteinDistance(u"a\U0001F600", u"a"), 2);
}

TEST(BoundedDistance, KernelEqualsFullTableOnRandomPairs) {
    std::mt19937 rng(1234);
    const char16_t alphabet[] = {u'a', u'b', u'c', u'd', u' ', u'\u00e9', u'\u4e2d', 0xD83D, 0xDE00, u'z'};
    auto randomString = [&](int maxLength, int letters) {
        QString s;
        const int n = static_cast<int>(rng() % static_cast<unsigned>(maxLength + 1));
        for (int i = 0; i < n; ++i)
            s += QChar(alphabet[rng() % static_cast<unsigned>(letters)]);
        return s;
    };
    TBoundedDistance kernel;
    int exact = 0;
    for (int k = 0; k < 100000; ++k) {
        // Lengths around the 64-character block edges and past 200; sometimes the texts are close copies.
        const int maxLength = (k % 10 == 0) ? 300 : (k % 3 == 0 ? 140 : 70);
        const int letters = 2 + static_cast<int>(rng() % 9);
        const QString a = randomString(maxLength, letters);
        QString b = rng() % 2 ? randomString(maxLength, letters) : a;
        if (b == a && !b.isEmpty())
            for (int e = static_cast<int>(rng() % 12); e > 0; --e)
                b[static_cast<qsizetype>(rng() % static_cast<unsigned>(b.size()))] =
                    QChar(alphabet[rng() % static_cast<unsigned>(letters)]);
        const int bound = k % 5 == 0 ? 1000 : 1 + static_cast<int>(rng() % 40);
        const int full = levenshteinDistance(a, b);
        kernel.setPattern(a);
        const int fast = kernel.distance(b, bound);
        if (full < bound) {
            ASSERT_EQ(fast, full) << k << ' ' << a.size() << ' ' << b.size() << ' ' << bound;
            ++exact;
        } else {
            ASSERT_GE(fast, bound) << k;
        }
    }
    EXPECT_GT(exact, 30000); // enough pairs under their bound to test the exact values
}

TEST(HeuristicBatch, FastBatchEqualsLiteralRule) {
    std::mt19937 rng(42);
    tListSet vocabulary;
    for (int k = 0; k < 2000; ++k) {
        QString source = randomText(rng);
        // Repeats of an earlier entry: the same text, the same text in capitals (the same comparison text and words),
        // and a long text with words added past the 150 characters the comparison keeps (the same comparison text,
        // other words). Each must count, and the earliest must win a tie.
        if (k >= 100 && k % 7 == 0) {
            const QString earlier = vocabulary[0][static_cast<size_t>(rng() % static_cast<unsigned>(k))]->gS;
            source = k % 3 == 0 ? earlier : (k % 3 == 1 ? earlier.toUpper() : earlier + QStringLiteral(" house key"));
        }
        // A few entries of another list index, which every string skips.
        vocabulary[0].push_back(entry(source, QStringLiteral("T%1 ").arg(k) + source, k % 97 == 0 ? 1 : 0));
    }
    tSkyStrList literalStrings, fastStrings, twoThreadStrings;
    for (int k = 0; k < 2000; ++k) {
        const QString source = randomText(rng);
        const sStrParams status = k % 23 == 0 ? sStrParams{sStrParam::validated} : sStrParams{};
        for (tSkyStrList* list : {&literalStrings, &fastStrings, &twoThreadStrings}) {
            list->push_back(entry(source));
            list->back()->sparams = status;
            list->back()->id = static_cast<uint32_t>(k);
        }
    }
    TScriptedHost host;
    TAppContext app(&host);
    std::vector<std::pair<tSkyStr*, tSkyStr*>> literalPairs, fastPairs, twoThreadPairs;
    const int literalLeft = heuristicPassLiteral(app, vocabulary, literalStrings, 0, literalPairs);
    const int fastLeft = heuristicPass(app, vocabulary, fastStrings, 0, fastPairs, 1);
    const int twoThreadLeft = heuristicPass(app, vocabulary, twoThreadStrings, 0, twoThreadPairs, 2);
    EXPECT_EQ(fastLeft, literalLeft);
    EXPECT_EQ(twoThreadLeft, literalLeft);
    int chosen = 0, several = 0;
    for (size_t k = 0; k < literalStrings.size(); ++k) {
        const tSkyStr& a = *literalStrings[k];
        for (const tSkyStrList* other : {&fastStrings, &twoThreadStrings}) {
            const tSkyStr& b = *(*other)[k];
            ASSERT_EQ(b.LDFound, a.LDFound) << a.gS.toStdString();
            ASSERT_EQ(b.LDResult, a.LDResult) << a.gS.toStdString();
            ASSERT_EQ(b.gTrans, a.gTrans) << a.gS.toStdString();
        }
        chosen += a.LDResult < 90 ? 1 : 0;
        several += a.LDFound > 1 ? 1 : 0;
    }
    ASSERT_EQ(fastPairs.size(), literalPairs.size());
    ASSERT_EQ(twoThreadPairs.size(), literalPairs.size());
    for (size_t k = 0; k < literalPairs.size(); ++k) {
        EXPECT_EQ(fastPairs[k].second, literalPairs[k].second);
        EXPECT_EQ(twoThreadPairs[k].second, literalPairs[k].second);
        EXPECT_EQ(fastPairs[k].first->id, literalPairs[k].first->id);
    }
    // The sample must exercise both outcomes.
    EXPECT_GT(chosen, 500);
    EXPECT_GT(several, 300);
    EXPECT_GT(literalLeft, 100);
}

TEST(HeuristicBatch, FirstOfEqualDistancesWinsAndDistance25IsOnlyCounted) {
    tListSet vocabulary;
    vocabulary[0].push_back(entry(QStringLiteral("The iron swords"), QStringLiteral("Les épées")));    // d = 1
    vocabulary[0].push_back(entry(QStringLiteral("The iron sword!"), QStringLiteral("L'épée !")));     // d = 1
    vocabulary[0].push_back(entry(QStringLiteral("The iron sword"), QStringLiteral("wrong list"), 1)); // skipped
    // One long word: threshold 30; a candidate at distance 26 is counted but never chosen.
    const QString longWord = QStringLiteral("abcdefghijklmnopqrstuvwxyzabcdefghijklm");
    vocabulary[0].push_back(
        entry(longWord + QStringLiteral(" ") + QString(25, QLatin1Char('q')), QStringLiteral("far")));
    tSkyStrList strings;
    strings.push_back(entry(QStringLiteral("The iron sword")));
    strings.push_back(entry(longWord));
    strings.push_back(entry(QStringLiteral("The iron sword"))); // validated: left alone
    strings.back()->sparams = {sStrParam::validated};
    strings.push_back(entry(QStringLiteral("The iron sword"))); // script text that is never translated
    strings.back()->sInternalparams.set(sStrInternalParam::pexNoTrans);
    ASSERT_EQ(levenshteinDistance(strings[1]->ld(), vocabulary[0][3]->ld()), 26);

    TScriptedHost host;
    TAppContext app(&host);
    std::vector<std::pair<tSkyStr*, tSkyStr*>> pairs;
    EXPECT_EQ(heuristicPass(app, vocabulary, strings, 0, pairs), 1);
    EXPECT_EQ(strings[0]->gTrans, QStringLiteral("Les épées"));
    EXPECT_EQ(strings[0]->LDResult, 1.0f);
    EXPECT_EQ(strings[0]->LDFound, 2);
    EXPECT_TRUE(strings[0]->sparams.empty()); // still untranslated: the score marks it for review
    EXPECT_EQ(strings[1]->LDFound, 1);
    EXPECT_EQ(strings[1]->LDResult, kLdNothingFound);
    EXPECT_EQ(strings[1]->gTrans, longWord);
    EXPECT_EQ(strings[2]->gTrans, QStringLiteral("The iron sword"));
    EXPECT_EQ(strings[3]->LDResult, 99.0f);
    EXPECT_EQ(strings[3]->LDFound, 0);
    ASSERT_EQ(pairs.size(), 1u);
    EXPECT_EQ(pairs[0].second, vocabulary[0][0].get());

    // Distance 0 is stored as 0.6; a one-letter string takes a candidate one edit away.
    tSkyStrList exact;
    exact.push_back(entry(QStringLiteral("The iron swords")));
    exact.push_back(entry(QStringLiteral("b")));
    vocabulary[0].push_back(entry(QStringLiteral("c"), QStringLiteral("cé")));
    vocabulary[0].push_back(entry(QStringLiteral("cde"), QStringLiteral("too far")));
    pairs.clear();
    EXPECT_EQ(heuristicPass(app, vocabulary, exact, 0, pairs, 2), 0);
    EXPECT_EQ(exact[0]->LDResult, kLdExactCandidate);
    EXPECT_EQ(exact[1]->gTrans, QStringLiteral("cé"));
    EXPECT_EQ(exact[1]->LDResult, 1.0f);
}

TEST(HeuristicBatch, RepeatedEntriesEachCountAndTheFirstIsChosen) {
    // Two-letter words carry no hash, and the comparison keeps 150 characters: the first two entries have the same
    // comparison text but different words, so only the second shares the string's word.
    QString filler;
    for (int k = 0; k < 50; ++k)
        filler += QStringLiteral("aa ");
    tListSet vocabulary;
    vocabulary[0].push_back(entry(filler + QStringLiteral("sword"), QStringLiteral("épée")));
    vocabulary[0].push_back(entry(filler + QStringLiteral("dragon"), QStringLiteral("dragon 1")));
    vocabulary[0].push_back(entry(filler + QStringLiteral("dragon"), QStringLiteral("dragon 2")));
    vocabulary[0].push_back(entry((filler + QStringLiteral("dragon")).toUpper(), QStringLiteral("dragon 3")));
    ASSERT_EQ(vocabulary[0][0]->ld(), vocabulary[0][1]->ld());
    ASSERT_NE(vocabulary[0][0]->words(), vocabulary[0][1]->words());
    tSkyStrList literal, fast;
    for (tSkyStrList* list : {&literal, &fast})
        list->push_back(entry(filler.left(144) + QStringLiteral("dragon")));
    TScriptedHost host;
    TAppContext app(&host);
    std::vector<std::pair<tSkyStr*, tSkyStr*>> pairs;
    heuristicPassLiteral(app, vocabulary, literal, 0, pairs);
    heuristicPass(app, vocabulary, fast, 0, pairs);
    EXPECT_EQ(literal[0]->LDFound, 3);
    EXPECT_EQ(literal[0]->gTrans, QStringLiteral("dragon 1"));
    EXPECT_EQ(fast[0]->LDFound, literal[0]->LDFound);
    EXPECT_EQ(fast[0]->LDResult, literal[0]->LDResult);
    EXPECT_EQ(fast[0]->gTrans, literal[0]->gTrans);
}

TEST(HeuristicBatch, CancelStopsAtOnceAndKeepsWhatWasDone) {
    tListSet vocabulary;
    vocabulary[0].push_back(entry(QStringLiteral("Open the door"), QStringLiteral("Ouvrir la porte")));
    tSkyStrList strings;
    for (int k = 0; k < 30; ++k)
        strings.push_back(entry(QStringLiteral("Open the doors")));
    // The host asks to cancel once the progress reaches string 10.
    struct TCancelAt10 : TScriptedHost {
        void processEvents() override { cancel = progressPosition >= 10; }
    } host;
    TAppContext app(&host);
    std::vector<std::pair<tSkyStr*, tSkyStr*>> pairs;
    EXPECT_EQ(heuristicPass(app, vocabulary, strings, 0, pairs, 2), -1);
    EXPECT_EQ(pairs.size(), 10u);
    EXPECT_EQ(strings[9]->gTrans, QStringLiteral("Ouvrir la porte"));
    EXPECT_EQ(strings[10]->gTrans, QStringLiteral("Open the doors"));
    EXPECT_EQ(strings[10]->LDResult, 99.0f);
}

TEST(HeuristicCandidates, ListsEveryCandidateWithItsDistanceAndColumnText) {
    tSkyStrList vocabulary;
    vocabulary.push_back(entry(QStringLiteral("Open the doors")));
    vocabulary.push_back(entry(QStringLiteral("Nothing in common here")));
    vocabulary.push_back(entry(QStringLiteral("Open the door")));
    auto s = entry(QStringLiteral("Open the door"));
    const std::vector<tSkyStr*> found = heuristicCandidates(*s, vocabulary);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0], vocabulary[0].get());
    EXPECT_EQ(found[0]->LDResult, 1.0f);
    EXPECT_EQ(found[1]->LDResult, kLdExactCandidate);
    EXPECT_EQ(ldColumnText(99.0f, 0), QStringLiteral("-"));
    EXPECT_EQ(ldColumnText(3.0f, 1), QStringLiteral("3"));
    EXPECT_EQ(ldColumnText(3.0f, 2), QStringLiteral("3+"));
    EXPECT_EQ(ldColumnText(0.6f, 4), QStringLiteral("0+"));
    EXPECT_EQ(ldColumnText(0.0f, 4), QString());
}

TEST(WordTokens, TextWordsAndSuggestions) {
    QStringList out{QStringLiteral("stale")};
    textWords(out, QStringLiteral("The Dragon's fire, the dragon; AND ice\r\nfire door"), 12);
    // Distinct words longer than 3 characters, lower-cased, sorted.
    EXPECT_EQ(out, (QStringList{QStringLiteral("door"), QStringLiteral("dragon"), QStringLiteral("fire")}));
    textWords(out, QStringLiteral("alpha beta gamma delta"), 2);
    EXPECT_EQ(out, (QStringList{QStringLiteral("alpha"), QStringLiteral("beta")}));

    tListSet vocabulary;
    auto addOneWord = [&](const QString& s, const QString& t) {
        vocabulary[0].push_back(entry(s, t));
        EXPECT_TRUE(vocabulary[0].back()->hasFlag(sStrInternalParam::isOneWord));
    };
    addOneWord(QStringLiteral("Sword"), QStringLiteral("Épée"));
    addOneWord(QStringLiteral("Steel"), QStringLiteral("acier"));
    for (int k = 0; k < 4; ++k) {
        vocabulary[0].push_back(entry(QStringLiteral("A steel door %1").arg(k), QStringLiteral("Une porte en acier")));
        vocabulary[2].push_back(entry(QStringLiteral("The door is open"), QStringLiteral("La porte est ouverte")));
    }
    vocabulary[0].push_back(entry(QStringLiteral("Door of steel"), QStringLiteral("Porte blindée")));
    std::vector<tSkyStr*> oneWordList;
    for (auto& e : vocabulary[0])
        if (e->hasFlag(sStrInternalParam::isOneWord)) oneWordList.push_back(e.get());

    // A one-word entry answers directly.
    out = QStringList{QStringLiteral("stale")};
    wordSuggestions(out, QStringLiteral("  SWORD "), 5, oneWordList, vocabulary);
    EXPECT_EQ(out, QStringList{QStringLiteral("épée")});
    // Otherwise the words most common in the translations of entries holding it: limit = (9 + 5) div 3 = 4, so
    // "porte" (9) and "ouverte" (4) pass; "acier" (4 uses) is the translation of the one word "steel", so it is
    // banned for "door" and never grows; "une" and "est" are too short.
    wordSuggestions(out, QStringLiteral("door"), 5, oneWordList, vocabulary);
    EXPECT_EQ(out, (QStringList{QStringLiteral("porte"), QStringLiteral("ouverte")}));
    wordSuggestions(out, QStringLiteral("door"), 1, oneWordList, vocabulary);
    EXPECT_EQ(out, QStringList{QStringLiteral("porte")});
    // Two letters leave the list as it was.
    wordSuggestions(out, QStringLiteral("do"), 5, oneWordList, vocabulary);
    EXPECT_EQ(out, QStringList{QStringLiteral("porte")});
    // A word seen nowhere clears the list.
    wordSuggestions(out, QStringLiteral("nowhere"), 5, oneWordList, vocabulary);
    EXPECT_TRUE(out.isEmpty());
}
