// The options dialog TForm3: languages, interface language, folders and switches, the program's folders, and
// whether the vocabulary cache can be built for the chosen pair.
#pragma once

#include "workspace/QUILL_options.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTabWidget;
class TChecksOptionsPage;
class TSpellingOptionsPage;
class TWorkspace;

class TForm3 : public QDialog {
    Q_OBJECT
public:
    TForm3(TWorkspace& ws, QWidget* parent = nullptr);

    // The choices as the controls hold them.
    rOptionsChoice choice() const;
    // Set when the dialog closes: a language differs from the current ones or the rebuild box is checked.
    bool doReload = false;

    QTabWidget* pages = nullptr;
    QComboBox* ComboBox1 = nullptr; // source language
    QComboBox* ComboBox2 = nullptr; // destination language
    QComboBox* ComboBox3 = nullptr; // interface language
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* Edit1 = nullptr; // strings folder
    QLineEdit* Edit2 = nullptr; // backup folder
    QSpinBox* Edit3 = nullptr;  // dictionary backups kept
    QListWidget* memo1 = nullptr;  // the per-set details, shown on request
    QLabel* LabelTables = nullptr; // one line on what the game's tables allow
    QPushButton* ButtonDetails = nullptr;
    QCheckBox* CheckBoxOptSound = nullptr;
    QCheckBox* CheckBoxOptBackup = nullptr;
    QCheckBox* CheckBoxOptFolder = nullptr;
    QCheckBox* CheckBox1 = nullptr; // rebuild the cache
    QCheckBox* CheckBox2 = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QCheckBox* CheckBox4 = nullptr;
    QCheckBox* CheckBox5 = nullptr;
    QCheckBox* CheckBox6 = nullptr;
    QCheckBox* CheckBox7 = nullptr;
    QCheckBox* CheckBox8 = nullptr;
    // The folders in use, and the button that opens the user's folder in the file manager.
    QLabel* LabelFolderMode = nullptr;
    QLineEdit* EditUserFolder = nullptr;
    QPushButton* ButtonOpenFolder = nullptr;
    // The quality checks' switches.
    TChecksOptionsPage* checksPage = nullptr;
    // Spelling: checking as one types and the dictionary.
    TSpellingOptionsPage* spellingPage = nullptr;

    // Runs "Set_Options" for the main window: the language file check, the dialog, then applyOptions on Ok (which asks
    // about unsaved work only when a change of language closes the document). Returns true when the languages were
    // taken (the vocabulary must be rebuilt).
    static bool runOptions(TWorkspace& ws, QWidget* parent);

protected:
    void done(int result) override;

private:
    QGroupBox* foldersBox(QWidget* parent);
    void languagesChanged();
    void backupChanged();
    void browse(QLineEdit* field, const QString& captionKey);

    TWorkspace& ws_;
};
