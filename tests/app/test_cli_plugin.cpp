// The command line on plugins: the sample generator, plugin-tree, --dump and --save-as of a plain plugin, and the
// localized copy saving its tables under the destination language.
#include "cli_runner.h"
#include "plugin_samples.h"
#include "temp_program_dir.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

TEST(CliPlugin, SamplesTreeDumpAndSave) {
    TTempProgramDir dir;
    const QString samples = dir.file(QStringLiteral("Samples"));
    ASSERT_EQ(writePluginSamples(samples).size(), 5);
    const QString plain = QDir(samples).filePath(QStringLiteral("QuillerySample.esp"));

    const rCliRun tree = runCli({"--program-dir", dir.path(), "plugin-tree", plain});
    ASSERT_EQ(tree.status, 0) << tree.err.toStdString();
    const QStringList lines = tree.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 20);
    EXPECT_EQ(lines[0], QStringLiteral("TES4 [00000000] [0|0|1]"));
    EXPECT_EQ(lines[1], QStringLiteral("GRUP - GMST"));
    EXPECT_EQ(lines[2], QStringLiteral("  GMST sQuillGreeting[01000800] [2|0|0]"));
    EXPECT_TRUE(lines.contains(QStringLiteral("    INFO [01000891] [3|0|0]")));
    EXPECT_EQ(runCli({"--program-dir", dir.path(), "plugin-tree"}).status, 2);
    EXPECT_EQ(runCli({"--program-dir", dir.path(), "plugin-tree", dir.file("none.esp")}).status, 1);

    const rCliRun dump = runCli({"--program-dir", dir.path(), plain, "--dump"});
    ASSERT_EQ(dump.status, 0) << dump.err.toStdString();
    const QStringList objects = dump.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(objects.size(), 36);
    const QJsonObject first = QJsonDocument::fromJson(objects[0].toUtf8()).object();
    EXPECT_EQ(first.value("source").toString(), QStringLiteral("Welcome to the Quillery workshop."));
    EXPECT_EQ(first.value("rec").toString(), QStringLiteral("GMST"));
    EXPECT_EQ(first.value("edid").toString(), QStringLiteral("sQuillGreeting"));

    const QString copy = dir.file(QStringLiteral("Out/new/QuillerySample.esp"));
    const rCliRun saved = runCli({"--program-dir", dir.path(), "--yes", plain, "--save-as", copy});
    ASSERT_EQ(saved.status, 0) << saved.err.toStdString();
    EXPECT_EQ(fileBytes(copy), fileBytes(plain));

    const QString localized = QDir(samples).filePath(QStringLiteral("QuillerySampleLocalized.esp"));
    const rCliRun loc = runCli({"--program-dir", dir.path(), "--dest", "de", "--yes", localized, "--save"});
    ASSERT_EQ(loc.status, 0) << loc.err.toStdString();
    for (const char* ext : {"STRINGS", "DLSTRINGS", "ILSTRINGS"})
        EXPECT_TRUE(QFile::exists(
            QDir(samples).filePath(QStringLiteral("strings/QuillerySampleLocalized_de.") + QLatin1String(ext))))
            << ext;
}

TEST(CliPlugin, RecordStructByFormId) {
    TTempProgramDir dir;
    const QString samples = dir.file(QStringLiteral("Samples"));
    ASSERT_EQ(writePluginSamples(samples).size(), 5);
    const QString plain = QDir(samples).filePath(QStringLiteral("QuillerySample.esp"));
    auto structure = [&](const QString& path, const QString& formId) {
        return runCli({"--program-dir", dir.path(), "record-struct", path, formId});
    };
    const QString greetingHex = QString::fromLatin1(QByteArray("sQuillGreeting", 15).toHex(':') + ':');

    const rCliRun shown = structure(plain, QStringLiteral("0x01000800"));
    ASSERT_EQ(shown.status, 0) << shown.err.toStdString();
    const QStringList lines = shown.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], QStringLiteral("GMST sQuillGreeting[01000800] [2|0|0]"));
    EXPECT_EQ(lines[1], QStringLiteral("EDID 15"));
    EXPECT_EQ(lines[2], greetingHex);
    EXPECT_EQ(lines[3], QStringLiteral("DATA 34"));
    // Without "0x", in capitals, the same text.
    EXPECT_EQ(structure(plain, QStringLiteral("1000800")).out, shown.out);
    EXPECT_EQ(structure(plain, QStringLiteral("0X01000800")).out, shown.out);

    // A localized plugin shows the record whole, without its string tables' help.
    const QString localized = QDir(samples).filePath(QStringLiteral("QuillerySampleLocalized.esp"));
    const rCliRun weapon = structure(localized, QStringLiteral("01000810"));
    ASSERT_EQ(weapon.status, 0) << weapon.err.toStdString();
    EXPECT_TRUE(weapon.out.contains(QStringLiteral("\nDATA 4\n96:00:00:00:"))) << weapon.out.toStdString();

    const rCliRun missing = structure(plain, QStringLiteral("01000fff"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.out.isEmpty());
    EXPECT_TRUE(missing.err.contains(QStringLiteral("01000fff"))) << missing.err.toStdString();
    for (const char* bad : {"xyz", "0x", "", "123456789", "-1"})
        EXPECT_EQ(structure(plain, QLatin1String(bad)).status, 2) << bad;
    EXPECT_EQ(runCli({"--program-dir", dir.path(), "record-struct", plain}).status, 2);
    EXPECT_EQ(structure(dir.file("none.esp"), QStringLiteral("800")).status, 1);
}
