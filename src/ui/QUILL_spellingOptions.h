// The options dialog's Spelling page: checking as one types, the dictionary (the translation language's own or one
// of those found), and the folder where dictionaries are put.
#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QPushButton;
class TWorkspace;
struct rOptionsChoice;

class TSpellingOptionsPage : public QWidget {
public:
    // `destLanguage` is the dialog's translation language box (its item data the language code): the first choice
    // names the dictionary of the language it holds.
    TSpellingOptionsPage(TWorkspace& ws, QComboBox* destLanguage, QWidget* parent = nullptr);

    // The page's choices into the dialog's.
    void fill(rOptionsChoice& choice) const;

    QCheckBox* checkSpelling = nullptr;
    // Item data: the dictionary's name, empty for the translation language's own.
    QComboBox* dictionaries = nullptr;
    QPushButton* openFolder = nullptr;

private:
    void languageChanged();

    TWorkspace& ws_;
    QComboBox* destLanguage_ = nullptr;
    QString openedLanguage_;
};
