// The command line's --compare step: the older texts and marks in --dump, the filter, a localized newer plugin
// compared with the plain sample, and the failures' exit codes.
#include "cli_runner.h"
#include "plugin_builder.h"
#include "plugin_samples.h"
#include "temp_program_dir.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

using B = TPluginBuilder;

QList<QJsonObject> dumped(const QString& out) {
    QList<QJsonObject> objects;
    for (const QString& line : out.split('\n', Qt::SkipEmptyParts))
        objects << QJsonDocument::fromJson(line.toUtf8()).object();
    return objects;
}

QStringList names(const QJsonObject& o, const char* key) {
    QStringList out;
    for (const auto& v : o.value(QLatin1String(key)).toArray())
        out << v.toString();
    return out;
}

} // namespace

TEST(CliCompare, DumpShowsTheCarriedTextsAndMarks) {
    TTempProgramDir dir;
    B older;
    older.beginGroup("MESG")
        .record("MESG", 0x10,
                {B::text("EDID", "Ask"), B::text("FULL", "Question"), B::text("ITXT", "Oui"), B::text("ITXT", "Non")})
        .endGroup();
    B newer;
    newer.beginGroup("MESG")
        .record("MESG", 0x10,
                {B::text("EDID", "Ask"), B::text("FULL", "Question"), B::text("ITXT", "Yes"), B::text("ITXT", "No"),
                 B::text("ITXT", "Later")})
        .endGroup();
    const QString oldPath = dir.write(QStringLiteral("Old/ask.esp"), older.bytes());
    const QString newPath = dir.write(QStringLiteral("Data/ask.esp"), newer.bytes());
    const QStringList options{"--program-dir", dir.path(), "--dest", "fr"};
    const QStringList base = options + QStringList{newPath};

    const rCliRun run = runCli(base + QStringList{"--compare", oldPath, "--filter", "0", "--dump"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QList<QJsonObject> entries = dumped(run.out);
    ASSERT_EQ(entries.size(), 4);
    QHash<QString, QJsonObject> bySource;
    for (const QJsonObject& o : entries)
        bySource.insert(o.value("source").toString(), o);
    EXPECT_EQ(bySource["Yes"].value("translation").toString(), QStringLiteral("Oui"));
    EXPECT_EQ(names(bySource["Yes"], "status"), QStringList{"incompleteTrans"});
    EXPECT_EQ(names(bySource["No"], "flags").filter("Warning"), (QStringList{"Warning", "bigWarning"}));
    EXPECT_TRUE(names(bySource["Later"], "status").isEmpty());
    EXPECT_TRUE(names(bySource["Question"], "flags").filter("Warning").isEmpty());

    // "overwrite_PartialOnly" takes nothing from a fresh plugin; saving then writes it back unchanged.
    const QString copy = dir.file(QStringLiteral("Out/ask.esp"));
    const rCliRun partial = runCli(
        options + QStringList{"--yes", newPath, "--compare", oldPath, "--filter", "3", "--dump", "--save-as", copy});
    ASSERT_EQ(partial.status, 0) << partial.err.toStdString();
    for (const QJsonObject& o : dumped(partial.out))
        EXPECT_TRUE(names(o, "status").isEmpty()) << o.value("source").toString().toStdString();
    EXPECT_EQ(fileBytes(copy), fileBytes(newPath));

    // Wrong usage, a missing or localized older file, and no plugin open.
    EXPECT_EQ(runCli(base + QStringList{"--compare", oldPath, "--filter", "7"}).status, 2);
    EXPECT_EQ(runCli(base + QStringList{"--compare"}).status, 2);
    EXPECT_EQ(runCli(base + QStringList{"--compare", dir.file("Old/none.esp")}).status, 1);
    B localized(true);
    localized.beginGroup("MESG").record("MESG", 0x10, {B::u32("FULL", 1)}).endGroup();
    const rCliRun refused =
        runCli(base + QStringList{"--compare", dir.write(QStringLiteral("Old/loc.esp"), localized.bytes())});
    EXPECT_EQ(refused.status, 1);
    for (const char* ext : {"DLSTRINGS", "ILSTRINGS"})
        dir.write(QStringLiteral("Data/x_en.") + QLatin1String(ext), QByteArray(8, '\0'));
    const QString table = dir.write(QStringLiteral("Data/x_en.STRINGS"), QByteArray(8, '\0'));
    const rCliRun tables = runCli({"--program-dir", dir.path(), table, "--compare", oldPath});
    EXPECT_EQ(tables.status, 1);
    EXPECT_TRUE(tables.err.contains(QStringLiteral("needs an open plugin"))) << tables.err.toStdString();
}

TEST(CliCompare, LocalizedPluginTakesThePlainSamplesTexts) {
    TTempProgramDir dir;
    const QString samples = dir.file(QStringLiteral("Samples"));
    ASSERT_EQ(writePluginSamples(samples).size(), 5);
    const QString plain = QDir(samples).filePath(QStringLiteral("QuillerySample.esp"));
    const QString localized = QDir(samples).filePath(QStringLiteral("QuillerySampleLocalized.esp"));
    const rCliRun run =
        runCli({"--program-dir", dir.path(), "--dest", "fr", localized, "--compare", plain, "--filter", "0", "--dump"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    int carried = 0;
    for (const QJsonObject& o : dumped(run.out)) {
        if (o.value("shared").toBool() || !o.contains("rec")) continue;
        EXPECT_EQ(o.value("translation").toString(), o.value("source").toString())
            << o.value("rec").toString().toStdString() << " " << o.value("field").toString().toStdString();
        EXPECT_TRUE(names(o, "status").contains("incompleteTrans"));
        ++carried;
    }
    EXPECT_GE(carried, 30);
}
