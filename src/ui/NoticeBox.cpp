#include "NoticeBox.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>
#include <QWidget>

NoticeBox::NoticeBox(QWidget* owner) : QObject(owner), m_owner(owner) {}

void NoticeBox::show(const QString& text, bool replaceOpen)
{
    if (m_box) {
        if (replaceOpen)
            m_box->setText(text);
        return;
    }
    m_box = new QMessageBox(QMessageBox::Warning, QCoreApplication::applicationName(), text, QMessageBox::Ok, m_owner);
    // Words may hold names from outside (a port, a file, a server): never read as markup.
    m_box->setTextFormat(Qt::PlainText);
    m_box->setAttribute(Qt::WA_DeleteOnClose);
    m_box->setAttribute(Qt::WA_ShowWithoutActivating);
    m_box->setWindowModality(Qt::NonModal);
    // Closed, it is deleted later; the next failure is told from now on.
    connect(m_box, &QMessageBox::finished, this, [this] { m_box.clear(); });
    // A failure found while the program starts (a ring port that will not
    // open) is shown from the event loop, after the main window, not before it.
    if (m_owner && m_owner->windowHandle() && m_owner->windowHandle()->isVisible())
        m_box->show();
    else
        QTimer::singleShot(0, m_box.data(), &QWidget::show);
}
