#include "platform/dialogs/dialogs.h"

namespace dialogs {
namespace {
Dialogs* installed = nullptr;
}

Dialogs* qtDialogs();  // platform/dialogs/qtdialogs.cpp

Dialogs& get() {
    return installed ? *installed : *qtDialogs();
}

void install(Dialogs* dialogs) {
    installed = dialogs;
}

std::optional<QString> Dialogs::openFile(const FileRequest& request) {
    FileRequest one = request;
    one.multiSelect = false;
    const QStringList files = openFiles(one);
    if (files.isEmpty()) return std::nullopt;
    return files.first();
}

QString toQtFilter(const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        out << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return out.join(QStringLiteral(";;"));
}

}  // namespace dialogs
