#include "ActivationRequests.h"

#include "PlainFile.h"
#include "strings.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QThread>

namespace {

// The running copy answers within milliseconds, during a check's one-second
// wait as well; a copy silent this long is hung or stopped.
constexpr int AnswerSeconds = 3;
constexpr int PollMs = 20;

QString text(const char* format, const QString& path)
{
    return QString::fromLatin1(format).arg(QDir::toNativeSeparators(path));
}

// Why a start got no answer: the running copy was asked and kept silent, or
// nothing at `filePath` could take the request.
QString whyUnanswered(const QString& filePath, bool asked)
{
    if (asked)
        return QString::fromLatin1(Texts::RunningCopySilent).arg(AnswerSeconds);
    const QFileInfo info(filePath);
    if (info.isDir())
        return text(Texts::RequestFileIsFolder, filePath);
    if (info.exists() || info.isSymbolicLink())
        return text(Texts::RequestFileNotFile, filePath);
    return text(Texts::RequestFileMissing, filePath);
}
} // namespace

ActivationRequests::ActivationRequests(const QString& filePath, QObject* parent) : QObject(parent), m_path(filePath) {}

ActivationRequests::~ActivationRequests()
{
    if (m_madeFile)
        QFile::remove(m_path);
}

void ActivationRequests::listen()
{
    if (!makeFile())
        return;
    m_watcher = new QFileSystemWatcher({m_path}, this);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &ActivationRequests::onFileChanged);
    // A request made before the watch began is answered here: this copy is on
    // its way to the front anyway.
    if (QFileInfo(m_path).size() > 0)
        QFile::resize(m_path, 0);
}

// An existing regular file is kept as it is; anything else at the path (a
// named pipe, a link, an empty folder) is removed and a new file made.
bool ActivationRequests::makeFile()
{
    if (!clearForPlainFile(m_path))
        return false;
    if (isPlainFile(QFileInfo(m_path)))
        return true;
    // NewOnly: whatever may have appeared at the path meanwhile is not opened.
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    m_madeFile = true;
    return true;
}

void ActivationRequests::onFileChanged()
{
    const QFileInfo info(m_path);
    const bool asked = isPlainFile(info) && info.size() > 0;
    // A file deleted or replaced drops out of the watch: it is made again (a
    // file put in its place is kept) and watched anew.
    if (!isPlainFile(info))
        makeFile();
    if (!m_watcher->files().contains(m_path) && isPlainFile(QFileInfo(m_path)))
        m_watcher->addPath(m_path);
    if (asked) {
        QFile::resize(m_path, 0);
        emit activationRequested();
    }
}

QString requestActivation(const QString& filePath)
{
    const QDeadlineTimer deadline(AnswerSeconds * 1000);
    bool asked = false;
    for (;;) {
        // Anything but a plain file is waited for as well: the running copy
        // makes the file again as soon as it sees it gone or replaced.
        const QFileInfo info(filePath);
        if (asked && isPlainFile(info) && info.size() == 0)
            return QString();
        if (!asked && isPlainFile(info)) {
            QFile request(filePath);
            if (!request.resize(1))
                return text(Texts::RequestFileRefused, filePath).arg(request.errorString());
            asked = true;
        }
        if (deadline.hasExpired())
            return whyUnanswered(filePath, asked);
        QThread::msleep(PollMs);
    }
}
