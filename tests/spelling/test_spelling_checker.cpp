// Spell checking on the French and English dictionaries: misspelled words found where they stand, the game's terms of
// the vocabulary and the names the source holds known, the translator's words kept across a restart, the document's
// word list, and dictionaries that are missing, dropped beside the program or chosen in spelling.txt.
#include "aids/QUILL_spellDictionaries.h"
#include "spelling_test_support.h"

namespace {

int linesContaining(const QStringList& lines, const QString& part) {
    return static_cast<int>(
        std::count_if(lines.begin(), lines.end(), [&](const QString& l) { return l.contains(part); }));
}

} // namespace

TEST(Spelling, FrenchMisspelledWordFoundWhereItStandsWithSuggestions) {
    TTempProgramDir dir;
    TSpellingWorkspace f(dir, QStringLiteral("fr"));
    const QString text = QStringLiteral("Le fusil de la bibliotheque. L’épéé est là, aujourd'hui. Bibliothèque !");
    const auto unknown = unknownWordsInText(f.ws, text);
    ASSERT_EQ(unknown.size(), 2u);
    EXPECT_EQ(unknown[0], (quillspell::rUnknownWord{text.indexOf(QStringLiteral("bibliotheque")), 12,
                                                    QStringLiteral("bibliotheque")}));
    // After a known elision only the word it joins is underlined.
    EXPECT_EQ(unknown[1], (quillspell::rUnknownWord{text.indexOf(QStringLiteral("épéé")), 4, QStringLiteral("épéé")}));
    EXPECT_EQ(spellingDictionaryName(f.ws), QStringLiteral("fr_FR"));

    const QStringList suggestions = spellingSuggestions(f.ws, QStringLiteral("bibliotheque"));
    EXPECT_TRUE(suggestions.contains(QStringLiteral("bibliothèque")));
    EXPECT_LE(suggestions.size(), kSpellingSuggestions);
    EXPECT_EQ(spellingSuggestions(f.ws, QStringLiteral("fusill"), 1).size(), 1);

    // Checking as one types can be turned off; the document's word list still answers.
    setSpellingEnabled(f.ws, false);
    EXPECT_TRUE(f.unknown(text).isEmpty());
    f.add(0, QStringLiteral("The library"), text);
    EXPECT_EQ(documentUnknownWords(f.ws).size(), 2u);
}

TEST(Spelling, SourceWordsMarkupAndCompoundsAreNotReported) {
    TTempProgramDir dir;
    TSpellingWorkspace f(dir, QStringLiteral("fr"));
    const QString source = QStringLiteral("Take <Alias=Player> to Sanctuary Hills and meet Codsworth of Vault-Tec.");
    const QString translation =
        QStringLiteral("Emmenez <Alias=Playre> à Sanctuary Hills, voyez Codsworth et l'ami de CODSWORTH, les affaires "
                       "de Codsworth's, 10mm, %d capsules, $QuestKeyy, <font face='$Handwriten'>Vault-Tec</font>.");
    EXPECT_TRUE(f.unknown(translation, source).isEmpty()) << f.unknown(translation, source).join(',').toStdString();
    // Without the source the names are unknown; a hyphenated name is underlined part by part.
    const QStringList alone = f.unknown(translation);
    for (const char* name : {"Sanctuary", "Hills", "Codsworth", "Vault", "Tec"})
        EXPECT_TRUE(alone.contains(QString::fromUtf8(name))) << name;
    EXPECT_FALSE(alone.contains(QStringLiteral("Playre")));
    EXPECT_FALSE(alone.contains(QStringLiteral("Codsworth's")));
}

TEST(Spelling, VocabularyTermsKnownFromTheLoadUntilTheUnload) {
    TTempProgramDir dir;
    TSpellingWorkspace f(dir, QStringLiteral("fr"));
    const QString text = QStringLiteral("Un Stimpak et du Nuka-Cola pour la Confrérie, NUKA-COLA et Stimpaks.");
    EXPECT_EQ(f.unknown(text), QStringList({"Stimpak", "Nuka", "Cola", "NUKA", "COLA", "Stimpaks"}));
    f.loadVocabulary({{QStringLiteral("Stimpak"), QStringLiteral("Stimpak")},
                      {QStringLiteral("Nuka-Cola Quantum"), QStringLiteral("Nuka-Cola Quantum")},
                      {QStringLiteral("Brotherhood of Steel"), QStringLiteral("Confrérie de l'Acier")}});
    // The game's terms are known, in capitals too; an inflected form the vocabulary never wrote is not.
    EXPECT_EQ(f.unknown(text), QStringList({"Stimpaks"}));
    unloadVocabulary(f.ws);
    EXPECT_EQ(f.unknown(text).size(), 6);
}

