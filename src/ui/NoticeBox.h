#pragma once

#include <QObject>
#include <QPointer>

class QMessageBox;
class QWidget;

// Tells the user that the call log cannot be written, without stopping the
// program: the message is non-modal, so timed checks go on, and only one is
// shown at a time, so a display left alone does not pile them up. Once the user
// has closed it, the next failure is told again.
class LogFailureNotice : public QObject
{
    Q_OBJECT

public:
    // `owner`: the window the message is shown over.
    explicit LogFailureNotice(QWidget* owner);

    void show(const QString& text);
    bool isShown() const;

private:
    QWidget* m_owner;
    QPointer<QMessageBox> m_box;
};
