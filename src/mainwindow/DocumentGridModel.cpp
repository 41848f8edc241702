#include "DocumentGridModel.h"

#include <QMimeData>

#include "platform/db/DateSerial.h"
#include "platform/db/SqlRecordSet.h"

#include <algorithm>
#include <numeric>

namespace {
bool isSerial(const QVariant& value)
{
    return value.typeId() == QMetaType::Double || value.typeId() == QMetaType::LongLong;
}

// A long text as one line of a cell: its beginning, with line breaks and tabs as blanks.
QString oneLine(const QString& text)
{
    constexpr qsizetype kShown = 512; // more than any column shows
    QString line = text.left(kShown);
    for (QChar& c : line)
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    return line;
}

QStringList fieldNames(const SqlRecordSet* records)
{
    QStringList names;
    if (records)
        for (const SqlField& field : records->fields())
            names << field.name;
    return names;
}
} // namespace

void DocumentGridModel::setRecords(SqlRecordSet* records)
{
    beginResetModel();
    m_records = records && records->isActive() ? records : nullptr;
    m_recordCount = m_records ? m_records->recordCount() : 0;
    if (!m_records) {
        m_groupColumns.clear();
        m_sortColumns.clear();
    }
    // Column descriptions belong to the fields they were made for.
    if (!m_columns.empty() && fieldNames(m_records) != m_columnFields) {
        m_columns.clear();
        m_columnFields.clear();
    }
    rebuild();
    endResetModel();
}

QString DocumentGridModel::caption(int column) const
{
    if (!m_records || column < 0 || column >= int(m_records->fields().size()))
        return {};
    const QString& name = m_records->fields()[size_t(column)].name;
    return m_captions ? m_captions(name) : name;
}

// --- columns -------------------------------------------------------------------------------

void DocumentGridModel::setColumns(std::vector<GridColumn> columns)
{
    m_columns = std::move(columns);
    m_columnFields = fieldNames(m_records);
    allChanged();
}

const GridColumn& DocumentGridModel::column(int column) const
{
    static const GridColumn plain;
    return column >= 0 && column < int(m_columns.size()) ? m_columns[size_t(column)] : plain;
}

void DocumentGridModel::setColumnItems(int column, const QStringList& items)
{
    if (column >= 0 && column < int(m_columns.size()))
        m_columns[size_t(column)].items = items;
}

void DocumentGridModel::setDocumentTypes(
    const QStringList& keys, const QStringList& captions, const QVariantList& icons)
{
    m_typeIndex.clear();
    for (qsizetype i = 0; i < keys.size(); ++i)
        if (!m_typeIndex.contains(keys[i]))
            m_typeIndex.insert(keys[i], int(i));
    m_typeCaptions = captions;
    m_typeIcons = icons;
    allChanged();
}

