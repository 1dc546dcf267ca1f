// The quality checks. Each pair check first looks at what one pass over both texts found (which special characters
// occur, the blanks at the ends, the line breaks) and digs further only when the texts hold what it is about: most
// game texts are plain sentences, and all checks over half a million of them must stay a short wait.
#include "aids/QUILL_checks.h"

#include "strings/QUILL_hash.h"

#include <QVarLengthArray>
#include <algorithm>
#include <array>

namespace quillcheck {

namespace {

constexpr const char* kNames[kCheckCount] = {
    "blank",         "brackets",    "double-space", "end-punctuation", "inconsistent",
    "length",        "line-breaks", "numbers",      "official-term",   "placeholders",
    "repeated-word", "spelling",    "tags",         "untranslated",    "whitespace",
};

void addProblem(std::vector<rProblem>& out, TCheck check, const char* key, QStringList args = {}) {
    out.push_back({check, key, std::move(args), false});
}

inline bool isBlankChar(char16_t c) {
    if (c < 0x80) return c == u' ' || (c >= u'\t' && c <= u'\r');
    return QChar::isSpace(c);
}

inline bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

inline bool isLetter(char16_t c) {
    if (c < 0x80) return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    return QChar::isLetter(c);
}

inline bool isWordChar(char16_t c) {
    return isLetter(c) || isDigit(c) || c == u'_';
}

inline const char16_t* units(QStringView text) {
    return reinterpret_cast<const char16_t*>(text.data());
}

// What one pass over a text finds.
struct rTextFacts {
    bool angle = false;   // '<'
    bool square = false;  // '['
    bool percent = false; // '%'
    bool dollar = false;  // '$'
    bool digit = false;
    bool bracket = false; // a bracket or a double quote of any kind
    bool blank = true;    // nothing but blanks
    int lineBreaks = 0;   // CR LF, LF or a lone CR
    int doubleSpaces = 0; // two blanks in a row between the first and last non-blank
    qsizetype leading = 0;
    qsizetype trailing = 0;
};

// What the scan notes of a character: a blank (and which), or the kinds of special characters.
enum : uint8_t {
    cBlank = 1,
    cLineFeed = 2,
    cReturn = 4,
    cAngle = 8,
    cSquare = 16,
    cPercent = 32,
    cDollar = 64,
    cDigit = 128,
};
constexpr uint16_t cBracket = 256;

constexpr std::array<uint16_t, 128> kAsciiKinds = [] {
    std::array<uint16_t, 128> k{};
    k[u' '] = k[u'\t'] = k[u'\v'] = k[u'\f'] = cBlank;
    k[u'\n'] = cBlank | cLineFeed;
    k[u'\r'] = cBlank | cReturn;
    k[u'<'] = cAngle;
    k[u'['] = cSquare | cBracket;
    k[u'%'] = cPercent;
    k[u'$'] = cDollar;
    for (char16_t c = u'0'; c <= u'9'; ++c)
        k[c] = cDigit;
    for (const char16_t c : {u'(', u')', u']', u'{', u'}', u'"'})
        k[c] = cBracket;
    return k;
}();

inline uint16_t wideKind(char16_t c) {
    switch (c) {
    case 0x00AB: // « »
    case 0x00BB:
    case 0x2039: // ‹ ›
    case 0x203A:
    case 0x201C: // “ ” „
    case 0x201D:
    case 0x201E:
        return cBracket;
    default:
        return QChar::isSpace(c) ? cBlank : 0;
    }
}

rTextFacts scanText(QStringView text) {
    rTextFacts f;
    const char16_t* s = units(text);
    const qsizetype n = text.size();
    qsizetype firstSolid = -1, lastSolid = -1;
    uint16_t seen = 0;
    bool twoBlanks = false;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i];
        const uint16_t kind = c < 0x80 ? kAsciiKinds[c] : wideKind(c);
        if (kind & cBlank) {
            if (kind & cLineFeed)
                ++f.lineBreaks;
            else if ((kind & cReturn) && (i + 1 >= n || s[i + 1] != u'\n'))
                ++f.lineBreaks;
            else if (c == u' ' && i > 0 && s[i - 1] == u' ')
                twoBlanks = true;
            continue;
        }
        seen |= kind;
        if (firstSolid < 0) firstSolid = i;
        lastSolid = i;
    }
    f.angle = seen & cAngle;
    f.square = seen & cSquare;
    f.percent = seen & cPercent;
    f.dollar = seen & cDollar;
    f.digit = seen & cDigit;
    f.bracket = seen & cBracket;
    if (firstSolid < 0) {
        f.leading = n;
        return f;
    }
    f.blank = false;
    f.leading = firstSolid;
    f.trailing = n - 1 - lastSolid;
    if (twoBlanks)
        for (qsizetype i = firstSolid; i < lastSolid; ++i)
            if (s[i] == u' ' && s[i + 1] == u' ') {
                ++f.doubleSpaces;
                ++i;
            }
    return f;
}

