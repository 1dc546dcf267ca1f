// The option dialogs of the translation passes: TForm6 (overwrite filter) and TForm12 (apply a dictionary: filter
// and apply mode), both answering an rOptionRequest as the host interface poses it.
#pragma once

#include "core/QUILL_host.h"

#include <QDialog>

class QButtonGroup;
class TAppContext;

// "OverWrite": the five overwrite choices; the caption comes from the caller.
class TForm6 : public QDialog {
    Q_OBJECT
public:
    TForm6(const TAppContext& app, const rOptionRequest& request, QWidget* parent = nullptr);
    int choice() const;

private:
    QButtonGroup* overwrite_;
};

// "menu_applySST": RadioGroup1 the overwrite choice, RadioGroup2 the apply mode ("Apply_EDIDOnly",
// "Apply_EDIDStringControl"); the mode travels in the request's first check (checked = string control).
class TForm12 : public QDialog {
    Q_OBJECT
public:
    TForm12(const TAppContext& app, const rOptionRequest& request, QWidget* parent = nullptr);
    int choice() const;
    int applyMode() const;

private:
    QButtonGroup* RadioGroup1;
    QButtonGroup* RadioGroup2;
};

// Shows TForm6 or TForm12 for a request naming one of them and returns true with `answer` set (-1 on Cancel);
// false for any other dialog, which the host then shows its own way.
bool showDictionaryOptionDialog(QWidget* parent, const TAppContext& app, rOptionRequest& request, int& answer);
