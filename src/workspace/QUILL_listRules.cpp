// List view rules: cell texts, comparison, row lines, the status filter and the column layout.
#include "workspace/QUILL_listRules.h"

#include "core/QUILL_parallel.h"
#include "plugin/QUILL_espTree.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsChecks.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <memory>

QString listColumnKey(int column) {
    static const char* keys[kListColumnCount] = {"ID", "Original", "Translated", "LD", "EDID"};
    return column >= 0 && column < kListColumnCount ? QLatin1String(keys[column]) : QString();
}

QString listName(int listIndex) {
    static const char* names[3] = {"STRINGS", "DLSTRINGS", "ILSTRINGS"};
    return listIndex >= 0 && listIndex < 3 ? QLatin1String(names[listIndex]) : QString();
}

namespace {

const char* controlName(ushort c) {
    static const char* names[32] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
                                    "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
                                    "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
    if (c < 32) return names[c];
    if (c == 32) return "SPACECHAR";
    return nullptr;
}

bool isBlankOnly(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() > 32) return false;
    return true;
}

} // namespace

QString listCellDisplayText(const QString& text) {
    if (text.isEmpty()) return QStringLiteral("[NULL]");
    if (isBlankOnly(text)) {
        QString names;
        for (const QChar c : text)
            names += QLatin1String(controlName(c.unicode())) + QLatin1Char(' ');
        return QLatin1Char('[') + names.trimmed() + QLatin1Char(']');
    }
    QString out = text;
    out.replace(QLatin1String("\r\n"), QLatin1String(" "));
    return out;
}

QString listCellText(const TWorkspace& ws, const tSkyStr& entry, int column) {
    const TAppState& st = ws.app.state;
    switch (static_cast<TListColumn>(column)) {
    case TListColumn::id:
        if (entry.hasFlag(sStrInternalParam::isCache)) return QStringLiteral("-");
        if (ws.menu()) return ws.menuKeyOf(entry);
        if (st.pluginLoaded() && entry.isEspAssigned())
            return entry.esp.rec->header.name.toString() + QLatin1Char(' ') + entry.esp.fName.toString();
        return QStringLiteral("%1").arg(entry.id, 5, 16, QLatin1Char('0'));
    case TListColumn::original:
        return listCellDisplayText(entry.gS);
    case TListColumn::translated:
        return listCellDisplayText(entry.gTrans);
    case TListColumn::ld:
        if (entry.LDResult > 90.0f) return QStringLiteral("-");
        if (entry.LDResult > 0.0f)
            return QString::number(static_cast<int>(entry.LDResult)) +
                   (entry.LDFound >= 2 ? QStringLiteral("+") : QString());
        return {};
    case TListColumn::edid:
        if (entry.hasFlag(sStrInternalParam::isOrphean)) return QStringLiteral("ORPHAN");
        return entry.getEdidName();
    }
    return {};
}

