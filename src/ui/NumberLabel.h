#pragma once

#include <QLabel>
#include <QPointer>

// The label that shows the check's result. The start of a number matters most
// (the area code), so a text too wide for the label is shown from its first
// character and elided at the end; the whole text is in the tooltip, and it can
// be selected and copied to dial back. A text that fits is centred.
//
// A caller's name, when one is known, follows the number; the number stays first
// and whole, and the name is what gets shortened. The tooltip then holds both.
//
// setText(), text() and clear() stand in for QLabel's: they take and give the
// whole number, while QLabel holds the part that is shown (shownText()).
class NumberLabel : public QLabel
{
    Q_OBJECT

public:
    explicit NumberLabel(QWidget* parent = nullptr);

    void setText(const QString& text) { setCaller(text, QString()); }
    // The number (or the check's fixed text) and the caller's name, if known.
    void setCaller(const QString& number, const QString& name);
    QString text() const { return m_number; }
    QString name() const { return m_name; }
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

    QString fullText() const;

    QString m_number;
    QString m_name;
    QString m_shownNumber; // CallerText's safe forms, as drawn
    QString m_shownName;
    QPointer<QWidget> m_covering;
};
