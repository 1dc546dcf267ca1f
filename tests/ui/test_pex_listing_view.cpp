// The PexData page: the listing shown after a script load, markers, gutter jumps, search, the lock button.
#include "script/QUILL_scriptListing.h"
#include "support/pex_builder.h"
#include "temp_program_dir.h"
#include "ui/QUILL_mainWindow.h"
#include "ui/QUILL_pexListingView.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsScript.h"

#include <QDir>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

int lineOf(const QString& text, const QString& wanted) {
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i] == wanted) return i + 1;
    return 0;
}

} // namespace

TEST(PexListingView, ShowsTheListingAndFollowsMarkersJumpsAndSearches) {
    TTempProgramDir dir;
    TForm1 form(dir.path(), {}, QString());
    auto* view = form.findChild<TPexListingView*>();
    ASSERT_TRUE(view);
    EXPECT_TRUE(view->SynEdit1->isReadOnly());
    EXPECT_TRUE(view->SynEdit1->toPlainText().isEmpty());
    EXPECT_TRUE(view->ToolButton40->isChecked());

    TWorkspace& ws = form.workspace();
    ws.state().quillexpertMode = true;
    const QString path = dir.write(QStringLiteral("QuillerySample.pex"), buildSampleScript(3, 9));
    ASSERT_TRUE(ws.openAs("script", path, false));
    form.refreshLists();
    EXPECT_EQ(view->SynEdit1->toPlainText(), ws.script()->pex.feedback.lines.join(QLatin1Char('\n')));

    // A marker: the first three columns of a state line.
    const int state = lineOf(view->SynEdit1->toPlainText(), QStringLiteral("[-]state: \"Busy\""));
    ASSERT_GT(state, 0);
    view->SynEdit1MouseCursor(state, 5);
    EXPECT_EQ(view->pexLogCursorLine, 0);
    view->SynEdit1MouseCursor(state, 2);
    EXPECT_EQ(view->pexLogCursorLine, state);
    view->SynEdit1MouseDown();
    EXPECT_EQ(lineOf(view->SynEdit1->toPlainText(), QStringLiteral("[+]state: \"Busy\"")), state);
    EXPECT_EQ(view->SynEdit1->toPlainText().count(QStringLiteral("endState")), 1);

    // A gutter click on a jump goes to its target and leaves bookmark 0 where the caret was.
    const int jump = lineOf(view->SynEdit1->toPlainText(), QStringLiteral("\t\tif not ::temp0 then jump -1"));
    ASSERT_GT(jump, 0);
    view->SynEdit1GutterClick(jump);
    EXPECT_EQ(view->SynEdit1->textCursor().blockNumber() + 1, jump - 1);
    const int caret = view->SynEdit1->textCursor().blockNumber() + 1;
    view->SynEdit1GutterClick(1); // no jump there: nothing moves
    EXPECT_EQ(view->SynEdit1->textCursor().blockNumber() + 1, caret);

    // Search: typing restarts the timer; the search selects the match; a miss collapses the selection.
    view->ButtonedEdit3->setText(QStringLiteral("Quest started"));
    EXPECT_TRUE(view->TimerSearchPex->isActive());
    EXPECT_TRUE(view->searchListing({true, false, false}));
    EXPECT_FALSE(view->TimerSearchPex->isActive());
    EXPECT_EQ(view->SynEdit1->textCursor().selectedText(), QStringLiteral("Quest started"));
    view->ButtonedEdit3->setText(QStringLiteral("not in the listing"));
    EXPECT_FALSE(view->searchListing({true, false, false}));
    EXPECT_FALSE(view->SynEdit1->textCursor().hasSelection());
    view->ButtonedEdit3->setText(QStringLiteral("   "));
    EXPECT_FALSE(view->searchListing({true, false, false}));

    // Whole words forward and backward from the caret.
    view->ButtonedEdit3->setText(QStringLiteral("msg"));
    view->SynEdit1->moveCursor(QTextCursor::Start);
    ASSERT_TRUE(view->searchListing({false, true, false}));
    const int first = view->SynEdit1->textCursor().blockNumber();
    ASSERT_TRUE(view->searchListing({false, true, false}));
    EXPECT_GE(view->SynEdit1->textCursor().blockNumber(), first);
    ASSERT_TRUE(view->searchListing({false, true, true}));

    // The lock button is the switch the next load reads.
    view->ToolButton40->setChecked(false);
    EXPECT_FALSE(ws.state().pexLockTranslateTag);

    const QString shots = qEnvironmentVariable("QUILL_SCREENSHOT_DIR");
    if (!shots.isEmpty()) {
        form.bottomPages()->setCurrentWidget(form.pexDataPage());
        form.resize(1100, 800);
        form.show();
        QDir().mkpath(shots);
        form.grab().save(QDir(shots).filePath(QStringLiteral("main-window-script-listing.png")));
    }

    // Closing the script empties the page.
    ASSERT_TRUE(ws.closeAll());
    EXPECT_TRUE(view->SynEdit1->toPlainText().isEmpty());
}
