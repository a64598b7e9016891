#include "ModemSimulator.h"
#include "ProcessUsage.h"
#include "base/RingletError.h"
#include "link/MSComm.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

namespace {
const QByteArray Command("AT\\L1\r\n");

// Collects input until `ending` arrives (or the QTRY timeout passes). QTRY evaluates its
// condition once more at the end, so the condition only ever adds to what was collected.
QByteArray readUntil(CMSComm& comm, const QByteArray& ending, int timeoutMs = 3000)
{
    QByteArray reply;
    const auto arrived = [&] {
        reply += comm.GetInput();
        return reply.endsWith(ending);
    };
    [&] { QTRY_VERIFY_WITH_TIMEOUT(arrived(), timeoutMs); }();
    return reply;
}

QString raisedDescription(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const RingletError& error) {
        return error.description();
    }
    return {};
}
} // namespace

class TestMSComm : public QObject
{
    Q_OBJECT

private slots:
    void commPortStartsAtOne();
    void openCloseByDevicePathAndLink();
    void exchangeAnswersCommand();
    void numbersServedAcrossReopens();
    void bytesSentExactly();
    void emptyCommandSendsCrLf();
    void settings_data();
    void settings();
    void settingsOnRealLine_data();
    void settingsOnRealLine();
    void missingPortRaises_data();
    void missingPortRaises();
    void closedPortRaises();
    void notASerialPortNamesWhatItIs_data();
    void notASerialPortNamesWhatItIs();
    void portHeldByAnotherProgramNamesIt();
    void refusedPermissionAdvisesWhatCanHelp_data();
    void refusedPermissionAdvisesWhatCanHelp();
    void hangupGivesOneErrorWithoutBusyLoop();
    void hangupSeenByInputItself();
    void floodKeepsInputBounded();
    void inputWaitingBeforeACommandIsNotItsAnswer();
};

void TestMSComm::commPortStartsAtOne()
{
    CMSComm comm;
    QCOMPARE(comm.GetCommPort(), qint16(1));
    comm.SetCommPort(-3);
    QCOMPARE(comm.GetCommPort(), qint16(-3));
    QCOMPARE(comm.settings(), QStringLiteral("9600,n,8,1"));
}

void TestMSComm::openCloseByDevicePathAndLink()
{
    ModemSimulator modem;
    QVERIFY(modem.start());
    CMSComm comm;
    for (const QString& name : {modem.devicePath(), modem.linkPath()}) {
        comm.SetPortName(name);
        comm.SetPortOpen(true);
        QVERIFY(comm.GetPortOpen());
        comm.SetPortOpen(true); // already open: stays open
        QVERIFY(comm.GetPortOpen());
        comm.SetPortOpen(false);
        QVERIFY(!comm.GetPortOpen());
    }
}

void TestMSComm::exchangeAnswersCommand()
{
    ModemSimulator modem({QStringLiteral("--numbers"), QStringLiteral("5551234")});
    QVERIFY(modem.start());
    CMSComm comm;
    comm.SetPortName(modem.devicePath());
    comm.SetSettings(QStringLiteral("115200,n,8,1"));
    comm.SetPortOpen(true);
    comm.SetOutput(Command);
    QCOMPARE(readUntil(comm, "OK\r\n"), QByteArray("\r\nCALLING 5551234\r\n\r\nOK\r\n"));
    QCOMPARE(comm.GetInput(), QByteArray()); // consumed
    QTRY_COMPARE(modem.transcript(), Command);
}

void TestMSComm::numbersServedAcrossReopens()
{
    ModemSimulator modem({QStringLiteral("--numbers"), QStringLiteral("111,222"), QStringLiteral("--marker"),
                          QStringLiteral("NMBR = ")});
    QVERIFY(modem.start());
    CMSComm comm;
    comm.SetPortName(modem.linkPath());
    for (const char* number : {"111", "222", "111"}) {
        comm.SetPortOpen(true);
        comm.SetOutput(Command);
        QCOMPARE(readUntil(comm, "OK\r\n"), QByteArray("\r\nNMBR = ") + number + "\r\n\r\nOK\r\n");
        comm.SetPortOpen(false);
    }
}

