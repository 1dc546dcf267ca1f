// Line-based data files: decoding and loadDataList.
#include "core/QUILL_dataList.h"

#include "core/QUILL_files.h"
#include "core/QUILL_folders.h"
#include "core/QUILL_main.h"

#include <QStringDecoder>
#include <algorithm>

QString decodeTextFile(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    if (bytes.startsWith("\xFF\xFE")) {
        QStringDecoder decoder(QStringDecoder::Utf16LE);
        return decoder.decode(QByteArrayView(bytes).sliced(2));
    }
    if (bytes.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(QStringDecoder::Utf16BE);
        return decoder.decode(QByteArrayView(bytes).sliced(2));
    }
    QStringDecoder decoder(QStringDecoder::System);
    return decoder.decode(bytes);
}

QStringList splitTextLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\n') && c != QLatin1Char('\r')) continue;
        lines.append(text.mid(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n')) ++i;
        start = i + 1;
    }
    if (start < n) lines.append(text.mid(start));
    return lines;
}

void sortUniqueNoCase(QStringList& list) {
    std::stable_sort(list.begin(), list.end(),
                     [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    auto last = std::unique(list.begin(), list.end(),
                            [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; });
    list.erase(last, list.end());
}

bool insertSortedNoCase(QStringList& list, const QString& value) {
    auto at = std::lower_bound(list.begin(), list.end(), value, [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    if (at != list.end() && at->compare(value, Qt::CaseInsensitive) == 0) return false;
    list.insert(at, value);
    return true;
}

namespace {

bool isCommentOrBlank(const QString& line) {
    // Characters up to and including the blank count as blank, as the data files have always been read.
    qsizetype i = 0;
    while (i < line.size() && line[i].unicode() <= 0x20)
        ++i;
    return i == line.size() || line[i] == QLatin1Char('#');
}

} // namespace

QStringList loadDataList(TAppContext& app, const QString& path, bool sorted, bool keyValueOnly) {
    QStringList lines;
    if (!dataFileIsUsable(app.state, path)) return lines;
    QByteArray bytes;
    QString error;
    if (!quillfs::readWholeFile(path, bytes, &error)) {
        app.logMessage(path + QStringLiteral(": ") + error, true, dbOk);
        return lines;
    }
    lines = splitTextLines(decodeTextFile(bytes));
    lines.removeIf([keyValueOnly](const QString& line) {
        return isCommentOrBlank(line) || (keyValueOnly && !line.contains(QLatin1Char('=')));
    });
    if (sorted) sortUniqueNoCase(lines);
    return lines;
}
