// The main window and the message dialog under the offscreen platform: start-up, lists, filters, commands, close,
// and screenshots when QUILL_SCREENSHOT_DIR names a folder.
#include "core/QUILL_dataList.h"
#include "core/QUILL_startup.h"
#include "temp_program_dir.h"
#include "test_documents.h"
#include "ui/QUILL_Dialog.h"
#include "ui/QUILL_guiHost.h"
#include "ui/QUILL_mainWindow.h"
#include "ui/QUILL_stringListModel.h"
#include "ui_screenshot.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsPlugin.h"
#include "workspace/QUILL_wsScript.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

void pressKey(QWidget* widget, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

void wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

QList<TFormDialog*> visibleDialogs() {
    QList<TFormDialog*> out;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<TFormDialog*>(w); d && d->isVisible()) out << d;
    return out;
}

// Fills the three lists with entries of every kind the filter tells apart.
void fillSampleLists(TWorkspace& ws) {
    auto add = [&ws](int list, const QString& source, const QString& translation, uint32_t id, sStrParams params,
                     sStrInternalParams internal = {}, float ld = 99.0f, int ldFound = 0) {
        auto e = std::make_unique<tSkyStr>(source, translation, list, id, 0, params, internal);
        e->LDResult = ld;
        e->LDFound = ldFound;
        e->listIndex = static_cast<uint8_t>(list);
        ws.loadedLists[list].push_back(std::move(e));
    };
    add(0, QStringLiteral("Laser Rifle"), QStringLiteral("Fusil laser"), 0x10, {sStrParam::translated});
    add(0, QStringLiteral("Stimpak"), QStringLiteral("Stimpak"), 0x11, {sStrParam::validated});
    add(0, QStringLiteral("Nuka-Cola Quantum"), QStringLiteral("Nuka-Cola Quantum"), 0x12, {});
    add(0, QStringLiteral("Power Armor Station"), QStringLiteral("Station d'armure assistée"), 0x13,
        {sStrParam::incompleteTrans}, {}, 12.0f, 2);
    add(0, QString(), QString(), 0x14, {});
    add(0, QStringLiteral(" "), QStringLiteral(" "), 0x15, {});
    add(0, QStringLiteral("Diamond City"), QStringLiteral("Diamond City"), 0x1a2b, {}, {sStrInternalParam::Warning});
    add(1,
        QStringLiteral("A long description of the item, with enough words to wrap over several lines when the "
                       "view is narrow, as descriptions in the game often are. It goes on and on."),
        QStringLiteral("Une longue description."), 0x20, {sStrParam::translated});
    add(2, QStringLiteral("Press [E] to talk"), QString(), 0x30, {});
    adoptDocument(ws, TWorkMode::Strings);
    ws.state().currentFileName = QStringLiteral("Fallout4");
}

int visibleRows(TForm1& form, int list) {
    return form.listProxy(list)->rowCount();
}

} // namespace

TEST(MainWindow, StartsShowsAndClosesSavingPrefs) {
    TTempProgramDir dir;
    {
        TForm1 form(dir.path(), {}, QString());
        form.resize(1280, 800);
        form.show();
        QCoreApplication::processEvents();
        EXPECT_EQ(form.windowTitle(), QStringLiteral("[mode: None] - Quillery"));
        EXPECT_EQ(form.listPages()->count(), 3);
        EXPECT_EQ(form.bottomPages()->count(), 8);
        EXPECT_EQ(form.listPages()->tabText(0), QStringLiteral("STRINGS [0/0]"));
        EXPECT_EQ(form.statusPanel(1)->text(), QStringLiteral("[en]->[fr] "));
        EXPECT_FALSE(form.homeBrowser()->toPlainText().isEmpty());
        // Every menu item is captioned from a key that has an English text.
        for (QAction* action : form.findChildren<QAction*>()) {
            const QString key = action->property("uiKey").toString();
            if (key.isEmpty()) continue;
            EXPECT_NE(action->text(), key) << key.toStdString();
        }
        screenshot(&form, QStringLiteral("main-window-empty"));
        form.resize(600, 480);
        QCoreApplication::processEvents();
        screenshot(&form, QStringLiteral("main-window-empty-minimum"));
        EXPECT_TRUE(form.close());
    }
    ASSERT_TRUE(QFile::exists(dir.file(QStringLiteral("prefs.ini"))));
    QFile prefs(dir.file(QStringLiteral("prefs.ini")));
    ASSERT_TRUE(prefs.open(QIODevice::ReadOnly));
    const QStringList lines = splitTextLines(decodeTextFile(prefs.readAll()));
    EXPECT_TRUE(lines.contains(QStringLiteral("POSW=600")));
    EXPECT_TRUE(lines.contains(QStringLiteral("POSH=480")));
    EXPECT_TRUE(lines.contains(QStringLiteral("isFirstLaunch=-1")));
}

