#include "platform/shell/shell.h"

#include <QDesktopServices>
#include <QUrl>

namespace shell {
namespace {

class DesktopShell final : public Shell {
public:
    bool open(const QString& pathOrUrl) override {
        const QUrl url = pathOrUrl.contains(QLatin1String("://")) ? QUrl(pathOrUrl)
                                                                  : QUrl::fromLocalFile(pathOrUrl);
        return QDesktopServices::openUrl(url);
    }
};

Shell* installed = nullptr;

}  // namespace

Shell& get() {
    static DesktopShell desktop;
    return installed ? *installed : desktop;
}

void install(Shell* s) {
    installed = s;
}

}  // namespace shell
