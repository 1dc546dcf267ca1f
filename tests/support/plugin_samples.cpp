// The sample mod: one table of records drives both the plain plugin and the localized copy with its tables.
#include "plugin_samples.h"
#include "scripted_host.h"

#include "core/QUILL_files.h"
#include "core/QUILL_main.h"
#include "plugin_builder.h"
#include "strings/QUILL_stringTable.h"

#include <QDir>

namespace {

struct rSampleField {
    const char* sig;
    int list;     // -1: not a text (the data is taken as it is)
    QString text; // text fields
    QByteArray data = {};
};

struct rSampleRecord {
    const char* group; // top group signature; records of the same group follow each other
    const char* sig;
    uint32_t formId;
    const char* edid;
    std::vector<rSampleField> fields;
    int zlibLevel = TPluginBuilder::kNotCompressed;
    bool topicChild = false; // an INFO in the topic children group of the DIAL before it
};

QByteArray u32(uint32_t v) {
    QByteArray b;
    for (int i = 0; i < 4; ++i)
        b.append(static_cast<char>((v >> (8 * i)) & 0xFF));
    return b;
}

rSampleField t(const char* sig, int list, const QString& text) {
    return {sig, list, text};
}
rSampleField d(const char* sig, const QByteArray& data) {
    return {sig, -1, QString(), data};
}

const std::vector<rSampleRecord>& sampleRecords() {
    static const std::vector<rSampleRecord> records = {
        {"GMST",
         "GMST",
         0x01000800,
         "sQuillGreeting",
         {t("DATA", 0, QStringLiteral("Welcome to the Quillery workshop."))}},
        {"GMST", "GMST", 0x01000801, "iQuillCount", {d("DATA", u32(12))}},
        {"WEAP",
         "WEAP",
         0x01000810,
         "QS_LaserMusket",
         {t("FULL", 0, QStringLiteral("Quill Laser Musket")),
          t("DESC", 1, QStringLiteral("A hand-cranked laser musket, tuned by the scribes of the Quillery.")),
          d("DATA", u32(150))}},
        {"WEAP",
         "WEAP",
         0x01000811,
         "QS_InkPistol",
         {t("FULL", 0, QStringLiteral("Ink Pistol")),
          t("DESC", 1, QStringLiteral("Fires pellets of quick-drying ink.\r\nMessy, but effective.")),
          d("DATA", u32(35))},
         9},
        {"WEAP", "WEAP", 0x01000812, "QS_PaperKnife", {t("FULL", 0, QStringLiteral("Paper Knife")), d("DATA", u32(8))}},
        {"WEAP",
         "WEAP",
         0x01000813,
         "QS_Typewriter",
         {t("FULL", 0, QStringLiteral("Heavy Typewriter")),
          t("DESC", 1, QStringLiteral("Every key strike lands like a hammer.")), d("DATA", u32(60))},
         1},
        {"ARMO",
         "ARMO",
         0x01000820,
         "QS_ScribeCoat",
         {t("FULL", 0, QStringLiteral("Scribe's Coat")),
          t("DESC", 1, QStringLiteral("Ink-stained, and proud of it."))}},
        {"ARMO", "ARMO", 0x01000821, "QS_ReadingGlasses", {t("FULL", 0, QStringLiteral("Reading Glasses"))}},
        {"BOOK",
         "BOOK",
         0x01000830,
         "QS_BookOfWords",
         {t("FULL", 0, QStringLiteral("The Book of Words")),
          t("DESC", 1,
            QStringLiteral("<font face='$HandwrittenFont'><p align='center'><b>The Book of Words</b></p>\r\n"
                           "Chapter one: every word has a weight.[pagebreak]\r\n"
                           "<p align='right'>Chapter two: choose the light ones.</p></font>")),
          t("CNAM", 1, QStringLiteral("An old book about words."))}},
        {"BOOK",
         "BOOK",
         0x01000831,
         "QS_Note",
         {t("FULL", 0, QStringLiteral("Crumpled Note")),
          t("DESC", 1, QStringLiteral("<font face='$HandwrittenFont'>Meet me at the printing press at dawn.</font>"))}},
        {"MISC",
         "MISC",
         0x01000840,
         "QS_InkBottle",
         {t("FULL", 0, QStringLiteral("Bottle of Ink")), d("DATA", u32(5))}},
        {"MISC", "MISC", 0x01000841, "QS_QuillFeather", {t("FULL", 0, QStringLiteral("Quill Feather"))}},
        {"NPC_",
         "NPC_",
         0x01000850,
         "QS_MasterScribe",
         {t("FULL", 0, QStringLiteral("Master Scribe Adela")), t("SHRT", 0, QStringLiteral("Adela"))}},
        {"MESG",
         "MESG",
         0x01000860,
         "QS_PressMessage",
         {t("DESC", 1, QStringLiteral("The printing press hums. What do you want to print?")),
          t("FULL", 0, QStringLiteral("Printing Press")), t("ITXT", 0, QStringLiteral("A pamphlet")), d("CTDA", u32(0)),
          t("ITXT", 0, QStringLiteral("A poster")), t("ITXT", 0, QStringLiteral("Nothing"))}},
        {"PERK",
         "PERK",
         0x01000870,
         "QS_SpeedReader",
         {t("FULL", 0, QStringLiteral("Speed Reader")), t("DESC", 1, QStringLiteral("You read books twice as fast.")),
          d("EPFT", QByteArray(1, '\x07')), t("EPF2", 0, QStringLiteral("Skim")),
          t("EPFD", 0, QStringLiteral("Skim the page"))}},
        {"QUST",
         "QUST",
         0x01000880,
         "QS_LostManuscript",
         {t("FULL", 0, QStringLiteral("The Lost Manuscript")), d("INDX", u32(10)),
          t("CNAM", 1, QStringLiteral("Adela lost the manuscript of her new book. I offered to find it.")),
          d("QOBJ", u32(10)), t("NNAM", 0, QStringLiteral("Find the lost manuscript")), d("QOBJ", u32(20)),
          t("NNAM", 0, QStringLiteral("Return the manuscript to Adela"))}},
        {"DIAL", "DIAL", 0x01000890, "QS_TopicManuscript", {t("FULL", 0, QStringLiteral("About the manuscript..."))}},
        {"DIAL",
         "INFO",
         0x01000891,
         "",
         {t("RNAM", 0, QStringLiteral("Any luck with the manuscript?")),
          t("NAM1", 2, QStringLiteral("Not yet. It has to be somewhere in the library.")),
          t("NAM1", 2, QStringLiteral("Please keep looking, it means everything to me."))},
         TPluginBuilder::kNotCompressed,
         true},
        {"DIAL",
         "INFO",
         0x01000892,
         "",
         {t("RNAM", 0, QStringLiteral("Here it is.")),
          t("NAM1", 2, QStringLiteral("You found it! Thank you, friend."))},
         TPluginBuilder::kNotCompressed,
         true},
        {"DIAL", "DIAL", 0x01000893, "QS_TopicPress", {t("FULL", 0, QStringLiteral("The printing press"))}},
        {"DIAL",
         "INFO",
         0x01000894,
         "",
         {t("RNAM", 0, QStringLiteral("How does the press work?")),
          t("NAM1", 2, QStringLiteral("Ink, paper, and a lot of patience."))},
         TPluginBuilder::kNotCompressed,
         true},
    };
    return records;
}

// Builds the plugin; with `ids` every text field holds a string id and the texts go to `tables`.
QByteArray buildSample(bool localized, std::array<std::vector<std::pair<uint32_t, QString>>, 3>* tables) {
    TPluginBuilder b(localized);
    QString openGroup;
    bool inTopicChildren = false;
    uint32_t lastTopic = 0;
    uint32_t nextId = 1;
    for (const rSampleRecord& r : sampleRecords()) {
        if (!r.topicChild && inTopicChildren) {
            b.endGroup();
            inTopicChildren = false;
        }
        if (openGroup != QLatin1String(r.group)) {
            if (!openGroup.isEmpty()) b.endGroup();
            b.beginGroup(r.group);
            openGroup = QLatin1String(r.group);
        }
        if (r.topicChild && !inTopicChildren) {
            b.beginGroup(lastTopic, 7);
            inTopicChildren = true;
        }
        std::vector<rBuiltField> fields;
        if (*r.edid) fields.push_back(TPluginBuilder::text("EDID", QString::fromLatin1(r.edid)));
        for (const rSampleField& f : r.fields) {
            if (f.list < 0) {
                fields.push_back(TPluginBuilder::raw(f.sig, f.data));
            } else if (localized) {
                const uint32_t id = nextId++;
                fields.push_back(TPluginBuilder::u32(f.sig, id));
                (*tables)[static_cast<size_t>(f.list)].emplace_back(id, f.text);
            } else {
                fields.push_back(TPluginBuilder::text(f.sig, f.text));
            }
        }
        b.record(r.sig, r.formId, fields, r.zlibLevel);
        if (QLatin1String(r.sig) == QLatin1String("DIAL")) lastTopic = r.formId;
    }
    return b.bytes();
}

} // namespace

