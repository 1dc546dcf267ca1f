// The binary cursor, text formatting and the shared file helpers.
#include "core/QUILL_cursor.h"
#include "core/QUILL_files.h"
#include "core/QUILL_format.h"
#include "support/trickle_source.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
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

TEST(BinaryCursor, WaitsForBytesStillArrivingAndFailsOnlyWhereTheyEnd) {
    // With a source, a read past the bytes in so far waits for more; it fails, without moving, only once the bytes
    // have ended before it. Each wait here lets in just the bytes asked for.
    QByteArray data = QByteArray::fromHex("0102030405060708");
    data.append("ab\0", 3).append("tail");
    TTrickleSource source(data, 0, 0);
    TBinaryCursor c(QByteArrayView(source.buffer().constData(), source.in()), &source);
    EXPECT_EQ(c.size(), 0);
    EXPECT_EQ(c.u16le(), 0x0201);
    EXPECT_EQ(c.size(), 2);
    c.seek(6);
    EXPECT_EQ(c.u16be(), 0x0708);
    EXPECT_EQ(c.zeroTerminated(), QByteArrayView("ab"));
    EXPECT_EQ(c.size(), 11);
    EXPECT_FALSE(c.atEnd());
    EXPECT_EQ(c.peekView(4), QByteArrayView("tail"));
    EXPECT_THROW(c.view(5), TQuillError);
    EXPECT_EQ(c.pos(), 11);
    EXPECT_EQ(c.size(), data.size());
    c.skip(4);
    EXPECT_TRUE(c.atEnd());
    EXPECT_THROW(c.seek(data.size() + 1), TQuillError);

    TTrickleSource noZero(QByteArray("abcdef"), 1, 0);
    TBinaryCursor z(QByteArrayView(noZero.buffer().constData(), noZero.in()), &noZero);
    EXPECT_THROW(z.zeroTerminated(), TQuillError);
    EXPECT_EQ(z.pos(), 0);
    EXPECT_EQ(z.size(), 6);
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

// A file read on a second thread while its first bytes are used: a cursor over it sees exactly the file, small files
// are read at once, a stream dropped while it reads stops, and a file that cannot be opened says why.
TEST(FileHelpers, FileStreamHandsOverBytesWhileItReads) {
    QTemporaryDir dir;
    QByteArray original(3 * 1024 * 1024 + 5, Qt::Uninitialized);
    uint32_t state = 12345;
    for (char& c : original) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 24);
    }
    const QString path = dir.filePath(QStringLiteral("big.bin"));
    ASSERT_TRUE(quillfs::writeFileAtomic(path, original));

    for (qsizetype chunk : {qsizetype(4096), qsizetype(1000 * 1000)}) {
        quillfs::TFileStream stream(chunk, 0);
        ASSERT_TRUE(stream.start(path));
        EXPECT_EQ(stream.buffer().size(), original.size());
        TBinaryCursor c(QByteArrayView(stream.buffer().constData(), stream.in()), &stream);
        uint64_t sum = 0, expected = 0;
        while (c.canRead(4))
            sum = sum * 31 + c.u32le();
        for (qsizetype i = 0; i + 4 <= original.size(); i += 4)
            expected = expected * 31 + qFromLittleEndian<uint32_t>(original.constData() + i);
        EXPECT_EQ(sum, expected) << chunk;
        EXPECT_EQ(c.remaining(), 1);
        QByteArray out;
        EXPECT_TRUE(stream.finish(out));
        EXPECT_EQ(out, original);
    }

    {
        quillfs::TFileStream dropped(4096, 0);
        ASSERT_TRUE(dropped.start(path));
        EXPECT_GE(dropped.waitFor(10), 10);
    } // stops the read and waits for the thread

    const QString small = dir.filePath(QStringLiteral("small.bin"));
    ASSERT_TRUE(quillfs::writeFileAtomic(small, QByteArray("small file")));
    quillfs::TFileStream once;
    ASSERT_TRUE(once.start(small));
    EXPECT_EQ(once.in(), 10);
    QByteArray out;
    EXPECT_TRUE(once.finish(out));
    EXPECT_EQ(out, QByteArray("small file"));
    QString error;
    EXPECT_FALSE(once.start(small, &error)); // one file per stream
    EXPECT_FALSE(error.isEmpty());

    quillfs::TFileStream missing;
    error.clear();
    EXPECT_FALSE(missing.start(dir.filePath(QStringLiteral("missing.bin")), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(missing.waitFor(1), 0);
}
