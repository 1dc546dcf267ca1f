// XLIFF exchange of the sample plugins: stable ids, the export's units and states, and an import applied by id as one
// undo step, counted right, that leaves a changed source and an unknown id alone.
#include "plugin_samples.h"
#include "scripted_host.h"
#include "temp_program_dir.h"

#include "core/QUILL_startup.h"
#include "dictionary/QUILL_xliff.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsXliff.h"

#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

namespace {

struct TXliffFixture {
    TTempProgramDir dir;
    TScriptedHost host;
    TWorkspace ws{&host};

    TXliffFixture() {
        startApplication(ws.app, dir.path());
        writePluginSamples(ws.app, dir.file(QStringLiteral("Data")));
    }
    QString sample(const char* name) const { return dir.file(QStringLiteral("Data/") + QLatin1String(name)); }
    rXliffDocument exported(bool all) {
        const QString path = dir.file(QStringLiteral("out.xlf"));
        EXPECT_TRUE(exportXliffFile(ws, path, all));
        rXliffDocument d;
        EXPECT_EQ(readXliff(fileBytes(path), d).error, TXliffError::none);
        return d;
    }
    bool import(const rXliffDocument& d, rXliffImportCounts& counts) {
        const QString path = dir.write(QStringLiteral("in.xlf"), writeXliff(d));
        return importXliffFile(ws, path, &counts);
    }
};

QStringList ids(TWorkspace& ws) {
    QStringList out;
    for (const auto& [id, entry] : xliffEntries(ws))
        out << id;
    return out;
}

} // namespace

TEST(XliffExchange, PluginIdsAreStableAndUniqueAndTheExportCarriesContext) {
    for (const char* name : {"QuillerySample.esp", "QuillerySampleLocalized.esp"}) {
        TXliffFixture f;
        ASSERT_TRUE(f.ws.openFileByKind(f.sample(name))) << name;
        const QStringList first = ids(f.ws);
        ASSERT_GE(first.size(), 30) << name;
        EXPECT_EQ(QSet<QString>(first.begin(), first.end()).size(), first.size()) << name;
        const QRegularExpression shape(QStringLiteral("^[0-9a-f]{8}:[A-Z0-9_]{4}:[0-9]+$"));
        for (const QString& id : first)
            EXPECT_TRUE(shape.match(id).hasMatch()) << name << " " << id.toStdString();

        // Nothing translated yet: only --all exports, every unit "new" with its record in the note.
        EXPECT_TRUE(f.exported(false).units.empty());
        const rXliffDocument all = f.exported(true);
        ASSERT_EQ(all.units.size(), static_cast<size_t>(first.size()));
        EXPECT_EQ(all.original, QString::fromLatin1(name));
        EXPECT_EQ(all.sourceLanguage, QStringLiteral("en"));
        EXPECT_EQ(all.targetLanguage, QStringLiteral("fr"));
        for (const rXliffUnit& u : all.units) {
            EXPECT_EQ(u.state, TXliffState::newUnit);
            EXPECT_TRUE(u.note.startsWith(QStringLiteral("record "))) << u.note.toStdString();
        }
        const auto greeting = std::find_if(all.units.begin(), all.units.end(), [](const rXliffUnit& u) {
            return u.source == QStringLiteral("Welcome to the Quillery workshop.");
        });
        ASSERT_NE(greeting, all.units.end());
        EXPECT_EQ(greeting->resname, QStringLiteral("sQuillGreeting"));
        EXPECT_TRUE(greeting->note.contains(QStringLiteral("record GMST")));

        // Opened again, the document gives the same ids in the same order.
        ASSERT_TRUE(f.ws.openFileByKind(f.sample(name)));
        EXPECT_EQ(ids(f.ws), first) << name;
    }
}