TEST(MainWindow, RestoresGeometryClampedAndKeepsBottomPanelRule) {
    TTempProgramDir dir;
    dir.write(QStringLiteral("prefs.ini"), "POSW=20000\r\nPOSH=700\r\nPOST=10\r\nPOSL=10\r\nPAGE1=650\r\n");
    TForm1 form(dir.path(), {}, QString());
    form.show();
    QCoreApplication::processEvents();
    EXPECT_LE(form.width(), QApplication::primaryScreen()->availableGeometry().width());
    EXPECT_LE(form.bottomPages()->height(), 700 - 100);
    EXPECT_GE(form.minimumWidth(), 600);
    EXPECT_GE(form.minimumHeight(), 480);
}

TEST(MainWindow, ListsShowFilterAndSort) {
    TTempProgramDir dir;
    TForm1 form(dir.path(), {}, QString());
    form.resize(1280, 800);
    form.show();
    fillSampleLists(form.workspace());
    form.refreshLists();
    QCoreApplication::processEvents();
    EXPECT_EQ(form.windowTitle(),
              form.workspace().state().currentFileName + QStringLiteral(" [mode: string tables] - Quillery"));
    EXPECT_EQ(form.listPages()->tabText(0), QStringLiteral("STRINGS [7/7]"));
    const QAbstractItemModel* model = form.listProxy(0);
    EXPECT_EQ(model->index(4, 1).data().toString(), QStringLiteral("[NULL]"));
    EXPECT_EQ(model->index(5, 1).data().toString(), QStringLiteral("[SPACECHAR]"));
    EXPECT_EQ(model->index(0, 0).data().toString(), QStringLiteral("00010"));
    EXPECT_EQ(model->index(3, 3).data().toString(), QStringLiteral("12+"));
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), form.workspace().app.uiText(QStringLiteral("Original")));
    screenshot(&form, QStringLiteral("main-window-strings-loaded"));
    form.listPages()->setCurrentIndex(1);
    QCoreApplication::processEvents();
    screenshot(&form, QStringLiteral("main-window-dlstrings-long-text"));
    form.listPages()->setCurrentIndex(0);

    // Every status button up: only the empty and blank sources stay (the null button is down).
    form.setStatusButtons(false);
    EXPECT_EQ(visibleRows(form, 0), 2);
    EXPECT_EQ(form.listPages()->tabText(0), QStringLiteral("STRINGS [2/7]"));
    form.setStatusButtons(true);
    EXPECT_EQ(visibleRows(form, 0), 7);

    // Search text in the source, case-insensitive.
    form.applyFilter(QStringLiteral("RIFLE"));
    EXPECT_EQ(visibleRows(form, 0), 1);
    form.applyFilter(QString());

    // A header click sorts by the source, a second one the other way.
    QTreeView* view = form.listView(0);
    emit view->header()->sectionClicked(1);
    EXPECT_EQ(model->index(2, 1).data().toString(), QStringLiteral("Diamond City"));
    emit view->header()->sectionClicked(1);
    EXPECT_EQ(model->index(0, 1).data().toString(), QStringLiteral("Stimpak"));

    form.resize(600, 480);
    QCoreApplication::processEvents();
    screenshot(&form, QStringLiteral("main-window-strings-loaded-minimum"));
    adoptDocument(form.workspace(), TWorkMode::None);
}

