#include "LayoutControls.h"

#include "platform/Errors.h"
#include "platform/db/SqlRecordSet.h"
#include "properties/VxTreeView.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QVBoxLayout>

// --- tree drop-down -----------------------------------------------------------------------

TVxTreeComboBox::TVxTreeComboBox(QWidget* parent)
    : QComboBox(parent)
    , m_popup(new QFrame(this, Qt::Popup))
    , m_tree(new TVxTreeView(m_popup))
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    m_popup->setFrameShape(QFrame::Box);
    auto* layout = new QVBoxLayout(m_popup);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(m_tree);
    m_tree->installEventFilter(this);
    connect(m_tree, &QTreeView::clicked, this, [this](const QModelIndex& node) { choose(node); });
}

TVxTreeComboBox::~TVxTreeComboBox() = default;

void TVxTreeComboBox::SetListOnly(bool listOnly)
{
    m_listOnly = listOnly;
    if (lineEdit())
        lineEdit()->setReadOnly(listOnly);
}

void TVxTreeComboBox::SetTreeItems(const QStringList& lines)
{
    m_tree->SetItems(lines);
    try {
        m_tree->BuildTree();
    } catch (const DxError&) {
        // A list with a level gap shows the nodes up to the gap.
    }
}

QStringList TVxTreeComboBox::TreeItems() const
{
    return m_tree->Items();
}

bool TVxTreeComboBox::IsPopupVisible() const
{
    return m_popup->isVisible();
}

void TVxTreeComboBox::showPopup()
{
    const int rowHeight = qMax(m_tree->sizeHintForRow(0), fontMetrics().height() + 4);
    const int height = rowHeight * qMax(1, qMin(m_rows, qMax(1, m_tree->NodeCount()))) + 4;
    QPoint below = mapToGlobal(QPoint(0, this->height()));
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        if (below.y() + height > area.bottom())
            below.setY(mapToGlobal(QPoint(0, 0)).y() - height);
    }
    m_popup->setGeometry(below.x(), below.y(), qMax(width(), 150), height);
    m_tree->SelectPath(currentText());
    m_popup->show();
    m_tree->setFocus();
}

void TVxTreeComboBox::hidePopup()
{
    m_popup->hide();
}

void TVxTreeComboBox::choose(const QModelIndex& node)
{
    if (!node.isValid())
        return;
    const QString path = m_tree->NodePath(node);
    setEditText(path);
    hidePopup();
    Q_EMIT NodeChosen(path);
}

bool TVxTreeComboBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_tree && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            choose(m_tree->currentIndex());
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            hidePopup();
            return true;
        }
    }
    return QComboBox::eventFilter(watched, event);
}

// --- date and time picker -----------------------------------------------------------------

TVxDateTimePicker::TVxDateTimePicker(Kind kind, QWidget* parent)
    : QWidget(parent)
    , m_kind(kind)
    , m_check(new QCheckBox(this))
    , m_edit(new QDateTimeEdit(this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_check);
    layout->addWidget(m_edit, 1);
    if (kind == Kind::Date) {
        m_edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
        m_edit->setCalendarPopup(true);
        m_edit->calendarWidget()->installEventFilter(this);
    } else {
        m_edit->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    }
    m_edit->setDateTime(QDateTime(QDate::currentDate(), QTime(0, 0)));
    setFocusProxy(m_edit);
    connect(m_check, &QCheckBox::toggled, this, [this] { Q_EMIT Changed(); });
    connect(m_edit, &QDateTimeEdit::dateTimeChanged, this, [this] {
        // Choosing a date ticks the box, as the picker of the search panel does.
        if (!m_check->isChecked())
            m_check->setChecked(true);
        Q_EMIT Changed();
    });
}

bool TVxDateTimePicker::IsChecked() const
{
    return m_check->isChecked();
}

void TVxDateTimePicker::SetChecked(bool checked)
{
    m_check->setChecked(checked);
}

QDateTime TVxDateTimePicker::DateTime() const
{
    return m_edit->dateTime();
}

void TVxDateTimePicker::SetDateTime(const QDateTime& value)
{
    const QSignalBlocker block(m_edit);
    m_edit->setDateTime(value);
}

bool TVxDateTimePicker::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && m_edit->calendarPopup() && watched == m_edit->calendarWidget())
        Q_EMIT CalendarOpened();
    return QWidget::eventFilter(watched, event);
}

// --- line shapes --------------------------------------------------------------------------

