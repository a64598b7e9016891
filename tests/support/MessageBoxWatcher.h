#pragma once

#include <QDialogButtonBox>
#include <QObject>
#include <QStringList>
#include <QTimer>

// Watches for modal message boxes while a test runs code that may show them,
// records each one's text and caption, and dismisses it with its default button
// (OK), as a user would. Real QMessageBox objects run their real modal loops.
class MessageBoxWatcher : public QObject
{
    Q_OBJECT

public:
    MessageBoxWatcher();

    QStringList texts() const { return m_texts; }
    QStringList captions() const { return m_captions; }
    int count() const { return m_texts.size(); }
    void clear();

private:
    void poll();

    QTimer m_timer;
    QStringList m_texts;
    QStringList m_captions;
};
