// A translator's first hour in the window: Save saving the dictionary with the document, a plugin saved in place and
// opened again, recent files, menus and their Alt keys, the state buttons, the encoding bar, the progress view, the
// options dialog's first words, the search dialog's memory, Qt's own French texts. Screenshots when
// QUILL_SCREENSHOT_DIR is set.
#include "plugin_builder.h"
#include "plugin_samples.h"
#include "temp_program_dir.h"
#include "ui_support.h"

#include "core/QUILL_dataList.h"
#include "ui/QUILL_Dialog.h"
#include "ui/QUILL_LangPref.h"
#include "ui/QUILL_aidsUi.h"
#include "ui/QUILL_encodingBar.h"
#include "ui/QUILL_hintWindow.h"
#include "ui/QUILL_mainWindow.h"
#include "ui/QUILL_menuMnemonics.h"
#include "ui/QUILL_progressView.h"
#include "ui/QUILL_stringListModel.h"
#include "workspace/QUILL_listRules.h"
#include "workspace/QUILL_workspace.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QStatusBar>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

// A window on a temporary program folder with the sample plugins in Data/.
struct TFirstHour {
    TTempProgramDir dir;
    std::unique_ptr<TForm1> form;
    QString plugin;
    explicit TFirstHour(const QByteArray& prefs = "isFirstLaunch=0\r\n") {
        dir.write(QStringLiteral("prefs.ini"), prefs);
        writePluginSamples(dir.file(QStringLiteral("Data")));
        plugin = dir.file(QStringLiteral("Data/QuillerySample.esp"));
        form = std::make_unique<TForm1>(dir.path(), QString(), QString());
        form->resize(1100, 700);
        form->show();
        QCoreApplication::processEvents();
    }
    ~TFirstHour() {
        ws().markWorkSaved();
        form->close();
    }
    TWorkspace& ws() { return form->workspace(); }
    bool open(const QString& path) {
        bool opened = false;
        form->runGuarded([&] { opened = ws().openFileByKind(path); });
        QCoreApplication::processEvents();
        return opened;
    }
    tSkyStr* entry(const QString& source) {
        for (const auto& list : ws().loadedLists)
            for (const auto& e : list)
                if (e->gS == source) return e.get();
        return nullptr;
    }
    void translate(const QString& source, const QString& translation) {
        rStoreRequest request;
        request.translation = translation;
        request.carrySimilar = false;
        ASSERT_TRUE(ws().storeTranslation(entry(source), request)) << source.toStdString();
    }
    QString prefs() { return decodeTextFile(fileBytes(dir.file(QStringLiteral("prefs.ini")))); }
};

// Answers every question with Yes (or Ok), and the saved-in-place question with its button `savedInPlaceChoice`.
TModalAnswerer answerYes(int savedInPlaceChoice = 0, QStringList* asked = nullptr) {
    return TModalAnswerer([savedInPlaceChoice, asked](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            if (asked) asked->append(box->objectName() + QLatin1Char(':') + box->text());
            screenshot(box, QStringLiteral("saved-in-place-question"));
            box->buttons().value(savedInPlaceChoice)->click();
            return true;
        }
        if (auto* question = qobject_cast<TFormDialog*>(modal)) {
            if (asked) asked->append(question->objectName());
            (question->ButtonYes->isVisible() ? question->ButtonYes : question->ButtonOk)->click();
            return true;
        }
        return false;
    });
}

} // namespace

