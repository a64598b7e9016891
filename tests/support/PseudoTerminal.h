#pragma once

#include <QByteArray>
#include <QSocketNotifier>
#include <QString>

#include <memory>

// A pseudo-terminal on which a test plays the modem: the program under test
// opens devicePath() as its serial port and reads what the test writes. What
// the program sends (its ring command) is read and dropped, so it never fills
// the terminal. The test keeps the device open itself too, so the program may
// close and open it again without hanging the line up.
class PseudoTerminal
{
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool isOpen() const { return m_master >= 0 && m_device >= 0; }
    QString devicePath() const { return m_path; }
    // Sends `bytes` as the modem would; false when not all of them went.
    bool write(const QByteArray& bytes);

private:
    void drain();

    int m_master = -1;
    int m_device = -1;
    QString m_path;
    std::unique_ptr<QSocketNotifier> m_reader;
};
