#include "PseudoTerminal.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

PseudoTerminal::PseudoTerminal()
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0)
        return;
    m_path = QString::fromLocal8Bit(ptsname(m_master));
    m_device = ::open(ptsname(m_master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_device < 0)
        return;
    // Bytes pass as they are: no CR to LF, no echo.
    termios raw{};
    tcgetattr(m_device, &raw);
    cfmakeraw(&raw);
    tcsetattr(m_device, TCSANOW, &raw);
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_reader = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    QObject::connect(m_reader.get(), &QSocketNotifier::activated, [this] { drain(); });
}

PseudoTerminal::~PseudoTerminal()
{
    m_reader.reset();
    for (int fd : {m_device, m_master})
        if (fd >= 0)
            ::close(fd);
}

bool PseudoTerminal::write(const QByteArray& bytes)
{
    return isOpen() && ::write(m_master, bytes.constData(), bytes.size()) == bytes.size();
}

void PseudoTerminal::drain()
{
    char buffer[256];
    while (::read(m_master, buffer, sizeof buffer) > 0) {
    }
}
