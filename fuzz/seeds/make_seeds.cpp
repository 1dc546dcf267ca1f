// Writes the seeds the fuzz targets need beside their corpus folders: inputs too big to keep in the repository (the
// bombs the readers must refuse at once). Usage: fuzz_make_seeds FOLDER (writes FOLDER/corpus-NAME/...).
#include "ba2_builder.h"
#include "bsa_builder.h"
#include "plugin_builder.h"

#include "core/QUILL_cursor.h"
#include "core/QUILL_files.h"
#include "plugin/QUILL_espTree.h"

#include <QDir>
#include <QRandomGenerator>
#include <QString>
#include <cstdio>
#include <zlib.h>

namespace {

// A zlib stream of `size` zero bytes, deflated piece by piece (the bytes it stands for are never held).
QByteArray zeroStream(uint64_t size) {
    z_stream zs{};
    deflateInit(&zs, Z_BEST_COMPRESSION);
    const QByteArray zeros(1 << 20, '\0');
    QByteArray out;
    char buffer[1 << 16];
    uint64_t left = size;
    int flush = Z_NO_FLUSH;
    do {
        const uInt piece = static_cast<uInt>(std::min<uint64_t>(left, static_cast<uint64_t>(zeros.size())));
        zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.constData()));
        zs.avail_in = piece;
        left -= piece;
        flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
        do {
            zs.next_out = reinterpret_cast<Bytef*>(buffer);
            zs.avail_out = sizeof buffer;
            deflate(&zs, flush);
            out.append(buffer, static_cast<qsizetype>(sizeof buffer - zs.avail_out));
        } while (zs.avail_out == 0);
    } while (flush != Z_FINISH);
    deflateEnd(&zs);
    return out;
}

bool write(const QString& folder, const QString& target, const QString& name, const QByteArray& bytes) {
    const QString dir = QDir(folder).filePath(QStringLiteral("corpus-") + target);
    QDir().mkpath(dir);
    QString error;
    if (!quillfs::writeFileAtomic(QDir(dir).filePath(name), bytes, &error)) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(name), qPrintable(error));
        return false;
    }
    std::printf("%s/%s: %lld bytes\n", qPrintable(target), qPrintable(name), static_cast<long long>(bytes.size()));
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_make_seeds FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    bool ok = true;

    // A compressed record of a million empty FULL fields: a few kilobytes that numbering took minutes over.
    const QByteArray fields = QByteArray("FULL\0\0", 6).repeated(1000000);
    QByteArray record;
    binary_out::u32le(record, static_cast<uint32_t>(fields.size()));
    record.append(qCompress(fields, 9).mid(4)); // qCompress puts its own big-endian size first
    TPluginBuilder plugin;
    plugin.rawRecord("WEAP", 0x800, record, kRecordFlagCompressed);
    ok = write(folder, QStringLiteral("fuzz_plugin"), QStringLiteral("million-fields.esp"), plugin.bytes()) && ok;

    // An archived menu file inflating to 3.75 GiB from 3.9 MB: zlib's own ratio lets it through, the size bound not.
    constexpr uint32_t kBomb = 0xF0000000u;
    const QByteArray stream = zeroStream(kBomb);
    rBa2FileSpec entry{QStringLiteral("Interface/Translations/bomb_en.txt"), {}, false, 0, stream, kBomb};
    ok = write(folder, QStringLiteral("fuzz_ba2"), QStringLiteral("inflate-bomb.ba2"), buildBa2({1, true, {entry}})) &&
         ok;
    // The same claim in a BSA (the builder packs the bytes itself: incompressible ones as long as the bomb's stream).
    QByteArray noise(stream.size() / 4 * 4 + 4, Qt::Uninitialized);
    QRandomGenerator(29).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
    rBsaFileSpec file{QStringLiteral("bomb_en.txt"), noise, true};
    file.uncompressedSizeOverride = kBomb;
    rBsaSpec bsa;
    bsa.folders.push_back({QStringLiteral("interface\\translations"), {file}});
    // The target's first byte chooses the folder: 2 is interface\translations.
    ok = write(folder, QStringLiteral("fuzz_bsa"), QStringLiteral("inflate-bomb.bsa"),
               QByteArray(1, '\2') + buildBsa(bsa)) &&
         ok;
    return ok ? 0 : 1;
}
