#include "LogFile.h"

#include <windows.h>

namespace {

std::string systemMessage(DWORD error)
{
    char buffer[512] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                        buffer, sizeof buffer, nullptr);
    std::string message(buffer, length);
    while (!message.empty() && (message.back() == '\r' || message.back() == '\n' || message.back() == '.'))
        message.pop_back();
    if (message.empty())
        message = "system error " + std::to_string(error);
    return message;
}

LogAppendResult failure(LogAppendStatus status)
{
    return {status, systemMessage(GetLastError())};
}

LogAppendResult writeLine(HANDLE file, const std::string& bytes)
{
    if (bytes.size() > MAXDWORD)
        return {LogAppendStatus::WriteFailed, "the line is too long"};
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        return failure(LogAppendStatus::WriteFailed);
    if (written != bytes.size())
        return {LogAppendStatus::WriteFailed,
                "only " + std::to_string(written) + " of " + std::to_string(bytes.size()) + " bytes were written"};
    return {};
}

// A line that does not go in whole is cut off again while the file is still
// held, so the next line never continues a fragment.
LogAppendResult writeAtEnd(HANDLE file, const std::string& bytes)
{
    LARGE_INTEGER zero = {};
    LARGE_INTEGER oldSize = {};
    if (!SetFilePointerEx(file, zero, &oldSize, FILE_END))
        return failure(LogAppendStatus::WriteFailed);
    const LogAppendResult result = writeLine(file, bytes);
    if (result.status != LogAppendStatus::Written && SetFilePointerEx(file, oldSize, nullptr, FILE_BEGIN))
        SetEndOfFile(file);
    return result;
}

// A pipe, a console or a serial port in the log's place (reached through a
// link) has no end to append at. NUL is written as it stands, as /dev/null is
// elsewhere: a deliberate way to keep no log.
const char* notAFile(HANDLE file)
{
    const DWORD type = GetFileType(file);
    if (type == FILE_TYPE_PIPE)
        return "it is a named pipe, not a file";
    DWORD consoleMode = 0;
    DCB line = {};
    line.DCBlength = sizeof line;
    if (type == FILE_TYPE_CHAR && (GetConsoleMode(file, &consoleMode) || GetCommState(file, &line)))
        return "it is a terminal, not a file";
    return nullptr;
}

} // namespace

LogAppendResult appendExclusive(const std::string& path, const std::string& bytes)
{
    // Share mode 0: no other opener, reading or writing, while the line goes in.
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return failure(LogAppendStatus::OpenFailed);
    if (const char* reason = notAFile(file)) {
        CloseHandle(file);
        return {LogAppendStatus::OpenFailed, reason};
    }

    const LogAppendResult result = writeAtEnd(file, bytes);
    if (!CloseHandle(file) && result.status == LogAppendStatus::Written)
        return failure(LogAppendStatus::WriteFailed);
    return result;
}
