#pragma once

#include <QAbstractTableModel>

#include <functional>

class SqlRecordSet;

// A read-only table over the document record set: one row per record, one column per field.
class DocumentTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit DocumentTableModel(QObject* parent = nullptr)
        : QAbstractTableModel(parent)
    {
    }

    // Shows the records of the set (or nothing for null); call again after the set reopened.
    void setRecords(SqlRecordSet* records);
    // The header text of a field; the field name when none is given.
    void setCaptions(std::function<QString(const QString& fieldName)> captions) { m_captions = std::move(captions); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    SqlRecordSet* m_records = nullptr;
    std::function<QString(const QString&)> m_captions;
    int m_rows = 0;
};