void TestMSComm::bytesSentExactly()
{
    ModemSimulator modem;
    QVERIFY(modem.start());
    CMSComm comm;
    comm.SetPortName(modem.devicePath());
    comm.SetPortOpen(true);
    QByteArray bytes;
    for (int c = 0; c < 256; ++c) {
        if (c != '\r' && c != '\n')
            bytes += char(c);
    }
    bytes += "\r\n";
    comm.SetOutput(bytes);
    QCOMPARE(readUntil(comm, "OK\r\n"), QByteArray("\r\nOK\r\n"));
    QTRY_COMPARE(modem.transcript(), bytes);
}

void TestMSComm::emptyCommandSendsCrLf()
{
    ModemSimulator modem;
    QVERIFY(modem.start());
    CMSComm comm;
    comm.SetPortName(modem.devicePath());
    comm.SetPortOpen(true);
    comm.SetOutput("\r\n");
    QCOMPARE(readUntil(comm, "OK\r\n"), QByteArray("\r\nOK\r\n"));
    QTRY_COMPARE(modem.transcript(), QByteArray("\r\n"));
}

void TestMSComm::settings_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("default") << "115200,n,8,1" << true;
    QTest::newRow("upper-case parity") << "9600,E,7,2" << true;
    QTest::newRow("odd, five bits, 1.5 stop") << "300,o,5,1.5" << true;
    QTest::newRow("mark") << "1200,M,6,1" << true;
    QTest::newRow("space") << "2400,s,8,2" << true;
    QTest::newRow("non-standard baud") << "1234567,n,8,1" << true;
    QTest::newRow("blanks around fields") << "  19200 , n , 8 , 1 " << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("baud only") << "115200" << false;
    QTest::newRow("three fields") << "115200,n,8" << false;
    QTest::newRow("five fields") << "115200,n,8,1,1" << false;
    QTest::newRow("zero baud") << "0,n,8,1" << false;
    QTest::newRow("negative baud") << "-9600,n,8,1" << false;
    QTest::newRow("signed baud") << "+9600,n,8,1" << false;
    QTest::newRow("baud not a number") << "fast,n,8,1" << false;
    QTest::newRow("baud overflows") << "99999999999,n,8,1" << false;
    QTest::newRow("unknown parity") << "115200,x,8,1" << false;
    QTest::newRow("parity word") << "115200,no,8,1" << false;
    QTest::newRow("empty parity") << "115200,,8,1" << false;
    QTest::newRow("nine data bits") << "115200,n,9,1" << false;
    QTest::newRow("four data bits") << "115200,n,4,1" << false;
    QTest::newRow("three stop bits") << "115200,n,8,3" << false;
    QTest::newRow("stop bits 1.0") << "115200,n,8,1.0" << false;
}

void TestMSComm::settings()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    CMSComm comm;
    comm.SetSettings(QStringLiteral("4800,o,7,2"));
    const QString raised = raisedDescription([&] { comm.SetSettings(text); });
    if (valid) {
        QVERIFY2(raised.isEmpty(), qPrintable(raised));
        QCOMPARE(comm.settings(), text);
    } else {
        QVERIFY(raised.contains(QLatin1Char('"') + text + QLatin1Char('"')));
        QCOMPARE(comm.settings(), QStringLiteral("4800,o,7,2"));
    }
}

void TestMSComm::settingsOnRealLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("8n1") << "115200,n,8,1";
    QTest::newRow("even parity") << "9600,e,8,1";
    QTest::newRow("odd parity, 2 stop") << "19200,o,8,2";
    QTest::newRow("mark") << "2400,m,8,1";
    QTest::newRow("space") << "2400,s,8,1";
}

// Settings are applied at open; a pseudo-terminal takes them all at open time.
void TestMSComm::settingsOnRealLine()
{
    QFETCH(QString, text);
    ModemSimulator modem;
    QVERIFY(modem.start());
    CMSComm comm;
    comm.SetPortName(modem.devicePath());
    comm.SetSettings(text);
    comm.SetPortOpen(true);
    comm.SetOutput(Command);
    QCOMPARE(readUntil(comm, "OK\r\n"), QByteArray("\r\nCALLING 0123456789\r\n\r\nOK\r\n"));
    // While open a new text applies at once; the line keeps working.
    comm.SetSettings(QStringLiteral("57600,n,8,1"));
    comm.SetOutput(Command);
    QVERIFY(readUntil(comm, "OK\r\n").startsWith("\r\nCALLING"));
}