TEST(Spelling, EnglishDictionaryAndPossessives) {
    TTempProgramDir dir;
    TSpellingWorkspace f(dir, QStringLiteral("en"));
    EXPECT_EQ(spellingDictionaryName(f.ws), QStringLiteral("en_US"));
    EXPECT_EQ(
        f.unknown(QStringLiteral("I recieve the Stimpak from Preston's friend, don’t I?"), QStringLiteral("Preston")),
        QStringList({"recieve", "Stimpak"}));
    EXPECT_TRUE(spellingSuggestions(f.ws, QStringLiteral("recieve")).contains(QStringLiteral("receive")));
    EXPECT_EQ(f.unknown(QStringLiteral("Prestonn's hat")), QStringList({"Prestonn"}));
}

TEST(Spelling, MyWordsKeptAcrossARestartIgnoredWordsForTheSession) {
    TTempProgramDir dir;
    {
        TSpellingWorkspace f(dir, QStringLiteral("fr"));
        EXPECT_EQ(f.unknown(QStringLiteral("Zorblax et Glorpp")), QStringList({"Zorblax", "Glorpp"}));
        EXPECT_EQ(
            addToMyWords(f.ws, {QStringLiteral("Zorblax"), QStringLiteral("aardvarkz"), QStringLiteral("Zorblax")}), 2);
        EXPECT_EQ(addToMyWords(f.ws, {QStringLiteral("Zorblax")}), 0);
        EXPECT_TRUE(ignoreSpellingWord(f.ws, QStringLiteral("Glorpp")));
        EXPECT_TRUE(f.unknown(QStringLiteral("Zorblax, ZORBLAX et Glorpp")).isEmpty());
        // Added as a name, the word in small letters is still another word.
        EXPECT_EQ(f.unknown(QStringLiteral("zorblax")), QStringList({"zorblax"}));
        EXPECT_EQ(fileBytes(dir.file(QStringLiteral("UserDictionary/words_fr.txt"))),
                  QByteArray("aardvarkz\nZorblax\n"));
    }
    TSpellingWorkspace restarted(dir, QStringLiteral("fr"));
    EXPECT_EQ(restarted.unknown(QStringLiteral("Zorblax et Glorpp aardvarkz")), QStringList({"Glorpp"}));
    // The words belong to their language.
    restarted.ws.app.state.DestLang = QStringLiteral("en");
    EXPECT_EQ(restarted.unknown(QStringLiteral("Zorblax")), QStringList({"Zorblax"}));
}

TEST(Spelling, MyWordsThatCannotBeWrittenAreReportedAndStillKnown) {
    TTempProgramDir dir;
    TSpellingWorkspace f(dir, QStringLiteral("fr"));
    // A folder where the file should be: the write fails.
    QDir().mkpath(dir.file(QStringLiteral("UserDictionary/words_fr.txt")));
    EXPECT_EQ(addToMyWords(f.ws, {QStringLiteral("Zorblax")}), 1);
    EXPECT_TRUE(f.unknown(QStringLiteral("Zorblax")).isEmpty());
    ASSERT_EQ(f.host.messages.size(), 1);
    EXPECT_TRUE(f.host.messages[0].text.contains(QStringLiteral("words_fr.txt")));
}

TEST(Spelling, DocumentWordListMostFrequentFirstAndTheEntriesOfAWord) {
    TTempProgramDir dir;
    TSpellingWorkspace f(dir, QStringLiteral("fr"));
    tSkyStr* a = f.add(0, QStringLiteral("Wasteland"), QStringLiteral("Le Wasteland et la bibliotheque"));
    f.add(0, QStringLiteral("Library"), QStringLiteral("La bibliotheque du Wasteland"));
    tSkyStr* c = f.add(1, QStringLiteral("Book"), QStringLiteral("Une bibliotheque, une bibliotheque, un livvre"));
    f.add(1, QStringLiteral("Not translated livvre"), QStringLiteral("Not translated livvre"));
    tSkyStr* deleted = f.add(2, QStringLiteral("Gone"), QStringLiteral("Zzyzx aaab"));
    deleted->sInternalparams.set(sStrInternalParam::isDeleted);
    f.add(2, QStringLiteral("Sign"), QStringLiteral("Arbre du Wasteland"));

    const std::vector<rWordCount> counts = documentUnknownWords(f.ws);
    EXPECT_EQ(counts, (std::vector<rWordCount>{{QStringLiteral("bibliotheque"), 4},
                                               {QStringLiteral("Wasteland"), 2},
                                               {QStringLiteral("livvre"), 1}}));
    EXPECT_EQ(entriesWithUnknownWord(f.ws, QStringLiteral("Wasteland")).size(), 2); // the first is its source
    EXPECT_EQ(entriesWithUnknownWord(f.ws, QStringLiteral("livvre")), QList<tSkyStr*>({c}));
    EXPECT_EQ(unknownWordsOfEntry(f.ws, *c), QStringList({"bibliotheque", "livvre"}));
    EXPECT_EQ(unknownWordsOfEntry(f.ws, *a), QStringList({"bibliotheque"}));
    EXPECT_TRUE(unknownWordsOfEntry(f.ws, *deleted).isEmpty());
}

