// The Vocabulary page: the dictionaries and caches of the language pair with their check boxes, locks, counts and
// load order, its tool bar and filter box; and the installer of the dictionary commands into the main window.
#pragma once

#include <QAbstractListModel>
#include <QWidget>
#include <functional>

class QAction;
class QLineEdit;
class QTreeView;
class TForm1;
class TWorkspace;
struct TVocabularyState;

class TVocabularyModel : public QAbstractListModel {
    Q_OBJECT
public:
    TVocabularyModel(TWorkspace& ws, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

    // The lower-cased filter box text; matching names are bold, the others faded.
    void setFilterText(const QString& text);
    // Call after the nodes changed (scan, load, refresh).
    void reload();

private:
    TVocabularyState& state() const;
    TWorkspace& ws_;
    QString filter_;
};

class TVocabularyPage : public QWidget {
    Q_OBJECT
public:
    TVocabularyPage(TForm1& form, QWidget* parent = nullptr);
    TVocabularyModel* model() const { return model_; }
    QTreeView* view() const { return view_; }
    QLineEdit* filterBox() const { return filter_; }
    QAction* action(const QString& key) const;
    // Enables the commands that need a focused node or an open document.
    void updateActions();

private:
    // Makes the view's current row the focused node of the vocabulary state; false when none.
    bool focusCurrent();
    QAction* addAction(const QString& key, const QString& hintKey, const std::function<void()>& run);

    TForm1& form_;
    TVocabularyModel* model_;
    QTreeView* view_;
    QLineEdit* filter_;
    QList<QAction*> actions_;
};

// Fills the main window's Vocabulary page and sets the handlers of the dictionary commands.
void installVocabularyPage(TForm1& form);
