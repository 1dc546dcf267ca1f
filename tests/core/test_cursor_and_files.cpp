// The binary cursor, text formatting and the shared file helpers.
#include "core/QUILL_cursor.h"
#include "core/QUILL_files.h"
#include "core/QUILL_format.h"

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
    QFile::setPermissions(target, QFileDevice::ReadOwner);
    if (!QFile(target).open(QIODevice::ReadWrite)) { // root may still write
        EXPECT_FALSE(quillfs::fileIsUsable(target));
    }
    QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

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

// A write the system refuses (a full disk) reports the system's own reason, not the cancel that follows it; a device
// target is written into, never replaced by a renamed file.
TEST(FileHelpers, FailedWritesReportTheSystemsReason) {
    if (!QFileInfo::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    const QString full = QString::fromStdString(std::make_error_code(std::errc::no_space_on_device).message());
    QString error;
    EXPECT_FALSE(quillfs::writeFileAtomic("/dev/full", QByteArray(1 << 20, 'x'), &error));
    EXPECT_TRUE(error.contains(full, Qt::CaseInsensitive)) << error.toStdString();
    error.clear();
    EXPECT_FALSE(quillfs::writeFileAtomic(
        "/dev/full", [](QIODevice& d) { return d.write(QByteArray(64 << 20, 'y')) == (64 << 20); }, &error));
    EXPECT_TRUE(error.contains(full, Qt::CaseInsensitive)) << error.toStdString();
    EXPECT_FALSE(QFileInfo("/dev/full").isFile());
}
