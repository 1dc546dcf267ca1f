// Spell checking of translations: words of a text, known-word sets, the checker and the translator's word file.
#include "aids/QUILL_spelling.h"

#include "aids/QUILL_editLogic.h"
#include "core/QUILL_dataList.h"
#include "core/QUILL_files.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace quillspell {

namespace {

// Past this many distinct words the memo of known words starts again (a few tens of megabytes).
constexpr qsizetype kMaxRememberedWords = 1000000;

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c.isMark() || c.isSurrogate() || c == QLatin1Char('_');
}

bool isApostrophe(QChar c) {
    return c == QLatin1Char('\'') || c.unicode() == 0x2019 || c.unicode() == 0x02BC;
}

bool isHyphen(QChar c) {
    return c == QLatin1Char('-') || c.unicode() == 0x2010 || c.unicode() == 0x2011;
}

bool needsLookupChange(QStringView word) {
    for (const QChar c : word)
        if (c.unicode() == 0x2019 || c.unicode() == 0x02BC || c.unicode() == 0x2010 || c.unicode() == 0x2011)
            return true;
    return false;
}

// Whether the word at [start, end) belongs to a web or mail address: the run of non-blank characters around it
// holds "://", an '@' or starts with "www.".
bool inAddress(QStringView text, qsizetype start, qsizetype end) {
    const auto hint = [](QChar c) {
        return c == QLatin1Char('@') || c == QLatin1Char(':') || c == QLatin1Char('.') || c == QLatin1Char('/');
    };
    if (!((end < text.size() && hint(text[end])) || (start > 0 && hint(text[start - 1])))) return false;
    qsizetype runStart = start, runEnd = end;
    while (runStart > 0 && !text[runStart - 1].isSpace())
        --runStart;
    while (runEnd < text.size() && !text[runEnd].isSpace())
        ++runEnd;
    const QStringView run = text.mid(runStart, runEnd - runStart);
    return run.contains(QLatin1String("://")) || run.contains(QLatin1Char('@')) ||
           run.startsWith(QLatin1String("www."), Qt::CaseInsensitive);
}

// Calls `add` with a word and, for a compound, the parts a translation may also use alone: the parts of a hyphenated
// word, the word after an elision ("l'Institut": "Institut") and the stem of a possessive ("Preston's": "Preston").
template <typename Add> void addWordAndParts(const QString& word, Add add) {
    add(word);
    qsizetype partStart = 0;
    bool hyphenated = false;
    for (qsizetype i = 0; i <= word.size(); ++i) {
        if (i < word.size() && word[i] != QLatin1Char('-')) continue;
        if (i < word.size()) hyphenated = true;
        if (hyphenated && i - partStart >= 2) addWordAndParts(word.mid(partStart, i - partStart), add);
        partStart = i + 1;
    }
    if (hyphenated) return;
    const qsizetype apostrophe = word.lastIndexOf(QLatin1Char('\''));
    if (apostrophe <= 0) return;
    if (word.size() - apostrophe - 1 >= 2) add(word.mid(apostrophe + 1));
    if (apostrophe == word.size() - 2 && word.back().toLower() == QLatin1Char('s') && apostrophe >= 2)
        add(word.left(apostrophe));
}

} // namespace

std::vector<rWordSpan> textWords(QStringView text) {
    std::vector<rWordSpan> words;
    const std::vector<editlogic::rMarkupSpan> markup = editlogic::markupSpans(text);
    size_t m = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        while (m < markup.size() && markup[m].start + markup[m].length <= i)
            ++m;
        if (m < markup.size() && markup[m].start <= i) {
            i = markup[m].start + markup[m].length;
            continue;
        }
        if (!isWordChar(text[i])) {
            ++i;
            continue;
        }
        // A word stops where mark-up starts, even without a blank between ("Hello<br>").
        const qsizetype limit = m < markup.size() ? markup[m].start : n;
        const qsizetype start = i;
        bool skip = false;
        while (i < limit) {
            const QChar c = text[i];
            if (isWordChar(c)) {
                if (c.isNumber() || c == QLatin1Char('_')) skip = true;
                ++i;
            } else if ((isApostrophe(c) || isHyphen(c)) && i + 1 < limit && isWordChar(text[i + 1])) {
                ++i;
            } else {
                break;
            }
        }
        if (skip || i - start < 2 || inAddress(text, start, i)) continue;
        words.push_back({start, i - start});
    }
    return words;
}

