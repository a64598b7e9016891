#include "MessageBoxWatcher.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

MessageBoxWatcher::MessageBoxWatcher()
{
    qApp->installEventFilter(this);
}

void MessageBoxWatcher::clear()
{
    m_texts.clear();
    m_captions.clear();
    m_blockingTexts.clear();
}

bool MessageBoxWatcher::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show)
        if (auto* box = qobject_cast<QMessageBox*>(watched))
            record(box);
    return false;
}

void MessageBoxWatcher::record(QMessageBox* box)
{
    // Several watchers may live at once; a box counts for the first of them.
    if (box->property("ringletSeen").toBool())
        return;
    box->setProperty("ringletSeen", true);
    m_texts << box->text();
    m_captions << box->windowTitle();
    if (!box->isModal())
        return;
    m_blockingTexts << box->text();
    // Answered once its own loop runs, as a user would answer it.
    QTimer::singleShot(0, box, [box] {
        QAbstractButton* button = box->defaultButton();
        if (!button && !box->buttons().isEmpty())
            button = box->buttons().first();
        if (button)
            button->click();
        else
            box->done(0);
    });
}
