#pragma once

#include <string>

// Appending one line to a file that no other program may touch meanwhile.
// POSIX: an advisory flock(LOCK_EX | LOCK_NB); Windows: share mode 0. Plain
// standard types, so the Windows build needs nothing but the Win32 API.
enum class LogAppendStatus { Written, OpenFailed, WriteFailed };

struct LogAppendResult
{
    LogAppendStatus status = LogAppendStatus::Written;
    std::string reason; // the system's description of what failed, empty when written
};

// Opens or creates `path` (never truncating it), takes it exclusively, writes
// `bytes` at its end with one write call and closes it again.
LogAppendResult appendExclusive(const std::string& path, const std::string& bytes);