// The markup tokens a check compares or skips (tags and key names; angle brackets around plain text are text).
std::vector<rMarkupToken> markupOf(QStringView text, const rTextFacts& facts) {
    std::vector<rMarkupToken> tokens;
    if (!facts.angle && !facts.square) return tokens;
    forEachMarkupToken(text, [&](const rMarkupToken& t) {
        if (t.kind != rMarkupToken::TKind::angleText) tokens.push_back(t);
    });
    return tokens;
}

// Two lists of items compared as multisets: the items of the source the translation lacks and the items of the
// translation the source lacks. An item is (comparison key, text shown).
using TItems = std::vector<std::pair<QString, QString>>;

struct rDifference {
    QStringList missing;
    QStringList extra;
    bool empty() const { return missing.isEmpty() && extra.isEmpty(); }
};

rDifference multisetDifference(TItems source, TItems translation) {
    const auto byKey = [](const auto& a, const auto& b) { return a.first < b.first; };
    std::sort(source.begin(), source.end(), byKey);
    std::sort(translation.begin(), translation.end(), byKey);
    rDifference d;
    size_t i = 0, j = 0;
    while (i < source.size() || j < translation.size()) {
        if (j >= translation.size() || (i < source.size() && source[i].first < translation[j].first)) {
            d.missing << source[i++].second;
        } else if (i >= source.size() || translation[j].first < source[i].first) {
            d.extra << translation[j++].second;
        } else {
            ++i;
            ++j;
        }
    }
    return d;
}

// At most five items, then an ellipsis.
QString itemList(const QStringList& items) {
    if (items.size() <= 5) return items.join(QLatin1Char(' '));
    return items.mid(0, 5).join(QLatin1Char(' ')) + QStringLiteral(" …");
}

void addDifference(std::vector<rProblem>& out, TCheck check, const rDifference& d) {
    if (d.missing.isEmpty())
        addProblem(out, check, "Chk_Extra", {itemList(d.extra)});
    else if (d.extra.isEmpty())
        addProblem(out, check, "Chk_Missing", {itemList(d.missing)});
    else
        addProblem(out, check, "Chk_MissingExtra", {itemList(d.missing), itemList(d.extra)});
}

// ----- tags

// A tag as the game reads it: names and values without regard to case, blanks and quote marks as they come.
QString tagKey(QStringView tag) {
    QString key;
    key.reserve(tag.size());
    bool blank = false;
    for (const QChar c : tag) {
        if (isBlankChar(c.unicode())) {
            blank = true;
            continue;
        }
        const QChar out = c == QLatin1Char('\'') ? QLatin1Char('"') : c.toLower();
        // A blank counts between two words only ("<p align = 'x'>" is "<p align='x'>").
        if (blank && !key.isEmpty() && out != QLatin1Char('=') && !key.endsWith(QLatin1Char('=')) &&
            out != QLatin1Char('>') && out != QLatin1Char('/'))
            key.append(QLatin1Char(' '));
        blank = false;
        key.append(out);
    }
    return key;
}

TItems tagItems(QStringView text, const std::vector<rMarkupToken>& markup) {
    TItems items;
    for (const rMarkupToken& t : markup) {
        const QStringView tag = text.mid(t.start, t.length);
        items.emplace_back(tagKey(tag), tag.toString());
    }
    return items;
}

// ----- placeholders

struct rPlaceholder {
    enum class TKind : uint8_t { format, percent, menuKey };
    qsizetype start = 0;
    qsizetype length = 0;
    TKind kind = TKind::format;
    bool positional = false; // "%1$s"
};

bool insideMarkup(const std::vector<rMarkupToken>& markup, qsizetype at) {
    for (const rMarkupToken& t : markup)
        if (at >= t.start && at < t.start + t.length) return true;
    return false;
}

std::vector<rPlaceholder> placeholdersOf(QStringView text, const rTextFacts& facts,
                                         const std::vector<rMarkupToken>& markup) {
    std::vector<rPlaceholder> out;
    if (!facts.percent && !facts.dollar) return out;
    const char16_t* s = units(text);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (s[i] == u'%') {
            if (insideMarkup(markup, i)) continue;
            if (i + 1 < n && s[i + 1] == u'%') {
                out.push_back({i, 2, rPlaceholder::TKind::percent, false});
                ++i;
                continue;
            }
            bool positional = false;
            if (const qsizetype length = formatSpecifierLength(text, i, &positional)) {
                out.push_back({i, length, rPlaceholder::TKind::format, positional});
                i += length - 1;
            }
        } else if (s[i] == u'$' && i + 1 < n && (isLetter(s[i + 1]) || s[i + 1] == u'_') &&
                   (i == 0 || !isWordChar(s[i - 1]))) {
            if (insideMarkup(markup, i)) continue;
            qsizetype j = i + 1;
            while (j < n && isWordChar(s[j]))
                ++j;
            out.push_back({i, j - i, rPlaceholder::TKind::menuKey, false});
            i = j - 1;
        }
    }
    return out;
}

