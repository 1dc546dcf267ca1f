// Translation passes: exact matching rules, reference keys for plugins and string tables, applying the document's
// dictionary and a chosen one, overwrite filters, and a translator's whole round on a plugin.
#include "dictionary/QUILL_passes.h"
#include "test_dictionary_support.h"
#include "test_documents.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

tSkyStrList sortedSource(const std::vector<std::pair<QString, QString>>& pairs, sStrParams sp = {}) {
    tSkyStrList list;
    for (const auto& [s, t] : pairs)
        list.push_back(std::make_unique<tSkyStr>(s, t, 0, 0u, 0, sp));
    std::stable_sort(list.begin(), list.end(),
                     [](const auto& a, const auto& b) { return skycompare::byHashSourceId(*a, *b) < 0; });
    return list;
}

} // namespace

TEST(ExactMatch, TakesTranslationsOnlyForEntriesWithoutStatus) {
    tSkyStrList source = sortedSource({{"Hello", "Bonjour"}, {"Door", "Porte"}});
    tSkyStrList target;
    auto add = [&](const QString& s, sStrParams sp = {}) {
        target.push_back(std::make_unique<tSkyStr>(s, s, 0, 0u, 99, sp));
        return target.back().get();
    };
    tSkyStr* hello = add(QStringLiteral("Hello"));
    tSkyStr* validated = add(QStringLiteral("Door"), {sStrParam::validated});
    tSkyStr* partial = add(QStringLiteral("Door"), {sStrParam::incompleteTrans});
    tSkyStr* partialNTrans = add(QStringLiteral("Door"), {sStrParam::incompleteTrans});
    partialNTrans->sInternalparams.set(sStrInternalParam::nTrans);
    tSkyStr* unknown = add(QStringLiteral("Window"));
    tSkyStr* space = add(QStringLiteral(" "));
    tSkyStr* empty = add(QString());
    tSkyStr* script = add(QStringLiteral("Door"));
    script->sInternalparams.set(sStrInternalParam::pexNoTrans);

    rPassContext context;
    EXPECT_EQ(exactMatch(source, target, true, context), 1);
    EXPECT_EQ(hello->gTrans, QStringLiteral("Bonjour"));
    EXPECT_EQ(hello->sparams.bits(), bitOf(sStrParam::translated));
    EXPECT_EQ(hello->LDResult, 0.0f);
    EXPECT_EQ(validated->gTrans, QStringLiteral("Door"));
    EXPECT_EQ(partial->sparams.bits(), bitOf(sStrParam::incompleteTrans));
    EXPECT_EQ(partial->gTrans, QStringLiteral("Door"));
    EXPECT_EQ(partialNTrans->gTrans, QStringLiteral("Porte"));
    EXPECT_EQ(partialNTrans->sparams.bits(), bitOf(sStrParam::translated));
    EXPECT_EQ(unknown->LDResult, 99.0f);
    EXPECT_EQ(unknown->gTrans, QStringLiteral("Window"));
    EXPECT_TRUE(unknown->sparams.empty());
    EXPECT_EQ(space->gTrans, QStringLiteral(" "));
    EXPECT_TRUE(space->hasParam(sStrParam::translated));
    EXPECT_EQ(empty->gTrans, QString());
    EXPECT_TRUE(empty->hasParam(sStrParam::translated));
    EXPECT_TRUE(script->sparams.empty());
    EXPECT_EQ(script->gTrans, QStringLiteral("Door"));
}

