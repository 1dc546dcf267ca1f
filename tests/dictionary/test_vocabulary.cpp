// The vocabulary: scanning, ids from the load order, check boxes and locks, loading with priorities and nTrans,
// caches, refreshing after a save, the one-word list.
#include "dictionary/QUILL_vocabulary.h"
#include "test_dictionary_support.h"
#include "test_documents.h"

#include <gtest/gtest.h>

namespace {

QByteArray cacheBytes(const std::vector<std::tuple<int, QString, QString>>& pairs) {
    QByteArray out("SST2");
    for (const auto& [list, s, t] : pairs) {
        binary_out::u8(out, static_cast<uint8_t>(list));
        quilldict::appendSizedText(out, s);
        quilldict::appendSizedText(out, t);
    }
    return out;
}

QByteArray dictBytes(const std::vector<std::tuple<int, QString, QString>>& pairs, uint8_t flags = 1) {
    TRawDictionary raw(4);
    for (const auto& [list, s, t] : pairs)
        raw.record(static_cast<uint8_t>(list), s, t, flags);
    return raw.bytes;
}

rVocabularyNode* node(TDictionaryFixture& f, const QString& key) {
    for (auto& n : vocabularyState(f.ws).vocab.nodes)
        if (n.folder->getAuthName() == key) return &n;
    return nullptr;
}

QStringList viewKeys(TDictionaryFixture& f) {
    QStringList keys;
    for (auto& n : vocabularyState(f.ws).vocab.nodes)
        keys << n.folder->getAuthName();
    return keys;
}

} // namespace

TEST(Vocabulary, ScanListsThePairsFilesWithIdsFromTheLoadOrder) {
    TDictionaryFixture f;
    f.writeUser(QStringLiteral("Alpha_EN_FR.sst"), dictBytes({{0, "a", "b"}}));
    f.writeUser(QStringLiteral("beta_en_fr.sst"), QByteArray("SSU5"));
    f.writeUser(QStringLiteral("gamma_en_de.sst"), dictBytes({{0, "a", "b"}}));
    f.writeCache(QStringLiteral("fallout4_en_fr.cache"), cacheBytes({{0, "a", "b"}}));
    f.st().loadOrder = {QStringLiteral("fallout4"), QStringLiteral("sst_beta")};
    f.st().cacheDisabledList = {QStringLiteral("sst_beta")};
    f.st().SourceLang = QStringLiteral("EN");
    scanVocabulary(f.ws);
    EXPECT_EQ(f.st().SourceLang, QStringLiteral("en"));
    EXPECT_EQ(viewKeys(f), (QStringList{"fallout4", "sst_beta", "sst_alpha"}));
    EXPECT_EQ(f.st().loadOrder, (QStringList{"fallout4", "sst_beta", "sst_alpha"}));
    EXPECT_EQ(node(f, "sst_alpha")->folder->id, 2);
    EXPECT_FALSE(node(f, "sst_beta")->checked);
    EXPECT_TRUE(node(f, "sst_beta")->folder->fparams.has(sFdrParam::fdrEmpty));
    EXPECT_TRUE(node(f, "sst_alpha")->checked);
    EXPECT_FALSE(node(f, "fallout4")->isDictionary());
}

