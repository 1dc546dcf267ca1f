// The message dialog and window caption translation.
#include "ui/QUILL_Dialog.h"

#include "core/QUILL_main.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

QSize TFormDialog::clientSizeFor(const QString& text, const QFont& font) {
    const QFontMetrics metrics(font);
    const QRect measured =
        metrics.boundingRect(QRect(20, 10, 410, 100000), Qt::TextWordWrap | Qt::AlignHCenter | Qt::AlignTop, text);
    return {qMax(measured.width() + 40, 450), qMax(measured.height() + 70, 85)};
}

TFormDialog::TFormDialog(const TAppContext& app, const QString& caption, const QString& text, int buttons,
                         QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), sContent(text), buttons_(buttons) {
    setObjectName(QStringLiteral("TFormDialog"));
    setWindowTitle(caption);
    setAttribute(Qt::WA_DeleteOnClose);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 10, 20, 10);
    text_ = new QLabel(sContent, this);
    text_->setObjectName(QStringLiteral("sContent"));
    text_->setWordWrap(true);
    text_->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    text_->setTextFormat(Qt::PlainText);
    layout->addWidget(text_, 1);

    auto* row = new QHBoxLayout();
    row->addStretch(1);
    auto addButton = [&](const char* name, const char* key, int result, int bit) {
        auto* b = new QPushButton(app.uiText(QLatin1String(key)), this);
        b->setObjectName(QLatin1String(name));
        b->setVisible((buttons & bit) != 0 && !(buttons & dbSelfClosing));
        b->setMinimumWidth(90);
        connect(b, &QPushButton::clicked, this, [this, result] { done(result); });
        row->addWidget(b);
        return b;
    };
    ButtonYes = addButton("ButtonYes", "Yes", drYes, dbYes);
    ButtonNo = addButton("ButtonNo", "No", drNo, dbNo);
    ButtonOk = addButton("ButtonOk", "Ok", drOk, dbOk);
    ButtonCancel = addButton("ButtonCancel", "Cancel", drCancel, dbCancel);
    row->addStretch(1);
    layout->addLayout(row);

    // Yes is the default; with no Yes the first shown button.
    for (QPushButton* b : {ButtonYes, ButtonOk, ButtonNo, ButtonCancel})
        if (!b->isHidden()) {
            b->setDefault(true);
            b->setFocus();
            break;
        }

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, [this] { done(drOk); });

    // The sizing rule gives the least size; a larger font or a long word may ask for more. The wrapped text's height
    // is taken at the width the dialog gets (a longer translation wraps to more lines than the size hint's guess),
    // and is the least height, so that no line is cut at the bottom.
    const QSize rule = clientSizeFor(sContent, text_->font());
    const int width = rule.expandedTo(sizeHint()).width();
    const int height = layout->hasHeightForWidth() ? layout->totalHeightForWidth(width) : sizeHint().height();
    setMinimumHeight(height);
    resize(width, qMax(rule.height(), height));
}

void TFormDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFormDialog::reject() {
    // Escape answers Cancel where Cancel is offered, and closes a plain message; a Yes/No question needs an answer.
    if (buttons_ & dbCancel)
        done(drCancel);
    else if ((buttons_ & (dbYes | dbNo)) == 0)
        done(drOk);
}

int showMessageDialog(const TAppContext& app, const QString& caption, const QString& text, int buttons, int intervalMs,
                      QWidget* parent) {
    auto* dialog = new TFormDialog(app, caption, text, buttons, parent);
    if (buttons & dbSelfClosing) {
        dialog->setModal(false);
        dialog->Timer1->start(qMax(1, intervalMs));
        dialog->show();
        QCoreApplication::processEvents();
        return drOk;
    }
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    const int result = dialog->exec();
    delete dialog;
    return result == QDialog::Rejected ? drCancel : result;
}

void setUiKey(QObject* object, const QString& key, const TAppContext& app) {
    object->setProperty("uiKey", key);
    if (auto* action = qobject_cast<QAction*>(object))
        action->setText(app.uiText(key).remove(QLatin1Char('&')));
    else if (auto* button = qobject_cast<QAbstractButton*>(object))
        button->setText(app.uiText(key));
    else if (auto* label = qobject_cast<QLabel*>(object))
        label->setText(app.uiText(key));
    else if (auto* group = qobject_cast<QGroupBox*>(object))
        group->setTitle(app.uiText(key));
    else if (auto* menu = qobject_cast<QMenu*>(object))
        menu->setTitle(app.uiText(key)); // the '&' gives the menu its Alt key
    else if (auto* widget = qobject_cast<QWidget*>(object); widget && widget->isWindow())
        widget->setWindowTitle(app.uiText(key));
}