TEST(ExactMatch, SameLanguageNoSearchAndFilters) {
    tSkyStrList source = sortedSource({{"Hello", "Bonjour"}});
    tSkyStrList target;
    target.push_back(std::make_unique<tSkyStr>(QStringLiteral("Hello"), QStringLiteral("x"), 0, 0u, 99,
                                               sStrParams{sStrParam::validated}));
    target.push_back(std::make_unique<tSkyStr>(QStringLiteral("Hello"), QStringLiteral("Hello"), 0, 0u, 99));

    rPassContext same;
    same.sameLanguage = true;
    same.filter = tStringPredicate::notTranslated;
    EXPECT_EQ(exactMatch(source, target, true, same), 0);
    EXPECT_EQ(target[0]->gTrans, QStringLiteral("Hello"));
    EXPECT_TRUE(target[0]->hasParam(sStrParam::translated));

    // Without search every entry left keeps its source and counts as untranslated.
    target[1]->sparams = {};
    rPassContext noSearch;
    EXPECT_EQ(exactMatch(source, target, false, noSearch), 1);
    EXPECT_EQ(target[1]->gTrans, QStringLiteral("Hello"));

    rPassContext selection;
    selection.filter = tStringPredicate::selected;
    selection.isSelected = [&](const tSkyStr& e) { return &e == target[1].get(); };
    exactMatch(source, target, true, selection);
    EXPECT_EQ(target[1]->gTrans, QStringLiteral("Bonjour"));
    EXPECT_EQ(overwriteFilter(2), tStringPredicate::notTranslatedNorValidated);
    EXPECT_EQ(overwriteFilter(3), tStringPredicate::incomplete);
}

TEST(ReferenceMatch, PluginKeyIsFormIdEdidHashFieldAndIndex) {
    TDictionaryFixture f;
    adoptDocument(f.ws, TWorkMode::Esp);
    TFakePlugin plugin;
    trecord* book = plugin.record("BOOK", 0x100, QStringLiteral("MyBook"));
    tSkyStr* full = f.add(0, QStringLiteral("Title"));
    plugin.link(full, book, "FULL");
    tSkyStr* desc0 = f.add(1, QStringLiteral("Page"));
    plugin.link(desc0, book, "DESC", 0, 1);
    tSkyStr* desc1 = f.add(1, QStringLiteral("Page"));
    plugin.link(desc1, book, "DESC", 1, 1);
    tSkyStr* changed = f.add(1, QStringLiteral("New text"));
    trecord* note = plugin.record("NOTE", 0x200, QString());
    plugin.link(changed, note, "DESC", 0, 0);

    const uint32_t bookHash = textHash(QStringLiteral("MyBook"));
    TRawDictionary raw(4);
    // Written out of key order on purpose.
    raw.record(1, "Page", "Page deux", 1, 0, 0x100, "DESC", 1, 1, bookHash)
        .record(1, "Page", "Page un", 1, 0, 0x100, "DESC", 0, 1, bookHash)
        .record(0, "Title", "Titre", 1, 0, 0x100, "FULL", 0, 0, bookHash)
        .record(1, "Old text", "Ancien", 1, 0, 0x200, "DESC", 0, 2, textHash(QString()))
        .record(0, "Title", "Wrong form", 1, 0, 0x101, "FULL", 0, 0, bookHash)
        .record(0, "Title", "Wrong edid", 1, 0, 0x100, "FULL", 0, 0, bookHash + 1);
    tListSet work;
    std::vector<tEspStrRef> refs;
    int counter = 0;
    quilldict::rDictionaryLoad options;
    options.withReferences = true;
    ASSERT_TRUE(
        quilldict::loadDictionary(f.ws.app, work, f.writeUser("r_en_fr.sst", raw.bytes), options, counter, &refs));
    ASSERT_TRUE(sortReferences(refs, TReferenceKey::pluginField));
    rPassContext context;
    context.references = TReferenceKey::pluginField;
    for (int i = 0; i < 3; ++i)
        referenceMatch(refs, f.ws.loadedLists[i], false, context);
    EXPECT_EQ(full->gTrans, QStringLiteral("Titre"));
    EXPECT_EQ(desc0->gTrans, QStringLiteral("Page un"));
    EXPECT_EQ(desc1->gTrans, QStringLiteral("Page deux"));
    EXPECT_TRUE(desc1->hasParam(sStrParam::translated));
    // The source changed: kept as it was unless the editor id alone decides.
    EXPECT_EQ(changed->gTrans, QStringLiteral("New text"));
    EXPECT_TRUE(changed->sparams.empty());

    for (int i = 0; i < 3; ++i)
        referenceMatch(refs, f.ws.loadedLists[i], true, context);
    EXPECT_EQ(changed->gTrans, QStringLiteral("Ancien"));
    // The field's index maximum differs from the dictionary's: flagged for review.
    EXPECT_TRUE(changed->hasParam(sStrParam::incompleteTrans));
    EXPECT_TRUE(changed->hasFlag(sStrInternalParam::bigWarning));
    EXPECT_FALSE(desc0->hasFlag(sStrInternalParam::bigWarning));

    // Documents without references match nothing.
    context.references = TReferenceKey::none;
    changed->resetTrans();
    referenceMatch(refs, f.ws.loadedLists[1], true, context);
    EXPECT_EQ(changed->gTrans, QStringLiteral("New text"));
}

