// The quality checks in the window, over the sample mod with faults planted by the edit commands: the Checks tab and
// its filter, sort and status bar count following every command (an undo too), the lists' mark and "With problems"
// filter, the edit dialog opened from the tab with its list of problems, F1's question, ignored problems across a
// save and a reopen, the switches in the Options, and the command line printing what the tab shows.
#include "cli_runner.h"
#include "support/plugin_samples.h"
#include "support/string_table_builder.h"
#include "temp_program_dir.h"
#include "ui/QUILL_Dialog.h"
#include "ui/QUILL_LangPref.h"
#include "ui/QUILL_checksEditPanel.h"
#include "ui/QUILL_checksOptions.h"
#include "ui/QUILL_checksUi.h"
#include "ui/QUILL_editDialog.h"
#include "ui/QUILL_mainWindow.h"
#include "ui/QUILL_stringListModel.h"
#include "ui_support.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsChecks.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

using quillcheck::TCheck;

void key(QWidget* widget, int k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, k, mods);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, k, mods);
    QApplication::sendEvent(widget, &release);
}

// The sample mod's faults, as the command line's test plants them: (list, id, translation).
struct rPlanted {
    int list;
    uint32_t id;
    const char* translation;
};
const rPlanted kPlanted[] = {
    {1, 13,
     "<font face='$HandwrittenFont'><p align='center'><b>Le Livre des mots</b></p>\r\nChapitre un : chaque mot a un "
     "poids.\r\n<p align='right'>Chapitre deux : choisissez les plus légers.</p></font>"},
    {0, 1, "Bienvenue à l'atelier  Quillery."},
    {0, 4, "Pistolet\nà encre"},
    {2, 39, "Tu l'as trouvé ! Merci, l'ami"},
    {0, 35, "Du nouveau pour le manuscrit ?"},
};

struct TChecksWindow : TShownWindow {
    TChecksPage* page = nullptr;
    QString plugin;

    TChecksWindow() {
        form.resize(1280, 860);
        ws.state().quillexpertMode = true;
        ws.state().SourceLang = QStringLiteral("en");
        ws.state().DestLang = QStringLiteral("fr");
        plugin = writePluginSamples(ws.app, dir.file(QStringLiteral("Samples"))).value(1);
        page = checksPage(form);
        form.bottomPages()->setCurrentWidget(page); // its rows are made while it is shown
        reopen();
    }
    // Opens the localized sample; its checks run once the window is idle.
    void reopen() {
        EXPECT_TRUE(open(plugin));
        settle();
    }
    static void settle() {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }
    tSkyStr* entry(int list, uint32_t id) {
        for (const auto& e : ws.loadedLists[static_cast<size_t>(list)])
            if (e->id == id) return e.get();
        return nullptr;
    }
    // Stores a translation as the edit dialog's Ctrl+Enter does (validated, the same sources left alone).
    void store(tSkyStr* e, const QString& text) {
        rStoreRequest request;
        request.translation = text;
        request.carrySimilar = false;
        ASSERT_TRUE(form.runGuarded([&] { ws.storeTranslation(e, request); }));
    }
    void plant() {
        for (const rPlanted& p : kPlanted)
            store(entry(p.list, p.id), QString::fromUtf8(p.translation));
    }
    // The rows the tab shows, as "list:id check detail", in the view's order.
    QStringList shownRows() const {
        QStringList rows;
        const TProblemsProxy* proxy = page->proxy();
        for (int r = 0; r < proxy->rowCount(); ++r) {
            const tSkyStr* e = page->model()->entryAt(proxy->mapToSource(proxy->index(r, 0)).row());
            rows << QStringLiteral("%1:%2 %3 %4")
                        .arg(e->listIndex)
                        .arg(e->id)
                        .arg(proxy->index(r, TProblemsModel::columnCheck).data().toString(),
                             proxy->index(r, TProblemsModel::columnProblem).data().toString());
        }
        return rows;
    }
    QStringList shownRowsOf(int list, uint32_t id) const {
        return shownRows().filter(QRegularExpression(QStringLiteral("^%1:%2 ").arg(list).arg(id)));
    }
    QModelIndex rowOf(int list, uint32_t id, TCheck check) const {
        const TProblemsProxy* proxy = page->proxy();
        for (int r = 0; r < proxy->rowCount(); ++r) {
            const QModelIndex index = proxy->index(r, 0);
            const int row = proxy->mapToSource(index).row();
            const tSkyStr* e = page->model()->entryAt(row);
            if (e->listIndex == list && e->id == id && page->model()->problemAt(row)->check == check) return index;
        }
        return {};
    }
    // Closes the document, its unsaved work dropped.
    void closeWithoutSaving() {
        TModalAnswerer no([](QWidget* modal) {
            auto* question = qobject_cast<TFormDialog*>(modal);
            if (!question || !question->ButtonNo) return false;
            question->ButtonNo->click();
            return true;
        });
        form.runGuarded([this] { ws.closeAll(); });
        settle();
    }
    int openProblemCount() const {
        int total = 0;
        for (const int n : problemCounts(ws))
            total += n;
        return total;
    }
};

} // namespace

