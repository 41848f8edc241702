#include "LayoutBuilder.h"

#include "platform/Errors.h"
#include "platform/IniFile.h"
#include "platform/Registry.h"
#include "platform/db/DateSerial.h"
#include "platform/db/SqlConnection.h"
#include "platform/db/SqlRecordSet.h"
#include "properties/DBFields.h"
#include "properties/LayoutControls.h"
#include "settings/RegistryKeys.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStackedWidget>
#include <QTabWidget>

namespace {

const char* const kHintProperty = "hint";
const char* const kTagProperty = "tag";
const char* const kPictureProperty = "vxPicture";

QString lower(const char* text)
{
    return QString::fromLatin1(text).toLower();
}

bool isTabPage(const QWidget* area)
{
    const auto* stack = qobject_cast<const QStackedWidget*>(area->parentWidget());
    return stack && qobject_cast<const QTabWidget*>(stack->parentWidget());
}

QWidget* findFormControl(QWidget* form, const QString& name)
{
    if (name.isEmpty() || IsLayoutElementName(name))
        return nullptr;
    for (QWidget* child : form->findChildren<QWidget*>()) {
        if (child->objectName().compare(name, Qt::CaseInsensitive) == 0)
            return child;
    }
    return nullptr;
}

std::optional<int> wholeNumber(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

bool onSearchPanel(const QWidget* area)
{
    const QWidget* form = area->window();
    return SectionName(form->objectName(), area->objectName())
               .compare(VxLayout::kSearchFieldsSection, Qt::CaseInsensitive)
        == 0;
}

bool fieldIsMissing(const TVxLayCompo& compo, const TVxLayoutContext& context)
{
    if (compo.FieldName.isEmpty())
        return false;
    if (context.RecordFields)
        return !context.RecordFields->contains(compo.FieldName, Qt::CaseInsensitive);
    if (context.DocSource && context.DocSource->isActive())
        return !context.DocSource->hasField(compo.FieldName);
    return false;
}

SqlRecordSet* sourceFor(const QString& tableName, const TVxLayoutContext& context)
{
    return tableName.compare(VxLayout::kDocSource, Qt::CaseInsensitive) == 0 ? context.DocSource : nullptr;
}

// The distinct values of the list field in the source's table.
QStringList lookupItems(const TVxLayCompo& compo, const TVxLayoutContext& context)
{
    SqlRecordSet* source = sourceFor(compo.LookupTable, context);
    if (!source || !source->connection() || !source->isActive() || !source->hasField(compo.LookupField)
        || source->updateTable().isEmpty())
        return {};
    QStringList items;
    try {
        auto name = [](const QString& text) -> QString { return QLatin1Char('[') + text + QLatin1Char(']'); };
        auto rows = source->connection()->prepare(QStringLiteral("SELECT DISTINCT %1 FROM %2 WHERE %1 IS NOT NULL")
                                                      .arg(name(compo.LookupField), name(source->updateTable())));
        while (rows->step())
            items << rows->value(0).toString();
    } catch (const DxError&) {
        return {};
    }
    items.sort(Qt::CaseInsensitive);
    return items;
}

QStringList choiceLines(const TVxLayCompo& compo, const TVxLayoutContext& context)
{
    if (compo.FieldName == QLatin1String("USERNAME"))
        return context.UserList;
    if (!context.ChoiceList)
        return {};
    const std::optional<QString> text = context.ChoiceList(compo.FieldName);
    if (!text)
        return {};
    QString lines = *text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QStringList result;
    for (const QString& line : lines.split(QLatin1Char('\n')))
        if (!line.isEmpty())
            result << line;
    return result;
}

QComboBox* makeComboBox(QWidget* area, bool editable, const QStringList& items, int rows)
{
    auto* box = new QComboBox(area);
    box->setEditable(editable);
    if (editable)
        box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxVisibleItems(qMax(1, rows));
    box->addItems(items);
    if (editable)
        box->setEditText(QString());
    else
        box->setCurrentIndex(-1);
    return box;
}

bool storedBoolean(const Registry& stored, const QString& key, const QString& name)
{
    const std::optional<QString> text = stored.readString(key, name);
    if (!text)
        return false;
    if (text->trimmed() == QLatin1String("T"))
        return true;
    if (const auto number = wholeNumber(*text))
        return *number != 0;
    return Registry::parseBool(*text).value_or(false);
}

QDateTime storedDateTime(const Registry& stored, const QString& key, const QString& name)
{
    const QDateTime today(QDate::currentDate(), QTime(0, 0));
    const std::optional<QString> text = stored.readString(key, name);
    if (!text)
        return today;
    bool ok = false;
    const double serial = text->trimmed().toDouble(&ok);
    if (ok)
        return DateSerial::toDateTime(serial);
    if (const auto parsed = DateSerial::parse(*text))
        return DateSerial::toDateTime(*parsed);
    return today;
}

// Restores the last value of a search input.
void restoreSearchValue(QWidget* control, const TVxLayCompo& compo, const Registry& stored)
{
    const QString key = StoredSearchValuesKey();
    const QString name = compo.FieldName;
    switch (compo.TypeNo) {
    case 10: static_cast<QLineEdit*>(control)->setText(stored.readString(key, name, QString())); break;
    case 20: static_cast<QPlainTextEdit*>(control)->setPlainText(stored.readString(key, name, QString())); break;
    case 30:
    case 31:
    case 40:
    case 41:
    case 50:
    case 51: {
        auto* box = static_cast<QComboBox*>(control);
        const QString text = stored.readString(key, name, QString());
        if (box->isEditable()) {
            box->setEditText(text);
            box->lineEdit()->end(false);
        } else {
            box->setCurrentIndex(box->findText(text, Qt::MatchFixedString));
        }
        break;
    }
    case 70: static_cast<QCheckBox*>(control)->setChecked(storedBoolean(stored, key, name)); break;
    case 90:
    case 91: {
        auto* picker = static_cast<TVxDateTimePicker*>(control);
        if (stored.valueExists(key, name))
            picker->SetDateTime(storedDateTime(stored, key, name));
        picker->SetChecked(stored.readBool(key, name + QStringLiteral(".Checked"), false));
        break;
    }
    default: break;
    }
}

// Sends leaving the element (focus moving out of it) to the handler.
class ExitWatcher : public QObject
{
public:
    ExitWatcher(QWidget* element, std::function<void(QWidget*)> handler)
        : QObject(element)
        , m_element(element)
        , m_handler(std::move(handler))
    {
        setObjectName(QStringLiteral("ExitWatcher"));
        element->installEventFilter(this);
        for (QWidget* child : element->findChildren<QWidget*>())
            child->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::FocusOut && m_element) {
            const QWidget* now = QApplication::focusWidget();
            if (!now || (now != m_element && !m_element->isAncestorOf(now)))
                m_handler(m_element);
        }
        return false;
    }

private:
    QPointer<QWidget> m_element;
    std::function<void(QWidget*)> m_handler;
};

void connectSearchEvents(QWidget* control, const TVxLayCompo& compo, const TVxLayoutContext& context)
{
    if (context.SearchFieldChange) {
        auto changed = [control, handler = context.SearchFieldChange] { handler(control); };
        if (auto* edit = qobject_cast<QLineEdit*>(control))
            QObject::connect(edit, &QLineEdit::textChanged, control, changed);
        else if (auto* memo = qobject_cast<QPlainTextEdit*>(control))
            QObject::connect(memo, &QPlainTextEdit::textChanged, control, changed);
        else if (auto* box = qobject_cast<QComboBox*>(control)) {
            QObject::connect(box, &QComboBox::currentTextChanged, control, changed);
            if (compo.TypeNo == 40 || compo.TypeNo == 41)
                QObject::connect(box, &QComboBox::activated, control, changed);
        } else if (auto* check = qobject_cast<QCheckBox*>(control))
            QObject::connect(check, &QCheckBox::clicked, control, changed);
        else if (auto* picker = qobject_cast<TVxDateTimePicker*>(control))
            QObject::connect(picker, &TVxDateTimePicker::Changed, control, changed);
    }
    if (auto* picker = qobject_cast<TVxDateTimePicker*>(control); picker && context.DateTimePickerDropDown)
        QObject::connect(picker, &TVxDateTimePicker::CalendarOpened, control,
            [control, handler = context.DateTimePickerDropDown] { handler(control); });
    if (context.SearchFieldExit && !qobject_cast<QLabel*>(control))
        new ExitWatcher(control, context.SearchFieldExit);
}

void setElementHint(QWidget* control, const QString& hint)
{
    control->setProperty(kHintProperty, hint);
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    control->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
    control->setToolTip(QString());
}

QWidget* createControl(TVxLayCompo& compo, QWidget* area, bool search, const TVxLayoutContext& context)
{
    const int rows = context.DropDownCount;
    switch (compo.TypeNo) {
    case 1:
    case 501:
    case 101: return new QLabel(compo.TypeNo == 101 ? QString() : compo.Caption, area);
    case 10:
    case 110:
    case 190:
    case 191: return new QLineEdit(area);
    case 20:
    case 120: return new QPlainTextEdit(area);
    case 30:
    case 31:
    case 130:
    case 131: return makeComboBox(area, compo.TypeNo == 30 || compo.TypeNo == 130, choiceLines(compo, context), rows);
    case 50:
    case 51:
    case 150:
    case 151: {
        auto* box = new TVxTreeComboBox(area);
        box->SetListOnly(compo.TypeNo == 51 || compo.TypeNo == 151);
        box->SetDropDownCount(rows);
        if (context.ChoiceList && context.ChoiceList(compo.FieldName))
            box->SetTreeItems(choiceLines(compo, context));
        return box;
    }
    case 40: return makeComboBox(area, true, lookupItems(compo, context), rows);
    case 41: return makeComboBox(area, search, lookupItems(compo, context), rows);
    case 140:
    case 141: return makeComboBox(area, false, lookupItems(compo, context), rows);
    case 70:
    case 170: {
        QString text = compo.Caption;
        if (search && compo.TypeNo == 70 && compo.FieldName == QLatin1String("USERNAME"))
            text = TVxDBFields::BuiltInCaption(lower("rsdfcUserNameCB"));
        else if (search && compo.TypeNo == 70 && compo.FieldName == QLatin1String("FAVORITE"))
            text = TVxDBFields::BuiltInCaption(lower("rsdfcFavoriteCB"));
        return new QCheckBox(text, area);
    }
    case 90:
    case 91:
        return new TVxDateTimePicker(
            compo.TypeNo == 90 ? TVxDateTimePicker::Kind::Date : TVxDateTimePicker::Kind::Time, area);
    case 180: {
        if (search)
            return nullptr;
        auto* picture = new QLabel(area);
        picture->setProperty(kPictureProperty, true);
        picture->setScaledContents(true);
        return picture;
    }
    case 520: return new TVxBevel(TVxBevel::Shape::Frame, area);
    case 521: return new TVxBevel(TVxBevel::Shape::TopLine, area);
    case 522: return new TVxBevel(TVxBevel::Shape::BottomLine, area);
    case 523: return new TVxBevel(TVxBevel::Shape::LeftLine, area);
    case 524: return new TVxBevel(TVxBevel::Shape::RightLine, area);
    case 540: return new QGroupBox(compo.Caption, area);
    case 550: {
        QString path = compo.Caption;
        if (path.isEmpty())
            return nullptr;
        if (!QFileInfo(path).isFile()) {
            const QString fallback = context.LayoutsFolder + QFileInfo(path).fileName();
            if (context.LayoutsFolder.isEmpty() || !QFileInfo(fallback).isFile())
                return nullptr;
            path = fallback;
            compo.Caption = fallback;
        }
        QPixmap image(path);
        if (image.isNull())
            return nullptr;
        auto* picture = new QLabel(area);
        picture->setProperty(kPictureProperty, true);
        picture->setPixmap(image);
        return picture;
    }
    default: return nullptr;
    }
}

} // namespace

