// The recovery journal: work dropped without saving comes back on reopen, field for field; a torn or foreign journal
// never spoils an open; saving, "No" and a clean close leave no journal.
#include "plugin_samples.h"
#include "scripted_host.h"
#include "temp_program_dir.h"

#include "core/QUILL_startup.h"
#include "workspace/QUILL_journal.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsScript.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <map>

namespace {

using tStates = std::map<QString, rEntryState>;

// Every entry of the open document by its identity.
tStates statesById(const TWorkspace& ws) {
    tStates out;
    for (const auto& list : ws.loadedLists)
        for (const auto& e : list)
            out.emplace(entryIdentity(ws, *e).toText(), rEntryState::of(*e));
    for (const auto& e : ws.sharedIdList)
        out.emplace(entryIdentity(ws, *e).toText(), rEntryState::of(*e));
    return out;
}

void expectSameStates(const tStates& now, const tStates& expected, const std::string& when) {
    ASSERT_EQ(now.size(), expected.size()) << when;
    for (const auto& [id, state] : expected) {
        const auto it = now.find(id);
        ASSERT_NE(it, now.end()) << when << ' ' << id.toStdString();
        const rEntryState& a = it->second;
        EXPECT_EQ(a.translation, state.translation) << when << ' ' << id.toStdString();
        EXPECT_EQ(a.translationHash, state.translationHash) << when << ' ' << id.toStdString();
        EXPECT_EQ(a.status.bits(), state.status.bits()) << when << ' ' << id.toStdString();
        EXPECT_EQ(a.flags.bits(), state.flags.bits()) << when << ' ' << id.toStdString();
        EXPECT_EQ(a.LDResult, state.LDResult) << when << ' ' << id.toStdString();
        EXPECT_EQ(a.LDFound, state.LDFound) << when << ' ' << id.toStdString();
    }
}

// One window's life: a workspace that journals, as the window makes it, over a shared program folder.
struct TSession {
    TScriptedHost host;
    TWorkspace ws{&host};

    explicit TSession(const QString& programDir) {
        startApplication(ws.app, programDir);
        ws.state().quillexpertMode = true;
        ws.journal = std::make_unique<TJournalWriter>();
        ws.recovery = TRecoveryUse::ask;
    }
    QList<tSkyStr*> entries(int list, int first, int count) {
        QList<tSkyStr*> out;
        for (int i = first; i < first + count; ++i)
            out << ws.loadedLists[list][i].get();
        return out;
    }
    // Types a translation as the edit dialog stores it: one step.
    void type(tSkyStr* e, const QString& text) {
        TEntryCommand command(ws, QStringLiteral("Step_Validate"), {e});
        e->setSTrans(text);
        e->resetStatus({sStrParam::translated, sStrParam::validated}, {sStrParam::incompleteTrans});
        e->LDResult = 12.5f;
        e->LDFound = 3;
        command.finish();
    }
    int asked(const QString& part) const {
        int n = 0;
        for (const auto& m : host.messages)
            n += m.text.contains(part) ? 1 : 0;
        return n;
    }
};

struct TJournalFixture : ::testing::Test {
    TTempProgramDir dir;
    QString plugin;
    QString localized;

