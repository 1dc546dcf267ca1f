// The message dialog through which the program reports and asks: buttons from a bit set, Escape for Cancel,
// a self-closing variant, and the window caption translation helper every window uses.
#pragma once

class QAbstractButton;

#include <QDialog>
#include <QString>

class QBoxLayout;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QPushButton;
class QTimer;
class TAppContext;

class TFormDialog : public QDialog {
    Q_OBJECT
public:
    // `buttons` is the TDialogButtons set (4 Ok, 3 Yes+No, 11 Yes+No+Cancel, 16 self-closing).
    TFormDialog(const TAppContext& app, const QString& caption, const QString& text, int buttons,
                QWidget* parent = nullptr);

    QString sContent;
    QPushButton* ButtonYes = nullptr;
    QPushButton* ButtonNo = nullptr;
    QPushButton* ButtonOk = nullptr;
    QPushButton* ButtonCancel = nullptr;
    QTimer* Timer1 = nullptr;

    // The client size of the sizing rule: width max(text width + 40, 450), height max(text height + 70, 85), the
    // text measured word-wrapped in 410 pixels.
    static QSize clientSizeFor(const QString& text, const QFont& font);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;

private:
    int buttons_ = 0;
    QLabel* text_ = nullptr;
};

// Shows the message dialog: modal with the result of the pressed button, or, with the self-closing bit, shown
// without waiting, closing itself after intervalMs and returning drOk at once.
int showMessageDialog(const TAppContext& app, const QString& caption, const QString& text, int buttons, int intervalMs,
                      QWidget* parent);

// Applies uiText to every caption of a window that carries its key in the property "uiKey" (window title, buttons,
// labels, group boxes, check boxes, tab pages, menu items with '&' removed, menus keeping it as their Alt key), to
// tool tips keyed by "uiHintKey" and to line edits' placeholders keyed by "uiPlaceholderKey".
void translateWindow(QWidget* window, const TAppContext& app);
// Tags an object with the UI text key of its caption (and of its hint) and gives it its text now.
void setUiKey(QObject* object, const QString& key, const TAppContext& app);
void setUiHintKey(QObject* object, const QString& key, const TAppContext& app);
// As every dialog of the application shows: its title without the ellipsis of the menu item that opened it, and
// its width widened where the title would be cut (installed once).
void installDialogTitleFitting();
// The hint of a check button that says whether it is on ("Hint_StateOn" / "Hint_StateOff" around the UI text `key`),
// kept up to date as it toggles and when the interface language changes.
void setUiStateHintKey(QAbstractButton* button, const QString& key, const TAppContext& app);

// A check box named `name`, its caption the UI text `key` (kept as its "uiKey").
QCheckBox* checkBox(QWidget* parent, const TAppContext& app, const char* key, const char* name);

// Adds to `layout` a group box titled `title` holding one radio button per text, `current` checked (none when out of
// range), the box named `name`; returns the group, whose ids are the texts' positions.
QButtonGroup* addRadioGroup(QWidget* parent, QBoxLayout* layout, const QString& title, const QStringList& texts,
                            int current, const char* name);
// The same with the title and the button texts given as UI text keys.
QButtonGroup* addRadioGroup(QWidget* parent, QBoxLayout* layout, const TAppContext& app, const QString& titleKey,
                            const QStringList& keys, int current, const char* name);
