#include "documents/ApplicationComboBox.h"

#include "platform/Errors.h"

#include <QComboBox>
#include <QIcon>
#include <QPixmap>
#include <QSignalBlocker>

TApplicationComboBoxClient::TApplicationComboBoxClient(TDravonelApplicationList& list, QComboBox* comboBox)
    : QObject(comboBox)
    , m_list(&list)
{
    setObjectName(QStringLiteral("ApplicationListClient"));
}

TApplicationComboBoxClient::~TApplicationComboBoxClient()
{
    if (m_list)
        m_list->DetachControl(this);
}

QComboBox* TApplicationComboBoxClient::comboBox() const
{
    return qobject_cast<QComboBox*>(parent());
}

void TApplicationComboBoxClient::FillFromApplicationList(const TDravonelApplicationList& list)
{
    QComboBox* box = comboBox();
    if (!box)
        return;
    const QString selectedKey = box->currentIndex() >= 0 ? box->currentData().toString() : QString();
    const bool hadSelection = box->currentIndex() >= 0;
    const QSignalBlocker blocker(box);
    box->clear();
    box->setIconSize(QSize(TDravonelApplicationList::kImageSize, TDravonelApplicationList::kImageSize));
    for (const TDravonelApplication& entry : list.Entries()) {
        QIcon icon;
        if (entry.ImageIndex >= 0 && entry.ImageIndex < list.Images().size())
            icon = QIcon(QPixmap::fromImage(list.Images().at(entry.ImageIndex)));
        box->addItem(icon, entry.Caption, entry.Key);
    }
    // The type selected before stays selected (found by its key, as indexes may have moved).
    box->setCurrentIndex(hadSelection ? list.IndexOfKey(selectedKey) : -1);
}

namespace {
TApplicationComboBoxClient* clientOf(QComboBox* box)
{
    return box->findChild<TApplicationComboBoxClient*>(
        QStringLiteral("ApplicationListClient"), Qt::FindDirectChildrenOnly);
}
} // namespace

void AttachControl(TDravonelApplicationList& list, QObject* control)
{
    auto* box = qobject_cast<QComboBox*>(control);
    if (!box)
        throw DxError(QStringLiteral("Invalid component type"));
    TApplicationComboBoxClient* client = clientOf(box);
    if (!client)
        client = new TApplicationComboBoxClient(list, box);
    list.AttachControl(client);
}

void DetachControl(TDravonelApplicationList& list, QObject* control)
{
    auto* box = qobject_cast<QComboBox*>(control);
    if (!box)
        return;
    if (TApplicationComboBoxClient* client = clientOf(box)) {
        list.DetachControl(client);
        delete client;
    }
}
