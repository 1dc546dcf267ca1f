// Lookup over a mod's archives of either format.
#include "strings/QUILL_archive.h"

#include "core/QUILL_error.h"
#include "core/QUILL_files.h"
#include "strings/QUILL_ba2.h"
#include "strings/QUILL_bsa.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

struct TModArchives::rOpened {
    QString path;
    bool ba2 = false;
    bool failed = false;
    std::unique_ptr<TwbBSAFile> bsa; // opened for one folder at a time
    std::unique_ptr<TBa2Archive> general;
};

QStringList modArchiveNames(const QString& modName) {
    return {modName + QStringLiteral(".bsa"), modName + QStringLiteral(" - Main.ba2"),
            modName + QStringLiteral(".ba2")};
}

QString modNameOfArchive(const QString& archiveFileName) {
    QString name = QFileInfo(archiveFileName).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0) name.truncate(dot);
    if (archiveFileName.endsWith(QLatin1String(".ba2"), Qt::CaseInsensitive) &&
        name.endsWith(QLatin1String(" - Main"), Qt::CaseInsensitive))
        name.chop(7);
    return name;
}

QString archivedSizeProblem(const QString& archive, const QString& name, uint64_t size,
                            std::optional<uint64_t> packedSize) {
    // zlib never inflates more than about 1032 bytes per input byte; a little room covers the empty-stream case.
    constexpr uint64_t kMaxInflateRatio = 1040;
    constexpr uint64_t kInflateSlack = 64 * 1024;
    QString where = QDir::toNativeSeparators(archive) + QStringLiteral(": ");
    where += name.isEmpty() ? QStringLiteral("an entry") : QLatin1Char('"') + name + QLatin1Char('"');
    if (size > kMaxArchivedFileSize)
        return QStringLiteral("%1 would unpack to %2 MB, more than a text file of a mod can hold (%3 MB at most)")
            .arg(where)
            .arg((size + 1024 * 1024 - 1) / (1024 * 1024))
            .arg(kMaxArchivedFileSize / (1024 * 1024));
    if (packedSize && size > *packedSize * kMaxInflateRatio + kInflateSlack)
        return QStringLiteral("%1 claims %2 bytes from %3 compressed bytes").arg(where).arg(size).arg(*packedSize);
    return {};
}

namespace {

bool startsLikeBa2(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    return looksLikeBa2(file.read(4));
}

// The path of a file inside a BA2 archive; "." and "" name its root, as they do for a BSA.
QString ba2Path(const QString& folder, const QString& fileName) {
    const QString normal = TwbBSAFile::normaliseFolder(folder);
    return normal == QLatin1String(".") ? fileName : normal + QLatin1Char('\\') + fileName;
}

} // namespace

TModArchives::TModArchives(const QString& folder, const QString& modName) {
    for (const QString& name : modArchiveNames(modName)) {
        const QString path = quillfs::findFileNoCase(folder, name);
        if (path.isEmpty() || !QFileInfo(path).isFile()) continue;
        auto opened = std::make_unique<rOpened>();
        opened->path = path;
        archives_.push_back(std::move(opened));
    }
}

TModArchives::TModArchives(const QString& archivePath) {
    const QString path = quillfs::findPathNoCase(archivePath);
    if (path.isEmpty() || !QFileInfo(path).isFile()) return;
    auto opened = std::make_unique<rOpened>();
    opened->path = path;
    archives_.push_back(std::move(opened));
}

TModArchives::~TModArchives() = default;

TModArchives::rOpened* TModArchives::open(size_t index, const QString& folder) {
    rOpened& a = *archives_[index];
    if (a.failed) return nullptr;
    try {
        if (!a.bsa && !a.general) a.ba2 = startsLikeBa2(a.path);
        if (a.ba2) {
            if (!a.general) a.general = TBa2Archive::open(a.path);
        } else if (!a.bsa || a.bsa->openedFolder() != TwbBSAFile::normaliseFolder(folder)) {
            a.bsa.reset();
            a.bsa = TwbBSAFile::openForFolder(a.path, folder);
        }
        return &a;
    } catch (const TQuillError& e) {
        a.failed = true;
        a.bsa.reset();
        a.general.reset();
        errors_ << e.message();
        return nullptr;
    }
}

QString TModArchives::locate(const QString& folder, const QString& fileName) {
    for (size_t i = 0; i < archives_.size(); ++i) {
        rOpened* a = open(i, folder);
        if (!a) continue;
        const bool found = a->ba2 ? a->general->find(ba2Path(folder, fileName)) != nullptr
                                  : a->bsa->findFile(fileName.toLower()) != nullptr;
        if (found) return a->path;
    }
    return QString();
}

bool TModArchives::read(const QString& folder, const QString& fileName, QByteArray& bytes, QString* archivePath) {
    bytes.clear();
    for (size_t i = 0; i < archives_.size(); ++i) {
        rOpened* a = open(i, folder);
        if (!a) continue;
        if (a->ba2) {
            const rBa2Entry* entry = a->general->find(ba2Path(folder, fileName));
            if (!entry) continue;
            bytes = a->general->read(*entry);
        } else {
            const TwbBSAFileRec* file = a->bsa->findFile(fileName.toLower());
            if (!file) continue;
            bytes = a->bsa->readFileData(*file, folder + QLatin1Char('\\') + fileName);
        }
        if (archivePath) *archivePath = a->path;
        return true;
    }
    return false;
}
