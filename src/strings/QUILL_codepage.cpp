// Code page descriptors over Qt's converters (ICU supplies the Windows code pages).
#include "strings/QUILL_codepage.h"

#include "core/QUILL_cursor.h"

#include <QIODevice>
#include <QStringDecoder>
#include <QStringEncoder>
#include <map>
#include <memory>
#include <vector>

namespace {

// The converter name Qt knows for each Windows code page this program writes.
const char* converterName(uint16_t c) {
    switch (c) {
    case 932:
        return "windows-932";
    case 1250:
        return "windows-1250";
    case 1251:
        return "windows-1251";
    case 1252:
        return "windows-1252";
    case 1253:
        return "windows-1253";
    case 1254:
        return "windows-1254";
    case 1256:
        return "windows-1256";
    default:
        return nullptr;
    }
}

// Opening an ICU converter costs far more than converting one short text, so each code page keeps one pair.
struct rConverterPair {
    QStringDecoder decoder;
    QStringEncoder encoder;
    QByteArray substitute;      // what the encoder writes for a character it cannot represent
    QString substituteText;     // the character those bytes stand for, kept when the text really holds it
    std::vector<QChar> decoded; // room the decoder writes a text into
};

rConverterPair& convertersFor(uint16_t c) {
    static thread_local std::map<uint16_t, std::unique_ptr<rConverterPair>> cache;
    auto& slot = cache[c];
    if (!slot) {
        slot = std::make_unique<rConverterPair>();
        if (c == kCodepageForceDeloc) {
            slot->decoder = QStringDecoder(QStringConverter::System);
            slot->encoder = QStringEncoder(QStringConverter::System);
        } else {
            slot->decoder = QStringDecoder(converterName(c));
            slot->encoder = QStringEncoder(converterName(c));
        }
        // U+FFFF is a non-character no code page maps.
        slot->substitute = slot->encoder.encode(QStringView(u"\uFFFF"));
        slot->encoder.resetState();
        slot->substituteText = slot->decoder.decode(slot->substitute);
        slot->decoder.resetState();
    }
    return *slot;
}

QByteArray encodeWith(rConverterPair& pair, QStringView text) {
    pair.encoder.resetState();
    QByteArray out = pair.encoder.encode(text);
    pair.encoder.resetState();
    return out;
}

// The converter writes its own control-character substitute for an unrepresentable character; a game text gets
// '?' instead, the substitute a translator recognises.
QByteArray encodeCodepage(QStringView text, uint16_t c) {
    rConverterPair& pair = convertersFor(c);
    QByteArray encoded = encodeWith(pair, text);
    if (pair.substitute.isEmpty() || !encoded.contains(pair.substitute)) return encoded;
    QByteArray out;
    out.reserve(encoded.size());
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype width =
            (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ? 2 : 1;
        const QStringView one = text.sliced(i, width);
        const QByteArray bytes = encodeWith(pair, one);
        if (bytes.isEmpty() || (bytes == pair.substitute && one != pair.substituteText))
            out.append('?');
        else
            out.append(bytes);
        i += width;
    }
    return out;
}

tWriteStringCodepage streamWriter(const rCodepage& descriptor) {
    const rCodepage cp = rCodepage{{}, {}, descriptor.c, descriptor.s, descriptor.isUtf8};
    return [cp](const QString& text, QIODevice& out, bool withLength) -> qint64 {
        const QByteArray entry = encodeEntry(text, cp, withLength);
        return out.write(entry) == entry.size() ? entry.size() : -1;
    };
}

tWriteBufferCodepage bufferWriter(const rCodepage& descriptor) {
    if (descriptor.isForceDeloc()) {
        // No conversion: a plugin field keeps the bytes it was read with.
        return [](const QString&, QByteArray& buffer) -> qsizetype { return buffer.size(); };
    }
    const rCodepage cp = rCodepage{{}, {}, descriptor.c, descriptor.s, descriptor.isUtf8};
    return [cp](const QString& text, QByteArray& buffer) -> qsizetype {
        buffer = encodeEntry(text, cp, false);
        return buffer.size();
    };
}

} // namespace

rCodepage codepageFromNumber(int requested) {
    rCodepage cp;
    switch (requested) {
    case 932:
    case 1250:
    case 1251:
    case 1252:
    case 1253:
    case 1254:
    case 1256:
        cp.c = static_cast<uint16_t>(requested);
        cp.s = QString::number(requested);
        break;
    case kCodepageForceDeloc:
        cp.c = kCodepageForceDeloc;
        cp.s = QStringLiteral("ForceDeloc");
        break;
    default:
        cp.c = kCodepageUtf8;
        cp.s = QStringLiteral("Utf8");
        break;
    }
    cp.isUtf8 = cp.c == kCodepageUtf8;
    cp.f = streamWriter(cp);
    cp.fb = bufferWriter(cp);
    return cp;
}

