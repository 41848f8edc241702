#pragma once

#include "fulltext/FtiSearch.h"

#include <QPointer>
#include <QWidget>

class IniFile;
class QComboBox;
class QLabel;
class QLineEdit;
class QTimer;
class QToolButton;
class Registry;
struct TVxLayoutContext;

// The search panel above the grid: the search buttons, the full-text box, the document type
// filter and the input controls built from the layout file. It knows what the user entered and
// when a permanent search is due; the window runs the searches.
class TSearchPanel : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kTypingDelayMs = 700;

    explicit TSearchPanel(QWidget* parent = nullptr);

    QToolButton* BtnSearch = nullptr; // down while the permanent search is on
    QToolButton* BtnLockSearch = nullptr;
    QLabel* LabelFTI = nullptr;
    QLineEdit* EditFTI = nullptr;
    QComboBox* CoBoxApplication = nullptr; // item 0: documents without a type
    QTimer* SuchTimer = nullptr;

    // Builds the input controls from the layout section of the panel; each gets its stored value
    // from the context's stored values. The handlers of the context are the panel's own.
    void LoadLayout(const IniFile& file, TVxLayoutContext context);
    // Destroys the input controls, the last first.
    void FreeLayoutControls();
    // The input control on the field "PROJECT", or null.
    QWidget* ProjectFieldControl() const { return m_projectControl; }
    void SetProjectFieldText(const QString& path);

    // What the user entered, in the order of the controls.
    TSearchPanelInput Input(const QString& selectedProject) const;

    // Restores the full-text box and the type filter from "Edit.Text\Main".
    void RestoreFixedValues(const Registry& user);
    // Stores the inputs below "Edit.Text\Main\SearchFields" and the full-text box and type filter
    // below "Edit.Text\Main".
    void SaveSearchValues(Registry& user) const;
    // Empties every input: edits and boxes empty, date pickers today and unticked, check boxes
    // unticked. The project control keeps its text when asked to.
    void ClearInputs(bool keepProjectControl);

    bool IsPermanent() const;
    void SetPermanent(bool on);
    // While the layout designer edits the panel, changes start no search.
    void SetDesignerOpen(bool open) { m_designerOpen = open; }

    // A search input changed: with the permanent search on, a search is due after the typing delay.
    void SearchFieldChange();
    // A search input was left: a search waiting for the delay is due now.
    void SearchFieldExit();

    // The lowest bottom edge of the controls plus a margin.
    int RequiredHeight() const;

Q_SIGNALS:
    void searchDue();
    void searchClicked();
    void lockClicked();
    void buttonPopupRequested(const QPoint& globalPosition);

private:
    void SuchTimerOnTimer();

    QPointer<QWidget> m_projectControl;
    bool m_designerOpen = false;
};

// The stored search values of the fixed controls, below the program's key.
QString StoredMainValuesKey();
