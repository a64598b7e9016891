// The block list through its real file and the real phone book.
#include "calls/BlockList.h"
#include "calls/PhoneBook.h"
#include "strings.h"

#include <QFile>
#include <QSaveFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
void writeFile(const QString& path, const QByteArray& data)
{
    QSaveFile file(path); // replaced at once, as an editor saves
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(data);
    QVERIFY(file.commit());
}
} // namespace

class TestBlockList : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_path = m_dir->filePath(QLatin1String(BlockList::FileName));
    }

    void whoIsBlocked_data()
    {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QString>("caller");
        QTest::addColumn<bool>("blocked");
        QTest::newRow("its number, as the phone book matches") << QByteArray("555-0199\n") << "+1 (312) 555-0199" << true;
        QTest::newRow("another number") << QByteArray("5550199\n") << "5550198" << false;
        QTest::newRow("a prefix") << QByteArray("1900*  # premium\n") << "19005550100" << true;
        QTest::newRow("a prefix elsewhere in the number") << QByteArray("1900*\n") << "5551900" << false;
        QTest::newRow("Private") << QByteArray("private\n") << "Private" << true;
        QTest::newRow("Unavailable not listed") << QByteArray("Private\n") << "Unavailable" << false;
        QTest::newRow("a named caller, caught by a prefix") << QByteArray("555*\n") << "5550123" << false;
        QTest::newRow("a named caller by its own entry") << QByteArray("555*\n5550123\n") << "5550123" << true;
        QTest::newRow("a comment only") << QByteArray("# 5550199\n") << "5550199" << false;
    }

    // The phone book names 5550123: only an entry of its own blocks it.
    void whoIsBlocked()
    {
        QFETCH(QByteArray, list);
        QFETCH(QString, caller);
        QFETCH(bool, blocked);
        PhoneBook book(m_dir->filePath(QStringLiteral("ringlet.vcf")));
        book.load();
        book.setName(QStringLiteral("5550123"), QStringLiteral("Ada"));
        writeFile(m_path, list);
        BlockList blockList(m_path, &book);
        blockList.load();
        QCOMPARE(blockList.blocks(caller), blocked);
    }

    // Another program's change is read; a line not understood is kept through
    // a change made here, and said once.
    void fileChangedElsewhereIsReadAndOddLinesKept()
    {
        writeFile(m_path, "5550199\nnot a number\n");
        BlockList list(m_path, nullptr);
        QSignalSpy told(&list, &BlockList::lineNotUnderstood);
        list.load();
        QCOMPARE(told.size(), 1);
        QVERIFY(!list.blocks(QStringLiteral("5550111")));

        writeFile(m_path, "5550199\nnot a number\n5550111\nprivate\n");
        QTRY_VERIFY(list.blocks(QStringLiteral("5550111")));
        list.unblock(QStringLiteral("5550199"));
        list.unblock(QStringLiteral("Private"));
        list.block(QStringLiteral("Unavailable"));
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("not a number\n5550111\nUnavailable\n"));
        QCOMPARE(told.size(), 1);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

QTEST_MAIN(TestBlockList)
#include "tst_blocklist.moc"
