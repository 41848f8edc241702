#pragma once

#include "properties/VxTreeItems.h"

#include <QStandardItemModel>
#include <QStringList>
#include <QTreeView>

// A tree of structured list entries ("Kunden\Müller\2004"): the project navigator, the entry tree
// of the choice lists dialog and the drop-down of tree combo boxes. It keeps the item list sorted
// without regard to case, builds its nodes from it (an optional first node stands for no entry)
// and turns the nodes back into sorted lines.
class TVxTreeView : public QTreeView
{
    Q_OBJECT

public:
    explicit TVxTreeView(QWidget* parent = nullptr);

    // The item list, sorted whenever it is loaded.
    void SetItems(const QStringList& lines);
    // Loads the text of a choice list (one entry a line, CR LF or LF) into the item list.
    void SetItemsText(const QString& text);
    const QStringList& Items() const { return m_items; }

    void SetSeparator(QChar separator) { m_separator = separator; }
    QChar Separator() const { return m_separator; }
    // "[alle Projekte]" for the navigator; empty for none.
    void SetFirstNodeText(const QString& text) { m_firstNodeText = text; }
    const QString& FirstNodeText() const { return m_firstNodeText; }

    // Removes all nodes and builds them from the item list. A level gap raises DxError
    // ("Ungültige Ebene (%d) für Eintrag \"%s\""); the tree then holds the nodes built so far.
    void BuildTree();
    // SetItems and BuildTree.
    void LoadItems(const QStringList& lines);

    // Every node's full path in tree order (without the first node), sorted.
    QStringList TreeToLines() const;
    // Makes the item list the tree's lines (after the user changed the tree).
    void UpdateItemsFromTree();

    // The path of a node: empty for the first node or none; the item list entry the node was
    // built from, or, after the user changed the tree, its ancestors' texts and its own joined.
    QString NodePath(const QModelIndex& node) const;
    QString SelectedPath() const { return NodePath(currentIndex()); }
    bool IsFirstNode(const QModelIndex& node) const;
    // The position of a node in tree order, counting the first node; -1 for none.
    int AbsoluteIndex(const QModelIndex& node) const;
    QModelIndex NodeAt(int absoluteIndex) const;
    int NodeCount() const;
    // Selects the node of an item list entry (compared without regard to case); false when the
    // entry is not in the list.
    bool SelectPath(const QString& path);
    bool SelectAbsoluteIndex(int absoluteIndex);

    // Changes made by the user; each marks the tree changed.
    QModelIndex AddSibling(const QModelIndex& node, const QString& text); // at the top when node is invalid
    QModelIndex AddChild(const QModelIndex& node, const QString& text);
    void SetNodeText(const QModelIndex& node, const QString& text);
    void DeleteNode(const QModelIndex& node); // with all its children
    bool IsChanged() const { return m_changed; }

    void FullExpand() { expandAll(); }
    void FullCollapse() { collapseAll(); }

    QStandardItemModel* Model() const { return m_model; }

Q_SIGNALS:
    void SelectedNodeChanged();

private:
    static constexpr int kLineRole = Qt::UserRole + 1; // index into the item list, -1 for added nodes
    static constexpr int kFirstNodeRole = Qt::UserRole + 2;
    QStandardItem* itemOf(const QModelIndex& node) const;
    void collect(const QModelIndex& parent, QModelIndexList& out) const;

    QStandardItemModel* m_model;
    QStringList m_items;
    QChar m_separator = TVxTreeItems::kSeparator;
    QString m_firstNodeText;
    bool m_changed = false;
};
