// XML exchange: the document tree, round trips with Partial, line breaks and form-id editor ids, skipped
// elements, and which documents an import can reach.
#include "dictionary/QUILL_xml.h"
#include "temp_program_dir.h"
#include "test_dictionary_support.h"
#include "test_documents.h"

#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace {

struct TPluginDoc {
    TFakePlugin plugin;
    tSkyStr* gun = nullptr;
    tSkyStr* note = nullptr;
    tSkyStr* book = nullptr;
    tSkyStr* untouched = nullptr;

    void open(TDictionaryFixture& f) {
        f.ws.clearLoadedLists();
        adoptDocument(f.ws, TWorkMode::Esp);
        f.st().currentFileName = QStringLiteral("Xml.esp");
        trecord* weap = plugin.record("WEAP", 0x10, QStringLiteral("Gun"));
        trecord* noteRec = plugin.record("NOTE", 0x30, QString());
        trecord* bookRec = plugin.record("BOOK", 0x40, QStringLiteral("Book"));
        gun = f.add(0, QStringLiteral("Gun"));
        plugin.link(gun, weap, "FULL");
        note = f.add(0, QStringLiteral("Note"));
        plugin.link(note, noteRec, "FULL");
        book = f.add(1, QStringLiteral("Line one\r\nLine two"));
        plugin.link(book, bookRec, "DESC");
        untouched = f.add(0, QStringLiteral("Gun"));
        plugin.link(untouched, bookRec, "FULL");
    }
};

} // namespace

TEST(XmlExchange, PluginRoundTripWithPartialLineBreaksAndFormIdEditorIds) {
    TDictionaryFixture f;
    TPluginDoc doc;
    doc.open(f);
    doc.gun->setSTrans(QStringLiteral("Fusil & <co>"));
    doc.gun->sparams = {sStrParam::translated};
    doc.note->setSTrans(QStringLiteral("Nota"));
    doc.note->sparams = {sStrParam::incompleteTrans};
    doc.book->setSTrans(QStringLiteral("Ligne un\nLigne deux"));
    doc.book->sparams = {sStrParam::validated};
    const QString path = f.dir.file(QStringLiteral("out.txt"));
    ASSERT_TRUE(exportXmlFile(f.ws, path));
    const QString xmlPath = f.dir.file(QStringLiteral("out.xml"));
    const QByteArray xml = fileBytes(xmlPath);
    ASSERT_FALSE(xml.isEmpty());
    EXPECT_FALSE(xml.startsWith("<?xml"));
    EXPECT_TRUE(xml.startsWith("<SSTXMLRessources>"));
    EXPECT_TRUE(xml.contains("<Addon>Xml.esp</Addon>"));
    EXPECT_TRUE(xml.contains("<String List=\"0\" Partial=\"1\">"));
    EXPECT_TRUE(xml.contains("<EDID>[00000030]</EDID>"));
    EXPECT_TRUE(xml.contains("<REC>NOTE:FULL</REC>"));
    EXPECT_TRUE(xml.contains("Fusil &amp; &lt;co&gt;"));
    EXPECT_EQ(xml.count("<String "), 3);
    EXPECT_LT(xml.indexOf("<Params>"), xml.indexOf("<Content>"));
    EXPECT_LT(xml.indexOf("<EDID>"), xml.indexOf("<REC>"));
    EXPECT_LT(xml.indexOf("<REC>"), xml.indexOf("<Source>Gun"));

    TDictionaryFixture g;
    TPluginDoc again;
    again.open(g);
    ASSERT_TRUE(importXmlFile(g.ws, xmlPath));
    EXPECT_EQ(again.gun->gTrans, QStringLiteral("Fusil & <co>"));
    EXPECT_EQ(again.gun->sparams.bits(), bitOf(sStrParam::translated));
    EXPECT_EQ(again.note->gTrans, QStringLiteral("Nota"));
    EXPECT_EQ(again.note->sparams.bits(), bitOf(sStrParam::incompleteTrans));
    EXPECT_EQ(again.book->gTrans, QStringLiteral("Ligne un\r\nLigne deux"));
    EXPECT_TRUE(again.book->hasParam(sStrParam::translated));
    // Same source, other record: references match by editor id and field, so it stays.
    EXPECT_EQ(again.untouched->gTrans, QStringLiteral("Gun"));
    EXPECT_EQ(countListSet(g.ws.workLists), 0);
}