TVxBevel::TVxBevel(Shape shape, QWidget* parent)
    : QWidget(parent)
    , m_shape(shape)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TVxBevel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QColor dark = palette().color(QPalette::Dark);
    const QColor light = palette().color(QPalette::Light);
    const int r = width() - 1;
    const int b = height() - 1;
    auto line = [&](const QColor& colour, int x1, int y1, int x2, int y2) {
        painter.setPen(colour);
        painter.drawLine(x1, y1, x2, y2);
    };
    switch (m_shape) {
    case Shape::Frame:
        line(dark, 0, 0, r, 0);
        line(dark, 0, 0, 0, b);
        line(light, 0, b, r, b);
        line(light, r, 0, r, b);
        break;
    case Shape::TopLine:
        line(dark, 0, 0, r, 0);
        line(light, 0, 1, r, 1);
        break;
    case Shape::BottomLine:
        line(dark, 0, b - 1, r, b - 1);
        line(light, 0, b, r, b);
        break;
    case Shape::LeftLine:
        line(dark, 0, 0, 0, b);
        line(light, 1, 0, 1, b);
        break;
    case Shape::RightLine:
        line(dark, r - 1, 0, r - 1, b);
        line(light, r, 0, r, b);
        break;
    }
}

// --- field links --------------------------------------------------------------------------

TVxFieldLink::TVxFieldLink(QWidget* control, SqlRecordSet* source, QString fieldName)
    : QObject(control)
    , m_control(control)
    , m_source(source)
    , m_field(std::move(fieldName))
{
    setObjectName(QStringLiteral("FieldLink"));
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        connect(edit, &QLineEdit::textEdited, this, &TVxFieldLink::userChanged);
    else if (auto* memo = qobject_cast<QPlainTextEdit*>(control))
        connect(memo, &QPlainTextEdit::textChanged, this, &TVxFieldLink::userChanged);
    else if (auto* combo = qobject_cast<QComboBox*>(control))
        connect(combo, &QComboBox::currentTextChanged, this, &TVxFieldLink::userChanged);
    else if (auto* check = qobject_cast<QCheckBox*>(control))
        connect(check, &QCheckBox::toggled, this, &TVxFieldLink::userChanged);
}

TVxFieldLink* TVxFieldLink::Of(const QWidget* control)
{
    return control ? control->findChild<TVxFieldLink*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void TVxFieldLink::Refresh()
{
    if (!m_control)
        return;
    m_refreshing = true;
    const bool available = m_source && m_source->isActive() && m_source->hasField(m_field)
        && (m_source->isEditing() || m_source->recordNumber() >= 0);
    const QString text = available ? m_source->text(m_field) : QString();
    if (auto* label = qobject_cast<QLabel*>(m_control.data())) {
        if (label->property("vxPicture").toBool()) {
            QPixmap picture;
            if (available)
                picture.loadFromData(m_source->value(m_field).toByteArray());
            label->setPixmap(picture);
        } else {
            label->setText(text);
        }
    } else if (auto* edit = qobject_cast<QLineEdit*>(m_control.data())) {
        edit->setText(text);
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(m_control.data())) {
        memo->setPlainText(text);
    } else if (auto* combo = qobject_cast<QComboBox*>(m_control.data())) {
        if (combo->isEditable())
            combo->setEditText(text);
        else
            combo->setCurrentIndex(combo->findText(text, Qt::MatchFixedString));
    } else if (auto* check = qobject_cast<QCheckBox*>(m_control.data())) {
        check->setChecked(text.compare(QLatin1String("T"), Qt::CaseInsensitive) == 0);
    }
    m_refreshing = false;
}

QString TVxFieldLink::controlText() const
{
    if (auto* edit = qobject_cast<QLineEdit*>(m_control.data()))
        return edit->text();
    if (auto* memo = qobject_cast<QPlainTextEdit*>(m_control.data()))
        return memo->toPlainText();
    if (auto* combo = qobject_cast<QComboBox*>(m_control.data()))
        return combo->currentText();
    return {};
}

void TVxFieldLink::Commit()
{
    if (!m_control || !m_source || !m_source->isEditing() || !m_source->hasField(m_field))
        return;
    if (qobject_cast<QLabel*>(m_control.data()))
        return;
    if (auto* check = qobject_cast<QCheckBox*>(m_control.data())) {
        m_source->setText(m_field, check->isChecked() ? QStringLiteral("T") : QStringLiteral("F"));
        return;
    }
    // A list-only box showing no entry (the value is not in its list) leaves the value alone.
    if (auto* combo = qobject_cast<QComboBox*>(m_control.data());
        combo && !combo->isEditable() && combo->currentIndex() < 0)
        return;
    m_source->setText(m_field, controlText());
}

void TVxFieldLink::userChanged()
{
    if (m_refreshing)
        return;
    try {
        Commit();
    } catch (const ConversionError&) {
        // A value half typed ("17.0") is written once it can be read; Commit reports it on saving.
    }
}
