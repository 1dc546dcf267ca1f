// String table builder for tests.
#include "string_table_builder.h"

#include "core/QUILL_cursor.h"

#include <QDir>
#include <QFile>

QByteArray buildRawStringTable(int listIndex, const std::vector<rRawTableEntry>& entries,
                               std::optional<uint32_t> countOverride, std::optional<uint32_t> dataSizeOverride) {
    const bool prefixed = listIndex != 0;
    QByteArray directory;
    QByteArray data;
    for (const auto& e : entries) {
        uint32_t offset;
        if (e.offset) {
            offset = *e.offset;
        } else {
            offset = static_cast<uint32_t>(data.size());
            if (prefixed)
                binary_out::u32le(data,
                                  e.lengthField.value_or(static_cast<uint32_t>(e.bytes.size() + (e.withZero ? 1 : 0))));
            data.append(e.bytes);
            if (e.withZero) data.append('\0');
        }
        binary_out::u32le(directory, e.id);
        binary_out::u32le(directory, offset);
    }
    QByteArray out;
    binary_out::u32le(out, countOverride.value_or(static_cast<uint32_t>(entries.size())));
    binary_out::u32le(out, dataSizeOverride.value_or(static_cast<uint32_t>(data.size())));
    out.append(directory);
    out.append(data);
    return out;
}

QByteArray buildUtf8Table(int listIndex, const std::vector<std::pair<uint32_t, QString>>& entries) {
    std::vector<rRawTableEntry> raw;
    raw.reserve(entries.size());
    for (const auto& [id, text] : entries)
        raw.push_back({id, text.toUtf8()});
    return buildRawStringTable(listIndex, raw);
}

std::array<QString, 3> writeUtf8TableSet(const QString& folder, const QString& plugin, const QString& lang,
                                         const rTableSetTexts& texts) {
    static const char* const extensions[3] = {".strings", ".dlstrings", ".ilstrings"};
    std::array<QString, 3> paths;
    QDir().mkpath(folder);
    for (int i = 0; i < 3; ++i) {
        paths[i] = QDir(folder).filePath(plugin + QLatin1Char('_') + lang + QLatin1String(extensions[i]));
        QFile f(paths[i]);
        if (f.open(QIODevice::WriteOnly)) f.write(buildUtf8Table(i, texts[i]));
    }
    return paths;
}
