// The string lists as the window shows them: child rows for shared string ids, the score-band shading, the muted
// untranslated cells, the row-end markers, and the commands every work mode enables.
#include "plugin_samples.h"
#include "string_table_builder.h"
#include "temp_program_dir.h"
#include "test_documents.h"
#include "ui_support.h"

#include "ui/QUILL_Dialog.h"
#include "ui/QUILL_mainWindow.h"
#include "ui/QUILL_stringListDelegate.h"
#include "ui/QUILL_stringListModel.h"
#include "workspace/QUILL_listRules.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsPlugin.h"
#include "workspace/QUILL_wsScript.h"
#include "workspace/QUILL_wsStrings.h"

#include <QAction>
#include <QApplication>
#include <QBrush>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QIcon>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

tSkyStr* addEntry(TWorkspace& ws, int list, const QString& source, const QString& translation, uint32_t id,
                  sStrParams params = {}, sStrInternalParams internal = {}, float ld = 99.0f) {
    auto e = std::make_unique<tSkyStr>(source, translation, list, id, 0, params, internal);
    e->LDResult = ld;
    e->listIndex = static_cast<uint8_t>(list);
    tSkyStr* raw = e.get();
    ws.loadedLists[list].push_back(std::move(e));
    return raw;
}

QColor background(const QModelIndex& index) {
    return index.data(Qt::BackgroundRole).value<QBrush>().color();
}

struct TListsFixture : TShownWindow {
    tSkyStr* owner = nullptr;
    TListsFixture() {
        using I = sStrInternalParam;
        addEntry(ws, 0, QStringLiteral("Laser Rifle"), QStringLiteral("Fusil laser"), 0x10, {sStrParam::translated});
        owner = addEntry(ws, 0, QStringLiteral("Door"), QStringLiteral("Porte"), 0x20, {sStrParam::translated},
                         {I::toLocalizedSharedID});
        addEntry(ws, 0, QStringLiteral("Nuka-Cola"), QStringLiteral("Nuka-Cola"), 0x30);
        addEntry(ws, 0, QStringLiteral("Stimpak"), QStringLiteral("Stimpak"), 0x40, {sStrParam::validated});
        addEntry(ws, 0, QStringLiteral("Power Armor"), QStringLiteral("Armure"), 0x50, {}, {}, 2.4f);
        addEntry(ws, 0, QStringLiteral("Bobby pin"), QStringLiteral("Epingle <Alias=Player>"), 0x60,
                 {sStrParam::translated}, {I::aliasError, I::stringCRError}, 7.5f);
        addEntry(ws, 0, QStringLiteral("Exact"), QStringLiteral("Exact"), 0x70, {}, {}, 0.0f);
        for (int i = 0; i < 2; ++i) {
            auto shared = std::make_unique<tSkyStr>(QStringLiteral("Door"), QStringLiteral("Porte"), 0, 0x20, 0);
            ws.sharedIdList.push_back(std::move(shared));
        }
        adoptDocument(ws, TWorkMode::Strings);
        ws.state().currentFileName = QStringLiteral("Sample");
        form.refreshLists();
    }
    ~TListsFixture() { adoptDocument(ws, TWorkMode::None); }
    QModelIndex rowOf(const QString& source, int column = 1) {
        TStringListProxy* proxy = form.listProxy(0);
        for (int r = 0; r < proxy->rowCount(); ++r)
            if (proxy->entryAt(proxy->index(r, 0))->gS == source) return proxy->index(r, column);
        return {};
    }
};

} // namespace

