// The binary cursor, text formatting and the shared file helpers.
#include "core/QUILL_cursor.h"
#include "core/QUILL_files.h"
#include "core/QUILL_format.h"
#include "support/temp_program_dir.h"
#include "support/write_faults.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <system_error>

TEST(BinaryCursor, ReadsBothByteOrdersAndRefusesToOverrun) {
    const QByteArray data = QByteArray::fromHex("0102030405060708");
    TBinaryCursor c(data);
    EXPECT_EQ(c.u16le(), 0x0201);
    EXPECT_EQ(c.u16be(), 0x0304);
    EXPECT_EQ(c.u32le(), 0x08070605u);
    EXPECT_TRUE(c.atEnd());
    EXPECT_THROW(c.u8(), TQuillError);
    c.seek(6);
    EXPECT_THROW(c.u32le(), TQuillError);
    EXPECT_EQ(c.pos(), 6); // a failed read does not move
    EXPECT_THROW(c.seek(9), TQuillError);
    EXPECT_THROW(c.skip(-1), TQuillError);
}

TEST(BinaryCursor, StringsAndLengthPrefixes) {
    QByteArray data("ab\0", 3);
    data.append(QByteArray::fromHex("0300")).append("xyz").append("no-zero");
    TBinaryCursor c(data);
    EXPECT_EQ(c.zeroTerminated(), QByteArrayView("ab"));
    EXPECT_EQ(c.lengthPrefixed16(), QByteArrayView("xyz"));
    EXPECT_THROW(c.zeroTerminated(), TQuillError);
    const QByteArray lyingBytes = QByteArray::fromHex("ffffffff00");
    TBinaryCursor lying(lyingBytes);
    EXPECT_THROW(lying.lengthPrefixed32(), TQuillError);
}

TEST(FormatText, PlaceholdersAndMismatches) {
    EXPECT_EQ(*formatText("%s has %d strings (%.2f%%)", {"Mod", 12, 50.0}), "Mod has 12 strings (50.00%)");
    EXPECT_EQ(*formatText("_%.8x", {0xABCu}), "_00000abc");
    EXPECT_EQ(*formatText("cachedisabled%.3x", {10}), "cachedisabled00a");
    EXPECT_FALSE(formatText("%s %s", {"one"}).has_value());
    EXPECT_FALSE(formatText("%d", {"text"}).has_value());
    EXPECT_FALSE(formatText("none", {"extra"}).has_value());
}

TEST(FileHelpers, CaseInsensitiveLookupAndAtomicWrite) {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("Strings");
    const QString target = dir.filePath("Strings/MyMod_EN.STRINGS");
    ASSERT_TRUE(quillfs::writeFileAtomic(target, QByteArray("abc")));
    EXPECT_EQ(quillfs::findFileNoCase(dir.path(), "strings/mymod_en.strings"), target);
    EXPECT_EQ(quillfs::findFileNoCase(dir.path(), "strings\\MYMOD_en.strings"), target);
    EXPECT_TRUE(quillfs::findFileNoCase(dir.path(), "strings/other.strings").isEmpty());
    EXPECT_EQ(quillfs::findPathNoCase(dir.path() + "/STRINGS/mymod_en.strings"), target);
    EXPECT_TRUE(quillfs::fileIsUsable(target));
    // A file the user may read but not write is read (tables of a game installed read-only); one that cannot be
    // read at all is not.
    QFile::setPermissions(target, QFileDevice::ReadOwner);
    EXPECT_TRUE(quillfs::fileIsUsable(target));
    QFile::setPermissions(target, QFileDevice::WriteOwner);
    if (!QFile(target).open(QIODevice::ReadOnly)) { // root may still read
        EXPECT_FALSE(quillfs::fileIsUsable(target));
    }
    QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_FALSE(quillfs::fileIsUsable(dir.path()));

    // A failed streaming write leaves the old content.
    EXPECT_FALSE(quillfs::writeFileAtomic(target, [](QIODevice& d) {
        d.write("partial");
        return false;
    }));
    QByteArray content;
    ASSERT_TRUE(quillfs::readWholeFile(target, content));
    EXPECT_EQ(content, "abc");
}