void TestMSComm::missingPortRaises_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("device path") << "/dev/ringlet-no-such-port"
                                 << "does not exist or was unplugged";
    QTest::newRow("system name") << "ttyRINGLET9"
                                 << "does not exist or was unplugged";
    QTest::newRow("windows name") << "COM1"
                                  << "COM1";
    QTest::newRow("none chosen") << "NA"
                                 << "No serial port is chosen";
    QTest::newRow("empty") << ""
                           << "No serial port is chosen";
}

void TestMSComm::missingPortRaises()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    CMSComm comm;
    comm.SetPortName(name);
    const QString raised = raisedDescription([&] { comm.SetPortOpen(true); });
    QVERIFY2(raised.contains(expected), qPrintable(raised));
    if (!name.isEmpty() && name != QLatin1String("NA"))
        QVERIFY2(raised.contains(name), qPrintable(raised));
    QVERIFY(!comm.GetPortOpen());
}

void TestMSComm::closedPortRaises()
{
    CMSComm comm;
    comm.SetPortName(QStringLiteral("/dev/ringlet-closed"));
    QVERIFY(raisedDescription([&] { comm.SetOutput(Command); }).contains(QLatin1String("not open")));
    QVERIFY(raisedDescription([&] { comm.GetInput(); }).contains(QLatin1String("not open")));
}

void TestMSComm::notASerialPortNamesWhatItIs_data()
{
    QTest::addColumn<QString>("kind"); // file, folder, pipe or long
    QTest::addColumn<QString>("expected");
    QTest::newRow("regular file") << "file"
                                  << "is not a serial port (it is a regular file)";
    QTest::newRow("folder") << "folder"
                            << "is not a serial port (it is a folder)";
    QTest::newRow("named pipe") << "pipe"
                                << "is not a serial port (it is a named pipe)";
    QTest::newRow("far too long name") << "long"
                                       << "is not a serial port (the name is far too long)";
}

void TestMSComm::notASerialPortNamesWhatItIs()
{
    QFETCH(QString, kind);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    QString name = dir.filePath(kind);
    if (kind == QLatin1String("file"))
        QVERIFY(QFile(name).open(QIODevice::WriteOnly));
    else if (kind == QLatin1String("folder"))
        QVERIFY(QDir().mkdir(name));
    else if (kind == QLatin1String("pipe"))
        QCOMPARE(QProcess::execute(QStringLiteral("mkfifo"), {name}), 0);
    else
        name = QStringLiteral("tty") + QString(300, QLatin1Char('S'));
    CMSComm comm;
    comm.SetPortName(name);
    const QString raised = raisedDescription([&] { comm.SetPortOpen(true); });
    QCOMPARE(raised,
             name + QLatin1Char(' ') + expected + QStringLiteral(": choose the modem's port in the configuration."));
}

// Another program that opened the port first holds its lock file; the message names that program.
void TestMSComm::portHeldByAnotherProgramNamesIt()
{
    ModemSimulator modem;
    QVERIFY(modem.start());
    QProcess holder;
    holder.start(QStringLiteral(RINGLET_PORTOPEN_PATH), {modem.devicePath(), QStringLiteral("--hold")});
    QVERIFY(holder.waitForReadyRead(5000));
    QCOMPARE(holder.readLine().trimmed(), QByteArray("open"));

    CMSComm comm;
    comm.SetPortName(modem.devicePath());
    QCOMPARE(raisedDescription([&] { comm.SetPortOpen(true); }),
             QStringLiteral("The serial port %1 is in use by another program (portopen): close that program, or "
                            "choose another port in the configuration.")
                 .arg(modem.devicePath()));
    holder.closeWriteChannel();
    QVERIFY(holder.waitForFinished(5000));
    comm.SetPortOpen(true); // free again once the holder has gone
    QVERIFY(comm.GetPortOpen());
}

