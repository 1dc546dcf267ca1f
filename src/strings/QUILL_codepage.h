// Code page descriptors: which 8-bit encoding a language's game texts use, decoding bytes to text and the two
// writer forms (stream and buffer) that encode translations back.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

class QIODevice;

// One game text entry is at most this many bytes, its terminating 0 byte included.
constexpr qsizetype kMaxEntryBytes = 65535;

constexpr uint16_t kCodepageUtf8 = 0;
constexpr uint16_t kCodepageForceDeloc = 65535;
constexpr int kRequestUtf8 = 65001;

// Writes the encoded text and its 0 byte (with a 4-byte length first when asked); returns the bytes written,
// or -1 when the device refused the bytes.
using tWriteStringCodepage = std::function<qint64(const QString& text, QIODevice& out, bool withLength)>;
// Replaces the buffer with the encoded text and its 0 byte; returns the buffer length.
using tWriteBufferCodepage = std::function<qsizetype(const QString& text, QByteArray& buffer)>;

struct rCodepage {
    tWriteStringCodepage f;
    tWriteBufferCodepage fb;
    uint16_t c = kCodepageUtf8;
    QString s = QStringLiteral("Utf8");
    bool isUtf8 = true;

    bool isForceDeloc() const { return c == kCodepageForceDeloc; }
};

// The descriptor for a requested code page number: 932, 1250-1254, 1256 and 65535 are known; anything else is UTF-8.
rCodepage codepageFromNumber(int requested);

// The number a name asks for under the code page table (lines "name=value", already lower-cased): the first line
// whose "_" + name part occurs in the lower-cased name decides. With forceUtf8, or without a match, 65001.
int requestedCodepage(const QString& name, const QStringList& table, bool forceUtf8);

// The descriptor for a file name or a suffix such as "_fr".
rCodepage chooseCodepage(const QString& name, const QStringList& table, bool forceUtf8);

// Bytes as stored (without the terminating 0) to text. Invalid UTF-8 becomes U+FFFD.
QString decodeText(QByteArrayView bytes, const rCodepage& codepage);

// Text to bytes, without the terminating 0. A character the code page cannot represent becomes '?'.
// Under "ForceDeloc" the system's 8-bit code page is used, the counterpart of its decoding.
QByteArray encodeText(QStringView text, const rCodepage& codepage);

// Whether `text`, decoded with an 8-bit code page, was in fact UTF-8: its bytes under that code page hold at least one
// multi-byte sequence and are valid UTF-8 as a whole ("Ã©" read where "é" was written). False for a UTF-8 code page.
bool looksLikeUtf8ReadAsEightBit(QStringView text, const rCodepage& codepage);

// Sorts texts decoded with one code page as checkSourceEncoding counts them: ASCII only, beyond ASCII, and UTF-8 read
// as 8-bit (the answer of looksLikeUtf8ReadAsEightBit). One pass over each text: for a code page of one byte a
// character, the bytes come from a table of every character's byte made at the first text beyond ASCII, not from a
// conversion per text.
class TUtf8MisreadProbe {
public:
    enum class tKind { ascii, eightBit, utf8 };
    explicit TUtf8MisreadProbe(const rCodepage& codepage) : codepage_(codepage) {}
    tKind classify(QStringView text);

private:
    rCodepage codepage_;
    static constexpr uint16_t kWholeText = 0xFFFF; // no byte of its own: the whole text is converted
    std::vector<uint16_t> byteOf_; // by UTF-16 unit; empty while not made or for a code page of several bytes
    bool tableTried_ = false;
};

// The longest prefix of `encoded` that ends on a character boundary and holds at most `maxBytes` bytes.
qsizetype characterBoundaryPrefix(QByteArrayView encoded, const rCodepage& codepage, qsizetype maxBytes);

// The entry for a text: encoded text cut at a character boundary so that it and its 0 byte fit kMaxEntryBytes,
// followed by the 0 byte; with withLength preceded by the 4-byte little-endian length of what follows.
QByteArray encodeEntry(QStringView text, const rCodepage& codepage, bool withLength);
