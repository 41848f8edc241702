#include "GridColumns.h"

#include "archive/DataMod.h"
#include "archive/DocumentRecords.h"
#include "documents/ApplicationList.h"
#include "platform/Errors.h"
#include "platform/db/SqlRecordSet.h"
#include "properties/DBFields.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QHeaderView>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTreeView>

namespace {
bool isField(const QString& name, const char* other)
{
    return name.compare(QLatin1String(other), Qt::CaseInsensitive) == 0;
}

const GridColumn& columnOf(const QModelIndex& index)
{
    static const GridColumn plain;
    const auto* model = qobject_cast<const DocumentGridModel*>(index.model());
    return model ? model->column(index.column()) : plain;
}

QString dateTimeFormat(GridColumnKind kind)
{
    switch (kind) {
    case GridColumnKind::Date: return QStringLiteral("dd.MM.yyyy");
    case GridColumnKind::Time: return QStringLiteral("HH:mm:ss");
    default: return QStringLiteral("dd.MM.yyyy HH:mm:ss");
    }
}

// A date editor that was opened on an empty value and shows a proposed date instead.
const char* const kProposedValue = "doxarelProposedValue";
} // namespace

// --- column descriptions --------------------------------------------------------------------

GridColumn describeGridColumn(
    const SqlField& field, const TVxDBField* definition, const GridColumnSources& sources, bool* invalidStyle)
{
    if (invalidStyle)
        *invalidStyle = false;
    GridColumn column;
    column.dropDownRows = sources.DropDownCount;
    column.multiLine = isMemoKind(field.kind);
    column.readOnly = field.readOnly || DocumentRecords::IsReadOnlyField(field.name);
    if (!definition) { // a column the definitions do not know (another statement's result)
        column.readOnly = true;
        return column;
    }
    if (!definition->Visible) {
        column.kind = GridColumnKind::None;
        return column;
    }
    if (isField(field.name, "APPLNAME")) {
        column.kind = GridColumnKind::DocumentType;
        column.readOnly = true;
        return column;
    }
    const bool dateField = isDateKind(field.kind);
    const int style = definition->EditStyle;
    switch (style) {
    case TVxEditStyle::EditWithList:
    case TVxEditStyle::ListOnly:
    case TVxEditStyle::EditWithTree:
    case TVxEditStyle::TreeOnly:
        column.kind = GridColumnKind::PickList;
        column.listOnly = style == TVxEditStyle::ListOnly || style == TVxEditStyle::TreeOnly;
        if (isField(field.name, "USERNAME"))
            column.items = sources.UserList;
        else if (sources.ChoiceList)
            column.items = sources.ChoiceList(field.name);
        break;
    case TVxEditStyle::Option:
        if (isField(field.name, "USERNAME"))
            break; // the owner is shown as text
        column.kind = GridColumnKind::CheckBox;
        column.checkedValue = isTextKind(field.kind) ? QStringLiteral("T") : QStringLiteral("Wahr");
        column.uncheckedValue = isTextKind(field.kind) ? QStringLiteral("F") : QStringLiteral("Falsch");
        break;
    case TVxEditStyle::Memo:
        column.kind = GridColumnKind::Memo;
        column.multiLine = true;
        break;
    case TVxEditStyle::FormattedMemo:
    case TVxEditStyle::OleContainer: column.kind = GridColumnKind::None; break;
    case TVxEditStyle::Date: column.kind = dateField ? GridColumnKind::Date : GridColumnKind::Text; break;
    case TVxEditStyle::Time: column.kind = dateField ? GridColumnKind::Time : GridColumnKind::Text; break;
    case TVxEditStyle::DateTime: column.kind = dateField ? GridColumnKind::DateTime : GridColumnKind::Text; break;
    case TVxEditStyle::Picture:
        column.kind = GridColumnKind::Picture;
        column.readOnly = true;
        break;
    default:
        if (style >= TVxEditStyle::kCount) {
            column.kind = GridColumnKind::None;
            if (invalidStyle)
                *invalidStyle = true;
        }
        break; // 0, and a negative style, is plain text
    }
    return column;
}