void TestMSComm::refusedPermissionAdvisesWhatCanHelp_data()
{
    QTest::addColumn<QString>("owner");
    QTest::addColumn<QString>("group");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("session"); // the groups of user nobody's process, as setpriv sets them
    QTest::addColumn<QString>("advice");      // what follows "... the serial port <device>"

    const QString ownerOnly = QStringLiteral(": only its owner (%1) may use it. Ask the administrator for access, or "
                                             "choose another port in the configuration.");
    const QString dialout = QStringLiteral("dialout");
    const QStringList noGroups{QStringLiteral("--regid=nogroup"), QStringLiteral("--clear-groups")};
    QTest::newRow("the group may not use it") << "1234" << dialout << 0600 << noGroups << ownerOnly.arg(1234);
    QTest::newRow("the group may not, the user is in it")
        << "1234" << dialout << 0600
        << QStringList{QStringLiteral("--regid=nogroup"), QStringLiteral("--groups=dialout")} << ownerOnly.arg(1234);
    QTest::newRow("root's own device") << "root"
                                       << "root" << 0600 << noGroups << ownerOnly.arg(QStringLiteral("root"));
    QTest::newRow("the group may only write")
        << "root" << dialout << 0620 << noGroups << ownerOnly.arg(QStringLiteral("root"));
    QTest::newRow("the group may, the user is not in it")
        << "root" << dialout << 0660 << noGroups
        << QStringLiteral(": join the group \"dialout\" that owns it (sudo adduser \"$USER\" dialout), then log out "
                          "and log in again.");
    // nobody's group in the user database is nogroup; this session began without it.
    QTest::newRow("the user is in the group since logging in")
        << "root"
        << "nogroup" << 0660 << QStringList{QStringLiteral("--regid=dialout"), QStringLiteral("--clear-groups")}
        << QStringLiteral(" yet: you were added to the group \"nogroup\" that owns it after you logged in. Log out "
                          "and log in again.");
}