TEST(WindowFirstHour, SaveKeepsTheDictionaryTooAndTheReopenedPluginOffersItsOriginal) {
    TFirstHour t;
    ASSERT_TRUE(t.open(t.plugin));
    const QString title = t.form->windowTitle();
    // The file, the mode, and the program's name once, at the end.
    EXPECT_TRUE(title.startsWith(QStringLiteral("QuillerySample.esp ["))) << title.toStdString();
    EXPECT_EQ(title.count(QStringLiteral("Quillery -")), 0) << title.toStdString();
    EXPECT_TRUE(title.endsWith(QStringLiteral(" - Quillery"))) << title.toStdString();

    t.translate(QStringLiteral("Quill Laser Musket"), QStringLiteral("Mousquet laser à plume"));
    t.translate(QStringLiteral("Ink Pistol"), QStringLiteral("Pistolet à encre"));
    EXPECT_TRUE(t.form->windowTitle().startsWith(QLatin1Char('*')));
    {
        auto answerer = answerYes();
        t.form->commandAction(QStringLiteral("Menu_ExportEsp"))->trigger();
    }
    // One Ctrl+S saved the plugin and its dictionary: nothing is left unsaved.
    EXPECT_FALSE(t.ws().hasUnsavedWork());
    EXPECT_FALSE(t.form->windowTitle().startsWith(QLatin1Char('*'))) << t.form->windowTitle().toStdString();
    EXPECT_EQ(QDir(t.dir.file(QStringLiteral("UserDictionary"))).entryList({QStringLiteral("*.sst")}).size(), 1);
    const QStringList backups =
        QDir(t.dir.file(QStringLiteral("Data"))).entryList({QStringLiteral("QuillerySample.esp.*")}, QDir::Files);
    ASSERT_EQ(backups.size(), 1);
    // The note says where the original went, in the log and in the status bar.
    EXPECT_TRUE(t.form->logPane()->toPlainText().contains(backups.first()));
    EXPECT_TRUE(t.form->statusPanel(2)->toolTip().contains(backups.first())); // whole, however narrow the window
    EXPECT_TRUE(t.form->statusPanel(2)->text().contains(backups.first()))
        << t.form->statusPanel(2)->text().toStdString();

    // Opened again (the recent files' way), the question offers the original; its texts come back with the
    // translations.
    QStringList asked;
    {
        auto answerer = answerYes(0, &asked);
        ASSERT_TRUE(t.open(t.plugin));
    }
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked.first().startsWith(QStringLiteral("SavedInPlace:"))) << asked.first().toStdString();
    EXPECT_TRUE(asked.first().contains(backups.first()));
    tSkyStr* musket = t.entry(QStringLiteral("Quill Laser Musket"));
    ASSERT_NE(musket, nullptr);
    EXPECT_EQ(musket->gTrans, QStringLiteral("Mousquet laser à plume"));

    // Going on with the file instead: its texts read as what they are, French in UTF-8.
    {
        auto answerer = answerYes(1);
        ASSERT_TRUE(t.open(t.plugin));
    }
    EXPECT_NE(t.entry(QStringLiteral("Mousquet laser à plume")), nullptr);
    EXPECT_EQ(t.entry(QStringLiteral("Quill Laser Musket")), nullptr);
}

TEST(WindowFirstHour, RecentFilesShowTheirFolderAndAreWrittenAtOnce) {
    TFirstHour t;
    const QString other = t.dir.file(QStringLiteral("Other"));
    writePluginSamples(other);
    ASSERT_TRUE(t.open(t.plugin));
    ASSERT_TRUE(t.open(QDir(other).filePath(QStringLiteral("QuillerySample.esp"))));
    // Written before the window closes, so that a crash keeps the list.
    const QString prefs = t.prefs();
    EXPECT_TRUE(prefs.contains(QStringLiteral("Recent0=") + QDir(other).filePath(QStringLiteral("QuillerySample.esp"))))
        << prefs.toStdString();
    EXPECT_TRUE(prefs.contains(QStringLiteral("Recent1=") + t.plugin)) << prefs.toStdString();
    // Two files of one name read apart by their folders.
    QMenu* recent = t.form->findChild<QMenu*>(QStringLiteral("Recent_files"));
    ASSERT_NE(recent, nullptr);
    ASSERT_EQ(recent->actions().size(), 2);
    const QString first = recent->actions()[0]->text(), second = recent->actions()[1]->text();
    EXPECT_NE(first, second);
    EXPECT_TRUE(first.contains(QStringLiteral("QuillerySample.esp")));
    EXPECT_TRUE(first.contains(QStringLiteral("Other")) || first.contains(QStringLiteral("\u2026")))
        << first.toStdString();
}

