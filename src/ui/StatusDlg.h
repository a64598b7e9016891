#pragma once

#include <QBasicTimer>
#include <QDialog>

class QLabel;

// The one-second status window that paces the dialogue with the modem: shows a
// line of text, modal to the program's other windows, and ends itself on a
// timer after one second. It runs no loop of its own: the program's event
// loop goes on, and ended() says when the second is up.
class CStatusDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int WaitMs = 1000;

    // Whether the window takes the keyboard focus when it shows. A check nobody
    // started by hand leaves it with whatever program the user is typing into.
    enum class Focus { Take, Leave };

    explicit CStatusDlg(QWidget* parent = nullptr, Focus focus = Focus::Take);
    ~CStatusDlg() override;

    // Sets the text and shows the window modally; returns at once. ended()
    // comes `ms` later, the window hidden again.
    void ShowTimedStatus(const QString& text, int ms = WaitMs);

signals:
    void ended();

public:
    QString statusText;

protected:
    void showEvent(QShowEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void reject() override;

private:
    void centreOverOwner();

    QLabel* m_text = nullptr;
    QBasicTimer m_timer;
    int m_waitMs = WaitMs;
};
