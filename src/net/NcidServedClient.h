#pragma once

#include "NcidLine.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>

class QTcpSocket;

// One client of this desk's NCID server, from its greeting to its end: the
// start-up lines (greeting, the HELLO lines it sends read, the call log or
// why there is none, the end of start-up), then the calls served. What it
// sends is read in bounded lines: "REQ: YO" is answered, the rest is passed
// over, and a line longer than any of the protocol's ends it. A client whose
// unsent lines pass LongestQueue (one that never reads) is dropped.
class NcidServedClient : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 LongestQueue = 1024 * 1024;
    // The call log's lines for a client, or none when it is not to be sent.
    using CallLog = std::function<std::optional<QList<QByteArray>>()>;

    // Takes `socket` over; its start-up ends after `helloMs`.
    NcidServedClient(QTcpSocket* socket, CallLog callLog, int helloMs, QObject* parent = nullptr);

    // Sends one line (with its CR LF) once the start-up has ended.
    void send(const QByteArray& line);

signals:
    // The client went, or was dropped; this object is deleted later.
    void gone(NcidServedClient* client);

private:
    void onReadyRead();
    void onLine(const QByteArray& line);
    void endStartup();
    void write(const QByteArray& bytes);
    void drop();

    QTcpSocket* m_socket;
    CallLog m_callLog;
    NcidLineReader m_reader;
    QTimer m_helloWait;
    QByteArray m_held; // calls that came during the start-up
    bool m_started = false;
    bool m_noLog = false;
    bool m_gone = false;
};
