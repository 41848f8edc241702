#pragma once

#include "documents/ApplicationList.h"

#include <QObject>

class QComboBox;

// A combo box showing the document types: item N is entry N of the list, with its caption and
// image. It is refilled after every change of the list and keeps the type it had selected.
class TApplicationComboBoxClient : public QObject, public TApplicationListClient
{
    Q_OBJECT
public:
    // Belongs to the combo box and detaches itself when the combo box goes.
    TApplicationComboBoxClient(TDravonelApplicationList& list, QComboBox* comboBox);
    ~TApplicationComboBoxClient() override;

    void FillFromApplicationList(const TDravonelApplicationList& list) override;
    void ApplicationListDestroyed() override { m_list = nullptr; }
    QComboBox* comboBox() const;

private:
    TDravonelApplicationList* m_list;
};

// Attaches a combo box to the list (its client is made once); any other control raises DxError
// "Invalid component type". The grid's type column is a TApplicationImageColumn attached directly.
void AttachControl(TDravonelApplicationList& list, QObject* control);
void DetachControl(TDravonelApplicationList& list, QObject* control);
