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
        patterns = patterns.simplified();
        // A description that names its patterns already ("All (*.jpg;*.jpeg)") shows them
        // once: Qt reads the patterns from the parentheses at the end and adds none itself.
        QString description = parts[i].trimmed();
        if (description.endsWith(')')) {
            const qsizetype open = description.lastIndexOf('(');
            QString named = description.mid(open + 1, description.size() - open - 2);
            named.replace(';', ' ');
            if (open >= 0 && named.simplified() == patterns)
                description = description.left(open).trimmed();
        }
        out << QStringLiteral("%1 (%2)").arg(description, patterns);
    }
    return out.join(QStringLiteral(";;"));
}

}  // namespace dialogs
