// Saves that fail: every document kind, its write failing at each step (before the first byte, in the middle, at the
// flush, at the rename), keeps every file it would have replaced (and the backups as they were), gives the system's
// reason and never reports the document saved.
#include "support/pex_builder.h"
#include "support/plugin_builder.h"
#include "support/scripted_host.h"
#include "support/string_table_builder.h"
#include "support/temp_program_dir.h"
#include "support/write_faults.h"

#include "core/QUILL_startup.h"
#include "workspace/QUILL_workspace.h"

#include <QDirIterator>
#include <QMap>
#include <functional>
#include <gtest/gtest.h>

namespace {

struct TSaveFixture {
    TTempProgramDir dir{false};
    TScriptedHost host;
    TWorkspace ws{&host};

    TSaveFixture() {
        startApplication(ws.app, dir.path());
        TAppState& st = ws.app.state;
        st.SourceLang = QStringLiteral("en");
        st.DestLang = QStringLiteral("fr");
        st.quillexpertMode = true;
        ws.app.texts.set(QStringLiteral("Fbk_Saved"), QStringLiteral("SAVED %s"));
        ws.app.texts.set(QStringLiteral("Fbk_SavedError"), QStringLiteral("NOT SAVED %s"));
        ws.app.texts.set(QStringLiteral("fbk_pexWriteError"), QStringLiteral("%s: %s"));
        ws.app.texts.set(QStringLiteral("fbk_menuWriteError"), QStringLiteral("%s: %s"));
    }
    // Every file under the program folder (hidden ones too) with its bytes.
    QMap<QString, QByteArray> files() const {
        QMap<QString, QByteArray> out;
        QDirIterator it(dir.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            out.insert(path, fileBytes(path));
        }
        return out;
    }
    bool reportedSaved() const {
        return std::any_of(host.log.begin(), host.log.end(), [](const QString& l) { return l.startsWith("SAVED"); });
    }
    void translateAll() {
        for (auto& list : ws.loadedLists)
            for (auto& entry : list)
                entry->setSTrans(entry->gS + QStringLiteral(" (fr)"));
    }
};

QByteArray samplePlugin() {
    TPluginBuilder b;
    b.beginGroup("WEAP");
    b.record("WEAP", 0x100,
             {TPluginBuilder::text("EDID", "Gun"), TPluginBuilder::text("FULL", "Laser rifle"),
              TPluginBuilder::text("DESC", "Hot")});
    b.endGroup();
    return b.bytes();
}

struct rDocumentKindCase {
    const char* name;
    // Opens a document with a file to replace (and, where the kind keeps them, one earlier backup beside it).
    std::function<bool(TSaveFixture&)> open;
    std::function<bool(TSaveFixture&)> save;
};

bool saveInPlace(TSaveFixture& f) {
    return f.ws.saveDocument(false);
}

const std::vector<rDocumentKindCase>& kinds() {
    static const std::vector<rDocumentKindCase> all = {
        {"plugin",
         [](TSaveFixture& f) {
             f.dir.write(QStringLiteral("Data/mymod.esp.2020_01_01_00_00_00"), "older backup");
             return f.ws.openAs("plugin", f.dir.write(QStringLiteral("Data/mymod.esp"), samplePlugin()), false);
         },
         saveInPlace},
        {"script",
         [](TSaveFixture& f) {
             return f.ws.openAs("script", f.dir.write(QStringLiteral("Scripts/Sample.pex"), buildSampleScript(3, 9)), false);
         },
         saveInPlace},
        {"menu file",
         [](TSaveFixture& f) {
             f.dir.write(QStringLiteral("Interface/Translations/mymod_FR.txt"), "previous translation");
             return f.ws.openAs("menuFile", 
                 f.dir.write(QStringLiteral("Interface/Translations/mymod_en.txt"), buildSampleMenuFile()));
         },
         saveInPlace},
        {"table set",
         [](TSaveFixture& f) {
             const rTableSetTexts texts = {{{{1, "Iron"}}, {{2, "Long text"}}, {{3, "Hello"}}}};
             writeUtf8TableSet(f.dir.file(QStringLiteral("Strings")), "MyMod", "fr", texts);
             writeUtf8TableSet(f.dir.file(QStringLiteral("Strings")), "MyMod", "en", texts);
             return f.ws.openAs("stringTables", f.dir.file(QStringLiteral("Strings/MyMod_en.strings")), false);
         },
         saveInPlace},
        {"dictionary",
         [](TSaveFixture& f) {
             if (!f.ws.openAs("plugin", f.dir.write(QStringLiteral("Data/mymod.esp"), samplePlugin()), false)) return false;
             f.translateAll();
             return f.ws.saveDocumentDictionary(); // the file the next save replaces, and its first backup
         },
         [](TSaveFixture& f) { return f.ws.saveDocumentDictionary(); }},
    };
    return all;
}

} // namespace

