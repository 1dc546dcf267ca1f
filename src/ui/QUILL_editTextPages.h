// The edit dialog's pages about the texts themselves: the differences from another text, the tags of source and
// translation side by side, and the older texts a plugin compare found.
#pragma once

#include <QTextEdit>
#include <QTreeWidget>

class QPlainTextEdit;
class TAppContext;
class TWorkspace;
class tSkyStr;

// The difference page: the source editor's text against another one, the changes coloured.
class TDiffPage : public QTextEdit {
public:
    TDiffPage(TWorkspace& ws, const QPlainTextEdit& source, QWidget* parent);
    // The differences from `other`, else from the source of the string's heuristic match, else a line saying
    // there is nothing to compare with; empty without a string.
    void fill(const tSkyStr* entry, const QString& other);
    // Compares with `other`, which is kept for the inverted view and the restore.
    void showDiff(const QString& other);
    const QString& otherText() const { return other_; }
    void forget() { other_.clear(); }

private:
    TWorkspace& ws_;
    const QPlainTextEdit& source_;
    QAction* invert_;
    QString other_;
};

// The tag page: the tags of the source and of the translation, position by position, coloured where they differ.
class TAliasPage : public QTreeWidget {
    Q_OBJECT
public:
    TAliasPage(const TAppContext& app, QWidget* parent);
    void fill(const QString& source, const QString& translation);

signals:
    // The two texts hold other tags.
    void markerChanged(bool highlighted);
    // A right click on a row: its source tag, for the translation.
    void tagChosen(const QString& tag);
};

// The compare page: the older texts of the string's field after a plugin compare.
class TComparePage : public QTreeWidget {
    Q_OBJECT
public:
    struct TCompareData {
        QString s;
        bool warning = false;
    };
    explicit TComparePage(QWidget* parent);
    void fill(const TWorkspace& ws, const tSkyStr* entry);
    void setRows(const QList<TCompareData>& rows, bool marked);

signals:
    // The string's field changed since the older plugin.
    void markerChanged(bool highlighted);
    // A double click on an older text: it becomes the translation.
    void textChosen(const QString& text);
};
