#include "LogFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

LogAppendResult failure(LogAppendStatus status, int error)
{
    return {status, std::strerror(error)};
}

LogAppendResult writeLine(int fd, const std::string& bytes)
{
    ssize_t written;
    do {
        written = ::write(fd, bytes.data(), bytes.size());
    } while (written < 0 && errno == EINTR);
    if (written < 0)
        return failure(LogAppendStatus::WriteFailed, errno);
    if (static_cast<size_t>(written) != bytes.size())
        return {LogAppendStatus::WriteFailed,
                "only " + std::to_string(written) + " of " + std::to_string(bytes.size()) + " bytes were written"};
    return {};
}

// The lock is the file's, taken on this descriptor; closing it lets go. A line
// that does not go in whole is cut off again while the lock is held, so the
// next line never continues a fragment.
LogAppendResult writeAtEnd(int fd, const std::string& bytes)
{
    const off_t oldSize = ::lseek(fd, 0, SEEK_END);
    if (oldSize < 0)
        return failure(LogAppendStatus::WriteFailed, errno);
    const LogAppendResult result = writeLine(fd, bytes);
    if (result.status != LogAppendStatus::Written) {
        while (::ftruncate(fd, oldSize) != 0 && errno == EINTR) {
        }
    }
    return result;
}

// A device with nothing behind it, as /dev/tty for a program started without a
// terminal, says "No such device or address": the cause is that it is no file.
LogAppendResult openFailure(const std::string& path, int error)
{
    struct stat info
    {
    };
    if ((error == ENXIO || error == ENODEV) && ::stat(path.c_str(), &info) == 0 && S_ISCHR(info.st_mode))
        return {LogAppendStatus::OpenFailed, "it is a device, not a file"};
    return failure(LogAppendStatus::OpenFailed, error);
}

} // namespace

LogAppendResult appendExclusive(const std::string& path, const std::string& bytes)
{
    // O_NOCTTY: a terminal in the log's place must not become this process's own.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0)
        return openFailure(path, errno);

    // A named pipe or a terminal in the log's place has no end to append at:
    // the line would go to whichever program reads it, or onto a screen, and
    // the seek fails. Other devices are written as they stand: /dev/null is a
    // deliberate way to keep no log, and /dev/full reports its own error.
    const char* notAFile = nullptr;
    struct stat info
    {
    };
    if (::fstat(fd, &info) == 0 && (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode)))
        notAFile = "it is a named pipe, not a file";
    else if (::isatty(fd))
        notAFile = "it is a terminal, not a file";
    if (notAFile) {
        ::close(fd);
        return {LogAppendStatus::OpenFailed, notAFile};
    }

    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return {LogAppendStatus::OpenFailed, "the file is in use by another program"};
        return failure(LogAppendStatus::OpenFailed, error);
    }

    const LogAppendResult result = writeAtEnd(fd, bytes);
    // Not retried on EINTR: on Linux the descriptor is gone either way.
    if (::close(fd) != 0 && result.status == LogAppendStatus::Written)
        return failure(LogAppendStatus::WriteFailed, errno);
    return result;
}
