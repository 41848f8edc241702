#pragma once

#include <QAbstractItemModel>
#include <QHash>
#include <QList>
#include <QPair>
#include <QStringList>

#include <functional>
#include <vector>

class SqlRecordSet;

// How a grid column shows and edits its field.
enum class GridColumnKind {
    Text, // plain text
    PickList, // text with a drop-down list of values
    CheckBox, // a check indicator for two stored values
    Memo, // a long text, shown on one line
    Date, // a date field shown as its date
    Time, // a date field shown as its time of day
    DateTime, // a date field shown as date and time
    Picture, // an image, never edited
    DocumentType, // the type's icon and caption for the stored key, never edited
    None, // no column: the view hides it
};

// The description of one grid column, made from its field's definition.
struct GridColumn
{
    GridColumnKind kind = GridColumnKind::Text;
    bool readOnly = true;
    QStringList items; // pick lists: the values offered
    bool listOnly = false; // pick lists: only the listed values can be chosen
    int dropDownRows = 8;
    bool multiLine = false; // the value may hold line breaks
    QString checkedValue; // check boxes: the stored texts of both states
    QString uncheckedValue;
};

// The catalogue as the grid shows it: one row per record of the document record set, grouped by
// any number of fields (group rows above their records, in the order of their values) and sorted
// by any number of columns within the groups. Column n is field n of the record set.
class DocumentGridModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    // ValueRole: the value as stored.
    enum Role { RecordRole = Qt::UserRole + 1, FieldNameRole, GroupLevelRole, ValueRole };
    // Writes a value into the record's field through the record rules; answers false when the
    // value was refused (and reported). Text kinds pass a QString, date kinds a QDateTime.
    using ValueWriter = std::function<bool(int record, int column, const QVariant& value)>;

    explicit DocumentGridModel(QObject* parent = nullptr)
        : QAbstractItemModel(parent)
    {
    }

    // Shows every record of the set (all are read); null shows nothing.
    void setRecords(SqlRecordSet* records);
    void setCaptions(std::function<QString(const QString& fieldName)> captions) { m_captions = std::move(captions); }
    QString caption(int column) const;

    // --- columns
    // One description per field of the record set, in field order; fields without one are plain
    // read-only text. Kept while the record set has the same fields.
    void setColumns(std::vector<GridColumn> columns);
    const GridColumn& column(int column) const;
    void setColumnItems(int column, const QStringList& items);
    // The document types by key: caption and icon (any decoration a view paints).
    void setDocumentTypes(const QStringList& keys, const QStringList& captions, const QVariantList& icons);

    // --- editing
    // While editing, the cells of data rows whose column is not read-only can be edited; a
    // changed value goes to the writer.
    void setEditing(bool on);
    bool isEditing() const { return m_editing; }
    void setValueWriter(ValueWriter writer) { m_writer = std::move(writer); }
    bool isEditable(const QModelIndex& index) const;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // --- grouping
    // Whether the grid can group by the column: not by the key, nor by long texts or pictures.
    bool canGroupBy(int column) const;
    // Makes the column the last grouping level; answers false when it cannot group by it.
    bool addGroupColumn(int column);
    void removeGroupColumn(int column);
    void endGrouping();
    const QList<int>& groupColumns() const { return m_groupColumns; }
    bool isGrouped() const { return !m_groupColumns.isEmpty(); }

    // --- sorting (within the groups)
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    void setSortColumns(const QList<QPair<int, Qt::SortOrder>>& columns);
    const QList<QPair<int, Qt::SortOrder>>& sortColumns() const { return m_sortColumns; }
    void clearSorting() { setSortColumns({}); }

    // The record (row of the record set) shown at the index, or -1 for a group row.
    int recordOf(const QModelIndex& index) const;
    QModelIndex indexOfRecord(int record, int column = 0) const;
    int recordCount() const { return m_recordCount; }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Document rows can be dragged; what is dragged names their record numbers. Dropping copies
    // values, so the grid never removes rows after a drag.
    static inline const QString kRecordsMimeType = QStringLiteral("application/x-doxarel-records");
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override { return {kRecordsMimeType}; }
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }
    // The record numbers of dragged data, in the order they were dragged.
    static QList<int> RecordsOf(const QMimeData* data);
    // The horizontal alignment of a column's cells, kept by field name (left unless set), and as
    // the text of the grid layout ("NAME=R,DOCNO=C").
    Qt::Alignment columnAlignment(int column) const;
    void setColumnAlignment(int column, Qt::Alignment alignment);
    QString alignmentsText() const;
    void setAlignmentsText(const QString& text);

    // The text a record shows in a column.
    QString cellText(int record, int column) const;

private:
    struct Node
    {
        int parent = -1;
        int rowInParent = 0;
        int record = -1; // data rows
        int level = -1; // group rows: grouping level
        QString groupText; // group rows: the value's text
        int count = 0; // group rows: records below
        std::vector<int> children;
    };

    void rebuild();
    QString groupTextOf(int record, int column) const;
    QVariant displayValue(int record, int column) const;
    QVariant editValue(int record, int column) const;
    bool isChecked(int record, int column) const;
    void allChanged();

    SqlRecordSet* m_records = nullptr;
    QHash<QString, Qt::Alignment> m_alignments; // upper-case field name: alignment
    int m_recordCount = 0;
    std::function<QString(const QString&)> m_captions;
    std::vector<GridColumn> m_columns;
    QStringList m_columnFields; // the field names the descriptions were made for
    QHash<QString, int> m_typeIndex; // document type key → position in the lists below
    QStringList m_typeCaptions;
    QVariantList m_typeIcons;
    bool m_editing = false;
    ValueWriter m_writer;
    QList<int> m_groupColumns;
    QList<QPair<int, Qt::SortOrder>> m_sortColumns;
    std::vector<Node> m_nodes; // m_nodes[0] is the invisible root
    std::vector<int> m_nodeOfRecord;
};