TEST(WindowLists, SharedIdsShowAsChildRowsThatFollowTheirOwner) {
    TListsFixture t;
    TStringListProxy* proxy = t.form.listProxy(0);
    QTreeView* view = t.form.listView(0);
    EXPECT_TRUE(view->rootIsDecorated());
    const QModelIndex owner = t.rowOf(QStringLiteral("Door"), 0);
    ASSERT_TRUE(owner.isValid());
    ASSERT_EQ(proxy->rowCount(owner), 2);
    EXPECT_TRUE(view->isExpanded(owner));
    EXPECT_EQ(proxy->rowCount(t.rowOf(QStringLiteral("Laser Rifle"), 0)), 0);
    const QModelIndex child = proxy->index(0, 1, owner);
    EXPECT_EQ(child.data().toString(), QStringLiteral("[shared String]"));
    EXPECT_EQ(proxy->index(1, 2, owner).data().toString(), QStringLiteral("[shared String]"));
    EXPECT_EQ(child.data(Qt::ToolTipRole).toString(), QStringLiteral("Door")); // the shared text
    EXPECT_EQ(proxy->entryAt(child), t.form.workspace().sharedIdList[0].get());
    EXPECT_EQ(proxy->index(0, 0, owner).parent().row(), owner.row());
    // Their own background, apart from the owner's and the plain rows'.
    const QColor childColour = background(child);
    EXPECT_TRUE(childColour.isValid());
    EXPECT_NE(childColour, background(t.rowOf(QStringLiteral("Door"))));
    screenshot(&t.form, QStringLiteral("lists-child-rows-shading"));
    t.form.resize(600, 480);
    screenshot(&t.form, QStringLiteral("lists-child-rows-shading-minimum"));

    // A sort moves the owner; its children stay under it.
    t.form.listView(0)->header()->sectionClicked(1);
    t.form.listView(0)->header()->sectionClicked(1); // descending
    const QModelIndex moved = t.rowOf(QStringLiteral("Door"), 0);
    EXPECT_NE(moved.row(), owner.row());
    ASSERT_EQ(proxy->rowCount(moved), 2);
    EXPECT_EQ(proxy->entryAt(proxy->index(1, 0, moved)), t.form.workspace().sharedIdList[1].get());
    EXPECT_EQ(proxy->index(1, 0, moved).parent(), moved);

    // The filter decides for the owner; its children go and come with it.
    t.form.applyFilter(QStringLiteral("rifle"));
    EXPECT_EQ(proxy->rowCount(), 1);
    t.form.applyFilter(QStringLiteral("door"));
    ASSERT_EQ(proxy->rowCount(), 1);
    EXPECT_EQ(proxy->rowCount(proxy->index(0, 0)), 2);

    // A selected child row is an entry the list commands act on.
    view->selectionModel()->select(proxy->index(1, 0, proxy->index(0, 0)),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    const QList<tSkyStr*> selected = t.form.selectedEntries();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected[0], t.form.workspace().sharedIdList[1].get());
}

TEST(WindowLists, ShadingMutedCellsAndMarkers) {
    TListsFixture t;
    // Score bands: the smallest whole number not below the score, none for an exact match or no result.
    const QColor band3 = background(t.rowOf(QStringLiteral("Power Armor")));
    const QColor band8 = background(t.rowOf(QStringLiteral("Bobby pin")));
    EXPECT_TRUE(band3.isValid());
    EXPECT_TRUE(band8.isValid());
    EXPECT_NE(band3, band8);
    EXPECT_FALSE(t.rowOf(QStringLiteral("Exact")).data(Qt::BackgroundRole).isValid());
    EXPECT_FALSE(t.rowOf(QStringLiteral("Nuka-Cola")).data(Qt::BackgroundRole).isValid());
    // Validated and partial colours win over the band.
    EXPECT_NE(background(t.rowOf(QStringLiteral("Stimpak"))), band3);

    // A translation that is still the source is muted; a translated one and a validated equal one are not.
    const QVariant untranslated = t.rowOf(QStringLiteral("Nuka-Cola"), 2).data(Qt::ForegroundRole);
    ASSERT_TRUE(untranslated.isValid());
    EXPECT_FALSE(t.rowOf(QStringLiteral("Laser Rifle"), 2).data(Qt::ForegroundRole).isValid());
    EXPECT_FALSE(t.rowOf(QStringLiteral("Stimpak"), 2).data(Qt::ForegroundRole).isValid());
    EXPECT_FALSE(t.rowOf(QStringLiteral("Nuka-Cola"), 1).data(Qt::ForegroundRole).isValid()); // the source is not

    // Row-end markers: the bits, and their places at the right end of the cell, alias first.
    EXPECT_EQ(t.rowOf(QStringLiteral("Bobby pin")).data(TStringListModel::kMarkersRole).toInt(),
              rowMarkerAlias | rowMarkerLineBreak);
    EXPECT_EQ(t.rowOf(QStringLiteral("Laser Rifle")).data(TStringListModel::kMarkersRole).toInt(), 0);
    const QRect cell(100, 40, 200, 20);
    const QList<QRect> all =
        TStringListDelegate::markerRects(cell, rowMarkerAlias | rowMarkerSize | rowMarkerLineBreak);
    ASSERT_EQ(all.size(), 3);
    EXPECT_LT(all[0].right(), all[1].left());
    EXPECT_LT(all[1].right(), all[2].left());
    EXPECT_LE(all[2].right(), cell.right());
    EXPECT_GE(all[0].left(), cell.left());
    const QList<QRect> one = TStringListDelegate::markerRects(cell, rowMarkerSize);
    ASSERT_EQ(one.size(), 1);
    EXPECT_EQ(one[0], all[2]); // a single marker takes the last place
}

