// Text hash and comparison form.
#include "strings/QUILL_hash.h"

#include <algorithm>

namespace {

struct rTagPrefix {
    const char* prefix;
    const char* token;
};

constexpr rTagPrefix kTagPrefixes[] = {
    {"<alias", "<a>"},
    {"<globa", "<g>"},
    {"<relat", "<r>"},
    {"<basen", "<b>"},
};

inline bool isPunctuation(char16_t c) {
    return c >= 33 && c <= 63 && c != 45;
}

} // namespace

namespace {

// The tag walk of a text that holds a '<': every angle span is looked up by its first six characters.
void parseTags(QStringView text, rParse& result, QStringList* tags) {
    result.sLD.reserve(text.size());
    qsizetype done = 0;
    for (rMarkupToken t = nextMarkupToken(text, 0); t.length > 0; t = nextMarkupToken(text, t.start + t.length)) {
        if (t.kind == rMarkupToken::TKind::key) continue;
        result.sLD.append(text.mid(done, t.start - done));
        done = t.start + t.length;
        const QStringView tag = text.mid(t.start, t.length);
        const QString head = tag.left(6).toString().toLower();
        bool matched = false;
        for (const auto& p : kTagPrefixes) {
            if (head == QLatin1String(p.prefix)) {
                result.sTag.append(tag);
                if (tags) tags->append(tag.toString());
                result.sLD.append(QLatin1String(p.token));
                ++result.sTagCount;
                matched = true;
                break;
            }
        }
        if (!matched) result.sLD.append(tag);
    }
    result.sLD.append(text.mid(done));
}

void finishParse(rParse& result) {
    const qsizetype length = result.sLD.size();
    if (length >= 2 && length <= 24) {
        result.sOneWord = lowerCased(punctuationToSpace(result.sLD));
        result.sIsOneWord = !result.sOneWord.contains(QLatin1Char(' '));
    }
    result.sTagHash = result.sTagCount > 0 ? textHash(lowerCased(result.sTag)) : 0;
}

} // namespace

namespace {

inline bool isAsciiLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// A bracketed key name: capitals, digits and "_+-", at most 16 of them; or the book's page break.
bool isKeyName(QStringView inside) {
    if (inside.compare(QLatin1String("pagebreak"), Qt::CaseInsensitive) == 0) return true;
    if (inside.isEmpty() || inside.size() > 16) return false;
    bool capital = false;
    for (const QChar c : inside) {
        const char16_t u = c.unicode();
        if (u >= u'A' && u <= u'Z')
            capital = true;
        else if (!((u >= u'0' && u <= u'9') || u == u'_' || u == u'+' || u == u'-'))
            return false;
    }
    return capital || (inside.size() <= 3 && inside[0].isDigit()); // [E], [F1], [1]
}

} // namespace

rMarkupToken nextMarkupToken(QStringView text, qsizetype from) {
    const qsizetype n = text.size();
    const char16_t* s = reinterpret_cast<const char16_t*>(text.data());
    for (qsizetype i = from; i < n; ++i) {
        const char16_t c = s[i];
        if (c == u'<') {
            qsizetype j = i + 1;
            while (j < n && s[j] != u'>' && s[j] != u'<')
                ++j;
            if (j >= n) return {}; // no '>' closes it: nothing after it is markup either
            if (s[j] == u'<') {
                i = j - 1; // the span starts again at the later '<'
                continue;
            }
            const qsizetype name = i + 1 < j && s[i + 1] == u'/' ? i + 2 : i + 1;
            const bool tag = name < j && isAsciiLetter(s[name]);
            return {i, j + 1 - i, tag ? rMarkupToken::TKind::tag : rMarkupToken::TKind::angleText};
        }
        if (c == u'[') {
            qsizetype j = i + 1;
            while (j < n && j - i <= 17 && s[j] != u']' && s[j] != u'[')
                ++j;
            if (j < n && s[j] == u']' && isKeyName(text.mid(i + 1, j - i - 1)))
                return {i, j + 1 - i, rMarkupToken::TKind::key};
        }
    }
    return {};
}

qsizetype formatSpecifierLength(QStringView text, qsizetype at, bool* positional) {
    const char16_t* s = reinterpret_cast<const char16_t*>(text.data());
    const qsizetype n = text.size();
    const auto digit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
    qsizetype j = at + 1;
    if (positional) *positional = false;
    qsizetype k = j;
    while (k < n && digit(s[k]))
        ++k;
    if (k > j && k < n && s[k] == u'$') {
        if (positional) *positional = true;
        j = k + 1;
    }
    while (j < n && (s[j] == u'-' || s[j] == u'+' || s[j] == u'0' || s[j] == u'#'))
        ++j;
    if (j < n && s[j] == u'*')
        ++j;
    else
        while (j < n && digit(s[j]))
            ++j;
    if (j < n && s[j] == u'.') {
        ++j;
        if (j < n && s[j] == u'*')
            ++j;
        else
            while (j < n && digit(s[j]))
                ++j;
    }
    while (j < n && (s[j] == u'h' || s[j] == u'l' || s[j] == u'L' || s[j] == u'z' || s[j] == u'j' || s[j] == u't' ||
                     s[j] == u'q'))
        ++j;
    if (j >= n) return 0;
    static const QLatin1String conversions("diouxXeEfFgGaAcspnS");
    return conversions.contains(QChar(s[j])) ? j + 1 - at : 0;
}