void checkPlaceholders(QStringView source, QStringView translation, const std::vector<rPlaceholder>& sourceItems,
                       const std::vector<rPlaceholder>& translationItems, std::vector<rProblem>& out) {
    TItems sourceSet, translationSet;
    QStringList sourceFormats, translationFormats;
    bool allPositional = true;
    const auto collect = [&](QStringView text, const std::vector<rPlaceholder>& items, TItems& set,
                             QStringList& formats) {
        for (const rPlaceholder& p : items) {
            const QString shown = text.mid(p.start, p.length).toString();
            set.emplace_back(p.kind == rPlaceholder::TKind::menuKey ? shown.toLower() : shown, shown);
            if (p.kind != rPlaceholder::TKind::format) continue;
            formats << shown;
            allPositional = allPositional && p.positional;
        }
    };
    collect(source, sourceItems, sourceSet, sourceFormats);
    collect(translation, translationItems, translationSet, translationFormats);
    const rDifference d = multisetDifference(std::move(sourceSet), std::move(translationSet));
    if (!d.empty()) {
        addDifference(out, TCheck::placeholders, d);
        return;
    }
    // The same specifiers: without positions they are filled in the order they come.
    if (sourceFormats != translationFormats && !allPositional)
        addProblem(out, TCheck::placeholders, "Chk_PlaceholderOrder",
                   {sourceFormats.join(QLatin1Char(' ')), translationFormats.join(QLatin1Char(' '))});
}

// ----- numbers

// The spans a number is never read in: markup and format specifiers ("%.2f", "<font size='20'>", "[F1]").
using TSpans = QVarLengthArray<std::pair<qsizetype, qsizetype>, 8>; // [start, end)

struct rSkipSpans {
    TSpans spans; // by start
    bool covers(qsizetype at) const {
        for (const auto& [start, end] : spans)
            if (at >= start && at < end) return true;
        return false;
    }
};

rSkipSpans skipSpans(const std::vector<rMarkupToken>& markup, const std::vector<rPlaceholder>& placeholders) {
    rSkipSpans skip;
    for (const rMarkupToken& t : markup)
        skip.spans.append({t.start, t.start + t.length});
    for (const rPlaceholder& p : placeholders)
        if (p.kind == rPlaceholder::TKind::format) skip.spans.append({p.start, p.start + p.length});
    return skip;
}

inline bool isGroupBlank(char16_t c) {
    return c == u' ' || c == 0x00A0 || c == 0x202F;
}

// The numbers of a text read as the language writes them: digits, groups of exactly three digits after a group
// mark, and a fraction after the decimal mark. Each as [start, end).
TSpans numberSpans(QStringView text, const rNumberFormat& format, const rSkipSpans& skip) {
    TSpans spans;
    const char16_t* s = units(text);
    const qsizetype n = text.size();
    const auto digitsAt = [&](qsizetype at, qsizetype count) {
        for (qsizetype k = at; k < at + count; ++k)
            if (k >= n || !isDigit(s[k])) return false;
        return true;
    };
    for (qsizetype i = 0; i < n; ++i) {
        if (!isDigit(s[i]) || skip.covers(i)) continue;
        const qsizetype start = i;
        while (i < n && isDigit(s[i]))
            ++i;
        while (i < n) {
            const char16_t c = s[i];
            const bool groupMark = c == format.group || (format.blankGroups && isGroupBlank(c));
            if (!groupMark || !digitsAt(i + 1, 3) || (i + 4 < n && isDigit(s[i + 4]))) break;
            i += 4;
        }
        if (i + 1 < n && s[i] == format.decimal && isDigit(s[i + 1])) {
            i += 2;
            while (i < n && isDigit(s[i]))
                ++i;
        }
        spans.append({start, i});
        --i;
    }
    return spans;
}

// A number's value: its digits without group marks or leading zeros, then '.' and the fraction without trailing
// zeros, so that "1,000.50" in English and "1 000,5" in French are both "1000.5".
QString numberValue(QStringView number, const rNumberFormat& format) {
    QString whole, fraction;
    bool inFraction = false;
    for (const QChar c : number) {
        if (c.unicode() == format.decimal)
            inFraction = true;
        else if (isDigit(c.unicode()))
            (inFraction ? fraction : whole).append(c);
    }
    qsizetype lead = 0;
    while (lead + 1 < whole.size() && whole[lead] == QLatin1Char('0'))
        ++lead;
    qsizetype trail = fraction.size();
    while (trail > 0 && fraction[trail - 1] == QLatin1Char('0'))
        --trail;
    QString value = whole.mid(lead);
    if (trail > 0) value += QLatin1Char('.') + fraction.left(trail);
    return value;
}

TItems numberItems(QStringView text, const TSpans& spans, const rNumberFormat& format) {
    TItems items;
    for (const auto& [start, end] : spans) {
        const QStringView number = text.mid(start, end - start);
        items.emplace_back(numberValue(number, format), number.toString());
    }
    return items;
}

