// The compiled script writer.
#include "script/QUILL_pexWriter.h"

#include "core/QUILL_cursor.h"
#include "core/QUILL_files.h"
#include "core/QUILL_main.h"

void writePexString(const QString& text, bool bigEndian, QByteArray& out) {
    QByteArray bytes = text.toUtf8();
    if (bytes.size() > 0xFFFF) {
        qsizetype cut = 0xFFFF;
        while (cut > 0 && (static_cast<uint8_t>(bytes[cut]) & 0xC0) == 0x80)
            --cut;
        bytes.truncate(cut);
    }
    binary_out::u16(out, static_cast<uint16_t>(bytes.size()), bigEndian);
    out.append(bytes);
}

QByteArray buildPexBytes(const TPexScript& script, const QStringList& strings) {
    QByteArray out;
    out.reserve(script.pexData.size() + 64);
    out.append(script.pexHead());
    for (qsizetype i = 0; i < strings.size(); ++i) {
        const uint32_t index = static_cast<uint32_t>(i);
        // Bytes that are not valid UTF-8 decode to another text than they hold: written back as read while the
        // text is unchanged, as the game compares names by their bytes.
        if (script.isStringIndex(index) && strings[i] == script.pexStringTable[index].s) {
            const QByteArrayView raw = script.pexBytes(index);
            binary_out::u16(out, static_cast<uint16_t>(raw.size()), script.bigEndian());
            out.append(raw);
        } else {
            writePexString(strings[i], script.bigEndian(), out);
        }
    }
    out.append(script.pexTail());
    return out;
}

bool writePexFile(const TPexScript& script, const QStringList& strings, const QString& fileName, TAppContext* app,
                  const quillfs::tKeepOriginal& keep) {
    QString error;
    if (quillfs::writeFileAtomic(fileName, buildPexBytes(script, strings), &error, keep)) return true;
    if (app) app->logMessage(app->uiTextFormat(QStringLiteral("fbk_pexWriteError"), {fileName, error}), true);
    return false;
}