// The score column sorts by its number whoever asks: a tool's re-sort through the view (as the heuristic batch does)
// and header clicks after it, never by the cell texts, which put "10+" before "4".
TEST(WindowLists, TheScoreColumnSortsByItsNumber) {
    TTempProgramDir dir;
    TForm1 form{dir.path(), {}, QString()};
    TWorkspace& ws = form.workspace();
    const std::pair<float, int> scores[] = {{10.0f, 2}, {11.0f, 0}, {16.5f, 3}, {4.0f, 1}, {6.0f, 1}};
    for (const auto& [score, found] : scores)
        addEntry(ws, 0, QStringLiteral("Source %1").arg(score), QStringLiteral("T"), 0x10, {}, {}, score)->LDFound =
            found;
    ws.state().WorkMode = TWorkMode::Strings;
    form.refreshLists();
    const auto shown = [&form] {
        QStringList texts;
        for (int r = 0; r < form.listProxy(0)->rowCount(); ++r)
            texts << form.listProxy(0)->index(r, 3).data().toString();
        return texts.join(QLatin1Char(' ')).toStdString();
    };
    form.listView(0)->sortByColumn(3, Qt::AscendingOrder);
    EXPECT_EQ(shown(), "16+ 11 10+ 6 4");
    QHeaderView* header = form.listView(0)->header();
    emit header->sectionClicked(1);
    emit header->sectionClicked(3);
    EXPECT_EQ(shown(), "16+ 11 10+ 6 4");
    emit header->sectionClicked(3);
    EXPECT_EQ(shown(), "4 6 10+ 11 16+");
    ws.state().WorkMode = TWorkMode::None;
}

// A document opened or closed starts with the search cleared (under the previous file's search a new one looks nearly
// empty); an open the translator cancels keeps the search with the document.
TEST(WindowLists, ANewDocumentStartsWithTheSearchCleared) {
    TTempProgramDir dir;
    TForm1 form{dir.path(), {}, QString()};
    TWorkspace& ws = form.workspace();
    const QStringList samples = writePluginSamples(ws.app, dir.file(QStringLiteral("Data")));
    ASSERT_EQ(samples.size(), 5);
    form.show();
    auto* search = form.findChild<QLineEdit*>(QStringLiteral("ButtonedEdit1"));
    ASSERT_NE(search, nullptr);
    // Opened through the recent files, as a translator reopens them.
    ws.state().recentAddon = QStringList{samples[0], samples[1]};
    form.rebuildRecentMenu();
    const auto open = [&form](const QString& path) {
        for (QAction* item : form.findChild<QMenu*>(QStringLiteral("Recent_files"))->actions())
            if (item->toolTip() == QDir::toNativeSeparators(path)) return item->trigger();
        ADD_FAILURE() << "not in the recent files: " << path.toStdString();
    };
    open(samples[0]);
    ASSERT_EQ(ws.state().WorkMode, TWorkMode::Esp);
    const int all = form.listProxy(0)->rowCount();
    ASSERT_GT(all, 1);
    search->setText(QStringLiteral("no such text"));
    form.applyFilter(search->text());
    EXPECT_EQ(form.listProxy(0)->rowCount(), 0);

    // The unsaved-work question cancelled: the same document, the same search.
    ws.state().dictionaryModified = true;
    QTimer cancel;
    QObject::connect(&cancel, &QTimer::timeout, [] {
        if (auto* d = qobject_cast<TFormDialog*>(QApplication::activeModalWidget())) d->ButtonCancel->click();
    });
    cancel.start(20);
    open(samples[1]);
    cancel.stop();
    EXPECT_EQ(search->text(), QStringLiteral("no such text"));
    ws.state().dictionaryModified = false;

    open(samples[1]);
    EXPECT_TRUE(search->text().isEmpty());
    EXPECT_EQ(form.listProxy(0)->rowCount(), static_cast<int>(ws.loadedLists[0].size()));
    search->setText(QStringLiteral("no such text"));
    form.runCommand(QStringLiteral("Menu_CloseAll"));
    EXPECT_TRUE(search->text().isEmpty());
}