    void SetUp() override {
        writePluginSamples(dir.file(QStringLiteral("Data")));
        plugin = dir.file(QStringLiteral("Data/QuillerySample.esp"));
        localized = dir.file(QStringLiteral("Data/QuillerySampleLocalized.esp"));
    }
    QString recoveryFolder() const { return dir.file(QStringLiteral("UserDictionary/Recovery")); }
    QStringList journals(const QString& sub = QString()) const {
        return QDir(recoveryFolder() + sub).entryList({QStringLiteral("*.journal")}, QDir::Files);
    }
    // Commands of every kind on the sample plugin, left unsaved; returns the states they leave and the journal.
    tStates workThenCrash(QString* journalPath = nullptr) {
        TSession s(dir.path());
        EXPECT_TRUE(s.ws.openFileByKind(plugin));
        s.type(s.ws.loadedLists[0][0].get(), QStringLiteral("Bienvenue à l'atelier « Quillery »."));
        s.type(s.ws.loadedLists[0][1].get(), QStringLiteral("Ligne\r\navec retour"));
        s.ws.validateEntries(s.entries(0, 2, 3));
        s.ws.markEntriesPartial(s.entries(0, 3, 2));
        EXPECT_TRUE(s.ws.undo());
        EXPECT_TRUE(s.ws.undo());
        EXPECT_TRUE(s.ws.redo());
        s.ws.resetEntries(s.entries(0, 0, 1));
        EXPECT_TRUE(s.ws.undo());
        if (s.ws.loadedLists[1].size() > 0) s.type(s.ws.loadedLists[1][0].get(), QStringLiteral("Dialogue traduit"));
        s.ws.validateAll();
        EXPECT_TRUE(s.ws.undo()); // the last record is an undo of a step over every entry
        s.ws.journal->waitIdle();
        const QString error = s.ws.journal->takeError();
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        if (journalPath) *journalPath = s.ws.journal->path();
        // A crash leaves the file as written so far: the writer is idle, and nothing after this touches the file.
        tStates states = statesById(s.ws);
        s.ws.journal.reset();
        return states;
    }
};

} // namespace

TEST_F(TJournalFixture, ReopeningAfterACrashRestoresEveryChangeAsOneUnsavedStep) {
    QString path;
    const tStates expected = workThenCrash(&path);
    ASSERT_TRUE(QFileInfo::exists(path));

    TSession s(dir.path());
    const tStates original = [&] {
        TScriptedHost quiet;
        TWorkspace plain(&quiet);
        startApplication(plain.app, dir.path());
        EXPECT_TRUE(plain.openFileByKind(plugin));
        return statesById(plain);
    }();
    ASSERT_NE(original.size(), 0u);
    s.host.answers.enqueue(drYes);
    ASSERT_TRUE(s.ws.openFileByKind(plugin));
    EXPECT_EQ(s.asked(QStringLiteral("not saved on")), 1);
    expectSameStates(statesById(s.ws), expected, "restored");
    EXPECT_TRUE(s.ws.hasUnsavedWork());
    // One step takes the whole restore back.
    EXPECT_EQ(s.ws.history.stepCount(), 1u);
    ASSERT_TRUE(s.ws.undo());
    expectSameStates(statesById(s.ws), original, "restore undone");
    EXPECT_FALSE(s.ws.hasUnsavedWork());
    ASSERT_TRUE(s.ws.redo());
    // The restored work is journalled again, so a second crash loses nothing either.
    s.ws.journal->waitIdle();
    rJournalContents contents;
    ASSERT_TRUE(readJournal(fileBytes(path), contents));
    EXPECT_EQ(contents.records.size(), 3u); // the restore, its undo, its redo
}