void DocumentGridModel::allChanged()
{
    // The view repaints; rows and columns stay as they are.
    if (rowCount() > 0 && columnCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    if (columnCount() > 0)
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void DocumentGridModel::setEditing(bool on)
{
    m_editing = on;
}

bool DocumentGridModel::isEditable(const QModelIndex& index) const
{
    return m_editing && m_writer && m_records && index.isValid() && index.column() < columnCount()
        && recordOf(index) >= 0 && !column(index.column()).readOnly;
}

bool DocumentGridModel::isChecked(int record, int column) const
{
    const QString& checked = this->column(column).checkedValue;
    return !checked.isEmpty() && cellText(record, column).compare(checked, Qt::CaseInsensitive) == 0;
}

QString DocumentGridModel::groupTextOf(int record, int column) const
{
    // A type group is named by the type's caption, every other group by the value's text.
    if (this->column(column).kind == GridColumnKind::DocumentType)
        return displayValue(record, column).toString();
    return cellText(record, column);
}

QVariant DocumentGridModel::displayValue(int record, int column) const
{
    const GridColumn& description = this->column(column);
    switch (description.kind) {
    case GridColumnKind::None:
    case GridColumnKind::CheckBox: // the check indicator shows it
    case GridColumnKind::Picture: // painted by the view
        return {};
    case GridColumnKind::DocumentType: {
        const QString key = m_records->valueAt(record, column).toString();
        const int at = m_typeIndex.value(key, -1);
        return at < 0 ? key : m_typeCaptions.value(at);
    }
    case GridColumnKind::Date:
    case GridColumnKind::Time: {
        const QVariant value = m_records->valueAt(record, column);
        if (!isSerial(value))
            return cellText(record, column);
        return DateSerial::toDateTime(value.toDouble())
            .toString(
                description.kind == GridColumnKind::Date ? QStringLiteral("dd.MM.yyyy") : QStringLiteral("HH:mm:ss"));
    }
    case GridColumnKind::Memo: return oneLine(cellText(record, column));
    case GridColumnKind::Text:
    case GridColumnKind::PickList:
    case GridColumnKind::DateTime: break;
    }
    const QString text = cellText(record, column);
    return isMemoKind(m_records->fields()[size_t(column)].kind) ? oneLine(text) : text;
}

QVariant DocumentGridModel::editValue(int record, int column) const
{
    switch (this->column(column).kind) {
    case GridColumnKind::Date:
    case GridColumnKind::Time:
    case GridColumnKind::DateTime: {
        const QVariant value = m_records->valueAt(record, column);
        return isSerial(value) ? QVariant(DateSerial::toDateTime(value.toDouble())) : QVariant();
    }
    default: return cellText(record, column);
    }
}

bool DocumentGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const GridColumn& description = column(index.column());
    const bool check = role == Qt::CheckStateRole && description.kind == GridColumnKind::CheckBox;
    if ((role != Qt::EditRole && !check) || !isEditable(index))
        return false;
    const int record = recordOf(index);
    QVariant newValue = value;
    if (check)
        newValue = value.toInt() == Qt::Checked ? description.checkedValue : description.uncheckedValue;
    // A value that stays as it is is not written.
    const QVariant old = m_records->valueAt(record, index.column());
    if (newValue.typeId() == QMetaType::QDateTime) {
        const QDateTime when = newValue.toDateTime();
        if (!when.isValid() ? old.isNull() : isSerial(old) && DateSerial::toDateTime(old.toDouble()) == when)
            return true;
    } else if (newValue.toString() == cellText(record, index.column())) {
        return true;
    }
    if (!m_writer(record, index.column(), newValue))
        return false;
    // The record rules may have changed other fields of the record as well.
    Q_EMIT dataChanged(index.siblingAtColumn(0), index.siblingAtColumn(columnCount() - 1));
    return true;
}

bool DocumentGridModel::canGroupBy(int column) const
{
    if (!m_records || column < 0 || column >= int(m_records->fields().size()))
        return false;
    const SqlField& field = m_records->fields()[size_t(column)];
    if (field.name.compare(QLatin1String("DOCID"), Qt::CaseInsensitive) == 0)
        return false;
    return !isMemoKind(field.kind) && !isBinaryKind(field.kind);
}

bool DocumentGridModel::addGroupColumn(int column)
{
    if (!canGroupBy(column) || m_groupColumns.contains(column))
        return false;
    beginResetModel();
    m_groupColumns.append(column);
    rebuild();
    endResetModel();
    return true;
}

void DocumentGridModel::removeGroupColumn(int column)
{
    if (!m_groupColumns.contains(column))
        return;
    beginResetModel();
    m_groupColumns.removeAll(column);
    rebuild();
    endResetModel();
}

void DocumentGridModel::endGrouping()
{
    // Removed level by level, the last one first.
    while (!m_groupColumns.isEmpty())
        removeGroupColumn(m_groupColumns.last());
}

void DocumentGridModel::sort(int column, Qt::SortOrder order)
{
    setSortColumns(column < 0 ? QList<QPair<int, Qt::SortOrder>>() : QList<QPair<int, Qt::SortOrder>>{{column, order}});
}

void DocumentGridModel::setSortColumns(const QList<QPair<int, Qt::SortOrder>>& columns)
{
    beginResetModel();
    m_sortColumns = columns;
    rebuild();
    endResetModel();
}

namespace {
// A value prepared once for the many comparisons of a sort, so that a value is not copied and
// folded at every comparison: no value first, numbers as numbers, text without regard to case.
struct SortKey
{
    bool null = true;
    bool number = false;
    double numeric = 0;
    QString folded;
};

std::vector<SortKey> sortKeys(const SqlRecordSet& records, int recordCount, int column)
{
    std::vector<SortKey> keys(static_cast<size_t>(recordCount));
    for (int record = 0; record < recordCount; ++record) {
        const QVariant value = records.valueAt(record, column);
        SortKey& key = keys[size_t(record)];
        key.null = value.isNull();
        if (key.null)
            continue;
        const int type = value.typeId();
        key.number = type == QMetaType::LongLong || type == QMetaType::Double;
        if (key.number)
            key.numeric = value.toDouble();
        key.folded = value.toString().toCaseFolded();
    }
    return keys;
}

int compareKeys(const SortKey& a, const SortKey& b)
{
    if (a.null || b.null)
        return a.null == b.null ? 0 : (a.null ? -1 : 1);
    if (a.number && b.number)
        return a.numeric < b.numeric ? -1 : (a.numeric > b.numeric ? 1 : 0);
    return a.folded.compare(b.folded);
}
} // namespace

QString DocumentGridModel::cellText(int record, int column) const
{
    return SqlRecordSet::displayText(m_records->fields()[size_t(column)], m_records->valueAt(record, column));
}

void DocumentGridModel::rebuild()
{
    m_nodes.assign(1, Node());
    m_nodeOfRecord.assign(size_t(m_recordCount), -1);
    if (!m_records)
        return;

    // Records in the order of their groups, then of the sorted columns, then as read.
    std::vector<int> order(static_cast<size_t>(m_recordCount));
    std::iota(order.begin(), order.end(), 0);
    // The values of the grouping and sorting columns are prepared once.
    std::vector<std::vector<SortKey>> groupKeys;
    for (int column : std::as_const(m_groupColumns))
        groupKeys.push_back(sortKeys(*m_records, m_recordCount, column));
    std::vector<std::pair<std::vector<SortKey>, bool>> sortedKeys; // keys, ascending
    for (const auto& [column, direction] : std::as_const(m_sortColumns))
        sortedKeys.emplace_back(sortKeys(*m_records, m_recordCount, column), direction == Qt::AscendingOrder);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        for (const std::vector<SortKey>& keys : groupKeys)
            if (const int c = compareKeys(keys[size_t(a)], keys[size_t(b)]))
                return c < 0;
        for (const auto& [keys, ascending] : sortedKeys)
            if (const int c = compareKeys(keys[size_t(a)], keys[size_t(b)]))
                return ascending ? c < 0 : c > 0;
        return false;
    });

    std::vector<int> open(static_cast<size_t>(m_groupColumns.size()), -1); // the group node open at each level
    for (int record : order) {
        int parent = 0;
        for (qsizetype level = 0; level < m_groupColumns.size(); ++level) {
            const int column = m_groupColumns[level];
            int& current = open[size_t(level)];
            const std::vector<SortKey>& keys = groupKeys[size_t(level)];
            const bool same = current >= 0 && m_nodes[size_t(current)].parent == parent
                && compareKeys(keys[size_t(m_nodes[size_t(current)].record)], keys[size_t(record)]) == 0;
            if (!same) {
                Node group;
                group.parent = parent;
                group.level = int(level);
                group.record = record; // the first record of the group stands for its value
                group.groupText = groupTextOf(record, column);
                group.rowInParent = int(m_nodes[size_t(parent)].children.size());
                m_nodes.push_back(group);
                current = int(m_nodes.size()) - 1;
                m_nodes[size_t(parent)].children.push_back(current);
                for (qsizetype deeper = level + 1; deeper < m_groupColumns.size(); ++deeper)
                    open[size_t(deeper)] = -1;
            }
            Node& groupNode = m_nodes[size_t(current)];
            ++groupNode.count;
            // The group shows its value as the record read first wrote it.
            if (record < groupNode.record) {
                groupNode.record = record;
                groupNode.groupText = groupTextOf(record, column);
            }
            parent = current;
        }
        Node leaf;
        leaf.parent = parent;
        leaf.record = record;
        leaf.rowInParent = int(m_nodes[size_t(parent)].children.size());
        m_nodes.push_back(leaf);
        m_nodes[size_t(parent)].children.push_back(int(m_nodes.size()) - 1);
        m_nodeOfRecord[size_t(record)] = int(m_nodes.size()) - 1;
    }
}

