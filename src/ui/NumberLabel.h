#pragma once

#include <QLabel>
#include <QPointer>

// The label that shows the check's result. The start of a number matters most
// (the area code), so a text too wide for the label is shown from its first
// character and elided at the end; the whole text is in the tooltip, and it can
// be selected and copied to dial back. A text that fits is centred.
//
// setText(), text() and clear() stand in for QLabel's: they take and give the
// whole text, while QLabel holds the part that is shown (shownText()).
class NumberLabel : public QLabel
{
    Q_OBJECT

public:
    explicit NumberLabel(QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const { return m_fullText; }
    void clear() { setText(QString()); }
    // The text as drawn: the whole text, or its start with an ellipsis.
    QString shownText() const { return QLabel::text(); }

    // A sibling that lies over the label's right end (the Check button): while
    // it is visible, the text keeps clear of it.
    void setCoveringWidget(QWidget* widget);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int coveredWidth() const;
    void updateShownText();

    QString m_fullText;
    QPointer<QWidget> m_covering;
};
