// libFuzzer target for the RTF reader (clang only, see CMakeLists.txt):
//   CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DPIXOLET_FUZZ=ON
//   cmake --build build-fuzz --target fuzz_rtf && build-fuzz/bench/fuzz_rtf -max_total_time=600
// Besides crashes and hangs it checks that what the reader loaded survives the writer:
// reading the written bytes back must give the same bytes again.
#include <QGuiApplication>
#include <QTextDocument>
#include <cstdlib>

#include "platform/rtf/rtf.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QTextDocument doc;
    rtf::read(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), &doc);
    const QByteArray written = rtf::write(doc);
    QTextDocument again;
    rtf::read(written, &again);
    if (rtf::write(again) != written) std::abort();
    return 0;
}
