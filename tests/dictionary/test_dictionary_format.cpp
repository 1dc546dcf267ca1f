// Dictionary files: record layouts of the four versions, the writer byte for byte, both readers' rules, malformed
// files, the sorted batch and the backups.
#include "test_dictionary_support.h"
#include "test_documents.h"

#include "strings/QUILL_backup.h"

#include <QDir>
#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace quilldict;

namespace {

QString readerPath(TDictionaryFixture& f, const QByteArray& bytes) {
    return f.writeUser("t_en_fr.sst", bytes);
}

} // namespace

TEST(DictionaryFormat, WriterProducesExactVersion4Bytes) {
    TDictionaryFixture f;
    TFakePlugin plugin;
    tSkyStr* linked = f.add(0, QStringLiteral("Gun"), QStringLiteral("Fusil"), {sStrParam::translated}, 0x1234);
    trecord* rec = plugin.record("WEAP", 0x0001ABCD, QStringLiteral("MyGun"));
    plugin.link(linked, rec, "FULL", 2, 3);
    tSkyStr* plain = f.add(2, QStringLiteral("A\r\nB"), QStringLiteral("C"),
                           {sStrParam::validated, sStrParam::incompleteTrans, sStrParam::sstrparam5}, 7);

    QByteArray expected("SSU5", 4);
    expected.append('\0');
    binary_out::u8(expected, 0);
    binary_out::u32le(expected, 0x1234);
    binary_out::u32le(expected, 0x0001ABCD);
    expected.append("FULL", 4);
    binary_out::u16le(expected, 2);
    binary_out::u16le(expected, 3);
    binary_out::u32le(expected, textHash(QStringLiteral("MyGun")));
    binary_out::u8(expected, 0x01);
    expected.append(QByteArray::fromHex("06000000470075006e00"));
    expected.append(QByteArray::fromHex("0a00000046007500730069006c00"));
    // The unlinked entry: form id 0, "****", no index, no hash; validated (bit 3) never stored.
    binary_out::u8(expected, 2);
    binary_out::u32le(expected, 7);
    binary_out::u32le(expected, 0);
    expected.append("****", 4);
    binary_out::u16le(expected, 0);
    binary_out::u16le(expected, 0);
    binary_out::u32le(expected, 0);
    binary_out::u8(expected, 0x84);
    appendSizedText(expected, QStringLiteral("A\r\nB"));
    appendSizedText(expected, QStringLiteral("C"));
    (void)plain;

    const QString path = f.userFile(QStringLiteral("w_en_fr.sst"));
    ASSERT_TRUE(writeDictionary(f.ws.app, f.ws.loadedLists, path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toHex(), expected.toHex());
}

TEST(DictionaryFormat, WriterSelectsEntriesByStatusAndRunTimeFlags) {
    TDictionaryFixture f;
    f.add(0, QStringLiteral("none"), QString(), {});
    f.add(0, QStringLiteral("validatedOnly"), QString(), {sStrParam::validated});
    f.add(1, QStringLiteral("partial"), QString(), {sStrParam::incompleteTrans});
    for (auto bit : {sStrInternalParam::isDeleted, sStrInternalParam::Warning, sStrInternalParam::nTrans,
                     sStrInternalParam::pexNoTrans}) {
        tSkyStr* e = f.add(0, QStringLiteral("flagged"), QString(), {sStrParam::translated});
        e->sInternalparams.set(bit);
    }
    std::vector<rDictionaryRecord> records;
    parseDictionary(buildDictionaryFile(f.ws.loadedLists), [&](const rDictionaryRecord& r) { records.push_back(r); });
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].source, QStringLiteral("validatedOnly"));
    EXPECT_EQ(records[0].flags, 0);
    EXPECT_EQ(records[1].source, QStringLiteral("partial"));
    EXPECT_EQ(records[1].listIndex, 1);
}

