// The About window's information fetch of a large body: time from showing to the reply
// handled, the longest time the window's thread did not answer, and the process's peak
// memory. The body comes from a loopback server, with a Content-Length or chunked. Run by
// hand:
//   build/bench/about_fetch_bench [megabytes] [chunked]     (default 50, with a length)
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/widgets/edits.h"
#include "records/aboutfrm.h"
#include "tests/support/loopback_server.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 megabytes = argc > 1 ? std::atoll(argv[1]) : 50;
    const bool chunked = argc > 2 && std::strcmp(argv[2], "chunked") == 0;

    LoopbackServer server;
    using Framing = LoopbackServer::Reply::Framing;
    server.on("/info.txt", LoopbackServer::Reply::streamed(
                               megabytes << 20, chunked ? Framing::Chunked : Framing::Length));
    about::setInfoCenterAddressForTests(server.url("/info.txt"));

    TAboutFrm about;
    QElapsedTimer sinceTick;
    qint64 longestStall = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestStall = qMax(longestStall, sinceTick.elapsed());
        sinceTick.restart();
    });
    int status = -1;
    QObject::connect(&about, &TAboutFrm::infoCenterHandled, [&](int handled) {
        status = handled;
        app.quit();
    });

    QElapsedTimer timer;
    timer.start();
    sinceTick.start();
    ticker.start(10);
    about.show();
    app.exec();
    longestStall = qMax(longestStall, sinceTick.elapsed());

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf(
        "%lld MB %s: status %d, memo %lld characters, %lld ms to handled, window "
        "thread stalled at most %lld ms, peak memory %ld MB\n",
        static_cast<long long>(megabytes), chunked ? "chunked" : "with a length", status,
        static_cast<long long>(about.memoInfo->document()->characterCount()),
        static_cast<long long>(timer.elapsed()), static_cast<long long>(longestStall),
        usage.ru_maxrss / 1024);
    return 0;
}
