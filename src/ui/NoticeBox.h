#pragma once

#include <QObject>
#include <QPointer>

class QMessageBox;
class QWidget;

// Tells the user of one kind of failure (the call log, an automatic check, the
// watched ring port) without stopping the program: the message is non-modal,
// so timed and ring-started checks go on, and it is shown without taking the
// keyboard from the program the user is in. Only one is open at a time, so a
// desk left alone does not pile them up; once the user has closed it, the next
// failure is told again.
class NoticeBox : public QObject
{
    Q_OBJECT

public:
    // `owner`: the window the message is shown over.
    explicit NoticeBox(QWidget* owner);

    // With `replaceOpen`, a notice still open shows `text` instead of what it said.
    void show(const QString& text, bool replaceOpen = false);

private:
    QWidget* m_owner;
    QPointer<QMessageBox> m_box;
};