TEST_F(TJournalFixture, AJournalCutAnywhereInItsLastRecordRestoresTheRecordsBefore) {
    QString path;
    {
        TSession s(dir.path());
        ASSERT_TRUE(s.ws.openFileByKind(plugin));
        s.type(s.ws.loadedLists[0][0].get(), QStringLiteral("Premier"));
        s.type(s.ws.loadedLists[0][1].get(), QStringLiteral("Deuxième"));
        s.ws.journal->waitIdle();
        path = s.ws.journal->path();
        s.type(s.ws.loadedLists[0][2].get(), QStringLiteral("Troisième, perdu"));
        s.ws.journal->waitIdle();
        s.ws.journal.reset();
    }
    const QByteArray whole = fileBytes(path);
    rJournalContents contents;
    ASSERT_TRUE(readJournal(whole, contents));
    ASSERT_EQ(contents.records.size(), 3u);
    // Where the last record starts: the journal of the first two records re-encoded.
    QByteArray firstTwo = encodeJournalHeader(contents.header);
    appendJournalRecord(firstTwo, contents.records[0]);
    appendJournalRecord(firstTwo, contents.records[1]);
    ASSERT_TRUE(whole.startsWith(firstTwo));

    for (qsizetype cut = firstTwo.size(); cut < whole.size(); ++cut) {
        ASSERT_TRUE(QFile::remove(path) || !QFileInfo::exists(path));
        dir.write(QDir(dir.path()).relativeFilePath(path), whole.left(cut));
        TSession s(dir.path());
        ASSERT_TRUE(s.ws.openFileByKind(plugin)) << cut;
        EXPECT_EQ(s.asked(QStringLiteral("Restore the 2 changes")), 1) << cut;
        EXPECT_EQ(s.ws.loadedLists[0][0]->gTrans, QStringLiteral("Premier")) << cut;
        EXPECT_EQ(s.ws.loadedLists[0][1]->gTrans, QStringLiteral("Deuxième")) << cut;
        EXPECT_NE(s.ws.loadedLists[0][2]->gTrans, QStringLiteral("Troisième, perdu")) << cut;
        s.ws.journal->waitIdle();
    }
    // A damaged byte inside the last record is caught by its checksum.
    QByteArray flipped = whole;
    flipped[whole.size() - 3] = static_cast<char>(flipped[whole.size() - 3] ^ 0x20);
    ASSERT_TRUE(readJournal(flipped, contents));
    EXPECT_EQ(contents.records.size(), 2u);
    // A header cut short is no journal at all, and the open goes on without a question.
    for (qsizetype cut : {qsizetype(0), qsizetype(7), qsizetype(12), qsizetype(20)}) {
        QFile::remove(path);
        dir.write(QDir(dir.path()).relativeFilePath(path), whole.left(cut));
        TSession s(dir.path());
        ASSERT_TRUE(s.ws.openFileByKind(plugin)) << cut;
        EXPECT_TRUE(s.host.messages.isEmpty()) << cut;
        EXPECT_FALSE(s.ws.hasUnsavedWork());
    }
}

TEST_F(TJournalFixture, AJournalOfAnotherDocumentOrOtherLanguagesIsNotOffered) {
    QString path;
    workThenCrash(&path);
    const QByteArray bytes = fileBytes(path);

    // The same plugin read with another destination language has a journal of its own (none yet).
    {
        TSession s(dir.path());
        s.ws.state().DestLang = QStringLiteral("de");
        ASSERT_TRUE(s.ws.openFileByKind(plugin));
        EXPECT_TRUE(s.host.messages.isEmpty());
    }
    // The plugin's journal put where the localized copy's would be is recognised as not its own and left alone.
    QString otherPath;
    {
        TSession s(dir.path());
        ASSERT_TRUE(s.ws.openFileByKind(localized));
        otherPath = journalPathFor(s.ws);
    }
    ASSERT_NE(otherPath, path);
    dir.write(QDir(dir.path()).relativeFilePath(otherPath), bytes);
    {
        TSession s(dir.path());
        ASSERT_TRUE(s.ws.openFileByKind(localized));
        EXPECT_EQ(s.asked(QStringLiteral("not saved on")), 0);
        EXPECT_FALSE(s.ws.hasUnsavedWork());
    }
    EXPECT_EQ(fileBytes(otherPath), bytes);
    // The command line leaves journals alone unless asked to recover.
    {
        TScriptedHost host;
        TWorkspace ws(&host);
        startApplication(ws.app, dir.path());
        ASSERT_TRUE(ws.openFileByKind(plugin));
        EXPECT_TRUE(host.messages.isEmpty());
        EXPECT_FALSE(ws.hasUnsavedWork());
    }
    EXPECT_EQ(fileBytes(path), bytes);
}

