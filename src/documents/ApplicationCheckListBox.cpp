#include "documents/ApplicationCheckListBox.h"

#include "documents/ApplicationList.h"

#include <QApplication>
#include <QPixmap>

namespace {
// Restores the cursor on every path.
class WaitCursor
{
public:
    explicit WaitCursor(bool on)
        : m_on(on)
    {
        if (m_on)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~WaitCursor()
    {
        if (m_on)
            QApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    bool m_on;
};
} // namespace

TApplicationCheckListBox::TApplicationCheckListBox(QWidget* parent)
    : QListWidget(parent)
{
    setSortingEnabled(false);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    const QImage fallback = ApplicationImage(QStringLiteral("ApplIcoDefault"));
    m_catalogue.DefaultSmallIcon = fallback;
    m_catalogue.DefaultLargeIcon = fallback.scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    connect(this, &QListWidget::itemChanged, this, &TApplicationCheckListBox::itemChangedByUser);
}

void TApplicationCheckListBox::setAllowGrayed(bool allow)
{
    m_allowGrayed = allow;
    m_filling = true;
    for (int i = 0; i < count(); ++i) {
        QListWidgetItem* row = item(i);
        row->setFlags(allow ? row->flags() | Qt::ItemIsUserTristate : row->flags() & ~Qt::ItemIsUserTristate);
    }
    m_filling = false;
}

void TApplicationCheckListBox::UpdateItems()
{
    {
        const WaitCursor cursor(m_catalogue.ShowHourGlass);
        m_catalogue.Refresh();
    }
    fillRows();
    Q_EMIT AfterUpdate();
}

void TApplicationCheckListBox::fillRows()
{
    m_filling = true;
    clear();
    const bool small = m_catalogue.SmallIcons();
    const int side = small ? 16 : 32;
    setIconSize(m_catalogue.ShowIcons ? QSize(side, side) : QSize());
    const int height = m_catalogue.RowHeight();
    for (int i = 0; i < m_catalogue.Count(); ++i) {
        auto* row = new QListWidgetItem(m_catalogue.Captions().at(i), this);
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
        if (m_allowGrayed)
            flags |= Qt::ItemIsUserTristate;
        row->setFlags(flags);
        row->setCheckState(Qt::Unchecked);
        const int width = fontMetrics().horizontalAdvance(row->text()) + side + 48;
        row->setSizeHint(QSize(width, height));
        if (m_catalogue.ShowIcons) {
            const QImage& image = small ? m_catalogue.SmallImages().at(i) : m_catalogue.LargeImages().at(i);
            if (!image.isNull())
                row->setIcon(QIcon(QPixmap::fromImage(image)));
        }
    }
    m_filling = false;
}

void TApplicationCheckListBox::itemChangedByUser(QListWidgetItem* changed)
{
    if (!m_filling && changed)
        Q_EMIT OnClickCheck(row(changed));
}

bool TApplicationCheckListBox::Checked(int index) const
{
    const QListWidgetItem* row = item(index);
    return row && row->checkState() == Qt::Checked;
}

Qt::CheckState TApplicationCheckListBox::CheckState(int index) const
{
    const QListWidgetItem* row = item(index);
    return row ? row->checkState() : Qt::Unchecked;
}

void TApplicationCheckListBox::SetChecked(int index, bool value)
{
    QListWidgetItem* row = item(index);
    if (!row)
        return;
    m_filling = true;
    row->setCheckState(value ? Qt::Checked : Qt::Unchecked);
    m_filling = false;
}

void TApplicationCheckListBox::SetItemEnabled(int index, bool enabled)
{
    QListWidgetItem* row = item(index);
    if (!row)
        return;
    m_filling = true;
    row->setFlags(enabled ? row->flags() | Qt::ItemIsEnabled : row->flags() & ~Qt::ItemIsEnabled);
    m_filling = false;
}
