#pragma once

#include "platform/FileOperations.h"

#include <QDialog>

class Dialogs;
class QLabel;
class QProgressBar;
class QPushButton;

// The progress window "Bitte warten...": a progress bar with an optional cancel button and two
// optional labels. Created once at program start and reused; shown modeless with show() and
// hidden with close(), which callers do on every path, errors included.
//
// Callers set the caption, the maximum and the visibility of the labels and of the cancel button
// before showing, then call StepProgress() after each step and stop their work when
// cancelRequested() answers true. As a ProgressSink it serves the file operations: the text names
// the file at work in the lower label.
class TWartenForm : public QDialog, public ProgressSink
{
    Q_OBJECT
public:
    static inline const QString kCaption = QStringLiteral("Bitte warten...");
    static constexpr int kBarLeft = 16;
    static constexpr int kBarGap = 6; // between the shortened bar and the cancel button

    explicit TWartenForm(Dialogs& dialogs, QWidget* parent = nullptr);

    QLabel* LabelTop = nullptr;
    QProgressBar* ProgressBar = nullptr;
    QPushButton* BtnCancel = nullptr;
    QLabel* LabelBottom = nullptr;

    void SetUpperText(const QString& text);
    void SetLowerText(const QString& text);
    // The path shortened to the label's width with "..." in its folder part.
    void SetLowerPath(const QString& path);
    // Advances the bar by one step (never beyond its maximum); with the cancel button visible,
    // lets pending events run so that a click on it can arrive.
    void StepProgress();
    // Set when the user has pressed the cancel button and confirmed the question.
    bool cancelRequested() const { return m_cancel; }

    // --- ProgressSink
    void setTitle(const QString& title) override;
    void setMaximum(int maximum) override;
    void setPosition(int position) override;
    void setText(const QString& text) override; // shows the lower label with the path
    bool cancelled() override { return m_cancel; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void FormShow();
    void FormClose();
    void FormDeactivate();
    void BtnCancelClick();
    void letEventsRun();

    Dialogs& m_dialogs;
    int m_barWidth = 0; // the bar's width as designed, without the cancel button
    bool m_cancel = false;
    int m_step = 1;
};
