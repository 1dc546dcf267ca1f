// The desktop host: Qt dialogs and the main window's log, progress and status.
#include "ui/QUILL_guiHost.h"

#include "ui/QUILL_dictionaryDialogs.h"

#include "core/QUILL_main.h"
#include "ui/QUILL_Dialog.h"
#include "ui/QUILL_aidsUi.h"
#include "ui/QUILL_mainWindow.h"
#include "ui/QUILL_recordToolsUi.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// The title of a question's window. The desktop ends every title with the program's name ("— Quillery") unless it
// ends so already: the program's own caption ("Quillery 0.1.0") would show the name twice, so it shows the name once.
QString dialogTitle(const QString& caption) {
    const QString name = QGuiApplication::applicationDisplayName();
    return caption == TAppContext::programCaption() && !name.isEmpty() && caption.startsWith(name) ? name : caption;
}

} // namespace

void TGuiHost::appendLog(const QString& line) {
    form_->appendLog(line);
}

int TGuiHost::showMessage(const QString& caption, const QString& text, int buttons, int intervalMs) {
    static const TAppContext fallback;
    return showMessageDialog(app_ ? *app_ : fallback, dialogTitle(caption), text, buttons, intervalMs, form_);
}

QString TGuiHost::dialogFilter(const QString& filter) {
    if (!filter.contains(QLatin1Char('|'))) return filter;
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (patterns.trimmed() == QLatin1String("*.*")) patterns = QStringLiteral("*");
        out << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return out.join(QStringLiteral(";;"));
}

namespace {

QString startPath(const QString& startDir, const QString& fileName) {
    if (fileName.isEmpty()) return startDir;
    if (startDir.isEmpty()) return fileName;
    return QDir(startDir).filePath(fileName);
}

} // namespace

QString TGuiHost::pickOpenFile(const QString& title, const QString& startDir, const QString& fileName,
                               const QString& filter) {
    return QFileDialog::getOpenFileName(form_, title, startPath(startDir, fileName), dialogFilter(filter));
}

QString TGuiHost::pickSaveFile(const QString& title, const QString& startDir, const QString& fileName,
                               const QString& filter) {
    return QFileDialog::getSaveFileName(form_, title, startPath(startDir, fileName), dialogFilter(filter));
}

QString TGuiHost::pickFolder(const QString& caption, const QString& start) {
    QString from = start;
    while (from.size() > 1 && (from.endsWith(QLatin1Char('/')) || from.endsWith(QLatin1Char('\\'))))
        from.chop(1);
    if (!QFileInfo(from).isDir()) from.clear();
    const QString chosen = QFileDialog::getExistingDirectory(form_, caption, from);
    if (chosen.isEmpty()) return {};
    return QDir::fromNativeSeparators(chosen).endsWith(QLatin1Char('/')) ? QDir::fromNativeSeparators(chosen)
                                                                         : QDir::fromNativeSeparators(chosen) + '/';
}

bool TGuiHost::chooseRows(rRowChoiceRequest& request) {
    if (!app_) return THost::chooseRows(request);
    TForm5 dialog(*app_, request, form_);
    if (dialog.exec() != QDialog::Accepted) return false;
    request.chosen = dialog.chosenRows();
    return true;
}

bool TGuiHost::editText(rTextRequest& request) {
    if (!app_) return true;
    TForm11 dialog(*app_, request.text, request.fileName, form_);
    if (dialog.exec() != QDialog::Accepted) return false;
    request.text = dialog.Memo1->toPlainText();
    return true;
}

int TGuiHost::chooseOption(rOptionRequest& request) {
    // The dictionary dialogs have windows of their own; every other request gets the generic choice dialog.
    int answer = -1;
    if (app_ && showDictionaryOptionDialog(form_, *app_, request, answer)) return answer;
    if (app_ && showIdTagDialog(form_, *app_, request, answer)) return answer;
    if (request.yesNo) return askTwoWays(request);
    QDialog dialog(form_);
    dialog.setWindowTitle(dialogTitle(request.caption.isEmpty() ? TAppContext::programCaption() : request.caption));
    auto* layout = new QVBoxLayout(&dialog);
    auto* group = new QGroupBox(&dialog);
    auto* groupLayout = new QVBoxLayout(group);
    QButtonGroup buttons(&dialog);
    for (int i = 0; i < request.choices.size(); ++i) {
        auto* radio = new QRadioButton(request.choices[i], group);
        radio->setChecked(i == request.current);
        buttons.addButton(radio, i);
        groupLayout->addWidget(radio);
    }
    layout->addWidget(group);
    QList<QCheckBox*> checks;
    for (int i = 0; i < request.checkCaptions.size(); ++i) {
        auto* check = new QCheckBox(request.checkCaptions[i], &dialog);
        check->setChecked(i < request.checks.size() && request.checks[i]);
        checks << check;
        layout->addWidget(check);
    }
    auto* box = new QDialogButtonBox(&dialog);
    const QString ok = app_ ? app_->uiText(QStringLiteral("Ok")) : QStringLiteral("Ok");
    const QString cancel = app_ ? app_->uiText(QStringLiteral("Cancel")) : QStringLiteral("Cancel");
    box->addButton(ok, QDialogButtonBox::AcceptRole);
    box->addButton(cancel, QDialogButtonBox::RejectRole);
    QObject::connect(box, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(box);
    if (dialog.exec() != QDialog::Accepted) return -1;
    while (request.checks.size() < checks.size())
        request.checks.append(false);
    for (int i = 0; i < checks.size(); ++i)
        request.checks[i] = checks[i]->isChecked();
    return request.choices.isEmpty() ? 0 : buttons.checkedId();
}

int TGuiHost::askTwoWays(const rOptionRequest& request) {
    // Each answer is a button that says what it does; Escape cancels.
    QMessageBox box(QMessageBox::Question, dialogTitle(TAppContext::programCaption()), request.caption,
                    QMessageBox::NoButton, form_);
    box.setObjectName(request.dialog);
    QList<QAbstractButton*> buttons;
    for (const QString& choice : request.choices)
        buttons << box.addButton(choice, QMessageBox::AcceptRole);
    QAbstractButton* cancel = box.addButton(app_ ? app_->uiText(QStringLiteral("Cancel")) : QStringLiteral("Cancel"),
                                            QMessageBox::RejectRole);
    if (request.current >= 0 && request.current < buttons.size())
        box.setDefaultButton(qobject_cast<QPushButton*>(buttons[request.current]));
    box.setEscapeButton(cancel);
    box.exec();
    return static_cast<int>(buttons.indexOf(box.clickedButton()));
}

void TGuiHost::setProgressRange(int maximum) {
    form_->setProgressRange(maximum);
}

void TGuiHost::setProgress(int position) {
    form_->setProgress(position);
}

void TGuiHost::setStatusText(int panel, const QString& text) {
    form_->setStatusText(panel, text);
}

void TGuiHost::operationStateChanged(bool busy) {
    form_->setBusy(busy);
}

void TGuiHost::processEvents() {
    QCoreApplication::processEvents();
}

void TGuiHost::beep() {
    QApplication::beep();
}
