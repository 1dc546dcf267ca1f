// BA2 archive reader over the bounded cursor.
#include "strings/QUILL_ba2.h"

#include "core/QUILL_cursor.h"
#include "core/QUILL_error.h"
#include "strings/QUILL_archive.h"

#include <QDir>
#include <QFileInfo>
#include <array>
#include <zlib.h>

namespace {

constexpr uint32_t kSentinel = 0xBAADF00Du;
constexpr qsizetype kHeaderSize = 24;
constexpr qsizetype kRecordSize = 36;
constexpr uint16_t kGeneralChunkHeaderSize = 16;

const std::array<uint32_t, 256>& crcTable() {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1u) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    return table;
}

struct rSplitPath {
    QByteArray folder; // lower case, '\' separated, no leading or trailing separator
    QByteArray stem;
    QByteArray extension; // without the dot
};

rSplitPath splitPath(const QString& path) {
    QString p = path.toLower();
    p.replace(QLatin1Char('/'), QLatin1Char('\\'));
    while (p.startsWith(QLatin1Char('\\')))
        p.remove(0, 1);
    rSplitPath out;
    const qsizetype slash = p.lastIndexOf(QLatin1Char('\\'));
    const QString folder = slash < 0 ? QString() : p.left(slash);
    const QString file = slash < 0 ? p : p.mid(slash + 1);
    const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
    out.folder = folder.toLatin1();
    out.stem = (dot < 0 ? file : file.left(dot)).toLatin1();
    out.extension = dot < 0 ? QByteArray() : file.mid(dot + 1).toLatin1();
    return out;
}

[[noreturn]] void bad(const QString& archive, const QString& what) {
    throw TQuillError(QDir::toNativeSeparators(archive) + QStringLiteral(": ") + what);
}

} // namespace

uint32_t ba2NameHash(QByteArrayView text) {
    const auto& table = crcTable();
    uint32_t c = 0;
    for (const char ch : text)
        c = (c >> 8) ^ table[(c ^ static_cast<uint8_t>(ch)) & 0xFFu];
    return c;
}

bool looksLikeBa2(QByteArrayView head) {
    return head.size() >= 4 && head.first(4) == QByteArrayView("BTDX");
}

TBa2Archive::~TBa2Archive() {
    if (file_) // set only while the bytes are mapped
        file_->unmap(reinterpret_cast<uchar*>(const_cast<char*>(data_.data())));
}

std::unique_ptr<TBa2Archive> TBa2Archive::open(const QString& path) {
    std::unique_ptr<TBa2Archive> archive(new TBa2Archive());
    archive->fileName_ = path;
    const QFileInfo info(path);
    if (!info.isFile()) bad(path, QStringLiteral("not a regular file"));
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly)) bad(path, file->errorString());
    const qint64 size = file->size();
    if (size < kHeaderSize) bad(path, QStringLiteral("too short for an archive header"));
    uchar* mapped = file->map(0, size);
    if (mapped) {
        archive->data_ = QByteArrayView(reinterpret_cast<const char*>(mapped), size);
        archive->file_ = std::move(file);
    } else {
        // Some file systems cannot map: read the bytes instead.
        archive->owned_ = file->readAll();
        if (archive->owned_.size() != size) bad(path, file->errorString());
        archive->data_ = archive->owned_;
    }
    archive->parse();
    return archive;
}

std::unique_ptr<TBa2Archive> TBa2Archive::fromBytes(QByteArray bytes, const QString& name) {
    std::unique_ptr<TBa2Archive> archive(new TBa2Archive());
    archive->fileName_ = name;
    archive->owned_ = std::move(bytes);
    archive->data_ = archive->owned_;
    archive->parse();
    return archive;
}

