#include "ui_support.h"

#include "ui/QUILL_Dialog.h"
#include "ui/QUILL_stringListModel.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QThread>
#include <QTreeView>
#include <gtest/gtest.h>

bool waitUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}

TModalAnswerer::TModalAnswerer(std::function<bool(QWidget* modal)> answer) : answer_(std::move(answer)) {
    timer_.setInterval(20);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible() && answer_(modal)) ++answered;
    });
    timer_.start();
}

TDialogAnswers::TDialogAnswers(QStringList queuedPaths, std::function<bool(QWidget* modal)> specialAnswer)
    : paths(std::move(queuedPaths)), special(std::move(specialAnswer)) {}

void acceptFileDialog(QWidget* fileDialog, const QString& path) {
    auto* files = qobject_cast<QFileDialog*>(fileDialog);
    files->selectFile(path);
    if (auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) name->setText(path);
    static_cast<QDialog*>(files)->accept(); // as the Open or Save button does
}

std::function<bool(QWidget* modal)> dialogNamed(const QString& name, std::function<void(QDialog*)> act) {
    return [name, act = std::move(act)](QWidget* modal) {
        auto* dialog = qobject_cast<QDialog*>(modal);
        if (!dialog || dialog->objectName() != name) return false;
        act(dialog);
        return true;
    };
}

bool TDialogAnswers::answer(QWidget* modal) {
    if (special && special(modal)) return true;
    if (auto* files = qobject_cast<QFileDialog*>(modal)) {
        ++fileDialogs;
        if (paths.isEmpty())
            files->reject();
        else
            acceptFileDialog(files, paths.takeFirst());
        return true;
    }
    if (auto* question = qobject_cast<TFormDialog*>(modal)) {
        ++questions;
        bool yes = true;
        if (!replies_.empty()) {
            yes = replies_.front();
            replies_.pop_front();
        }
        if (question->ButtonYes->isHidden())
            question->ButtonOk->click();
        else
            (yes ? question->ButtonYes : question->ButtonNo)->click();
        return true;
    }
    if (auto* dialog = qobject_cast<QDialog*>(modal); dialog && acceptOthers) {
        dialog->accept();
        return true;
    }
    return false;
}

TShownWindow::TShownWindow() {
    form.resize(1280, 800);
    form.show();
    QCoreApplication::processEvents();
}

TShownWindow::~TShownWindow() {
    ws.markWorkSaved();
    ws.state().dictionaryModified = false;
}

bool TShownWindow::open(const QString& path) {
    bool opened = false;
    EXPECT_TRUE(form.runGuarded([&] { opened = ws.openFileByKind(path); }));
    form.refreshLists();
    form.updateCommands();
    return opened;
}

tSkyStr* TShownWindow::entryWhere(const std::function<bool(const tSkyStr&)>& match, int list) const {
    for (auto& e : ws.loadedLists[static_cast<size_t>(list)])
        if (match(*e)) return e.get();
    return nullptr;
}

void TShownWindow::select(const tSkyStr* e) {
    form.listPages()->setCurrentIndex(e->listIndex);
    QTreeView* view = form.listView(e->listIndex);
    for (int row = 0; row < view->model()->rowCount(); ++row) {
        const QModelIndex index = view->model()->index(row, 0);
        if (form.listProxy(e->listIndex)->entryAt(index) != e) continue;
        view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        return;
    }
    ADD_FAILURE() << "no row for " << e->gS.toStdString();
}

QString TShownWindow::undoText() const {
    return form.commandAction(QStringLiteral("Menu_Undo"))->text();
}

bool TShownWindow::titleMarked() const {
    return form.windowTitle().startsWith(QLatin1Char('*'));
}
