#include "platform/shell/shell.h"

#include <QDesktopServices>
#include <QUrl>

namespace shell {
namespace {

class DesktopShell final : public Shell {
public:
    bool open(const QString& pathOrUrl) override {
        return QDesktopServices::openUrl(toUrl(pathOrUrl));
    }
};

Shell* installed = nullptr;

}  // namespace

QUrl toUrl(const QString& pathOrUrl) {
    // A scheme is a letter followed by letters, digits, "+", "-" or "."; one letter before
    // the colon is a drive ("C:/Photos"), not a scheme.
    const qsizetype colon = pathOrUrl.indexOf(QLatin1Char(':'));
    bool scheme = colon >= 2 && pathOrUrl[0].isLetter() && pathOrUrl[0].unicode() < 128;
    for (qsizetype i = 1; scheme && i < colon; ++i) {
        const QChar c = pathOrUrl[i];
        scheme = c.unicode() < 128 && (c.isLetterOrNumber() || c == QLatin1Char('+') ||
                                       c == QLatin1Char('-') || c == QLatin1Char('.'));
    }
    return scheme ? QUrl(pathOrUrl) : QUrl::fromLocalFile(pathOrUrl);
}

Shell& get() {
    static DesktopShell desktop;
    return installed ? *installed : desktop;
}

void install(Shell* s) {
    installed = s;
}

}  // namespace shell