namespace {

// A text's key in alphabetical order: its letters without their accents and case first ("Épée" between "Arme" and
// "Fusil", where the code of 'É' would put it after "Zone"), then the case-folded text, so that "epee" and "épée" keep
// one order. Plain ASCII texts (most of a game's) skip the decomposition.
QString alphabeticalKey(const QString& text) {
    QString folded = text.toCaseFolded();
    const bool ascii = std::all_of(folded.cbegin(), folded.cend(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii) return folded;
    QString base = folded.normalized(QString::NormalizationForm_KD);
    base.removeIf([](QChar c) { return c.category() == QChar::Mark_NonSpacing; });
    return base + QChar(0) + folded;
}

} // namespace

rListSortKey listSortKey(const TWorkspace& ws, const tSkyStr& e, int column) {
    switch (static_cast<TListColumn>(column)) {
    case TListColumn::id:
        if (ws.document && ws.document->idsAreText()) return {0, listCellText(ws, e, column).toCaseFolded()};
        return {e.id, {}};
    case TListColumn::original:
        return {0, alphabeticalKey(e.gS)};
    case TListColumn::translated:
        return {0, alphabeticalKey(e.gTrans)};
    case TListColumn::ld: {
        const long long weight = static_cast<long long>(std::trunc(e.LDResult)) * 65535 +
                                 (e.hasFlag(sStrInternalParam::Warning) ? 4095 : 0) +
                                 (e.hasFlag(sStrInternalParam::nTrans) ? 255 : 0) +
                                 (e.hasParam(sStrParam::incompleteTrans) ? 15 : 0);
        return {-weight, {}};
    }
    case TListColumn::edid:
        return {0, e.getEdidName().toCaseFolded()};
    }
    return {};
}

int compareListEntries(const TWorkspace& ws, const tSkyStr& p, const tSkyStr& q, int column) {
    const rListSortKey a = listSortKey(ws, p, column);
    const rListSortKey b = listSortKey(ws, q, column);
    return a < b ? -1 : (b < a ? 1 : 0);
}

namespace {

// Per UTF-16 unit outside the surrogates: its case folding and the letters it folds to without their accents (the
// folded unit's compatibility decomposition less its non-spacing marks), so that a text's alphabetical key is built
// unit by unit instead of through a normalization of the whole text: the same key, since a text's decomposition is
// its units' decompositions put end to end, and canonical reordering only moves combining marks, which the key drops.
// A unit whose decomposition holds a combining mark that is not a non-spacing one (the key would keep it, perhaps
// reordered) has no entry: a text holding one, or a surrogate, takes the whole-text way.
class TAlphabetTable {
public:
    static const TAlphabetTable& get() {
        static const TAlphabetTable table;
        return table;
    }
    bool has(char16_t u) const { return start_[u] != kNone; }
    char16_t fold(char16_t u) const { return fold_[u]; }
    // The letters `u` folds to, without accents.
    const char16_t* base(char16_t u) const { return pool_.data() + start_[u]; }
    int baseSize(char16_t u) const { return size_[u]; }

private:
    static constexpr uint32_t kNone = 0xFFFFFFFFu;
    std::vector<char16_t> fold_ = std::vector<char16_t>(0x10000);
    std::vector<uint32_t> start_ = std::vector<uint32_t>(0x10000, kNone);
    std::vector<uint8_t> size_ = std::vector<uint8_t>(0x10000);
    std::vector<char16_t> pool_;
    TAlphabetTable() {
        pool_.reserve(90000);
        for (uint32_t u = 0; u < 0x10000; ++u) {
            if (QChar::isSurrogate(u)) continue;
            const QString folded = QString(QChar(char16_t(u))).toCaseFolded();
            if (folded.size() != 1 || folded.at(0).isSurrogate()) continue;
            QString base = folded.normalized(QString::NormalizationForm_KD);
            const bool reorderable = std::any_of(base.cbegin(), base.cend(), [](QChar c) {
                return c.category() != QChar::Mark_NonSpacing && c.combiningClass() != 0;
            });
            base.removeIf([](QChar c) { return c.category() == QChar::Mark_NonSpacing; });
            if (reorderable || base.size() > 255) continue;
            fold_[u] = folded.at(0).unicode();
            start_[u] = static_cast<uint32_t>(pool_.size());
            size_[u] = static_cast<uint8_t>(base.size());
            pool_.insert(pool_.end(), base.utf16(), base.utf16() + base.size());
        }
    }
};

// How a row's key is read from its text. A plain ASCII source or translation is read where it is, its capitals as
// small letters (which is all its case folding does); so is a text whose every unit the alphabet table holds, unit by
// unit through the table (its letters without accents, a 0, then its case folding; its case folding alone when that
// is ASCII). Other keys are written out, those of texts into an arena that is freed at once.
enum class tKeyWay : uint8_t { asIs, foldAscii, byTable };

struct rKeyText {
    const char16_t* units = nullptr;
    uint32_t size = 0;
    tKeyWay way = tKeyWay::asIs;
    uint8_t phase = 1; // byTable: 0 while the letters without accents are read, 1 for the case folding
};

// Blocks of key units that never move once written.
class TKeyArena {
public:
    char16_t* take(size_t n) {
        if (blocks_.empty() || used_ + n > blockSize_) {
            blockSize_ = std::max<size_t>(n, kBlock);
            blocks_.push_back(std::make_unique_for_overwrite<char16_t[]>(blockSize_));
            used_ = 0;
        }
        char16_t* out = blocks_.back().get() + used_;
        used_ += n;
        return out;
    }

private:
    static constexpr size_t kBlock = 1 << 20;
    std::vector<std::unique_ptr<char16_t[]>> blocks_;
    size_t blockSize_ = 0;
    size_t used_ = 0;
};

// An ASCII unit's case folding, which is also its letter without accents.
inline char16_t foldAsciiUnit(char16_t u) {
    return static_cast<unsigned>(u - u'A') < 26u ? static_cast<char16_t>(u + (u'a' - u'A')) : u;
}

// How the alphabetical key of `text` (as alphabeticalKey makes it) is read, when the table holds every unit of the
// text beyond ASCII; false when it does not.
bool alphabeticalKeyByTable(QStringView text, rKeyText& out) {
    const TAlphabetTable& table = TAlphabetTable::get();
    bool foldsToAscii = true;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80) continue;
        if (!table.has(u)) return false;
        foldsToAscii = foldsToAscii && table.fold(u) < 0x80;
    }
    out = {text.utf16(), static_cast<uint32_t>(text.size()), tKeyWay::byTable, uint8_t(foldsToAscii ? 1 : 0)};
    return true;
}