TEST(Vocabulary, IdenticalPairIsStoredOnceUnderTheEarlierEntryAndExactPassFollowsPriority) {
    TDictionaryFixture f;
    f.writeUser(QStringLiteral("a_en_fr.sst"), dictBytes({{0, "Hello", "Bonjour"}, {0, "Door", "Porte"}}));
    f.writeUser(QStringLiteral("b_en_fr.sst"), dictBytes({{0, "Hello", "Salut"}, {0, "Hello", "Bonjour"}}));
    f.writeCache(QStringLiteral("base_en_fr.cache"), cacheBytes({{0, "Door", "Porte"}, {1, "Door", "Porte"}}));
    f.st().loadOrder = {QStringLiteral("sst_a"), QStringLiteral("sst_b"), QStringLiteral("base")};
    loadVocabulary(f.ws);
    const tSkyStrList& list = f.ws.vocabularyLists[0];
    ASSERT_EQ(list.size(), 3u);
    int hellos = 0;
    for (const auto& e : list) {
        EXPECT_TRUE(e->hasFlag(sStrInternalParam::isCache));
        if (e->gS == QStringLiteral("Hello")) {
            ++hellos;
            EXPECT_TRUE(e->hasFlag(sStrInternalParam::nTrans));
            EXPECT_EQ(e->id, e->gTrans == QStringLiteral("Bonjour") ? 0u : 1u);
        } else {
            EXPECT_EQ(e->id, 0u); // the cache's identical pair is kept under dictionary a
            EXPECT_FALSE(e->hasFlag(sStrInternalParam::nTrans));
        }
    }
    EXPECT_EQ(hellos, 2);
    EXPECT_EQ(f.ws.vocabularyLists[1].size(), 1u);
    EXPECT_EQ(node(f, "sst_a")->folder->count, 2);
    EXPECT_EQ(node(f, "sst_b")->folder->count, 2);
    EXPECT_TRUE(node(f, "base")->folder->fparams.has(sFdrParam::fdrLoaded));
    EXPECT_TRUE(vocabularyState(f.ws).vocab.loaded);

    adoptDocument(f.ws, TWorkMode::Strings);
    tSkyStr* hello = f.add(0, QStringLiteral("Hello"));
    tSkyStr* door = f.add(0, QStringLiteral("Door"));
    exactTranslation(f.ws, tStringPredicate::all, false);
    EXPECT_EQ(hello->gTrans, QStringLiteral("Bonjour"));
    EXPECT_TRUE(hello->hasFlag(sStrInternalParam::nTrans));
    EXPECT_TRUE(hello->hasParam(sStrParam::incompleteTrans));
    EXPECT_FALSE(hello->hasParam(sStrParam::translated));
    EXPECT_EQ(door->gTrans, QStringLiteral("Porte"));
    EXPECT_EQ(door->sparams.bits(), bitOf(sStrParam::translated));

    // In the other order b holds both pairs and a's identical pair is dropped.
    f.st().loadOrder = {QStringLiteral("sst_b"), QStringLiteral("sst_a"), QStringLiteral("base")};
    loadVocabulary(f.ws);
    for (const auto& e : f.ws.vocabularyLists[0])
        EXPECT_EQ(e->id, e->gS == QStringLiteral("Hello") ? 0u : 1u) << e->gS.toStdString();
}

TEST(Vocabulary, LockedNodesRefuseCheckChanges) {
    TDictionaryFixture f;
    f.writeUser(QStringLiteral("a_en_fr.sst"), dictBytes({{0, "x1", "y"}}));
    f.writeUser(QStringLiteral("b_en_fr.sst"), dictBytes({{0, "x2", "y"}}));
    scanVocabulary(f.ws);
    TVocabulary& v = vocabularyState(f.ws).vocab;
    rVocabularyNode* a = node(f, "sst_a");
    a->folder->fparams.set(sFdrParam::fdrLocked);
    EXPECT_FALSE(v.setChecked(*a, false, f.st()));
    v.setAllChecked(false, f.st());
    EXPECT_TRUE(a->checked);
    EXPECT_FALSE(node(f, "sst_b")->checked);
    EXPECT_EQ(f.st().cacheDisabledList, QStringList{QStringLiteral("sst_b")});
    v.setAllChecked(true, f.st());
    EXPECT_TRUE(f.st().cacheDisabledList.isEmpty());
}

