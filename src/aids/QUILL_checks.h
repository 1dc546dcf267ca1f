// The quality checks: what a reviewer would catch in a translation before the game shows it. Most compare one
// translation with its source; `inconsistent` and `official-term` look across the document's entries and the
// official vocabulary through indexes built once per run; `spelling` asks a word checker the workspace provides.
#pragma once

#include "strings/QUILL_codepage.h"
#include "strings/QUILL_typedef.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace quillcheck {

// In the order of their names: the problems of one entry are listed in this order.
enum class TCheck : uint8_t {
    blank = 0,
    brackets,
    doubleSpace,
    endPunctuation,
    inconsistent,
    length,
    lineBreaks,
    numbers,
    officialTerm,
    placeholders,
    repeatedWord,
    spelling,
    tags,
    untranslated,
    whitespace,
};
inline constexpr int kCheckCount = 15;
using TCheckSet = TFlagSet<TCheck, uint16_t>;

// The stable name of a check ("double-space"), part of the command-line contract.
QString checkName(TCheck check);
std::optional<TCheck> checkFromName(QStringView name);
// Every check is on unless the translator turned it off, except repeated-word (French "nous nous" is grammar).
bool checkOnByDefault(TCheck check);
TCheckSet allChecks();
// Every check, in name order.
const std::array<TCheck, kCheckCount>& checkOrder();
// Names separated by commas ("tags,numbers"), in one or more arguments. False with `unknown` set at the first name
// that is no check.
bool parseCheckNames(const QStringList& arguments, TCheckSet& checks, QString& unknown);

// One problem: the check and its explanation, a UI text key formatted with the differing parts.
struct rProblem {
    TCheck check = TCheck::tags;
    const char* detailKey = ""; // a static text: a document with half a million problems allocates no key
    QStringList args;
    bool ignored = false; // the translator chose to ignore it for this string
    bool operator==(const rProblem& other) const {
        return check == other.check && qstrcmp(detailKey, other.detailKey) == 0 && args == other.args &&
               ignored == other.ignored;
    }
};

// The field an entry's text goes into, from the field size reference.
struct rFieldRules {
    QString name;           // "WEAP:FULL"; empty when the entry is no plugin field or the field is not listed
    int maxBytes = 0;       // 0: no known limit
    bool lineBreaks = true; // whether the field holds line breaks
};

// The most a game text holds once encoded (a string table entry, its terminating zero aside).
inline constexpr int kMaxTextBytes = static_cast<int>(kMaxEntryBytes) - 1;

// How a language writes numbers: its decimal mark, and whether a blank or a dot groups thousands.
struct rNumberFormat {
    char16_t decimal = u'.';
    char16_t group = u',';
    bool blankGroups = false; // a blank, no-break or narrow no-break space groups thousands
};
rNumberFormat numberFormatOf(const QString& language);

// What the pair checks of a run know beyond the texts.
struct rPairSetup {
    TCheckSet checks;
    QString sourceLanguage = QStringLiteral("en");
    QString destLanguage = QStringLiteral("fr");
    rCodepage codepage;               // how the translation is written (UTF-8 unless set)
    int maxTextBytes = kMaxTextBytes; // what any text may hold once encoded; 0 for no limit (a menu file)
};

// The checks of one run that compare a translation with its source, set up once (languages, code page).
class TPairChecks {
public:
    explicit TPairChecks(rPairSetup setup);

    TCheckSet checks() const { return checks_; }
    // Appends the problems of the pair, in check order. A translation that is the source and not validated is
    // checked only by `untranslated`; an empty one only by `blank`.
    void check(const QString& source, const QString& translation, bool validated, const rFieldRules& field,
               std::vector<rProblem>& out) const;

    // A translation still equal to its source that nobody validated as such.
    static bool isUntranslated(const QString& source, const QString& translation, bool validated) {
        return !validated && translation == source;
    }
    // The translation is blank (empty or blanks only) where the source is not.
    static bool isBlank(const QString& source, const QString& translation);

private:
    TCheckSet checks_;
    rNumberFormat sourceNumbers_;
    rNumberFormat destNumbers_;
    rCodepage codepage_;
    int maxTextBytes_;
};

// The document's entries grouped by source text, for `inconsistent`: built once per run, asked per entry.
class TSourceGroups {
public:
    void build(const tListSet& lists);
    void clear() { index_.clear(); }
    bool empty() const { return index_.empty(); }
    // Whether the entry is indexed under its present source (false after its source changed or for a new entry:
    // the groups must then be built again).
    bool holds(const tSkyStr& entry) const;
    // The other entries with exactly the same source.
    std::vector<tSkyStr*> peers(const tSkyStr& entry) const;
    // Calls `visit(entries)` once for every source that two entries or more hold, with those entries.
    template <typename Visit> void forEachGroup(Visit&& visit) const {
        std::vector<tSkyStr*> run, group;
        for (size_t i = 0; i < index_.size();) {
            size_t j = i + 1;
            while (j < index_.size() && index_[j].first == index_[i].first)
                ++j;
            if (j - i > 1) {
                run.clear();
                for (size_t k = i; k < j; ++k)
                    run.push_back(index_[k].second);
                // Texts of the same hash are split by their exact source.
                while (!run.empty()) {
                    group.clear();
                    const QString source = run.front()->gS;
                    std::erase_if(run, [&](tSkyStr* e) {
                        if (e->gS != source) return false;
                        group.push_back(e);
                        return true;
                    });
                    if (group.size() > 1) visit(group);
                }
            }
            i = j;
        }
    }

private:
    std::vector<std::pair<uint32_t, tSkyStr*>> index_; // (source hash, entry), by hash
};

// A translation that counts for `inconsistent` and `official-term`: not blank, and not the source left as it was.
bool hasOwnTranslation(const tSkyStr& entry);
// The translations entries of one source were given, each once, with the first entry that has it and how many do
// (entries without a translation of their own left out).
struct rGivenTranslation {
    QString translation;
    const tSkyStr* first = nullptr;
    int count = 0;
};
std::vector<rGivenTranslation> givenTranslations(const std::vector<tSkyStr*>& entries);
// `inconsistent`: `translation` is not the only one given to its source; the others are listed.
void checkInconsistent(const QString& translation, const std::vector<rGivenTranslation>& given,
                       std::vector<rProblem>& out);

// The official vocabulary (the caches built from the game's string tables, not the translator's dictionaries), for
// `official-term`: the source hashes, built once per run, so that most entries are turned away without a search.
class TOfficialTerms {
public:
    void build(const tListSet& vocabulary);
    void clear();
    bool empty() const { return hashes_.empty(); }
    // The official translations of exactly this source in list `listIndex` (none when it is no game term).
    QStringList translationsOf(int listIndex, const QString& source, uint32_t sourceHash) const;

private:
    const tListSet* vocabulary_ = nullptr;
    std::vector<uint32_t> hashes_; // sorted
    // A bit per slice of the hash space: most texts are no game term and are turned away by one bit.
    std::vector<uint64_t> filter_;
};
// `official-term`: the whole source is a game term and the translation is none of its official translations.
void checkOfficialTerm(const TOfficialTerms& terms, int listIndex, const QString& source, uint32_t sourceHash,
                       const QString& translation, std::vector<rProblem>& out);

// `spelling`: one problem a word the word checker does not know.
void addSpellingProblems(const QStringList& unknownWords, std::vector<rProblem>& out);

} // namespace quillcheck