TEST(ChecksTab, ListsThePlantedFaultsAndFollowsEveryCommandAndUndo) {
    TChecksWindow w;
    ASSERT_NE(w.page, nullptr);
    // Beside Suggestions.
    QTabWidget* pages = w.form.bottomPages();
    EXPECT_EQ(pages->indexOf(w.page), pages->indexOf(w.form.autoTranslationPage()) + 1);
    // Opening ran the checks: the English texts of two words or more are untranslated.
    const int untranslated = problemCounts(w.ws)[static_cast<size_t>(TCheck::untranslated)];
    EXPECT_GT(untranslated, 20);
    EXPECT_EQ(w.page->proxy()->rowCount(), w.openProblemCount());
    EXPECT_EQ(w.shownRowsOf(0, 1), QStringList{"0:1 untranslated still the source text"});
    // Behind another page the tab makes no rows (the counts and the lists' marks come from the workspace); shown
    // again, it has them.
    pages->setCurrentIndex(0);
    w.reopen();
    EXPECT_EQ(w.page->model()->rowCount(), 0);
    EXPECT_EQ(problemCounts(w.ws)[static_cast<size_t>(TCheck::untranslated)], untranslated);
    pages->setCurrentWidget(w.page);
    EXPECT_EQ(w.page->proxy()->rowCount(), w.openProblemCount());

    w.plant();
    EXPECT_EQ(w.shownRowsOf(0, 1), QStringList{"0:1 double-space 1 double spaces, the source has 0"});
    EXPECT_EQ(w.shownRowsOf(0, 4), QStringList{"0:4 line-breaks a line break in WEAP:FULL, which holds none"});
    EXPECT_EQ(w.shownRowsOf(1, 13), QStringList{"1:13 tags [pagebreak] missing"});
    EXPECT_EQ(w.shownRowsOf(2, 39),
              QStringList{"2:39 end-punctuation the source ends with \".\", the translation with \"i\""});
    EXPECT_TRUE(w.shownRowsOf(0, 35).isEmpty());
    EXPECT_EQ(w.page->proxy()->rowCount(), w.openProblemCount());
    EXPECT_EQ(problemCounts(w.ws)[static_cast<size_t>(TCheck::untranslated)], untranslated - 5);

    // The status bar counts the problems; its click shows the tab.
    auto* status = w.form.statusBar()->findChild<QToolButton*>(QStringLiteral("ChecksStatus"));
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(status->isVisible());
    EXPECT_EQ(status->text(), QStringLiteral("%1 problems").arg(w.openProblemCount()));
    EXPECT_TRUE(status->toolTip().contains(QStringLiteral("tags: 1")));
    status->click();
    EXPECT_EQ(pages->currentWidget(), w.page);

    // One check at a time, with its count in the filter.
    QComboBox* filter = w.page->checkFilter();
    const int tags = filter->findData(static_cast<int>(TCheck::tags));
    ASSERT_GE(tags, 0);
    EXPECT_EQ(filter->itemText(tags), QStringLiteral("tags (1)"));
    filter->setCurrentIndex(tags);
    EXPECT_EQ(w.shownRows(), QStringList{"1:13 tags [pagebreak] missing"});
    filter->setCurrentIndex(0);
    // Sorted by a header click, by check name (the Problem column keeps a check's problems together too); then back
    // in the order of the lists, as --check prints them.
    for (const int column : {TProblemsModel::columnCheck, TProblemsModel::columnProblem}) {
        w.page->view()->sortByColumn(column, Qt::AscendingOrder);
        QString previous;
        for (int r = 0; r < w.page->proxy()->rowCount(); ++r) {
            const QString check = w.page->proxy()->index(r, TProblemsModel::columnCheck).data().toString();
            EXPECT_LE(previous, check);
            previous = check;
        }
    }
    w.page->view()->sortByColumn(TProblemsModel::columnList, Qt::AscendingOrder);
    EXPECT_TRUE(w.shownRows().first().startsWith(QStringLiteral("0:")));
    EXPECT_TRUE(w.shownRows().last().startsWith(QStringLiteral("2:")));

    // The lists mark the rows with problems; "With problems" shows only them, follows a fix, and "all" releases it.
    tSkyStr* welcome = w.entry(0, 1);
    TStringListProxy* list = w.form.listProxy(0);
    const auto indexOf = [&](const tSkyStr* e, int column) {
        for (int r = 0; r < list->rowCount(); ++r)
            if (list->entryAt(list->index(r, 0)) == e) return list->index(r, column);
        return QModelIndex();
    };
    const auto markersOf = [&](const tSkyStr* e) {
        const QModelIndex index = indexOf(e, 0);
        return index.isValid() ? index.data(TStringListModel::kMarkersRole).toInt() : -1;
    };
    EXPECT_TRUE(markersOf(welcome) & rowMarkerProblem);
    EXPECT_FALSE(markersOf(w.entry(0, 35)) & rowMarkerProblem);
    EXPECT_TRUE(indexOf(welcome, 2)
                    .data(Qt::ToolTipRole)
                    .toString()
                    .endsWith(QStringLiteral("\n\ndouble-space: 1 double spaces, the source has 0")));
    const int rowsBefore = list->rowCount();
    w.form.problemsFilterButton()->click();
    EXPECT_LT(list->rowCount(), rowsBefore);
    EXPECT_EQ(markersOf(w.entry(0, 35)), -1);
    EXPECT_GE(markersOf(welcome), 0);
    for (int r = 0; r < list->rowCount(); ++r)
        EXPECT_TRUE(hasOpenProblems(w.ws, *list->entryAt(list->index(r, 0))));
    screenshot(&w.form, QStringLiteral("checks-tab"));
    w.store(welcome, QStringLiteral("Bienvenue à l'atelier Quillery."));
    EXPECT_EQ(markersOf(welcome), -1);
    EXPECT_TRUE(w.shownRowsOf(0, 1).isEmpty());

    // Undo brings the problem back, to the tab and the lists.
    w.form.runCommand(QStringLiteral("Menu_Undo"));
    EXPECT_EQ(w.shownRowsOf(0, 1), QStringList{"0:1 double-space 1 double spaces, the source has 0"});
    EXPECT_GE(markersOf(welcome), 0);
    w.form.setStatusButtons(true);
    EXPECT_FALSE(w.form.problemsFilterButton()->isChecked());
    EXPECT_EQ(list->rowCount(), rowsBefore);

    // Closing leaves nothing to show.
    w.closeWithoutSaving();
    EXPECT_EQ(w.page->model()->rowCount(), 0);
    EXPECT_FALSE(status->isVisible());
}