// Whether two texts hold the same numbers written the same way (most translations copy them as they are).
bool sameNumberTexts(QStringView a, const TSpans& aSpans, QStringView b, const TSpans& bSpans) {
    if (aSpans.size() != bSpans.size()) return false;
    QVarLengthArray<QStringView, 8> x, y;
    for (const auto& [start, end] : aSpans)
        x.push_back(a.mid(start, end - start));
    for (const auto& [start, end] : bSpans)
        y.push_back(b.mid(start, end - start));
    std::sort(x.begin(), x.end());
    std::sort(y.begin(), y.end());
    return x == y;
}

// ----- end punctuation

enum class TEndMark : uint8_t { none, period, ellipsis, exclamation, question, colon };

bool isClosingDecoration(char16_t c) {
    switch (c) {
    case u'"':
    case u'\'':
    case u')':
    case u']':
    case u'}':
    case 0x00BB: // »
    case 0x201D: // ”
    case 0x2019: // ’
    case 0x203A: // ›
    case 0x300D: // 」
    case 0x300F: // 』
    case 0xFF09: // ）
        return true;
    default:
        return false;
    }
}

// The text without what may follow its last punctuation: blanks, closing quotes and brackets, closing tags.
QStringView withoutEndDecoration(QStringView text) {
    while (!text.isEmpty()) {
        const char16_t last = text.back().unicode();
        if (isBlankChar(last) || isClosingDecoration(last)) {
            text.chop(1);
            continue;
        }
        if (last == u'>') {
            const qsizetype open = text.lastIndexOf(QLatin1Char('<'));
            if (open >= 0 && open + 1 < text.size() &&
                (isLetter(text[open + 1].unicode()) || text[open + 1] == QLatin1Char('/'))) {
                text.truncate(open);
                continue;
            }
        }
        break;
    }
    return text;
}

TEndMark endMarkOf(char16_t c) {
    switch (c) {
    case u'.':
    case 0x3002: // 。
        return TEndMark::period;
    case 0x2026: // …
        return TEndMark::ellipsis;
    case u'!':
    case 0xFF01:
        return TEndMark::exclamation;
    case u'?':
    case 0xFF1F:
        return TEndMark::question;
    case u':':
    case 0xFF1A:
        return TEndMark::colon;
    default:
        return TEndMark::none;
    }
}

TEndMark sourceEndMark(QStringView text) {
    if (text.isEmpty()) return TEndMark::none;
    if (text.endsWith(QLatin1String("..."))) return TEndMark::ellipsis;
    return endMarkOf(text.back().unicode());
}

bool isEndPunctuation(char16_t c) {
    return endMarkOf(c) != TEndMark::none || c == u';' || c == 0xFF1B;
}

// Whether the last run of punctuation of `text` (blanks between its marks allowed: French writes "Quoi ?!" and
// "Vraiment ? !") holds the mark.
bool endsWithMark(QStringView text, TEndMark mark) {
    qsizetype i = text.size();
    int dots = 0;
    bool found = false;
    while (i > 0) {
        const char16_t c = text[i - 1].unicode();
        if (isBlankChar(c)) {
            --i;
            continue;
        }
        if (!isEndPunctuation(c)) break;
        const TEndMark m = endMarkOf(c);
        if (c == u'.') ++dots;
        if (m == mark || (mark == TEndMark::ellipsis && dots >= 3)) found = true;
        --i;
    }
    return found;
}

// ----- brackets

bool pairBalanced(QStringView text, char16_t open, char16_t close) {
    int depth = 0;
    for (const QChar c : text) {
        if (c.unicode() == open) {
            ++depth;
        } else if (c.unicode() == close) {
            if (--depth < 0) return false;
        }
    }
    return depth == 0;
}

bool evenCount(QStringView text, std::initializer_list<char16_t> marks) {
    int count = 0;
    for (const QChar c : text)
        for (const char16_t m : marks)
            if (c.unicode() == m) ++count;
    return count % 2 == 0;
}

struct rBracketKind {
    const char* shown;
    std::function<bool(QStringView)> balanced;
};

const std::vector<rBracketKind>& bracketKinds() {
    static const std::vector<rBracketKind> kinds = {
        {"( )", [](QStringView t) { return pairBalanced(t, u'(', u')'); }},
        {"[ ]", [](QStringView t) { return pairBalanced(t, u'[', u']'); }},
        {"{ }", [](QStringView t) { return pairBalanced(t, u'{', u'}'); }},
        {"\" \"", [](QStringView t) { return evenCount(t, {u'"'}); }},
        {"\u00AB \u00BB", [](QStringView t) { return pairBalanced(t, 0x00AB, 0x00BB); }},
        {"\u2039 \u203A", [](QStringView t) { return pairBalanced(t, 0x2039, 0x203A); }},
        // English opens with “ and closes with ”, German opens with „ and closes with “: only their number tells.
        {"\u201C \u201D",
         [](QStringView t) {
             return evenCount(t, {0x201C, 0x201D, 0x201E});
         }},
    };
    return kinds;
}

