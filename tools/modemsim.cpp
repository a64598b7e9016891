// ringlet-modemsim: a caller-ID modem on a pseudo-terminal, for the demo and the tests.
//
// How it works: the simulator owns the master side of a pty and keeps one fd of
// the slave side open itself, so a client that opens and closes the port again
// and again never leaves the master in the hung-up state (where poll() would
// report POLLHUP without end). An inotify watch on the slave device tells when
// clients open and close it; when the last one closes, whatever it did not read
// is flushed and pending answers are dropped, as a real line loses bytes sent
// while nobody listens. Idle, it sleeps in ppoll() without a timeout. SIGUSR1
// rings the line: the RING result goes out between answers, as a modem sends it.
// A call on a real line's cadence is a timeline of rings and its caller-ID
// block, each sent when due to whoever has the port open then, else lost.

#include <pty.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/inotify.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const char usageText[] = R"(Usage: ringlet-modemsim [options]
A caller-ID modem on a pseudo-terminal. Prints the device path on the first line
of stdout, then answers until SIGTERM or SIGINT. Each SIGUSR1 sends the
unsolicited result CR LF RING CR LF, as an incoming call's ring does (lost, like
any output, while no client has the port open).

A line ends with CR, LF or CR LF. The command line gets
  CR LF <marker><number> CR LF CR LF OK CR LF
every other line (the empty one too) gets CR LF OK CR LF.

  --command TEXT        the command to answer with a number (default AT\L1)
  --numbers LIST        comma-separated numbers served in turn, cycling (default 0123456789);
                        \xHH in a number stands for the byte HH
  --marker TEXT         the text before the number (default "CALLING ")
  --no-marker           the number line without a marker
  --no-crlf             the answer ends right after the number (no CR LF, no OK)
  --echo                echo each received line, with its CR, before answering
  --delay-ms N          wait N ms before answering
  --hangup-after-command  exit (closing the line) as soon as the command arrives
  --flood               after answering the command, send bytes without end until
                        the client closes the port
  --once                exit after the first answer to the command, once the client
                        has closed the port
  --transcript FILE     append every byte received, raw, to FILE
  --link PATH           make PATH a symbolic link to the device (removed at exit)
  --rings-per-signal N  send N RING results for each SIGUSR1 (default 1)

Caller ID announced between rings, as most caller-ID modems do once told to:
  --announce            after the first RING of each call send the block
                          CR LF DATE = MMDD CR LF TIME = HHMM CR LF NMBR = <number> CR LF
                          NAME = <name> CR LF
                        with the numbers of --numbers in turn, but only once the modem has
                        received the enabling command (and until it is restarted)
  --announce-command TEXT  the enabling command (default AT+VCID=1)
  --caller-name TEXT    the NAME in the block (default "JOHN Q SAMPLE"); empty: no NAME line
  --withheld            the caller withheld the number: NMBR = P and NAME = P
  --unavailable         the number is unavailable (out of area): NMBR = O and NAME = O
  --call-gap-ms N       a RING less than N ms after the one before belongs to the same call
                        (default 8000); 0: every RING starts a call
  --cadence N           each SIGUSR1 is a whole call of N rings on a real line's cadence:
                        a RING every 6 s (2 s ring, 4 s pause), the block 0.5 s after
                        the first ring ends

A modem family, as real caller-ID modems behave (without it, every line is answered OK):
  --family NAME         vcid: a voice modem that wants AT+VCID=1; cid: an older one that
                        wants AT#CID=1; clip: a mobile-network dongle that wants AT+CLIP=1
                        and reports +CLIP after each RING; query: one that answers the
                        command (--command) with the last caller. Each echoes commands
                        until ATE0, tells its identity (ATI3, ATI, AT+GMM as the family
                        does), answers ERROR to commands it does not know, announces
                        callers only after its own command (not query), and forgets that
                        command on ATZ, AT&F and SIGUSR2 (a power blip)
  --announce-numbers LIST  the numbers announced, in turn (default: those of --numbers)