QString StoredSearchValuesKey()
{
    return RegistryKeys::kBase + QStringLiteral("Edit.Text\\Main\\SearchFields");
}

QWidget* BuildElement(TVxLayCompo& compo, const QString& key, QWidget* area, const TVxLayoutContext& context,
    const TVxLayoutOptions& options)
{
    QPointer<QWidget> control;
    try {
        const bool search = onSearchPanel(area);
        const bool missing = fieldIsMissing(compo, context);
        control = createControl(compo, area, search, context);
        if (!control)
            return nullptr;
        control->setObjectName(key);
        control->setProperty(kTagProperty, compo.TypeNo);

        const bool isLabel = compo.TypeNo == 1 || compo.TypeNo == 501;
        if (auto* label = qobject_cast<QLabel*>(control.data()))
            label->setAutoFillBackground(!compo.Transparent);
        if (compo.TypeNo == 550) {
            const QSize size = static_cast<QLabel*>(control.data())->pixmap().size();
            control->setGeometry(compo.PosLeft, compo.PosTop, size.width(), size.height());
            control->lower();
        } else if (isLabel && options.LabelAutoSize) {
            control->move(compo.PosLeft, compo.PosTop);
            control->adjustSize();
        } else {
            control->setGeometry(compo.PosLeft, compo.PosTop, compo.Width, compo.Height);
        }

        if (missing) {
            control->setEnabled(false);
            setElementHint(control, MissingFieldHint(compo.FieldName));
        } else {
            setElementHint(control, LayoutElementHint(compo, search));
            if (compo.TypeNo >= 101 && compo.TypeNo <= 199) {
                if (SqlRecordSet* source = sourceFor(compo.TableName, context)) {
                    auto* link = new TVxFieldLink(control, source, compo.FieldName);
                    link->Refresh();
                }
            }
            if (search && compo.TypeNo >= 10 && compo.TypeNo <= 99) {
                if (context.StoredValues)
                    restoreSearchValue(control, compo, *context.StoredValues);
                connectSearchEvents(control, compo, context);
            }
            if (search && compo.FieldName == QLatin1String("PROJECT") && !qobject_cast<QLabel*>(control.data())
                && context.ProjectFieldControl)
                context.ProjectFieldControl(control);
        }
        control->show();
        return control;
    } catch (...) {
        // An element that cannot be built is left out; the rest of the layout loads.
        delete control.data();
        return nullptr;
    }
}

