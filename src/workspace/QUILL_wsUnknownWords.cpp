// The document's unknown words and their counts.
#include "workspace/QUILL_wsUnknownWords.h"

#include "workspace/QUILL_workspace.h"

#include <algorithm>

bool TUnknownWordIndex::build(TWorkspace& ws) {
    clear();
    quillspell::TSpellChecker* checker = spellChecker(ws);
    if (!checker) return false;
    TAppContext& app = ws.app;
    TOperation operation(app, app.uiText(QStringLiteral("Spell_Scan")));
    app.progressMax(countListSet(ws.loadedLists));
    qint64 done = 0;
    for (const tSkyStrList& list : ws.loadedLists)
        for (const auto& entry : list) {
            app.progressStep(++done, 5000);
            read(*checker, *entry);
        }
    for (const auto& entry : ws.sharedIdList)
        shared_.insert(entry.get());
    dictionary_ = checker->dictionaryName();
    built_ = true;
    app.logMessage(app.uiTextFormat(QStringLiteral("Spell_ScanResult"), {static_cast<qlonglong>(counts_.size())}));
    return true;
}

void TUnknownWordIndex::clear() {
    words_.clear();
    counts_.clear();
    shared_.clear();
    dictionary_.clear();
    built_ = false;
}

bool TUnknownWordIndex::update(TWorkspace& ws, const std::vector<tSkyStr*>& entries) {
    if (!built_) return false;
    quillspell::TSpellChecker* checker = spellChecker(ws);
    if (!checker || checker->dictionaryName() != dictionary_) return refresh(ws);
    bool changed = false;
    for (const tSkyStr* entry : entries)
        if (entry && !shared_.contains(entry)) changed = read(*checker, *entry) || changed;
    return changed;
}

bool TUnknownWordIndex::refresh(TWorkspace& ws) {
    if (!built_) return false;
    quillspell::TSpellChecker* checker = spellChecker(ws);
    if (!checker || checker->dictionaryName() != dictionary_) {
        const std::vector<rWordCount> before = counts();
        build(ws);
        return counts() != before;
    }
    bool changed = false;
    const QList<const tSkyStr*> holding = words_.keys();
    for (const tSkyStr* entry : holding)
        changed = read(*checker, *entry) || changed;
    return changed;
}

bool TUnknownWordIndex::read(quillspell::TSpellChecker& checker, const tSkyStr& entry) {
    QStringList found;
    if (isSpellCheckedEntry(entry))
        for (const quillspell::rUnknownWord& w : checker.unknownWords(entry.gTrans, entry.gS))
            found << w.word;
    const auto it = words_.constFind(&entry);
    if (it == words_.cend() ? found.isEmpty() : *it == found) return false;
    forget(entry);
    if (found.isEmpty()) return true;
    for (const QString& word : found)
        ++counts_[word];
    words_.insert(&entry, found);
    return true;
}

void TUnknownWordIndex::forget(const tSkyStr& entry) {
    const auto it = words_.constFind(&entry);
    if (it == words_.cend()) return;
    for (const QString& word : *it) {
        const auto count = counts_.find(word);
        if (count != counts_.end() && --count.value() <= 0) counts_.erase(count);
    }
    words_.erase(it);
}

std::vector<rWordCount> TUnknownWordIndex::counts() const {
    std::vector<rWordCount> out;
    out.reserve(static_cast<size_t>(counts_.size()));
    for (auto it = counts_.cbegin(); it != counts_.cend(); ++it)
        out.push_back({it.key(), it.value()});
    std::sort(out.begin(), out.end(), [](const rWordCount& a, const rWordCount& b) {
        if (a.count != b.count) return a.count > b.count;
        const int c = a.word.compare(b.word, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.word < b.word;
    });
    return out;
}