TEST(Spelling, MissingDictionaryReportedOnceNothingElseChanges) {
    TTempProgramDir dir;
    TSpellingWorkspace f(dir, QStringLiteral("ptbr"));
    if (quillspell::findDictionary(f.ws.app.state, QStringLiteral("pt_BR")))
        GTEST_SKIP() << "a pt_BR dictionary is installed";
    f.add(0, QStringLiteral("House"), QStringLiteral("Casaa"));
    EXPECT_TRUE(f.unknown(QStringLiteral("Casaa")).isEmpty());
    EXPECT_TRUE(documentUnknownWords(f.ws).empty());
    EXPECT_EQ(addToMyWords(f.ws, {QStringLiteral("Casaa")}), 0);
    const QString folder = QDir::toNativeSeparators(dir.path() + QStringLiteral("dictionaries/"));
    EXPECT_EQ(linesContaining(f.host.log, folder), 1) << f.host.log.join('\n').toStdString();
    EXPECT_EQ(linesContaining(f.host.log, QStringLiteral("pt_BR")), 1);
    EXPECT_EQ(linesContaining(f.host.statusTexts, folder), 1);
    EXPECT_TRUE(f.host.messages.isEmpty());

    // Dropped beside the program under any letter case, the dictionary is found once spelling starts again.
    ASSERT_TRUE(copySystemDictionary(dir, QStringLiteral("en_US"), QStringLiteral("Dictionaries/PT_br.AFF"),
                                     QStringLiteral("Dictionaries/pt_BR.Dic")));
    resetSpelling(f.ws);
    EXPECT_EQ(spellingDictionaryName(f.ws), QStringLiteral("pt_BR"));
    EXPECT_EQ(f.unknown(QStringLiteral("house Casaa")), QStringList({"Casaa"}));
    EXPECT_TRUE(spellingDictionaryChoices(f.ws).contains(QStringLiteral("PT_br")));
}

TEST(Spelling, TableFileAndChosenDictionaryDecide) {
    TTempProgramDir dir;
    dir.write(QStringLiteral("spelling.txt"), "# mine\nFR=none\nxx = en_US\n");
    TSpellingWorkspace f(dir, QStringLiteral("fr"));
    EXPECT_TRUE(f.unknown(QStringLiteral("bibliotheque")).isEmpty());
    EXPECT_EQ(linesContaining(f.host.log, QStringLiteral("dictionar")), 0); // "none" is not a missing dictionary
    f.ws.app.state.DestLang = QStringLiteral("xx");
    EXPECT_EQ(f.unknown(QStringLiteral("house housse")), QStringList({"housse"}));
    f.ws.app.state.DestLang = QStringLiteral("ja");
    EXPECT_TRUE(spellingDictionaryName(f.ws).isEmpty());
    // The options' choice wins over the language.
    setSpellingDictionary(f.ws, QStringLiteral("fr_FR"));
    EXPECT_EQ(f.unknown(QStringLiteral("window maison")), QStringList({"window"}));
    // A chosen dictionary that cannot be read is reported, not a failure.
    dir.write(QStringLiteral("dictionaries/broken.aff"), "SET UTF-8\nSFX A Y 1\nSFX A 0 s [\n");
    dir.write(QStringLiteral("dictionaries/broken.dic"), "not a count\n");
    setSpellingDictionary(f.ws, QStringLiteral("broken"));
    EXPECT_TRUE(f.unknown(QStringLiteral("maisonn")).isEmpty());
    EXPECT_TRUE(spellingDictionaryName(f.ws).isEmpty());
    EXPECT_EQ(linesContaining(f.host.log, QStringLiteral("broken.aff")), 1);
    EXPECT_EQ(linesContaining(f.host.statusTexts, QStringLiteral("broken.aff")), 1);
    EXPECT_TRUE(spellingDictionaryChoices(f.ws).contains(QStringLiteral("fr_FR")));
}