int requestedCodepage(const QString& name, const QStringList& table, bool forceUtf8) {
    if (forceUtf8) return kRequestUtf8;
    const QString lowered = name.toLower();
    for (const QString& rawLine : table) {
        const QString line = rawLine.toLower();
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        // A line without "=" has an empty name part (so "_" alone is searched) and an empty value.
        const QString namePart = eq < 0 ? QString() : line.left(eq).trimmed();
        const QString value = eq < 0 ? QString() : line.mid(eq + 1).trimmed();
        if (!lowered.contains(QLatin1Char('_') + namePart)) continue;
        if (value == QLatin1String("utf8")) return kRequestUtf8;
        bool ok = false;
        const int number = value.toInt(&ok, 10);
        return ok ? number : kRequestUtf8;
    }
    return kRequestUtf8;
}

rCodepage chooseCodepage(const QString& name, const QStringList& table, bool forceUtf8) {
    return codepageFromNumber(requestedCodepage(name, table, forceUtf8));
}

QString decodeText(QByteArrayView bytes, const rCodepage& codepage) {
    if (bytes.isEmpty()) return {};
    if (codepage.isUtf8) {
        // Room is made for a unit a byte: a text of letters written in two bytes each (Cyrillic) gives half back.
        QString text = QString::fromUtf8(bytes);
        if (text.capacity() - text.size() > 16 + text.size() / 4) text.squeeze();
        return text;
    }
    rConverterPair& pair = convertersFor(codepage.c);
    // A multi-byte code page keeps a cut character between calls; every entry starts afresh.
    pair.decoder.resetState();
    // The decoder asks room for the most a text could become (twice its bytes, more than a code page of one byte
    // ever needs): written into the thread's buffer, the text then takes only what it holds. Decoded straight into a
    // string, a million-string table set kept 130 MB of room it never used.
    const qsizetype room = pair.decoder.requiredSpace(bytes.size());
    if (static_cast<qsizetype>(pair.decoded.size()) < room) pair.decoded.resize(static_cast<size_t>(room));
    const QChar* end = pair.decoder.appendToBuffer(pair.decoded.data(), bytes);
    pair.decoder.resetState();
    return QString(pair.decoded.data(), end - pair.decoded.data());
}

QByteArray encodeText(QStringView text, const rCodepage& codepage) {
    if (text.isEmpty()) return {};
    if (codepage.isUtf8) return text.toUtf8();
    return encodeCodepage(text, codepage.c);
}

namespace {

// Follows bytes as UTF-8: feed() is false once they cannot be UTF-8; whole() tells whether they ended on a
// character boundary and held at least one multi-byte sequence.
class TUtf8Shape {
public:
    bool feed(uint8_t b) {
        if (trail_ == 0) {
            if (b < 0x80) return true;
            if (b >= 0xC2 && b <= 0xDF) {
                trail_ = 1;
                value_ = b & 0x1Fu;
            } else if (b >= 0xE0 && b <= 0xEF) {
                trail_ = 2;
                value_ = b & 0x0Fu;
            } else if (b >= 0xF0 && b <= 0xF4) {
                trail_ = 3;
                value_ = b & 0x07u;
            } else {
                return false;
            }
            length_ = trail_;
            return true;
        }
        if ((b & 0xC0u) != 0x80u) return false;
        value_ = (value_ << 6) | (b & 0x3Fu);
        if (--trail_ > 0) return true;
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if ((length_ == 2 && value_ < 0x800) || (length_ == 3 && (value_ < 0x10000 || value_ > 0x10FFFF)) ||
            (value_ >= 0xD800 && value_ <= 0xDFFF))
            return false;
        multiByte_ = true;
        return true;
    }
    bool whole() const { return trail_ == 0 && multiByte_; }

private:
    int trail_ = 0;
    int length_ = 0;
    char32_t value_ = 0;
    bool multiByte_ = false;
};

// The index of the first unit beyond ASCII, or the size.
qsizetype firstBeyondAscii(QStringView text) {
    const char16_t* s = text.utf16();
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && s[i] < 0x80)
        ++i;
    return i;
}

bool beyondAscii(QStringView text) {
    return firstBeyondAscii(text) < text.size();
}

} // namespace

bool looksLikeUtf8ReadAsEightBit(QStringView text, const rCodepage& codepage) {
    if (codepage.isUtf8 || codepage.isForceDeloc() || !beyondAscii(text)) return false;
    TUtf8Shape shape;
    for (const char b : encodeText(text, codepage))
        if (!shape.feed(static_cast<uint8_t>(b))) return false;
    return shape.whole();
}

