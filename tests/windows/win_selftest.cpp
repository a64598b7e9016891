// Exercises the Windows-only parts against the real Win32 API: the registry
// reader, the exclusive append to the call log, the system-menu items, the
// diagnosis of a port that would not open, the ring-indicator pin reader, and
// the foreground watcher.
// Plain C++ and Win32, built with mingw-w64 and run under Windows or Wine by
// scripts/windows-check.
#include "check/ForegroundWatcher.h"
#include "check/LogFile.h"
#include "link/RingPin.h"
#include "link/PortDiagnosis.h"
#include "link/Registry.h"
#include "ui/SystemMenu.h"
#include "ui/WindowClose.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {
int g_passes = 0;
int g_failures = 0;

void check(bool condition, const char* what)
{
    std::printf("%s: %s\n", condition ? "PASS" : "FAIL", what);
    ++(condition ? g_passes : g_failures);
}

const char TestKey[] = "SOFTWARE\\RingletSelfTest";

void setString(HKEY key, const char* name, const std::string& text)
{
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
}

void testRegistry()
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, TestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        check(false, "a test key can be created under HKEY_LOCAL_MACHINE");
        return;
    }
    setString(key, "COM1:", "9600,n,8,1   ");
    setString(key, "\\Device\\Serial0", "COM1");
    setString(key, "\\Device\\VeryLongSerialName", "COM2");
    const DWORD number = 7;
    RegSetValueExA(key, "number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    RegCloseKey(key);

    const auto reader = createSystemRegistryReader();
    check(reader->openLocalMachineKey("SOFTWARE\\RingletNoSuchKey") == nullptr, "a missing key does not open");
    auto opened = reader->openLocalMachineKey(TestKey);
    check(opened != nullptr, "an existing key opens for reading");
    if (!opened)
        return;

    unsigned long type = 0;
    std::string data;
    check(opened->queryValue("COM1:", 32, type, data) == Registry::Success && type == Registry::TypeSz &&
              data == std::string("9600,n,8,1   ", 14),
          "a string value reads with its type and terminator");
    check(opened->queryValue("COM1:", 8, type, data) == Registry::MoreData, "a value past the capacity is MoreData");
    check(opened->queryValue("number", 32, type, data) == Registry::Success && type == Registry::TypeDword,
          "a number value reads with its own type");

    // The order of values is the registry's own; find each one first.
    std::string name;
    unsigned long serialIndex = 99, longIndex = 99, count = 0;
    while (opened->enumValue(count, 256, 256, name, type, data) == Registry::Success) {
        if (name == "\\Device\\Serial0")
            serialIndex = count;
        if (name == "\\Device\\VeryLongSerialName")
            longIndex = count;
        ++count;
    }
    check(count == 4, "enumeration visits every value");
    check(opened->enumValue(serialIndex, 16, 16, name, type, data) == Registry::Success &&
              name == "\\Device\\Serial0" && type == Registry::TypeSz && data == std::string("COM1", 5),
          "enumeration gives name, type and data");
    check(opened->enumValue(longIndex, 16, 16, name, type, data) == Registry::MoreData,
          "a name longer than 15 characters is MoreData");
    check(opened->enumValue(count, 16, 16, name, type, data) == Registry::NoMoreItems,
          "past the last value: NoMoreItems");
    check(opened->close() == Registry::Success, "the key closes");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, TestKey);
}

std::string readFile(const std::string& path)
{
    std::string content;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        char buffer[256];
        size_t count;
        while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            content.append(buffer, count);
        std::fclose(file);
    }
    return content;
}

void testLogFile()
{
    char directory[MAX_PATH];
    GetTempPathA(MAX_PATH, directory);
    const std::string path = std::string(directory) + "ringlet-selftest.log";
    DeleteFileA(path.c_str());

    check(appendExclusive(path, "A @ 12/05/99 14:03:27\r\n").status == LogAppendStatus::Written,
          "a new log is created");
    check(appendExclusive(path, "B @ 12/05/99 14:03:28\r\n").status == LogAppendStatus::Written,
          "a second line goes in");
    check(readFile(path) == "A @ 12/05/99 14:03:27\r\nB @ 12/05/99 14:03:28\r\n",
          "lines are appended, never truncated");

    const HANDLE holder = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    const LogAppendResult held = appendExclusive(path, "C\r\n");
    check(held.status == LogAppendStatus::OpenFailed && !held.reason.empty(),
          "a log another program holds open is refused with a reason");
    CloseHandle(holder);
    check(readFile(path).size() == 46, "the refused line left the log unchanged");
    DeleteFileA(path.c_str());

    const char pipeName[] = "\\\\.\\pipe\\ringlet-selftest-log";
    const HANDLE pipe = CreateNamedPipeA(pipeName, PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 1, 256, 256, 0, nullptr);
    const LogAppendResult toPipe = appendExclusive(pipeName, "D\r\n");
    check(toPipe.status == LogAppendStatus::OpenFailed && toPipe.reason == "it is a named pipe, not a file",
          "a named pipe in the log's place is refused as no file");
    CloseHandle(pipe);
    // A console in the log's place cannot be shown here: under Wine without one, CONOUT$ does not open.
    check(appendExclusive("NUL", "E\r\n").status == LogAppendStatus::Written, "NUL takes the line");
}

