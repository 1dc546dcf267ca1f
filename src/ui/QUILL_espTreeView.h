// The EspTree page: a tree model over the open plugin's groups and records, and its installer in the main window.
#pragma once

#include <QAbstractItemModel>
#include <QHash>
#include <functional>
#include <vector>

class TForm1;
class TWorkspace;
class tPluginNode;
class trecord;
class tSkyStr;

// Nodes as the plugin tree holds them, hidden groups left out; raw records and groups without string records are
// drawn in light grey italics.
class TEspTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit TEspTreeModel(TWorkspace& ws, QObject* parent = nullptr);

    // Rebuilds the model after a document was opened or closed.
    void reload();
    // Lets go of the tree while a command runs (it may free it); reload() takes it again.
    void detach();
    tPluginNode* nodeAt(const QModelIndex& index) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    const tPluginNode* rootNode() const;
    // The shown children of a node (the node's own children unless some are hidden).
    const std::vector<tPluginNode*>* filtered(const tPluginNode* node) const;
    int visibleRow(const tPluginNode* node) const;
    tPluginNode* visibleChild(const tPluginNode* node, int row) const;

    TWorkspace& ws_;
    bool detached_ = false;
    QHash<const tPluginNode*, std::vector<tPluginNode*>> shown_;
};

// The first string entry of a record (its first field with a text), or nullptr.
tSkyStr* firstRecordEntry(const trecord& record);

// Fills the EspTree page and the Records_def page of the main window.
void installEspTreeView(TForm1& form);
// What a double click on a record does with the record and its first string entry (the edit dialog sets this).
void setEspTreeActivation(TForm1& form, std::function<void(trecord*, tSkyStr*)> handler);