QStringList choiceListLines(TDModul& dm, const QString& fieldName)
{
    const DocumentRecords& records = dm.Records();
    const int index = records.choiceListIndex(fieldName);
    if (index < 0)
        return {};
    QString text = records.ChoiceLists.value(index);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// --- writing through the record rules ---------------------------------------------------------

bool postDocumentRecord(TDModul& dm)
{
    SqlRecordSet& records = dm.AdoQueryDoc;
    try {
        if (!records.isEditing() || DocumentRecords::PostOrCancel(records, 1))
            return true;
    } catch (const AbortError&) {
        // Reported where it happened.
    } catch (const DxError& error) {
        dm.ShowErrorAndLog(error.message());
    }
    if (records.isEditing())
        records.cancel();
    return false;
}

bool writeDocumentValue(TDModul& dm, int record, const QString& fieldName, const QVariant& value)
{
    SqlRecordSet& records = dm.AdoQueryDoc;
    if (!postDocumentRecord(dm))
        return false;
    try {
        if (records.recordNumber() != record)
            records.moveTo(record);
        records.edit();
        if (value.typeId() == QMetaType::QDateTime)
            records.setDateTime(fieldName, value.toDateTime());
        else
            records.setText(fieldName, value.toString());
    } catch (const AbortError&) {
        if (records.isEditing())
            records.cancel();
        return false;
    } catch (const DxError& error) {
        dm.ShowErrorAndLog(error.message());
        if (records.isEditing())
            records.cancel();
        return false;
    }
    return postDocumentRecord(dm);
}

// --- the delegate -------------------------------------------------------------------------

QWidget* DocumentGridDelegate::createEditor(
    QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const GridColumn& column = columnOf(index);
    QWidget* editor = nullptr;
    switch (column.kind) {
    case GridColumnKind::PickList: {
        auto* box = new QComboBox(parent);
        box->setEditable(!column.listOnly);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setMaxVisibleItems(qMax(1, column.dropDownRows));
        box->addItems(column.items);
        editor = box;
        break;
    }
    case GridColumnKind::CheckBox: {
        auto* box = new QCheckBox(parent);
        box->setAutoFillBackground(true);
        editor = box;
        break;
    }
    case GridColumnKind::Date:
    case GridColumnKind::Time:
    case GridColumnKind::DateTime: {
        auto* edit = new QDateTimeEdit(parent);
        edit->setDisplayFormat(dateTimeFormat(column.kind));
        edit->setCalendarPopup(column.kind != GridColumnKind::Time);
        editor = edit;
        break;
    }
    case GridColumnKind::Text:
    case GridColumnKind::Memo:
        if (column.multiLine) {
            auto* text = new QPlainTextEdit(parent);
            text->setTabChangesFocus(true);
            editor = text;
        } else {
            auto* line = new QLineEdit(parent);
            line->setFrame(false);
            editor = line;
        }
        break;
    case GridColumnKind::Picture:
    case GridColumnKind::DocumentType:
    case GridColumnKind::None: return nullptr;
    }
    Q_UNUSED(option);
    m_editor = editor;
    return editor;
}

void DocumentGridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    const QVariant value = index.data(Qt::EditRole);
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
        const int at = box->findText(value.toString(), Qt::MatchFixedString);
        box->setCurrentIndex(at);
        if (box->isEditable())
            box->setEditText(value.toString());
    } else if (auto* check = qobject_cast<QCheckBox*>(editor)) {
        check->setChecked(index.data(Qt::CheckStateRole).toInt() == Qt::Checked);
    } else if (auto* edit = qobject_cast<QDateTimeEdit*>(editor)) {
        const QDateTime when = value.toDateTime();
        if (when.isValid()) {
            edit->setDateTime(when);
            edit->setProperty(kProposedValue, QVariant());
        } else {
            // A time alone is a time of day 0 (30.12.1899), as a time field stores it.
            const bool timeOnly = columnOf(index).kind == GridColumnKind::Time;
            const QDateTime proposed(timeOnly ? QDate(1899, 12, 30) : QDate::currentDate(), QTime(0, 0));
            edit->setDateTime(proposed);
            edit->setProperty(kProposedValue, proposed);
        }
    } else if (auto* text = qobject_cast<QPlainTextEdit*>(editor)) {
        text->setPlainText(value.toString());
    } else if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        line->setText(value.toString());
    }
}

void DocumentGridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    const GridColumn& column = columnOf(index);
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
        if (!box->isEditable() && box->currentIndex() < 0)
            return; // a list-only box that shows no entry leaves the field alone
        model->setData(index, box->currentText());
    } else if (auto* check = qobject_cast<QCheckBox*>(editor)) {
        model->setData(index, check->isChecked() ? column.checkedValue : column.uncheckedValue);
    } else if (auto* edit = qobject_cast<QDateTimeEdit*>(editor)) {
        const QVariant proposed = edit->property(kProposedValue);
        if (proposed.isValid() && proposed.toDateTime() == edit->dateTime())
            return; // an empty value stays empty unless a date was chosen
        model->setData(index, edit->dateTime());
    } else if (auto* text = qobject_cast<QPlainTextEdit*>(editor)) {
        model->setData(index, text->toPlainText());
    } else if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        model->setData(index, line->text());
    }
}