Picking up to hang up on a caller:
  --ring-period-ms N    the cadence's ring period (default 6000); the block comes
                        5/12 of a period after the first ring
  --events FILE         append "<ms> RING" for each ring sent and "<ms> OFFHOOK" for the
                        off-hook command (ms since the simulator started)
  --refuse-offhook      answer ERROR to the off-hook command
                        The off-hook command (ATH1; AT+CHUP for --family clip) ends the call:
                        no more rings, no more caller ID; ATH0 (or ATH) is on-hook again.
  --help                this text
)";

struct Options
{
    std::string command = "AT\\L1";
    std::vector<std::string> numbers{"0123456789"};
    std::string marker = "CALLING ";
    std::string link;
    std::string transcript;
    std::string announceCommand = "AT+VCID=1";
    std::string callerName = "JOHN Q SAMPLE";
    std::string absentNumber; // "P" or "O": the block says so in place of number and name
    std::string family;       // vcid, cid, clip, query; empty: no family, every line gets OK
    std::vector<std::string> announcedNumbers;
    bool announce = false;
    int callGapMs = 8000;
    int cadenceRings = 0;
    int ringPeriodMs = 6000;
    std::string events;
    bool refuseOffHook = false;
    bool withMarker = true;
    bool crlf = true;
    bool echo = false;
    bool hangup = false;
    bool flood = false;
    bool once = false;
    int delayMs = 0;
    int ringsPerSignal = 1;
};

// Set by the signal handler, read by the loop after ppoll() returns.
volatile std::sig_atomic_t ringRequests = 0;
volatile std::sig_atomic_t stopRequested = 0;
volatile std::sig_atomic_t blipRequests = 0;

std::vector<std::string> splitList(const std::string& text)
{
    std::vector<std::string> items;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        const std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (!item.empty())
            items.push_back(item);
        if (comma == std::string::npos)
            return items;
        start = comma + 1;
    }
}

// "\xHH" becomes the byte HH, so a test can serve bytes that are not text.
std::string unescapeBytes(const std::string& text)
{
    std::string bytes;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\\x") == 0 && i + 3 < text.size() &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 3]))) {
            bytes += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            bytes += text[i];
        }
    }
    return bytes;
}

// Returns an empty string on success, else what is wrong.
std::string parseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc)
                return false;
            out = argv[++i];
            return true;
        };
        std::string text;
        if (arg == "--command" && value(text))
            options.command = text;
        else if (arg == "--numbers" && value(text)) {
            options.numbers.clear();
            for (const std::string& number : splitList(text))
                options.numbers.push_back(unescapeBytes(number));
        } else if (arg == "--marker" && value(text))
            options.marker = text;
        else if (arg == "--link" && value(text))
            options.link = text;
        else if (arg == "--transcript" && value(text))
            options.transcript = text;
        else if (arg == "--delay-ms" && value(text))
            options.delayMs = std::atoi(text.c_str());
        else if (arg == "--rings-per-signal" && value(text))
            options.ringsPerSignal = std::atoi(text.c_str());
        else if (arg == "--announce")
            options.announce = true;
        else if (arg == "--announce-command" && value(text))
            options.announceCommand = text;
        else if (arg == "--caller-name" && value(text))
            options.callerName = text;
        else if (arg == "--withheld")
            options.absentNumber = "P";
        else if (arg == "--unavailable")
            options.absentNumber = "O";
        else if (arg == "--call-gap-ms" && value(text))
            options.callGapMs = std::atoi(text.c_str());
        else if (arg == "--cadence" && value(text))
            options.cadenceRings = std::atoi(text.c_str());
        else if (arg == "--no-marker")
            options.withMarker = false;
        else if (arg == "--no-crlf")
            options.crlf = false;
        else if (arg == "--echo")
            options.echo = true;
        else if (arg == "--hangup-after-command")
            options.hangup = true;
        else if (arg == "--flood")
            options.flood = true;
        else if (arg == "--once")
            options.once = true;
        else if (arg == "--ring-period-ms" && value(text))
            options.ringPeriodMs = std::atoi(text.c_str());
        else if (arg == "--events" && value(text))
            options.events = text;
        else if (arg == "--refuse-offhook")
            options.refuseOffHook = true;
        else if (arg == "--family" && value(text))
            options.family = text;
        else if (arg == "--announce-numbers" && value(text)) {
            for (const std::string& number : splitList(text))
                options.announcedNumbers.push_back(unescapeBytes(number));
        } else
            return "bad or incomplete option: " + arg;
    }
    if (options.numbers.empty())
        return "--numbers needs at least one number";
    if (options.delayMs < 0)
        return "--delay-ms must not be negative";
    if (options.ringsPerSignal < 1)
        return "--rings-per-signal must be at least 1";
    if (options.callGapMs < 0)
        return "--call-gap-ms must not be negative";
    if (options.cadenceRings < 0)
        return "--cadence must not be negative";
    if (options.ringPeriodMs < 100)
        return "--ring-period-ms must be at least 100";
    if (!options.family.empty() && options.family != "vcid" && options.family != "cid" &&
        options.family != "clip" && options.family != "query")
        return "--family must be vcid, cid, clip or query";
    if (options.family == "vcid" || options.family == "cid" || options.family == "clip") {
        options.announce = true;
        options.announceCommand = options.family == "vcid" ? "AT+VCID=1"
                                  : options.family == "cid" ? "AT#CID=1"
                                                            : "AT+CLIP=1";
    }
    if (!options.family.empty())
        options.echo = true;
    if (options.announcedNumbers.empty())
        options.announcedNumbers = options.numbers;
    return {};
}