TEST(MainWindow, ValidateAndPartialActOnTheSelection) {
    TTempProgramDir dir;
    TForm1 form(dir.path(), {}, QString());
    form.show();
    fillSampleLists(form.workspace());
    form.refreshLists();
    QTreeView* view = form.listView(0);
    view->setFocus();
    view->selectionModel()->select(form.listProxy(0)->index(2, 0),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    tSkyStr* entry = form.selectedEntries().value(0);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->gS, QStringLiteral("Nuka-Cola Quantum"));
    ASSERT_TRUE(form.commandAction(QStringLiteral("Menu_Validate"))->isEnabled());
    form.commandAction(QStringLiteral("Menu_Validate"))->trigger();
    EXPECT_TRUE(entry->hasParam(sStrParam::validated));
    form.commandAction(QStringLiteral("Menu_Partial"))->trigger();
    EXPECT_TRUE(entry->hasParam(sStrParam::incompleteTrans));
    EXPECT_FALSE(entry->hasParam(sStrParam::validated));

    // Edit > Undo names the step and takes it back; the title marks unsaved work.
    EXPECT_TRUE(form.windowTitle().startsWith(QLatin1Char('*')));
    QAction* undo = form.commandAction(QStringLiteral("Menu_Undo"));
    QAction* redo = form.commandAction(QStringLiteral("Menu_Redo"));
    EXPECT_EQ(undo->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(redo->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    ASSERT_TRUE(undo->isEnabled());
    EXPECT_FALSE(redo->isEnabled());
    EXPECT_EQ(undo->text(), QStringLiteral("Undo Mark 1 string partial"));
    undo->trigger();
    EXPECT_TRUE(entry->hasParam(sStrParam::validated));
    EXPECT_EQ(redo->text(), QStringLiteral("Redo Mark 1 string partial"));
    undo->trigger();
    EXPECT_FALSE(entry->hasParam(sStrParam::validated));
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_FALSE(form.windowTitle().startsWith(QLatin1Char('*')));
    redo->trigger();
    EXPECT_TRUE(entry->hasParam(sStrParam::validated));
    EXPECT_TRUE(form.windowTitle().startsWith(QLatin1Char('*')));
    form.workspace().markWorkSaved(); // nothing to ask when the test window closes
    adoptDocument(form.workspace(), TWorkMode::None);
}

TEST(MainWindow, CommandsFollowTheModeAndTheRegisteredHandlers) {
    TTempProgramDir dir;
    TForm1 form(dir.path(), {}, QString());
    EXPECT_TRUE(form.commandAction(QStringLiteral("Load_Esp"))->isEnabled());
    EXPECT_FALSE(form.commandAction(QStringLiteral("Trans_Exact"))->isEnabled()); // nothing loaded, no handler
    int runs = 0;
    form.setCommand(QStringLiteral("Trans_Exact"), [&runs] { ++runs; });
    EXPECT_FALSE(form.commandAction(QStringLiteral("Trans_Exact"))->isEnabled());
    adoptDocument(form.workspace(), TWorkMode::Esp);
    form.workspace().document = std::make_unique<TPluginDocument>();
    form.updateCommands();
    EXPECT_TRUE(form.commandAction(QStringLiteral("Trans_Exact"))->isEnabled());
    form.commandAction(QStringLiteral("Trans_Exact"))->trigger();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(form.commandAction(QStringLiteral("Menu_ExportEsp"))->text(),
              form.workspace().app.uiText(QStringLiteral("Menu_ExportEsp")));
    adoptDocument(form.workspace(), TWorkMode::ScriptPex);
    form.workspace().document = std::make_unique<TScriptDocument>();
    form.updateCommands();
    EXPECT_EQ(form.commandAction(QStringLiteral("Menu_ExportEsp"))->text(),
              form.workspace().app.uiText(QStringLiteral("Menu_ExportPex")));
    // While an operation runs nothing can be started, and closing is refused.
    form.workspace().app.beginOperation(QStringLiteral("Working"));
    EXPECT_FALSE(form.commandAction(QStringLiteral("Load_Esp"))->isEnabled());
    EXPECT_EQ(form.statusPanel(2)->text(), QStringLiteral("Working"));
    form.show();
    EXPECT_FALSE(form.close());
    form.workspace().app.endOperation();
    EXPECT_EQ(form.progressBar()->value(), form.progressBar()->maximum());
    EXPECT_TRUE(form.commandAction(QStringLiteral("Load_Esp"))->isEnabled());
    EXPECT_TRUE(form.logPane()->toPlainText().contains(QStringLiteral("-----------------------------------------")));
    adoptDocument(form.workspace(), TWorkMode::None);
}

TEST(MainWindow, RecentFilesAndPresetMenus) {
    TTempProgramDir dir;
    const QString existing = dir.write(QStringLiteral("Mods/MyMod.esp"), "TES4");
    dir.write(QStringLiteral("prefs.ini"), QStringLiteral("Recent0=%1\r\nRecent1=%2\r\nPresetLang0=preset_en_de\r\n"
                                                          "PresetLang1=preset_en_fr\r\n")
                                               .arg(existing, dir.file(QStringLiteral("gone.esp")))
                                               .toUtf8());
    TForm1 form(dir.path(), {}, QString());
    QMenu* recent = form.findChild<QMenu*>(QStringLiteral("Recent_files"));
    ASSERT_NE(recent, nullptr);
    ASSERT_EQ(recent->actions().size(), 2);
    EXPECT_TRUE(recent->actions()[0]->text().startsWith(QStringLiteral("&1 MyMod.esp")))
        << recent->actions()[0]->text().toStdString();
    EXPECT_EQ(recent->actions()[1]->objectName(), QStringLiteral("RecentMenu1"));
    // A vanished file is dropped from the list with a message.
    auto* closer = new QTimer(&form);
    QObject::connect(closer, &QTimer::timeout, [] {
        if (auto* d = qobject_cast<TFormDialog*>(QApplication::activeModalWidget())) d->ButtonOk->click();
    });
    closer->start(20);
    recent->actions()[1]->trigger();
    closer->stop();
    EXPECT_EQ(form.workspace().state().recentAddon, QStringList{existing});
    EXPECT_EQ(form.findChild<QMenu*>(QStringLiteral("Recent_files"))->actions().size(), 1);

    QMenu* presets = form.findChild<QMenu*>(QStringLiteral("lang_presets"));
    ASSERT_NE(presets, nullptr);
    EXPECT_EQ(presets->actions()[0]->objectName(), QStringLiteral("mPreset0"));
    EXPECT_EQ(
        presets->actions()[0]->text(),
        form.workspace().app.uiTextFormat(QStringLiteral("Menu_preset"), {QStringLiteral("en"), QStringLiteral("de")}));
    // The preset of the current languages does nothing; the other one switches without asking (nothing loaded).
    presets->actions()[1]->trigger();
    EXPECT_EQ(form.workspace().state().DestLang, QStringLiteral("fr"));
    presets->actions()[0]->trigger();
    EXPECT_EQ(form.workspace().state().DestLang, QStringLiteral("de"));
    EXPECT_EQ(form.statusPanel(1)->text(), QStringLiteral("[en]->[de] "));
    form.workspace().state().SourceLang = QStringLiteral("fr");
    form.commandAction(QStringLiteral("addPreset"))->trigger();
    EXPECT_EQ(form.workspace().state().presetlang.size(), 3);
    form.commandAction(QStringLiteral("clearPreset"))->trigger();
    EXPECT_TRUE(form.workspace().state().presetlang.isEmpty());
    EXPECT_EQ(form.findChild<QMenu*>(QStringLiteral("lang_presets"))->actions().size(), 3);
}

TEST(MainWindow, DropTakesOnlyKnownKinds) {
    TTempProgramDir dir;
    TForm1 form(dir.path(), {}, QString());
    const QString archive = dir.write(QStringLiteral("Mod - Main.ba2"), "BTDX");
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(archive)});
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &drop);
    EXPECT_TRUE(form.logPane()->toPlainText().isEmpty() ||
                !form.logPane()->toPlainText().contains(QStringLiteral("Mod - Main.ba2")));
    EXPECT_EQ(form.workspace().state().WorkMode, TWorkMode::None);
}

