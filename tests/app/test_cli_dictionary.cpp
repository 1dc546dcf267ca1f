// The command line's dictionary steps on the sample plugin: XML export and import, saving the dictionary, dumping it,
// and the translation coming back by reference when the plugin is opened again.
#include "cli_runner.h"
#include "plugin_samples.h"
#include "temp_program_dir.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

TEST(CliDictionary, XmlRoundAndSavedDictionaryRestoreATranslation) {
    TTempProgramDir dir;
    const QString samples = dir.file(QStringLiteral("Samples"));
    ASSERT_EQ(writePluginSamples(samples).size(), 5);
    const QString plugin = QDir(samples).filePath(QStringLiteral("QuillerySample.esp"));
    const QString xml = dir.file(QStringLiteral("export.xml"));

    // Nothing is translated yet, so the export holds no string.
    const rCliRun exported = runQuilleryCli({"--program-dir", dir.path(), plugin, "--export-xml", xml});
    ASSERT_EQ(exported.status, 0) << exported.err.toStdString();
    QFile file(xml);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_FALSE(file.readAll().contains("<String"));
    file.close();

    // A translator's file: one weapon name, matched by editor id, record and field signatures and source text.
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("<SSTXMLRessources><Params><Addon>QuillerySample.esp</Addon><Source>en</Source><Dest>fr</Dest>"
               "</Params><Content><String List=\"0\"><EDID>QS_LaserMusket</EDID><REC>WEAP:FULL</REC>"
               "<Source>Quill Laser Musket</Source><Dest>Mousquet laser</Dest></String></Content>"
               "</SSTXMLRessources>");
    file.close();

    const rCliRun imported =
        runQuilleryCli({"--program-dir", dir.path(), plugin, "--import-xml", xml, "--save-dictionary"});
    ASSERT_EQ(imported.status, 0) << imported.err.toStdString();
    const QStringList dictionaries =
        QDir(dir.file(QStringLiteral("UserDictionary"))).entryList({QStringLiteral("*.sst")}, QDir::Files);
    ASSERT_EQ(dictionaries.size(), 1);

    const rCliRun dumped = runQuilleryCli(
        {"--program-dir", dir.path(), "dump-dictionary", dir.file("UserDictionary/" + dictionaries.first())});
    ASSERT_EQ(dumped.status, 0) << dumped.err.toStdString();
    bool found = false;
    for (const QString& line : dumped.out.split('\n', Qt::SkipEmptyParts)) {
        const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
        if (o.value("translation").toString() != QStringLiteral("Mousquet laser")) continue;
        found = true;
        EXPECT_EQ(o.value("source").toString(), QStringLiteral("Quill Laser Musket"));
        EXPECT_EQ(o.value("field").toString(), QStringLiteral("FULL"));
        EXPECT_GT(o.value("formid").toDouble(), 0.0); // the reference carries the record's form id
    }
    EXPECT_TRUE(found) << dumped.out.toStdString();

    // Opening the plugin again applies its own dictionary by reference.
    const rCliRun reopened = runQuilleryCli({"--program-dir", dir.path(), plugin, "--dump"});
    ASSERT_EQ(reopened.status, 0);
    EXPECT_TRUE(reopened.out.contains(QStringLiteral("\"translation\":\"Mousquet laser\"")));

    // Now the export carries the translated string with its plugin reference.
    ASSERT_EQ(runQuilleryCli({"--program-dir", dir.path(), plugin, "--export-xml", xml}).status, 0);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray again = file.readAll();
    EXPECT_TRUE(again.contains("<EDID>QS_LaserMusket</EDID>"));
    EXPECT_TRUE(again.contains("<REC>WEAP:FULL</REC>"));
    EXPECT_TRUE(again.contains("<Dest>Mousquet laser</Dest>"));
}

TEST(CliDictionary, BadStepOptionsFail) {
    TTempProgramDir dir;
    const QString samples = dir.file(QStringLiteral("Samples"));
    ASSERT_EQ(writePluginSamples(samples).size(), 5);
    const QString plugin = QDir(samples).filePath(QStringLiteral("QuillerySample.esp"));
    EXPECT_EQ(
        runQuilleryCli({"--program-dir", dir.path(), plugin, "--apply-dictionary", "missing", "--filter", "7"}).status,
        2);
    EXPECT_EQ(runQuilleryCli({"--program-dir", dir.path(), plugin, "--apply-dictionary", "missing"}).status, 1);
    EXPECT_NE(runQuilleryCli({"--program-dir", dir.path(), "dump-dictionary", dir.file("nothing.sst")}).status, 0);
}