// As root every device opens: the refusal is seen from an unprivileged user,
// on a pseudo-terminal given the owner, group and mode of the row.
void TestMSComm::refusedPermissionAdvisesWhatCanHelp()
{
    QFETCH(QString, owner);
    QFETCH(QString, group);
    QFETCH(int, mode);
    QFETCH(QStringList, session);
    QFETCH(QString, advice);

    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (::geteuid() != 0 || setpriv.isEmpty())
        QSKIP("switching to an unprivileged user needs root and setpriv");
    if (!::getgrnam("dialout"))
        QSKIP("no group dialout here");
    const passwd* ownerEntry = ::getpwnam(owner.toLocal8Bit().constData());
    const uid_t uid = ownerEntry ? ownerEntry->pw_uid : uid_t(owner.toUInt());
    const struct group* groupEntry = ::getgrnam(group.toLocal8Bit().constData());
    QVERIFY(groupEntry);
    const gid_t gid = groupEntry->gr_gid;

    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    QVERIFY(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
    const QString device = QFile::decodeName(::ptsname(master));
    const QByteArray path = QFile::encodeName(device);
    QVERIFY(::chown(path.constData(), uid, gid) == 0);
    QVERIFY(::chmod(path.constData(), mode_t(mode)) == 0);

    QProcess asNobody;
    asNobody.start(setpriv, QStringList{QStringLiteral("--reuid=nobody")} + session +
                                QStringList{QStringLiteral(RINGLET_PORTOPEN_PATH), device});
    QVERIFY(asNobody.waitForFinished(5000));
    ::close(master);
    if (asNobody.readAllStandardError().contains("setpriv"))
        QSKIP("no unprivileged user to switch to here");
    const QString said = QString::fromLocal8Bit(asNobody.readAllStandardOutput()).trimmed();
    QCOMPARE(said, QStringLiteral("You have no permission to use the serial port ") + device + advice);
}

void TestMSComm::hangupGivesOneErrorWithoutBusyLoop()
{
    ModemSimulator modem({QStringLiteral("--hangup-after-command")});
    QVERIFY(modem.start());
    CMSComm comm;
    comm.SetPortName(modem.linkPath());
    comm.SetPortOpen(true);
    comm.SetOutput(Command);
    QTRY_VERIFY(!modem.isRunning());
    QTRY_VERIFY(!comm.GetPortOpen()); // closed after the first error report

    // The rest of the check's one-second wait: the event loop must stay quiet.
    const qint64 cpuBefore = ProcessUsage::cpuTimeMs();
    QTest::qWait(500);
    const qint64 cpuUsed = ProcessUsage::cpuTimeMs() - cpuBefore;
    QVERIFY2(cpuUsed < 100, qPrintable(QStringLiteral("%1 ms of CPU in 500 ms").arg(cpuUsed)));

    const QString first = raisedDescription([&] { comm.GetInput(); });
    QCOMPARE(first, QStringLiteral("The connection on the serial port %1 was lost.").arg(modem.linkPath()));
    const QString second = raisedDescription([&] { comm.GetInput(); });
    QVERIFY2(second.contains(QLatin1String("not open")), qPrintable(second));

    QVERIFY(modem.restart({}));
    comm.SetPortOpen(true);
    comm.SetOutput(Command);
    QCOMPARE(readUntil(comm, "OK\r\n"), QByteArray("\r\nCALLING 0123456789\r\n\r\nOK\r\n"));
}

// The loss comes during the check's wait, the event loop running: Input raises it.
void TestMSComm::hangupSeenByInputItself()
{
    ModemSimulator modem({QStringLiteral("--hangup-after-command")});
    QVERIFY(modem.start());
    CMSComm comm;
    comm.SetPortName(modem.devicePath());
    comm.SetPortOpen(true);
    comm.SetOutput(Command);
    QVERIFY(modem.waitForExit(3000));
    QTest::qWait(200);
    QVERIFY(raisedDescription([&] { comm.GetInput(); }).contains(QLatin1String("was lost")));
    QVERIFY(!comm.GetPortOpen());
    QVERIFY(raisedDescription([&] { comm.SetOutput(Command); }).contains(QLatin1String("not open")));
    QVERIFY(modem.restart({}));
    comm.SetPortName(modem.devicePath());
    comm.SetPortOpen(true);
    comm.SetOutput(Command);
    QVERIFY(readUntil(comm, "OK\r\n").startsWith("\r\nCALLING"));
}

void TestMSComm::floodKeepsInputBounded()
{
    ModemSimulator modem({QStringLiteral("--flood")});
    QVERIFY(modem.start());
    CMSComm comm;
    comm.SetPortName(modem.devicePath());
    comm.SetPortOpen(true);
    comm.GetInput();
    const qint64 rssBefore = ProcessUsage::residentKb();
    comm.SetOutput(Command);

    qint64 total = 0;
    const auto received = [&] {
        total += comm.GetInput().size();
        return total > 0;
    };
    QTRY_VERIFY(received());
    // A few seconds of flood, read now and then as checks would.
    for (int round = 0; round < 3; ++round) {
        const qint64 cpuBefore = ProcessUsage::cpuTimeMs();
        QTest::qWait(1000);
        // With the buffer full nothing more is read, so the wait costs next to no CPU.
        QVERIFY(ProcessUsage::cpuTimeMs() - cpuBefore < 200);
        const QByteArray input = comm.GetInput();
        QVERIFY(input.size() <= ModemLine::ReplyLimit);
        QVERIFY(input.size() > 0);
        total += input.size();
    }
    const qint64 grownKb = ProcessUsage::residentKb() - rssBefore;
    QVERIFY2(grownKb < 4096, qPrintable(QStringLiteral("resident memory grew by %1 KiB").arg(grownKb)));
    QVERIFY(total > ModemLine::ReplyLimit);
    comm.SetPortOpen(false);
}

// A full input buffer must not stop the next command, nor end up in front of its answer.
void TestMSComm::inputWaitingBeforeACommandIsNotItsAnswer()
{
    ModemSimulator modem({QStringLiteral("--flood")});
    QVERIFY(modem.start());
    CMSComm comm;
    comm.SetPortName(modem.devicePath());
    comm.SetPortOpen(true);
    comm.SetOutput(Command);
    QTest::qWait(1000); // the flood fills the input buffer, unread

    comm.SetOutput("ATZ\r\n");
    QTRY_VERIFY(modem.transcript().endsWith("ATZ\r\n"));
    const QByteArray input = comm.GetInput();
    QVERIFY(input.size() <= ModemLine::ReplyLimit);
    QVERIFY2(!input.contains("CALLING"), "input from before the command was kept");
    comm.SetPortOpen(false);
}

QTEST_GUILESS_MAIN(TestMSComm)
#include "tst_mscomm.moc"
