// The record tools in the window: the record structure window TForm10 (from the plugin tree's and the string lists'
// context menus), the id tags dialog TForm8 and the commands that mark strings by source and translation.
#pragma once

#include "core/QUILL_host.h"

#include <QDialog>
#include <array>

class QButtonGroup;
class QCheckBox;
class QTextEdit;
class TAppContext;
class TForm1;
class trecord;

// "EspStruct": one read-only text area with the record's structure; Escape closes it.
class TForm10 : public QDialog {
    Q_OBJECT
public:
    TForm10(const TAppContext& app, const trecord& record, QWidget* parent = nullptr);
    QTextEdit* Memo1 = nullptr;
};

// Shows the record structure window for `record`, modally; nothing without a record.
void ShowRecStruct(QWidget* parent, const TAppContext& app, const trecord* record);

// "AddIdToStrings": the group "AddWhat" with its four boxes (unchecked, enabled by the work mode) and the radio group
// "AddId" (item 1 at every opening), answering the host's "TForm8" request.
class TForm8 : public QDialog {
    Q_OBJECT
public:
    TForm8(const TAppContext& app, const rOptionRequest& request, QWidget* parent = nullptr);
    std::array<QCheckBox*, 4> CheckBoxes{};
    QButtonGroup* RadioGroup1 = nullptr;
    // The radio item chosen, and the four boxes' states.
    int choice() const;
    QList<bool> checks() const;
};

// Shows TForm8 for a request naming it and returns true with `answer` set (-1 on Cancel) and the request's checks
// filled; false for any other dialog.
bool showIdTagDialog(QWidget* parent, const TAppContext& app, rOptionRequest& request, int& answer);

// Adds the record tools' menu items and commands to the main window.
void installRecordToolsUi(TForm1& form);