TEST(ReferenceMatch, StringTablesMatchByStringIdAndKeepOtherStatus) {
    TDictionaryFixture f;
    adoptDocument(f.ws, TWorkMode::Strings);
    tSkyStr* a = f.add(0, QStringLiteral("Alpha"), QString(), {sStrParam::validated, sStrParam::translated}, 7);
    tSkyStr* b = f.add(0, QStringLiteral("Beta"), QString(), {}, 8);
    a->sInternalparams.set(sStrInternalParam::Warning);
    TRawDictionary raw(4);
    raw.record(0, "Alpha", "Alpha fr", bitOf(sStrParam::incompleteTrans), 7, 0, "****")
        .record(0, "Beta", "Beta fr", 1, 9, 0, "****");
    tListSet work;
    std::vector<tEspStrRef> refs;
    int counter = 0;
    quilldict::rDictionaryLoad options;
    options.withReferences = true;
    quilldict::loadDictionary(f.ws.app, work, f.writeUser("s_en_fr.sst", raw.bytes), options, counter, &refs);
    sortReferences(refs, TReferenceKey::stringId);
    rPassContext context;
    context.references = TReferenceKey::stringId;
    referenceMatch(refs, f.ws.loadedLists[0], false, context);
    EXPECT_EQ(a->gTrans, QStringLiteral("Alpha fr"));
    EXPECT_TRUE(a->hasParam(sStrParam::incompleteTrans));
    EXPECT_TRUE(a->hasParam(sStrParam::validated));
    EXPECT_FALSE(a->hasFlag(sStrInternalParam::Warning));
    EXPECT_EQ(b->gTrans, QStringLiteral("Beta")); // string id 9 is not 8
}

TEST(DocumentDictionary, MissingDictionaryIsLoggedAndHashSuffixFallsBack) {
    TDictionaryFixture f;
    adoptDocument(f.ws, TWorkMode::Strings);
    f.st().currentFileName = QStringLiteral("mymod");
    f.add(0, QStringLiteral("Hello"), QString(), {}, 1);
    f.ws.applyDocumentDictionary();
    EXPECT_TRUE(f.host.logContains(QStringLiteral("Fbk_NOSSTfound")));

    TRawDictionary raw(4);
    raw.record(0, "Hello", "Bonjour", 1, 1, 0, "****");
    f.writeUser(QStringLiteral("mymod_en_fr.sst"), raw.bytes);
    f.st().useAddonHash = true;
    f.ws.applyDocumentDictionary();
    EXPECT_NE(f.st().addonHash, 0u);
    EXPECT_EQ(vocabularyState(f.ws).vocab.dictionariesInUse, QStringList{QStringLiteral("mymod")});
    EXPECT_EQ(f.ws.loadedLists[0][0]->gTrans, QStringLiteral("Bonjour"));
    EXPECT_EQ(countListSet(f.ws.workLists), 0);
    // The next save writes the name with the suffix.
    adoptDocument(f.ws, TWorkMode::Esp);
    EXPECT_EQ(documentDictionaryFileName(f.ws),
              QStringLiteral("mymod_%1_en_fr.sst").arg(f.st().addonHash, 8, 16, QLatin1Char('0')));
}

