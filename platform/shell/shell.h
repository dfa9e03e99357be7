#pragma once

#include <QString>

namespace shell {

// The desktop's "open" for a file or an address.
class Shell {
public:
    virtual ~Shell() = default;
    // Returns false when the desktop could not open it.
    virtual bool open(const QString& pathOrUrl) = 0;
};

Shell& get();
// Installs another implementation (tests); nullptr returns to the desktop's.
void install(Shell* shell);

}  // namespace shell
