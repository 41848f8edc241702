#pragma once

#include <QComboBox>
#include <QDateTime>
#include <QPointer>
#include <QStringList>
#include <QWidget>

class QCheckBox;
class QDateTimeEdit;
class QFrame;
class SqlRecordSet;
class TVxTreeView;

// A drop-down whose list is a tree of structured entries; choosing a node puts its full path
// into the box. With list only, the text cannot be typed.
class TVxTreeComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit TVxTreeComboBox(QWidget* parent = nullptr);
    ~TVxTreeComboBox() override;

    void SetListOnly(bool listOnly);
    bool IsListOnly() const { return m_listOnly; }
    // The lines of the choice list; the tree is rebuilt (a level gap leaves it as far as built).
    void SetTreeItems(const QStringList& lines);
    QStringList TreeItems() const;
    TVxTreeView* Tree() const { return m_tree; }
    void SetDropDownCount(int rows) { m_rows = rows; }

    void showPopup() override;
    void hidePopup() override;
    bool IsPopupVisible() const;

Q_SIGNALS:
    void NodeChosen(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void choose(const QModelIndex& node);

    QFrame* m_popup;
    TVxTreeView* m_tree;
    bool m_listOnly = false;
    int m_rows = 8;
};

// A date or time picker with a check box in front: unticked, it stands for no value.
class TVxDateTimePicker : public QWidget
{
    Q_OBJECT

public:
    enum class Kind { Date, Time };
    explicit TVxDateTimePicker(Kind kind, QWidget* parent = nullptr);

    Kind PickerKind() const { return m_kind; }
    bool IsChecked() const;
    void SetChecked(bool checked);
    QDateTime DateTime() const;
    void SetDateTime(const QDateTime& value);
    QCheckBox* CheckBox() const { return m_check; }
    QDateTimeEdit* Editor() const { return m_edit; }

Q_SIGNALS:
    void Changed();
    void CalendarOpened();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Kind m_kind;
    QCheckBox* m_check;
    QDateTimeEdit* m_edit;
};

// A line shape: a sunken frame or one line along an edge of its bounds.
class TVxBevel : public QWidget
{
    Q_OBJECT

public:
    enum class Shape { Frame, TopLine, BottomLine, LeftLine, RightLine };
    explicit TVxBevel(Shape shape, QWidget* parent = nullptr);
    Shape BevelShape() const { return m_shape; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Shape m_shape;
};

// Binds a control to a field of a record set: Refresh shows the current record's value, a change
// by the user is written to the record while it is being edited, Commit writes the shown value.
// Labels, line edits, plain text edits, combo boxes, check boxes ("T"/"F") and pictures are known.
class TVxFieldLink : public QObject
{
    Q_OBJECT

public:
    TVxFieldLink(QWidget* control, SqlRecordSet* source, QString fieldName);

    QWidget* Control() const { return m_control; }
    SqlRecordSet* Source() const { return m_source; }
    const QString& FieldName() const { return m_field; }

    void Refresh();
    // Writes the control's value into the record being edited; raises ConversionError when the
    // text does not fit the field. Nothing happens while the record set is not editing.
    void Commit();

    // The link of a control, or null.
    static TVxFieldLink* Of(const QWidget* control);

private:
    void userChanged();
    QString controlText() const;

    QPointer<QWidget> m_control;
    SqlRecordSet* m_source;
    QString m_field;
    bool m_refreshing = false;
};
