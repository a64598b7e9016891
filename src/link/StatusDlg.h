#pragma once

#include <QBasicTimer>
#include <QDialog>

class QLabel;

// The one-second status window that paces the dialogue with the modem: shows a
// line of text, runs modally and ends itself on a timer after one second.
class CStatusDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int WaitMs = 1000;

    explicit CStatusDlg(QWidget* parent = nullptr);
    ~CStatusDlg() override;

    // Sets the text and runs the window modally; returns about one second later.
    void ShowTimedStatus(const QString& text);

    QString statusText;

protected:
    void showEvent(QShowEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void reject() override;

private:
    void centreOverOwner();

    QLabel* m_text = nullptr;
    QBasicTimer m_timer;
};
