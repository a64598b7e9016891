#include "StoredSettingsCheck.h"

#include "base/ProfileStore.h"
#include "TerminationRequests.h"
#include "strings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QTemporaryFile>

namespace {

// The deepest part of `path` that exists; the store creates the folders below it.
QString deepestExisting(QString path)
{
    while (!QFileInfo::exists(path)) {
        const QString parent = QFileInfo(path).absolutePath();
        if (parent == path)
            break;
        path = parent;
    }
    return path;
}

} // namespace

QString whyFileCannotBeWritten(const QString& filePath)
{
    const QFileInfo file(filePath);
    if (file.isDir())
        return QString::fromLatin1(Texts::FolderNotFile).arg(QDir::toNativeSeparators(filePath));
    const QString folder = deepestExisting(file.absolutePath());
    if (!QFileInfo(folder).isDir())
        return QString::fromLatin1(Texts::FileNotFolder).arg(QDir::toNativeSeparators(folder));

    // The store writes a new file beside the old one and renames it; a probe of
    // about the same size meets the same refusal (read-only, full disk).
    QTemporaryFile probe(folder + QStringLiteral("/.ringlet-probe-XXXXXX"));
    if (!probe.open())
        return probe.errorString();
    const QByteArray block(4096, ' ');
    if (probe.write(block) != block.size() || !probe.flush())
        return probe.errorString();
    return QString();
}

bool confirmSettingsStored(QWidget* owner, const ProfileStore& store)
{
    if (store.isStored())
        return true;
    QString reason = store.isFile() ? whyFileCannotBeWritten(store.location()) : QString();
    if (reason.isEmpty())
        reason = QString::fromLatin1(Texts::StoreRefused);
    const QString text =
        QString::fromLatin1(Texts::SettingsNotStored).arg(QDir::toNativeSeparators(store.location()), reason);
    QMessageBox box(QMessageBox::Warning, QCoreApplication::applicationName(), text, QMessageBox::Ok, owner);
    // Shown at close, often at log-out: the session must not wait for an OK.
    endRunOnTerminationWhileShown(&box);
    box.exec();
    return false;
}