// Plugins with dotted names each keep a dictionary named from the whole name without its extension, so that they no
// longer share one file and push each other into Backup; a dictionary of the old name (the last dotted part dropped
// too) is read while none of the new name exists.
TEST(DocumentDictionary, DottedPluginNamesKeepTheirOwnDictionaryAndReadTheOldName) {
    TDictionaryFixture f;
    adoptDocument(f.ws, TWorkMode::Esp);
    f.st().currentFileName = QStringLiteral("My.Patch.esp");
    EXPECT_EQ(documentDictionaryFileName(f.ws).toStdString(), "my.patch_en_fr.sst");
    f.st().currentFileName = QStringLiteral("My.Mod.esp");
    EXPECT_EQ(documentDictionaryFileName(f.ws).toStdString(), "my.mod_en_fr.sst");

    TRawDictionary old(1);
    old.record(0, "Hello", "Bonjour");
    f.writeUser(QStringLiteral("my_en_fr.sst"), old.bytes);
    tSkyStr* e = f.add(0, QStringLiteral("Hello"));
    f.ws.applyDocumentDictionary();
    EXPECT_EQ(e->gTrans.toStdString(), "Bonjour");
    EXPECT_EQ(vocabularyState(f.ws).vocab.dictionariesInUse.join(QLatin1Char(',')).toStdString(), "my");

    // Saving writes the new name and leaves the old file, which the other plugin may still read, where it is.
    ASSERT_TRUE(f.ws.saveDocumentDictionary());
    EXPECT_TRUE(QFileInfo::exists(f.userFile(QStringLiteral("my.mod_en_fr.sst"))));
    EXPECT_EQ(fileBytes(f.userFile(QStringLiteral("my_en_fr.sst"))), old.bytes);
    EXPECT_TRUE(QDir(f.userFile(QStringLiteral("Backup"))).isEmpty());

    // From now on the new file wins, and the vocabulary reads each dotted name from its own file.
    TRawDictionary own(1);
    own.record(0, "Hello", "Salut");
    f.writeUser(QStringLiteral("my.mod_en_fr.sst"), own.bytes);
    e->resetTrans();
    f.ws.applyDocumentDictionary();
    EXPECT_EQ(e->gTrans.toStdString(), "Salut");
    scanVocabulary(f.ws);
    rVocabularyNode* node = findDictionaryNode(f.ws, QStringLiteral("my.mod"), false);
    ASSERT_NE(node, nullptr);
    EXPECT_TRUE(vocabularyState(f.ws).vocab.filePath(f.st(), *node).endsWith(QStringLiteral("/my.mod_en_fr.sst")));
}

TEST(DocumentDictionary, DecliningToEnableTheUncheckedDictionaryAppliesNothing) {
    TDictionaryFixture f;
    TRawDictionary raw(1);
    raw.record(0, "Hello", "Bonjour");
    f.writeUser(QStringLiteral("mymod_en_fr.sst"), raw.bytes);
    f.st().cacheDisabledList = {QStringLiteral("sst_mymod")};
    scanVocabulary(f.ws);
    adoptDocument(f.ws, TWorkMode::Strings);
    f.st().currentFileName = QStringLiteral("mymod");
    tSkyStr* e = f.add(0, QStringLiteral("Hello"));
    f.host.answers.enqueue(drNo);
    f.ws.applyDocumentDictionary();
    EXPECT_EQ(e->gTrans, QStringLiteral("Hello"));
    rVocabularyNode* node = findDictionaryNode(f.ws, QStringLiteral("mymod"), false);
    ASSERT_NE(node, nullptr);
    EXPECT_FALSE(node->checked);
    EXPECT_TRUE(node->isLocked());

    // Yes enables it; a version-1 dictionary has no references, so it applies by source text.
    f.ws.applyDocumentDictionary();
    EXPECT_TRUE(node->checked);
    EXPECT_FALSE(vocabularyState(f.ws).vocab.loaded);
    EXPECT_EQ(e->gTrans, QStringLiteral("Bonjour"));
    EXPECT_TRUE(f.host.logContains(QStringLiteral("Fbk_TransResultSST")));
}