TEST(MessageDialog, ButtonSetsAndEscape) {
    TAppContext app;
    app.texts.set(QStringLiteral("Yes"), QStringLiteral("Yes"));
    struct rCase {
        int buttons;
        bool yes, no, ok, cancel;
        const char* screenshot;
    };
    for (const rCase& c : {rCase{dbOk, false, false, true, false, "message-dialog-ok"},
                           rCase{dbYesNo, true, true, false, false, "message-dialog-yes-no"},
                           rCase{dbYesNoCancel, true, true, false, true, "message-dialog-yes-no-cancel"}}) {
        TFormDialog dialog(app, TAppContext::programCaption(),
                           QStringLiteral("Save the changes to the dictionary of MyMod.esp before closing it?"),
                           c.buttons);
        dialog.setAttribute(Qt::WA_DeleteOnClose, false);
        dialog.show();
        EXPECT_EQ(!dialog.ButtonYes->isHidden(), c.yes);
        EXPECT_EQ(!dialog.ButtonNo->isHidden(), c.no);
        EXPECT_EQ(!dialog.ButtonOk->isHidden(), c.ok);
        EXPECT_EQ(!dialog.ButtonCancel->isHidden(), c.cancel);
        EXPECT_GE(dialog.width(), 450);
        EXPECT_GE(dialog.height(), 85);
        screenshot(&dialog, QLatin1String(c.screenshot));
        dialog.close();
    }
    // Escape answers Cancel in the set of 11; a Yes/No question ignores it.
    auto runWithKey = [&app](int buttons, std::function<void(TFormDialog*)> act) {
        int result = -1;
        QTimer::singleShot(50, [&act] {
            if (auto* d = qobject_cast<TFormDialog*>(QApplication::activeModalWidget())) act(d);
        });
        result = showMessageDialog(app, QStringLiteral("t"), QStringLiteral("question"), buttons, 1000, nullptr);
        return result;
    };
    EXPECT_EQ(runWithKey(dbYesNoCancel, [](TFormDialog* d) { pressKey(d, Qt::Key_Escape); }), drCancel);
    EXPECT_EQ(runWithKey(dbYesNo,
                         [](TFormDialog* d) {
                             pressKey(d, Qt::Key_Escape);
                             if (d->isVisible()) d->ButtonNo->click();
                         }),
              drNo);
    EXPECT_EQ(runWithKey(dbYesNoCancel, [](TFormDialog* d) { pressKey(d, Qt::Key_Return); }), drYes);
    // A self-closing dialog returns at once and goes away after its interval.
    EXPECT_EQ(showMessageDialog(app, QStringLiteral("t"), QStringLiteral("saved"), dbSelfClosing, 30, nullptr), drOk);
    EXPECT_EQ(visibleDialogs().size(), 1);
    wait(150);
    EXPECT_TRUE(visibleDialogs().isEmpty());
}