// ----- words

// Calls `visit(start, end, adjacent)` for every word (letters, digits, inner apostrophes and hyphens) outside the
// markup; `adjacent` when only blanks separate it from the word before.
template <typename Visit> void forEachWord(QStringView text, const std::vector<rMarkupToken>& markup, Visit&& visit) {
    const char16_t* s = units(text);
    const qsizetype n = text.size();
    size_t nextMarkup = 0;
    bool adjacent = false;
    for (qsizetype i = 0; i < n;) {
        while (nextMarkup < markup.size() && markup[nextMarkup].start < i)
            ++nextMarkup;
        if (nextMarkup < markup.size() && i == markup[nextMarkup].start) {
            i += markup[nextMarkup++].length;
            adjacent = false;
            continue;
        }
        if (isBlankChar(s[i])) {
            ++i;
            continue;
        }
        if (!isWordChar(s[i])) {
            adjacent = false;
            ++i;
            continue;
        }
        const qsizetype start = i;
        while (i < n && (isWordChar(s[i]) || ((s[i] == u'\'' || s[i] == 0x2019 || s[i] == u'-') && i + 1 < n &&
                                              isWordChar(s[i + 1]) && i > start)))
            ++i;
        if (!visit(start, i, adjacent)) return;
        adjacent = true;
    }
}

bool hasLetter(QStringView word) {
    for (const QChar c : word)
        if (isLetter(c.unicode())) return true;
    return false;
}

// The words written twice in a row, lower-cased.
QStringList repeatedWords(QStringView text, const std::vector<rMarkupToken>& markup, bool firstOnly) {
    QStringList repeated;
    QStringView previous;
    forEachWord(text, markup, [&](qsizetype start, qsizetype end, bool adjacent) {
        const QStringView word = text.mid(start, end - start);
        if (adjacent && hasLetter(word) && word.compare(previous, Qt::CaseInsensitive) == 0) {
            repeated << word.toString().toLower();
            if (firstOnly) return false;
        }
        previous = word;
        return true;
    });
    return repeated;
}

bool hasTwoWords(QStringView text, const std::vector<rMarkupToken>& markup) {
    int words = 0;
    forEachWord(text, markup, [&](qsizetype start, qsizetype end, bool) {
        if (hasLetter(text.mid(start, end - start))) ++words;
        return words < 2;
    });
    return words >= 2;
}

// ----- length

// The bytes of the text written with the code page (without the terminating zero).
qsizetype encodedSize(QStringView text, const rCodepage& codepage) {
    if (!codepage.isUtf8) return encodeText(text, codepage).size();
    qsizetype bytes = 0;
    const char16_t* s = units(text);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i];
        if (c < 0x80)
            bytes += 1;
        else if (c < 0x800)
            bytes += 2;
        else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(s[i + 1])) {
            bytes += 4;
            ++i;
        } else
            bytes += 3; // an unpaired surrogate is written as '?' by the table writer, counted high here
    }
    return bytes;
}

QString quoted(const QString& text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// The last characters of a text shown in an explanation.
QString endingOf(QStringView text) {
    const QStringView trimmed = withoutEndDecoration(text);
    if (trimmed.isEmpty()) return quoted(QString());
    return quoted(trimmed.right(1).toString());
}

} // namespace

QString checkName(TCheck check) {
    return QLatin1String(kNames[static_cast<int>(check)]);
}

std::optional<TCheck> checkFromName(QStringView name) {
    for (int i = 0; i < kCheckCount; ++i)
        if (name == QLatin1String(kNames[i])) return static_cast<TCheck>(i);
    return std::nullopt;
}

bool checkOnByDefault(TCheck check) {
    return check != TCheck::repeatedWord;
}

TCheckSet allChecks() {
    return TCheckSet::fromBits((1u << kCheckCount) - 1);
}

const std::array<TCheck, kCheckCount>& checkOrder() {
    static const std::array<TCheck, kCheckCount> order = [] {
        std::array<TCheck, kCheckCount> o{};
        for (int i = 0; i < kCheckCount; ++i)
            o[static_cast<size_t>(i)] = static_cast<TCheck>(i);
        return o;
    }();
    return order;
}

bool parseCheckNames(const QStringList& arguments, TCheckSet& checks, QString& unknown) {
    checks = {};
    for (const QString& argument : arguments)
        for (const QString& name : argument.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const std::optional<TCheck> check = checkFromName(name.trimmed());
            if (!check) {
                unknown = name.trimmed();
                return false;
            }
            checks.set(*check);
        }
    return true;
}