TEST(XmlExchange, ElementsWithoutUsableListAreSkippedAndDuplicatesMerge) {
    const QByteArray xml = "<SSTXMLRessources><Params/><Content>"
                           "<String List=\"3\"><Source>a</Source><Dest>b</Dest></String>"
                           "<String List=\"x\"><Source>a</Source><Dest>b</Dest></String>"
                           "<String><Source>a</Source><Dest>b</Dest></String>"
                           "<String List=\"1\"><Source>Same</Source><Dest>Pareil</Dest></String>"
                           "<String List=\"1\"><Source>Same</Source><Dest>Pareil</Dest></String>"
                           "<String List=\"2\"><Source> </Source></String>"
                           "<String List=\"0\"><EDID>Gun</EDID><REC>WEAP:FULL</REC><Source>Gun</Source>"
                           "<Dest>Fusil</Dest></String>"
                           "<String List=\"0\"><EDID>Gun</EDID><REC>WEAPFULL</REC><Source>Gun</Source>"
                           "<Dest>Fusil</Dest></String>"
                           "</Content></SSTXMLRessources>";
    quilldict::TSortedBatch batch;
    std::vector<rXmlPendingRef> refs;
    parseXmlImport(xml, batch, refs);
    tListSet work;
    batch.mergeInto(work);
    EXPECT_EQ(work[1].size(), 1u);
    ASSERT_EQ(work[2].size(), 1u);
    EXPECT_EQ(work[2][0]->gS, QStringLiteral(" "));
    EXPECT_EQ(work[2][0]->gTrans, QString());
    EXPECT_EQ(work[0].size(), 1u);
    ASSERT_EQ(refs.size(), 1u); // a REC that is not 9 characters long gives no reference
    EXPECT_EQ(refs[0].fName, sHeaderSig('F', 'U', 'L', 'L'));
    EXPECT_EQ(refs[0].formHash, textHash(QStringLiteral("Gun")));
    EXPECT_EQ(refs[0].sourceHash, textHash(QStringLiteral("Gun")));
}

// A String whose Dest (or Source) holds elements would import as an empty or cut translation marked translated: it
// is left out, as the XLIFF import leaves such units, and the count is logged.
TEST(XmlExchange, TextsHoldingElementsAreLeftOutAndCounted) {
    const QByteArray xml = "<SSTXMLRessources><Params/><Content>"
                           "<String List=\"0\"><EDID>Gun</EDID><REC>WEAP:FULL</REC><Source>Gun</Source>"
                           "<Dest><b>Fusil</b></Dest></String>"
                           "<String List=\"0\"><Source>Note</Source><Dest>Mot <i>doux</i></Dest></String>"
                           "<String List=\"0\"><Source>Gun<br/></Source><Dest>Arme</Dest></String>"
                           "<String List=\"1\"><Source>Line one\r\nLine two</Source><Dest>Ligne</Dest></String>"
                           "</Content></SSTXMLRessources>";
    quilldict::TSortedBatch batch;
    std::vector<rXmlPendingRef> refs;
    EXPECT_EQ(parseXmlImport(xml, batch, refs), 3);
    EXPECT_TRUE(refs.empty());

    TDictionaryFixture f;
    TPluginDoc doc;
    doc.open(f);
    ASSERT_TRUE(readXmlImport(f.ws, f.dir.write(QStringLiteral("markup.xml"), xml)));
    EXPECT_EQ(doc.gun->gTrans, QStringLiteral("Gun"));
    EXPECT_FALSE(doc.gun->hasParam(sStrParam::translated));
    EXPECT_EQ(doc.note->gTrans, QStringLiteral("Note"));
    EXPECT_EQ(doc.book->gTrans, QStringLiteral("Ligne"));
    EXPECT_TRUE(f.host.logContains(QStringLiteral("XML_RefusedMarkup")));
}

TEST(XmlExchange, StringTableExportReachesAPluginBySourceTextButNotTheOtherWay) {
    TDictionaryFixture tables;
    adoptDocument(tables.ws, TWorkMode::Strings);
    tables.st().currentFileName = QStringLiteral("mymod");
    tables.add(0, QStringLiteral("Gun"), QStringLiteral("Fusil"), {sStrParam::translated}, 1);
    const QString fromTables = tables.dir.file(QStringLiteral("tables.xml"));
    ASSERT_TRUE(writeXmlExport(tables.ws, fromTables));
    EXPECT_FALSE(fileBytes(fromTables).contains("<EDID>"));

    TDictionaryFixture f;
    TPluginDoc doc;
    doc.open(f);
    ASSERT_TRUE(readXmlImport(f.ws, fromTables));
    EXPECT_EQ(doc.gun->gTrans, QStringLiteral("Fusil"));
    EXPECT_EQ(doc.untouched->gTrans, QStringLiteral("Fusil"));
    EXPECT_TRUE(f.host.logContains(QStringLiteral("Fbk_TransResultSST")));

    // A plugin export holds references: string tables take nothing from it.
    const QString fromPlugin = f.dir.file(QStringLiteral("plugin.xml"));
    ASSERT_TRUE(writeXmlExport(f.ws, fromPlugin));
    TDictionaryFixture g;
    adoptDocument(g.ws, TWorkMode::Strings);
    tSkyStr* e = g.add(0, QStringLiteral("Gun"), QString(), {}, 1);
    ASSERT_TRUE(readXmlImport(g.ws, fromPlugin));
    EXPECT_EQ(e->gTrans, QStringLiteral("Gun"));
    EXPECT_TRUE(e->sparams.empty());
}