TEST(ChecksTab, OpensTheEditDialogWhereAFixRemovesTheRowAndF1AsksFirst) {
    TChecksWindow w;
    w.plant();
    TForm2* dialog = editDialog(w.form);
    ASSERT_NE(dialog, nullptr);
    TEditProblemsPanel* panel = editProblemsPanel(*dialog);
    ASSERT_NE(panel, nullptr);

    // A double click opens the string of the row; the problems show under the editor as the translator types.
    const QModelIndex doubled = w.rowOf(0, 1, TCheck::doubleSpace);
    ASSERT_TRUE(doubled.isValid());
    emit w.page->view()->doubleClicked(doubled);
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->focusedString(), w.entry(0, 1));
    EXPECT_TRUE(panel->isVisible());
    ASSERT_EQ(panel->list()->count(), 1);
    EXPECT_EQ(panel->list()->item(0)->text(), QStringLiteral("double-space: 1 double spaces, the source has 0"));
    dialog->translationEditor()->setPlainText(QStringLiteral("Bienvenue à l'atelier  Quillery ?!"));
    ASSERT_EQ(panel->list()->count(), 2);
    EXPECT_TRUE(panel->list()->item(1)->text().startsWith(QStringLiteral("end-punctuation: ")));
    dialog->resize(900, 640);
    screenshot(dialog, QStringLiteral("edit-dialog-problem"));

    // F1 on a string with problems asks; No keeps the string in the dialog, unstored.
    int asked = 0;
    const auto pressAndAnswer = [&](int k, Qt::KeyboardModifiers mods, bool yes, bool dontAsk) {
        TModalAnswerer answerer([&](QWidget* modal) {
            auto* question = qobject_cast<TValidateQuestion*>(modal);
            if (!question) return false;
            ++asked;
            const QString text = question->findChild<QLabel*>(QStringLiteral("QuestionText"))->text();
            EXPECT_TRUE(text.contains("double-space: ") || text.contains("line-breaks: ")) << text.toStdString();
            question->dontAskAgain->setChecked(dontAsk);
            (yes ? question->yesButton : question->noButton)->click();
            return true;
        });
        key(dialog->translationEditor(), k, mods);
    };
    pressAndAnswer(Qt::Key_F1, Qt::NoModifier, false, false);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(dialog->focusedString(), w.entry(0, 1));
    EXPECT_EQ(w.entry(0, 1)->gTrans, QStringLiteral("Bienvenue à l'atelier  Quillery."));
    EXPECT_EQ(w.shownRowsOf(0, 1).size(), 1);

    // Fixed, Ctrl+Enter stores without a question and the row goes from the tab.
    dialog->translationEditor()->setPlainText(QStringLiteral("Bienvenue à l'atelier Quillery."));
    EXPECT_FALSE(panel->isVisible());
    pressAndAnswer(Qt::Key_Return, Qt::ControlModifier, false, false);
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(w.shownRowsOf(0, 1).isEmpty());

    // Enter on a row of the tab opens its string; Yes with "Do not ask again" validates and stops the question.
    w.page->view()->setCurrentIndex(w.rowOf(0, 4, TCheck::lineBreaks));
    key(w.page->view(), Qt::Key_Return);
    ASSERT_EQ(dialog->focusedString(), w.entry(0, 4));
    dialog->translationEditor()->setPlainText(QStringLiteral("Pistolet\nd'encre"));
    pressAndAnswer(Qt::Key_F1, Qt::NoModifier, true, true);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(w.entry(0, 4)->gTrans, QStringLiteral("Pistolet\r\nd'encre")); // the game's line break
    EXPECT_TRUE(w.entry(0, 4)->hasParam(sStrParam::validated));
    EXPECT_FALSE(w.ws.state().checksAskBeforeValidate);
    EXPECT_EQ(w.shownRowsOf(0, 4).size(), 1); // validated as it is: still a problem, now a known one
    tSkyStr* next = dialog->focusedString();
    ASSERT_NE(next, w.entry(0, 4)); // moved on
    dialog->translationEditor()->setPlainText(QStringLiteral("un  deux"));
    pressAndAnswer(Qt::Key_F1, Qt::NoModifier, false, false);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(next->gTrans, QStringLiteral("un  deux"));

    // A problem ignored for its string shows greyed and is not asked about.
    w.ws.state().checksAskBeforeValidate = true;
    w.page->setIgnored(*w.entry(2, 39), TCheck::endPunctuation, true);
    dialog->openEditDialog(true, w.entry(2, 39));
    ASSERT_EQ(panel->list()->count(), 1);
    EXPECT_TRUE(panel->list()->item(0)->text().endsWith(QStringLiteral("(ignored)")));
    dialog->translationEditor()->setPlainText(QStringLiteral("Tu l'as trouvé ! Merci, mon ami"));
    pressAndAnswer(Qt::Key_Return, Qt::ControlModifier, false, false);
    EXPECT_EQ(asked, 2);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(w.entry(2, 39)->gTrans, QStringLiteral("Tu l'as trouvé ! Merci, mon ami"));
}

