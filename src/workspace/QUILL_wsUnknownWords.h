// The unknown words of the open document with their counts, kept as the entries change: what the word list shows,
// without reading the whole document again after each edit.
#pragma once

#include "workspace/QUILL_wsSpelling.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

class TWorkspace;
class tSkyStr;

class TUnknownWordIndex {
public:
    // Reads the translation of every spell-checked entry of the loaded lists, as an operation with progress. False,
    // and empty, when there is no spelling dictionary.
    bool build(TWorkspace& ws);
    // Empty and not built: the document's entries are going.
    void clear();
    bool isBuilt() const { return built_; }
    // The dictionary the counts were made with.
    const QString& dictionaryName() const { return dictionary_; }

    // These entries changed: their translations are read again (an entry no longer spell-checked drops out). Returns
    // whether a count changed.
    bool update(TWorkspace& ws, const std::vector<tSkyStr*>& entries);
    // The words spelling knows changed: with the same dictionary only the entries that held unknown words are read
    // again (a word can only have become known); with another dictionary, or none, everything is. Returns whether a
    // count changed.
    bool refresh(TWorkspace& ws);

    // Every unknown word with the number of times it occurs, most frequent first, then alphabetically ignoring case.
    std::vector<rWordCount> counts() const;
    int countOf(const QString& word) const { return counts_.value(word); }
    // The number of entries that hold at least one unknown word.
    qsizetype entryCount() const { return words_.size(); }

private:
    // Reads one entry: its unknown words replace what the index held for it. True when they differ.
    bool read(quillspell::TSpellChecker& checker, const tSkyStr& entry);
    void forget(const tSkyStr& entry);

    // The unknown words of each entry that has any, once per occurrence.
    QHash<const tSkyStr*, QStringList> words_;
    QHash<QString, int> counts_;
    // The entries sharing a string id with a loaded one: a command may change them, the list never counts them.
    QSet<const tSkyStr*> shared_;
    QString dictionary_;
    bool built_ = false;
};
