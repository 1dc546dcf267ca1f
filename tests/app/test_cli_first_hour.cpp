// The command line over a translator's first hour: a plugin saved in place and opened again (--yes opens the
// original from its backup, --no goes on with the translation read in its own code page), and --stats.
#include "cli_runner.h"
#include "plugin_samples.h"
#include "temp_program_dir.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

QJsonObject entryOf(const QString& dump, const QString& edid, const QString& field) {
    for (const QString& line : dump.split('\n', Qt::SkipEmptyParts)) {
        const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
        if (o.value("edid").toString() == edid && o.value("field").toString() == field) return o;
    }
    return {};
}

struct TSavedSample {
    TTempProgramDir dir;
    QString plugin;
    TSavedSample() {
        const QString samples = dir.file(QStringLiteral("Samples"));
        writePluginSamples(samples);
        plugin = QDir(samples).filePath(QStringLiteral("QuillerySample.esp"));
    }
    rCliRun run(QStringList args) {
        args.prepend(dir.path());
        args.prepend(QStringLiteral("--program-dir"));
        return runQuilleryCli(args);
    }
};

} // namespace

TEST(CliFirstHour, PluginSavedInPlaceOffersItsOriginalOrReadsAsTranslation) {
    TSavedSample s;
    const rCliRun first = s.run({s.plugin, "--dump"});
    ASSERT_EQ(first.status, 0) << first.err.toStdString();
    const int musket = entryOf(first.out, "QS_LaserMusket", "FULL").value("id").toInt();
    const int pistol = entryOf(first.out, "QS_InkPistol", "FULL").value("id").toInt();
    ASSERT_GT(musket, 0);

    const QString french = QStringLiteral("Mousquet laser à plume");
    const rCliRun saved =
        s.run({"--yes", s.plugin, "--translate", "0", QString::number(musket), french, "--translate", "0",
               QString::number(pistol), QStringLiteral("Pistolet à encre"), "--save-dictionary", "--save"});
    ASSERT_EQ(saved.status, 0) << saved.err.toStdString();
    const QStringList backups =
        QDir(QFileInfo(s.plugin).absolutePath()).entryList({QStringLiteral("QuillerySample.esp.*")}, QDir::Files);
    ASSERT_EQ(backups.size(), 1);
    // The save says where the original went.
    EXPECT_TRUE(saved.err.contains(backups.first())) << saved.err.toStdString();

    // Going on with the file: its texts are the translations, read as UTF-8 (French), not as code page 1252.
    const rCliRun goOn = s.run({"--no", s.plugin, "--dump"});
    ASSERT_EQ(goOn.status, 0) << goOn.err.toStdString();
    EXPECT_TRUE(goOn.err.contains(backups.first())) << goOn.err.toStdString();
    EXPECT_EQ(entryOf(goOn.out, "QS_LaserMusket", "FULL").value("source").toString(), french);

    // The original: its English texts, the dictionary applied, the file's own name kept for the next save.
    const rCliRun original = s.run({"--yes", s.plugin, "--dump"});
    ASSERT_EQ(original.status, 0) << original.err.toStdString();
    const QJsonObject entry = entryOf(original.out, "QS_LaserMusket", "FULL");
    EXPECT_EQ(entry.value("source").toString(), QStringLiteral("Quill Laser Musket"));
    EXPECT_EQ(entry.value("translation").toString(), french);

    // Saved in place a second time, the newest backup is a translation too: the original is still the first one.
    const rCliRun again = s.run({"--yes", s.plugin, "--save"});
    ASSERT_EQ(again.status, 0) << again.err.toStdString();
    const rCliRun third = s.run({"--yes", s.plugin, "--dump"});
    EXPECT_TRUE(third.err.contains(backups.first())) << third.err.toStdString();
    EXPECT_EQ(entryOf(third.out, "QS_LaserMusket", "FULL").value("source").toString(),
              QStringLiteral("Quill Laser Musket"));

    // A plugin never saved in place opens as usual, without the question.
    TSavedSample fresh;
    const rCliRun plain = fresh.run({"--yes", fresh.plugin, "--dump"});
    EXPECT_FALSE(plain.err.contains(QStringLiteral("own dictionary"))) << plain.err.toStdString();
}

TEST(CliFirstHour, StatsCountEachEntryOnceAndTheWordsLeft) {
    TSavedSample s;
    const rCliRun first = s.run({s.plugin, "--dump"});
    const QJsonObject musket = entryOf(first.out, "QS_LaserMusket", "FULL");
    const QJsonObject pistol = entryOf(first.out, "QS_InkPistol", "FULL");
    // Two names translated as the edit dialog's Ctrl+Enter stores them.
    const rCliRun stats =
        s.run({"--yes", s.plugin, "--translate", "0", QString::number(musket.value("id").toInt()), "Mousquet",
               "--translate", "0", QString::number(pistol.value("id").toInt()), "Pistolet", "--stats"});
    ASSERT_EQ(stats.status, 0) << stats.err.toStdString();
    const QStringList lines = stats.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 4);
    // The documented key order, lists first.
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("{\"list\":0,\"total\":"))) << lines[0].toStdString();
    qsizetype total = 0;
    for (int i = 0; i < 3; ++i) {
        const QJsonObject o = QJsonDocument::fromJson(lines[i].toUtf8()).object();
        EXPECT_EQ(o.value("list").toInt(), i);
        const int sum = o.value("untranslated").toInt() + o.value("translated").toInt() + o.value("partial").toInt() +
                        o.value("validated").toInt();
        EXPECT_EQ(sum, o.value("total").toInt()) << lines[i].toStdString();
        total += sum;
    }
    EXPECT_EQ(total, first.out.count('\n'));
    bool weapons = false;
    for (const QString& line : lines.mid(3)) {
        const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
        if (o.value("rec") != "WEAP" || o.value("field") != "FULL") continue;
        weapons = true;
        EXPECT_EQ(o.value("validated").toInt() + o.value("translated").toInt(), 2) << line.toStdString();
        // The two translated names no longer count in the words left ("Quill Laser Musket", "Ink Pistol").
        EXPECT_EQ(o.value("total").toInt(), 4);
    }
    EXPECT_TRUE(weapons) << stats.out.toStdString();
}