TEST(WindowFirstHour, MenusHaveAltKeysOpenMenuFilesAndTheMaximizedStateIsKept) {
    TFirstHour t;
    QMenuBar* bar = t.form->menuBar();
    QSet<QChar> barKeys;
    for (QAction* menu : bar->actions()) {
        const qsizetype amp = menu->text().indexOf(QLatin1Char('&'));
        ASSERT_GE(amp, 0) << menu->text().toStdString();
        EXPECT_FALSE(barKeys.contains(menu->text()[amp + 1].toLower())) << menu->text().toStdString();
        barKeys.insert(menu->text()[amp + 1].toLower());
    }
    // Alt+O is Options.
    QMenu* options = t.form->findChild<QMenu*>(QStringLiteral("Options"));
    EXPECT_TRUE(options->title().startsWith(QStringLiteral("&O"))) << options->title().toStdString();

    QMenu* file = t.form->findChild<QMenu*>(QStringLiteral("File"));
    QAction* menuFile = t.form->commandAction(QStringLiteral("Load_MenuFile"));
    ASSERT_NE(menuFile, nullptr);
    EXPECT_TRUE(file->actions().contains(menuFile));
    EXPECT_TRUE(menuFile->isEnabled());
    giveMnemonics(file);
    QSet<QChar> keys;
    for (QAction* action : file->actions()) {
        if (action->isSeparator()) continue;
        const qsizetype amp = action->text().indexOf(QLatin1Char('&'));
        ASSERT_GE(amp, 0) << action->text().toStdString();
        EXPECT_FALSE(keys.contains(action->text()[amp + 1].toLower())) << action->text().toStdString();
        keys.insert(action->text()[amp + 1].toLower());
    }
    // A caption changed by its owner gets its Alt key again; the shortcut text is untouched.
    t.form->updateCommands();
    giveMnemonics(file);
    EXPECT_EQ(menuFile->text().count(QLatin1Char('&')), 1);

    t.form->showMaximized();
    QCoreApplication::processEvents();
    const bool maximized = t.form->isMaximized(); // the offscreen platform may refuse
    t.form->close();
    EXPECT_EQ(t.prefs().contains(QStringLiteral("POSMAX=-1")), maximized);
    TForm1 again(t.dir.path(), QString(), QString());
    EXPECT_EQ(again.windowState().testFlag(Qt::WindowMaximized), maximized);
}

TEST(WindowFirstHour, StateButtonsSayWhetherTheirStringsAreListed) {
    TFirstHour t;
    auto* translated = t.form->findChild<QToolButton*>(QStringLiteral("ToolButton4"));
    ASSERT_NE(translated, nullptr);
    EXPECT_FALSE(translated->autoRaise()); // drawn sunken when on, hovered or not
    EXPECT_TRUE(translated->isChecked());
    const QString hint = t.ws().app.uiText(QStringLiteral("Hint_SearchTrans"));
    EXPECT_EQ(translated->toolTip(), t.ws().app.uiTextFormat(QStringLiteral("Hint_StateOn"), {hint}));
    translated->click();
    EXPECT_FALSE(translated->isChecked());
    EXPECT_EQ(translated->toolTip(), t.ws().app.uiTextFormat(QStringLiteral("Hint_StateOff"), {hint}));
    translated->click();
    translateWindow(t.form.get(), t.ws().app); // a language change keeps the state in the hint
    EXPECT_EQ(translated->toolTip(), t.ws().app.uiTextFormat(QStringLiteral("Hint_StateOn"), {hint}));
}

TEST(WindowFirstHour, TextsInTheWrongEncodingShowABarThatReopensReadingUtf8) {
    TFirstHour t;
    TPluginBuilder utf8;
    utf8.beginGroup("WEAP");
    utf8.record("WEAP", 0x100, {TPluginBuilder::text("EDID", "Gun"), TPluginBuilder::text("FULL", "Café crème")});
    utf8.record("WEAP", 0x101,
                {TPluginBuilder::text("EDID", "Pistol"), TPluginBuilder::text("FULL", "Pistolet étranger")});
    utf8.endGroup();
    const QString path = t.dir.write(QStringLiteral("Data/french.esp"), utf8.bytes());
    auto* bar = t.form->findChild<TEncodingBar*>(QStringLiteral("EncodingBar"));
    ASSERT_NE(bar, nullptr);
    EXPECT_FALSE(bar->isVisible());
    ASSERT_TRUE(t.open(path));
    ASSERT_TRUE(bar->isVisible());
    EXPECT_TRUE(bar->message()->text().startsWith(QStringLiteral("2 "))) << bar->message()->text().toStdString();
    screenshot(t.form.get(), QStringLiteral("encoding-bar"));
    bar->reopenButton()->click();
    QCoreApplication::processEvents();
    EXPECT_FALSE(bar->isVisible());
    EXPECT_NE(t.entry(QStringLiteral("Café crème")), nullptr);
    EXPECT_TRUE(t.form->commandAction(QStringLiteral("ForceUtf8Load"))->isChecked());
    // Dismissed, the bar stays away until another document shows the same.
    t.ws().state().ForceUtf8Load = false;
    ASSERT_TRUE(t.open(path));
    EXPECT_TRUE(bar->isVisible());
    bar->dismissButton()->click();
    EXPECT_FALSE(bar->isVisible());
}