TEST(DocumentDictionary, AppliedChosenDictionaryFollowsFilterAndMode) {
    TDictionaryFixture f;
    adoptDocument(f.ws, TWorkMode::Strings);
    f.st().currentFileName = QStringLiteral("tables");
    TRawDictionary raw(4);
    raw.record(0, "One", "Un", 0, 1, 0, "****")
        .record(0, "Two", "Deux", 0, 2, 0, "****")
        .record(0, "Three (old)", "Trois", bitOf(sStrParam::translated), 3, 0, "****");
    f.writeUser(QStringLiteral("other_en_fr.sst"), raw.bytes);
    loadVocabulary(f.ws);
    tSkyStr* one = f.add(0, QStringLiteral("One"), QStringLiteral("Uno"), {sStrParam::translated}, 1);
    tSkyStr* two = f.add(0, QStringLiteral("Two"), QString(), {}, 2);
    tSkyStr* three = f.add(0, QStringLiteral("Three"), QString(), {}, 3);
    ASSERT_TRUE(focusDictionaryNode(f.ws, QStringLiteral("other")));
    TVocabularyState& vs = vocabularyState(f.ws);

    // "overwrite_NoTrans" with string control: the translated entry and the changed source stay.
    f.host.optionAnswers.enqueue(1);
    vs.applyMode = 1;
    ASSERT_TRUE(applySelectedDictionary(f.ws));
    ASSERT_EQ(f.host.options.size(), 1);
    EXPECT_EQ(f.host.options[0].dialog, QStringLiteral("TForm12"));
    EXPECT_EQ(f.host.options[0].choices.size(), 5);
    EXPECT_EQ(one->gTrans, QStringLiteral("Uno"));
    EXPECT_EQ(two->gTrans, QStringLiteral("Deux"));
    EXPECT_TRUE(two->hasParam(sStrParam::translated)); // addFlags: translated
    EXPECT_EQ(three->gTrans, QStringLiteral("Three"));
    EXPECT_EQ(vs.overwriteChoice, 1);
    EXPECT_TRUE(findDictionaryNode(f.ws, QStringLiteral("other"), false)->isLocked());
    EXPECT_TRUE(f.st().dictionaryModified);

    // "overwrite_All" with editor id only: everything by string id.
    f.host.optionAnswers.enqueue(0);
    vs.applyMode = 0;
    ASSERT_TRUE(applySelectedDictionary(f.ws));
    EXPECT_EQ(one->gTrans, QStringLiteral("Un"));
    EXPECT_EQ(three->gTrans, QStringLiteral("Trois"));

    // Cancel changes nothing; the remembered choice is offered next time.
    f.host.optionAnswers.enqueue(-1);
    one->setSTrans(QStringLiteral("Uno"));
    EXPECT_FALSE(applySelectedDictionary(f.ws));
    EXPECT_EQ(one->gTrans, QStringLiteral("Uno"));
    EXPECT_EQ(f.host.options.last().current, 0);
}

TEST(DocumentDictionary, ExactPassAfterLoadHonoursTheAutoTranslatePreference) {
    TDictionaryFixture f;
    TRawDictionary raw(4);
    raw.record(0, "Hello", "Bonjour");
    f.writeUser(QStringLiteral("voc_en_fr.sst"), raw.bytes);
    adoptDocument(f.ws, TWorkMode::Strings);
    f.st().currentFileName = QStringLiteral("tables");
    tSkyStr* e = f.add(0, QStringLiteral("Hello"));
    f.st().AuthAutoTranslate2 = false;
    f.ws.afterDocumentLoad();
    EXPECT_EQ(e->gTrans, QStringLiteral("Hello"));
    EXPECT_TRUE(vocabularyState(f.ws).vocab.loaded);
    translateExact(f.ws);
    EXPECT_EQ(e->gTrans, QStringLiteral("Bonjour"));
}