TEST(Vocabulary, UncheckedEntriesStayOutAfterReload) {
    TDictionaryFixture f;
    f.writeUser(QStringLiteral("a_en_fr.sst"), dictBytes({{0, "Hello", "Bonjour"}}));
    f.writeCache(QStringLiteral("base_en_fr.cache"), cacheBytes({{0, "Door", "Porte"}}));
    loadVocabulary(f.ws);
    ASSERT_EQ(f.ws.vocabularyLists[0].size(), 2u);
    TVocabulary& v = vocabularyState(f.ws).vocab;
    v.setChecked(*node(f, "base"), false, f.st());
    EXPECT_TRUE(f.st().cacheDisabledList.contains(QStringLiteral("base")));
    loadVocabulary(f.ws);
    ASSERT_EQ(f.ws.vocabularyLists[0].size(), 1u);
    EXPECT_EQ(f.ws.vocabularyLists[0][0]->gS, QStringLiteral("Hello"));
    EXPECT_FALSE(node(f, "base")->checked);
}

TEST(Vocabulary, CacheRecordsAndFaults) {
    TDictionaryFixture f;
    QByteArray bad = cacheBytes({{0, "Kept", "Garde"}, {2, "x", ""}, {1, "y", "z"}});
    bad.append('\x05'); // list index 5
    bad.append(QByteArray(8, '\0'));
    f.writeCache(QStringLiteral("broken_en_fr.cache"), bad);
    f.writeUser(QStringLiteral("bad_en_fr.sst"), QByteArray("SSU5\0\0\0\0", 8));
    loadVocabulary(f.ws);
    EXPECT_TRUE(f.host.logContains(QStringLiteral("FbK_CacheLoadError")));
    EXPECT_TRUE(f.host.logContains(QStringLiteral("FbK_SSTLoadError")));
    EXPECT_FALSE(node(f, "broken")->checked);
    EXPECT_FALSE(node(f, "sst_bad")->checked);
    // Records before the fault stay; the one-character record without translation is not loaded.
    EXPECT_EQ(f.ws.vocabularyLists[0].size(), 1u);
    EXPECT_EQ(f.ws.vocabularyLists[1].size(), 1u);
    EXPECT_TRUE(f.ws.vocabularyLists[2].empty());
    EXPECT_EQ(node(f, "broken")->folder->count, 2);
}

TEST(Vocabulary, SortAndMoveRebuildTheLoadOrder) {
    TDictionaryFixture f;
    for (const char* name : {"zeta", "Alpha"})
        f.writeUser(QStringLiteral("%1_en_fr.sst").arg(name), "SSU5");
    f.writeCache(QStringLiteral("beta_en_fr.cache"), "SST2");
    f.st().loadOrder = {QStringLiteral("beta"), QStringLiteral("sst_zeta")};
    scanVocabulary(f.ws);
    TVocabulary& v = vocabularyState(f.ws).vocab;
    EXPECT_EQ(viewKeys(f), (QStringList{"beta", "sst_zeta", "sst_alpha"}));
    v.sortByName(f.st());
    EXPECT_EQ(f.st().loadOrder, (QStringList{"sst_alpha", "sst_zeta", "beta"}));
    v.moveNode(2, 0, f.st());
    EXPECT_EQ(f.st().loadOrder, (QStringList{"beta", "sst_alpha", "sst_zeta"}));
    v.moveNode(0, 3, f.st());
    EXPECT_EQ(f.st().loadOrder, (QStringList{"sst_alpha", "sst_zeta", "beta"}));
    EXPECT_EQ(node(f, "beta")->folder->id, 0); // ids change at the next scan only
    scanVocabulary(f.ws);
    EXPECT_EQ(viewKeys(f), (QStringList{"sst_alpha", "sst_zeta", "beta"}));
}

