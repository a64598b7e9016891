// Times ExtractNumber on a 1 MiB reply and CallLog::append on an empty log
// against a 100 MB one. Prints medians and PASS/FAIL; exits 1 on any FAIL.

#include "BenchReport.h"
#include "check/CallLog.h"
#include "check/ExtractNumber.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double microseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}

double timeOnce(const std::function<void()>& body)
{
    const auto start = Clock::now();
    body();
    return microseconds(Clock::now() - start);
}

// A modem that chattered for a megabyte before the caller's number came in.
QByteArray largeReply()
{
    QByteArray reply;
    reply.reserve(1 << 20);
    const QByteArray noise("RING\r\nDATE = 0321\r\nTIME = 1405\r\n+++ noise 0123456789 abcdefghij\r\n");
    const QByteArray tail("CALLING 012 345 678\r\nOK\r\n");
    while (reply.size() + noise.size() + tail.size() <= (1 << 20))
        reply += noise;
    reply += QByteArray((1 << 20) - reply.size() - tail.size(), 'x');
    reply += tail;
    return reply;
}

bool benchParse()
{
    const QByteArray reply = largeReply();
    const QByteArray marker("CALLING");
    if (ExtractNumber(reply, marker) != "012 345 678") {
        std::printf("ExtractNumber: wrong result\nFAIL\n");
        return false;
    }
    std::vector<double> runs;
    qsizetype sink = 0;
    for (int i = 0; i < 1001; ++i)
        runs.push_back(timeOnce([&] { sink += ExtractNumber(reply, marker).size(); }));
    const double us = median(runs);
    const bool pass = us < 1000.0;
    std::printf("ExtractNumber, %lld-byte reply, marker %lld bytes from the end: median %.1f us of %zu runs "
                "(target < 1000 us) %s\n",
                static_cast<long long>(reply.size()), static_cast<long long>(reply.size() - reply.indexOf(marker)), us,
                runs.size(), pass ? "PASS" : "FAIL");
    return pass && sink > 0;
}

bool benchAppend()
{
    QTemporaryDir dir;
    const QString small = dir.filePath(QStringLiteral("empty.log"));
    const QString large = dir.filePath(QStringLiteral("large.log"));
    QFile file(large);
    if (!file.open(QIODevice::WriteOnly) || !file.resize(100LL * 1000 * 1000)) {
        std::printf("could not make the 100 MB log\nFAIL\n");
        return false;
    }
    file.close();

    // Alternate the two, so that any drift of the machine hits both alike.
    std::vector<double> onSmall, onLarge;
    for (int i = 0; i < 200; ++i) {
        onSmall.push_back(timeOnce([&] { CallLog::append(small, "012 345 678"); }));
        onLarge.push_back(timeOnce([&] { CallLog::append(large, "012 345 678"); }));
    }
    const double a = median(onSmall);
    const double b = median(onLarge);
    const bool pass = b <= a * 1.5 + 20.0;
    std::printf("CallLog::append, median of %zu: empty log %.1f us, 100 MB log %.1f us, ratio %.2f "
                "(target: 100 MB log <= 1.5 x empty + 20 us) %s\n",
                onSmall.size(), a, b, b / a, pass ? "PASS" : "FAIL");
    return pass;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const bool parseOk = benchParse();
    const bool appendOk = benchAppend();
    return parseOk && appendOk ? 0 : 1;
}