QStringList pluginSampleTexts(int listIndex) {
    QStringList out;
    for (const rSampleRecord& r : sampleRecords())
        for (const rSampleField& f : r.fields)
            if (f.list == listIndex) out << f.text;
    return out;
}

QStringList writePluginSamples(TAppContext& app, const QString& folder) {
    QStringList written;
    QDir().mkpath(folder);
    const QDir dir(folder);
    auto save = [&](const QString& name, const QByteArray& bytes) {
        QString error;
        const QString path = dir.filePath(name);
        if (!quillfs::writeFileAtomic(path, bytes, &error)) {
            app.logMessage(error, true);
            return false;
        }
        written << path;
        return true;
    };
    if (!save(QStringLiteral("QuillerySample.esp"), buildSample(false, nullptr))) return {};
    std::array<std::vector<std::pair<uint32_t, QString>>, 3> tables;
    if (!save(QStringLiteral("QuillerySampleLocalized.esp"), buildSample(true, &tables))) return {};
    tListSet lists;
    for (int i = 0; i < 3; ++i)
        for (const auto& [id, text] : tables[static_cast<size_t>(i)])
            lists[static_cast<size_t>(i)].push_back(std::make_unique<tSkyStr>(text, text, i, id, 99));
    const QString strings = dir.filePath(QStringLiteral("strings")) + QLatin1Char('/');
    QDir().mkpath(strings);
    if (!writeTableSet(app, lists, strings, QStringLiteral("QuillerySampleLocalized"), QStringLiteral("en"))) return {};
    for (int i = 0; i < 3; ++i)
        written << strings + QStringLiteral("QuillerySampleLocalized_en") + tableExtension(i, true);
    return written;
}

QStringList writePluginSamples(const QString& folder) {
    TScriptedHost host;
    TAppContext app(&host);
    return writePluginSamples(app, folder);
}