rNumberFormat numberFormatOf(const QString& language) {
    // The game's languages and a few more that write a decimal comma; every other writes a decimal point.
    static const QStringList commaLanguages = {
        QStringLiteral("fr"), QStringLiteral("de"),   QStringLiteral("it"), QStringLiteral("es"), QStringLiteral("pl"),
        QStringLiteral("pt"), QStringLiteral("ptbr"), QStringLiteral("ru"), QStringLiteral("cs"), QStringLiteral("tr"),
        QStringLiteral("uk"), QStringLiteral("nl"),   QStringLiteral("sv"), QStringLiteral("da"), QStringLiteral("fi"),
        QStringLiteral("no"), QStringLiteral("hu"),   QStringLiteral("ro"), QStringLiteral("el"), QStringLiteral("bg"),
        QStringLiteral("sk"),
    };
    const QString code = language.toLower();
    if (!commaLanguages.contains(code)) return {u'.', u',', false};
    // French, Polish, Russian, Czech and the Nordic languages group with a blank; the others with a dot (and a
    // blank is read as a group too).
    return {u',', code == QLatin1String("fr") ? char16_t(0x00A0) : u'.', true};
}

TPairChecks::TPairChecks(rPairSetup setup)
    : checks_(setup.checks), sourceNumbers_(numberFormatOf(setup.sourceLanguage)),
      destNumbers_(numberFormatOf(setup.destLanguage)), codepage_(std::move(setup.codepage)),
      maxTextBytes_(setup.maxTextBytes) {}

bool TPairChecks::isBlank(const QString& source, const QString& translation) {
    const auto blank = [](const QString& text) {
        for (const QChar c : text)
            if (!isBlankChar(c.unicode())) return false;
        return true;
    };
    return blank(translation) && !blank(source);
}

