#include "MessageBoxWatcher.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

MessageBoxWatcher::MessageBoxWatcher()
{
    m_timer.setInterval(10);
    connect(&m_timer, &QTimer::timeout, this, &MessageBoxWatcher::poll);
    m_timer.start();
}

void MessageBoxWatcher::clear()
{
    m_texts.clear();
    m_captions.clear();
}

void MessageBoxWatcher::poll()
{
    const auto boxes = QApplication::topLevelWidgets();
    for (QWidget* widget : boxes) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (!box || !box->isVisible() || box->property("ringletSeen").toBool())
            continue;
        box->setProperty("ringletSeen", true);
        m_texts << box->text();
        m_captions << box->windowTitle();
        if (!box->isModal())
            continue;
        QAbstractButton* button = box->defaultButton();
        if (!button && !box->buttons().isEmpty())
            button = box->buttons().first();
        if (button)
            button->click();
        else
            box->done(0);
    }
}
