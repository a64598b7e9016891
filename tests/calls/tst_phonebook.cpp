#include "calls/PhoneBook.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

// The phone book over real files: cards as phones and address books export
// them, names found for numbers in the forms a modem shows them, and the file
// kept whole through failed writes and other programs' changes.
class tst_PhoneBook : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void namesForNumbers_data();
    void namesForNumbers();
    void importTwiceAddsNothing();
    void namingRenamesOrMovesANumber();
    void rewriteKeepsWhatItDoesNotRead();
    void readAgainWhenAnotherProgramChangesIt();
    void failedWriteSaidOnceAndKept();
    void corpusGivesEveryNumberItsName();
    void namingChangesOnlyTheSameNumber();
    void importKeepsEveryNumberOfACard();
    void fileThatIsNoRegularFileIsNotOpened();
    void fileBeyondTheBoundIsRefused();
    void lineBreakInANameNotWrittenRaw();
    void rewritesInQuickSuccessionReadOnce();
    void overlongNameCutAndSaid();

private:
    QString bookPath() const { return m_dir->filePath(QStringLiteral("settings/ringlet.vcf")); }
    QString writeFile(const QString& name, const QByteArray& content);
    static QByteArray card(const QByteArray& body) { return "BEGIN:VCARD\r\n" + body + "END:VCARD\r\n"; }
    static QByteArray utf16(const QByteArray& utf8, QStringConverter::Encoding encoding)
    {
        return QStringEncoder(encoding)(QString::fromUtf8(utf8));
    }
    static QByteArray readAll(const QString& path);
    static void row(const char* tag, const QByteArray& vcf, const char* number, const char* name, int added,
                    int skipped)
    {
        QTest::newRow(tag) << vcf << QString::fromUtf8(number) << QString::fromUtf8(name) << added << skipped;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_PhoneBook::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QString tst_PhoneBook::writeFile(const QString& name, const QByteArray& content)
{
    const QString path = m_dir->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void tst_PhoneBook::namesForNumbers_data()
{
    QTest::addColumn<QByteArray>("vcf");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("added");
    QTest::addColumn<int>("skipped");

    const QByteArray alice = card("VERSION:3.0\r\nN:Smith;Alice;;;\r\nFN:Alice Smith\r\nTEL;TYPE=CELL:+1 555-0199\r\n");
    row("TYPE=CELL, international form", alice, "+1 555-0199", "Alice Smith", 1, 0);
    row("same caller without the country code", alice, "5550199", "Alice Smith", 1, 0);
    row("same caller with its digits run together", alice, "15550199", "Alice Smith", 1, 0);
    row("same caller behind a longer prefix", alice, "0015550199", "Alice Smith", 1, 0);
    row("one digit different", alice, "5550198", "", 1, 0);
    row("a display text without digits", alice, "Can't find string", "", 1, 0);

    const QByteArray shortNumber = card("VERSION:3.0\r\nFN:Extension\r\nTEL:55 01 99\r\n");
    row("six digits: equal", shortNumber, "550199", "Extension", 1, 0);
    row("six digits: not the end of a longer one", shortNumber, "1550199", "", 1, 0);

    row("folded lines",
        card("VERSION:3.0\r\nFN:Bartholomew \r\n Featherstonehaugh\r\n"
             "TEL;TYPE=WORK,VOICE:+44 20 79\r\n\t46 0000\r\n"),
        "+442079460000", "Bartholomew Featherstonehaugh", 1, 0);
    row("item1.TEL, LF line ends",
        QByteArray("BEGIN:VCARD\nVERSION:3.0\nFN:Dr. Office\nitem1.TEL;type=pref:(030) 1234567\n"
                   "item1.X-ABLabel:_$!<Work>!$_\nEND:VCARD\n"),
        "030-1234567", "Dr. Office", 1, 0);
    row("vCard 4 tel: URI, its extension no digit of the number",
        card("VERSION:4.0\r\nFN:Hotel Adler\r\nTEL;VALUE=uri;TYPE=\"voice,work\":tel:+49-30-1234-5678;ext=99\r\n"),
        "+49 30 1234 5678", "Hotel Adler", 1, 0);
    row("escaped comma", card("VERSION:3.0\r\nFN:Jones\\, Jr.\r\nTEL:555 0100\r\n"), "5550100", "Jones, Jr.", 1, 0);
    row("vCard 2.1: N without FN", card("VERSION:2.1\r\nN:Doe;John\r\nTEL;HOME:555 0111\r\n"), "5550111", "John Doe", 1,
        0);
    const QByteArray between = card("VERSION:3.0\r\nFN:First\r\nTEL:555 0001\r\n") +
                               "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Broken\r\nTEL:555 0002\r\n" +
                               card("VERSION:3.0\r\nFN:Third\r\nTEL:555 0003\r\n");
    row("card without END between two: the first", between, "5550001", "First", 2, 1);
    row("card without END between two: the broken", between, "5550002", "", 2, 1);
    row("card without END between two: the third", between, "5550003", "Third", 2, 1);
    row("quoted-printable, soft line breaks, one right after the colon",
        card("VERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=C3=91=C3=91;=\r\n=C3=91=\r\n;;;\r\n"
             "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=\r\n=C3=91=C3=91 =C3=\r\n=91\r\nTEL;CELL;VOICE:555 0200\r\n"),
        "5550200", "ÑÑ Ñ", 1, 0);
    row("Shift_JIS", card("VERSION:2.1\r\nN;CHARSET=SHIFT_JIS:\x93\xfa\x96\x7b;\x83\x5c;;;\r\nTEL:555 0201\r\n"),
        "5550201", "ソ 日本", 1, 0);
    row("ISO-8859-1",
        card("VERSION:2.1\r\nFN;CHARSET=ISO-8859-1:Ren\xe9"
             "e\r\nTEL:555 0202\r\n"),
        "5550202", "Renée", 1, 0);
    row("8-bit text that is no UTF-8, undeclared: Windows-1252",
        card("VERSION:3.0\r\nFN:Fran\xe7ois \x93"
             "Frank\x94\r\nTEL:555 0203\r\n"),
        "5550203", "François “Frank”", 1, 0);
    row("UTF-16LE with a byte-order mark",
        "\xff\xfe" + utf16(card("VERSION:3.0\r\nFN:Karine Gagné\r\nTEL:555 0204\r\n"), QStringConverter::Utf16LE),
        "5550204", "Karine Gagné", 1, 0);
    row("UTF-16BE without one",
        utf16(card("VERSION:3.0\r\nFN:Karine Gagné\r\nTEL:555 0205\r\n"), QStringConverter::Utf16BE), "5550205",
        "Karine Gagné", 1, 0);
    row("UTF-8 byte-order mark", "\xef\xbb\xbf" + card("VERSION:3.0\r\nFN:First card\r\nTEL:555 0206\r\n"), "5550206",
        "First card", 1, 0);
    row("ORG only, FN and N empty",
        card("VERSION:3.0\r\nFN:\r\nN:;;;;\r\nORG:Ximian\\, Inc.;Sales\r\nTEL:555 0207\r\n") +
            card("VERSION:3.0\r\nFN:Next\r\nTEL:555 0208\r\n"),
        "5550207", "Ximian, Inc.", 2, 0);
    row("a TEL of text and no number: skipped and counted",
        card("VERSION:3.0\r\nFN:Template\r\nTEL;type=Phone-1-Label:Phone 1, xExtension 1\r\nTEL:555 0209\r\n"), "11",
        "", 1, 1);
    row("an extension: the main number is stored", card("VERSION:3.0\r\nFN:Front desk\r\nTEL:962-6545\\,x271\r\n"),
        "9626545", "Front desk", 1, 0);
    row("bad lines in a card, the rest read",
        card("VERSION:3.0\r\nFN:Kept\r\nthis line has no colon\r\nTEL:no digits\r\nTEL:555 0004\r\n"), "555 0004",
        "Kept", 1, 2);
}

// Imported into an empty book, and read back by the next run from the file it wrote.
void tst_PhoneBook::namesForNumbers()
{
    QFETCH(QByteArray, vcf);
    QFETCH(QString, number);
    QFETCH(QString, name);
    QFETCH(int, added);
    QFETCH(int, skipped);

    PhoneBook book(bookPath());
    book.load();
    const PhoneBook::ImportResult result = book.importFile(writeFile(QStringLiteral("contacts.vcf"), vcf));
    QVERIFY2(result.error.isEmpty(), qPrintable(result.error));
    QCOMPARE(result.added, added);
    QCOMPARE(result.skipped, skipped);
    QCOMPARE(book.nameFor(number), name);

    PhoneBook nextRun(bookPath());
    nextRun.load();
    QCOMPARE(nextRun.nameFor(number), name);
    QCOMPARE(nextRun.numberCount(), added);
}

void tst_PhoneBook::importTwiceAddsNothing()
{
    const QString contacts = writeFile(QStringLiteral("contacts.vcf"),
                                       card("VERSION:3.0\r\nFN:Alice\r\nTEL:+1 555 0199\r\nTEL:555 0100\r\n") +
                                           card("VERSION:3.0\r\nFN:Bob\r\nTEL:555 0111\r\n"));
    PhoneBook book(bookPath());
    book.load();
    book.setName(QStringLiteral("+1 555-0199"), QStringLiteral("Alice at work"));

    PhoneBook::ImportResult first = book.importFile(contacts);
    QCOMPARE(first.added, 2);
    QCOMPARE(first.known, 1);
    QCOMPARE(book.nameFor(QStringLiteral("5550199")), QStringLiteral("Alice at work"));
    QCOMPARE(book.nameFor(QStringLiteral("5550100")), QStringLiteral("Alice"));

    const PhoneBook::ImportResult second = book.importFile(contacts);
    QCOMPARE(second.added, 0);
    QCOMPARE(second.known, 3);
    QCOMPARE(book.numberCount(), 3);

    const PhoneBook::ImportResult notCards = book.importFile(writeFile(QStringLiteral("x.csv"), "name,number\n"));
    QVERIFY(!notCards.error.isEmpty());
    QCOMPARE(notCards.added, 0);
    QVERIFY(!book.importFile(m_dir->filePath(QStringLiteral("missing.vcf"))).error.isEmpty());
}

void tst_PhoneBook::namingRenamesOrMovesANumber()
{
    QDir(m_dir->path()).mkdir(QStringLiteral("settings"));
    writeFile(QStringLiteral("settings/ringlet.vcf"),
              card("VERSION:3.0\r\nN:Smith;Alice\r\nFN:Alice Smith\r\nTEL;TYPE=HOME:555 0100\r\n"
                   "TEL;TYPE=CELL:555 0101\r\n"));
    PhoneBook book(bookPath());
    book.load();
    QSignalSpy changed(&book, &PhoneBook::changed);

    book.setName(QStringLiteral("555 0101"), QStringLiteral("Bob"));
    QCOMPARE(book.nameFor(QStringLiteral("5550101")), QStringLiteral("Bob"));
    QCOMPARE(book.nameFor(QStringLiteral("5550100")), QStringLiteral("Alice Smith"));
    // The card left with one number is the caller's own: renamed, its old N gone.
    book.setName(QStringLiteral("5550100"), QStringLiteral("Alice Jones"));
    book.setName(QStringLiteral("0123 4567"), QStringLiteral("New"));
    book.setName(QStringLiteral("5550101"), QString());
    QCOMPARE(changed.count(), 4);

    PhoneBook nextRun(bookPath());
    nextRun.load();
    QCOMPARE(nextRun.nameFor(QStringLiteral("5550100")), QStringLiteral("Alice Jones"));
    QCOMPARE(nextRun.nameFor(QStringLiteral("01234567")), QStringLiteral("New"));
    QCOMPARE(nextRun.nameFor(QStringLiteral("5550101")), QString());
    QCOMPARE(nextRun.numberCount(), 2);
    QFile file(bookPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY(!text.contains("Smith"));
    QVERIFY(!text.contains("Bob"));
}

// Lines it does not use and text it cannot read are the user's: a rewrite keeps them.
void tst_PhoneBook::rewriteKeepsWhatItDoesNotRead()
{
    const QByteArray kept = card("VERSION:3.0\r\nFN:Carol\r\nEMAIL:carol@example.org\r\nTEL:555 0120\r\n"
                                 "NOTE:a note folded over \r\n two lines\r\n");
    const QByteArray broken = "BEGIN:VCARD\r\nFN:Half a card\r\n";
    const QByteArray stray = "some text that is no card\r\n";
    QDir(m_dir->path()).mkdir(QStringLiteral("settings"));
    writeFile(QStringLiteral("settings/ringlet.vcf"), kept + stray + broken + card("FN:Dave\r\nTEL:555 0130\r\n"));

    PhoneBook book(bookPath());
    book.load();
    QCOMPARE(book.nameFor(QStringLiteral("5550120")), QStringLiteral("Carol"));
    book.setName(QStringLiteral("5550130"), QStringLiteral("David"));
    book.setName(QStringLiteral("5550140"), QStringLiteral("Erin, the long name of someone whose name does not fit "
                                                           "on one line of a card: é ü ß"));

    QFile file(bookPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY(text.startsWith(kept + stray + broken));
    for (const QByteArray& line : text.split('\n'))
        QVERIFY2(line.size() <= 76, line.constData());
    PhoneBook nextRun(bookPath());
    nextRun.load();
    QCOMPARE(nextRun.nameFor(QStringLiteral("5550130")), QStringLiteral("David"));
    QCOMPARE(nextRun.nameFor(QStringLiteral("5550140")),
             QStringLiteral("Erin, the long name of someone whose name does not fit on one line of a card: é ü ß"));
}

void tst_PhoneBook::readAgainWhenAnotherProgramChangesIt()
{
    PhoneBook book(bookPath());
    book.load();
    book.setName(QStringLiteral("5550150"), QStringLiteral("Mine"));
    QSignalSpy changed(&book, &PhoneBook::changed);

    // An editor that saves by writing a new file and renaming it over the old, twice.
    for (const char* name : {"Replaced", "Replaced again"}) {
        QSaveFile other(bookPath());
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write(card("VERSION:4.0\r\nFN:" + QByteArray(name) + "\r\nTEL:555 0150\r\n"));
        QVERIFY(other.commit());
        QTRY_COMPARE(book.nameFor(QStringLiteral("5550150")), QString::fromLatin1(name));
    }
    // One that writes in place.
    {
        QFile other(bookPath());
        QVERIFY(other.open(QIODevice::WriteOnly | QIODevice::Truncate));
        other.write(card("VERSION:4.0\r\nFN:In place\r\nTEL:555 0150\r\n"));
    }
    QTRY_COMPARE(book.nameFor(QStringLiteral("5550150")), QStringLiteral("In place"));
    QFile::remove(bookPath());
    QTRY_COMPARE(book.nameFor(QStringLiteral("5550150")), QString());
    // And one that creates it again.
    writeFile(QStringLiteral("settings/ringlet.vcf"), card("VERSION:4.0\r\nFN:Back\r\nTEL:555 0150\r\n"));
    QTRY_COMPARE(book.nameFor(QStringLiteral("5550150")), QStringLiteral("Back"));
    QVERIFY(changed.count() >= 5);
}

// The folder cannot be made while a file holds its name: every write fails.
void tst_PhoneBook::failedWriteSaidOnceAndKept()
{
    writeFile(QStringLiteral("settings"), "a file where the folder should be");
    PhoneBook book(bookPath());
    book.load();
    QSignalSpy failed(&book, &PhoneBook::failed);

    book.setName(QStringLiteral("5550160"), QStringLiteral("First"));
    book.setName(QStringLiteral("5550161"), QStringLiteral("Second"));
    QCOMPARE(failed.count(), 1);
    QVERIFY(failed.first().first().toString().contains(QStringLiteral("ringlet.vcf")));
    QCOMPARE(book.nameFor(QStringLiteral("5550160")), QStringLiteral("First"));
    QCOMPARE(book.nameFor(QStringLiteral("5550161")), QStringLiteral("Second"));

    // Once it can be written, the next change writes what the failed ones could not.
    QVERIFY(QFile::remove(m_dir->filePath(QStringLiteral("settings"))));
    book.setName(QStringLiteral("5550162"), QStringLiteral("Third"));
    QCOMPARE(failed.count(), 1);
    PhoneBook nextRun(bookPath());
    nextRun.load();
    QCOMPARE(nextRun.nameFor(QStringLiteral("5550160")), QStringLiteral("First"));
    QCOMPARE(nextRun.nameFor(QStringLiteral("5550161")), QStringLiteral("Second"));
    QCOMPARE(nextRun.nameFor(QStringLiteral("5550162")), QStringLiteral("Third"));
}

QByteArray tst_PhoneBook::readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Real exports as phones and address books wrote them, each number looked up in
// every form a modem announces it, against names worked out from the vCard
// RFCs apart from this code. The pairs marked debatable are checked
// too, decided as the expectation decides them: the same number on two cards
// keeps the first card's name (a number in the book keeps its name), and a
// number the 7-digit rule ties to an earlier card's keeps its own card's name
// (an equal number wins the lookup). A number with an extension is looked up
// as a line announces it, without the extension.
void tst_PhoneBook::corpusGivesEveryNumberItsName()
{
    const QDir corpus(QStringLiteral(RINGLET_SOURCE_DIR "/../shared/corpus/vcards"));
    const QByteArray json = readAll(corpus.filePath(QStringLiteral("expected.json")));
    if (json.isEmpty())
        QSKIP("no vCard corpus at ../shared/corpus/vcards beside the source tree");
    int checked = 0;
    for (const QJsonValue& entry : QJsonDocument::fromJson(json).array()) {
        const QJsonObject file = entry.toObject();
        const QString name = file.value(QStringLiteral("file")).toString();
        PhoneBook book(m_dir->filePath(name + QStringLiteral(".book.vcf")));
        book.load();
        const PhoneBook::ImportResult result = book.importFile(corpus.filePath(name));
        QVERIFY2(result.error.isEmpty(), qPrintable(result.error));
        for (const QJsonValue& value : file.value(QStringLiteral("pairs")).toArray()) {
            const QJsonObject pair = value.toObject();
            // The same number on two cards: the first card keeps it, as expected; a
            // number no card names is nobody's.
            const QString expected = pair.value(QStringLiteral("name")).toString();
            if (expected.isEmpty())
                continue;
            QStringList forms;
            for (const QJsonValue& form : pair.value(QStringLiteral("modem")).toArray())
                forms << form.toString();
            // An extension, keypad letters: the number as a line announces it.
            if (pair.value(QStringLiteral("modem_debatable")).isNull())
                forms << pair.value(QStringLiteral("number")).toString();
            for (const QString& form : std::as_const(forms)) {
                const QString got = book.nameFor(form);
                QVERIFY2(got == expected,
                         qPrintable(QStringLiteral("%1: %2 gives \"%3\", not \"%4\"").arg(name, form, got, expected)));
                ++checked;
            }
        }
    }
    QVERIFY(checked > 100);
}

// The 7-digit rule tells who is calling; it does not choose which card to change.
void tst_PhoneBook::namingChangesOnlyTheSameNumber()
{
    QDir(m_dir->path()).mkdir(QStringLiteral("settings"));
    writeFile(QStringLiteral("settings/ringlet.vcf"), card("VERSION:3.0\r\nFN:Imported\r\nTEL:123456789\r\n"));
    PhoneBook book(bookPath());
    book.load();

    book.setName(QStringLiteral("0123456789"), QStringLiteral("Named here"));
    QCOMPARE(book.nameFor(QStringLiteral("0123456789")), QStringLiteral("Named here"));
    QCOMPARE(book.nameFor(QStringLiteral("123456789")), QStringLiteral("Imported"));
    book.setName(QStringLiteral("0123456789"), QString());
    QCOMPARE(book.nameFor(QStringLiteral("123456789")), QStringLiteral("Imported"));
    QVERIFY(readAll(bookPath()).contains("FN:Imported"));
    // Taking out a number that only ends like the card's leaves the card, and says so.
    QSignalSpy told(&book, &PhoneBook::nameNotice);
    book.setName(QStringLiteral("23456789"), QString());
    QCOMPARE(book.nameFor(QStringLiteral("123456789")), QStringLiteral("Imported"));
    QCOMPARE(told.count(), 1);
}

void tst_PhoneBook::importKeepsEveryNumberOfACard()
{
    PhoneBook book(bookPath());
    book.load();
    const PhoneBook::ImportResult result = book.importFile(writeFile(
        QStringLiteral("contacts.vcf"), card("VERSION:3.0\r\nFN:First\r\nTEL:123456789\r\n") +
                                            card("VERSION:3.0\r\nFN:Second\r\nTEL:3456789\r\nTEL:555 0300\r\n")));
    QCOMPARE(result.added, 3);
    QCOMPARE(book.nameFor(QStringLiteral("3456789")), QStringLiteral("Second"));
    QCOMPARE(book.nameFor(QStringLiteral("123456789")), QStringLiteral("First"));
}

// A named pipe would hold the window's thread in open() until a writer came;
// a device never ends. Neither is opened, and neither is written over.
void tst_PhoneBook::fileThatIsNoRegularFileIsNotOpened()
{
#ifdef Q_OS_WIN
    QSKIP("named pipes have no place in a folder on Windows");
#else
    QDir(m_dir->path()).mkdir(QStringLiteral("settings"));
    QCOMPARE(::mkfifo(QFile::encodeName(bookPath()).constData(), 0600), 0);
    PhoneBook book(bookPath());
    QSignalSpy failed(&book, &PhoneBook::failed);
    book.load();
    QCOMPARE(failed.count(), 1);
    book.setName(QStringLiteral("5550300"), QStringLiteral("Not over the pipe"));
    QVERIFY(!QFileInfo(bookPath()).isFile());

    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), m_dir->filePath(QStringLiteral("zero.vcf"))));
    const PhoneBook::ImportResult zero = book.importFile(m_dir->filePath(QStringLiteral("zero.vcf")));
    QVERIFY(!zero.error.isEmpty());
    QCOMPARE(zero.added, 0);
#endif
}

void tst_PhoneBook::fileBeyondTheBoundIsRefused()
{
    const QByteArray named = card("VERSION:3.0\r\nFN:Kept\r\nTEL:555 0310\r\n");
    QDir(m_dir->path()).mkdir(QStringLiteral("settings"));
    writeFile(QStringLiteral("settings/ringlet.vcf"), named);
    PhoneBook book(bookPath());
    book.load();
    QSignalSpy failed(&book, &PhoneBook::failed);

    QFile big(writeFile(QStringLiteral("big.vcf"), named));
    QVERIFY(big.resize(PhoneBook::MaxFileBytes + 1));
    const PhoneBook::ImportResult result = book.importFile(big.fileName());
    QVERIFY(result.error.contains(QStringLiteral("MB")));
    QCOMPARE(result.added, 0);

    // The book's own file grown past the bound: what is held stays, the file is not written over.
    QFile own(bookPath());
    QVERIFY(own.resize(PhoneBook::MaxFileBytes + 1));
    QTRY_COMPARE(failed.count(), 1);
    QCOMPARE(book.nameFor(QStringLiteral("5550310")), QStringLiteral("Kept"));
    book.setName(QStringLiteral("5550311"), QStringLiteral("New"));
    QCOMPARE(QFileInfo(bookPath()).size(), PhoneBook::MaxFileBytes + 1);
}

// A bare CR inside a value is a line end to some readers: in the book's file
// it would start a property that no card had.
void tst_PhoneBook::lineBreakInANameNotWrittenRaw()
{
    PhoneBook book(bookPath());
    book.load();
    book.importFile(
        writeFile(QStringLiteral("contacts.vcf"), card("VERSION:3.0\r\nFN:Eve\rTEL:555 0666\r\nTEL:555 0320\r\n")));
    QCOMPARE(book.nameFor(QStringLiteral("5550320")), QStringLiteral("Eve TEL:555 0666"));
    const QByteArray text = readAll(bookPath());
    QVERIFY(!text.isEmpty());
    QCOMPARE(text.count('\r'), text.count("\r\n"));
}

// Another program that rewrites the book again and again is followed without
// reading every version.
void tst_PhoneBook::rewritesInQuickSuccessionReadOnce()
{
    PhoneBook book(bookPath());
    book.load();
    book.setName(QStringLiteral("5550330"), QStringLiteral("Start"));
    QSignalSpy changed(&book, &PhoneBook::changed);
    for (int i = 0; i < 20; ++i) {
        QFile other(bookPath());
        QVERIFY(other.open(QIODevice::WriteOnly | QIODevice::Truncate));
        other.write(card("VERSION:4.0\r\nFN:Version " + QByteArray::number(i) + "\r\nTEL:555 0330\r\n"));
        other.close();
        QTest::qWait(20);
    }
    QTRY_COMPARE(book.nameFor(QStringLiteral("5550330")), QStringLiteral("Version 19"));
    QVERIFY2(changed.count() <= 5, qPrintable(QString::number(changed.count())));
}

void tst_PhoneBook::overlongNameCutAndSaid()
{
    PhoneBook book(bookPath());
    book.load();
    QSignalSpy cut(&book, &PhoneBook::nameNotice);
    book.setName(QStringLiteral("5550340"), QString(1 << 20, QLatin1Char('a')));
    QCOMPARE(book.nameFor(QStringLiteral("5550340")).size(), PhoneBook::MaxNameLength);
    QCOMPARE(cut.count(), 1);
}

QTEST_GUILESS_MAIN(tst_PhoneBook)
#include "tst_phonebook.moc"