// Bytes of a key a sorted row holds: read from a text at once, they cost one trip to its memory.
constexpr int kRowWords = 4;
constexpr uint32_t kRowBytes = kRowWords * 8;

} // namespace

std::vector<int> sortedListOrder(const TWorkspace& ws, const tSkyStrList& list, int column, bool descending) {
    // Each row's key is a number and a text. The rows are sorted by the number and the text's first units, packed
    // into the row's 32 bytes, then each run of rows that agree on them by the next units, and so on: a comparison
    // reads integers next to each other, and a text is read once a level instead of once a comparison (texts lie far
    // apart in memory). Units are packed as UTF-8 packs numbers of their size (one byte below 0x80, two below 0x800,
    // else three), which keeps their order and fits 32 units of a plain text in a row. A unit that does not fit ends
    // the row's bytes with 0xFF, which no packed byte is: such a row sorts after every row that packs a unit there,
    // as its unit takes more bytes and so is greater. The keys of most sources and translations are read from the
    // texts as they are (see tKeyWay), a level at a time, and never written out.
    // A big list's keys are made in two halves at once, then its rows cut at the median of a sample and each side
    // sorted on a thread of its own: the work waits mostly on texts far apart in memory, which two threads wait for
    // side by side.
    struct rRow {
        uint64_t words[kRowWords];
        long long number;
        const char16_t* units; // the key's text
        uint32_t size;         // its units
        uint32_t index;
        uint32_t taken; // units of the text read so far (in the current phase)
        uint8_t bytes;  // bytes packed into `words` by the last read
        tKeyWay way;
        uint8_t phase; // as rKeyText's
        uint8_t sub;   // byTable: letters of the unit at `taken` read so far
    };
    static_assert(sizeof(void*) != 8 || sizeof(rRow) == 64, "a row fills a cache line");
    struct rRun {
        size_t from, to;
    };
    const size_t n = list.size();
    const bool alphabetical =
        column == static_cast<int>(TListColumn::original) || column == static_cast<int>(TListColumn::translated);
    // Making a key only reads the entry and the document (its records, its menu keys).
    const bool split = worthSplitting(static_cast<qsizetype>(n));
    std::vector<QString> ownKeys; // keys of the other text columns
    TKeyArena arenas[2];
    // Every field of a row is written when its key is made (by the thread that makes it).
    const std::unique_ptr<rRow[]> rowBlock = std::make_unique_for_overwrite<rRow[]>(n);
    rRow* const rows = rowBlock.get();
    if (!alphabetical) ownKeys.resize(n);
    const TAlphabetTable& table = TAlphabetTable::get();
    // Whether the row's key has units it has not read.
    const auto goesOn = [](const rRow& row) { return row.phase == 0 || row.taken < row.size; };
    // Packs the key's next units into the row.
    const auto readKey = [&table](rRow& row) {
        uint8_t bytes[kRowBytes] = {};
        uint32_t at = 0;
        uint32_t taken = row.taken;
        // Packs one unit; false when it does not fit.
        const auto put = [&](char16_t u) {
            if (u < 0x80) {
                if (at == kRowBytes) return false;
                bytes[at++] = static_cast<uint8_t>(u);
            } else if (u < 0x800) {
                if (at + 2 > kRowBytes) return false;
                bytes[at++] = static_cast<uint8_t>(0xC0u | (u >> 6));
                bytes[at++] = static_cast<uint8_t>(0x80u | (u & 0x3Fu));
            } else {
                if (at + 3 > kRowBytes) return false;
                bytes[at++] = static_cast<uint8_t>(0xE0u | (u >> 12));
                bytes[at++] = static_cast<uint8_t>(0x80u | ((u >> 6) & 0x3Fu));
                bytes[at++] = static_cast<uint8_t>(0x80u | (u & 0x3Fu));
            }
            return true;
        };
        bool full = false; // a unit is left that did not fit
        switch (row.way) {
        case tKeyWay::foldAscii:
            at = std::min(kRowBytes, row.size - taken);
            for (uint32_t k = 0; k < at; ++k)
                bytes[k] = static_cast<uint8_t>(foldAsciiUnit(row.units[taken + k]));
            taken += at;
            break;
        case tKeyWay::asIs:
            for (; taken < row.size; ++taken)
                if (!put(row.units[taken])) {
                    full = true;
                    break;
                }
            break;
        case tKeyWay::byTable:
            while (!full) {
                if (row.phase == 1) {
                    if (taken == row.size) break;
                    const char16_t u = row.units[taken];
                    full = !put(u < 0x80 ? foldAsciiUnit(u) : table.fold(u));
                    if (!full) ++taken;
                } else if (taken == row.size) {
                    full = !put(0); // between the letters and the case folding
                    if (!full) {
                        row.phase = 1;
                        taken = 0;
                    }
                } else if (const char16_t u = row.units[taken]; u < 0x80) {
                    full = !put(foldAsciiUnit(u));
                    if (!full) ++taken;
                } else {
                    // A unit's letters (none for a lone mark) may be read over two levels.
                    const int count = table.baseSize(u);
                    full = row.sub < count && !put(table.base(u)[row.sub]);
                    if (!full && ++row.sub >= count) {
                        row.sub = 0;
                        ++taken;
                    }
                }
            }
            break;
        }
        if (full) std::fill(bytes + at, bytes + kRowBytes, uint8_t(0xFF));
        row.bytes = static_cast<uint8_t>(at);
        row.taken = taken;
        for (int w = 0; w < kRowWords; ++w)
            row.words[w] = qFromBigEndian<uint64_t>(bytes + 8 * w);
    };
    const auto keyRows = [&](size_t from, size_t to, TKeyArena& arena) {
        for (size_t i = from; i < to; ++i) {
            const tSkyStr& e = *list[i];
            rRow& row = rows[i];
            row.number = 0;
            row.index = static_cast<uint32_t>(i);
            row.taken = 0;
            row.sub = 0;
            rKeyText text;
            if (alphabetical) {
                const QString& t = column == static_cast<int>(TListColumn::original) ? e.gS : e.gTrans;
                char16_t wide = 0;
                for (const QChar c : t)
                    wide |= c.unicode();
                if (wide < 0x80) {
                    text = {QStringView(t).utf16(), static_cast<uint32_t>(t.size()), tKeyWay::foldAscii};
                } else if (!alphabeticalKeyByTable(t, text)) {
                    const QString key = alphabeticalKey(t);
                    char16_t* units = arena.take(static_cast<size_t>(key.size()));
                    std::copy_n(QStringView(key).utf16(), key.size(), units);
                    text = {units, static_cast<uint32_t>(key.size())};
                }
            } else {
                rListSortKey key = listSortKey(ws, e, column);
                row.number = key.number;
                ownKeys[i] = std::move(key.text);
                text = {QStringView(ownKeys[i]).utf16(), static_cast<uint32_t>(ownKeys[i].size())};
            }
            row.units = text.units;
            row.size = text.size;
            row.way = text.way;
            row.phase = text.phase;
            readKey(row); // while the text is at hand
        }
    };
    const size_t half = split ? n / 2 : n;
    runSideBySide(
        split, [&] { keyRows(0, half, arenas[0]); }, [&] { keyRows(half, n, arenas[1]); });

    // Rows that agree on their bytes have read the same units.
    const auto sameBytes = [](const rRow& a, const rRow& b) {
        return a.number == b.number && std::equal(a.words, a.words + kRowWords, b.words) && a.bytes == b.bytes;
    };
    // Fewer bytes with the rest equal: the shorter key, which comes first. Equal keys keep the list's order.
    const auto less = [](const rRow& a, const rRow& b) {
        if (a.number != b.number) return a.number < b.number;
        for (int w = 0; w < kRowWords; ++w)
            if (a.words[w] != b.words[w]) return a.words[w] < b.words[w];
        if (a.bytes != b.bytes) return a.bytes < b.bytes;
        return a.index < b.index;
    };
    const auto sortRun = [&](const rRun& run) { std::sort(rows + run.from, rows + run.to, less); };
    // Appends to `runs` the runs of `run`'s sorted rows that agree on their bytes while a key of theirs goes on.
    const auto addTies = [&](const rRun& run, std::vector<rRun>& runs) {
        for (size_t r = run.from; r < run.to;) {
            size_t end = r + 1;
            bool more = goesOn(rows[r]);
            for (; end < run.to && sameBytes(rows[r], rows[end]); ++end)
                more = more || goesOn(rows[end]);
            if (end - r > 1 && more) runs.push_back({r, end});
            r = end;
        }
    };
    // Sorts each of `runs` by the next units of its rows, level by level, a level's texts read in one pass.
    const auto refine = [&](std::vector<rRun> runs) {
        std::vector<rRun> next;
        while (!runs.empty()) {
            for (const rRun& run : runs)
                for (size_t r = run.from; r < run.to; ++r)
                    readKey(rows[r]);
            next.clear();
            for (const rRun& run : runs) {
                sortRun(run);
                addTies(run, next);
            }
            runs.swap(next);
        }
    };
    const auto sortRows = [&](const rRun& part) {
        sortRun(part);
        std::vector<rRun> ties;
        addTies(part, ties);
        refine(std::move(ties));
    };
    if (split) {
        // The rows before the median of a sample and the rest, sorted side by side.
        std::vector<rRow> sample;
        for (size_t k = 0; k < 1024; ++k)
            sample.push_back(rows[k * n / 1024]);
        std::nth_element(sample.begin(), sample.begin() + 512, sample.end(), less);
        const rRow pivot = sample[512];
        const size_t cut = static_cast<size_t>(
            std::partition(rows, rows + n, [&](const rRow& row) { return less(row, pivot); }) - rows);
        runSideBySide(
            true, [&] { sortRows({0, cut}); }, [&] { sortRows({cut, n}); });
    } else {
        sortRows({0, n});
    }

    std::vector<int> order(n);
    for (size_t i = 0; i < n; ++i)
        order[i] = static_cast<int>(rows[i].index);
    if (descending) std::reverse(order.begin(), order.end());
    return order;
}

