// Opens a serial port the way the program does, from a process of its own:
// the tests run it as another program that holds the port, or as another user.
//   portopen <port>          prints the error and exits 1, or "open" and exits 0
//   portopen <port> --hold   after "open", holds the port until stdin closes

#include "base/RingletError.h"
#include "link/MSComm.h"

#include <QCoreApplication>

#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 2)
        return 2;
    CMSComm comm;
    comm.SetPortName(arguments.at(1));
    try {
        comm.SetPortOpen(true);
    } catch (const RingletError& error) {
        std::printf("%s\n", error.description().toLocal8Bit().constData());
        return 1;
    }
    std::printf("open\n");
    std::fflush(stdout);
    if (arguments.contains(QStringLiteral("--hold"))) {
        std::string line;
        while (std::getline(std::cin, line)) {
        }
    }
    return 0;
}