QString lookupForm(QStringView word) {
    QString form = word.toString();
    if (!needsLookupChange(word)) return form;
    for (QChar& c : form) {
        if (c.unicode() == 0x2019 || c.unicode() == 0x02BC) c = QLatin1Char('\'');
        if (c.unicode() == 0x2010 || c.unicode() == 0x2011) c = QLatin1Char('-');
    }
    return form;
}

QString lookupForm(const QString& word) {
    return needsLookupChange(word) ? lookupForm(QStringView(word)) : word;
}

// ----- TWordSet

void TWordSet::insert(const QString& raw) {
    const QString word = lookupForm(raw);
    words_.insert(word);
    // Capitals of a word in small letters or capitalised are found through those forms; only a word with a capital
    // inside ("McDonald", "Vault-Tec") needs its capitals kept.
    for (qsizetype i = 1; i < word.size(); ++i)
        if (word[i].isUpper()) {
            capitals_.insert(word.toUpper());
            break;
        }
}

bool TWordSet::contains(const QString& raw) const {
    if (words_.isEmpty() || raw.isEmpty()) return false;
    const QString word = needsLookupChange(raw) ? lookupForm(raw) : raw;
    if (words_.contains(word)) return true;
    if (!word[0].isUpper()) return false;
    bool restUpper = false, restLower = false;
    for (qsizetype i = 1; i < word.size(); ++i) {
        if (word[i].isUpper()) restUpper = true;
        if (word[i].isLower()) restLower = true;
    }
    const QString lower = word.toLower();
    if (!restUpper) return words_.contains(lower); // "Fusil": "fusil"
    if (restLower) return false;                   // "McDonald" only as written
    // "FUSIL": "fusil" or "Fusil"; "MCDONALD": "McDonald".
    if (words_.contains(lower) || capitals_.contains(word)) return true;
    QString capitalised = lower;
    capitalised[0] = capitalised[0].toUpper();
    return words_.contains(capitalised);
}