// In the plugin modes the editor id is the main column: it takes the spare width and carries the shared rows' tree;
// elsewhere source and translation share the spare width.
TEST(WindowLists, TheEditorIdIsTheMainColumnOfPlugins) {
    TListsFixture t;
    QTreeView* view = t.form.listView(0);
    QHeaderView* header = view->header();
    EXPECT_EQ(header->sectionResizeMode(1), QHeaderView::Stretch);
    EXPECT_EQ(header->sectionResizeMode(2), QHeaderView::Stretch);
    EXPECT_EQ(view->treePosition(), 0);

    TWorkspace& ws = t.form.workspace();
    const QStringList samples = writePluginSamples(ws.app, t.dir.file(QStringLiteral("Data")));
    ASSERT_TRUE(ws.openAs("plugin", samples.value(0), false));
    t.form.refreshLists();
    QApplication::processEvents();
    EXPECT_EQ(header->sectionResizeMode(4), QHeaderView::Stretch);
    EXPECT_EQ(header->sectionResizeMode(1), QHeaderView::Interactive);
    EXPECT_EQ(header->sectionResizeMode(2), QHeaderView::Interactive);
    EXPECT_EQ(view->treePosition(), 4);
    EXPECT_GE(header->sectionSize(4), 150);
    EXPECT_GE(header->sectionSize(1), 200); // the texts start wide enough to read
    const int source = header->sectionSize(1), edid = header->sectionSize(4);
    t.form.resize(t.form.width() + 200, t.form.height());
    QApplication::processEvents();
    EXPECT_EQ(header->sectionSize(1), source);
    EXPECT_EQ(header->sectionSize(4), edid + 200);
    screenshot(&t.form, QStringLiteral("lists-plugin-edid-main-column"));
}

// "Translate with care" and "do not translate" script strings each show their own mark beside the source, apart from
// the duplicate mark; with both flags the first that applies, "with care", shows.
TEST(WindowLists, DoNotTranslateAndTranslateWithCareShowTheirOwnMarks) {
    TWorkspace ws;
    using I = sStrInternalParam;
    const auto mark = [&ws](sStrInternalParams flags) {
        const tSkyStr entry(QStringLiteral("Open"), QStringLiteral("Open"), 0, 1, 0, {}, flags);
        return stringCellData(ws, entry, 1, Qt::DecorationRole, 18, QFont()).value<QIcon>().cacheKey();
    };
    const qint64 care = mark({I::pexWarn}), never = mark({I::pexNoTrans}), duplicate = mark({I::nTrans});
    EXPECT_NE(care, 0);
    EXPECT_NE(never, 0);
    EXPECT_NE(care, never);
    EXPECT_NE(never, duplicate);
    EXPECT_NE(care, duplicate);
    EXPECT_EQ(mark({I::pexWarn, I::pexNoTrans}), care);
    EXPECT_EQ(mark({}), 0);
}

