// What spelling reads as words (the game's mark-up, numbers and addresses left out), the case rules of the known-word
// sets, and the translator's word file.
#include "aids/QUILL_spelling.h"
#include "temp_program_dir.h"

#include <gtest/gtest.h>

using namespace quillspell;

namespace {

QStringList words(const QString& text) {
    QStringList out;
    for (const rWordSpan& w : textWords(text))
        out << text.mid(w.position, w.length);
    return out;
}

} // namespace

TEST(SpellingWords, GameMarkupNumbersAndAddressesAreNotWords) {
    // Misspelled words inside the mark-up would be reported if a run were misread as text.
    const QString text = QStringLiteral(
        "<Alias=Playre> lit <font face='$HandwritenFont'>Chère</font>[pagebreak]%d balles,%.2f%% de $MyKeyy {0} "
        "&amp;&#233; \\nsuite 10mm 2e a x_y https://www.nexusmods.com/fallout4 moi@site.fr <p align=\"center\">fin");
    EXPECT_EQ(words(text), QStringList({"lit", "Chère", "balles", "de", "suite", "fin"}));
    // A '<' or '%' that opens no mark-up is plain text: French writes "50 % de".
    EXPECT_EQ(words(QStringLiteral("5 < 6 et 50 % de dégâts, <unclosed")),
              QStringList({"et", "de", "dégâts", "unclosed"}));
}

TEST(SpellingWords, ApostrophesAndHyphensInsideWordsOnly) {
    const QString text =
        QStringLiteral("l'épée, aujourd’hui -tiret porte-monnaie fin- 'cité' soldiers' Hello<br>World");
    EXPECT_EQ(words(text), QStringList({"l'épée", "aujourd’hui", "tiret", "porte-monnaie", "fin", "cité", "soldiers",
                                        "Hello", "World"}));
    const std::vector<rWordSpan> spans = textWords(text);
    EXPECT_EQ(spans[1].position, text.indexOf(QStringLiteral("aujourd")));
    EXPECT_EQ(spans[1].length, 11);
    EXPECT_EQ(lookupForm(QStringLiteral("aujourd’hui porte‑monnaie")), QStringLiteral("aujourd'hui porte-monnaie"));
}

TEST(SpellingWords, WordSetFollowsTheDictionaryCaseRules) {
    TWordSet set;
    set.insert(QStringLiteral("fusil"));
    set.insert(QStringLiteral("Preston"));
    set.insert(QStringLiteral("l’Institut"));
    set.insert(QStringLiteral("McDonald"));
    for (const char* known : {"fusil", "Fusil", "FUSIL", "Preston", "PRESTON", "l'Institut", "McDonald", "MCDONALD"})
        EXPECT_TRUE(set.contains(QString::fromUtf8(known))) << known;
    // A proper noun in small letters, or letters capitalised inside a word, are other words.
    for (const char* unknown : {"preston", "fUSIL", "Mcdonald", "mcdonald", "fusils"})
        EXPECT_FALSE(set.contains(QString::fromUtf8(unknown))) << unknown;

    TWordSet order;
    for (const char* w : {"beta", "alpha", "Alpha", "Émile", "zèbre"})
        order.insert(QString::fromUtf8(w));
    EXPECT_EQ(order.sorted(), QStringList({"Alpha", "alpha", "beta", "zèbre", "Émile"}));
}

TEST(SpellingWords, WordSetOfTranslationsKeepsCompoundsAndTheirParts) {
    tListSet lists;
    lists[0].push_back(
        std::make_unique<tSkyStr>(QStringLiteral("Nuka-Cola"), QStringLiteral("Nuka-Cola <Alias=Xyz>"), 0, 1u, 99));
    lists[2].push_back(
        std::make_unique<tSkyStr>(QStringLiteral("x"), QStringLiteral("Codsworth's l’Institut 10mm"), 2, 2u, 99));
    const TWordSet set = TWordSet::fromTranslations(lists);
    for (const char* w : {"Nuka-Cola", "Nuka", "Cola", "Codsworth's", "Codsworth", "l'Institut", "Institut"})
        EXPECT_TRUE(set.contains(QString::fromUtf8(w))) << w;
    EXPECT_FALSE(set.containsExactly(QStringLiteral("Xyz")));
    EXPECT_FALSE(set.containsExactly(QStringLiteral("10mm")));
}

TEST(SpellingWords, WordFileRoundTripAndHandWrittenFiles) {
    TTempProgramDir dir(false);
    TWordSet set;
    for (const char* w : {"Zorblax", "Émile", "aardvarkz"})
        set.insert(QString::fromUtf8(w));
    const QString path = dir.file(QStringLiteral("UserDictionary/words_fr.txt"));
    ASSERT_TRUE(writeWordFile(path, set));
    EXPECT_EQ(fileBytes(path), QByteArray("aardvarkz\nZorblax\n\xC3\x89mile\n"));
    EXPECT_EQ(readWordFile(path), QStringList({"aardvarkz", "Zorblax", "Émile"}));

    // Edited by hand on Windows: a byte-order mark, CR LF, blanks, a comment.
    const QString edited = dir.write(QStringLiteral("words_en.txt"),
                                     QByteArray("\xEF\xBB\xBF# mine\r\n  Preston \r\n\r\nG\xC3\xA9nial\r\n"));
    EXPECT_EQ(readWordFile(edited), QStringList({"Preston", "Génial"}));
    const QString utf16 = dir.write(QStringLiteral("words_de.txt"), QByteArray("\xFF\xFE"
                                                                               "A\0b\0\n\0",
                                                                               8));
    EXPECT_EQ(readWordFile(utf16), QStringList({"Ab"}));
    EXPECT_TRUE(readWordFile(dir.file(QStringLiteral("missing.txt"))).isEmpty());
}
