// Spell checking of translations: which runs of a text are words, the word sets that count as known besides the
// dictionary (the vocabulary's terms, the translator's words, the words ignored this session), the checker that
// puts them together over a speller, and the translator's word file.
#pragma once

#include "aids/QUILL_speller.h"
#include "strings/QUILL_typedef.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <memory>
#include <vector>

namespace quillspell {

// A run of a text that spelling reads as one word, in UTF-16 units of the text.
struct rWordSpan {
    qsizetype position = 0;
    qsizetype length = 0;
};

// The words of `text`: runs of letters (with the apostrophes and hyphens inside them, "l'épée", "porte-monnaie"),
// leaving out the game's mark-up (editlogic::markupSpans), words holding a digit or an underscore ("10mm",
// "my_key"), single letters, and web and mail addresses.
std::vector<rWordSpan> textWords(QStringView text);

// A word as it is looked up: typographic apostrophes (’ ʼ) made plain, so that both spellings are one word.
QString lookupForm(QStringView word);
QString lookupForm(const QString& word);

// A set of words with the case rules of a spelling dictionary: a word is in the set as written, a word with a
// capital first letter ("Fusil") when its small-letter form is, and a word in capitals ("FUSIL", "MCDONALD") when
// any word of the set is that word in capitals.
class TWordSet {
public:
    void insert(const QString& word);
    bool contains(const QString& word) const;
    bool containsExactly(const QString& word) const { return words_.contains(lookupForm(word)); }
    qsizetype size() const { return words_.size(); }
    bool isEmpty() const { return words_.isEmpty(); }
    void clear() {
        words_.clear();
        capitals_.clear();
    }
    // Sorted ignoring case, then by code unit: the order the word file is written in.
    QStringList sorted() const;
    // Every word of every translation of the lists (mark-up and numbers left out, as in textWords).
    static TWordSet fromTranslations(const tListSet& lists);

private:
    QSet<QString> words_;
    QSet<QString> capitals_; // in capitals, the words with a capital inside
};

// An unknown word of a text: where it stands and the word (in its lookup form).
struct rUnknownWord {
    qsizetype position = 0;
    qsizetype length = 0;
    QString word;
    bool operator==(const rUnknownWord&) const = default;
};

// The checker of one language: a speller and the word sets that count as known besides it. A word is known when
// the speller, the vocabulary's words, the translator's words or the words ignored this session know it; in one
// text, also when the entry's source holds it (a name the translation keeps). A word whose whole is unknown is read
// in parts: a hyphenated word part by part, a French elision ("l'", "qu'") before the word it joins, an English
// possessive ("Preston's") by its stem.
class TSpellChecker {
public:
    TSpellChecker(std::unique_ptr<TSpeller> speller, QString dictionaryName);

    const QString& dictionaryName() const { return dictionaryName_; }

    // The unknown words of `text`, in text order; words that `source` holds count as known.
    std::vector<rUnknownWord> unknownWords(QStringView text, QStringView source = {});
    // Whether a single word is known (the source left aside).
    bool isKnown(const QString& word);
    // Up to `max` corrections, best first.
    QStringList suggest(const QString& word, int max);

    // The vocabulary's words, replaced whole when the vocabulary loads.
    void setVocabularyWords(TWordSet words);
    const TWordSet& vocabularyWords() const { return vocabulary_; }
    // The translator's words ("Add to my words"); false when the word was one already.
    bool addUserWord(const QString& word);
    const TWordSet& userWords() const { return user_; }
    // "Ignore": known until the checker is destroyed; false when it was ignored already.
    bool ignoreWord(const QString& word);
    const TWordSet& ignoredWords() const { return ignored_; }

private:
    // The words of one entry's source, lower-cased, built the first time a word is not otherwise known.
    struct TSourceWords {
        QStringView text;
        bool built = false;
        QSet<QString> words;
        bool contains(const QString& word);
    };
    bool knownWord(const QString& word);
    void checkWord(QStringView text, qsizetype position, qsizetype length, TSourceWords& source,
                   std::vector<rUnknownWord>& out);

    std::unique_ptr<TSpeller> speller_;
    QString dictionaryName_;
    TWordSet vocabulary_;
    TWordSet user_;
    TWordSet ignored_;
    // Whether a word is known apart from the sources: a document repeats its words, and a word the library has
    // answered for costs a hash lookup the next time (a keystroke re-checks the text around one changed word).
    QHash<QString, bool> known_;
};

// The translator's word file: one word a line, UTF-8. Reading skips blank lines and lines starting with '#' and
// takes a byte-order mark into account; a missing file gives no words.
QStringList readWordFile(const QString& path);
// Writes the words sorted (TWordSet::sorted), UTF-8 without byte-order mark, LF line ends, whole or not at all.
bool writeWordFile(const QString& path, const TWordSet& words, QString* error = nullptr);

} // namespace quillspell