// Every work mode: each command with a handler is enabled exactly where the enabling table says, so no command is
// left dead.
TEST(WindowLists, EveryCommandWithAHandlerFollowsTheTableInEveryWorkMode) {
    TTempProgramDir dir;
    TForm1 form(dir.path(), {}, QString());
    TWorkspace& ws = form.workspace();
    auto* translation = form.findChild<QMenu*>(QStringLiteral("Translation"));
    auto* tools = form.findChild<QMenu*>(QStringLiteral("Tools"));
    auto* xml = form.findChild<QMenu*>(QStringLiteral("XML"));
    ASSERT_TRUE(translation && tools && xml);
    auto inMenu = [](QMenu* menu, QAction* action) {
        QList<QMenu*> open{menu};
        while (!open.isEmpty()) {
            QMenu* m = open.takeFirst();
            for (QAction* a : m->actions()) {
                if (a == action) return true;
                if (a->menu()) open << a->menu();
            }
        }
        return false;
    };
    ws.state().currentFileName = QStringLiteral("Test.esp");
    for (const TWorkMode mode : {TWorkMode::None, TWorkMode::sstEditCustom, TWorkMode::Strings, TWorkMode::Esp,
                                 TWorkMode::StringsEspLayout, TWorkMode::MCMTranslate, TWorkMode::ScriptPex}) {
        for (const bool sameLanguage : {false, true}) {
            adoptDocument(ws, mode);
            ws.state().DestLang = sameLanguage ? ws.state().SourceLang : QStringLiteral("fr");
            if (!sameLanguage && ws.state().SourceLang == QStringLiteral("fr"))
                ws.state().SourceLang = QStringLiteral("en");
            form.updateCommands();
            const TAppState& st = ws.state();
            const bool loaded = st.fileLoaded(), dictionary = st.dictionaryMode(), plugin = st.pluginLoaded();
            int checked = 0;
            for (QAction* action : form.findChildren<QAction*>()) {
                const QString key = action->objectName();
                if (key.isEmpty() || form.commandAction(key) != action || !form.hasCommand(key)) continue;
                bool expected = true;
                if (key == QLatin1String("Menu_ExportEsp") || key == QLatin1String("Menu_ExportEspAs"))
                    expected = loaded;
                else if (key == QLatin1String("Save_SST"))
                    expected = mode != TWorkMode::Strings && !sameLanguage && loaded;
                else if (key == QLatin1String("Menu_TagDiff") || key == QLatin1String("Menu_TagSame"))
                    expected = loaded && sameLanguage;
                else if (key == QLatin1String("OldDialogStyle") || key == QLatin1String("LoadEspCompare"))
                    expected = plugin;
                else if (key == QLatin1String("LoadStringAsDest"))
                    expected = mode == TWorkMode::Strings || mode == TWorkMode::StringsEspLayout;
                else if (key == QLatin1String("Save") || key == QLatin1String("Menu_AddField"))
                    expected = mode == TWorkMode::sstEditCustom;
                else if (key == QLatin1String("Menu_Undo") || key == QLatin1String("Menu_Redo"))
                    continue; // by the edit history
                else if (key == QLatin1String("SearchandReplace") || key == QLatin1String("BatchSearchAndReplace") ||
                         key == QLatin1String("AddIdToStrings") || key == QLatin1String("Menu_UnknownWords"))
                    expected = loaded && !dictionary;
                else if (QStringList{"Menu_Validate", "Menu_Partial", "Menu_Cancel", "Menu_Edit", "Menu_Validate_All",
                                     "Menu_ResetAll"}
                             .contains(key))
                    expected = loaded || dictionary; // the list commands also serve a dictionary being edited
                else if (inMenu(translation, action))
                    expected = loaded && !dictionary;
                else if (inMenu(tools, action))
                    expected = !dictionary;
                else if (inMenu(xml, action))
                    expected = loaded;
                EXPECT_EQ(action->isEnabled(), expected)
                    << key.toStdString() << " in mode " << workModeName(mode).toStdString()
                    << (sameLanguage ? " same" : "");
                ++checked;
            }
            EXPECT_GT(checked, 15);
        }
    }
    adoptDocument(ws, TWorkMode::None);
}