TEST(MessageDialog, SizingRuleGrowsWithTheText) {
    const QFont font = QApplication::font();
    EXPECT_EQ(TFormDialog::clientSizeFor(QStringLiteral("Ok"), font), QSize(450, 85));
    const QString longText = QStringLiteral("word ").repeated(400);
    const QSize big = TFormDialog::clientSizeFor(longText, font);
    EXPECT_GT(big.height(), 85);
    EXPECT_LE(big.width(), 450);
}

TEST(GuiHost, FiltersInEitherForm) {
    EXPECT_EQ(TGuiHost::dialogFilter(QStringLiteral("Plugins|*.esp;*.esm|All files|*.*")),
              QStringLiteral("Plugins (*.esp *.esm);;All files (*)"));
    EXPECT_EQ(TGuiHost::dialogFilter(QStringLiteral("Scripts (*.pex)")), QStringLiteral("Scripts (*.pex)"));
}

int main(int argc, char** argv) {
    // Test discovery runs the binary without the test environment: never reach for a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

TEST(MainWindow, HalfAMillionStringsOpenFilterAndSort) {
    TTempProgramDir dir;
    TForm1 form(dir.path(), {}, QString());
    form.resize(1280, 800);
    form.show();
    TWorkspace& ws = form.workspace();
    constexpr int count = 500000;
    ws.loadedLists[0].reserve(count);
    for (int i = 0; i < count; ++i)
        ws.loadedLists[0].push_back(std::make_unique<tSkyStr>(QStringLiteral("Source text number %1").arg(i),
                                                              QStringLiteral("Texte %1").arg(i), 0, i, 0,
                                                              i % 3 ? sStrParams{} : sStrParams{sStrParam::validated}));
    adoptDocument(ws, TWorkMode::Strings);
    QElapsedTimer timer;
    timer.start();
    form.refreshLists();
    QCoreApplication::processEvents();
    const qint64 openMs = timer.restart();
    EXPECT_EQ(form.listProxy(0)->rowCount(), count);
    form.applyFilter(QStringLiteral("number 4999"));
    const qint64 filterMs = timer.restart();
    EXPECT_EQ(form.listProxy(0)->rowCount(), 111); // 4999, 49990-49999, 499900-499999
    form.applyFilter(QString());
    emit form.listView(0)->header()->sectionClicked(1);
    const qint64 sortMs = timer.restart();
    EXPECT_EQ(form.listProxy(0)->index(0, 1).data().toString(), QStringLiteral("Source text number 0"));
    EXPECT_EQ(form.listProxy(0)->index(1, 1).data().toString(), QStringLiteral("Source text number 1"));
    EXPECT_EQ(form.listProxy(0)->index(2, 1).data().toString(), QStringLiteral("Source text number 10"));
    // Timings are reported for the record, never asserted.
    std::printf("500000 strings: open %lld ms, filter %lld ms, sort by source %lld ms\n",
                static_cast<long long>(openMs), static_cast<long long>(filterMs), static_cast<long long>(sortMs));
    adoptDocument(form.workspace(), TWorkMode::None);
}

TEST(MainWindow, HeaderSortsOfEveryColumnFollowTheListsSortRule) {
    TTempProgramDir dir;
    TForm1 form(dir.path(), {}, QString());
    fillSampleLists(form.workspace());
    form.refreshLists();
    TWorkspace& ws = form.workspace();
    for (int column = 0; column < kListColumnCount; ++column) {
        for (Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            form.listModel(0)->sortBy(column, order);
            for (int r = 1; r < form.listModel(0)->rowCount(); ++r) {
                const int c =
                    compareListEntries(ws, *form.listModel(0)->entryAt(r - 1), *form.listModel(0)->entryAt(r), column);
                if (order == Qt::AscendingOrder)
                    EXPECT_LE(c, 0) << column << " row " << r;
                else
                    EXPECT_GE(c, 0) << column << " row " << r;
            }
        }
    }
    // The sort column clicked again after a command changed a translation sorts the new text ("Fusil laser" to
    // "Zap"), not the last order reversed.
    const int translated = static_cast<int>(TListColumn::translated);
    form.sortListView(0, translated, Qt::AscendingOrder);
    tSkyStr* laser = ws.loadedLists[0][0].get();
    rStoreRequest store;
    store.translation = QStringLiteral("Zap");
    store.carrySimilar = false;
    ASSERT_TRUE(ws.storeTranslation(laser, store));
    form.sortListView(0, translated, Qt::DescendingOrder);
    EXPECT_EQ(form.listModel(0)->entryAt(0), laser);
    for (int r = 1; r < form.listModel(0)->rowCount(); ++r)
        EXPECT_GE(
            compareListEntries(ws, *form.listModel(0)->entryAt(r - 1), *form.listModel(0)->entryAt(r), translated), 0)
            << "row " << r;
    adoptDocument(form.workspace(), TWorkMode::None);
}