QStringList TWordSet::sorted() const {
    QStringList list(words_.cbegin(), words_.cend());
    std::sort(list.begin(), list.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return list;
}

TWordSet TWordSet::fromTranslations(const tListSet& lists) {
    TWordSet set;
    const auto add = [&set](const QString& word) { set.insert(word); };
    for (const tSkyStrList& list : lists)
        for (const auto& entry : list) {
            const QString& text = entry->gTrans;
            if (text.isEmpty()) continue;
            for (const rWordSpan& span : textWords(text))
                addWordAndParts(lookupForm(QStringView(text).mid(span.position, span.length)), add);
        }
    return set;
}

// ----- TSpellChecker

TSpellChecker::TSpellChecker(std::unique_ptr<TSpeller> speller, QString dictionaryName)
    : speller_(std::move(speller)), dictionaryName_(std::move(dictionaryName)) {}

bool TSpellChecker::TSourceWords::contains(const QString& word) {
    if (text.isEmpty()) return false;
    if (!built) {
        built = true;
        const auto add = [this](const QString& w) { words.insert(w.toLower()); };
        for (const rWordSpan& span : textWords(text))
            addWordAndParts(lookupForm(text.mid(span.position, span.length)), add);
    }
    return words.contains(word.toLower());
}

bool TSpellChecker::knownWord(const QString& word) {
    const auto remembered = known_.constFind(word);
    if (remembered != known_.cend()) return remembered.value();
    const bool known =
        vocabulary_.contains(word) || user_.contains(word) || ignored_.contains(word) || speller_->check(word);
    if (known_.size() >= kMaxRememberedWords) known_.clear();
    known_.insert(word, known);
    return known;
}

void TSpellChecker::checkWord(QStringView text, qsizetype position, qsizetype length, TSourceWords& source,
                              std::vector<rUnknownWord>& out) {
    const QString word = lookupForm(text.mid(position, length));
    if (knownWord(word) || source.contains(word)) return;
    // A hyphenated word the dictionary does not know whole: each part on its own ("Vault-Tec" when only "Vault"
    // is unknown underlines "Vault").
    if (word.contains(QLatin1Char('-'))) {
        qsizetype partStart = 0;
        for (qsizetype i = 0; i <= word.size(); ++i) {
            if (i < word.size() && word[i] != QLatin1Char('-')) continue;
            if (i - partStart >= 2) checkWord(text, position + partStart, i - partStart, source, out);
            partStart = i + 1;
        }
        return;
    }
    const qsizetype apostrophe = word.indexOf(QLatin1Char('\''));
    if (apostrophe > 0) {
        // "Preston's": the stem decides.
        if (apostrophe == length - 2 && word.back().toLower() == QLatin1Char('s')) {
            const QString stem = word.left(apostrophe);
            if (knownWord(stem) || source.contains(stem)) return;
            if (stem.size() >= 2) out.push_back({position, apostrophe, stem});
            return;
        }
        // "l'Institut": a known elision, then the word it joins.
        if (knownWord(word.left(apostrophe + 1))) {
            if (length - apostrophe - 1 >= 2)
                checkWord(text, position + apostrophe + 1, length - apostrophe - 1, source, out);
            return;
        }
    }
    out.push_back({position, length, word});
}

std::vector<rUnknownWord> TSpellChecker::unknownWords(QStringView text, QStringView source) {
    std::vector<rUnknownWord> unknown;
    TSourceWords sourceWords;
    sourceWords.text = source;
    for (const rWordSpan& span : textWords(text))
        checkWord(text, span.position, span.length, sourceWords, unknown);
    return unknown;
}

bool TSpellChecker::isKnown(const QString& word) {
    return unknownWords(word).empty();
}

QStringList TSpellChecker::suggest(const QString& word, int max) {
    if (max <= 0 || word.isEmpty()) return {};
    QStringList suggestions = speller_->suggest(lookupForm(word), max);
    if (suggestions.size() > max) suggestions.resize(max);
    return suggestions;
}

void TSpellChecker::setVocabularyWords(TWordSet words) {
    vocabulary_ = std::move(words);
    // Words the previous vocabulary made known may no longer be.
    known_.clear();
}

namespace {

// After a word joined `set`: the remembered unknown words it now covers ("Preston" also covers "PRESTON").
void markNowKnown(QHash<QString, bool>& known, const TWordSet& set) {
    for (auto it = known.begin(); it != known.end(); ++it)
        if (!it.value() && set.contains(it.key())) it.value() = true;
}

} // namespace

bool TSpellChecker::addUserWord(const QString& raw) {
    const QString word = lookupForm(raw.trimmed());
    if (word.isEmpty() || user_.containsExactly(word)) return false;
    user_.insert(word);
    speller_->addWord(word);
    markNowKnown(known_, user_);
    return true;
}

bool TSpellChecker::ignoreWord(const QString& raw) {
    const QString word = lookupForm(raw.trimmed());
    if (word.isEmpty() || ignored_.containsExactly(word)) return false;
    ignored_.insert(word);
    markNowKnown(known_, ignored_);
    return true;
}

// ----- The word file

QStringList readWordFile(const QString& path) {
    QStringList words;
    QByteArray bytes;
    if (path.isEmpty() || !QFileInfo(path).isFile() || !quillfs::readWholeFile(path, bytes)) return words;
    // UTF-8 unless a byte-order mark says UTF-16 (a file saved by a Windows editor).
    const bool utf16 = bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
    const QString text = utf16 || bytes.startsWith("\xEF\xBB\xBF") ? decodeTextFile(bytes) : QString::fromUtf8(bytes);
    for (const QString& line : splitTextLines(text)) {
        const QString word = line.trimmed();
        if (!word.isEmpty() && !word.startsWith(QLatin1Char('#'))) words << word;
    }
    return words;
}

bool writeWordFile(const QString& path, const TWordSet& words, QString* error) {
    QString text;
    for (const QString& word : words.sorted())
        text += word + QLatin1Char('\n');
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        if (error) *error = QDir::toNativeSeparators(QFileInfo(path).absolutePath());
        return false;
    }
    return quillfs::writeFileAtomic(path, text.toUtf8(), error);
}

} // namespace quillspell
