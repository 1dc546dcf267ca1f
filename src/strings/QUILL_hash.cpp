// Text hash and comparison form.
#include "strings/QUILL_hash.h"

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

inline bool isPunctuation(char16_t c) { return c >= 33 && c <= 63 && c != 45; }

} // namespace

void parseString(QStringView text, rParse& result, QStringList* tags) {
    result = rParse{};
    QString tag;
    bool inTag = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('<')) {
            if (inTag) {
                result.sLD.append(tag);
                tag.clear();
            }
            inTag = true;
        }
        if (inTag) tag.append(c);
        else result.sLD.append(c);
        if (c == QLatin1Char('>') && inTag) {
            const QString head = tag.left(6).toLower();
            bool matched = false;
            for (const auto& p : kTagPrefixes) {
                if (head == QLatin1String(p.prefix)) {
                    result.sTag.append(tag);
                    if (tags) tags->append(tag);
                    result.sLD.append(QLatin1String(p.token));
                    ++result.sTagCount;
                    matched = true;
                    break;
                }
            }
            if (!matched) result.sLD.append(tag);
            tag.clear();
            inTag = false;
        }
    }
    if (!tag.isEmpty()) result.sLD.append(tag);
    const qsizetype length = result.sLD.size();
    if (length >= 2 && length <= 24) {
        result.sOneWord = punctuationToSpace(result.sLD).toLower();
        result.sIsOneWord = !result.sOneWord.contains(QLatin1Char(' '));
    }
    result.sTagHash = result.sTagCount > 0 ? textHash(result.sTag.toLower()) : 0;
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
