// The dialogue and language tools in the window: the old dialogue style dialog TForm9 and the commands
// "OldDialogStyle", "ConvertTCSC" and "ConvertSCTC".
#pragma once

#include "aids/QUILL_dialogueTools.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class TForm1;
class TWorkspace;

// "OldDialogStyle": the prefix words, the pattern, which prompts, what to do with long lines.
class TForm9 : public QDialog {
    Q_OBJECT
public:
    // Fills the word list from the word file (or the default words) and the pattern from the remembered one.
    explicit TForm9(TWorkspace& ws, QWidget* parent = nullptr);
    // The options the controls hold.
    rOldDialogOptions options() const;

    QLabel* Label1 = nullptr;        // "OldDial_Info"
    QLabel* LabelLanguage = nullptr; // why Ok is greyed: the source and translation languages differ
    QCheckBox* CheckBox3 = nullptr;  // "OldDial_AddPrefix"
    QPlainTextEdit* Memo1 = nullptr; // the prefix words
    QLineEdit* Edit2 = nullptr;      // the pattern
    QCheckBox* CheckBox1 = nullptr;  // "OldDial_bAll"
    QCheckBox* CheckBox4 = nullptr;  // "OldDial_AddOriginal"
    QButtonGroup* RadioGroup1 = nullptr;
    QButtonGroup* RadioGroup2 = nullptr;
    QSpinBox* Edit1 = nullptr;      // the limit, with its up-down arrows (UpDown1)
    QCheckBox* CheckBox2 = nullptr; // "OldDial_KeepChanges"
    QPushButton* Button1 = nullptr; // "Ok"
    QPushButton* Button2 = nullptr; // "Cancel"

private:
    void limitChanged(int limit);
    TWorkspace& ws_;
};

// Installs the three commands into the window.
void installDialogueUi(TForm1& form);
