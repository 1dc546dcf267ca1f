// Workspace commands of spell checking.
#include "workspace/QUILL_wsSpelling.h"

#include "aids/QUILL_spellDictionaries.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsChecks.h"
#include "workspace/QUILL_wsDictionary.h"
#include "workspace/QUILL_wsUnknownWords.h"

#include <QDir>
#include <algorithm>

namespace {

// What the checker is made for: the language and the chosen dictionary.
QString checkerKey(const TWorkspace& ws) {
    return ws.app.state.DestLang.toLower() + QLatin1Char('|') + ws.app.state.spellDictionary;
}

void dropChecker(TSpellingState& st) {
    st.checker.reset();
    st.checkerTried = false;
    st.vocabularyWordsBuilt = false;
}

// Says once per language and dictionary that the dictionary was not found, and where to put one.
void reportMissing(TWorkspace& ws, const QString& name, const QString& key) {
    TSpellingState& st = spellingState(ws);
    if (st.reported.contains(key)) return;
    st.reported.insert(key);
    TAppContext& app = ws.app;
    const QString text = app.uiTextFormat(
        QStringLiteral("Spell_NoDictionary"),
        {name, app.state.DestLang, QDir::toNativeSeparators(quillspell::programDictionaryFolder(app.state))});
    app.logMessage(text);
    app.host().setStatusText(2, text);
}

void makeChecker(TWorkspace& ws) {
    TSpellingState& st = spellingState(ws);
    TAppContext& app = ws.app;
    st.checkerTried = true;
    st.checkerKey = checkerKey(ws);
    if (!st.factory) return;
    const QString language = app.state.DestLang.toLower();
    const QString chosen = app.state.spellDictionary;
    const QString name = chosen.isEmpty() ? quillspell::dictionaryNameFor(app, language) : chosen;
    if (name.isEmpty()) return; // a language spelling does not cover
    const auto files = quillspell::findDictionary(app.state, name);
    if (!files) {
        reportMissing(ws, name, st.checkerKey);
        return;
    }
    QString error;
    std::unique_ptr<TSpeller> speller = st.factory(*files, &error);
    if (!speller) {
        if (!st.reported.contains(st.checkerKey)) {
            st.reported.insert(st.checkerKey);
            const QString text = app.uiTextFormat(QStringLiteral("Spell_DictionaryError"),
                                                  {QDir::toNativeSeparators(files->affPath), error});
            app.logMessage(text);
            app.host().setStatusText(2, text);
        }
        return;
    }
    st.checker = std::make_unique<quillspell::TSpellChecker>(std::move(speller), files->name);
    for (const QString& word : quillspell::readWordFile(quillspell::userWordsPath(app.state, language)))
        st.checker->addUserWord(word);
    app.logMessage(
        app.uiTextFormat(QStringLiteral("Spell_Dictionary"), {files->name, QDir::toNativeSeparators(files->affPath)}));
}

// The checker with the vocabulary's words of the current vocabulary.
quillspell::TSpellChecker* readyChecker(TWorkspace& ws) {
    TSpellingState& st = spellingState(ws);
    if (!st.checkerTried || st.checkerKey != checkerKey(ws)) {
        dropChecker(st);
        makeChecker(ws);
    }
    if (!st.checker) return nullptr;
    const uint64_t generation = ws.vocabulary ? ws.vocabulary->vocab.generation : 0;
    if (!st.vocabularyWordsBuilt || generation != st.vocabularyGeneration) {
        st.checker->setVocabularyWords(quillspell::TWordSet::fromTranslations(ws.vocabularyLists));
        st.vocabularyGeneration = generation;
        st.vocabularyWordsBuilt = true;
    }
    return st.checker.get();
}

} // namespace

TSpellingState& spellingState(TWorkspace& ws) {
    if (!ws.spelling) ws.spelling = std::make_unique<TSpellingState>();
    return *ws.spelling;
}

void setSpellerFactory(TWorkspace& ws, TSpellerFactory factory) {
    TSpellingState& st = spellingState(ws);
    st.factory = std::move(factory);
    dropChecker(st);
}

quillspell::TSpellChecker* spellChecker(TWorkspace& ws) {
    return readyChecker(ws);
}

void prepareSpelling(TWorkspace& ws) {
    readyChecker(ws);
}

void resetSpelling(TWorkspace& ws) {
    dropChecker(spellingState(ws));
    spellingChangedForChecks(ws, false);
    ws.notify(&TWorkspaceObserver::spellingChanged);
}

void setSpellingEnabled(TWorkspace& ws, bool enabled) {
    if (ws.app.state.spellCheck == enabled) return;
    ws.app.state.spellCheck = enabled;
    ws.notify(&TWorkspaceObserver::spellingChanged);
}

bool spellingEnabled(const TWorkspace& ws) {
    return ws.app.state.spellCheck;
}

