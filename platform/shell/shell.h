#pragma once

#include <QString>
#include <QUrl>

namespace shell {

// The desktop's "open" for a file or an address.
class Shell {
public:
    virtual ~Shell() = default;
    // Returns false when the desktop could not open it.
    virtual bool open(const QString& pathOrUrl) = 0;
};

// What the desktop is asked to open: an address with a scheme of its own ("https:",
// "mailto:", ...) as it stands, anything else as a local file.
QUrl toUrl(const QString& pathOrUrl);

Shell& get();
// Installs another implementation (tests); nullptr returns to the desktop's.
void install(Shell* shell);

}  // namespace shell