TEST(DictionaryFormat, EveryVersionsRecordLayoutIsRead) {
    for (int version = 1; version <= 4; ++version) {
        SCOPED_TRACE(version);
        TDictionaryFixture f;
        TRawDictionary raw(version);
        raw.record(1, QStringLiteral("Hello"), QStringLiteral("Bonjour"), bitOf(sStrParam::translated), 0x11223344,
                   0x00AABBCC, "DESC", 5, 6, 0xDEADBEEF);
        raw.record(2, QStringLiteral("Bye"), QStringLiteral("Salut"), bitOf(sStrParam::translated));
        std::vector<rDictionaryRecord> records;
        EXPECT_EQ(parseDictionary(raw.bytes, [&](const rDictionaryRecord& r) { records.push_back(r); }), version);
        ASSERT_EQ(records.size(), 2u);
        const rDictionaryRecord& r = records[0];
        EXPECT_EQ(r.listIndex, 1);
        EXPECT_EQ(r.source, QStringLiteral("Hello"));
        EXPECT_EQ(r.translation, QStringLiteral("Bonjour"));
        EXPECT_EQ(r.stringID, version >= 2 ? 0x11223344u : 0u);
        EXPECT_EQ(r.formID, version >= 2 ? 0x00AABBCCu : 0u);
        EXPECT_EQ(r.fName, version >= 2 ? sHeaderSig('D', 'E', 'S', 'C') : sHeaderSig('0', '0', '0', '0'));
        EXPECT_EQ(r.index, version >= 3 ? 5 : 0);
        EXPECT_EQ(r.indexMax, version >= 4 ? 6 : 0);
        EXPECT_EQ(r.edidHash, version >= 4 ? 0xDEADBEEFu : 0u);
        EXPECT_EQ(records[1].source, QStringLiteral("Bye"));

        // Editing keeps id, form id and signature for version 2 only.
        tListSet lists;
        int counter = 0;
        ASSERT_TRUE(loadDictionaryForEdit(f.ws.app, lists, readerPath(f, raw.bytes), false, 0, 0, counter));
        ASSERT_EQ(lists[1].size(), 1u);
        const tSkyStr& e = *lists[1][0];
        EXPECT_EQ(e.id, version == 2 ? 0x11223344u : 0u);
        EXPECT_EQ(e.esp.formID, version == 2 ? 0x00AABBCCu : 0u);
        EXPECT_EQ(e.esp.fName, version == 2 ? sHeaderSig('D', 'E', 'S', 'C') : sHeaderSig());
        EXPECT_EQ(counter, 2);
    }
}

TEST(DictionaryFormat, ReadersSkipOneCharacterRecordsWithoutTranslation) {
    TDictionaryFixture f;
    TRawDictionary raw(4);
    raw.record(0, QStringLiteral("x"), QString()).record(0, QStringLiteral("y"), QStringLiteral("z"));
    const QString path = readerPath(f, raw.bytes);
    tListSet a, b;
    int n1 = 0, n2 = 0;
    ASSERT_TRUE(loadDictionary(f.ws.app, a, path, {}, n1, nullptr));
    ASSERT_TRUE(loadDictionaryForEdit(f.ws.app, b, path, false, 0, 0, n2));
    for (tListSet* set : {&a, &b}) {
        ASSERT_EQ((*set)[0].size(), 1u);
        EXPECT_EQ((*set)[0][0]->gS, QStringLiteral("y"));
    }
    EXPECT_EQ(n1, 1);
    EXPECT_EQ(n2, 1);
}