// After a list command changed entries in place, the redraw measures rows anew (a translation that gained lines
// grows its row) and keeps what the translator was looking at: the focused row, the selection, the expanded owner.
TEST(WindowLists, RepaintAfterAListCommandKeepsFocusSelectionAndExpansion) {
    TListsFixture t;
    TStringListProxy* proxy = t.form.listProxy(0);
    QTreeView* view = t.form.listView(0);
    const QModelIndex rifle = t.rowOf(QStringLiteral("Laser Rifle"));
    const QModelIndex owner = t.rowOf(QStringLiteral("Door"), 0);
    view->setCurrentIndex(rifle);
    view->selectionModel()->select(rifle, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QApplication::processEvents();
    const int before = view->visualRect(rifle).height();

    proxy->entryAt(rifle)->setSTrans(QStringLiteral("Fusil\nlaser\nlourd"));
    t.form.repaintLists();
    QApplication::processEvents();

    EXPECT_GT(view->visualRect(rifle).height(), before);
    EXPECT_EQ(view->currentIndex(), rifle);
    EXPECT_TRUE(view->selectionModel()->isRowSelected(rifle.row(), rifle.parent()));
    EXPECT_TRUE(view->isExpanded(owner));
    EXPECT_EQ(proxy->rowCount(owner), 2);
}

// A store in a long list redraws the stored row in place (no relayout of every row), unless the row's filter answer
// changed: then the list is filtered again and the row goes.
TEST(WindowLists, AStoreInALongListRedrawsItsRowOrFiltersAgainWhenTheRowMustGo) {
    TShownWindow w;
    w.ws.state().SourceLang = QStringLiteral("en");
    w.ws.state().DestLang = QStringLiteral("fr");
    rTableSetTexts texts;
    const int count = static_cast<int>(TStringListModel::kOneLineRowsAbove) + 500;
    for (int id = 1; id <= count; ++id)
        texts[0].push_back({static_cast<uint32_t>(id), QStringLiteral("Ink pistol %1").arg(id)});
    ASSERT_TRUE(w.open(writeUtf8TableSet(w.dir.file(QStringLiteral("Long/")), QStringLiteral("long"),
                                         QStringLiteral("en"), texts)[0]));
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    TStringListProxy* proxy = w.form.listProxy(0);
    ASSERT_EQ(proxy->rowCount(), count);
    const auto store = [&](int proxyRow, const QString& text) {
        tSkyStr* e = proxy->entryAt(proxy->index(proxyRow, 0));
        rStoreRequest request;
        request.translation = text;
        request.carrySimilar = false;
        EXPECT_TRUE(w.form.runGuarded([&] { w.ws.storeTranslation(e, request); }));
        QCoreApplication::processEvents();
        return e;
    };
    const int translated = static_cast<int>(TListColumn::translated);

    int relayouts = 0, redrawn = 0;
    QObject::connect(proxy, &QAbstractItemModel::layoutChanged, proxy, [&] { ++relayouts; });
    QObject::connect(proxy, &QAbstractItemModel::dataChanged, proxy, [&] { ++redrawn; });
    const tSkyStr* first = store(10, QStringLiteral("Pistolet à encre 11"));
    EXPECT_EQ(relayouts, 0);
    EXPECT_GE(redrawn, 1);
    EXPECT_EQ(proxy->rowCount(), count);
    EXPECT_EQ(proxy->entryAt(proxy->index(10, 0)), first);
    EXPECT_EQ(proxy->index(10, translated).data().toString(), QStringLiteral("Pistolet à encre 11"));

    // Only the untranslated rows: a row translated now leaves the list.
    w.form.setStatusButtons(false);
    w.form.findChild<QToolButton*>(QStringLiteral("ToolButton5"))->click(); // Not.Trans
    QCoreApplication::processEvents();
    ASSERT_EQ(proxy->rowCount(), count - 1);
    const tSkyStr* second = store(20, QStringLiteral("Pistolet à encre 22"));
    EXPECT_EQ(proxy->rowCount(), count - 2);
    for (int r = 18; r < 23; ++r)
        EXPECT_NE(proxy->entryAt(proxy->index(r, 0)), second);
}
