#pragma once

#include <QDialogButtonBox>
#include <QObject>
#include <QStringList>

// Watches for message boxes while a test runs code that may show them and
// records each one's text, caption and whether it blocked. A modal box is
// dismissed with its default button (OK), as a user would, so the test goes on;
// a test of a path nobody watches asserts that none blocked (blockingTexts()).
// A non-modal box is left open, as on a desk nobody watches, for the test to
// close. Real QMessageBox objects run their real loops.
class MessageBoxWatcher : public QObject
{
    Q_OBJECT

public:
    MessageBoxWatcher();

    QStringList texts() const { return m_texts; }
    QStringList captions() const { return m_captions; }
    // The texts of the boxes that were modal: each held up the code that showed it until answered.
    QStringList blockingTexts() const { return m_blockingTexts; }
    int count() const { return m_texts.size(); }
    void clear();

protected:
    // Sees every widget shown, so a box is caught the moment it appears and an
    // idle test (or benchmark) spends nothing on watching.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void record(class QMessageBox* box);

    QStringList m_texts;
    QStringList m_captions;
    QStringList m_blockingTexts;
};
