// Menu translation files: reading in any of the encodings mods ship them in, writing the form the game reads.
#include "script/QUILL_menuFile.h"

#include "core/QUILL_dataList.h"

#include <QStringConverter>
#include <QStringDecoder>

namespace {

// UTF-16 without a mark: most characters of these files are ASCII, so one byte of each pair is zero.
int utf16Guess(QByteArrayView bytes) {
    if (bytes.size() < 4 || bytes.size() % 2 != 0) return 0;
    qsizetype evenZeros = 0, oddZeros = 0;
    const qsizetype pairs = std::min<qsizetype>(bytes.size() / 2, 4096);
    for (qsizetype i = 0; i < pairs; ++i) {
        if (bytes[2 * i] == 0) ++evenZeros;
        if (bytes[2 * i + 1] == 0) ++oddZeros;
    }
    if (oddZeros * 10 >= pairs * 4 && evenZeros * 10 < pairs) return 1; // little-endian
    if (evenZeros * 10 >= pairs * 4 && oddZeros * 10 < pairs) return 2; // big-endian
    return 0;
}

QString decodeWith(QStringConverter::Encoding encoding, QByteArrayView bytes) {
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

} // namespace

QString decodeMenuBytes(QByteArrayView bytes) {
    const QByteArray data = bytes.toByteArray();
    if (data.startsWith("\xEF\xBB\xBF") || data.startsWith("\xFF\xFE") || data.startsWith("\xFE\xFF"))
        return decodeTextFile(data);
    switch (utf16Guess(bytes)) {
    case 1:
        return decodeWith(QStringConverter::Utf16LE, bytes);
    case 2:
        return decodeWith(QStringConverter::Utf16BE, bytes);
    default:
        break;
    }
    // Many mods save these files as UTF-8 without a mark; reading them as ANSI would garble every accent.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError()) return text;
    return decodeTextFile(data);
}

std::vector<rMenuEntry> parseMenuText(const QString& text) {
    std::vector<rMenuEntry> entries;
    for (const QString& line : splitTextLines(text)) {
        if (line.isEmpty() || line[0] != QLatin1Char('$')) continue;
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (tab >= 0) entries.push_back({line.left(tab), line.mid(tab + 1)});
    }
    return entries;
}

QString escapeMenuText(const QString& text) {
    if (!text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'))) return text;
    QString out = text;
    out.replace(QLatin1String("\r\n"), QLatin1String("\\n"));
    out.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    out.replace(QLatin1Char('\r'), QLatin1String("\\n"));
    return out;
}

QByteArray encodeMenuFile(const std::vector<rMenuEntry>& entries) {
    QString text;
    for (const rMenuEntry& e : entries) {
        text += e.key;
        text += QLatin1Char('\t');
        text += escapeMenuText(e.value);
        text += QLatin1String("\r\n");
    }
    QByteArray out("\xFF\xFE", 2);
    out.reserve(2 + text.size() * 2);
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        out.append(static_cast<char>(u & 0xFF));
        out.append(static_cast<char>(u >> 8));
    }
    return out;
}
