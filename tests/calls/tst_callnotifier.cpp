#include "NotificationServer.h"
#include "X11Desktop.h"

#include "AppId.h"
#include "calls/CallNotifier.h"
#include "strings.h"
#include "ui/AppIcon.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

namespace {
QString appId()
{
    return QStringLiteral(RINGLET_APP_ID);
}
} // namespace

// The notification of a call against a real session bus (tests/calls/CMakeLists.txt
// runs it under dbus-run-session on an X server), with a server registered by the test.
class TestCallNotifier : public QObject
{
    Q_OBJECT

private slots:
    void notificationCarriesTheCall_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("capabilities");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("body");

        const QStringList plain{QStringLiteral("actions"), QStringLiteral("body")};
        const QStringList markup = plain + QStringList{QStringLiteral("body-markup")};
        const QString incoming = QString::fromUtf8(Texts::IncomingCall);
        const QString odd = QStringLiteral("0555 <12> & 3");
        const QString ada = QStringLiteral("Ada Lovelace");
        const QString number = QStringLiteral("+1 555-0199");
        QTest::newRow("named") << number << ada << plain << ada << number;
        QTest::newRow("no name") << number << QString() << plain << incoming << number;
        QTest::newRow("blank name") << number << QStringLiteral(" ") << plain << incoming << number;
        QTest::newRow("markup read") << odd << QStringLiteral("R&D <lab>") << markup << QStringLiteral("R&D <lab>")
                                     << QStringLiteral("0555 &lt;12&gt; &amp; 3");
        QTest::newRow("markup not read") << odd << QString() << plain << incoming << odd;
        // A NUL would end the summary for a server written in C; an override would reverse the number.
        QTest::newRow("NUL in the name") << number << QStringLiteral("Ada\0Lovelace") << plain
                                         << QStringLiteral("Ada Lovelace") << number;
        QTest::newRow("direction override in the number")
            << QStringLiteral("\u202E9910555") << QString() << plain << incoming << QStringLiteral("9910555");
    }

    void notificationCarriesTheCall()
    {
        QFETCH(QString, number);
        QFETCH(QString, name);
        QFETCH(QStringList, capabilities);
        NotificationServer server(capabilities);
        QVERIFY(server.registered);
        CallNotifier notifier(appIcon());
        QSignalSpy delivered(&notifier, &CallNotifier::delivered);

        notifier.notifyCall(number, name);
        QVERIFY(delivered.wait(5000));
        QCOMPARE(delivered.at(0).at(0).value<CallNotifier::Delivery>(), CallNotifier::Delivery::Service);
        QCOMPARE(server.adaptor->requests.size(), 1);
        const NotifyRequest& request = server.adaptor->requests.at(0);
        QCOMPARE(request.appName, QStringLiteral("Ringlet"));
        QCOMPARE(request.replacesId, 0u);
        QCOMPARE(request.icon, appId());
        QTEST(request.summary, "summary");
        QTEST(request.body, "body");
        QCOMPARE(request.actions.value(0), QStringLiteral("default"));
        QCOMPARE(request.actions.value(2), QStringLiteral("block"));
        QCOMPARE(request.actions.size(), 4);
        QCOMPARE(request.hints.value(QStringLiteral("desktop-entry")), QVariant(appId()));
        QCOMPARE(request.hints.value(QStringLiteral("category")), QVariant(QStringLiteral("call.incoming")));
    }

    // The second call comes while the first is still on its way, the third after.
    void aNewCallReplacesTheLast()
    {
        NotificationServer server;
        QVERIFY(server.registered);
        CallNotifier notifier(appIcon());
        QSignalSpy delivered(&notifier, &CallNotifier::delivered);

        notifier.notifyCall(QStringLiteral("0555"), QString());
        notifier.notifyCall(QStringLiteral("0666"), QString());
        QTRY_COMPARE(delivered.size(), 2);
        notifier.notifyCall(QStringLiteral("0777"), QStringLiteral("Grace"));
        QTRY_COMPARE(delivered.size(), 3);

        const QList<NotifyRequest>& requests = server.adaptor->requests;
        QCOMPARE(requests.size(), 3);
        QCOMPARE(requests.at(1).body, QStringLiteral("0666"));
        QCOMPARE(requests.at(1).replacesId, server.adaptor->ids.at(0));
        QCOMPARE(requests.at(2).replacesId, server.adaptor->ids.at(1));
        for (const QList<QVariant>& arguments : delivered)
            QCOMPARE(arguments.at(0).value<CallNotifier::Delivery>(), CallNotifier::Delivery::Service);
    }

    // A server that restarts numbers its notifications anew: the id of our last
    // one may now be another program's, neither to replace nor to answer a click on.
    void serverRestartForgetsTheId()
    {
        CallNotifier notifier(appIcon());
        QSignalSpy delivered(&notifier, &CallNotifier::delivered);
        QSignalSpy activated(&notifier, &CallNotifier::activated);
        uint ours = 0;
        {
            NotificationServer first;
            QVERIFY(first.registered);
            notifier.notifyCall(QStringLiteral("0555"), QString());
            QVERIFY(delivered.wait(5000));
            ours = first.adaptor->ids.at(0);
        }
        NotificationServer second;
        QVERIFY(second.registered);
        const uint others = second.adaptor->Notify(QStringLiteral("mail"), 0, QString(), QStringLiteral("New mail"),
                                                   QString(), {}, {}, -1, QDBusMessage());
        QCOMPARE(others, ours);
        emit second.adaptor->ActionInvoked(others, QStringLiteral("default"));
        QVERIFY(!activated.wait(300));

        notifier.notifyCall(QStringLiteral("0666"), QString());
        QTRY_COMPARE(second.adaptor->requests.size(), 2);
        QCOMPARE(second.adaptor->requests.at(1).replacesId, 0u);
    }

    // Past its five seconds the call goes to the tray, but the server's late
    // answer still names the notice that the next call replaces: notices of a
    // slow server do not pile up.
    void aLateAnswerIsStillReplaced()
    {
        NotificationServer server;
        QVERIFY(server.registered);
        server.adaptor->answerAfterMs = 6000;
        CallNotifier notifier(appIcon());
        QSignalSpy delivered(&notifier, &CallNotifier::delivered);
        notifier.notifyCall(QStringLiteral("0555"), QString());
        QVERIFY(delivered.wait(5500));
        QVERIFY(delivered.at(0).at(0).value<CallNotifier::Delivery>() != CallNotifier::Delivery::Service);
        server.adaptor->answerAfterMs = 0;
        notifier.notifyCall(QStringLiteral("0666"), QString());
        QTRY_COMPARE_WITH_TIMEOUT(server.adaptor->requests.size(), 2, 10000);
        QCOMPARE(server.adaptor->requests.at(1).replacesId, server.adaptor->ids.at(0));
    }

    void clickingTheNotificationActivates()
    {
        NotificationServer server;
        QVERIFY(server.registered);
        CallNotifier notifier(appIcon());
        QSignalSpy delivered(&notifier, &CallNotifier::delivered);
        QSignalSpy activated(&notifier, &CallNotifier::activated);
        notifier.notifyCall(QStringLiteral("0555"), QString());
        QVERIFY(delivered.wait(5000));
        const uint id = server.adaptor->ids.at(0);

        // Another program's notification clicked, and one of ours closed by another action: not ours to answer.
        emit server.adaptor->ActionInvoked(id + 1, QStringLiteral("default"));
        emit server.adaptor->ActionInvoked(id, QStringLiteral("other"));
        QVERIFY(!activated.wait(300));
        emit server.adaptor->ActionInvoked(id, QStringLiteral("default"));
        QVERIFY(activated.wait(5000));
        QCOMPARE(activated.size(), 1);

        // "Block this caller" on it asks to block the notification's caller, and shows nothing.
        QSignalSpy blockAsked(&notifier, &CallNotifier::blockAsked);
        emit server.adaptor->ActionInvoked(id, QStringLiteral("block"));
        QVERIFY(blockAsked.wait(5000));
        QCOMPARE(blockAsked.at(0).at(0).toString(), QStringLiteral("0555"));
        QCOMPARE(activated.size(), 1);
    }

    // No server owns the name: the call goes to the tray's message while there
    // is a tray, and nowhere while there is none.
    void withoutAServiceTheTrayTakesTheCall()
    {
        CallNotifier notifier(appIcon());
        QSignalSpy delivered(&notifier, &CallNotifier::delivered);
        QSignalSpy activated(&notifier, &CallNotifier::activated);

        notifier.notifyCall(QStringLiteral("0555"), QString());
        QTRY_COMPARE(delivered.size(), 1);
        QCOMPARE(delivered.at(0).at(0).value<CallNotifier::Delivery>(), CallNotifier::Delivery::None);

        const X11Desktop::Window tray = X11Desktop::claimSystemTray();
        notifier.notifyCall(QStringLiteral("0666"), QStringLiteral("Grace"));
        QTRY_COMPARE(delivered.size(), 2);
        QCOMPARE(delivered.at(1).at(0).value<CallNotifier::Delivery>(), CallNotifier::Delivery::TrayMessage);
        QWidget* message = nullptr;
        QTRY_VERIFY((message = shownMessage()) != nullptr);
        QTest::mouseClick(message, Qt::LeftButton);
        QCOMPARE(activated.size(), 1);
        X11Desktop::destroyWindow(tray);
    }

private:
    // Qt draws the tray's message itself on X11, as a balloon of its own.
    static QWidget* shownMessage()
    {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->isVisible() && qstrcmp(widget->metaObject()->className(), "QBalloonTip") == 0)
                return widget;
        return nullptr;
    }
};

QTEST_MAIN(TestCallNotifier)
#include "tst_callnotifier.moc"