TEST(SaveFailures, EveryKindKeepsItsFilesWhateverStepFails) {
    for (const rDocumentKindCase& kind : kinds()) {
        for (const quillfs::tWriteStep step : kAllWriteSteps) {
            SCOPED_TRACE(std::string(kind.name) + ", failing " + writeStepName(step));
            TSaveFixture f;
            ASSERT_TRUE(kind.open(f)) << f.host.log.join('\n').toStdString();
            f.translateAll();
            const QMap<QString, QByteArray> before = f.files();
            f.host.log.clear();
            {
                const TWriteFaultScope fault(step);
                EXPECT_FALSE(kind.save(f));
                EXPECT_GE(fault.hits(), 1);
            }
            EXPECT_FALSE(f.reportedSaved()) << f.host.log.join('\n').toStdString();
            EXPECT_TRUE(f.host.logContains(diskFullReason())) << f.host.log.join('\n').toStdString();
            EXPECT_TRUE(f.host.logContains(QStringLiteral("NOT SAVED"))) << f.host.log.join('\n').toStdString();
            const QMap<QString, QByteArray> after = f.files();
            EXPECT_EQ(after.keys(), before.keys());
            EXPECT_TRUE(after == before);
            // Nothing failing, the same save goes through.
            EXPECT_TRUE(kind.save(f)) << f.host.log.join('\n').toStdString();
            EXPECT_TRUE(f.reportedSaved());
        }
    }
}

// The tables of a set replace the old ones only together: one that cannot be written leaves all three as they were;
// a rename failing after the first table was replaced says which tables are new and which are not.
TEST(SaveFailures, ATableSetIsNeverSilentlyAMixOfOldAndNew) {
    TSaveFixture f;
    ASSERT_TRUE(kinds()[3].open(f));
    f.translateAll();
    f.ws.app.texts.set(QStringLiteral("Fbk_TablesPartlyWritten"), QStringLiteral("PARTLY written: %s; not: %s"));
    const QString tables = f.dir.file(QStringLiteral("Strings/MyMod_fr."));
    const QByteArray oldStrings = fileBytes(tables + "strings");
    {
        const TWriteFaultScope fault(quillfs::tWriteStep::write, QStringLiteral("ilstrings"));
        EXPECT_FALSE(f.ws.saveDocument(false));
    }
    EXPECT_EQ(fileBytes(tables + "strings"), oldStrings);
    EXPECT_FALSE(f.host.logContains(QStringLiteral("PARTLY")));
    {
        const TWriteFaultScope fault(quillfs::tWriteStep::replace, QStringLiteral("dlstrings"));
        EXPECT_FALSE(f.ws.saveDocument(false));
    }
    EXPECT_NE(fileBytes(tables + "strings"), oldStrings);
    const QString shown = QDir::toNativeSeparators(tables);
    EXPECT_TRUE(
        f.host.logContains(QStringLiteral("PARTLY written: %1strings; not: %1dlstrings, %1ilstrings").arg(shown)))
        << f.host.log.join('\n').toStdString();
    EXPECT_FALSE(f.reportedSaved());
}
