#include "ui/NumberLabel.h"

#include <QApplication>
#include <QHelpEvent>
#include <QTest>
#include <QTextDocument>

// The label of the check's result, as the user sees it.
class TestNumberLabel : public QObject
{
    Q_OBJECT

private:
    static QLabel* shownToolTip()
    {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->objectName() == QLatin1String("qtooltip_label") && widget->isVisible())
                return qobject_cast<QLabel*>(widget);
        return nullptr;
    }

private slots:
    // A modem's reply is no markup: a long one's tooltip shows every character
    // it holds, tags, entities, runs of spaces and line breaks included.
    void toolTipShowsTheReplyAsText()
    {
        QWidget window;
        NumberLabel label(&window);
        label.resize(80, 30);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QString reply = QStringLiteral("<font color=white>BANK</font> &amp; <b>0123</b>   456\nnext line");
        label.setText(reply);
        QVERIFY(label.shownText() != reply);

        const QPoint inside(5, 5);
        QHelpEvent help(QEvent::ToolTip, inside, label.mapToGlobal(inside));
        QApplication::sendEvent(&label, &help);
        QLabel* tip = nullptr;
        QTRY_VERIFY((tip = shownToolTip()));
        // A tooltip label draws rich text through a document of its own, plain text as it stands.
        const auto* document = tip->findChild<QTextDocument*>();
        QCOMPARE(document ? document->toPlainText() : tip->text(), reply);
    }

    // The number is what the user dials back: a name too long for the label
    // is cut, never the number; the tooltip holds both.
    void callerNameFollowsTheNumberAndIsCutFirst()
    {
        QWidget window;
        NumberLabel label(&window);
        label.resize(label.fontMetrics().horizontalAdvance(QStringLiteral("5550199 \u2014 JOHN")), 30);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        label.setCaller(QStringLiteral("5550199"), QStringLiteral("JOHN Q SAMPLE OF SPRINGFIELD"));

        QVERIFY2(label.shownText().startsWith(QStringLiteral("5550199 \u2014 J")), qPrintable(label.shownText()));
        QVERIFY(label.shownText().endsWith(QStringLiteral("\u2026")));
        QCOMPARE(label.text(), QStringLiteral("5550199"));
        QCOMPARE(label.toolTip(), QStringLiteral("5550199\nJOHN Q SAMPLE OF SPRINGFIELD"));
    }

    // An unterminated right-to-left override would draw 9910555 as 5550199; a
    // right-to-left name would move the number to the label's other end.
    void numberDrawnAsAnnounced()
    {
        QWidget window;
        NumberLabel label(&window);
        label.resize(400, 30);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        label.setCaller(QStringLiteral("\u202E9910555"), QStringLiteral("\u05D3\u05E0\u05D4\u202E"));
        QCOMPARE(label.shownText(), QStringLiteral("9910555 \u2014 \u2068\u05D3\u05E0\u05D4\u2069"));
        QVERIFY(!label.toolTip().contains(QChar(0x202E)));
        QCOMPARE(label.text(), QStringLiteral("\u202E9910555"));
    }
};

QTEST_MAIN(TestNumberLabel)
#include "tst_numberlabel.moc"