// Open a plugin, translate, save the dictionary, reopen the plugin: every translation comes back by reference.
TEST(TranslatorRound, PluginTranslationsAreRestoredByReference) {
    TDictionaryFixture f;
    struct rField {
        const char* rec;
        uint32_t form;
        const char* edid;
        const char* field;
        uint16_t index, indexMax;
        int list;
        const char* source;
    };
    const rField fields[] = {
        {"WEAP", 0x10, "Gun", "FULL", 0, 0, 0, "Pipe Gun"},   {"WEAP", 0x10, "Gun", "DESC", 0, 0, 1, "A gun."},
        {"BOOK", 0x20, "Book", "DESC", 0, 1, 1, "Same text"}, {"BOOK", 0x20, "Book", "DESC", 1, 1, 1, "Same text"},
        {"NOTE", 0x30, "", "FULL", 0, 0, 0, "Note"},          {"INFO", 0x40, "", "NAM1", 0, 0, 2, "Hi there"}};
    const QStringList translations = {"Pistolet", "Une arme.", "Meme texte A", "Meme texte B", "Note fr", "Salut"};
    auto openPlugin = [&](TFakePlugin& plugin) {
        f.ws.clearLoadedLists();
        adoptDocument(f.ws, TWorkMode::Esp);
        f.st().currentFileName = QStringLiteral("Round.esp");
        std::vector<tSkyStr*> entries;
        std::map<uint32_t, trecord*> records;
        for (const rField& d : fields) {
            trecord*& r = records[d.form];
            if (!r) r = plugin.record(d.rec, d.form, QString::fromLatin1(d.edid));
            tSkyStr* e = f.add(d.list, QString::fromLatin1(d.source));
            plugin.link(e, r, d.field, d.index, d.indexMax);
            entries.push_back(e);
        }
        f.ws.applyDocumentDictionary();
        return entries;
    };

    TFakePlugin first;
    std::vector<tSkyStr*> entries = openPlugin(first);
    EXPECT_TRUE(f.host.logContains(QStringLiteral("Fbk_NOSSTfound")));
    for (size_t i = 0; i < entries.size(); ++i) {
        entries[i]->setSTrans(translations[int(i)]);
        entries[i]->sparams = {i == 3 ? sStrParam::incompleteTrans : sStrParam::translated};
    }
    ASSERT_TRUE(f.ws.saveDocumentDictionary());

    TFakePlugin second;
    entries = openPlugin(second);
    for (size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(entries[i]->gTrans, translations[int(i)]);
        EXPECT_EQ(entries[i]->sparams.bits(), bitOf(i == 3 ? sStrParam::incompleteTrans : sStrParam::translated));
    }
}

// Every message of a round fits its UI text (a wrong argument count would show "Args_Error").
TEST(TranslatorRound, MessagesFitTheirUiTexts) {
    TDictionaryFixture f(true);
    adoptDocument(f.ws, TWorkMode::Esp);
    f.st().currentFileName = QStringLiteral("Texts.esp");
    f.st().useAddonHash = true;
    f.add(0, QStringLiteral("Hello"), QStringLiteral("Bonjour"), {sStrParam::translated});
    f.ws.applyDocumentDictionary();
    f.ws.afterDocumentLoad();
    ASSERT_TRUE(f.ws.saveDocumentDictionary());
    f.writeUser(QStringLiteral("broken_en_fr.sst"), QByteArray("SSU5\0\x07", 6));
    f.writeCache(QStringLiteral("broken_en_fr.cache"), QByteArray("SST2\x09", 5));
    reloadVocabulary(f.ws);
    // The hash suffix is part of the name the save used.
    ASSERT_TRUE(focusDictionaryNode(f.ws, QStringLiteral("texts") + addonHashSuffix(f.st())));
    applySelectedDictionary(f.ws);
    f.ws.applyDocumentDictionary();
    const QString xml = f.dir.file(QStringLiteral("t.xml"));
    exportXmlFile(f.ws, xml);
    importXmlFile(f.ws, xml);
    EXPECT_TRUE(f.host.logContains(QStringLiteral("broken_en_fr.sst")));
    for (const QString& line : f.host.log)
        EXPECT_FALSE(line.contains(QLatin1String("Args_Error"))) << line.toStdString();
}