void LoadLayoutArea(const IniFile& file, QWidget* area, const TVxLayoutContext& context)
{
    if (!area)
        return;
    QWidget* form = area->window();
    const QString section = SectionName(form->objectName(), area->objectName());
    const TVxLayoutOptions options = ReadLayoutOptions(file, section);
    const int screen = context.ScreenPixelsPerInch > 0 ? context.ScreenPixelsPerInch : area->logicalDpiX();
    const bool isPanel = !isTabPage(area);

    for (const QString& key : file.keys(section)) {
        const QString value = file.value(section, key);
        if (key.compare(VxLayout::kColorKey, Qt::CaseInsensitive) == 0) {
            if (isPanel) {
                const QColor colour
                    = ParseLayoutColour(value).value_or(QApplication::palette().color(QPalette::Button));
                QPalette palette = area->palette();
                palette.setColor(QPalette::Window, colour);
                area->setPalette(palette);
                area->setAutoFillBackground(true);
            }
            continue;
        }
        TVxLayCompo compo;
        compo.ScreenPixelsPerInch = screen;
        compo.DesignedPixelsPerInch = options.DesignedPixelsPerInch;
        compo.MultiLanguage = options.MultiLanguage;
        compo.Fields = context.Fields;
        ParseLayoutLine(value, compo);
        if (QWidget* fixed = findFormControl(form, key)) {
            // A control of the form itself: only its bounds and transparency come from the line.
            const auto left = wholeNumber(compo.PosLeftText), top = wholeNumber(compo.PosTopText);
            const auto width = wholeNumber(compo.WidthText), height = wholeNumber(compo.HeightText);
            if (left && top && width && height)
                fixed->setGeometry(compo.PosLeft, compo.PosTop, compo.Width, compo.Height);
            if (auto* label = qobject_cast<QLabel*>(fixed))
                label->setAutoFillBackground(!compo.Transparent);
            continue;
        }
        BuildElement(compo, key, area, context, options);
    }
}

