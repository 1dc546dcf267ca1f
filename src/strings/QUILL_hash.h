// Text hash, hash step and the comparison form of a text (tags abbreviated and counted, word hashes).
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>

constexpr uint32_t kTextHashSeed = 0x811C9DC5u;
constexpr uint32_t kTextHashPrime = 16777619u;

// 32-bit FNV-1a over the low byte of each UTF-16 code unit.
inline uint32_t textHash(QStringView text) {
    uint32_t h = kTextHashSeed;
    for (const QChar c : text)
        h = (h ^ (c.unicode() & 0xFFu)) * kTextHashPrime;
    return h;
}

// textHash of each of `count` texts into `hashes`. Four texts are hashed side by side: each hash is a chain of
// dependent multiplies, so running four chains at once keeps the multiplier busy instead of waiting on one.
void textHashes(const QString* texts, qsizetype count, uint32_t* hashes);

// Combines a 32-bit value into a hash (a zero hash starts from the seed).
inline uint32_t hashStep(uint32_t h, uint32_t v) {
    return ((h ? h : kTextHashSeed) ^ v) * kTextHashPrime;
}

// The parse of a text: comparison text with recognised tags replaced by tokens, the tags, and the one-word test.
struct rParse {
    QString sLD;
    QString sTag;
    uint32_t sTagHash = 0;
    uint8_t sTagCount = 0;
    bool sIsOneWord = false;
    QString sOneWord;
};

// The markup of a game text, the one tokenizer every rule about tags reads. An angle span runs from a '<' to the
// next '>' with no other '<' between; it is a tag when a letter (or "/" and a letter) follows the '<' ("<Alias=X>",
// "</font>", "<br>"), else plain text that happens to hold angle brackets ("<3 >"). A key is a bracketed key name
// or book token: capitals, digits and "_+-" only ("[E]", "[TAB]"), or "[pagebreak]" in any case. A bracketed
// phrase with small letters ("[Sarcastic]") is text the translator translates.
struct rMarkupToken {
    enum class TKind : uint8_t { angleText, tag, key };
    qsizetype start = 0;
    qsizetype length = 0;
    TKind kind = TKind::angleText;
};
// The next markup token at or after `from`; length 0 when there is none.
rMarkupToken nextMarkupToken(QStringView text, qsizetype from);
// Every markup token of `text`, in order.
template <typename Visit> void forEachMarkupToken(QStringView text, Visit&& visit) {
    for (rMarkupToken t = nextMarkupToken(text, 0); t.length > 0; t = nextMarkupToken(text, t.start + t.length))
        visit(t);
}

// The length of a printf format specifier at `at` (a '%': "%d", "%.2f", "%1$s", "%-5s"), 0 when what follows is no
// specifier ("%%" is not one). A blank is not taken as the space flag: "50 % de" is French for fifty percent.
// `positional` says whether it names its argument ("%1$s").
qsizetype formatSpecifierLength(QStringView text, qsizetype at, bool* positional = nullptr);

// Parses `text`; the recognised tags are appended to `tags` when given.
void parseString(QStringView text, rParse& result, QStringList* tags = nullptr);
void parseString(const QString& text, rParse& result, QStringList* tags = nullptr);

// QString::toLower, with a quick path for ASCII text (returned as it is when it holds no capital).
QString lowerCased(const QString& text);

// Replaces every character with a code from 33 to 63, except the hyphen, with a space.
QString punctuationToSpace(QStringView text);

// Appends the hashes of the words (longer than 2 characters, lower-cased) of `text`; stops once more than 30 are held.
void addWordHashes(QStringView text, QList<uint32_t>& hashes);