class Modem
{
public:
    explicit Modem(const Options& options) : m_options(options) {}
    ~Modem();

    bool open();
    const std::string& devicePath() const { return m_path; }
    int run(const sigset_t& runMask);

private:
    struct Pending
    {
        std::string bytes;
        Clock::time_point due;
    };
    // A moment of a call on the line: a ring, or its caller-ID block.
    struct LineEvent
    {
        Clock::time_point due;
        bool isRing;
        bool startsCall = false;
    };

    void readInput();
    void onBytes(const char* data, size_t size);
    void onLine(const std::string& line);
    void onFamilyLine(const std::string& line);
    std::string familyReply(const std::string& command);
    std::string numberAnswer();
    std::string announcedNumber(bool callStarts);
    std::string clipLine(bool callStarts);
    void forget();
    bool isOffHook(const std::string& line) const;
    void goOffHook();
    void logEvent(const char* what);
    void ring();
    void ringOnCadence();
    void addLineEvent(const LineEvent& event);
    void releaseLineEvents();
    std::string callerIdBlock();
    void readClientEvents();
    void writeOutput();
    int pollTimeoutMs() const;
    bool hasDueOutput() const;

    const Options& m_options;
    std::string m_path;
    int m_master = -1;
    int m_slave = -1;
    int m_inotify = -1;
    int m_transcript = -1;
    int m_clients = 0;
    bool m_lastWasCr = false;
    bool m_flooding = false;
    bool m_finished = false;
    bool m_answeredOnce = false;
    bool m_announcing = false; // told to announce callers since it started, as a modem since power-up
    bool m_hasRung = false;
    bool m_echo = m_options.echo;
    std::string m_callNumber; // the number the current call announces
    int m_events = -1;
    Clock::time_point m_started = Clock::now();
    Clock::time_point m_lastRing;
    size_t m_nextNumber = 0;
    size_t m_nextAnnounced = 0;
    std::string m_line;
    std::deque<Pending> m_pending;
    std::deque<LineEvent> m_lineEvents; // in time order
};

Modem::~Modem()
{
    if (!m_options.link.empty()) {
        // Only our own link: a successor may already have replaced it.
        char target[512] = {};
        if (readlink(m_options.link.c_str(), target, sizeof target - 1) > 0 && m_path == target)
            unlink(m_options.link.c_str());
    }
    for (int fd : {m_master, m_slave, m_inotify, m_transcript, m_events})
        if (fd >= 0)
            close(fd);
}

