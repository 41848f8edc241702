#include "mainwindow/dialogs/Warten.h"

#include "mainwindow/dialogs/Helpers.h"
#include "platform/Dialogs.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

TWartenForm::TWartenForm(Dialogs& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("WartenForm"));
    setWindowTitle(kCaption);
    setModal(false);
    setFixedSize(425, 75);

    LabelTop = new QLabel(this);
    LabelTop->setObjectName(QStringLiteral("LabelTop"));
    LabelTop->setGeometry(kBarLeft, 6, 393, 18);
    LabelTop->hide();

    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setGeometry(kBarLeft, 28, 401, 17);
    ProgressBar->setRange(0, 100);
    ProgressBar->setTextVisible(false);
    ProgressBar->setToolTip(QStringLiteral("Fortschritt der Bearbeitung"));
    ProgressBar->setProperty("helpTopic", 107);
    m_barWidth = ProgressBar->width();

    BtnCancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BtnCancel->setGeometry(336, 24, 81, 25);
    BtnCancel->setAutoDefault(false);
    BtnCancel->hide();
    connect(BtnCancel, &QPushButton::clicked, this, &TWartenForm::BtnCancelClick);

    LabelBottom = new QLabel(this);
    LabelBottom->setObjectName(QStringLiteral("LabelBottom"));
    LabelBottom->setGeometry(kBarLeft, 51, 393, 18);
    LabelBottom->hide();
}

void TWartenForm::SetUpperText(const QString& text)
{
    LabelTop->setText(text);
    LabelTop->repaint();
}

void TWartenForm::SetLowerText(const QString& text)
{
    LabelBottom->setText(text);
    LabelBottom->repaint();
}

void TWartenForm::SetLowerPath(const QString& path)
{
    const QFontMetrics metrics = LabelBottom->fontMetrics();
    LabelBottom->setText(PathEllipsis(path, LabelBottom->contentsRect().width(),
        [&metrics](const QString& text) { return metrics.horizontalAdvance(text); }));
    LabelBottom->repaint();
}

void TWartenForm::StepProgress()
{
    ProgressBar->setValue(qMin(ProgressBar->value() + m_step, ProgressBar->maximum()));
    letEventsRun();
}

void TWartenForm::setTitle(const QString& title)
{
    setWindowTitle(title);
}

void TWartenForm::setMaximum(int maximum)
{
    ProgressBar->setMaximum(maximum);
}

void TWartenForm::setPosition(int position)
{
    ProgressBar->setValue(qBound(ProgressBar->minimum(), position, ProgressBar->maximum()));
    letEventsRun();
}

void TWartenForm::setText(const QString& text)
{
    LabelBottom->show();
    SetLowerPath(text);
}

void TWartenForm::letEventsRun()
{
    if (!BtnCancel->isHidden())
        QCoreApplication::processEvents();
}

// --- events -------------------------------------------------------------------------------

void TWartenForm::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        if (const QScreen* where = screen())
            move(where->availableGeometry().center() - rect().center());
        FormShow();
    }
    QDialog::showEvent(event);
}

void TWartenForm::FormShow()
{
    m_cancel = false;
    ProgressBar->setValue(qBound(ProgressBar->minimum(), 0, ProgressBar->maximum()));
    BtnCancel->setEnabled(true);
    const int width = BtnCancel->isHidden() ? m_barWidth : BtnCancel->x() - ProgressBar->x() - kBarGap;
    ProgressBar->resize(width, ProgressBar->height());
}

void TWartenForm::closeEvent(QCloseEvent* event)
{
    // The window has no close button; only the program closes it.
    if (event->spontaneous()) {
        event->ignore();
        return;
    }
    FormClose();
    QDialog::closeEvent(event);
}

void TWartenForm::FormClose()
{
    LabelTop->clear();
    LabelTop->hide();
    LabelBottom->clear();
    LabelBottom->hide();
    BtnCancel->hide();
    setWindowTitle(kCaption);
}

void TWartenForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (!BtnCancel->isHidden() && BtnCancel->isEnabled())
            BtnCancel->click();
        event->accept();
        return;
    }
    // Not QDialog's handling: Return must not press the cancel button, Escape must not hide.
    QWidget::keyPressEvent(event);
}

void TWartenForm::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isVisible() && !isActiveWindow())
        QMetaObject::invokeMethod(this, &TWartenForm::FormDeactivate, Qt::QueuedConnection);
}

void TWartenForm::FormDeactivate()
{
    // Another window of the program took the focus during a long operation: take it back, so that
    // the progress stays in front. Not while a modal box (the cancel question) is up, and not when
    // the user went to another program.
    if (!isVisible() || isActiveWindow() || QApplication::activeWindow() == nullptr
        || QApplication::activeModalWidget() != nullptr)
        return;
    raise();
    activateWindow();
}

void TWartenForm::BtnCancelClick()
{
    if (m_dialogs.message(
            Dialogs::Kind::Confirmation, QStringLiteral("Möchten Sie wirklich abbrechen?"), Dialogs::Yes | Dialogs::No)
        == Dialogs::Yes)
        m_cancel = true;
}