TEST(DictionaryFormat, FlagRulesOfBothReaders) {
    TDictionaryFixture f;
    const uint8_t translated = bitOf(sStrParam::translated);
    const uint8_t partial = bitOf(sStrParam::incompleteTrans);
    TRawDictionary raw(4);
    raw.record(0, QStringLiteral("plain"), QStringLiteral("p"), 0)
        .record(0, QStringLiteral("partial"), QStringLiteral("q"), partial)
        .record(0, QStringLiteral("old"), QStringLiteral("r"), bitOf(sStrParam::deprecatedParam1));
    const QString path = readerPath(f, raw.bytes);

    // For the vocabulary: incompleteTrans records are left out; entries carry isCache, the folder id and node.
    tListSet vocab;
    int counter = 0;
    rDictionaryLoad forVocabulary;
    forVocabulary.folderId = 42;
    int marker = 0;
    forVocabulary.node = &marker;
    ASSERT_TRUE(loadDictionary(f.ws.app, vocab, path, forVocabulary, counter, nullptr));
    ASSERT_EQ(vocab[0].size(), 2u);
    for (const auto& e : vocab[0]) {
        EXPECT_TRUE(e->hasFlag(sStrInternalParam::isCache));
        EXPECT_EQ(e->id, 42u);
        EXPECT_EQ(e->pNode, &marker);
        EXPECT_EQ(e->LDResult, 0.0f);
        EXPECT_FALSE(e->hasParam(sStrParam::deprecatedParam1));
    }

    // For application: every record, addFlags unless a record has one of unlessFlags.
    tListSet work;
    rDictionaryLoad forApply;
    forApply.withReferences = true;
    forApply.addFlags = translated;
    forApply.unlessFlags = partial;
    std::vector<tEspStrRef> refs;
    ASSERT_TRUE(loadDictionary(f.ws.app, work, path, forApply, counter, &refs));
    ASSERT_EQ(work[0].size(), 3u);
    EXPECT_EQ(refs.size(), 3u);
    for (const auto& e : work[0]) {
        if (e->gS == QStringLiteral("partial"))
            EXPECT_EQ(e->sparams.bits(), partial);
        else
            EXPECT_TRUE(e->hasParam(sStrParam::translated));
    }

    // The editing reader takes everything in file order with the same rule.
    tListSet edit;
    ASSERT_TRUE(loadDictionaryForEdit(f.ws.app, edit, path, true, translated, partial, counter));
    ASSERT_EQ(edit[0].size(), 3u);
    EXPECT_EQ(edit[0][0]->gS, QStringLiteral("plain"));
    EXPECT_EQ(edit[0][0]->sparams.bits(), translated);
    EXPECT_EQ(edit[0][1]->sparams.bits(), partial);
    EXPECT_TRUE(edit[0][0]->hasFlag(sStrInternalParam::isSourceInitialized));
    EXPECT_FALSE(edit[0][0]->hasFlag(sStrInternalParam::isCache));
}

TEST(DictionaryFormat, ReferencesComeFromVersion4Only) {
    for (int version : {1, 3, 4}) {
        TDictionaryFixture f;
        TRawDictionary raw(version);
        raw.record(0, QStringLiteral("Same"), QStringLiteral("Meme"), 1, 10, 0x100, "FULL", 1, 2, 0x55)
            .record(0, QStringLiteral("Same"), QStringLiteral("Meme"), 1, 11, 0x101, "DESC", 0, 0, 0x66);
        tListSet work;
        std::vector<tEspStrRef> refs;
        int counter = 0;
        rDictionaryLoad options;
        options.withReferences = true;
        ASSERT_TRUE(loadDictionary(f.ws.app, work, readerPath(f, raw.bytes), options, counter, &refs));
        EXPECT_EQ(work[0].size(), 1u);
        EXPECT_EQ(counter, 2);
        if (version != 4) {
            EXPECT_TRUE(refs.empty());
            continue;
        }
        ASSERT_EQ(refs.size(), 2u);
        // Both references point at the one entry that stands for the pair.
        EXPECT_EQ(refs[0].sk, work[0][0].get());
        EXPECT_EQ(refs[1].sk, work[0][0].get());
        EXPECT_EQ(refs[0].stringID, 10u);
        EXPECT_EQ(refs[0].formID, 0x100u);
        EXPECT_EQ(refs[0].formHash, 0x55u);
        EXPECT_EQ(refs[0].fName, sHeaderSig('F', 'U', 'L', 'L'));
        EXPECT_EQ(refs[0].index, 1);
        EXPECT_EQ(refs[0].indexMax, 2);
        EXPECT_EQ(refs[0].sourceHash, 0u);
        EXPECT_EQ(refs[1].fName, sHeaderSig('D', 'E', 'S', 'C'));
    }
}

