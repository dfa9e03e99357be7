// A merge import into a Getty word list: a list of N lines and an import file of N lines,
// half of them lines the list holds already in other letter case, half new ones. Prints the
// time of the whole merge (backup, reading, comparing, writing). Run by hand:
//   build/bench/merge_bench [lines ...]     (default 10000 100000)
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/files/atomic_file.h"
#include "tagging/word_lists.h"

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes = {10000, 100000};
    QTemporaryDir dir;
    const QString list = dir.filePath(QStringLiteral("GettyBlackList.txt"));
    const QString import = dir.filePath(QStringLiteral("import.txt"));
    std::printf("%10s %10s %12s\n", "lines", "added", "merge ms");
    for (const int n : sizes) {
        QByteArray old, incoming;
        for (int i = 0; i < n; ++i) {
            old += "banned phrase " + QByteArray::number(i) + "\r\n";
            incoming += i % 2 == 0 ? " BANNED Phrase " + QByteArray::number(i) + " \r\n"
                                   : "new phrase " + QByteArray::number(i) + "\r\n";
        }
        files::writeAtomically(list, old);
        files::writeAtomically(import, incoming);
        QElapsedTimer timer;
        timer.start();
        const int added = wordlists::mergeImport(wordlists::ListKind::Blacklist, list, import);
        std::printf("%10d %10d %12lld\n", n, added, static_cast<long long>(timer.elapsed()));
    }
    return 0;
}
