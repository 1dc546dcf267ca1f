// The record tools in the window: the record structure window TForm10 (from the plugin tree's and the string lists'
// context menus), the id tags dialog TForm8 and the commands that mark strings by source and translation.
#pragma once

#include <QDialog>

class QPlainTextEdit;
class TAppContext;
class TForm1;
class trecord;

// "EspStruct": one read-only text area with the record's structure; Escape closes it.
class TForm10 : public QDialog {
    Q_OBJECT
public:
    TForm10(const TAppContext& app, const trecord& record, QWidget* parent = nullptr);
    QPlainTextEdit* Memo1 = nullptr;
};

// Shows the record structure window for `record`, modally; nothing without a record.
void ShowRecStruct(QWidget* parent, const TAppContext& app, const trecord* record);

// Adds the record tools' menu items and commands to the main window.
void installRecordToolsUi(TForm1& form);
