#include "DocumentTableModel.h"

#include "platform/db/SqlRecordSet.h"

void DocumentTableModel::setRecords(SqlRecordSet* records)
{
    beginResetModel();
    m_records = records && records->isActive() ? records : nullptr;
    m_rows = m_records ? m_records->recordCount() : 0;
    endResetModel();
}

int DocumentTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int DocumentTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_records ? 0 : int(m_records->fields().size());
}

QVariant DocumentTableModel::data(const QModelIndex& index, int role) const
{
    if (!m_records || !index.isValid() || index.row() >= m_rows || role != Qt::DisplayRole)
        return {};
    m_records->moveTo(index.row());
    const SqlField& field = m_records->fields()[size_t(index.column())];
    return SqlRecordSet::displayText(field, m_records->value(index.column()));
}

QVariant DocumentTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    // The user role of a column header is the field name itself.
    if (role == Qt::UserRole && orientation == Qt::Horizontal && m_records && section >= 0
        && section < int(m_records->fields().size()))
        return m_records->fields()[size_t(section)].name;
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    if (!m_records || section < 0 || section >= int(m_records->fields().size()))
        return {};
    const QString& name = m_records->fields()[size_t(section)].name;
    return m_captions ? m_captions(name) : name;
}