TEST(DictionaryFormat, EmptyMissingAndForeignFiles) {
    TDictionaryFixture f;
    tListSet lists;
    int counter = 0;
    EXPECT_TRUE(loadDictionary(f.ws.app, lists, readerPath(f, QByteArray("SSU5\0", 5)), {}, counter, nullptr));
    EXPECT_EQ(countListSet(lists), 0);
    EXPECT_FALSE(loadDictionary(f.ws.app, lists, f.userFile(QStringLiteral("none_en_fr.sst")), {}, counter, nullptr));
    EXPECT_FALSE(loadDictionary(f.ws.app, lists, readerPath(f, QByteArray("SST2xxxxxxxx")), {}, counter, nullptr));
    EXPECT_FALSE(loadDictionaryForEdit(f.ws.app, lists, readerPath(f, QByteArray("SSU")), false, 0, 0, counter));
    EXPECT_TRUE(f.host.messages.isEmpty());
    EXPECT_FALSE(f.host.logContains(QStringLiteral("FbK_SSTLoadError")));
}

TEST(DictionaryFormat, MalformedRecordsStopTheReadAndKeepEarlierEntries) {
    TRawDictionary good(4);
    good.record(0, QStringLiteral("first"), QStringLiteral("premier"));
    struct rCase {
        const char* name;
        QByteArray tail;
    };
    QByteArray hugeLength;
    binary_out::u8(hugeLength, 0);
    hugeLength.append(QByteArray(4 + 4 + 4 + 2 + 2 + 4 + 1, '\0'));
    binary_out::u32le(hugeLength, 0x7FFFFFFE); // far beyond the file: never allocated
    QByteArray negative = hugeLength;
    binary_out::patchU32le(negative, negative.size() - 4, 0xFFFFFFF0u);
    TRawDictionary odd(4);
    odd.record(0, QStringLiteral("ab"), QStringLiteral("cd"));
    QByteArray oddTail = odd.bytes.mid(5);
    binary_out::patchU32le(oddTail, 22, 3);
    TRawDictionary badList(4);
    badList.record(3, QStringLiteral("ab"), QStringLiteral("cd"));
    const rCase cases[] = {{"cut short", good.bytes.mid(5).left(20)},
                           {"huge length", hugeLength},
                           {"negative length", negative},
                           {"odd length", oddTail},
                           {"list index 3", badList.bytes.mid(5)}};
    for (const rCase& c : cases) {
        SCOPED_TRACE(c.name);
        TDictionaryFixture f;
        const QString path = readerPath(f, good.bytes + c.tail);
        tListSet lists;
        int counter = 0;
        EXPECT_FALSE(loadDictionary(f.ws.app, lists, path, {}, counter, nullptr));
        ASSERT_EQ(lists[0].size(), 1u);
        EXPECT_EQ(lists[0][0]->gS, QStringLiteral("first"));
        EXPECT_TRUE(f.host.logContains(QStringLiteral("FbK_SSTLoadError")));
        ASSERT_FALSE(f.host.messages.isEmpty());
        EXPECT_EQ(f.host.messages.last().buttons, dbOk);
        tListSet edit;
        EXPECT_FALSE(loadDictionaryForEdit(f.ws.app, edit, path, false, 0, 0, counter));
        EXPECT_EQ(edit[0].size(), 1u);
    }
}

TEST(DictionaryFormat, LoadingTwiceAddsNothingButCountsEveryRecord) {
    TDictionaryFixture f;
    TRawDictionary raw(4);
    raw.record(0, QStringLiteral("b"), QStringLiteral("B")).record(0, QStringLiteral("a"), QStringLiteral("A"));
    const QString path = readerPath(f, raw.bytes);
    tListSet lists;
    int counter = 0;
    ASSERT_TRUE(loadDictionary(f.ws.app, lists, path, {}, counter, nullptr));
    ASSERT_TRUE(loadDictionary(f.ws.app, lists, path, {}, counter, nullptr));
    EXPECT_EQ(lists[0].size(), 2u);
    EXPECT_EQ(counter, 4);
}