void DocumentGridDelegate::updateEditorGeometry(
    QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QRect rect = option.rect;
    if (qobject_cast<QPlainTextEdit*>(editor))
        rect.setHeight(qMax(rect.height() * 5, 96)); // a long text gets room for several lines
    editor->setGeometry(rect);
    Q_UNUSED(index);
}

void DocumentGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const auto* model = qobject_cast<const DocumentGridModel*>(index.model());
    if (!model || model->column(index.column()).kind != GridColumnKind::Picture || model->recordOf(index) < 0) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // A picture at its own size, clipped by the cell, on the cell's background without shading.
    QStyleOptionViewItem cell(option);
    initStyleOption(&cell, index);
    cell.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
    const QByteArray data = index.data(DocumentGridModel::ValueRole).toByteArray();
    if (data.isEmpty())
        return;
    const size_t key = qHash(data);
    QImage read;
    const QImage* image = m_pictures.object(key);
    if (!image) {
        read = QImage::fromData(data);
        const qsizetype cost = qMax<qsizetype>(1, read.sizeInBytes());
        if (cost <= m_pictures.maxCost()) // a picture larger than the whole cache is read each time
            m_pictures.insert(key, new QImage(read), cost);
        image = &read;
    }
    if (image->isNull())
        return;
    painter->save();
    painter->setClipRect(option.rect);
    painter->drawImage(option.rect.topLeft(), *image);
    painter->restore();
}

QWidget* DocumentGridDelegate::openEditor() const
{
    // The view hides an editor it closes and deletes it later.
    return m_editor && !m_editor->isHidden() ? m_editor.data() : nullptr;
}

void DocumentGridDelegate::commitOpenEditor()
{
    QWidget* editor = openEditor();
    if (!editor)
        return;
    m_editor = nullptr;
    Q_EMIT commitData(editor);
    Q_EMIT closeEditor(editor, QAbstractItemDelegate::NoHint);
}

// --- the view ------------------------------------------------------------------------------

QModelIndex DocumentGridView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex current = currentIndex();
    if (!tabKeyNavigation() || !current.isValid() || (cursorAction != MoveNext && cursorAction != MovePrevious))
        return QTreeView::moveCursor(cursorAction, modifiers);
    const bool backwards = cursorAction == MovePrevious;
    const QHeaderView* columns = header();
    const int count = columns->count();
    // Editable cells are a matter of the column for every data row, so a few rows (group rows
    // between them) are enough to find one or to know there is none.
    const int limit = count * 8;
    QModelIndex row = current;
    int visual = columns->visualIndex(current.column());
    for (int step = 0; step < limit && count > 0; ++step) {
        visual += backwards ? -1 : 1;
        if (visual < 0 || visual >= count) {
            row = backwards ? indexAbove(row) : indexBelow(row);
            if (!row.isValid())
                break;
            visual = backwards ? count - 1 : 0;
        }
        const int logical = columns->logicalIndex(visual);
        if (columns->isSectionHidden(logical))
            continue;
        const QModelIndex candidate = row.siblingAtColumn(logical);
        if (candidate.flags() & Qt::ItemIsEditable)
            return candidate;
    }
    return current;
}

void DocumentGridView::keyPressEvent(QKeyEvent* event)
{
    const bool tab = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
    if (!tabKeyNavigation() || !tab || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        QTreeView::keyPressEvent(event);
        return;
    }
    // Tab moves or stays; it never starts editing the cell it stays on. Leaving an editor (whose
    // value the view saves) edits the next cell.
    const bool editing = state() == EditingState;
    const QModelIndex next = moveCursor(event->key() == Qt::Key_Backtab ? MovePrevious : MoveNext, event->modifiers());
    if (next.isValid() && next != currentIndex()) {
        selectionModel()->setCurrentIndex(next, selectionCommand(next, event));
        if (editing && currentIndex() == next && (next.flags() & Qt::ItemIsEditable))
            edit(next);
    }
    event->accept();
}

// --- the columns --------------------------------------------------------------------------