TEST(Vocabulary, SavingRefreshesTheDocumentsDictionaryInTheLoadedVocabulary) {
    TDictionaryFixture f;
    f.writeCache(QStringLiteral("base_en_fr.cache"), cacheBytes({{0, "Door", "Porte"}}));
    loadVocabulary(f.ws);
    adoptDocument(f.ws, TWorkMode::Esp);
    f.st().currentFileName = QStringLiteral("Mod.esp");
    f.add(0, QStringLiteral("Gate"), QStringLiteral("Portail"), {sStrParam::translated});
    f.add(0, QStringLiteral("Door"), QStringLiteral("Porte"), {sStrParam::translated});
    ASSERT_TRUE(f.ws.saveDocumentDictionary());
    rVocabularyNode* mod = node(f, "sst_mod");
    ASSERT_NE(mod, nullptr);
    EXPECT_TRUE(mod->checked);
    EXPECT_TRUE(mod->isLocked());
    EXPECT_TRUE(mod->folder->fparams.has(sFdrParam::fdrLoaded));
    EXPECT_EQ(mod->folder->count, 2);
    // The identical Door pair stays under the cache that held it first.
    ASSERT_EQ(f.ws.vocabularyLists[0].size(), 2u);
    // Saving again replaces the node's entries instead of adding them twice.
    f.ws.loadedLists[0][0]->setSTrans(QStringLiteral("Grille"));
    ASSERT_TRUE(f.ws.saveDocumentDictionary());
    ASSERT_EQ(f.ws.vocabularyLists[0].size(), 2u);
    bool found = false;
    for (const auto& e : f.ws.vocabularyLists[0])
        found |= e->gTrans == QStringLiteral("Grille");
    EXPECT_TRUE(found);
}

TEST(Vocabulary, OneWordListHoldsSingleWordsOfTheFirstList) {
    TDictionaryFixture f;
    f.writeCache(QStringLiteral("base_en_fr.cache"),
                 cacheBytes({{0, "Stimpak", "Stimpak"}, {0, "Two words", "Deux mots"}, {1, "Word", "Mot"}}));
    loadVocabulary(f.ws);
    const auto& words = vocabularyState(f.ws).vocab.oneWordList;
    ASSERT_EQ(words.size(), 1u);
    EXPECT_EQ(words[0]->gS, QStringLiteral("Stimpak"));
    unloadVocabulary(f.ws);
    EXPECT_TRUE(vocabularyState(f.ws).vocab.oneWordList.empty());
    EXPECT_EQ(countListSet(f.ws.vocabularyLists), 0);
    EXPECT_FALSE(f.st().dictionaryModified);
}

TEST(Vocabulary, DeletingSendsOnlyDictionariesToTheTrashAndReloads) {
    TDictionaryFixture f;
    // Some sandboxes make Qt put the trash in the working folder: keep it inside the fixture.
    const QString oldCurrent = QDir::currentPath();
    QDir::setCurrent(f.dir.path());
    f.writeUser(QStringLiteral("gone_en_fr.sst"), dictBytes({{0, "Hello", "Bonjour"}}));
    f.writeCache(QStringLiteral("base_en_fr.cache"), cacheBytes({{0, "Door", "Porte"}}));
    loadVocabulary(f.ws);
    TVocabularyState& vs = vocabularyState(f.ws);
    vs.focusedNode = vs.vocab.indexOf(node(f, "base"));
    EXPECT_FALSE(deleteFocusedDictionary(f.ws)); // caches are not deleted
    EXPECT_TRUE(QFileInfo::exists(f.dir.file(QStringLiteral("Cache/base_en_fr.cache"))));
    vs.focusedNode = vs.vocab.indexOf(node(f, "sst_gone"));
    ASSERT_TRUE(deleteFocusedDictionary(f.ws));
    EXPECT_FALSE(QFileInfo::exists(f.userFile(QStringLiteral("gone_en_fr.sst"))));
    EXPECT_EQ(node(f, "sst_gone"), nullptr);
    EXPECT_EQ(f.ws.vocabularyLists[0].size(), 1u);

    devWorkInProgress(f.ws);
    EXPECT_TRUE(f.host.logContains(QStringLiteral("Dev WIP")));
    QDir::setCurrent(oldCurrent);
}