void LoadLayoutArea(const QString& layoutFile, QWidget* area, const TVxLayoutContext& context)
{
    LoadLayoutArea(VxLayout::ReadLayoutFile(layoutFile), area, context);
}

QList<QWidget*> LayoutElements(QWidget* formOrArea)
{
    QList<QWidget*> elements;
    if (!formOrArea)
        return elements;
    for (QWidget* child : formOrArea->findChildren<QWidget*>())
        if (IsLayoutElementName(child->objectName()))
            elements << child;
    return elements;
}

void FreeLayoutElements(QWidget* formOrArea)
{
    if (!formOrArea)
        return;
    QList<QPointer<QObject>> doomed;
    for (QObject* child : formOrArea->findChildren<QObject*>())
        if (IsLayoutElementName(child->objectName()))
            doomed << child;
    // No leaving-the-field reports from elements on their way out.
    for (const QPointer<QObject>& element : doomed)
        if (element)
            qDeleteAll(element->findChildren<QObject*>(QStringLiteral("ExitWatcher"), Qt::FindDirectChildrenOnly));
    for (auto it = doomed.rbegin(); it != doomed.rend(); ++it)
        delete it->data();
}

bool ApplyFormSize(const IniFile& file, QWidget* form, int screenPixelsPerInch)
{
    if (!form)
        return false;
    const int screen = screenPixelsPerInch > 0 ? screenPixelsPerInch : form->logicalDpiX();
    const std::optional<QSize> size = LayoutFormSize(file, form->objectName(), screen);
    if (!size)
        return false;
    form->resize(
        size->width() > 0 ? size->width() : form->width(), size->height() > 0 ? size->height() : form->height());
    return true;
}

