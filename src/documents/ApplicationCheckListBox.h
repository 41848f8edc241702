#pragma once

#include "documents/RegApplList.h"

#include <QListWidget>

// The catalogue of the registered file types as a list with a check mark per row. The user
// toggles a mark with the mouse in its check box or with the space key on the selected row;
// OnClickCheck reports those changes (not the ones made by SetChecked).
class TApplicationCheckListBox : public QListWidget
{
    Q_OBJECT
public:
    explicit TApplicationCheckListBox(QWidget* parent = nullptr);

    TRegApplicationList& ApplInfos() { return m_catalogue; }
    const TRegApplicationList& ApplInfos() const { return m_catalogue; }
    // A third, grey mark between unchecked and checked.
    void setAllowGrayed(bool allow);
    bool AllowGrayed() const { return m_allowGrayed; }

    // Rebuilds the catalogue and the rows (marks cleared), then AfterUpdate.
    void UpdateItems();
    bool Checked(int index) const;
    void SetChecked(int index, bool value);
    Qt::CheckState CheckState(int index) const;
    void SetItemEnabled(int index, bool enabled);

Q_SIGNALS:
    void OnClickCheck(int index);
    void AfterUpdate();

private:
    void fillRows();
    void itemChangedByUser(QListWidgetItem* item);

    TRegApplicationList m_catalogue;
    bool m_allowGrayed = false;
    bool m_filling = false;
};