void parseString(QStringView text, rParse& result, QStringList* tags) {
    result = rParse{};
    if (text.contains(QLatin1Char('<')))
        parseTags(text, result, tags);
    else
        result.sLD = text.toString();
    finishParse(result);
}

void parseString(const QString& text, rParse& result, QStringList* tags) {
    result = rParse{};
    // Without a tag the comparison text is the text itself, shared rather than copied.
    if (text.contains(QLatin1Char('<')))
        parseTags(text, result, tags);
    else
        result.sLD = text;
    finishParse(result);
}

QString lowerCased(const QString& text) {
    const qsizetype n = text.size();
    const char16_t* s = reinterpret_cast<const char16_t*>(text.constData());
    qsizetype firstUpper = -1;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i];
        if (c >= 0x80) return text.toLower();
        if (firstUpper < 0 && c >= u'A' && c <= u'Z') firstUpper = i;
    }
    if (firstUpper < 0) return text;
    QString out = text;
    char16_t* d = reinterpret_cast<char16_t*>(out.data());
    for (qsizetype i = firstUpper; i < n; ++i)
        if (d[i] >= u'A' && d[i] <= u'Z') d[i] = static_cast<char16_t>(d[i] + 32);
    return out;
}

void textHashes(const QString* texts, qsizetype count, uint32_t* hashes) {
    const auto step = [](uint32_t h, char16_t c) { return (h ^ (c & 0xFFu)) * kTextHashPrime; };
    // Four lanes each hash one text; a lane that finishes takes the next text, so the four chains stay busy
    // whatever the mix of lengths.
    struct rLane {
        const char16_t* p = nullptr;
        qsizetype left = 0;
        qsizetype index = -1;
        uint32_t h = kTextHashSeed;
    };
    qsizetype next = 0;
    const auto refill = [&](rLane& lane) {
        while (next < count) {
            const QString& text = texts[next];
            if (text.isEmpty()) {
                hashes[next++] = kTextHashSeed;
                continue;
            }
            lane = {reinterpret_cast<const char16_t*>(text.constData()), text.size(), next++, kTextHashSeed};
            return true;
        }
        lane.index = -1;
        return false;
    };
    rLane lane[4];
    bool full = refill(lane[0]) && refill(lane[1]) && refill(lane[2]) && refill(lane[3]);
    while (full) {
        const qsizetype steps = std::min(std::min(lane[0].left, lane[1].left), std::min(lane[2].left, lane[3].left));
        uint32_t h0 = lane[0].h, h1 = lane[1].h, h2 = lane[2].h, h3 = lane[3].h;
        const char16_t *p0 = lane[0].p, *p1 = lane[1].p, *p2 = lane[2].p, *p3 = lane[3].p;
        for (qsizetype i = 0; i < steps; ++i) {
            h0 = step(h0, p0[i]);
            h1 = step(h1, p1[i]);
            h2 = step(h2, p2[i]);
            h3 = step(h3, p3[i]);
        }
        const uint32_t h[4] = {h0, h1, h2, h3};
        for (int j = 0; j < 4; ++j) {
            lane[j].h = h[j];
            lane[j].p += steps;
            lane[j].left -= steps;
            if (lane[j].left == 0) {
                hashes[lane[j].index] = lane[j].h;
                if (!refill(lane[j])) full = false;
            }
        }
    }
    // Fewer than four texts are left in flight: finish them one at a time.
    for (rLane& l : lane) {
        if (l.index < 0) continue;
        uint32_t h = l.h;
        for (qsizetype i = 0; i < l.left; ++i)
            h = step(h, l.p[i]);
        hashes[l.index] = h;
    }
}

QString punctuationToSpace(QStringView text) {
    QString out(text.size(), Qt::Uninitialized);
    QChar* d = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        d[i] = isPunctuation(c) ? QLatin1Char(' ') : text[i];
    }
    return out;
}

void addWordHashes(QStringView text, QList<uint32_t>& hashes) {
    // Words are split at spaces, line feeds and punctuation; carriage returns are dropped. An ASCII word is hashed
    // as it is lower-cased, without building it; any other word goes through the full lower-casing.
    qsizetype wordStart = 0;
    uint32_t asciiHash = kTextHashSeed;
    qsizetype length = 0;
    bool ascii = true;
    auto flush = [&](qsizetype end) -> bool {
        if (length > 2) {
            if (ascii) {
                hashes.append(asciiHash);
            } else {
                QString word = text.mid(wordStart, end - wordStart).toString();
                word.remove(QLatin1Char('\r'));
                hashes.append(textHash(word.toLower()));
            }
        }
        asciiHash = kTextHashSeed;
        length = 0;
        ascii = true;
        wordStart = end + 1;
        return hashes.size() > 30;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\r') continue;
        if (c == u' ' || c == u'\n' || isPunctuation(c)) {
            if (flush(i)) return;
            continue;
        }
        ++length;
        if (c < 128) {
            const char16_t lower = (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
            asciiHash = (asciiHash ^ (lower & 0xFFu)) * kTextHashPrime;
        } else {
            ascii = false;
        }
    }
    flush(text.size());
}
