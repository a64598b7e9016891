// The foreground window on Windows: a WinEvent hook for EVENT_SYSTEM_FOREGROUND,
// out of context, so the system queues each event to this thread and the GUI
// thread's message loop (Qt's event loop) delivers it; Ringlet's own process is
// skipped. The application is named by the executable of the window's process
// and by the window's class. Win32 and the standard library only.

#include "ForegroundWatcher.h"

#include <windows.h>

namespace {
std::string utf8(const wchar_t* text, int length)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string result(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text, length, &result[0], size, nullptr, nullptr);
    return result;
}

std::string executableOf(DWORD processId)
{
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process)
        return std::string();
    wchar_t path[MAX_PATH * 4];
    DWORD length = MAX_PATH * 4;
    std::string name;
    if (QueryFullProcessImageNameW(process, 0, path, &length)) {
        std::wstring full(path, length);
        const size_t slash = full.find_last_of(L"\\/");
        const std::wstring base = slash == std::wstring::npos ? full : full.substr(slash + 1);
        name = utf8(base.c_str(), static_cast<int>(base.size()));
    }
    CloseHandle(process);
    return name;
}

ForegroundApp describeWindow(HWND window, bool alreadyActive)
{
    ForegroundApp app;
    app.alreadyActive = alreadyActive;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    app.ownProcess = processId == GetCurrentProcessId();
    app.transient = GetWindow(window, GW_OWNER) != nullptr;
    app.executable = executableOf(processId);
    wchar_t className[256];
    const int length = GetClassNameW(window, className, 256);
    if (length > 0)
        app.classes.push_back(utf8(className, length));
    return app;
}

class WinForegroundWatcher;
// The hook's callback carries no context; one watcher is started at a time.
WinForegroundWatcher* g_started = nullptr;

class WinForegroundWatcher : public ForegroundWatcher
{
public:
    ~WinForegroundWatcher() override { stop(); }

    bool start(Handler handler) override
    {
        stop();
        m_hook = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, &onEvent, 0, 0,
                                 WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
        if (!m_hook)
            return false;
        if (g_started)
            g_started->stop();
        g_started = this;
        m_handler = std::move(handler);
        if (const HWND current = GetForegroundWindow())
            m_handler(describeWindow(current, true));
        return true;
    }

    // The hook skips this process: its windows become active unseen.
    bool seesOwnWindows() const override { return false; }

    void stop() override
    {
        if (!m_hook)
            return;
        UnhookWinEvent(m_hook);
        m_hook = nullptr;
        m_handler = nullptr;
        if (g_started == this)
            g_started = nullptr;
    }

private:
    static void CALLBACK onEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG, DWORD, DWORD)
    {
        // A change to no foreground window is not an activation.
        if (event != EVENT_SYSTEM_FOREGROUND || object != OBJID_WINDOW || !window || !g_started)
            return;
        g_started->m_handler(describeWindow(window, false));
    }

    HWINEVENTHOOK m_hook = nullptr;
    Handler m_handler;
};
} // namespace

std::unique_ptr<ForegroundWatcher> createForegroundWatcher()
{
    return std::make_unique<WinForegroundWatcher>();
}