void testSystemMenu()
{
    const HWND window = CreateWindowExA(0, "STATIC", "Ringlet", WS_OVERLAPPEDWINDOW, 0, 0, 200, 80, nullptr, nullptr,
                                        GetModuleHandleA(nullptr), nullptr);
    check(window != nullptr, "a window with a system menu is created");
    if (!window)
        return;
    const int before = GetMenuItemCount(GetSystemMenu(window, FALSE));
    appendSystemMenuItems(window, "&About ringlet...", 0x0010, "Configuration...", 0x0020);
    const HMENU menu = GetSystemMenu(window, FALSE);
    check(GetMenuItemCount(menu) == before + 3, "a separator and two items are appended");
    check(GetMenuState(menu, 0x0010, MF_BYCOMMAND) != static_cast<UINT>(-1) &&
              GetMenuState(menu, 0x0020, MF_BYCOMMAND) != static_cast<UINT>(-1),
          "the items carry commands 0x0010 and 0x0020");

    MSG message = {};
    message.hwnd = window;
    message.message = WM_SYSCOMMAND;
    message.wParam = 0x0013;
    check(systemCommandFromMessage(&message) == 0x0010, "a system command loses its low four bits");
    message.message = WM_COMMAND;
    check(systemCommandFromMessage(&message) == -1, "other messages are not system commands");

    message.message = WM_CLOSE;
    check(isWindowCloseRequest("windows_generic_MSG", &message), "WM_CLOSE is a close request");
    message.message = WM_SYSCOMMAND;
    check(!isWindowCloseRequest("windows_generic_MSG", &message), "other messages are not close requests");
    DestroyWindow(window);
}
void testPortDiagnosis()
{
    check(diagnosePort("COM199").fault == PortFault::Missing, "a port that does not exist is missing");
    const PortDiagnosis longName = diagnosePort("COM" + std::string(300, '1'));
    check(longName.fault == PortFault::NotSerial || longName.fault == PortFault::Missing,
          "a far too long name is no port");

    char directory[MAX_PATH];
    GetTempPathA(MAX_PATH, directory);
    const std::string path = std::string(directory) + "ringlet-selftest.port";
    const HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    CloseHandle(file);
    const PortDiagnosis regular = diagnosePort(path);
    check(regular.fault == PortFault::NotSerial, "a regular file is not a serial port");
    DeleteFileA(path.c_str());
}

// Wine offers no comm port with modem-status lines here, so only handles without
// them are tried: they must read as Unreadable (watched by lines alone), never as a ring.
void testRingPin()
{
    const std::unique_ptr<RingPin> pin = createRingPin();
    check(pin->read(reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE)) == RingPin::State::Unreadable,
          "an invalid handle has no readable ring pin");
    char directory[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, directory);
    const std::string path = std::string(directory) + "ringlet_ringpin.tmp";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    check(file != INVALID_HANDLE_VALUE, "a plain file opens");
    check(pin->read(reinterpret_cast<std::intptr_t>(file)) == RingPin::State::Unreadable,
          "a plain file has no readable ring pin");
    CloseHandle(file);
}

// A class name beyond ASCII: the watcher hands it over as UTF-8.
const wchar_t ForegroundClass[] = L"RingletSelfTestCaf\u00e9";
const char ForegroundClassUtf8[] = "RingletSelfTestCaf\xc3\xa9";

void pumpMessages(DWORD milliseconds)
{
    const DWORD end = GetTickCount() + milliseconds;
    while (GetTickCount() < end) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

// The child process of testForegroundWatcher: a window of its own class that
// asks to become the foreground window, for a few seconds.
int runForegroundWindow()
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = ForegroundClass;
    RegisterClassW(&windowClass);
    const HWND window = CreateWindowExW(0, ForegroundClass, L"Other application", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40,
                                        40, 200, 80, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(window);
    pumpMessages(3000);
    DestroyWindow(window);
    return 0;
}

bool startForegroundWindowProcess(PROCESS_INFORMATION& process)
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string commandLine = std::string("\"") + path + "\" --foreground-window";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    return CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
}

bool underWine()
{
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

bool isForegroundClass(const ForegroundApp& app)
{
    return !app.classes.empty() && app.classes.front() == ForegroundClassUtf8;
}

void testForegroundWatcher()
{
    const auto watcher = createForegroundWatcher();
    std::vector<ForegroundApp> reports;
    const auto record = [&reports](const ForegroundApp& app) { reports.push_back(app); };
    check(watcher->start(record), "the foreground hook is set");
    reports.clear(); // the window active before, if any

    PROCESS_INFORMATION process = {};
    if (!startForegroundWindowProcess(process)) {
        check(false, "a second process with a window starts");
        return;
    }
    bool reported = false;
    for (int i = 0; i < 60 && !reported; ++i) {
        pumpMessages(50);
        for (const ForegroundApp& app : reports)
            reported = reported || isForegroundClass(app);
    }
    if (reported || !underWine())
        check(reported, "another process's window becoming the foreground one is reported");
    else
        std::printf("NOT SHOWN: Wine delivers no EVENT_SYSTEM_FOREGROUND for another process's window\n");

    // Started again while that window is in front, the watcher describes it at once.
    watcher->stop();
    reports.clear();
    check(watcher->start(record), "the hook is set again");
    const bool described = reports.size() == 1 && isForegroundClass(reports.front());
    check(described && reports.front().alreadyActive && !reports.front().ownProcess &&
              reports.front().executable == "win_selftest.exe",
          "the window in front is described by its class, in UTF-8, and the other process's executable");
    watcher->stop();
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
}
} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--foreground-window") == 0)
        return runForegroundWindow();
    testRegistry();
    testLogFile();
    testSystemMenu();
    testPortDiagnosis();
    testRingPin();
    testForegroundWatcher();
    std::printf("%d passed, %d failed\n", g_passes, g_failures);
    return g_failures == 0 ? 0 : 1;
}