// The batch must give exactly what inserting one by one by binary search gives: same order, first one kept.
TEST(DictionaryFormat, SortedBatchEqualsOneByOneSortedInsert) {
    QRandomGenerator rng(7);
    const QStringList words = {QStringLiteral("Apple"), QStringLiteral("apple"), QStringLiteral("Pear"),
                               QStringLiteral("pear"),  QStringLiteral("Fig"),   QStringLiteral("")};
    for (int round = 0; round < 20; ++round) {
        tListSet naive, batched;
        // Some entries already there, as when a dictionary is refreshed into a loaded vocabulary.
        for (int i = 0; i < 5; ++i) {
            auto make = [&](uint32_t id) { return std::make_unique<tSkyStr>(words[i], words[(i + 1) % 6], 0, id, 0); };
            insertSorted(naive[0], skycompare::byDictionaryKey, make(1000 + i));
            insertSorted(batched[0], skycompare::byDictionaryKey, make(1000 + i));
        }
        TSortedBatch batch;
        std::vector<tSkyStr*> naiveStands;
        for (uint32_t i = 0; i < 200; ++i) {
            const QString s = words[rng.bounded(6)], t = words[rng.bounded(6)];
            const int list = rng.bounded(3);
            auto probe = std::make_unique<tSkyStr>(s, t, list, i, 0);
            const rFindResult r = findSorted(naive[list], skycompare::byDictionaryKey, *probe, false);
            if (r.found) {
                naiveStands.push_back(naive[list][r.index].get());
            } else {
                naiveStands.push_back(probe.get());
                naive[list].insert(naive[list].begin() + r.index, std::move(probe));
            }
            batch.add(std::make_unique<tSkyStr>(s, t, list, i, 0));
        }
        batch.mergeInto(batched);
        for (int l = 0; l < 3; ++l) {
            ASSERT_EQ(naive[l].size(), batched[l].size());
            for (size_t i = 0; i < naive[l].size(); ++i)
                EXPECT_EQ(naive[l][i]->id, batched[l][i]->id);
        }
        for (size_t seq = 0; seq < naiveStands.size(); ++seq)
            EXPECT_EQ(batch.standsFor(seq)->id, naiveStands[seq]->id);
    }
}

TEST(DictionaryBackups, KeptToTheCountOldestFirst) {
    TDictionaryFixture f;
    const QString name = QStringLiteral("mymod_en_fr.sst");
    for (const char* stamp : {"2020_01_01_00_00_00", "2021_01_01_00_00_00", "2022_01_01_00_00_00"})
        f.dir.write(QStringLiteral("UserDictionary/Backup/%1.%2").arg(name, QLatin1String(stamp)), "old");
    f.dir.write(QStringLiteral("UserDictionary/Backup/other_en_fr.sst.2019_01_01_00_00_00"), "keep");
    f.writeUser(name, "current");
    ASSERT_TRUE(backupDictionary(f.ws.app, name));
    EXPECT_EQ(fileBytes(f.userFile(name)), "current");
    pruneDictionaryBackups(f.st(), name);
    QDir backups(f.st().dictionaryBackupFolder);
    QStringList left = backups.entryList({name + QStringLiteral(".*")}, QDir::Files, QDir::Name);
    ASSERT_EQ(left.size(), 3);
    EXPECT_TRUE(left[0].endsWith(QLatin1String("2021_01_01_00_00_00")));
    EXPECT_TRUE(backups.exists(QStringLiteral("other_en_fr.sst.2019_01_01_00_00_00")));
    QFile newest(backups.filePath(left[2]));
    ASSERT_TRUE(newest.open(QIODevice::ReadOnly));
    EXPECT_EQ(newest.readAll(), QByteArray("current"));

    // A second backup within the same second is renamed rather than replacing the first.
    f.writeUser(name, "again");
    ASSERT_TRUE(backupDictionary(f.ws.app, name));
    f.st().sstbackupCount = 0;
    pruneDictionaryBackups(f.st(), name);
    EXPECT_TRUE(backups.entryList({name + QStringLiteral(".*")}, QDir::Files).isEmpty());
}

