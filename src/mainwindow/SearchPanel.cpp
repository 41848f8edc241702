#include "SearchPanel.h"

#include "platform/IniFile.h"
#include "platform/Registry.h"
#include "platform/db/DateSerial.h"
#include "properties/LayoutBuilder.h"
#include "properties/LayoutControls.h"
#include "settings/RegistryKeys.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolButton>

namespace {
enum class InputKind { None, Text, DatePicker, CheckBox };

// Which kind of search input a layout element is. Labels and decorations are none, and so is an
// element the layout builder disabled because the archive lacks its field.
InputKind inputKind(const QWidget* element)
{
    if (element->testAttribute(Qt::WA_ForceDisabled))
        return InputKind::None;
    const int type = ElementType(element);
    if (type >= 10 && type <= 59)
        return InputKind::Text;
    if (type == 70)
        return InputKind::CheckBox;
    if (type == 90 || type == 91)
        return InputKind::DatePicker;
    return InputKind::None;
}

QString textOf(const QWidget* element)
{
    if (const auto* edit = qobject_cast<const QLineEdit*>(element))
        return edit->text();
    if (const auto* memo = qobject_cast<const QPlainTextEdit*>(element))
        return memo->toPlainText();
    if (const auto* box = qobject_cast<const QComboBox*>(element))
        return box->currentText();
    return {};
}

void setTextOf(QWidget* element, const QString& text)
{
    if (auto* edit = qobject_cast<QLineEdit*>(element))
        edit->setText(text);
    else if (auto* memo = qobject_cast<QPlainTextEdit*>(element))
        memo->setPlainText(text);
    else if (auto* box = qobject_cast<QComboBox*>(element)) {
        if (box->isEditable())
            box->setEditText(text);
        else
            box->setCurrentIndex(box->findText(text, Qt::MatchFixedString));
    }
}

// A right click on a search button asks for the button popup.
class RightClickWatcher : public QObject
{
public:
    RightClickWatcher(TSearchPanel* panel)
        : QObject(panel)
        , m_panel(panel)
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::RightButton) {
                Q_EMIT m_panel->buttonPopupRequested(mouse->globalPosition().toPoint());
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    TSearchPanel* m_panel;
};
} // namespace

QString StoredMainValuesKey()
{
    return RegistryKeys::kBase + QStringLiteral("Edit.Text\\Main");
}

TSearchPanel::TSearchPanel(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("PanelSearchFields"));
    setMinimumHeight(60);
    BtnSearch = new QToolButton(this);
    BtnSearch->setObjectName(QStringLiteral("BtnSearch"));
    BtnSearch->setText(QStringLiteral("&Suchen"));
    BtnSearch->setToolTip(QStringLiteral("Suchen"));
    BtnSearch->setCheckable(true);
    BtnSearch->setGeometry(504, 6, 90, 25);
    BtnLockSearch = new QToolButton(this);
    BtnLockSearch->setObjectName(QStringLiteral("BtnLockSearch"));
    BtnLockSearch->setText(QStringLiteral("P"));
    BtnLockSearch->setToolTip(QStringLiteral("Permanent"));
    BtnLockSearch->setStatusTip(QStringLiteral("Schaltfläche Suche permanent gedrückt"));
    BtnLockSearch->setGeometry(596, 6, 25, 25);
    LabelFTI = new QLabel(QStringLiteral("Im Index"), this);
    LabelFTI->setObjectName(QStringLiteral("LabelFTI"));
    LabelFTI->setGeometry(504, 90, 56, 13);
    EditFTI = new QLineEdit(this);
    EditFTI->setObjectName(QStringLiteral("EditFTI"));
    EditFTI->setToolTip(QStringLiteral("Suche im Volltextindex"));
    EditFTI->setGeometry(562, 86, 120, 21);
    CoBoxApplication = new QComboBox(this);
    CoBoxApplication->setObjectName(QStringLiteral("CoBoxApplication"));
    CoBoxApplication->setToolTip(QStringLiteral("APPLNAME|Suche nach Dokumenttyp"));
    CoBoxApplication->setGeometry(334, 34, 150, 22);
    SuchTimer = new QTimer(this);
    SuchTimer->setObjectName(QStringLiteral("SuchTimer"));
    SuchTimer->setInterval(kTypingDelayMs);
    SuchTimer->setSingleShot(false);

    connect(SuchTimer, &QTimer::timeout, this, &TSearchPanel::SuchTimerOnTimer);
    connect(BtnSearch, &QToolButton::clicked, this, &TSearchPanel::searchClicked);
    connect(BtnLockSearch, &QToolButton::clicked, this, &TSearchPanel::lockClicked);
    auto* watcher = new RightClickWatcher(this);
    BtnSearch->installEventFilter(watcher);
    BtnLockSearch->installEventFilter(watcher);
    connect(EditFTI, &QLineEdit::textChanged, this, &TSearchPanel::SearchFieldChange);
    connect(EditFTI, &QLineEdit::editingFinished, this, &TSearchPanel::SearchFieldExit);
    connect(CoBoxApplication, &QComboBox::currentIndexChanged, this, &TSearchPanel::SearchFieldChange);
}