TUtf8MisreadProbe::tKind TUtf8MisreadProbe::classify(QStringView text) {
    const qsizetype first = firstBeyondAscii(text);
    if (first == text.size()) return tKind::ascii;
    if (codepage_.isUtf8 || codepage_.isForceDeloc()) return tKind::eightBit;
    const auto converted = [&] { return looksLikeUtf8ReadAsEightBit(text, codepage_) ? tKind::utf8 : tKind::eightBit; };
    if (!tableTried_) {
        tableTried_ = true;
        // The byte of every BMP character but the surrogates, its substitute turned into '?' as encodeText does. A
        // code page of one byte a character converts a block at once; a block holding characters the converter
        // drops (ICU writes nothing for some invisible ones) or writes as several bytes is taken one by one, and
        // those characters leave the answer to the conversion of the whole text.
        rConverterPair& pair = convertersFor(codepage_.c);
        QString all;
        all.reserve(0x10000 - 0x800);
        for (char32_t u = 0; u < 0x10000; ++u)
            if (!QChar::isSurrogate(u)) all.append(QChar(static_cast<char16_t>(u)));
        // A code page of several bytes a character (Shift-JIS) gains nothing from a table of bytes.
        if (pair.substitute.size() != 1 || encodeWith(pair, all).size() > all.size()) return converted();
        byteOf_.assign(0x10000, kWholeText);
        const auto byteFor = [&](QStringView one, char b) {
            const bool substituted = b == pair.substitute.at(0) && one != pair.substituteText;
            return static_cast<uint16_t>(static_cast<uint8_t>(substituted ? '?' : b));
        };
        constexpr char32_t kBlock = 256;
        QString block;
        for (char32_t first = 0; first < 0x10000; first += kBlock) {
            if (QChar::isSurrogate(first)) continue; // the surrogates fill whole blocks
            block.clear();
            for (char32_t u = first; u < first + kBlock; ++u)
                block.append(QChar(static_cast<char16_t>(u)));
            const QByteArray bytes = encodeWith(pair, block);
            for (qsizetype k = 0; k < block.size(); ++k) {
                const QStringView one = QStringView(block).sliced(k, 1);
                if (bytes.size() == block.size()) {
                    byteOf_[block.at(k).unicode()] = byteFor(one, bytes.at(k));
                    continue;
                }
                const QByteArray single = encodeWith(pair, one);
                if (single.size() == 1) byteOf_[block.at(k).unicode()] = byteFor(one, single.at(0));
            }
        }
    }
    if (byteOf_.empty()) return converted();
    // Every code page of one byte writes ASCII as itself, and ASCII leaves the shape as it was between two
    // characters: the text is read from its first unit beyond ASCII, ASCII units without the table.
    TUtf8Shape shape;
    const char16_t* s = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = first; i < n; ++i) {
        const char16_t c = s[i];
        const uint16_t b = c < 0x80 ? c : byteOf_[c];
        if (b == kWholeText) return converted(); // a surrogate pair is one character of the code page, or its '?'
        if (!shape.feed(static_cast<uint8_t>(b))) return tKind::eightBit;
    }
    return shape.whole() ? tKind::utf8 : tKind::eightBit;
}

qsizetype characterBoundaryPrefix(QByteArrayView encoded, const rCodepage& codepage, qsizetype maxBytes) {
    if (maxBytes <= 0) return 0;
    if (encoded.size() <= maxBytes) return encoded.size();
    if (codepage.isUtf8) {
        // Step back over continuation bytes to the first byte of the character that would be cut.
        qsizetype end = maxBytes;
        while (end > 0 && (static_cast<uint8_t>(encoded[end]) & 0xC0) == 0x80)
            --end;
        return end;
    }
    if (codepage.c == 932) {
        // Shift-JIS trail bytes overlap the single-byte range, so boundaries are found walking forward.
        qsizetype at = 0;
        while (at < encoded.size()) {
            const uint8_t b = static_cast<uint8_t>(encoded[at]);
            const qsizetype width = ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) ? 2 : 1;
            if (at + width > maxBytes) break;
            at += width;
        }
        return at;
    }
    if (codepage.isForceDeloc()) {
        // The system's code page may be multi-byte: keep the longest prefix that converts back to itself.
        for (qsizetype end = maxBytes; end > 0 && end > maxBytes - 4; --end) {
            const QByteArrayView prefix = encoded.first(end);
            if (encodeText(decodeText(prefix, codepage), codepage) == prefix) return end;
        }
    }
    return maxBytes;
}

QByteArray encodeEntry(QStringView text, const rCodepage& codepage, bool withLength) {
    QByteArray encoded = encodeText(text, codepage);
    encoded.truncate(characterBoundaryPrefix(encoded, codepage, kMaxEntryBytes - 1));
    encoded.append('\0');
    if (!withLength) return encoded;
    QByteArray out;
    out.reserve(encoded.size() + 4);
    binary_out::u32le(out, static_cast<uint32_t>(encoded.size()));
    out.append(encoded);
    return out;
}
