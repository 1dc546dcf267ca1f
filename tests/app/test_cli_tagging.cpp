// The command line's tagging steps on the sample plugin: id tags with their options and filter, the boxes a work
// mode leaves disabled, tags kept through a save, and marking strings by source and translation.
#include "cli_runner.h"
#include "plugin_samples.h"
#include "temp_program_dir.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

// The dump's objects by "rec:formid:field".
QHash<QString, QJsonObject> dumpByRef(const QString& out) {
    QHash<QString, QJsonObject> byRef;
    for (const QString& line : out.split('\n', Qt::SkipEmptyParts)) {
        const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
        byRef.insert(o.value("rec").toString() + ':' + o.value("formid").toString() + ':' + o.value("field").toString(),
                     o);
    }
    return byRef;
}

} // namespace

TEST(CliTagging, IdTagsOnThePluginAndKeptThroughASave) {
    TTempProgramDir dir;
    const QString samples = dir.file(QStringLiteral("Samples"));
    ASSERT_EQ(writePluginSamples(samples).size(), 5);
    const QString plain = QDir(samples).filePath(QStringLiteral("QuillerySample.esp"));
    const QString copy = dir.file(QStringLiteral("Out/QuillerySample.esp"));

    const rCliRun run = runCli({"--program-dir", dir.path(), "--yes", plain, "--add-id-tags", "--dial-ref", "--form-id",
                                "--filter", "0", "--dump", "--save-as", copy});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    QHash<QString, QJsonObject> entries = dumpByRef(run.out);
    const QJsonObject info = entries.value(QStringLiteral("INFO:01000891:NAM1"));
    ASSERT_FALSE(info.isEmpty()) << run.out.toStdString();
    EXPECT_EQ(info.value("translation").toString(), "[01000891][@01000890] " + info.value("source").toString());
    const QJsonObject weapon = entries.value(QStringLiteral("WEAP:01000810:FULL"));
    EXPECT_EQ(weapon.value("translation").toString(), QStringLiteral("[01000810] Quill Laser Musket"));
    EXPECT_TRUE(weapon.value("status").toArray().isEmpty());
    EXPECT_TRUE(run.err.contains(QStringLiteral("AddIdToString")) || run.err.contains(QStringLiteral("id tags")))
        << run.err.toStdString();

    // The saved plugin carries the tagged texts.
    const rCliRun reopened = runCli({"--program-dir", dir.path(), copy, "--dump"});
    ASSERT_EQ(reopened.status, 0) << reopened.err.toStdString();
    entries = dumpByRef(reopened.out);
    EXPECT_EQ(entries.value(QStringLiteral("WEAP:01000810:FULL")).value("source").toString(),
              QStringLiteral("[01000810] Quill Laser Musket"));

    // A plain plugin has no string ids: the box is refused by name; no box at all is refused too.
    const rCliRun refused = runCli({"--program-dir", dir.path(), plain, "--add-id-tags", "--string-id"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("--string-id"))) << refused.err.toStdString();
    EXPECT_EQ(runCli({"--program-dir", dir.path(), plain, "--add-id-tags"}).status, 1);
    EXPECT_EQ(runCli({"--program-dir", dir.path(), plain, "--add-id-tags", "--form-id", "--filter", "3"}).status, 2);
}

TEST(CliTagging, TagSameAndTagDiff) {
    TTempProgramDir dir;
    const QString samples = dir.file(QStringLiteral("Samples"));
    ASSERT_EQ(writePluginSamples(samples).size(), 5);
    const QString plain = QDir(samples).filePath(QStringLiteral("QuillerySample.esp"));
    // A fresh plugin's translations are its sources: all marked by --tag-same, none by --tag-diff.
    const rCliRun same = runCli({"--program-dir", dir.path(), plain, "--tag-same", "--dump"});
    ASSERT_EQ(same.status, 0) << same.err.toStdString();
    const QStringList lines = same.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    for (const QString& line : lines)
        EXPECT_TRUE(line.contains(QStringLiteral("\"status\":[\"incompleteTrans\"]"))) << line.toStdString();
    const rCliRun diff = runCli({"--program-dir", dir.path(), plain, "--tag-diff", "--dump"});
    ASSERT_EQ(diff.status, 0) << diff.err.toStdString();
    EXPECT_FALSE(diff.out.contains(QStringLiteral("incompleteTrans")));
    // After id tags every translation differs.
    const rCliRun both = runCli(
        {"--program-dir", dir.path(), plain, "--add-id-tags", "--form-id", "--filter", "0", "--tag-diff", "--dump"});
    ASSERT_EQ(both.status, 0) << both.err.toStdString();
    EXPECT_EQ(both.out.count(QStringLiteral("incompleteTrans")), lines.size());
}