TEST(WindowFirstHour, ProgressViewAndStatusLineFollowTheWork) {
    TFirstHour t;
    ASSERT_TRUE(t.open(t.plugin));
    QLabel* line = progressStatusLabel(*t.form);
    ASSERT_NE(line, nullptr);
    const qsizetype total = countListSet(t.ws().loadedLists);
    waitUntil([line] { return !line->text().isEmpty(); });
    EXPECT_EQ(line->text(), QStringLiteral("0 of %1 strings translated (0%)").arg(total));
    t.translate(QStringLiteral("Quill Laser Musket"), QStringLiteral("Mousquet laser"));
    const QString before = line->text();
    waitUntil([line, &before] { return line->text() != before; });
    EXPECT_EQ(line->text(), QStringLiteral("1 of %1 strings translated (%2%)").arg(total).arg(100 / total));

    t.form->commandAction(QStringLiteral("Menu_Progress"))->trigger();
    TProgressView* view = progressView(*t.form);
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->isVisible());
    QTreeWidget* table = view->table();
    ASSERT_EQ(table->topLevelItemCount(), 2); // the lists, then the record and field pairs
    EXPECT_EQ(table->topLevelItem(0)->text(2), QString::number(total));
    bool weapons = false;
    for (int i = 0; i < table->topLevelItem(1)->childCount(); ++i) {
        QTreeWidgetItem* row = table->topLevelItem(1)->child(i);
        if (row->text(0) != QStringLiteral("WEAP FULL")) continue;
        weapons = true;
        EXPECT_EQ(row->text(3).toInt() + row->text(4).toInt(), 1); // validated or translated
    }
    EXPECT_TRUE(weapons);
    view->resize(900, 640);
    screenshot(view, QStringLiteral("progress-view"));
    screenshot(t.form.get(), QStringLiteral("main-window-progress-status"));
}

TEST(WindowFirstHour, OptionsOpenWithoutAskingAndSayInOneLineWhatTheTablesAllow) {
    TFirstHour t;
    ASSERT_TRUE(t.open(t.plugin));
    t.translate(QStringLiteral("Ink Pistol"), QStringLiteral("Pistolet"));
    QStringList seen;
    TModalAnswerer answerer([&](QWidget* modal) {
        seen << modal->objectName();
        if (auto* options = qobject_cast<TForm3*>(modal)) {
            EXPECT_FALSE(options->memo1->isVisible());
            EXPECT_TRUE(options->LabelTables->text().contains(t.ws().app.uiText(QStringLiteral("Game_Folder"))))
                << options->LabelTables->text().toStdString();
            QStringList names;
            for (int i = 0; i < options->ComboBox3->count(); ++i)
                names << options->ComboBox3->itemText(i);
            EXPECT_TRUE(names.contains(QStringLiteral("English")));
            EXPECT_TRUE(names.contains(QStringLiteral("Français")));
            options->resize(640, 600);
            screenshot(options, QStringLiteral("options-first-launch"));
            options->ButtonDetails->click();
            EXPECT_TRUE(options->memo1->isVisible());
            screenshot(options, QStringLiteral("options-first-launch-details"));
            options->reject();
            return true;
        }
        return false;
    });
    t.form->commandAction(QStringLiteral("Set_Options"))->trigger();
    // No question about the unsaved work when no language changes.
    EXPECT_EQ(seen, QStringList{QStringLiteral("TForm3")});
    EXPECT_TRUE(t.ws().hasUnsavedWork());
}