// Every text the lists can hold comes back from an export, which stays well-formed XML 1.0: control characters,
// U+FFFE and U+FFFF, halves of surrogate pairs, a zero character, backslashes. A file written before, holding control
// characters as character references and backslashes as they are, reads as it did.
TEST(XmlExchange, EveryTextRoundTripsThroughWellFormedXml) {
    const QChar nul(0);
    const QStringList texts{QStringLiteral("bell\a and tabs\v\f\x1f end"),
                            QStringLiteral("zero ") + nul + QStringLiteral(" inside"),
                            QStringLiteral("not characters ") + QChar(0xFFFE) + QChar(0xFFFF),
                            QStringLiteral("half ") + QChar(0xD83D) + QStringLiteral(" pair ") + QChar(0xDE00),
                            QStringLiteral("whole pair \U0001F600, tab\tkept, line\r\nbreak"),
                            QStringLiteral(R"(C:\Data\u0041 \\ \)"),
                            QStringLiteral("  Bonjour, voyageur  ")};
    TDictionaryFixture f;
    f.st().WorkMode = TWorkMode::Strings;
    TDictionaryFixture g;
    g.st().WorkMode = TWorkMode::Strings;
    std::vector<tSkyStr*> targets;
    for (int i = 0; i < texts.size(); ++i) {
        // Each text as a translation and as a source.
        f.add(0, QStringLiteral("Source %1").arg(i), texts[i], {sStrParam::translated});
        f.add(1, texts[i], QStringLiteral("Translation %1").arg(i), {sStrParam::translated});
        targets.push_back(g.add(0, QStringLiteral("Source %1").arg(i), QString(), {}));
        targets.push_back(g.add(1, texts[i], QString(), {}));
    }
    const QString path = f.dir.file(QStringLiteral("every.xml"));
    ASSERT_TRUE(writeXmlExport(f.ws, path));
    QXmlStreamReader reader(fileBytes(path));
    while (!reader.atEnd())
        reader.readNext();
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();

    ASSERT_TRUE(readXmlImport(g.ws, path));
    for (int i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(targets[2 * i]->gTrans, texts[i]) << i;
        EXPECT_EQ(targets[2 * i + 1]->gTrans, QStringLiteral("Translation %1").arg(i)) << i;
    }

    const QByteArray before = "<SSTXMLRessources><Content><String List=\"0\"><Source>a&#01;b</Source>"
                              "<Dest>C:\\Data\\u0041</Dest></String></Content></SSTXMLRessources>";
    quilldict::TSortedBatch batch;
    std::vector<rXmlPendingRef> refs;
    parseXmlImport(before, batch, refs);
    tListSet work;
    batch.mergeInto(work);
    ASSERT_EQ(work[0].size(), 1u);
    EXPECT_EQ(work[0][0]->gS, QStringLiteral("a\x01"
                                             "b"));
    EXPECT_EQ(work[0][0]->gTrans, QStringLiteral(R"(C:\Data\u0041)"));
}

// A dotted plugin's export is offered under its whole name with ".xml", so the export's extension rule keeps it
// (offered without, "My.Mod_en_fr" was cut to "My.xml", where the exports of every My.* plugin met).
TEST(XmlExchange, ADottedPluginsExportKeepsItsWholeName) {
    TDictionaryFixture f;
    TPluginDoc doc;
    doc.open(f);
    f.st().currentFileName = QStringLiteral("My.Mod.esp");
    EXPECT_FALSE(pickXmlExport(f.ws)); // cancelled
    ASSERT_EQ(f.host.pickNames.size(), 1);
    EXPECT_EQ(f.host.pickNames[0].toStdString(), "My.Mod_en_fr.xml");
    doc.gun->setSTrans(QStringLiteral("Fusil"));
    doc.gun->sparams = {sStrParam::translated};
    ASSERT_TRUE(exportXmlFile(f.ws, f.dir.file(f.host.pickNames[0])));
    EXPECT_TRUE(QFileInfo::exists(f.dir.file(QStringLiteral("My.Mod_en_fr.xml"))));
}

TEST(XmlExchange, BrokenFilesReportXmlError) {
    TDictionaryFixture f;
    adoptDocument(f.ws, TWorkMode::Strings);
    f.add(0, QStringLiteral("Gun"));
    const QString path = f.dir.write(QStringLiteral("bad.xml"), "<SSTXMLRessources><Content><String List=\"0\">");
    EXPECT_FALSE(readXmlImport(f.ws, path));
    EXPECT_TRUE(f.host.logContains(QStringLiteral("XML_ERROR")));
    EXPECT_EQ(countListSet(f.ws.workLists), 0);
    EXPECT_FALSE(importXmlFile(f.ws, f.dir.file(QStringLiteral("missing.xml"))));
    EXPECT_TRUE(f.host.logContains(QStringLiteral("FileNotFound")));
}