QCheckBox* checkBox(QWidget* parent, const TAppContext& app, const char* key, const char* name) {
    auto* box = new QCheckBox(parent);
    box->setObjectName(QLatin1String(name));
    setUiKey(box, QLatin1String(key), app);
    return box;
}

void setUiHintKey(QObject* object, const QString& key, const TAppContext& app) {
    object->setProperty("uiHintKey", key);
    if (auto* action = qobject_cast<QAction*>(object))
        action->setToolTip(app.uiText(key));
    else if (auto* widget = qobject_cast<QWidget*>(object))
        widget->setToolTip(app.uiText(key));
}

namespace {

// Titles a dialog as a window, not as the menu item that opened it ("Options", not "Options..."), and widens it
// where the window's title bar would cut that title (its buttons and icon take some room too).
class TTitleFitter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show) return false;
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (!dialog || !dialog->isWindow() || dialog->windowTitle().isEmpty()) return false;
        QString title = dialog->windowTitle();
        if (title.endsWith(QLatin1String("...")))
            title.chop(3);
        else if (title.endsWith(QChar(0x2026)))
            title.chop(1);
        if (title != dialog->windowTitle() && !title.trimmed().isEmpty()) dialog->setWindowTitle(title.trimmed());
        QFont titleFont = dialog->font();
        titleFont.setBold(true);
        const int needed = QFontMetrics(titleFont).horizontalAdvance(dialog->windowTitle()) + 160;
        if (dialog->width() < needed) {
            const QScreen* screen = dialog->screen();
            const int available = screen ? screen->availableGeometry().width() : needed;
            dialog->resize(qMin(needed, available), dialog->height());
        }
        return false;
    }
};

} // namespace

void installDialogTitleFitting() {
    static bool installed = false;
    if (installed || !qApp) return;
    installed = true;
    qApp->installEventFilter(new TTitleFitter(qApp));
}

namespace {

void explainState(QAbstractButton* button, const TAppContext& app) {
    const QString hint = app.uiText(button->property("uiStateHintKey").toString());
    button->setToolTip(app.uiTextFormat(
        button->isChecked() ? QStringLiteral("Hint_StateOn") : QStringLiteral("Hint_StateOff"), {hint}));
}

} // namespace

void setUiStateHintKey(QAbstractButton* button, const QString& key, const TAppContext& app) {
    button->setProperty("uiHintKey", QVariant());
    button->setProperty("uiStateHintKey", key);
    QObject::connect(button, &QAbstractButton::toggled, button, [button, &app] { explainState(button, app); });
    explainState(button, app);
}

namespace {

void translateObject(QObject* object, const TAppContext& app) {
    const QString key = object->property("uiKey").toString();
    if (!key.isEmpty()) setUiKey(object, key, app);
    const QString hint = object->property("uiHintKey").toString();
    if (!hint.isEmpty()) setUiHintKey(object, hint, app);
    if (auto* button = qobject_cast<QAbstractButton*>(object); button && button->property("uiStateHintKey").isValid())
        explainState(button, app);
    if (auto* edit = qobject_cast<QLineEdit*>(object)) {
        const QString placeholder = edit->property("uiPlaceholderKey").toString();
        if (!placeholder.isEmpty()) edit->setPlaceholderText(app.uiText(placeholder));
    }
    if (auto* tabs = qobject_cast<QTabWidget*>(object)) {
        for (int i = 0; i < tabs->count(); ++i) {
            const QString pageKey = tabs->widget(i)->property("uiKey").toString();
            if (!pageKey.isEmpty()) tabs->setTabText(i, app.uiText(pageKey));
        }
    }
}

} // namespace

void translateWindow(QWidget* window, const TAppContext& app) {
    const QString key = window->property("uiKey").toString();
    if (!key.isEmpty()) window->setWindowTitle(app.uiText(key));
    // Tab pages carry their key too; plain widgets ignore it and the tab widget captions them.
    for (QObject* child : window->findChildren<QObject*>()) {
        translateObject(child, app);
    }
}

QButtonGroup* addRadioGroup(QWidget* parent, QBoxLayout* layout, const QString& title, const QStringList& texts,
                            int current, const char* name) {
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(QLatin1String(name));
    auto* boxLayout = new QVBoxLayout(box);
    auto* group = new QButtonGroup(parent);
    for (int i = 0; i < texts.size(); ++i) {
        auto* radio = new QRadioButton(texts[i], box);
        radio->setChecked(i == current);
        group->addButton(radio, i);
        boxLayout->addWidget(radio);
    }
    layout->addWidget(box);
    return group;
}

QButtonGroup* addRadioGroup(QWidget* parent, QBoxLayout* layout, const TAppContext& app, const QString& titleKey,
                            const QStringList& keys, int current, const char* name) {
    QStringList texts;
    for (const QString& key : keys)
        texts << app.uiText(key);
    return addRadioGroup(parent, layout, app.uiText(titleKey), texts, current, name);
}
