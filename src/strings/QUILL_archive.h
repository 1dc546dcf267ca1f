// The archives a mod ships beside its plugin (".bsa" or Fallout 4's ".ba2"), searched by folder and file name
// whatever their format: string tables under "strings", menu translation files under "interface\translations".
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class TwbBSAFile;
class TBa2Archive;

// The most one archived file may unpack to. Archives give the program text files only (string tables, menu files);
// the game's biggest table is a few tens of megabytes, and a size beyond this is damage or a file made to exhaust
// memory, refused before any memory is taken for it.
constexpr uint64_t kMaxArchivedFileSize = 256ull * 1024 * 1024;

// Why the entry `name` of `archive` cannot be read at the `size` it declares: more than kMaxArchivedFileSize, or
// (when compressed) more than zlib can make of `packedSize` bytes. An empty string when the size is acceptable.
QString archivedSizeProblem(const QString& archive, const QString& name, uint64_t size,
                            std::optional<uint64_t> packedSize);

// The archive names a mod may use, in the order they are searched: "<mod>.bsa", "<mod> - Main.ba2", "<mod>.ba2".
QStringList modArchiveNames(const QString& modName);
// The mod name an archive stands for: "MyMod - Main.ba2" and "MyMod.ba2" give "MyMod", "MyMod.bsa" gives "MyMod".
QString modNameOfArchive(const QString& archiveFileName);

class TModArchives {
public:
    // The existing archives of `modName` in `folder` (any case), in the order of modArchiveNames.
    TModArchives(const QString& folder, const QString& modName);
    // One given archive.
    explicit TModArchives(const QString& archivePath);
    ~TModArchives();
    TModArchives(const TModArchives&) = delete;
    TModArchives& operator=(const TModArchives&) = delete;

    bool empty() const { return archives_.empty(); }
    // The first archive holding `folder`\`fileName`, or empty. An archive that cannot be read is skipped and its
    // message kept (errors()).
    QString locate(const QString& folder, const QString& fileName);
    // The bytes of `folder`\`fileName` from the first archive holding it; false when none holds it. Throws
    // TQuillError when the archive lists the file but cannot give it (data cut short, a damaged stream).
    bool read(const QString& folder, const QString& fileName, QByteArray& bytes, QString* archivePath = nullptr);
    // The messages of the archives that could not be read, once each.
    const QStringList& errors() const { return errors_; }

private:
    struct rOpened;
    rOpened* open(size_t index, const QString& folder);
    std::vector<std::unique_ptr<rOpened>> archives_;
    QStringList errors_;
};