int listRowLines(const tSkyStr& entry, bool simpleLine) {
    if (simpleLine) return 1;
    return qMin<qsizetype>(5, entry.gS.size() / 100 + 1);
}

int listScoreBand(const tSkyStr& entry) {
    const float score = entry.LDResult;
    if (!(score > 0.0f) || score > 90.0f) return 0;
    return qBound(1, static_cast<int>(std::ceil(score)), 8);
}

bool listTranslationIsSource(const tSkyStr& entry) {
    return !entry.hasParam(sStrParam::validated) && entry.gTrans == entry.gS && !entry.gS.trimmed().isEmpty();
}

int listRowMarkers(const tSkyStr& entry) {
    using I = sStrInternalParam;
    return (entry.hasFlag(I::aliasError) ? rowMarkerAlias : 0) |
           (entry.hasFlag(I::stringSizeError) ? rowMarkerSize : 0) |
           (entry.hasFlag(I::stringCRError) ? rowMarkerLineBreak : 0);
}

int listRowMarkers(const TWorkspace& ws, const tSkyStr& entry) {
    return listRowMarkers(entry) | (hasOpenProblems(ws, entry) ? rowMarkerProblem : 0);
}

bool statusButtonMatches(TStatusButton button, const tSkyStr& e) {
    using P = sStrParam;
    using I = sStrInternalParam;
    switch (button) {
    case TStatusButton::translated:
        return e.hasParam(P::translated);
    case TStatusButton::notTranslated:
        return e.sparams.empty() && e.LDFound == 0;
    case TStatusButton::validated:
        return e.hasParam(P::validated);
    case TStatusButton::partial:
        return e.hasParam(P::incompleteTrans) && !e.hasFlag(I::Warning);
    case TStatusButton::ld:
        return e.LDFound > 0;
    case TStatusButton::alias:
        return e.hasFlag(I::aliasError) || e.hasFlag(I::stringSizeError) || e.hasFlag(I::stringCRError);
    case TStatusButton::duplicate:
        return e.hasFlag(I::nTrans);
    case TStatusButton::warning:
        return e.hasFlag(I::Warning) || e.hasFlag(I::bigWarning);
    }
    return false;
}