TEST(WindowFirstHour, SearchAndReplaceRemembersItsSettingsForTheSession) {
    TFirstHour t;
    ASSERT_TRUE(t.open(t.plugin));
    int opened = 0;
    TModalAnswerer answerer([&](QWidget* modal) {
        auto* search = qobject_cast<TForm4*>(modal);
        if (!search) return false;
        if (++opened == 1) {
            // At first: replace in the translations, no pattern in play.
            EXPECT_EQ(search->RadioGroup2->checkedId(), 0);
            search->ComboBox1->setEditText(QStringLiteral("Musket"));
            search->ComboBox2->setEditText(QStringLiteral("Mousquet"));
            search->CheckBox1->setChecked(true);
            search->reject();
        } else {
            EXPECT_EQ(search->ComboBox1->currentText(), QStringLiteral("Musket"));
            EXPECT_EQ(search->ComboBox2->currentText(), QStringLiteral("Mousquet"));
            EXPECT_TRUE(search->CheckBox1->isChecked());
            search->reject();
        }
        return true;
    });
    t.form->commandAction(QStringLiteral("SearchandReplace"))->trigger();
    ASSERT_TRUE(t.open(t.plugin)); // another opening between the two
    t.form->commandAction(QStringLiteral("SearchandReplace"))->trigger();
    EXPECT_EQ(opened, 2);
}

TEST(WindowFirstHour, FrenchInterfaceGivesTheEditorsQtsOwnFrenchMenu) {
    TFirstHour t("isFirstLaunch=0\r\nUILang=french\r\n");
    auto* search = t.form->findChild<QLineEdit*>(QStringLiteral("ButtonedEdit1"));
    ASSERT_NE(search, nullptr);
    std::unique_ptr<QMenu> menu(search->createStandardContextMenu());
    QStringList texts;
    for (QAction* action : menu->actions())
        texts << action->text().section(QLatin1Char('\t'), 0, 0).remove(QLatin1Char('&')); // without the shortcut
    if (texts.contains(QStringLiteral("Copy")) &&
        t.form->logPane()->toPlainText().contains(QStringLiteral("qt6-translations")))
        GTEST_SKIP() << "Qt's French translations are not installed (qt6-translations-l10n)";
    EXPECT_TRUE(texts.contains(QStringLiteral("Copier"))) << texts.join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(texts.contains(QStringLiteral("Copy")));
    menu->popup(t.form->mapToGlobal(QPoint(200, 60)));
    QCoreApplication::processEvents();
    screenshot(menu.get(), QStringLiteral("french-editor-menu"));
    menu->close();
}

TEST(WindowFirstHour, TheFormattedHintShowsOverLongBookTextsWithoutCoveringThePointer) {
    const QRect desk(0, 0, 1280, 800);
    EXPECT_EQ(TQUILLHint::placeHint({300, 100}, {100, 100}, desk).top(), 120);    // below the pointer
    EXPECT_LT(TQUILLHint::placeHint({300, 200}, {100, 700}, desk).bottom(), 700); // above it near the bottom
    for (const QPoint pointer : {QPoint(100, 400), QPoint(1200, 400)}) {
        // Taller than either side, or than the desktop: beside the pointer, inside the desktop, never over it.
        for (const QSize size : {QSize(400, 700), QSize(400, 2000)}) {
            const QRect r = TQUILLHint::placeHint(size, pointer, desk);
            EXPECT_FALSE(r.contains(pointer)) << pointer.x() << " " << size.height();
            EXPECT_TRUE(desk.contains(r)) << pointer.x() << " " << size.height();
        }
    }

    TFirstHour t;
    ASSERT_TRUE(t.open(t.plugin));
    t.form->listPages()->setCurrentIndex(1); // DLSTRINGS: the books
    QTreeView* view = t.form->listView(1);
    QCoreApplication::processEvents();
    QModelIndex book;
    for (int row = 0; row < view->model()->rowCount() && !book.isValid(); ++row) {
        const QModelIndex source = view->model()->index(row, 1);
        if (source.data(Qt::DisplayRole).toString().size() > 120) book = source;
    }
    ASSERT_TRUE(book.isValid());
    const QPoint at = view->visualRect(book).topLeft() + QPoint(10, 4);
    QHelpEvent help(QEvent::ToolTip, at, view->viewport()->mapToGlobal(at));
    QApplication::sendEvent(view->viewport(), &help);
    TQUILLHint* hint = TQUILLHint::instance();
    ASSERT_TRUE(hint->isVisible());
    EXPECT_FALSE(hint->text().isEmpty());
    EXPECT_FALSE(hint->geometry().contains(view->viewport()->mapToGlobal(at)));
    EXPECT_TRUE(hint->testAttribute(Qt::WA_TransparentForMouseEvents) ||
                hint->windowFlags().testFlag(Qt::WindowTransparentForInput));
    screenshot(hint, QStringLiteral("hint-book-text"));
    hint->hide();
}