QString ElementHint(const QWidget* element)
{
    return element ? element->property(kHintProperty).toString() : QString();
}

QString ElementField(const QWidget* element)
{
    return HintField(ElementHint(element));
}

int ElementType(const QWidget* element)
{
    return element ? element->property(kTagProperty).toInt() : 0;
}

void SetChoiceListItems(QWidget* control, const QStringList& lines)
{
    if (auto* tree = qobject_cast<TVxTreeComboBox*>(control)) {
        tree->SetTreeItems(lines);
        return;
    }
    auto* box = qobject_cast<QComboBox*>(control);
    if (!box)
        return;
    const QString text = box->currentText();
    const QSignalBlocker block(box);
    box->clear();
    box->addItems(lines);
    if (box->isEditable())
        box->setEditText(text);
    else
        box->setCurrentIndex(box->findText(text, Qt::MatchFixedString));
}

void RefreshBoundControls(QWidget* area)
{
    for (QWidget* element : LayoutElements(area))
        if (TVxFieldLink* link = TVxFieldLink::Of(element))
            link->Refresh();
}

void CommitBoundControls(QWidget* area)
{
    for (QWidget* element : LayoutElements(area))
        if (TVxFieldLink* link = TVxFieldLink::Of(element))
            link->Commit();
}

std::optional<QColor> ParseLayoutColour(const QString& text)
{
    const QString value = text.trimmed();
    if (value.isEmpty())
        return std::nullopt;
    const QPalette palette = QApplication::palette();
    static const QHash<QString, QRgb> fixed = {
        {QStringLiteral("clblack"), qRgb(0, 0, 0)},
        {QStringLiteral("clmaroon"), qRgb(128, 0, 0)},
        {QStringLiteral("clgreen"), qRgb(0, 128, 0)},
        {QStringLiteral("clolive"), qRgb(128, 128, 0)},
        {QStringLiteral("clnavy"), qRgb(0, 0, 128)},
        {QStringLiteral("clpurple"), qRgb(128, 0, 128)},
        {QStringLiteral("clteal"), qRgb(0, 128, 128)},
        {QStringLiteral("clgray"), qRgb(128, 128, 128)},
        {QStringLiteral("cldkgray"), qRgb(128, 128, 128)},
        {QStringLiteral("clsilver"), qRgb(192, 192, 192)},
        {QStringLiteral("clltgray"), qRgb(192, 192, 192)},
        {QStringLiteral("clred"), qRgb(255, 0, 0)},
        {QStringLiteral("cllime"), qRgb(0, 255, 0)},
        {QStringLiteral("clyellow"), qRgb(255, 255, 0)},
        {QStringLiteral("clblue"), qRgb(0, 0, 255)},
        {QStringLiteral("clfuchsia"), qRgb(255, 0, 255)},
        {QStringLiteral("claqua"), qRgb(0, 255, 255)},
        {QStringLiteral("clwhite"), qRgb(255, 255, 255)},
        {QStringLiteral("clmoneygreen"), qRgb(192, 220, 192)},
        {QStringLiteral("clskyblue"), qRgb(166, 202, 240)},
        {QStringLiteral("clcream"), qRgb(255, 251, 240)},
        {QStringLiteral("clmedgray"), qRgb(160, 160, 164)},
    };
    // The system colours by name and by their index in the system colour table.
    struct SystemColour
    {
        const char* name;
        int index;
        QPalette::ColorRole role;
    };
    static const SystemColour system[] = {
        {"clScrollBar", 0, QPalette::Button},
        {"clBackground", 1, QPalette::Window},
        {"clActiveCaption", 2, QPalette::Highlight},
        {"clInactiveCaption", 3, QPalette::Mid},
        {"clMenu", 4, QPalette::Window},
        {"clWindow", 5, QPalette::Base},
        {"clWindowFrame", 6, QPalette::Shadow},
        {"clMenuText", 7, QPalette::WindowText},
        {"clWindowText", 8, QPalette::Text},
        {"clCaptionText", 9, QPalette::HighlightedText},
        {"clHighlight", 13, QPalette::Highlight},
        {"clHighlightText", 14, QPalette::HighlightedText},
        {"clBtnFace", 15, QPalette::Button},
        {"clBtnShadow", 16, QPalette::Dark},
        {"clGrayText", 17, QPalette::PlaceholderText},
        {"clBtnText", 18, QPalette::ButtonText},
        {"clBtnHighlight", 20, QPalette::Light},
        {"cl3DDkShadow", 21, QPalette::Shadow},
        {"cl3DLight", 22, QPalette::Midlight},
        {"clInfoText", 23, QPalette::ToolTipText},
        {"clInfoBk", 24, QPalette::ToolTipBase},
    };
    const QString name = value.toLower();
    if (fixed.contains(name))
        return QColor(fixed.value(name));
    for (const SystemColour& s : system)
        if (name == lower(s.name))
            return palette.color(s.role);
    if (value.startsWith(QLatin1Char('#'))) {
        const QColor colour = QColor::fromString(value);
        return colour.isValid() ? std::optional<QColor>(colour) : std::nullopt;
    }
    bool ok = false;
    qint64 number = 0;
    if (value.startsWith(QLatin1Char('$')))
        number = value.mid(1).toLongLong(&ok, 16);
    else if (value.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        number = value.mid(2).toLongLong(&ok, 16);
    else
        number = value.toLongLong(&ok, 10);
    if (!ok || number < INT32_MIN || number > UINT32_MAX)
        return std::nullopt;
    const quint32 bits = quint32(number);
    if ((bits & 0xFF000000u) == 0xFF000000u || (bits & 0xFF000000u) == 0x80000000u) {
        const int index = int(bits & 0xFFu);
        for (const SystemColour& s : system)
            if (s.index == index)
                return palette.color(s.role);
        return std::nullopt;
    }
    if (bits > 0xFFFFFFu)
        return std::nullopt;
    return QColor(int(bits & 0xFF), int((bits >> 8) & 0xFF), int((bits >> 16) & 0xFF));
}