int DocumentGridModel::recordOf(const QModelIndex& index) const
{
    if (!index.isValid())
        return -1;
    const Node& node = m_nodes[size_t(index.internalId())];
    return node.level >= 0 ? -1 : node.record;
}

QModelIndex DocumentGridModel::indexOfRecord(int record, int column) const
{
    if (record < 0 || record >= int(m_nodeOfRecord.size()) || m_nodeOfRecord[size_t(record)] < 0)
        return {};
    const int node = m_nodeOfRecord[size_t(record)];
    return createIndex(m_nodes[size_t(node)].rowInParent, column, quintptr(node));
}

QModelIndex DocumentGridModel::index(int row, int column, const QModelIndex& parent) const
{
    const int parentNode = parent.isValid() ? int(parent.internalId()) : 0;
    if (parentNode >= int(m_nodes.size()) || column < 0 || column >= columnCount())
        return {};
    const auto& children = m_nodes[size_t(parentNode)].children;
    if (row < 0 || row >= int(children.size()))
        return {};
    return createIndex(row, column, quintptr(children[size_t(row)]));
}

QModelIndex DocumentGridModel::parent(const QModelIndex& child) const
{
    if (!child.isValid())
        return {};
    const int parentNode = m_nodes[size_t(child.internalId())].parent;
    if (parentNode <= 0)
        return {};
    return createIndex(m_nodes[size_t(parentNode)].rowInParent, 0, quintptr(parentNode));
}

int DocumentGridModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return 0;
    const int node = parent.isValid() ? int(parent.internalId()) : 0;
    return node < int(m_nodes.size()) ? int(m_nodes[size_t(node)].children.size()) : 0;
}

int DocumentGridModel::columnCount(const QModelIndex&) const
{
    return m_records ? int(m_records->fields().size()) : 0;
}

QVariant DocumentGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !m_records)
        return {};
    const Node& node = m_nodes[size_t(index.internalId())];
    if (role == RecordRole)
        return node.level >= 0 ? -1 : node.record;
    if (role == GroupLevelRole)
        return node.level;
    if (node.level >= 0) { // a group row shows the grouping field's caption, its value and how many
        if (role != Qt::DisplayRole || index.column() != 0)
            return {};
        return QStringLiteral("%1: %2 (%3)").arg(caption(m_groupColumns[node.level]), node.groupText).arg(node.count);
    }
    switch (role) {
    case Qt::TextAlignmentRole: return int(columnAlignment(index.column()) | Qt::AlignVCenter);
    case Qt::DisplayRole: return displayValue(node.record, index.column());
    case Qt::EditRole: return editValue(node.record, index.column());
    case ValueRole: return m_records->valueAt(node.record, index.column());
    case Qt::CheckStateRole:
        if (column(index.column()).kind != GridColumnKind::CheckBox)
            return {};
        return isChecked(node.record, index.column()) ? Qt::Checked : Qt::Unchecked;
    case Qt::DecorationRole: {
        if (column(index.column()).kind != GridColumnKind::DocumentType)
            return {};
        const int at = m_typeIndex.value(m_records->valueAt(node.record, index.column()).toString(), -1);
        return at < 0 ? QVariant() : m_typeIcons.value(at);
    }
    default: return {};
    }
}

QVariant DocumentGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || !m_records || section < 0 || section >= int(m_records->fields().size()))
        return {};
    if (role == FieldNameRole)
        return m_records->fields()[size_t(section)].name;
    if (role == Qt::DisplayRole)
        return caption(section);
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    return {};
}

Qt::ItemFlags DocumentGridModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags = QAbstractItemModel::flags(index);
    if (index.isValid() && recordOf(index) >= 0)
        flags |= Qt::ItemIsDragEnabled;
    if (isEditable(index))
        flags |= Qt::ItemIsEditable;
    return flags;
}

QMimeData* DocumentGridModel::mimeData(const QModelIndexList& indexes) const
{
    QStringList records;
    for (const QModelIndex& index : indexes) {
        const int record = recordOf(index);
        if (record >= 0 && !records.contains(QString::number(record)))
            records << QString::number(record);
    }
    auto* data = new QMimeData;
    data->setData(kRecordsMimeType, records.join(QLatin1Char(',')).toLatin1());
    return data;
}

QList<int> DocumentGridModel::RecordsOf(const QMimeData* data)
{
    QList<int> records;
    if (!data)
        return records;
    for (const QByteArray& part : data->data(kRecordsMimeType).split(','))
        if (bool ok = false; !part.isEmpty() && (part.toInt(&ok), ok))
            records << part.toInt();
    return records;
}

Qt::Alignment DocumentGridModel::columnAlignment(int column) const
{
    if (!m_records || column < 0 || column >= int(m_records->fields().size()))
        return Qt::AlignLeft;
    return m_alignments.value(m_records->fields()[size_t(column)].name.toUpper(), Qt::AlignLeft);
}

void DocumentGridModel::setColumnAlignment(int column, Qt::Alignment alignment)
{
    if (!m_records || column < 0 || column >= int(m_records->fields().size()))
        return;
    m_alignments[m_records->fields()[size_t(column)].name.toUpper()] = alignment & Qt::AlignHorizontal_Mask;
    allChanged();
}

QString DocumentGridModel::alignmentsText() const
{
    QStringList parts;
    for (auto it = m_alignments.cbegin(); it != m_alignments.cend(); ++it)
        if (it.value() != Qt::AlignLeft)
            parts << it.key() + QLatin1Char('=') + (it.value() == Qt::AlignRight ? QLatin1Char('R') : QLatin1Char('C'));
    parts.sort();
    return parts.join(QLatin1Char(','));
}

void DocumentGridModel::setAlignmentsText(const QString& text)
{
    m_alignments.clear();
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString field = part.section(QLatin1Char('='), 0, 0).trimmed().toUpper();
        const QString side = part.section(QLatin1Char('='), 1).trimmed();
        if (field.isEmpty())
            continue;
        if (side == QLatin1String("R"))
            m_alignments[field] = Qt::AlignRight;
        else if (side == QLatin1String("C"))
            m_alignments[field] = Qt::AlignHCenter;
    }
    allChanged();
}