void TBa2Archive::parse() {
    try {
        TBinaryCursor c(data_);
        if (c.view(4) != QByteArrayView("BTDX")) bad(fileName_, QStringLiteral("not a BA2 archive"));
        version_ = c.u32le();
        // Versions 2 and 3 belong to a later game, with a longer header.
        if (version_ != 1 && version_ != 7 && version_ != 8)
            bad(fileName_, QStringLiteral("unsupported archive version %1").arg(version_));
        const QByteArrayView type = c.view(4);
        if (type == QByteArrayView("DX10")) bad(fileName_, QStringLiteral("a texture archive holds no text files"));
        if (type != QByteArrayView("GNRL"))
            bad(fileName_, QStringLiteral("unknown archive type \"%1\"").arg(QString::fromLatin1(type.toByteArray())));
        const uint32_t count = c.u32le();
        const uint64_t nameTable = c.u64le();
        if (static_cast<uint64_t>(count) * kRecordSize > static_cast<uint64_t>(c.remaining()))
            bad(fileName_, QStringLiteral("file count %1 does not fit the archive").arg(count));
        entries_.resize(count);
        for (rBa2Entry& e : entries_) {
            e.nameHash = c.u32le();
            const QByteArrayView ext = c.view(4);
            std::copy(ext.begin(), ext.end(), e.extension);
            e.folderHash = c.u32le();
            c.u8(); // the owning plugin's index, unused here
            const uint8_t chunks = c.u8();
            const uint16_t chunkHeader = c.u16le();
            e.offset = c.u64le();
            e.packedSize = c.u32le();
            e.size = c.u32le();
            const uint32_t sentinel = c.u32le();
            if (sentinel != kSentinel) bad(fileName_, QStringLiteral("damaged file record (sentinel)"));
            if (chunks != 1 || chunkHeader != kGeneralChunkHeaderSize)
                bad(fileName_, QStringLiteral("damaged file record (chunk header)"));
        }
        hasNames_ = nameTable != 0;
        if (hasNames_) {
            if (nameTable > static_cast<uint64_t>(data_.size()))
                bad(fileName_, QStringLiteral("the name table lies past the end of the archive"));
            c.seek(static_cast<qsizetype>(nameTable));
            for (rBa2Entry& e : entries_)
                e.name = QString::fromUtf8(c.lengthPrefixed16());
        }
    } catch (const TQuillError& error) {
        entries_.clear();
        if (error.message().startsWith(QDir::toNativeSeparators(fileName_))) throw;
        bad(fileName_, error.message());
    }
}

const rBa2Entry* TBa2Archive::find(const QString& path) const {
    const rSplitPath split = splitPath(path);
    const uint32_t folder = ba2NameHash(split.folder);
    const uint32_t stem = ba2NameHash(split.stem);
    char ext[4] = {};
    for (qsizetype i = 0; i < std::min<qsizetype>(4, split.extension.size()); ++i)
        ext[i] = split.extension[i];
    for (const rBa2Entry& e : entries_) {
        if (e.nameHash != stem || e.folderHash != folder || !std::equal(ext, ext + 4, e.extension)) continue;
        // With a name table the hash match is confirmed by the name, so two names sharing a hash are told apart.
        if (!e.name.isEmpty()) {
            const rSplitPath named = splitPath(e.name);
            if (named.folder != split.folder || named.stem != split.stem || named.extension != split.extension)
                continue;
        }
        return &e;
    }
    return nullptr;
}

QByteArray TBa2Archive::read(const rBa2Entry& e) const {
    const uint64_t stored = e.packedSize ? e.packedSize : e.size;
    if (e.offset > static_cast<uint64_t>(data_.size()) || stored > static_cast<uint64_t>(data_.size()) - e.offset)
        bad(fileName_, QStringLiteral("the data of \"%1\" lies past the end of the archive").arg(e.name));
    // The declared size decides how much memory is taken: it is checked before anything is.
    const std::optional<uint64_t> packed = e.packedSize ? std::optional<uint64_t>(e.packedSize) : std::nullopt;
    if (const QString problem = archivedSizeProblem(fileName_, e.name, e.size, packed); !problem.isEmpty())
        throw TQuillError(problem);
    const QByteArrayView in = data_.sliced(static_cast<qsizetype>(e.offset), static_cast<qsizetype>(stored));
    if (!e.packedSize) return in.toByteArray();
    QByteArray out(static_cast<qsizetype>(e.size), Qt::Uninitialized);
    uLongf length = e.size;
    const int rc = uncompress(reinterpret_cast<Bytef*>(out.data()), &length, reinterpret_cast<const Bytef*>(in.data()),
                              static_cast<uLong>(in.size()));
    if (rc != Z_OK || length != e.size)
        bad(fileName_, QStringLiteral("the compressed data of \"%1\" is damaged").arg(e.name));
    return out;
}