TEST_F(TJournalFixture, SavingNoAndACleanCloseEndTheJournalAndNoDiscardsIt) {
    // Saving the dictionary ends it.
    {
        TSession s(dir.path());
        ASSERT_TRUE(s.ws.openFileByKind(plugin));
        s.type(s.ws.loadedLists[0][0].get(), QStringLiteral("Enregistré"));
        s.ws.journal->waitIdle();
        EXPECT_EQ(journals().size(), 1);
        ASSERT_TRUE(s.ws.saveDocumentDictionary());
        s.ws.journal->waitIdle();
        EXPECT_TRUE(journals().isEmpty());
        // A step after the save starts a new one, which a save of the document ends too.
        s.type(s.ws.loadedLists[0][1].get(), QStringLiteral("Encore"));
        s.ws.journal->waitIdle();
        EXPECT_EQ(journals().size(), 1);
        ASSERT_TRUE(s.ws.saveDocument(true, dir.file(QStringLiteral("Out/QuillerySample.esp"))));
        s.ws.journal->waitIdle();
        EXPECT_TRUE(journals().isEmpty());
    }
    // "No" to the unsaved-work question ends it.
    {
        TSession s(dir.path());
        ASSERT_TRUE(s.ws.openFileByKind(plugin));
        s.type(s.ws.loadedLists[0][2].get(), QStringLiteral("Abandonné"));
        s.host.answers.enqueue(drNo);
        ASSERT_TRUE(s.ws.closeAll());
        s.ws.journal->waitIdle();
        EXPECT_TRUE(journals().isEmpty());
    }
    // Work undone back to the saved point leaves nothing on a normal close.
    {
        TSession s(dir.path());
        ASSERT_TRUE(s.ws.openFileByKind(plugin));
        s.type(s.ws.loadedLists[0][2].get(), QStringLiteral("Repris"));
        ASSERT_TRUE(s.ws.undo());
        s.ws.journal->waitIdle();
        EXPECT_EQ(journals().size(), 1);
    }
    EXPECT_TRUE(journals().isEmpty());
    // "No" to the restore question moves the journal to Discarded/ and the open goes on as it was.
    workThenCrash();
    ASSERT_EQ(journals().size(), 1);
    {
        TSession s(dir.path());
        s.host.answers.enqueue(drNo);
        ASSERT_TRUE(s.ws.openFileByKind(plugin));
        EXPECT_EQ(s.asked(QStringLiteral("not saved on")), 1);
        EXPECT_FALSE(s.ws.hasUnsavedWork());
        EXPECT_TRUE(journals().isEmpty());
        EXPECT_EQ(journals(QStringLiteral("/Discarded")).size(), 1);
    }
    // Nothing is asked again.
    TSession again(dir.path());
    ASSERT_TRUE(again.ws.openFileByKind(plugin));
    EXPECT_TRUE(again.host.messages.isEmpty());
}

TEST_F(TJournalFixture, AChangedFileIsOfferedWithAWarningAndMissingEntriesAreSkipped) {
    QString path;
    const tStates expected = workThenCrash(&path);
    rJournalContents contents;
    ASSERT_TRUE(readJournal(fileBytes(path), contents));
    // A step naming a field the plugin does not have, then one naming a real entry.
    rJournalRecord extra;
    rJournalChange ghost = contents.records.front().changes.front();
    ghost.entry.number = 0x0DEADBEF;
    ghost.state.translation = QStringLiteral("fantôme");
    extra.changes.push_back(ghost);
    QByteArray bytes = fileBytes(path);
    appendJournalRecord(bytes, extra);
    QFile::remove(path);
    dir.write(QDir(dir.path()).relativeFilePath(path), bytes);
    // The plugin is touched after the journal was written.
    {
        QFile file(plugin);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTimeUtc().addDays(1), QFileDevice::FileModificationTime));
    }
    TSession s(dir.path());
    ASSERT_TRUE(s.ws.openFileByKind(plugin));
    EXPECT_EQ(s.asked(QStringLiteral("changed on disk")), 1);
    EXPECT_EQ(s.asked(QStringLiteral("no longer has")), 1);
    EXPECT_TRUE(s.host.logContains(QStringLiteral("1 restored changes")));
    expectSameStates(statesById(s.ws), expected, "with a missing entry");
}