void TPairChecks::check(const QString& source, const QString& translation, bool validated, const rFieldRules& field,
                        std::vector<rProblem>& out) const {
    const auto on = [this](TCheck c) { return checks_.has(c); };
    if (isUntranslated(source, translation, validated)) {
        if (!on(TCheck::untranslated)) return;
        // Most sources hold no markup: their words are counted at once, stopping at the second.
        bool twoWords;
        if (source.contains(u'<') || source.contains(u'[')) {
            const rTextFacts facts = scanText(source);
            twoWords = !facts.blank && hasTwoWords(source, markupOf(source, facts));
        } else {
            twoWords = hasTwoWords(source, {});
        }
        if (twoWords) addProblem(out, TCheck::untranslated, "Chk_Untranslated");
        return;
    }
    const rTextFacts sf = scanText(source);
    const rTextFacts tf = scanText(translation);
    if (tf.blank) {
        if (!sf.blank && on(TCheck::blank)) addProblem(out, TCheck::blank, "Chk_Blank");
        return;
    }

    if (on(TCheck::brackets) && tf.bracket) {
        QStringList unbalanced;
        for (const rBracketKind& kind : bracketKinds())
            if (!kind.balanced(translation) && kind.balanced(source)) unbalanced << QString::fromUtf8(kind.shown);
        if (!unbalanced.isEmpty())
            addProblem(out, TCheck::brackets, "Chk_Unbalanced", {unbalanced.join(QStringLiteral(", "))});
    }

    if (on(TCheck::doubleSpace) && tf.doubleSpaces > sf.doubleSpaces)
        addProblem(out, TCheck::doubleSpace, "Chk_DoubleSpace",
                   {QString::number(tf.doubleSpaces), QString::number(sf.doubleSpaces)});

    if (on(TCheck::endPunctuation)) {
        const QStringView sourceEnd = withoutEndDecoration(source);
        const TEndMark mark = sourceEndMark(sourceEnd);
        if (mark != TEndMark::none && !endsWithMark(withoutEndDecoration(translation), mark))
            addProblem(out, TCheck::endPunctuation, "Chk_EndPunctuation",
                       {quoted(mark == TEndMark::ellipsis && sourceEnd.endsWith(QLatin1String("..."))
                                   ? QStringLiteral("...")
                                   : sourceEnd.right(1).toString()),
                        endingOf(translation)});
    }

    if (on(TCheck::length) && (field.maxBytes > 0 || maxTextBytes_ > 0)) {
        const qsizetype limit = field.maxBytes > 0 && (maxTextBytes_ <= 0 || field.maxBytes < maxTextBytes_)
                                    ? field.maxBytes
                                    : maxTextBytes_;
        // A UTF-16 unit is never more than three bytes once encoded: most texts are short enough not to count.
        if (translation.size() * 3 > limit) {
            const qsizetype bytes = encodedSize(translation, codepage_);
            if (field.maxBytes > 0 && bytes > field.maxBytes)
                addProblem(out, TCheck::length, "Chk_TooLongField",
                           {QString::number(bytes), field.name, QString::number(field.maxBytes)});
            else if (maxTextBytes_ > 0 && bytes > maxTextBytes_)
                addProblem(out, TCheck::length, "Chk_TooLongText",
                           {QString::number(bytes), QString::number(maxTextBytes_)});
        }
    }

    if (on(TCheck::lineBreaks)) {
        if (!field.lineBreaks && tf.lineBreaks > 0)
            addProblem(out, TCheck::lineBreaks, "Chk_LineBreakField", {field.name});
        else if (tf.lineBreaks != sf.lineBreaks)
            addProblem(out, TCheck::lineBreaks, "Chk_LineBreakCount",
                       {QString::number(tf.lineBreaks), QString::number(sf.lineBreaks)});
    }

    const bool needNumbers = on(TCheck::numbers) && (sf.digit || tf.digit);
    const bool needPlaceholders = on(TCheck::placeholders) && (sf.percent || sf.dollar || tf.percent || tf.dollar);
    const bool needTags = on(TCheck::tags) && (sf.angle || sf.square || tf.angle || tf.square);
    const bool needWords = on(TCheck::repeatedWord);
    std::vector<rMarkupToken> sourceMarkup, translationMarkup;
    if (needNumbers || needPlaceholders || needTags || needWords) {
        sourceMarkup = markupOf(source, sf);
        translationMarkup = markupOf(translation, tf);
    }
    std::vector<rPlaceholder> sourcePlaceholders, translationPlaceholders;
    if (needNumbers || needPlaceholders) {
        sourcePlaceholders = placeholdersOf(source, sf, sourceMarkup);
        translationPlaceholders = placeholdersOf(translation, tf, translationMarkup);
    }

    if (needNumbers) {
        const rSkipSpans sourceSkip = skipSpans(sourceMarkup, sourcePlaceholders);
        const rSkipSpans translationSkip = skipSpans(translationMarkup, translationPlaceholders);
        const auto sourceSpans = numberSpans(source, sourceNumbers_, sourceSkip);
        // Numbers kept as the source writes them ("250", "v1.2.3", "10 100" copied over) are the same numbers.
        const auto keptSpans = numberSpans(translation, sourceNumbers_, translationSkip);
        if (!sameNumberTexts(source, sourceSpans, translation, keptSpans)) {
            const TItems sourceItems = numberItems(source, sourceSpans, sourceNumbers_);
            const rDifference d = multisetDifference(
                sourceItems,
                numberItems(translation, numberSpans(translation, destNumbers_, translationSkip), destNumbers_));
            if (!d.empty() &&
                !multisetDifference(sourceItems, numberItems(translation, keptSpans, sourceNumbers_)).empty())
                addDifference(out, TCheck::numbers, d);
        }
    }

    if (needPlaceholders) checkPlaceholders(source, translation, sourcePlaceholders, translationPlaceholders, out);

    if (needWords) {
        const QStringList repeated = repeatedWords(translation, translationMarkup, false);
        if (!repeated.isEmpty()) {
            const QStringList sourceRepeated = repeatedWords(source, sourceMarkup, false);
            for (const QString& word : repeated)
                if (!sourceRepeated.contains(word)) {
                    addProblem(out, TCheck::repeatedWord, "Chk_RepeatedWord", {word});
                    break;
                }
        }
    }

    if (needTags) {
        const rDifference d =
            multisetDifference(tagItems(source, sourceMarkup), tagItems(translation, translationMarkup));
        if (!d.empty()) addDifference(out, TCheck::tags, d);
    }

    if (on(TCheck::whitespace)) {
        const bool leadingDiffers = QStringView(source).left(sf.leading) != QStringView(translation).left(tf.leading);
        const bool trailingDiffers =
            QStringView(source).right(sf.trailing) != QStringView(translation).right(tf.trailing);
        if (leadingDiffers)
            addProblem(out, TCheck::whitespace, "Chk_LeadingBlanks",
                       {QString::number(tf.leading), QString::number(sf.leading)});
        else if (trailingDiffers)
            addProblem(out, TCheck::whitespace, "Chk_TrailingBlanks",
                       {QString::number(tf.trailing), QString::number(sf.trailing)});
    }
}

// ----- across entries

void TSourceGroups::build(const tListSet& lists) {
    index_.clear();
    index_.reserve(static_cast<size_t>(countListSet(lists)));
    for (const auto& list : lists)
        for (const auto& entry : list)
            index_.emplace_back(entry->hash, entry.get());
    std::sort(index_.begin(), index_.end());
}

bool TSourceGroups::holds(const tSkyStr& entry) const {
    const std::pair<uint32_t, tSkyStr*> key{entry.hash, const_cast<tSkyStr*>(&entry)};
    const auto first = std::lower_bound(index_.begin(), index_.end(), key);
    return first != index_.end() && *first == key; // the entry under its present source hash
}

std::vector<tSkyStr*> TSourceGroups::peers(const tSkyStr& entry) const {
    std::vector<tSkyStr*> out;
    const auto byHash = [](const auto& a, uint32_t h) { return a.first < h; };
    for (auto it = std::lower_bound(index_.begin(), index_.end(), entry.hash, byHash);
         it != index_.end() && it->first == entry.hash; ++it)
        if (it->second != &entry && it->second->gS == entry.gS) out.push_back(it->second);
    return out;
}