void setSpellingDictionary(TWorkspace& ws, const QString& name) {
    if (ws.app.state.spellDictionary == name.trimmed()) return;
    // The checker is made again for it on the next use.
    ws.app.state.spellDictionary = name.trimmed();
    spellingChangedForChecks(ws, false);
    ws.notify(&TWorkspaceObserver::spellingChanged);
}

QString spellingDictionaryName(TWorkspace& ws) {
    const quillspell::TSpellChecker* checker = readyChecker(ws);
    return checker ? checker->dictionaryName() : QString();
}

QStringList spellingDictionaryChoices(TWorkspace& ws) {
    QStringList names;
    for (const rSpellingDictionary& d : quillspell::availableDictionaries(ws.app.state))
        names << d.name;
    return names;
}

std::vector<quillspell::rUnknownWord> unknownWordsInText(TWorkspace& ws, const QString& text, const QString& source) {
    if (!ws.app.state.spellCheck) return {};
    quillspell::TSpellChecker* checker = readyChecker(ws);
    return checker ? checker->unknownWords(text, source) : std::vector<quillspell::rUnknownWord>{};
}

QStringList spellingSuggestions(TWorkspace& ws, const QString& word, int max) {
    quillspell::TSpellChecker* checker = readyChecker(ws);
    return checker ? checker->suggest(word, max) : QStringList();
}

int addToMyWords(TWorkspace& ws, const QStringList& words) {
    quillspell::TSpellChecker* checker = readyChecker(ws);
    if (!checker) return 0;
    int added = 0;
    for (const QString& word : words)
        if (checker->addUserWord(word)) ++added;
    if (added == 0) return 0;
    TAppContext& app = ws.app;
    const QString path = quillspell::userWordsPath(app.state, app.state.DestLang);
    QString error;
    if (!quillspell::writeWordFile(path, checker->userWords(), &error))
        app.logMessage(
            app.uiTextFormat(QStringLiteral("Spell_WordsWriteError"), {QDir::toNativeSeparators(path), error}), true,
            dbOk);
    spellingChangedForChecks(ws, true);
    ws.notify(&TWorkspaceObserver::spellingChanged);
    return added;
}

bool ignoreSpellingWord(TWorkspace& ws, const QString& word) {
    return ignoreSpellingWords(ws, {word}) > 0;
}

int ignoreSpellingWords(TWorkspace& ws, const QStringList& words) {
    quillspell::TSpellChecker* checker = readyChecker(ws);
    if (!checker) return 0;
    int ignored = 0;
    for (const QString& word : words)
        if (checker->ignoreWord(word)) ++ignored;
    if (ignored > 0) {
        spellingChangedForChecks(ws, true);
        ws.notify(&TWorkspaceObserver::spellingChanged);
    }
    return ignored;
}

bool isSpellCheckedEntry(const tSkyStr& entry) {
    if (entry.hasFlag(sStrInternalParam::isDeleted) || entry.hasFlag(sStrInternalParam::pexNoTrans)) return false;
    return !entry.gTrans.isEmpty() && entry.gTrans != entry.gS;
}

QStringList unknownWordsOf(TWorkspace& ws, const QString& source, const QString& translation) {
    QStringList words;
    quillspell::TSpellChecker* checker = readyChecker(ws);
    if (!checker) return words;
    for (const quillspell::rUnknownWord& w : checker->unknownWords(translation, source))
        if (!words.contains(w.word)) words << w.word;
    return words;
}

QStringList unknownWordsOfEntry(TWorkspace& ws, const tSkyStr& entry) {
    if (!isSpellCheckedEntry(entry)) return {};
    return unknownWordsOf(ws, entry.gS, entry.gTrans);
}

std::vector<rWordCount> documentUnknownWords(TWorkspace& ws) {
    TUnknownWordIndex index;
    index.build(ws);
    return index.counts();
}

QList<tSkyStr*> entriesWithUnknownWord(TWorkspace& ws, const QString& word) {
    QList<tSkyStr*> entries;
    quillspell::TSpellChecker* checker = readyChecker(ws);
    if (!checker || word.isEmpty()) return entries;
    const QString form = quillspell::lookupForm(word);
    // Only apostrophes and hyphens have other spellings in a text.
    const bool plain = !form.contains(QLatin1Char('\'')) && !form.contains(QLatin1Char('-'));
    for (const tSkyStrList& list : ws.loadedLists)
        for (const auto& entry : list) {
            if (!isSpellCheckedEntry(*entry)) continue;
            // A translation that does not hold the word at all is passed over without reading its words.
            if (plain ? !entry->gTrans.contains(form) : !quillspell::lookupForm(entry->gTrans).contains(form)) continue;
            const auto unknown = checker->unknownWords(entry->gTrans, entry->gS);
            if (std::any_of(unknown.begin(), unknown.end(),
                            [&form](const quillspell::rUnknownWord& w) { return w.word == form; }))
                entries.append(entry.get());
        }
    return entries;
}