void rListFilter::setSearchText(const QString& fieldText, bool trim) {
    text = (trim ? fieldText.trimmed() : fieldText).toLower();
    matcher = QStringMatcher(text, Qt::CaseInsensitive);
    const QString folded = text.toCaseFolded();
    const bool ascii = std::all_of(folded.cbegin(), folded.cend(), [](QChar c) { return c.unicode() < 0x80; });
    asciiFolded = ascii ? folded.toLatin1() : QByteArray();
    bool ok = false;
    const uint value = text.trimmed().toUInt(&ok, 16);
    formId = ok ? value : 0;
}

namespace {

// Whether `haystack` holds `pattern` (case-folded ASCII) case-insensitively, as QStringMatcher finds it: a unit
// matches a pattern letter when it folds to it, which outside ASCII only the long s (to 's') and the Kelvin sign (to
// 'k') do.
bool holdsAsciiFolded(QStringView haystack, const QByteArray& pattern) {
    const auto fold = [](char16_t u) -> char16_t {
        if (u < 0x80) return u >= u'A' && u <= u'Z' ? char16_t(u + (u'a' - u'A')) : u;
        return u == 0x017F ? u's' : (u == 0x212A ? u'k' : 0xFFFF);
    };
    const qsizetype m = pattern.size();
    const char16_t* h = QStringView(haystack).utf16();
    const char16_t first = static_cast<char16_t>(pattern[0]);
    for (qsizetype i = 0, last = haystack.size() - m; i <= last; ++i) {
        if (fold(h[i]) != first) continue;
        qsizetype k = 1;
        while (k < m && fold(h[i + k]) == static_cast<char16_t>(pattern[k]))
            ++k;
        if (k == m) return true;
    }
    return false;
}

} // namespace