TEST(ChecksTab, AnIgnoredProblemStaysIgnoredAcrossASaveAndAReopen) {
    TChecksWindow w;
    w.plant();
    const int open = w.openProblemCount();
    w.page->view()->selectionModel()->select(w.rowOf(2, 39, TCheck::endPunctuation),
                                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    w.page->ignoreSelected(true);
    EXPECT_TRUE(w.shownRowsOf(2, 39).isEmpty());
    EXPECT_EQ(w.openProblemCount(), open - 1);
    EXPECT_TRUE(w.form.windowTitle().startsWith(QLatin1Char('*')));
    EXPECT_TRUE(w.page->summary()->text().endsWith(QStringLiteral("(1 ignored)")));
    w.page->showIgnoredBox()->setChecked(true);
    const QModelIndex ignored = w.rowOf(2, 39, TCheck::endPunctuation);
    ASSERT_TRUE(ignored.isValid());
    EXPECT_TRUE(ignored.data(TProblemsModel::kIgnoredRole).toBool());
    EXPECT_TRUE(ignored.data(Qt::FontRole).value<QFont>().italic());

    w.form.runCommand(QStringLiteral("Save_SST"));
    EXPECT_FALSE(w.form.windowTitle().startsWith(QLatin1Char('*')));
    w.closeWithoutSaving();
    w.reopen();
    EXPECT_EQ(w.entry(2, 39)->gTrans, QStringLiteral("Tu l'as trouvé ! Merci, l'ami"));
    ASSERT_TRUE(w.rowOf(2, 39, TCheck::endPunctuation).isValid());
    EXPECT_TRUE(w.rowOf(2, 39, TCheck::endPunctuation).data(TProblemsModel::kIgnoredRole).toBool());
    w.page->showIgnoredBox()->setChecked(false);
    EXPECT_TRUE(w.shownRowsOf(2, 39).isEmpty());

    // Taken back from the context menu's action.
    w.page->showIgnoredBox()->setChecked(true);
    w.page->view()->selectionModel()->select(w.rowOf(2, 39, TCheck::endPunctuation),
                                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    w.page->ignoreSelected(false);
    w.page->showIgnoredBox()->setChecked(false);
    EXPECT_EQ(w.shownRowsOf(2, 39).size(), 1);
}

TEST(ChecksTab, TheSwitchesInTheOptionsRunTheChecksAgain) {
    TChecksWindow w;
    ASSERT_GT(problemCounts(w.ws)[static_cast<size_t>(TCheck::untranslated)], 0);
    TModalAnswerer answerer([](QWidget* modal) {
        auto* options = qobject_cast<TForm3*>(modal);
        if (!options) return false;
        EXPECT_TRUE(options->checksPage->checkBox(TCheck::untranslated)->isChecked());
        EXPECT_FALSE(options->checksPage->checkBox(TCheck::repeatedWord)->isChecked());
        EXPECT_TRUE(options->checksPage->askBox()->isChecked());
        options->pages->setCurrentWidget(options->checksPage);
        screenshot(options, QStringLiteral("options-dialog-checks"));
        options->checksPage->checkBox(TCheck::untranslated)->setChecked(false);
        options->checksPage->checkBox(TCheck::repeatedWord)->setChecked(true);
        options->checksPage->askBox()->setChecked(false);
        options->accept();
        return true;
    });
    w.form.commandAction(QStringLiteral("Set_Options"))->trigger();
    EXPECT_EQ(answerer.answered, 1);
    EXPECT_FALSE(checkEnabled(w.ws.state(), TCheck::untranslated));
    EXPECT_TRUE(checkEnabled(w.ws.state(), TCheck::repeatedWord));
    EXPECT_FALSE(w.ws.state().checksAskBeforeValidate);
    EXPECT_EQ(problemCounts(w.ws)[static_cast<size_t>(TCheck::untranslated)], 0);
    EXPECT_EQ(w.page->checkFilter()->findData(static_cast<int>(TCheck::untranslated)), -1);
    EXPECT_GE(w.page->checkFilter()->findData(static_cast<int>(TCheck::repeatedWord)), 0);
}

TEST(ChecksTab, TheCommandLinePrintsWhatTheTabShows) {
    TChecksWindow w;
    w.plant();
    QStringList steps{"--program-dir", w.dir.path(), "--source", "en", "--dest", "fr", w.plugin};
    for (const rPlanted& p : kPlanted)
        steps << "--translate" << QString::number(p.list) << QString::number(p.id) << QString::fromUtf8(p.translation);
    steps << "--check";
    const rCliRun run = runCli(steps);
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QStringList printed = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QStringList shown;
    const TProblemsProxy* proxy = w.page->proxy();
    for (int r = 0; r < proxy->rowCount(); ++r) {
        const tSkyStr* e = w.page->model()->entryAt(proxy->mapToSource(proxy->index(r, 0)).row());
        const QString detail = proxy->index(r, TProblemsModel::columnProblem).data().toString();
        shown << QStringLiteral("{\"list\":%1,\"id\":%2,\"check\":\"%3\",\"detail\":%4}")
                     .arg(e->listIndex)
                     .arg(e->id)
                     .arg(proxy->index(r, TProblemsModel::columnCheck).data().toString(),
                          QString::fromUtf8(QJsonDocument(QJsonArray{detail}).toJson(QJsonDocument::Compact))
                              .mid(1)
                              .chopped(1));
    }
    EXPECT_GT(shown.size(), 20);
    EXPECT_EQ(shown, printed);
}

TEST(ChecksTab, ABigDocumentIsCheckedInStepsBehindTheShownListAndACommandMeanwhileCounts) {
    TShownWindow w;
    w.ws.state().SourceLang = QStringLiteral("en");
    w.ws.state().DestLang = QStringLiteral("fr");
    TChecksPage* page = checksPage(w.form);
    w.form.bottomPages()->setCurrentWidget(page);
    // 120,000 strings: every fourth lacks the source's number, the rest are left untranslated.
    rTableSetTexts texts;
    for (uint32_t id = 1; id <= 120000; ++id)
        texts[0].push_back({id, QStringLiteral("Fires %1 pellets").arg(id % 10)});
    const QString path =
        writeUtf8TableSet(w.dir.file(QStringLiteral("Big/")), QStringLiteral("big"), QStringLiteral("en"), texts)[0];
    ASSERT_TRUE(w.open(path));
    for (size_t i = 0; i < w.ws.loadedLists[0].size(); i += 4)
        w.ws.loadedLists[0][i]->setSTrans(QStringLiteral("Tire des plombs"));
    // The open's events (the list's first paint among them) go before any check.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_FALSE(page->ran());
    int slices = 0;
    while (!checksRunning(w.ws) && slices++ < 10)
        QCoreApplication::processEvents();
    ASSERT_TRUE(checksRunning(w.ws));
    EXPECT_FALSE(page->ran());
    EXPECT_EQ(page->model()->rowCount(), 0);
    // A command between two slices: a translation stored (its problem gone), then the run goes on after it.
    tSkyStr* last = w.ws.loadedLists[0].back().get();
    rStoreRequest request;
    request.translation = QStringLiteral("Tire %1 plombs").arg(last->id % 10);
    request.carrySimilar = false;
    ASSERT_TRUE(w.form.runGuarded([&] { w.ws.storeTranslation(last, request); }));
    EXPECT_EQ(page->ran(), !checksRunning(w.ws)); // no figures until the run ends
    while (checksRunning(w.ws) && slices++ < 10000)
        QCoreApplication::processEvents();
    ASSERT_FALSE(checksRunning(w.ws));
    EXPECT_TRUE(page->ran());
    EXPECT_TRUE(problemsOf(w.ws, *last).empty());
    const int stepped = page->total();
    EXPECT_EQ(page->model()->rowCount(), stepped);
    runEnabledChecks(w.ws);
    int once = 0;
    for (const int n : problemCounts(w.ws))
        once += n;
    EXPECT_EQ(stepped, once);
    EXPECT_EQ(once, 120000 - 1); // 30,000 numbers missing, 89,999 untranslated
}
