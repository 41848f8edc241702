#include "VxTreeView.h"

#include "platform/Errors.h"

#include <QHeaderView>
#include <QScopeGuard>

TVxTreeView::TVxTreeView(QWidget* parent)
    : QTreeView(parent)
    , m_model(new QStandardItemModel(this))
{
    setModel(m_model);
    setHeaderHidden(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { Q_EMIT SelectedNodeChanged(); });
}

void TVxTreeView::SetItems(const QStringList& lines)
{
    m_items.clear();
    for (const QString& line : lines)
        if (!line.isEmpty())
            m_items << line;
    TVxTreeItems::Sort(m_items, m_separator);
}

void TVxTreeView::SetItemsText(const QString& text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    SetItems(lines.split(QLatin1Char('\n')));
}

void TVxTreeView::LoadItems(const QStringList& lines)
{
    SetItems(lines);
    BuildTree();
}

void TVxTreeView::BuildTree()
{
    setUpdatesEnabled(false);
    const auto restore = qScopeGuard([this] { setUpdatesEnabled(true); });
    m_model->clear();
    m_changed = false;
    if (!m_firstNodeText.isEmpty()) {
        auto* first = new QStandardItem(m_firstNodeText);
        first->setData(-1, kLineRole);
        first->setData(true, kFirstNodeRole);
        m_model->appendRow(first);
    }
    std::vector<TVxTreeItems::Node> nodes;
    QString error;
    try {
        TVxTreeItems::BuildNodes(m_items, m_separator, &nodes);
    } catch (const DxError& e) {
        error = e.message(); // the nodes before the bad line are shown all the same
    }
    std::vector<QStandardItem*> items;
    items.reserve(nodes.size());
    for (const TVxTreeItems::Node& node : nodes) {
        auto* item = new QStandardItem(node.text);
        item->setData(node.line, kLineRole);
        if (node.parent < 0)
            m_model->appendRow(item);
        else
            items.at(size_t(node.parent))->appendRow(item);
        items.push_back(item);
    }
    if (!error.isEmpty())
        throw DxError(error);
}

QStandardItem* TVxTreeView::itemOf(const QModelIndex& node) const
{
    return node.isValid() ? m_model->itemFromIndex(node) : nullptr;
}

void TVxTreeView::collect(const QModelIndex& parent, QModelIndexList& out) const
{
    for (int row = 0; row < m_model->rowCount(parent); ++row) {
        const QModelIndex child = m_model->index(row, 0, parent);
        out << child;
        collect(child, out);
    }
}

QStringList TVxTreeView::TreeToLines() const
{
    QModelIndexList nodes;
    collect(QModelIndex(), nodes);
    QStringList lines;
    for (const QModelIndex& node : nodes) {
        if (IsFirstNode(node))
            continue;
        QStringList parts;
        for (QModelIndex i = node; i.isValid(); i = i.parent())
            parts.prepend(i.data().toString());
        lines << parts.join(m_separator);
    }
    TVxTreeItems::Sort(lines, m_separator);
    return lines;
}

void TVxTreeView::UpdateItemsFromTree()
{
    m_items = TreeToLines();
}

bool TVxTreeView::IsFirstNode(const QModelIndex& node) const
{
    return node.isValid() && node.data(kFirstNodeRole).toBool();
}

QString TVxTreeView::NodePath(const QModelIndex& node) const
{
    if (!node.isValid() || IsFirstNode(node))
        return {};
    const int line = node.data(kLineRole).toInt();
    if (!m_changed && line >= 0 && line < m_items.size())
        return m_items.at(line);
    QStringList parts;
    for (QModelIndex i = node; i.isValid(); i = i.parent())
        parts.prepend(i.data().toString());
    return parts.join(m_separator);
}

int TVxTreeView::AbsoluteIndex(const QModelIndex& node) const
{
    if (!node.isValid())
        return -1;
    QModelIndexList nodes;
    collect(QModelIndex(), nodes);
    return int(nodes.indexOf(node.siblingAtColumn(0)));
}

QModelIndex TVxTreeView::NodeAt(int absoluteIndex) const
{
    QModelIndexList nodes;
    collect(QModelIndex(), nodes);
    return absoluteIndex >= 0 && absoluteIndex < nodes.size() ? nodes.at(absoluteIndex) : QModelIndex();
}

int TVxTreeView::NodeCount() const
{
    QModelIndexList nodes;
    collect(QModelIndex(), nodes);
    return int(nodes.size());
}

bool TVxTreeView::SelectAbsoluteIndex(int absoluteIndex)
{
    const QModelIndex node = NodeAt(absoluteIndex);
    if (!node.isValid())
        return false;
    setCurrentIndex(node);
    scrollTo(node);
    return true;
}

bool TVxTreeView::SelectPath(const QString& path)
{
    QModelIndexList nodes;
    collect(QModelIndex(), nodes);
    for (const QModelIndex& node : nodes) {
        if (!IsFirstNode(node) && NodePath(node).compare(path, Qt::CaseInsensitive) == 0) {
            setCurrentIndex(node);
            scrollTo(node);
            return true;
        }
    }
    return false;
}

QModelIndex TVxTreeView::AddSibling(const QModelIndex& node, const QString& text)
{
    auto* item = new QStandardItem(text);
    item->setData(-1, kLineRole);
    QStandardItem* parent = node.isValid() ? itemOf(node.parent()) : nullptr;
    if (parent)
        parent->appendRow(item);
    else
        m_model->appendRow(item);
    m_changed = true;
    return item->index();
}

QModelIndex TVxTreeView::AddChild(const QModelIndex& node, const QString& text)
{
    QStandardItem* parent = itemOf(node);
    if (!parent)
        return AddSibling(QModelIndex(), text);
    auto* item = new QStandardItem(text);
    item->setData(-1, kLineRole);
    parent->appendRow(item);
    m_changed = true;
    return item->index();
}

void TVxTreeView::SetNodeText(const QModelIndex& node, const QString& text)
{
    if (QStandardItem* item = itemOf(node)) {
        item->setText(text);
        m_changed = true;
    }
}

void TVxTreeView::DeleteNode(const QModelIndex& node)
{
    if (!node.isValid())
        return;
    m_model->removeRow(node.row(), node.parent());
    m_changed = true;
}