void TSearchPanel::LoadLayout(const IniFile& file, TVxLayoutContext context)
{
    context.SearchFieldChange = [this](QWidget*) { SearchFieldChange(); };
    context.SearchFieldExit = [this](QWidget*) { SearchFieldExit(); };
    context.DateTimePickerDropDown = [](QWidget* control) {
        // The calendar shows week numbers and is at least as large as it asks to be.
        auto* picker = qobject_cast<TVxDateTimePicker*>(control);
        QCalendarWidget* calendar = picker && picker->Editor() ? picker->Editor()->calendarWidget() : nullptr;
        if (!calendar)
            return;
        calendar->setVerticalHeaderFormat(QCalendarWidget::ISOWeekNumbers);
        calendar->resize(calendar->sizeHint().expandedTo(calendar->size()));
    };
    context.ProjectFieldControl = [this](QWidget* control) { m_projectControl = control; };
    LoadLayoutArea(file, this, context);
    setMinimumHeight(RequiredHeight());
}

void TSearchPanel::FreeLayoutControls()
{
    m_projectControl = nullptr;
    FreeLayoutElements(this);
}

void TSearchPanel::SetProjectFieldText(const QString& path)
{
    if (m_projectControl)
        setTextOf(m_projectControl, path);
}

TSearchPanelInput TSearchPanel::Input(const QString& selectedProject) const
{
    TSearchPanelInput input;
    input.fullTextVisible = EditFTI->isVisibleTo(this);
    input.fullText = EditFTI->text();
    input.typeFilter = CoBoxApplication->currentIndex() > 0;
    input.typeKey = CoBoxApplication->currentData().toString();
    for (const QWidget* element : LayoutElements(const_cast<TSearchPanel*>(this))) {
        using Control = TSearchPanelInput::Control;
        Control control;
        control.field = ElementField(element);
        switch (inputKind(element)) {
        case InputKind::None: continue;
        case InputKind::Text:
            control.kind = Control::Kind::Text;
            control.text = textOf(element);
            break;
        case InputKind::CheckBox:
            control.kind = Control::Kind::CheckBox;
            control.checked = static_cast<const QCheckBox*>(element)->isChecked();
            break;
        case InputKind::DatePicker: {
            const auto* picker = static_cast<const TVxDateTimePicker*>(element);
            control.kind = Control::Kind::DatePicker;
            control.checked = picker->IsChecked();
            control.date = DateSerial::fromDateTime(picker->DateTime());
            break;
        }
        }
        input.controls.push_back(control);
    }
    input.hasProjectFieldControl = m_projectControl != nullptr;
    input.selectedProject = selectedProject;
    return input;
}

void TSearchPanel::RestoreFixedValues(const Registry& user)
{
    const QString key = StoredMainValuesKey();
    if (EditFTI->isVisibleTo(this))
        EditFTI->setText(user.readString(key, QStringLiteral("EditFTI"), QString()));
    const int type = user.readInteger(key, QStringLiteral("CoBoxApplication"), -1);
    CoBoxApplication->setCurrentIndex(type < CoBoxApplication->count() ? type : -1);
}

void TSearchPanel::SaveSearchValues(Registry& user) const
{
    const QString fields = StoredSearchValuesKey();
    for (const QWidget* element : LayoutElements(const_cast<TSearchPanel*>(this))) {
        const QString name = ElementField(element);
        switch (inputKind(element)) {
        case InputKind::None: break;
        case InputKind::Text: user.writeString(fields, name, textOf(element)); break;
        case InputKind::CheckBox:
            user.writeBool(fields, name, static_cast<const QCheckBox*>(element)->isChecked());
            break;
        case InputKind::DatePicker: {
            const auto* picker = static_cast<const TVxDateTimePicker*>(element);
            user.writeString(fields, name, QString::number(DateSerial::fromDateTime(picker->DateTime()), 'f', 8));
            user.writeBool(fields, name + QStringLiteral(".Checked"), picker->IsChecked());
            break;
        }
        }
    }
    const QString main = StoredMainValuesKey();
    if (EditFTI->isVisibleTo(this))
        user.writeString(main, QStringLiteral("EditFTI"), EditFTI->text());
    user.writeInteger(main, QStringLiteral("CoBoxApplication"), CoBoxApplication->currentIndex());
}

void TSearchPanel::ClearInputs(bool keepProjectControl)
{
    EditFTI->clear();
    CoBoxApplication->setCurrentIndex(-1);
    for (QWidget* element : LayoutElements(this)) {
        if (keepProjectControl && element == m_projectControl)
            continue;
        switch (inputKind(element)) {
        case InputKind::None: break;
        case InputKind::Text: setTextOf(element, QString()); break;
        case InputKind::CheckBox: static_cast<QCheckBox*>(element)->setChecked(false); break;
        case InputKind::DatePicker: {
            auto* picker = static_cast<TVxDateTimePicker*>(element);
            picker->SetDateTime(QDateTime(QDate::currentDate(), QTime(0, 0)));
            picker->SetChecked(false);
            break;
        }
        }
    }
}

bool TSearchPanel::IsPermanent() const
{
    return BtnSearch->isChecked();
}

void TSearchPanel::SetPermanent(bool on)
{
    BtnSearch->setChecked(on);
    if (!on)
        SuchTimer->stop();
}

void TSearchPanel::SearchFieldChange()
{
    if (IsPermanent() && !m_designerOpen) {
        SuchTimer->stop();
        SuchTimer->start();
    }
}

void TSearchPanel::SearchFieldExit()
{
    if (m_designerOpen)
        return;
    const bool waiting = SuchTimer->isActive();
    SuchTimer->stop();
    if (waiting)
        Q_EMIT searchDue();
}

void TSearchPanel::SuchTimerOnTimer()
{
    SuchTimer->stop();
    Q_EMIT searchDue();
}

int TSearchPanel::RequiredHeight() const
{
    int bottom = 0;
    for (const QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!child->isHidden())
            bottom = std::max(bottom, child->geometry().bottom());
    return bottom + 5;
}