// "LoadStringAsDest": a second set of tables, in the destination language, gives the translations by string id.
TEST(LoadStringsAsDest, TablesOfTheDestinationLanguageFillAcceptedEntries) {
    TDictionaryFixture f;
    const QString samples = QStringLiteral(QUILL_DATA_DIR "/samples/strings/");
    for (const char* ext : {"STRINGS", "DLSTRINGS", "ILSTRINGS"}) {
        QFile source(samples + QStringLiteral("QuillerySampleLocalized_en.%1").arg(QLatin1String(ext)));
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        const QByteArray bytes = source.readAll();
        f.dir.write(QStringLiteral("en/QuillerySampleLocalized_en.%1").arg(QLatin1String(ext)), bytes);
        f.dir.write(QStringLiteral("fr/QuillerySampleLocalized_fr.%1").arg(QLatin1String(ext)), bytes);
    }
    ASSERT_TRUE(
        f.ws.openAs("stringTables", f.dir.file(QStringLiteral("en/QuillerySampleLocalized_en.STRINGS")), false));
    ASSERT_EQ(f.st().WorkMode, TWorkMode::Strings);
    ASSERT_FALSE(f.ws.loadedLists[0].empty());
    tSkyStr* first = f.ws.loadedLists[0][0].get();
    first->setSTrans(QStringLiteral("Mine"));
    first->sparams = {sStrParam::translated};
    const QString fr = f.dir.file(QStringLiteral("fr/QuillerySampleLocalized_fr.STRINGS"));

    f.host.optionAnswers.enqueue(1); // "overwrite_NoTrans"
    ASSERT_TRUE(loadStringsAsDest(f.ws, fr));
    EXPECT_EQ(f.host.options.last().dialog, QStringLiteral("TForm6"));
    EXPECT_EQ(first->gTrans, QStringLiteral("Mine"));
    const tSkyStr* other = f.ws.loadedLists[0][1].get();
    EXPECT_EQ(other->gTrans, other->gS);
    EXPECT_EQ(other->sparams.bits(), bitOf(sStrParam::validated));
    EXPECT_EQ(vocabularyState(f.ws).overwriteChoice, 1);

    // The load is one step of the edit history, and unsaved work even without a vocabulary.
    EXPECT_TRUE(f.ws.hasUnsavedWork());
    EXPECT_EQ(f.ws.history.stepCount(), 1u);

    f.host.optionAnswers.enqueue(0); // "overwrite_All"
    ASSERT_TRUE(loadStringsAsDest(f.ws, fr));
    EXPECT_EQ(first->gTrans, first->gS);
    EXPECT_EQ(first->sparams.bits(), bitOf(sStrParam::validated));
    ASSERT_TRUE(f.ws.undo());
    EXPECT_EQ(first->gTrans, QStringLiteral("Mine"));
    EXPECT_EQ(first->sparams.bits(), bitOf(sStrParam::translated));

    // Cancel, a missing set and the wrong work mode change nothing.
    f.host.optionAnswers.enqueue(-1);
    EXPECT_FALSE(loadStringsAsDest(f.ws, fr));
    EXPECT_FALSE(loadStringsAsDest(f.ws, f.dir.file(QStringLiteral("fr/none_fr.STRINGS"))));
    QFile::remove(f.dir.file(QStringLiteral("fr/QuillerySampleLocalized_fr.ILSTRINGS")));
    EXPECT_FALSE(loadStringsAsDest(f.ws, fr));
    EXPECT_TRUE(f.host.logContains(QStringLiteral("Fbk_LoadStringAsDestFailed")));
    adoptDocument(f.ws, TWorkMode::Esp);
    EXPECT_FALSE(loadStringsAsDest(f.ws, fr));
}
