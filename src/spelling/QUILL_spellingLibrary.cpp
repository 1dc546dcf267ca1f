// TSpeller over Nuspell. Nuspell was measured against Hunspell on the French dictionary (bench_spelling_libraries):
// it checks words three to five times faster, which is what a translator waits for (every keystroke, the document's
// word list); its suggestions take about 1.4 times as long, once per right click.
#include "spelling/QUILL_spellingLibrary.h"

#include <QSet>
#include <filesystem>
#include <fstream>
#include <nuspell/dictionary.hxx>
#include <string>
#include <vector>

namespace quillspell {

namespace {

class TNuspellSpeller : public TSpeller {
public:
    explicit TNuspellSpeller(nuspell::Dictionary dictionary) : dictionary_(std::move(dictionary)) {}

    bool check(const QString& word) override {
        if (added_.contains(word)) return true;
        return dictionary_.spell(word.toStdString());
    }

    QStringList suggest(const QString& word, int max) override {
        QStringList out;
        if (max <= 0) return out;
        dictionary_.suggest(word.toStdString(), suggestions_);
        for (const std::string& s : suggestions_) {
            if (out.size() >= max) break;
            out << QString::fromStdString(s);
        }
        return out;
    }

    // Nuspell has no word list of its own to add to: the session's words are kept here.
    void addWord(const QString& word) override { added_.insert(word); }

private:
    nuspell::Dictionary dictionary_;
    QSet<QString> added_;
    std::vector<std::string> suggestions_;
};

std::filesystem::path fsPath(const QString& path) {
    return std::filesystem::path(path.toStdU16String());
}

} // namespace

std::unique_ptr<TSpeller> loadLibrarySpeller(const rSpellingDictionary& dictionary, QString* error) {
    // The two files are opened by the paths found (their names may differ in case), not derived from one another.
    std::ifstream aff(fsPath(dictionary.affPath), std::ios::binary);
    std::ifstream dic(fsPath(dictionary.dicPath), std::ios::binary);
    if (!aff || !dic) {
        if (error) *error = QStringLiteral("cannot open %1").arg(!aff ? dictionary.affPath : dictionary.dicPath);
        return nullptr;
    }
    try {
        nuspell::Dictionary loaded;
        loaded.load_aff_dic(aff, dic);
        return std::make_unique<TNuspellSpeller>(std::move(loaded));
    } catch (const std::exception& e) {
        if (error) *error = QString::fromLocal8Bit(e.what());
        return nullptr;
    }
}

TSpellerFactory spellingLibraryFactory() {
    return [](const rSpellingDictionary& dictionary, QString* error) { return loadLibrarySpeller(dictionary, error); };
}

} // namespace quillspell