// The document type column, registered with the document type list while the grid lives.
class GridColumns::TypeColumn : public TApplicationImageColumn
{
public:
    explicit TypeColumn(TDravonelApplicationList& list)
        : m_list(&list)
    {
    }
    ~TypeColumn() override
    {
        if (m_list)
            m_list->DetachControl(this);
    }
    void ApplicationListDestroyed() override { m_list = nullptr; }

private:
    TDravonelApplicationList* m_list;
};

GridColumns::GridColumns(
    QTreeView& grid, DocumentGridModel& model, TDModul& dm, const TVxDBFields& fields, TDravonelApplicationList& types)
    : m_grid(&grid)
    , m_model(&model)
    , m_dm(dm)
    , m_fields(fields)
    , m_delegate(new DocumentGridDelegate(&grid))
    , m_typeColumn(std::make_unique<TypeColumn>(types))
{
    grid.setItemDelegate(m_delegate);
    model.setValueWriter(
        [this](int record, int column, const QVariant& value) { return writeValue(record, column, value); });
    m_typeColumn->Changed = [this] {
        if (!m_model)
            return;
        QVariantList icons;
        icons.reserve(m_typeColumn->Images.size());
        for (const QImage& image : std::as_const(m_typeColumn->Images))
            icons << (image.isNull() ? QVariant() : QVariant::fromValue(QIcon(QPixmap::fromImage(image))));
        m_model->setDocumentTypes(m_typeColumn->Values, m_typeColumn->Descriptions, icons);
    };
    types.AttachControl(m_typeColumn.get());
}

GridColumns::~GridColumns()
{
    m_typeColumn.reset();
    if (m_model)
        m_model->setValueWriter({});
}

void GridColumns::BuildGridColumns()
{
    if (!m_model || !m_grid)
        return;
    SqlRecordSet& records = m_dm.AdoQueryDoc;
    if (!records.isActive()) {
        m_model->setColumns({});
        return;
    }
    GridColumnSources sources;
    sources.ChoiceList = [this](const QString& name) { return choiceListLines(m_dm, name); };
    sources.UserList = m_dm.UserList;
    sources.DropDownCount = m_dm.Settings.Cfg.DropDownCount;
    std::vector<GridColumn> columns;
    columns.reserve(records.fields().size());
    for (const SqlField& field : records.fields()) {
        const TVxDBField* definition = m_fields.Find(field.name);
        bool invalidStyle = false;
        GridColumn column = describeGridColumn(field, definition, sources, &invalidStyle);
        if (!records.canModify())
            column.readOnly = true;
        if (invalidStyle && !m_reportedStyles.contains({definition->Id, definition->EditStyle})) {
            m_reportedStyles.insert({definition->Id, definition->EditStyle});
            m_dm.ShowErrorAndLog(kInvalidEditStyleMessage);
        }
        columns.push_back(std::move(column));
    }
    m_model->setColumns(std::move(columns));
    // Columns the user hid stay hidden; only fields without a column are hidden here.
    for (int column = 0; column < m_model->columnCount(); ++column)
        if (m_model->column(column).kind == GridColumnKind::None)
            m_grid->setColumnHidden(column, true);
}

void GridColumns::ClearGridColumns()
{
    if (m_model)
        m_model->setColumns({});
}

void GridColumns::setEditing(bool on)
{
    if (!m_grid || !m_model)
        return;
    if (!on) {
        // Pending edits are saved before the grid goes back to browsing.
        m_delegate->commitOpenEditor();
        postDocumentRecord(m_dm);
    }
    m_model->setEditing(on);
    m_grid->setEditTriggers(on ? QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked
                | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed
                               : QAbstractItemView::NoEditTriggers);
    m_grid->setTabKeyNavigation(on);
    m_grid->setSelectionBehavior(on ? QAbstractItemView::SelectItems : QAbstractItemView::SelectRows);
    m_grid->setToolTip(on ? kGridEditingHint : kGridBrowseHint);
}

bool GridColumns::isEditing() const
{
    return m_model && m_model->isEditing();
}

bool GridColumns::writeValue(int record, int column, const QVariant& value)
{
    SqlRecordSet& records = m_dm.AdoQueryDoc;
    if (column < 0 || column >= int(records.fields().size()))
        return false;
    const QString name = records.fields()[size_t(column)].name;
    if (!writeDocumentValue(m_dm, record, name, value))
        return false;
    // A value new to the field's list is in the list now (when the list grows by itself).
    if (m_model && m_model->column(column).kind == GridColumnKind::PickList && !isField(name, "USERNAME"))
        m_model->setColumnItems(column, choiceListLines(m_dm, name));
    return true;
}
