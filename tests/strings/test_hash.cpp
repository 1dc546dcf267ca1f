// Text hash, hash step and the comparison form.
#include "strings/QUILL_hash.h"

#include <gtest/gtest.h>

TEST(TextHash, EmptyTextIsTheSeedAndHighBytesAreIgnored) {
    EXPECT_EQ(textHash(u""), 0x811C9DC5u);
    // FNV-1a of "a": (0x811C9DC5 ^ 0x61) * 16777619
    EXPECT_EQ(textHash(u"a"), 0xE40C292Cu);
    // U+0141 and U+0041 share their low byte.
    EXPECT_EQ(textHash(QString(QChar(0x0141))), textHash(u"A"));
    EXPECT_NE(textHash(u"ab"), textHash(u"ba"));
}

TEST(TextHash, BatchHashesEqualOneByOneForEveryLengthMixAndTail) {
    // Lengths differ within each group of four (the shared loop stops at the shortest) and the count is not a
    // multiple of four (the last texts are hashed alone).
    std::vector<QString> texts;
    for (int i = 0; i < 23; ++i)
        texts.push_back(QString(i * 7 % 13, QChar(u'a' + i)) + QString(QChar(0x0100 + i)));
    texts[5].clear();
    texts[6].clear();
    texts.push_back(QString(300, QChar(u'x')));
    std::vector<uint32_t> hashes(texts.size(), 0);
    textHashes(texts.data(), static_cast<qsizetype>(texts.size()), hashes.data());
    for (size_t i = 0; i < texts.size(); ++i)
        EXPECT_EQ(hashes[i], textHash(texts[i])) << i;
}

TEST(TextParse, QuickLowerCaseAndTaglessPathAgreeWithTheGeneralOnes) {
    const QStringList texts = {"",
                               "abc",
                               "ABC def",
                               "Iron Sword",
                               "\u00c9P\u00c9E",
                               "Stra\u00dfe",
                               "<Alias=Player>",
                               "Hi <Global=X> <b>",
                               "[pagebreak]A",
                               "MiXeD 123 ?!"};
    for (const QString& text : texts) {
        EXPECT_EQ(lowerCased(text), text.toLower()) << text.toStdString();
        rParse shared, viewed;
        parseString(text, shared);
        parseString(QStringView(text), viewed);
        EXPECT_EQ(shared.sLD, viewed.sLD) << text.toStdString();
        EXPECT_EQ(shared.sOneWord, viewed.sOneWord);
        EXPECT_EQ(shared.sIsOneWord, viewed.sIsOneWord);
        EXPECT_EQ(shared.sTagHash, viewed.sTagHash);
        EXPECT_EQ(shared.sTagCount, viewed.sTagCount);
    }
}

TEST(TextHash, HashStepStartsFromTheSeedWhenZero) {
    EXPECT_EQ(hashStep(0, 5), (0x811C9DC5u ^ 5u) * 16777619u);
    EXPECT_EQ(hashStep(7, 5), (7u ^ 5u) * 16777619u);
}

TEST(ParseString, RecognisedTagsBecomeTokensAndCount) {
    rParse p;
    QStringList tags;
    parseString(u"<Alias=Player>", p, &tags);
    EXPECT_EQ(p.sLD, "<a>");
    EXPECT_EQ(p.sTag, "<Alias=Player>");
    EXPECT_EQ(p.sTagCount, 1);
    EXPECT_EQ(tags, QStringList{"<Alias=Player>"});
    EXPECT_EQ(p.sTagHash, textHash(u"<alias=player>"));

    parseString(u"Hi <font color='#ff'>x</font> <Global=G> <RelationshipRank=1> <BaseName=Z>", p);
    EXPECT_EQ(p.sLD, "Hi <font color='#ff'>x</font> <g> <r> <b>");
    EXPECT_EQ(p.sTagCount, 3);
}

TEST(ParseString, NestedOpenAndUnfinishedTags) {
    rParse p;
    parseString(u"a <x <Alias=Q> b <unfinished", p);
    EXPECT_EQ(p.sLD, "a <x <a> b <unfinished");
    EXPECT_EQ(p.sTagCount, 1);
    parseString(u"plain", p);
    EXPECT_EQ(p.sTagHash, 0u);
}

TEST(ParseString, OneWordBounds) {
    rParse p;
    parseString(u"x", p);
    EXPECT_FALSE(p.sIsOneWord);
    parseString(u"Sword", p);
    EXPECT_TRUE(p.sIsOneWord);
    EXPECT_EQ(p.sOneWord, "sword");
    parseString(u"Sword!", p); // punctuation becomes a space, so this is not one word
    EXPECT_FALSE(p.sIsOneWord);
    parseString(u"Pip-Boy", p);
    EXPECT_TRUE(p.sIsOneWord); // the hyphen is not punctuation
    parseString(u"Two words", p);
    EXPECT_FALSE(p.sIsOneWord);
    parseString(QString(25, QLatin1Char('a')), p);
    EXPECT_FALSE(p.sIsOneWord);
    parseString(QString(24, QLatin1Char('a')), p);
    EXPECT_TRUE(p.sIsOneWord);
}

TEST(WordHashes, ShortWordsSkippedAndCappedAt31) {
    QList<uint32_t> hashes;
    addWordHashes(u"a an the Power\r\nArmor, ok", hashes);
    ASSERT_EQ(hashes.size(), 3);
    EXPECT_EQ(hashes[0], textHash(u"the"));
    EXPECT_EQ(hashes[1], textHash(u"power"));
    EXPECT_EQ(hashes[2], textHash(u"armor"));

    QString many;
    for (int i = 0; i < 40; ++i)
        many += QStringLiteral("word%1 ").arg(i);
    hashes.clear();
    addWordHashes(many, hashes);
    EXPECT_EQ(hashes.size(), 31);
}

TEST(WordHashes, AsciiAndNonAsciiWordsHashTheirLowerCase) {
    QList<uint32_t> hashes;
    addWordHashes(u"ÉCOLE Straße\r\nCAFÉ déjà-vu Ab\rCD", hashes);
    ASSERT_EQ(hashes.size(), 5);
    EXPECT_EQ(hashes[0], textHash(QStringLiteral("ÉCOLE").toLower()));
    EXPECT_EQ(hashes[1], textHash(QStringLiteral("straße")));
    EXPECT_EQ(hashes[2], textHash(QStringLiteral("café")));
    EXPECT_EQ(hashes[3], textHash(QStringLiteral("déjà-vu")));
    EXPECT_EQ(hashes[4], textHash(u"abcd")); // a carriage return inside a word is dropped
}