bool entryPassesFilter(const rListFilter& filter, const tSkyStr& entry) {
    bool shown = false;
    if (isBlankOnly(entry.gS)) {
        shown = filter.showNull;
    } else {
        for (int b = 0; b < kStatusButtonCount && !shown; ++b)
            shown = filter.buttons[b] && statusButtonMatches(static_cast<TStatusButton>(b), entry);
    }
    if (shown && filter.onlyWithProblems) shown = hasOpenProblems(*filter.onlyWithProblems, entry);
    if (!shown || filter.text.isEmpty()) return shown;
    const bool prepared = filter.matcher.pattern() == filter.text;
    const auto holds = [&](const QString& haystack) {
        if (!prepared) return haystack.contains(filter.text, Qt::CaseInsensitive);
        return filter.asciiFolded.isEmpty() ? filter.matcher.indexIn(haystack) >= 0
                                            : holdsAsciiFolded(haystack, filter.asciiFolded);
    };
    switch (filter.searchIn) {
    case TSearchIn::source:
        return holds(entry.gS);
    case TSearchIn::translation:
        return holds(entry.gTrans);
    case TSearchIn::edid:
        if (filter.formId != 0 && entry.isEspAssigned() && entry.getFormID() == filter.formId) return true;
        return holds(entry.getEdidName());
    }
    return shown;
}