bool Modem::open()
{
    if (openpty(&m_master, &m_slave, nullptr, nullptr, nullptr) != 0) {
        std::perror("openpty");
        return false;
    }
    termios raw{};
    tcgetattr(m_slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(m_slave, TCSANOW, &raw);
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    fcntl(m_master, F_SETFD, FD_CLOEXEC);
    fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    m_path = ttyname(m_slave);

    // Without the watch every moment counts as a client being there.
    m_inotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_inotify < 0 || inotify_add_watch(m_inotify, m_path.c_str(), IN_OPEN | IN_CLOSE) < 0)
        m_clients = -1;

    if (!m_options.transcript.empty()) {
        m_transcript = ::open(m_options.transcript.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (m_transcript < 0) {
            std::perror(m_options.transcript.c_str());
            return false;
        }
    }
    if (!m_options.events.empty()) {
        m_events = ::open(m_options.events.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (m_events < 0) {
            std::perror(m_options.events.c_str());
            return false;
        }
    }
    if (!m_options.link.empty()) {
        unlink(m_options.link.c_str());
        if (symlink(m_path.c_str(), m_options.link.c_str()) != 0) {
            std::perror(m_options.link.c_str());
            return false;
        }
    }
    return true;
}

void Modem::readClientEvents()
{
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t size = read(m_inotify, buffer, sizeof buffer);
        if (size <= 0)
            return;
        for (ssize_t offset = 0; offset < size;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            if (event->mask & IN_OPEN)
                ++m_clients;
            if ((event->mask & IN_CLOSE) && m_clients > 0 && --m_clients == 0) {
                tcflush(m_slave, TCIFLUSH);
                m_pending.clear();
                m_flooding = false;
            }
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

void Modem::readInput()
{
    char buffer[4096];
    for (;;) {
        const ssize_t size = read(m_master, buffer, sizeof buffer);
        if (size <= 0)
            return;
        if (m_transcript >= 0 && write(m_transcript, buffer, static_cast<size_t>(size)) < 0)
            std::perror("transcript");
        onBytes(buffer, static_cast<size_t>(size));
    }
}

void Modem::onBytes(const char* data, size_t size)
{
    constexpr size_t maxLine = 4096;
    for (size_t i = 0; i < size && !m_finished; ++i) {
        const char c = data[i];
        if (c == '\n' && m_lastWasCr) {
            m_lastWasCr = false;
            continue;
        }
        m_lastWasCr = c == '\r';
        if (c == '\r' || c == '\n') {
            onLine(m_line);
            m_line.clear();
        } else if (m_line.size() < maxLine) {
            m_line += c;
        }
    }
}

void Modem::onLine(const std::string& line)
{
    if (isOffHook(line)) {
        goOffHook();
        const std::string result = m_options.refuseOffHook ? "\r\nERROR\r\n" : "\r\nOK\r\n";
        m_pending.push_back({(m_echo ? line + "\r" : std::string()) + result, Clock::now()});
        return;
    }
    if (!m_options.family.empty()) {
        onFamilyLine(line);
        return;
    }
    const bool isCommand = line == m_options.command;
    if (line == m_options.announceCommand)
        m_announcing = true;
    if (isCommand && m_options.hangup) {
        m_finished = true;
        return;
    }
    std::string answer;
    if (m_echo)
        answer = line + "\r";
    if (isCommand) {
        answer += numberAnswer();
    } else {
        answer += "\r\nOK\r\n";
    }
    m_pending.push_back({answer, Clock::now() + std::chrono::milliseconds(m_options.delayMs)});
    if (isCommand && m_options.flood)
        m_pending.push_back({std::string(), m_pending.back().due}); // marks where the flood begins
}

std::string Modem::numberAnswer()
{
    const std::string& number = m_options.numbers[m_nextNumber++ % m_options.numbers.size()];
    std::string answer = "\r\n" + (m_options.withMarker ? m_options.marker : std::string()) + number;
    if (m_options.crlf)
        answer += "\r\n\r\nOK\r\n";
    return answer;
}

// A modem of a family: commands are case-blind, a line not starting with AT
// is no command and gets nothing, and what the family does not know is ERROR.
void Modem::onFamilyLine(const std::string& line)
{
    std::string command;
    for (const char c : line)
        if (c != ' ')
            command += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (command.compare(0, 2, "AT") != 0)
        return;
    std::string upperCommand;
    for (const char c : m_options.command)
        upperCommand += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::string answer = m_echo ? line + "\r" : std::string();
    if (m_options.family == "query" && command == upperCommand) {
        answer += numberAnswer();
    } else {
        const std::string reply = familyReply(command);
        answer += reply == "ERROR" ? "\r\nERROR\r\n" : reply + "\r\nOK\r\n";
    }
    m_pending.push_back({answer, Clock::now() + std::chrono::milliseconds(m_options.delayMs)});
}

// The information lines of the family's answer to `command` (each CR LF first),
// or ERROR.
std::string Modem::familyReply(const std::string& command)
{
    const std::string& family = m_options.family;
    if (command == "AT")
        return {};
    if (command == "ATZ" || command == "AT&F") {
        forget();
        return {};
    }
    if (command == "ATE0" || command == "ATE") {
        m_echo = false;
        return {};
    }
    if (command == "ATE1") {
        m_echo = true;
        return {};
    }
    if (command == "ATH0" || command == "ATH")
        return {}; // on-hook, as it is already after an off-hook ended the call
    if (command == "ATI3" && family != "clip")
        return family == "vcid"   ? "\r\nRinglet Sim 56K Voice USB V1.2"
               : family == "cid" ? "\r\nRinglet Sim 33.6 Data Fax"
                                 : "\r\nRinglet Sim Caller ID Modem";
    if (command == "ATI")
        return family == "clip" ? "\r\nManufacturer: Ringlet Sim\r\nModel: SIM3G\r\nRevision: 1.0" : "\r\n5601";
    if (command == "AT+GMM" && family == "clip")
        return "\r\nSIM3G";
    if (family == "query")
        return "ERROR";
    std::string own = m_options.announceCommand; // e.g. AT+VCID=1
    const std::string stem = own.substr(0, own.find('='));
    if (command.compare(0, stem.size(), stem) != 0)
        return "ERROR";
    const std::string rest = command.substr(stem.size());
    const std::string prefix = family == "clip" ? "+CLIP: " : "";
    if (rest == "=?")
        return "\r\n" + prefix + (family == "clip" ? "(0,1)" : "(0-2)");
    if (rest == "?")
        return "\r\n" + prefix + (m_announcing ? "1" : "0") + (family == "clip" ? ",1" : "");
    if (rest == "=1") {
        m_announcing = true;
        return {};
    }
    if (rest == "=0") {
        m_announcing = false;
        return {};
    }
    return "ERROR";
}

bool Modem::isOffHook(const std::string& line) const
{
    std::string command;
    for (const char c : line)
        if (c != ' ')
            command += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return command == "ATH1" || (m_options.family == "clip" && command == "AT+CHUP");
}

// The modem picks up: the caller's call ends, and what was still to come of it
// (rings, its caller ID) never comes.
void Modem::goOffHook()
{
    logEvent("OFFHOOK");
    if (m_options.refuseOffHook)
        return;
    m_lineEvents.clear();
    m_hasRung = false;
}

void Modem::logEvent(const char* what)
{
    if (m_events < 0)
        return;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - m_started).count();
    const std::string line = std::to_string(ms) + " " + what + "\n";
    if (write(m_events, line.data(), line.size()) < 0)
        std::perror("events");
}

// What a reset or a power blip makes the modem forget: caller ID off, echo on.
void Modem::forget()
{
    m_announcing = false;
    m_echo = true;
}

void Modem::ring()
{
    if (m_options.cadenceRings > 0) {
        ringOnCadence();
        return;
    }
    std::string rings;
    for (int i = 0; i < m_options.ringsPerSignal; ++i) {
        const Clock::time_point now = Clock::now();
        const bool callStarts = !m_hasRung || now - m_lastRing >= std::chrono::milliseconds(m_options.callGapMs);
        m_hasRung = true;
        m_lastRing = now;
        rings += "\r\nRING\r\n";
        logEvent("RING");
        if (m_options.family == "clip")
            rings += clipLine(callStarts);
        else if (callStarts)
            rings += callerIdBlock();
    }
    m_pending.push_back({rings, Clock::now()});
}

void Modem::ringOnCadence()
{
    using std::chrono::milliseconds;
    const Clock::time_point start = Clock::now();
    const int period = m_options.ringPeriodMs;
    for (int i = 0; i < m_options.cadenceRings; ++i)
        addLineEvent({start + milliseconds(period * i), true, i == 0});
    if (m_options.announce && m_options.family != "clip")
        addLineEvent({start + milliseconds(period * 5 / 12), false});
}

void Modem::addLineEvent(const LineEvent& event)
{
    const auto later = std::upper_bound(m_lineEvents.begin(), m_lineEvents.end(), event.due,
                                        [](Clock::time_point due, const LineEvent& other) { return due < other.due; });
    m_lineEvents.insert(later, event);
}

// What is due goes out now, or is lost when nobody has the port open.
void Modem::releaseLineEvents()
{
    while (!m_lineEvents.empty() && m_lineEvents.front().due <= Clock::now()) {
        const bool isRing = m_lineEvents.front().isRing;
        const bool startsCall = m_lineEvents.front().startsCall;
        std::string bytes = isRing ? std::string("\r\nRING\r\n") : callerIdBlock();
        if (isRing)
            logEvent("RING");
        if (isRing && m_options.family == "clip")
            bytes += clipLine(startsCall);
        m_lineEvents.pop_front();
        if (!bytes.empty())
            m_pending.push_back({bytes, Clock::now()});
    }
}

// The block a modem sends between the first two rings; nothing until it was told to.
std::string Modem::callerIdBlock()
{
    if (!m_options.announce || !m_announcing)
        return {};
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char date[8] = {};
    char time[8] = {};
    std::strftime(date, sizeof date, "%m%d", &local);
    std::strftime(time, sizeof time, "%H%M", &local);
    std::string block = std::string("\r\nDATE = ") + date + "\r\nTIME = " + time + "\r\n";
    if (!m_options.absentNumber.empty())
        return block + "NMBR = " + m_options.absentNumber + "\r\nNAME = " + m_options.absentNumber + "\r\n";
    block += "NMBR = " + announcedNumber(true) + "\r\n";
    if (!m_options.callerName.empty())
        block += "NAME = " + m_options.callerName + "\r\n";
    return block;
}

// A new call takes the next number in turn; its later rings repeat it.
std::string Modem::announcedNumber(bool callStarts)
{
    if (callStarts || m_callNumber.empty())
        m_callNumber = m_options.announcedNumbers[m_nextAnnounced++ % m_options.announcedNumbers.size()];
    return m_callNumber;
}

// What a mobile-network modem sends after each RING once told AT+CLIP=1.
std::string Modem::clipLine(bool callStarts)
{
    if (!m_announcing)
        return {};
    if (!m_options.absentNumber.empty())
        return std::string("\r\n+CLIP: \"\",128,,,,") + (m_options.absentNumber == "P" ? "1" : "2") + "\r\n";
    return "\r\n+CLIP: \"" + announcedNumber(callStarts) + "\",129,,,,0\r\n";
}

bool Modem::hasDueOutput() const
{
    return m_flooding || (!m_pending.empty() && m_pending.front().due <= Clock::now());
}

// Until the next answer or moment of a call is due; -1: no time limit.
int Modem::pollTimeoutMs() const
{
    const bool answerWaits = !m_pending.empty() && !hasDueOutput();
    if (!answerWaits && m_lineEvents.empty())
        return -1;
    Clock::time_point next = answerWaits ? m_pending.front().due : m_lineEvents.front().due;
    if (!m_lineEvents.empty())
        next = std::min(next, m_lineEvents.front().due);
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(0, wait.count()));
}

// Writes what is due without blocking.
void Modem::writeOutput()
{
    static const std::string floodChunk = [] {
        std::string chunk;
        while (chunk.size() < 4096)
            chunk += "RING 0123456789 ABCDEFGHIJKLMNOPQRSTUVWXYZ\r\n";
        return chunk;
    }();
    // A bounded turn, so a reader as fast as the flood cannot keep signals and closes waiting.
    for (int turn = 0; turn < 64 && hasDueOutput(); ++turn) {
        if (m_pending.empty() || m_pending.front().due > Clock::now()) {
            if (write(m_master, floodChunk.data(), floodChunk.size()) < 0)
                return;
            continue;
        }
        Pending& front = m_pending.front();
        if (front.bytes.empty()) {
            m_flooding = true;
            m_pending.pop_front();
            continue;
        }
        const ssize_t written = write(m_master, front.bytes.data(), front.bytes.size());
        if (written < 0)
            return;
        front.bytes.erase(0, static_cast<size_t>(written));
        if (front.bytes.empty()) {
            m_pending.pop_front();
            // Closing the master now would hang up before the client has read the answer.
            if (m_options.once && !m_flooding && m_nextNumber > 0 && m_pending.empty())
                m_answeredOnce = true;
        }
    }
}

int Modem::run(const sigset_t& runMask)
{
    while (!m_finished) {
        pollfd fds[2] = {{m_master, POLLIN, 0}, {m_inotify, POLLIN, 0}};
        if (hasDueOutput())
            fds[0].events |= POLLOUT;
        const int timeoutMs = pollTimeoutMs();
        timespec timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000000L};
        const int ready = ppoll(fds, m_inotify >= 0 ? 2 : 1, timeoutMs < 0 ? nullptr : &timeout, &runMask);
        if (ready < 0 && errno != EINTR) {
            std::perror("ppoll");
            return 1;
        }
        if (stopRequested)
            return 0;
        for (; blipRequests > 0; --blipRequests)
            forget();
        for (; ringRequests > 0; --ringRequests)
            ring();
        if (ready < 0)
            continue;
        if (m_inotify >= 0 && (fds[1].revents & POLLIN))
            readClientEvents();
        if (fds[0].revents & POLLIN)
            readInput();
        releaseLineEvents();
        if (m_clients == 0) {
            m_pending.clear(); // nobody listens: the answer is lost on the line
            m_flooding = false;
        }
        writeOutput();
        if (m_answeredOnce && m_clients <= 0)
            return 0;
    }
    return 0;
}

void onSignal(int sig)
{
    if (sig == SIGUSR1)
        ++ringRequests;
    else if (sig == SIGUSR2)
        ++blipRequests;
    else
        stopRequested = 1;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(usageText, stdout);
            return 0;
        }
    }
    const std::string error = parseOptions(argc, argv, options);
    if (!error.empty()) {
        std::fprintf(stderr, "ringlet-modemsim: %s\n%s", error.c_str(), usageText);
        return 2;
    }

    // The signals stay blocked except inside ppoll(), so none is lost between two waits.
    sigset_t blocked;
    sigset_t runMask;
    sigemptyset(&blocked);
    for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGUSR1, SIGUSR2})
        sigaddset(&blocked, sig);
    sigprocmask(SIG_BLOCK, &blocked, &runMask);
    struct sigaction action
    {
    };
    action.sa_handler = onSignal;
    for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGUSR1, SIGUSR2})
        sigaction(sig, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    Modem modem(options);
    if (!modem.open())
        return 1;
    std::printf("%s\n", modem.devicePath().c_str());
    std::fflush(stdout);
    return modem.run(runMask);
}