bool hasOwnTranslation(const tSkyStr& entry) {
    return !TPairChecks::isUntranslated(entry.gS, entry.gTrans, entry.hasParam(sStrParam::validated)) &&
           !TPairChecks::isBlank(entry.gS, entry.gTrans) && !entry.gTrans.isEmpty();
}

std::vector<rGivenTranslation> givenTranslations(const std::vector<tSkyStr*>& entries) {
    std::vector<rGivenTranslation> given;
    for (const tSkyStr* e : entries) {
        if (!hasOwnTranslation(*e)) continue;
        const auto it = std::find_if(given.begin(), given.end(),
                                     [&](const rGivenTranslation& g) { return g.translation == e->gTrans; });
        if (it != given.end())
            ++it->count;
        else
            given.push_back({e->gTrans, e, 1});
    }
    return given;
}

void checkInconsistent(const QString& translation, const std::vector<rGivenTranslation>& given,
                       std::vector<rProblem>& out) {
    QStringList others;
    int more = 0;
    for (const rGivenTranslation& g : given) {
        if (g.translation == translation) continue;
        if (others.size() == 3) {
            ++more;
            continue;
        }
        QString where = QStringLiteral("%1:%2").arg(g.first->listIndex).arg(g.first->id);
        if (g.count > 1) where += QStringLiteral(" +%1").arg(g.count - 1);
        others << QStringLiteral("%1 (%2)").arg(quoted(g.translation), where);
    }
    if (others.isEmpty()) return;
    QString list = others.join(QStringLiteral(", "));
    if (more > 0) list += QStringLiteral(" …");
    addProblem(out, TCheck::inconsistent, "Chk_Inconsistent", {list});
}

namespace {

constexpr uint32_t kTermFilterBits = 1u << 20;
constexpr int kTermFilterShift = 12; // 32 - 20: the hash's high 20 bits choose the bit

bool isOfficial(const tSkyStr& entry) {
    const auto* folder = static_cast<const tSkyFolder*>(entry.pNode);
    return folder && !folder->fparams.has(sFdrParam::fdrUser);
}

} // namespace

void TOfficialTerms::build(const tListSet& vocabulary) {
    vocabulary_ = &vocabulary;
    hashes_.clear();
    for (const auto& list : vocabulary)
        for (const auto& entry : list)
            if (isOfficial(*entry)) hashes_.push_back(entry->hash);
    std::sort(hashes_.begin(), hashes_.end());
    hashes_.erase(std::unique(hashes_.begin(), hashes_.end()), hashes_.end());
    filter_.assign(kTermFilterBits / 64, 0);
    for (const uint32_t h : hashes_)
        filter_[(h >> kTermFilterShift) / 64] |= uint64_t(1) << ((h >> kTermFilterShift) % 64);
}

void TOfficialTerms::clear() {
    vocabulary_ = nullptr;
    hashes_.clear();
    filter_.clear();
}

QStringList TOfficialTerms::translationsOf(int listIndex, const QString& source, uint32_t sourceHash) const {
    QStringList out;
    if (!vocabulary_ || listIndex < 0 || listIndex > 2 || filter_.empty()) return out;
    const uint32_t slice = sourceHash >> kTermFilterShift;
    if (!(filter_[slice / 64] & (uint64_t(1) << (slice % 64))) ||
        !std::binary_search(hashes_.begin(), hashes_.end(), sourceHash))
        return out;
    // The vocabulary lists are sorted by source hash first.
    const tSkyStrList& list = (*vocabulary_)[static_cast<size_t>(listIndex)];
    const auto first = std::lower_bound(list.begin(), list.end(), sourceHash,
                                        [](const std::unique_ptr<tSkyStr>& e, uint32_t h) { return e->hash < h; });
    for (auto it = first; it != list.end() && (*it)->hash == sourceHash; ++it)
        if (isOfficial(**it) && (*it)->gS == source && !(*it)->gTrans.isEmpty() && !out.contains((*it)->gTrans))
            out << (*it)->gTrans;
    return out;
}

void checkOfficialTerm(const TOfficialTerms& terms, int listIndex, const QString& source, uint32_t sourceHash,
                       const QString& translation, std::vector<rProblem>& out) {
    const QStringList official = terms.translationsOf(listIndex, source, sourceHash);
    if (official.isEmpty() || official.contains(translation)) return;
    QStringList shown;
    for (const QString& t : official)
        shown << quoted(t);
    addProblem(out, TCheck::officialTerm, "Chk_OfficialTerm", {shown.join(QStringLiteral(", "))});
}

void addSpellingProblems(const QStringList& unknownWords, std::vector<rProblem>& out) {
    for (const QString& word : unknownWords)
        addProblem(out, TCheck::spelling, "Chk_Spelling", {word});
}

} // namespace quillcheck