// A journal is read as a stream, and only when its size is one the document's work could make: a 3 GB file at the
// journal's path (sparse here) is set aside unread, with a message. A symbolic link at the path is never followed: the
// journal it leads to is not offered, and the window's next step replaces the link instead of writing through it.
TEST_F(TJournalFixture, AHugeOrLinkedJournalIsNeitherReadNorWrittenThrough) {
    QString path;
    workThenCrash(&path);
    const QByteArray real = fileBytes(path);
    {
        QFile huge(path);
        ASSERT_TRUE(huge.open(QIODevice::ReadWrite));
        ASSERT_TRUE(huge.resize(qint64(3) << 30));
    }
    {
        TSession s(dir.path());
        ASSERT_TRUE(s.ws.openFileByKind(plugin));
        EXPECT_EQ(s.asked(QStringLiteral("not saved on")), 0);
        EXPECT_TRUE(s.host.logContains(QStringLiteral("far more than the work")))
            << s.host.log.join('\n').toStdString();
        EXPECT_FALSE(QFileInfo::exists(path));
        EXPECT_EQ(journals(QStringLiteral("/Discarded")).size(), 1);
    }
    const QString elsewhere = dir.write(QStringLiteral("elsewhere.journal"), real);
    ASSERT_TRUE(QFile::link(elsewhere, path));
    {
        TSession s(dir.path());
        ASSERT_TRUE(s.ws.openFileByKind(plugin));
        EXPECT_EQ(s.asked(QStringLiteral("not saved on")), 0);
        EXPECT_TRUE(s.host.logContains(QStringLiteral("is a symbolic link"))) << s.host.log.join('\n').toStdString();
        s.type(s.ws.loadedLists[0][0].get(), QStringLiteral("Changed"));
        s.ws.journal->waitIdle();
        EXPECT_TRUE(s.ws.journal->takeError().isEmpty());
        s.type(s.ws.loadedLists[0][1].get(), QStringLiteral("Appended"));
        s.ws.journal->waitIdle();
    }
    EXPECT_EQ(fileBytes(elsewhere), real);
    EXPECT_FALSE(QFileInfo(path).isSymLink());
    rJournalContents contents;
    ASSERT_TRUE(readJournal(fileBytes(path), contents));
    EXPECT_EQ(contents.records.size(), 2u);
}

