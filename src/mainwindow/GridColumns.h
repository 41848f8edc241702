#pragma once

#include "mainwindow/DocumentGridModel.h"

#include <QCache>
#include <QImage>
#include <QPair>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <functional>
#include <memory>

class TDModul;
class TDravonelApplicationList;
class TVxDBFields;
struct SqlField;
struct TVxDBField;

inline const QString kInvalidEditStyleMessage = QStringLiteral("Invalide EditStyle in field definition");
inline const QString kGridBrowseHint = QStringLiteral("Suchergebnis, Doppelklick öffnet das Dokument");
inline const QString kGridEditingHint = QStringLiteral("Dokumentattribute bearbeiten");

// What a column takes from the program besides its field and the field's definition.
struct GridColumnSources
{
    // The lines of a field's choice list in memory; empty when it has none.
    std::function<QStringList(const QString& fieldName)> ChoiceList;
    QStringList UserList; // the values offered for "USERNAME"
    int DropDownCount = 8;
};

// The grid column of a field by its definition's edit style: plain text (0), pick list (1 to 4,
// list only for 2 and 4), check box (5: "T"/"F" for text fields, "Wahr"/"Falsch" for others;
// "USERNAME" stays text), long text (6), date, time and date with time (8, 9, 10, for date
// fields), picture (11), none (7, 12, and above 12, which sets invalidStyle). "APPLNAME" is always
// the document type column. A hidden field has no column; a field without a definition is plain,
// read-only text. The read-only fields of the record rules, pictures and type columns are
// read-only.
GridColumn describeGridColumn(const SqlField& field, const TVxDBField* definition, const GridColumnSources& sources,
    bool* invalidStyle = nullptr);

// The lines of the data module's choice list in memory for a field.
QStringList choiceListLines(TDModul& dm, const QString& fieldName);

// Saves a pending change of the data module's document record set through the record rules. A
// change that is refused is reported (ShowErrorAndLog) and discarded; answers whether the record
// set is browsing afterwards.
bool postDocumentRecord(TDModul& dm);

// Writes one value into a record of the data module's document record set through the record
// rules: the record becomes the current one, is edited, takes the value (a QDateTime for date
// fields, otherwise a text converted by the field's kind) and is saved. A refused value is
// reported and the record's change discarded, so nothing is half saved; the answer is false then.
bool writeDocumentValue(TDModul& dm, int record, const QString& fieldName, const QVariant& value);

// The cells of the document grid: editors by column kind (line or text box, combo box, check box,
// date and time editors) and pictures painted at their own size without selection shading.
class DocumentGridDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void updateEditorGeometry(
        QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The editor open in the grid, if any.
    QWidget* openEditor() const;
    // Writes the open editor's value and closes it.
    void commitOpenEditor();

private:
    mutable QPointer<QWidget> m_editor;
    // Pictures read before, by their stored bytes' hash, so painting does not read them again.
    mutable QCache<size_t, QImage> m_pictures{32 * 1024 * 1024};
};

// The view of the document grid. With tab navigation on (the editing mode), Tab and Shift+Tab go to
// the next or previous editable cell of the row and on into the next or previous row; an editor
// left with Tab opens on that cell.
class DocumentGridView : public QTreeView
{
    Q_OBJECT
public:
    using QTreeView::QTreeView;

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void keyPressEvent(QKeyEvent* event) override;
};

// The columns of the document grid as the field definitions describe them, the document type
// column kept current by the document type list, and the grid's editing mode. Installs its
// delegate on the grid and the record rules as the model's writer.
class GridColumns
{
public:
    GridColumns(QTreeView& grid, DocumentGridModel& model, TDModul& dm, const TVxDBFields& fields,
        TDravonelApplicationList& types);
    ~GridColumns();
    GridColumns(const GridColumns&) = delete;
    GridColumns& operator=(const GridColumns&) = delete;

    // Describes a column per field of the model's record set and hides the fields without one (the
    // other columns keep their shown or hidden state). An
    // edit style above 12 is reported once per definition (until the definitions are read again).
    void BuildGridColumns();
    // Every field shown as plain, read-only text again.
    void ClearGridColumns();

    // The editing mode: on, cells are edited in place with tab navigation and single cells are
    // selected; off, the open editor's value is saved, a pending change posted, and whole rows are
    // selected again. The grid's hint follows.
    void setEditing(bool on);
    bool isEditing() const;

    DocumentGridDelegate* delegate() const { return m_delegate; }

private:
    class TypeColumn;
    bool writeValue(int record, int column, const QVariant& value);

    QPointer<QTreeView> m_grid;
    QPointer<DocumentGridModel> m_model;
    TDModul& m_dm;
    const TVxDBFields& m_fields;
    QPointer<DocumentGridDelegate> m_delegate;
    std::unique_ptr<TypeColumn> m_typeColumn;
    QSet<QPair<int, int>> m_reportedStyles; // (definition id, edit style) already reported
};