TEST(XliffExchange, ImportAppliesByIdAsOneUndoStepAndCountsRight) {
    TXliffFixture f;
    ASSERT_TRUE(f.ws.openFileByKind(f.sample("QuillerySample.esp")));
    rXliffDocument d = f.exported(true);
    ASSERT_GE(d.units.size(), 6u);
    const auto entries = xliffEntries(f.ws);
    auto entryOf = [&](const QString& id) {
        for (const auto& [i, e] : entries)
            if (i == id) return e;
        return static_cast<tSkyStr*>(nullptr);
    };
    std::vector<rXliffUnit> units(d.units.begin(), d.units.begin() + 6);
    units[0].target = QStringLiteral("Bienvenue\r\n\tdans l'atelier ");
    units[0].state = TXliffState::final;
    units[1].target = QStringLiteral("Relire <Alias=Player>");
    units[1].state = TXliffState::needsReview;
    units[2].target = QStringLiteral("Traduit");
    units[2].state = TXliffState::none;
    units[3].source += QStringLiteral(" (older text)"); // the plugin changed since the export
    units[3].target = QStringLiteral("Perdu");
    units[4].id = QStringLiteral("deadbeef:FULL:0");
    units[5].state = TXliffState::newUnit; // untouched by the translator
    units[5].target = QStringLiteral("Pas encore");
    const QString before3 = entryOf(units[3].id)->gTrans;
    const QString before5 = entryOf(units[5].id)->gTrans;
    d.units = units;

    rXliffImportCounts counts;
    ASSERT_TRUE(f.import(d, counts));
    EXPECT_EQ(counts.applied, 3);
    EXPECT_EQ(counts.changed, 3);
    EXPECT_EQ(counts.sourceChanged, 1);
    EXPECT_EQ(counts.unknown, 1);
    EXPECT_EQ(counts.notApplied, 1);
    const tSkyStr* e0 = entryOf(units[0].id);
    EXPECT_EQ(e0->gTrans, units[0].target);
    EXPECT_TRUE(e0->hasParam(sStrParam::validated));
    EXPECT_FALSE(e0->hasParam(sStrParam::translated));
    const tSkyStr* e1 = entryOf(units[1].id);
    EXPECT_TRUE(e1->hasParam(sStrParam::incompleteTrans));
    EXPECT_FALSE(e1->hasParam(sStrParam::validated));
    const tSkyStr* e2 = entryOf(units[2].id);
    EXPECT_EQ(e2->gTrans, QStringLiteral("Traduit"));
    EXPECT_TRUE(e2->hasParam(sStrParam::translated));
    EXPECT_EQ(entryOf(units[3].id)->gTrans, before3);
    EXPECT_EQ(entryOf(units[5].id)->gTrans, before5);

    EXPECT_EQ(f.ws.history.stepCount(), 1u);
    EXPECT_EQ(f.ws.history.undoName(), QStringLiteral("Import XLIFF (3 strings)"));
    EXPECT_TRUE(f.ws.hasUnsavedWork());
    // The export now carries the three with their states; importing it again changes nothing and records nothing.
    const rXliffDocument translated = f.exported(false);
    ASSERT_EQ(translated.units.size(), 3u);
    EXPECT_EQ(translated.units[0].state, TXliffState::final);
    EXPECT_EQ(translated.units[1].state, TXliffState::needsReview);
    EXPECT_EQ(translated.units[2].state, TXliffState::translated);
    ASSERT_TRUE(f.import(translated, counts));
    EXPECT_EQ(counts.applied, 3);
    EXPECT_EQ(counts.changed, 0);
    EXPECT_EQ(f.ws.history.stepCount(), 1u);

    ASSERT_TRUE(f.ws.undo());
    EXPECT_FALSE(f.ws.hasUnsavedWork());
    EXPECT_NE(e0->gTrans, units[0].target);
    EXPECT_FALSE(e0->hasParam(sStrParam::validated));
    EXPECT_FALSE(e2->hasParam(sStrParam::translated));
}

TEST(XliffExchange, ABadFileChangesNothing) {
    TXliffFixture f;
    ASSERT_TRUE(f.ws.openFileByKind(f.sample("QuillerySample.esp")));
    rXliffDocument d = f.exported(true);
    for (auto& u : d.units) {
        u.target = QStringLiteral("X");
        u.state = TXliffState::translated;
    }
    d.units.back().id.clear();
    rXliffImportCounts counts;
    EXPECT_FALSE(f.import(d, counts));
    EXPECT_FALSE(importXliffFile(f.ws, f.dir.write(QStringLiteral("bad.xlf"), "not xml at all")));
    EXPECT_FALSE(importXliffFile(f.ws, f.dir.file(QStringLiteral("missing.xlf"))));
    EXPECT_EQ(f.ws.history.stepCount(), 0u);
    EXPECT_FALSE(f.ws.hasUnsavedWork());
    for (const auto& list : f.ws.loadedLists)
        for (const auto& e : list)
            EXPECT_NE(e->gTrans, QStringLiteral("X"));
}
