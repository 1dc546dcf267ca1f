// The binary cursor, text formatting and the shared file helpers.
#include "core/QUILL_cursor.h"
#include "core/QUILL_files.h"
#include "core/QUILL_format.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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

// Big files go to disk in slices while they are written: whatever the slicing, the file holds exactly the bytes,
// from one buffer or from a writer's many pieces, and a writer that gives up late still leaves the old file.
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

// Chunks written from a second thread arrive whole and in order, their buffers come back for reuse, and a device
// that refuses a write makes finish() false without leaving the producer waiting.
TEST(FileHelpers, ChunkWriterKeepsOrderAndReportsAFailedDevice) {
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    QByteArray expected;
    {
        quillfs::TChunkWriter writer(sink, 1024);
        QByteArray chunk;
        for (int i = 0; i < 2000; ++i) {
            chunk.append(QByteArray::number(i)).append(',');
            expected.append(QByteArray::number(i)).append(',');
            if (i % 7 == 0) writer.push(chunk);
            EXPECT_TRUE(i % 7 != 0 || chunk.isEmpty());
        }
        writer.push(chunk);
        EXPECT_TRUE(writer.finish());
    }
    EXPECT_EQ(sink.data(), expected);

    QBuffer refusing;
    refusing.open(QIODevice::ReadOnly);
    quillfs::TChunkWriter failing(refusing, 16);
    QByteArray chunk;
    for (int i = 0; i < 100; ++i) {
        chunk = QByteArray(64, 'x');
        failing.push(chunk);
    }
    EXPECT_FALSE(failing.finish());
}