// Big files: the file holds exactly the bytes, from one buffer or from a writer's many pieces, and a writer that
// gives up late still leaves the old file.
TEST(FileHelpers, BigAtomicWritesKeepEveryByte) {
    QTemporaryDir dir;
    const QString target = dir.filePath("big.bin");
    QByteArray data(40 * 1024 * 1024 + 77, Qt::Uninitialized);
    for (qsizetype i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>((i * 131) >> 7);
    ASSERT_TRUE(quillfs::writeFileAtomic(target, data));
    QByteArray back;
    ASSERT_TRUE(quillfs::readWholeFile(target, back));
    EXPECT_TRUE(back == data);

    const QByteArray piece = data.left(3 * 1024 * 1024 + 5);
    ASSERT_TRUE(quillfs::writeFileAtomic(target, [&](QIODevice& d) {
        for (int i = 0; i < 9; ++i)
            if (d.write(piece) != piece.size()) return false;
        return true;
    }));
    ASSERT_TRUE(quillfs::readWholeFile(target, back));
    EXPECT_EQ(back, piece.repeated(9));

    EXPECT_FALSE(quillfs::writeFileAtomic(target, [&](QIODevice& d) {
        d.write(data);
        return false;
    }));
    ASSERT_TRUE(quillfs::readWholeFile(target, back));
    EXPECT_EQ(back.size(), piece.size() * 9);
}

// Only regular files are read, up to their size: a pipe named like a plugin would block the open forever and an
// endless device would be read until memory runs out. Either is refused at once with a reason.
TEST(FileHelpers, WholeFileReadsRefuseSpecialFiles) {
    QTemporaryDir dir;
    const QString plain = dir.filePath("plain.bin");
    const QByteArray bytes(300000, 'q');
    ASSERT_TRUE(quillfs::writeFileAtomic(plain, bytes));
    QByteArray back;
    ASSERT_TRUE(quillfs::readWholeFile(plain, back));
    EXPECT_EQ(back, bytes);
    QString error;
    EXPECT_FALSE(quillfs::readWholeFile(dir.filePath("missing.esp"), back, &error));
    EXPECT_FALSE(error.isEmpty());

    if (QFileInfo::exists("/dev/zero")) {
        const QString zero = dir.filePath("z.esp");
        ASSERT_TRUE(QFile::link("/dev/zero", zero));
        error.clear();
        EXPECT_FALSE(quillfs::readWholeFile(zero, back, &error));
        EXPECT_TRUE(error.contains("not a regular file")) << error.toStdString();
    }
    const QString fifo = dir.filePath("x.esp");
    if (QProcess::execute("mkfifo", {fifo}) == 0) {
        error.clear();
        EXPECT_FALSE(quillfs::readWholeFile(fifo, back, &error)); // returns instead of waiting for a writer
        EXPECT_TRUE(error.contains("not a regular file")) << error.toStdString();
    }
}

// Only regular files are written: a device or a pipe at the target is refused at once (a pipe would block the write
// until someone read it, a device be written into), and a read-only file is left as it is.
TEST(FileWriteSet, TargetsThatAreNotWritableRegularFilesAreRefused) {
    QTemporaryDir dir;
    QString error;
    if (QFileInfo::exists("/dev/full")) {
        EXPECT_FALSE(quillfs::writeFileAtomic("/dev/full", QByteArray(1 << 20, 'x'), &error));
        EXPECT_TRUE(error.contains("not a regular file")) << error.toStdString();
        EXPECT_FALSE(QFileInfo("/dev/full").isFile());
    }
    const QString fifo = dir.filePath("x.esp");
    if (QProcess::execute("mkfifo", {fifo}) == 0) {
        error.clear();
        EXPECT_FALSE(quillfs::writeFileAtomic(fifo, QByteArray("abc"), &error)); // returns instead of waiting
        EXPECT_TRUE(error.contains("not a regular file")) << error.toStdString();
        EXPECT_FALSE(QFileInfo(fifo).isFile());
    }
    error.clear();
    EXPECT_FALSE(quillfs::writeFileAtomic(dir.path(), QByteArray("abc"), &error));
    EXPECT_TRUE(error.contains("not a regular file")) << error.toStdString();

    const QString locked = dir.filePath("locked.esp");
    ASSERT_TRUE(quillfs::writeFileAtomic(locked, QByteArray("old")));
    QFile::setPermissions(locked, QFileDevice::ReadOwner);
    if (!QFileInfo(locked).isWritable()) { // root may write anyway
        error.clear();
        EXPECT_FALSE(quillfs::writeFileAtomic(locked, QByteArray("new"), &error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(fileBytes(locked), "old");
        EXPECT_TRUE(quillfs::fileIsUsable(locked)); // still read
    }
    EXPECT_TRUE(leftoverTemporaries(dir.path()).isEmpty());
}

// Whatever step fails (before the first byte, midway, when the data goes to the disk, at the rename) the target keeps
// its old bytes, the system's reason is given, no temporary file stays, and a backup taken just before the rename is
// removed again. A new file fails the same way and leaves nothing.
TEST(FileWriteSet, AFailureAtAnyStepLeavesTheOldFile) {
    QTemporaryDir dir;
    const QString target = dir.filePath("mod.esp");
    const QString fresh = dir.filePath("new.esp");
    const QString backup = dir.filePath("mod.esp.bak");
    ASSERT_TRUE(quillfs::writeFileAtomic(target, QByteArray("old content")));
    const quillfs::tKeepOriginal keep = [&](const QString& path) {
        quillfs::rKeptOriginal kept;
        kept.ok = quillfs::keepCopyOf(path, backup);
        kept.path = backup;
        return kept;
    };
    for (const quillfs::tWriteStep step : kAllWriteSteps) {
        const TWriteFaultScope fault(step);
        QString error;
        EXPECT_FALSE(quillfs::writeFileAtomic(
            target, [](QIODevice& d) { return d.write(QByteArray(100000, 'n')) == 100000; }, &error, keep))
            << writeStepName(step);
        EXPECT_TRUE(error.contains(diskFullReason())) << error.toStdString();
        EXPECT_EQ(fileBytes(target), "old content") << writeStepName(step);
        EXPECT_FALSE(QFileInfo::exists(backup)) << writeStepName(step);
        EXPECT_FALSE(quillfs::writeFileAtomic(fresh, QByteArray("x")));
        EXPECT_FALSE(QFileInfo::exists(fresh));
        EXPECT_TRUE(leftoverTemporaries(dir.path()).isEmpty())
            << leftoverTemporaries(dir.path()).join(',').toStdString();
        EXPECT_EQ(fault.hits(), 2);
    }
    // A writer that throws (a record grown past its size field) leaves nothing behind either.
    EXPECT_THROW(quillfs::writeFileAtomic(target,
                                          [](QIODevice& d) -> bool {
                                              d.write("partial");
                                              throw TQuillError(QStringLiteral("too big"));
                                          }),
                 TQuillError);
    EXPECT_EQ(fileBytes(target), "old content");
    EXPECT_TRUE(leftoverTemporaries(dir.path()).isEmpty());
    // Once nothing fails: the new content, and the backup holds the old one.
    ASSERT_TRUE(quillfs::writeFileAtomic(target, QByteArray("new content"), nullptr, keep));
    EXPECT_EQ(fileBytes(target), "new content");
    EXPECT_EQ(fileBytes(backup), "old content");
}

// A link is written through by default (the file it names gets the content, the link stays) and replaced when the
// program's own file must not lead elsewhere. The new file keeps the permissions of the one it replaces.
TEST(FileWriteSet, LinksAreWrittenThroughOrReplaced) {
    QTemporaryDir dir;
    const QString real = dir.filePath("real.txt");
    const QString link = dir.filePath("link.txt");
    ASSERT_TRUE(quillfs::writeFileAtomic(real, QByteArray("real")));
    QFile::setPermissions(real, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    ASSERT_TRUE(QFile::link(real, link));
    ASSERT_TRUE(quillfs::writeFileAtomic(link, QByteArray("through")));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(fileBytes(real), "through");
    const QFileDevice::Permissions ownerGroupOther(0x7077);
    EXPECT_EQ(QFileInfo(real).permissions() & ownerGroupOther,
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    quillfs::TFileWriteSet set;
    ASSERT_TRUE(set.add(link, QByteArray("own"), quillfs::tLinkAtTarget::replace));
    ASSERT_TRUE(set.commit());
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_EQ(fileBytes(link), "own");
    EXPECT_EQ(fileBytes(real), "through");
}
