// The spelling library as the headless code sees it: check a word, suggest, add a word for the session. The library
// itself is linked by src/spelling/ alone; the mains hand the workspace a factory that makes one of these.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

// The two files of a Hunspell-format dictionary and the name it is known by ("fr_FR").
struct rSpellingDictionary {
    QString name;
    QString affPath;
    QString dicPath;
};

class TSpeller {
public:
    virtual ~TSpeller() = default;
    // Whether the dictionary (or a word added this session) knows `word`, a single word in UTF-16.
    virtual bool check(const QString& word) = 0;
    // Up to `max` corrections of `word`, best first.
    virtual QStringList suggest(const QString& word, int max) = 0;
    // `word` counts as known until the speller is destroyed.
    virtual void addWord(const QString& word) = 0;
};

// Loads a dictionary; on failure returns null with the reason in `error`.
using TSpellerFactory = std::function<std::unique_ptr<TSpeller>(const rSpellingDictionary&, QString* error)>;