TEST(Journal, IdentitiesNameEntriesByWhatSurvivesAReopen) {
    TScriptedHost host;
    TWorkspace ws(&host);
    auto menu = std::make_unique<TMenuDocument>();
    menu->menuKeys = {QStringLiteral("$A"), QStringLiteral("$B"), QStringLiteral("$A")};
    ws.document = std::move(menu);
    tSkyStr first(QStringLiteral("a"), {}, 0, 0, 0);
    tSkyStr again(QStringLiteral("a"), {}, 0, 2, 0);
    EXPECT_EQ(entryIdentity(ws, first).toText(), QStringLiteral("M:$A"));
    EXPECT_EQ(entryIdentity(ws, again).toText(), QStringLiteral("M:$A#1"));
    EXPECT_FALSE(entryIdentity(ws, first) == entryIdentity(ws, again));
    ws.document.reset();
    tSkyStr table(QStringLiteral("t"), {}, 2, 0x2a, 0);
    EXPECT_EQ(entryIdentity(ws, table).toText(), QStringLiteral("L2:0000002a"));

    // Every field of a record survives the file format, whatever its identity.
    rJournalHeader header{QStringLiteral("C:/Mods/Été.esp"),
                          QStringLiteral("plugin"),
                          1234,
                          -5,
                          QStringLiteral("en"),
                          QStringLiteral("fr"),
                          4};
    rJournalRecord record;
    record.kind = TJournalStepKind::undo;
    record.time = 1'700'000'000'123;
    rJournalChange a{entryIdentity(ws, table), {}};
    a.state.translation = QStringLiteral("é\r\n\u4e2d");
    a.state.translationHash = 0xCAFEBABE;
    a.state.status = sStrParams::fromBits(0x8D);
    a.state.flags = sStrInternalParams::fromBits(0x1FFFFF);
    a.state.LDResult = -0.25f;
    a.state.LDFound = -7;
    rJournalChange b{{rEntryIdentity::TKind::pluginField, 1, 0x01000800, sHeaderSig('F', 'U', 'L', 'L'), 3, {}}, {}};
    rJournalChange c{{rEntryIdentity::TKind::menuKey, 0, 1, {}, 0, QStringLiteral("$Key")}, {}, false};
    record.changes = {a, b, c};
    QByteArray bytes = encodeJournalHeader(header);
    appendJournalRecord(bytes, record);
    appendJournalRecord(bytes, {});
    rJournalContents read;
    ASSERT_TRUE(readJournal(bytes, read));
    EXPECT_EQ(read.header.documentPath, header.documentPath);
    EXPECT_EQ(read.header.documentSize, 1234);
    EXPECT_EQ(read.header.documentTime, -5);
    EXPECT_EQ(read.header.destLang, QStringLiteral("fr"));
    EXPECT_EQ(read.header.workMode, 4);
    ASSERT_EQ(read.records.size(), 2u);
    EXPECT_EQ(read.records[0].kind, TJournalStepKind::undo);
    EXPECT_EQ(read.records[0].time, record.time);
    ASSERT_EQ(read.records[0].changes.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(read.records[0].changes[i].entry == record.changes[i].entry) << i;
        EXPECT_TRUE(read.records[0].changes[i].state == record.changes[i].state) << i;
        EXPECT_EQ(read.records[0].changes[i].hasTranslation, record.changes[i].hasTranslation) << i;
    }
    EXPECT_TRUE(read.records[1].changes.empty());
    // Re-encoding what was read gives the same bytes.
    QByteArray again2 = encodeJournalHeader(read.header);
    for (const rJournalRecord& r : read.records)
        appendJournalRecord(again2, r);
    EXPECT_EQ(again2, bytes);
    // Another magic or version is no journal.
    QByteArray other = bytes;
    other[8] = 2;
    EXPECT_FALSE(readJournal(other, read));
    EXPECT_FALSE(readJournal(bytes.left(8), read));
}

// Two windows on one document: the second neither offers the first's live journal nor writes over it; once the first
// is gone (closed, or dead and its lock stale) the journal is the second's to offer.
TEST_F(TJournalFixture, ASecondWindowOnTheSameDocumentLeavesTheFirstsJournalAlone) {
    TSession first(dir.path());
    ASSERT_TRUE(first.ws.openFileByKind(plugin));
    first.type(first.ws.loadedLists[0][0].get(), QStringLiteral("Premier"));
    first.ws.journal->waitIdle();
    const QString path = first.ws.journal->path();
    const QByteArray written = fileBytes(path);
    ASSERT_FALSE(written.isEmpty());
    {
        TSession second(dir.path());
        ASSERT_TRUE(second.ws.openFileByKind(plugin));
        EXPECT_EQ(second.asked(QStringLiteral("not saved on")), 0);
        EXPECT_EQ(second.asked(QStringLiteral("another Quillery window")), 1);
        second.type(second.ws.loadedLists[0][1].get(), QStringLiteral("Second"));
        second.ws.journal->waitIdle();
        EXPECT_EQ(fileBytes(path), written);
    }
    EXPECT_EQ(fileBytes(path), written); // the second window's close touched nothing either
    // The first window dies: its lock goes with it, and the next window offers its work.
    first.ws.journal.reset();
    TSession third(dir.path());
    third.host.answers.enqueue(drYes);
    ASSERT_TRUE(third.ws.openFileByKind(plugin));
    EXPECT_EQ(third.asked(QStringLiteral("not saved on")), 1);
    EXPECT_EQ(third.ws.loadedLists[0][0]->gTrans, QStringLiteral("Premier"));
}