TEST(DictionaryBackups, SaveWritesWholeFileAfterMovingThePreviousOne) {
    TDictionaryFixture f;
    adoptDocument(f.ws, TWorkMode::Esp);
    f.st().currentFileName = QStringLiteral("My.Mod.esp");
    f.add(0, QStringLiteral("Hello"), QStringLiteral("Bonjour"), {sStrParam::translated});
    // The dictionary is named from the whole file name without its extension.
    EXPECT_EQ(documentDictionaryFileName(f.ws), QStringLiteral("my.mod_en_fr.sst"));
    ASSERT_TRUE(f.ws.saveDocumentDictionary());
    ASSERT_TRUE(QFileInfo::exists(f.userFile(QStringLiteral("my.mod_en_fr.sst"))));
    ASSERT_TRUE(f.ws.saveDocumentDictionary());
    EXPECT_EQ(QDir(f.st().dictionaryBackupFolder).entryList(QDir::Files).size(), 1);
    EXPECT_TRUE(f.host.logContains(QStringLiteral("Fbk_Saved")));
    EXPECT_EQ(vocabularyState(f.ws).vocab.dictionariesInUse, QStringList{QStringLiteral("my.mod")});
    // Same languages: nothing to save.
    f.st().DestLang = QStringLiteral("EN");
    EXPECT_FALSE(f.ws.saveDocumentDictionary());
}

TEST(DictionaryBackups, FailedWriteLeavesThePreviousFileAndReports) {
    TDictionaryFixture f;
    f.add(0, QStringLiteral("Hello"), QStringLiteral("Bonjour"), {sStrParam::translated});
    const QString target = f.userFile(QStringLiteral("locked_en_fr.sst"));
    // A folder where the file should go cannot be replaced by a file.
    QDir().mkpath(target);
    EXPECT_FALSE(writeDictionary(f.ws.app, f.ws.loadedLists, target));
    EXPECT_TRUE(QFileInfo(target).isDir());
    EXPECT_FALSE(f.host.messages.isEmpty());
}

TEST(CustomDictionary, SaveAndReopenGivesBackEveryEntry) {
    TDictionaryFixture f;
    ASSERT_TRUE(f.ws.openAs("customDictionary", {}));
    EXPECT_EQ(f.st().WorkMode, TWorkMode::sstEditCustom);
    tSkyStr* a = addCustomEntry(f.ws, 1);
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(a->hasParam(sStrParam::incompleteTrans));
    a->setS(QStringLiteral("Line one\r\nLine two"));
    a->setSTrans(QStringLiteral("Ligne un\r\nLigne deux"));
    tSkyStr* b = addCustomEntry(f.ws, 0);
    b->setS(QStringLiteral("Stimpak"));
    b->setSTrans(QStringLiteral("Stimpak"));
    b->sparams = {sStrParam::validated};
    tSkyStr* c = addCustomEntry(f.ws, 2);
    c->setS(QStringLiteral("Note"));
    c->setSTrans(QStringLiteral("Nota"));
    c->sparams = {sStrParam::translated, sStrParam::sstrparam4};
    ASSERT_TRUE(f.ws.saveCustomDictionary());
    EXPECT_TRUE(QFileInfo::exists(f.userFile(QStringLiteral("_userCustomDictionary_en_fr.sst"))));

    f.st().dictionaryModified = false;
    ASSERT_TRUE(f.ws.openAs("customDictionary", {}));
    ASSERT_EQ(f.ws.loadedLists[1].size(), 1u);
    ASSERT_EQ(f.ws.loadedLists[0].size(), 1u);
    ASSERT_EQ(f.ws.loadedLists[2].size(), 1u);
    EXPECT_EQ(f.ws.loadedLists[1][0]->gTrans, QStringLiteral("Ligne un\r\nLigne deux"));
    EXPECT_EQ(f.ws.loadedLists[1][0]->sparams.bits(), bitOf(sStrParam::incompleteTrans));
    // validated is not stored; translated is added to entries that are not incompleteTrans.
    EXPECT_EQ(f.ws.loadedLists[0][0]->sparams.bits(), bitOf(sStrParam::translated));
    EXPECT_EQ(f.ws.loadedLists[2][0]->sparams.bits(), bitOf(sStrParam::translated) | bitOf(sStrParam::sstrparam4));
    EXPECT_EQ(addCustomEntry(f.ws, 3), nullptr);
}
