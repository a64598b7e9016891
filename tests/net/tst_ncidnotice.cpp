// Another desk's calls and messages told to the desktop, on a private session
// bus with a notification server that reads markup: what came over the network
// is never taken as markup.
#include "MemoryRegistry.h"
#include "NcidPeer.h"
#include "NotificationServer.h"
#include "TempProfile.h"

#include "core/CallDesk.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class TestNcidNotice : public QObject
{
    Q_OBJECT

private slots:
    void otherDesksCallsAndMessagesAreNotifiedAsPlainText()
    {
        NotificationServer server({QStringLiteral("actions"), QStringLiteral("body"), QStringLiteral("body-markup")});
        QVERIFY(server.registered);
        NcidPeer::Server peer({"CID: *DATE*12072026*TIME*2330*NMBR*5550199*NAME*<i>JOHN</i>*\r\n",
                               "MSG: <b>Food</b> Ready ***DATE*12072026*TIME*2336*NAME*NO NAME*\r\n"});
        QVERIFY(peer.listen());
        QTemporaryDir workDir;
        QDir::setCurrent(workDir.path());
        TempProfile profile;
        MemoryRegistry registry;
        CallDesk desk(profile.store(), registry, QIcon());
        desk.settings().ncidServer = peer.address();
        desk.applyAutomation();
        QTRY_COMPARE_WITH_TIMEOUT(server.adaptor->requests.size(), 2, 5000);
        QCOMPARE(server.adaptor->requests[0].summary, QStringLiteral("<i>JOHN</i>")); // a summary is never markup
        QCOMPARE(server.adaptor->requests[0].body, QStringLiteral("5550199"));
        QCOMPARE(server.adaptor->requests[1].summary, QStringLiteral("Message from another desk"));
        QCOMPARE(server.adaptor->requests[1].body, QStringLiteral("&lt;b&gt;Food&lt;/b&gt; Ready"));
    }
};

QTEST_MAIN(TestNcidNotice)
#include "tst_ncidnotice.moc"