TEST(WindowFirstHour, ATextColumnSortsAlphabeticallyWhateverTheState) {
    TFirstHour t;
    ASSERT_TRUE(t.open(t.plugin));
    t.translate(QStringLiteral("Quill Laser Musket"), QStringLiteral("Zone"));
    t.translate(QStringLiteral("Ink Pistol"), QStringLiteral("écran"));
    t.translate(QStringLiteral("Paper Knife"), QStringLiteral("Arme"));
    t.translate(QStringLiteral("Heavy Typewriter"), QStringLiteral("Épée"));
    QTreeView* view = t.form->listView(0);
    const auto column = [view](int c) {
        QStringList texts;
        for (int row = 0; row < view->model()->rowCount(); ++row)
            texts << view->model()->index(row, c).data(Qt::DisplayRole).toString();
        return texts;
    };
    // The sources in their order, translated or not: a source's state never comes before its letters.
    emit view->header()->sectionClicked(1);
    const QStringList sources = column(1);
    EXPECT_LT(sources.indexOf(QStringLiteral("Heavy Typewriter")), sources.indexOf(QStringLiteral("Ink Pistol")));
    EXPECT_LT(sources.indexOf(QStringLiteral("Paper Knife")), sources.indexOf(QStringLiteral("Quill Laser Musket")));
    for (qsizetype i = 1; i < sources.size(); ++i)
        EXPECT_LE(compareListEntries(t.ws(), *t.entry(sources[i - 1]), *t.entry(sources[i]), 1), 0) << i;
    // The translations alphabetically: accents and case do not send a word after "Zone".
    emit view->header()->sectionClicked(2);
    QStringList translations = column(2);
    translations.removeIf([](const QString& text) {
        return !QStringList{QStringLiteral("Zone"), QStringLiteral("écran"), QStringLiteral("Arme"),
                            QStringLiteral("Épée")}
                    .contains(text);
    });
    EXPECT_EQ(translations, (QStringList{QStringLiteral("Arme"), QStringLiteral("écran"), QStringLiteral("Épée"),
                                         QStringLiteral("Zone")}));
}

TEST(WindowFirstHour, FrenchDialogTitlesAndMessagesShowWhole) {
    TFirstHour t("isFirstLaunch=0\r\nUILang=french\r\n");
    const TAppContext& app = t.ws().app;
    QDialog search(t.form.get());
    search.setWindowTitle(app.uiText(QStringLiteral("SearchandReplace"))); // "Rechercher et remplacer..."
    search.resize(150, 120);
    search.show();
    QCoreApplication::processEvents();
    QFont bold = search.font();
    bold.setBold(true);
    EXPECT_EQ(search.windowTitle(), QStringLiteral("Rechercher et remplacer")); // a window's title, not a menu item's
    EXPECT_GT(search.width(), QFontMetrics(bold).horizontalAdvance(search.windowTitle()));

    // A long question wraps to more lines than the size hint guesses: every line shows.
    const QString question = app.uiTextFormat(QStringLiteral("Ask_SavingSST"), {QStringLiteral("QuillerySample.esp")}) +
                             QLatin1Char(' ') + app.uiText(QStringLiteral("Ask_LangUnload")) + QLatin1Char(' ') +
                             app.uiText(QStringLiteral("Ask_LangUnload"));
    TFormDialog box(app, QStringLiteral("Quillery"), question, dbYesNo, t.form.get());
    box.show();
    QCoreApplication::processEvents();
    auto* label = box.findChild<QLabel*>(QStringLiteral("sContent"));
    ASSERT_NE(label, nullptr);
    EXPECT_GE(label->height(), label->heightForWidth(label->width()));
    EXPECT_LE(label->geometry().bottom(), box.ButtonYes->geometry().top());
    screenshot(&box, QStringLiteral("french-message-box"));

    // The desktop ends every title with the program's name: a question's title does not say it twice.
    const QString displayName = QGuiApplication::applicationDisplayName();
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Quillery"));
    QString title;
    {
        TModalAnswerer answerer([&title](QWidget* modal) {
            title = modal->windowTitle();
            static_cast<QDialog*>(modal)->reject();
            return true;
        });
        t.ws().app.messageDialog(QStringLiteral("?"), dbOk);
    }
    QGuiApplication::setApplicationDisplayName(displayName);
    EXPECT_EQ(title, QStringLiteral("Quillery"));
}
