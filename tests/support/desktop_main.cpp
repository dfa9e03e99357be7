// Entry of the test programs that run on a real X desktop of their own (desktop.h).
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/program.h"
#include "platform/errors/application.h"
#include "tests/support/desktop.h"
#include "tests/support/program_fixture.h"

namespace desktop {
namespace {

bool g_available = false;
QString g_why;

// A program of the desktop, ended with the test program (also when that one crashes).
class Child {
public:
    Child() = default;
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() { stop(); }

    // Starts the program with its arguments; its standard output goes to outFd when given.
    bool start(const QString& program, const std::vector<std::string>& arguments, int outFd,
               const std::string& display) {
        const QString path = QStandardPaths::findExecutable(program);
        if (path.isEmpty()) return false;
        const std::string file = QFile::encodeName(path).toStdString();
        m_pid = ::fork();
        if (m_pid < 0) return false;
        if (m_pid == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            const int quiet = ::open("/dev/null", O_WRONLY);
            ::dup2(outFd >= 0 ? outFd : quiet, 1);
            ::dup2(quiet, 2);
            if (!display.empty()) ::setenv("DISPLAY", display.c_str(), 1);
            std::vector<char*> argv{const_cast<char*>(file.c_str())};
            for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(file.c_str(), argv.data());
            ::_exit(127);
        }
        return true;
    }

    // Whether the program still runs; once it has ended, its exit status stays in status().
    bool running() {
        if (m_pid <= 0) return false;
        if (::waitpid(m_pid, &m_status, WNOHANG) == 0) return true;
        m_pid = -1;
        return false;
    }
    int status() const { return m_status; }

    void stop() {
        if (m_pid <= 0) return;
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
    int m_status = 0;
};

// The display number that Xvfb writes, once it accepts connections.
std::string readDisplay(int fd) {
    std::string number;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    char c = 0;
    while (std::chrono::steady_clock::now() < until) {
        const ssize_t n = ::read(fd, &c, 1);
        if (n == 1 && c == '\n') return number.empty() ? std::string() : ':' + number;
        if (n == 1) number += c;
        if (n == 0) break;
    }
    return {};
}

// Whether a window manager runs on the display (it names its check window on the root).
bool managed(const std::string& display) {
    xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
    bool found = false;
    if (!xcb_connection_has_error(c)) {
        const char* name = "_NET_SUPPORTING_WM_CHECK";
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        if (atom) {
            xcb_get_property_reply_t* reply = xcb_get_property_reply(
                c, xcb_get_property(c, 0, root, atom->atom, XCB_ATOM_WINDOW, 0, 1), nullptr);
            found = reply && reply->value_len == 1;
            std::free(reply);
        }
        std::free(atom);
    }
    xcb_disconnect(c);
    return found;
}

}  // namespace

bool available() {
    return g_available;
}
const QString& why() {
    return g_why;
}

}  // namespace desktop

int main(int argc, char** argv) {
    using namespace desktop;
    ::testing::InitGoogleTest(&argc, argv);
    useTestRuntimeFolder();

    Child server;
    Child manager;
    std::string display;
    int pipeFds[2] = {-1, -1};
    if (QStandardPaths::findExecutable("Xvfb").isEmpty() ||
        QStandardPaths::findExecutable("openbox").isEmpty()) {
        g_why = QStringLiteral("Xvfb and openbox are needed");
    } else if (::pipe(pipeFds) != 0 ||
               !server.start("Xvfb",
                             {"-displayfd", std::to_string(pipeFds[1]), "-screen", "0",
                              "1920x1080x24", "-nolisten", "tcp"},
                             -1, {})) {
        g_why = QStringLiteral("Xvfb did not start");
    } else {
        ::close(pipeFds[1]);
        display = readDisplay(pipeFds[0]);
        ::close(pipeFds[0]);
        // The window manager may give up when it starts while the new server still settles;
        // it is started again then.
        for (int attempt = 0; attempt < 5 && !g_available && !display.empty(); ++attempt) {
            if (!manager.start("openbox", {"--sm-disable"}, -1, display)) break;
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (!managed(display) && manager.running() &&
                   std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            g_available = managed(display);
            if (!g_available) {
                g_why = QStringLiteral("openbox did not take the display %1 (exit status %2)")
                            .arg(QString::fromStdString(display))
                            .arg(manager.status());
                manager.stop();
            }
        }
        if (display.empty()) g_why = QStringLiteral("Xvfb gave no display");
    }
    if (g_available) {
        qputenv("DISPLAY", QByteArray::fromStdString(display));
        qputenv("QT_QPA_PLATFORM", "xcb");
    } else {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    int result = 0;
    {
        TApplication app(argc, argv);
        ApplyLookAndFeelDefaults();
        app.setQuitOnLastWindowClosed(false);
        result = RUN_ALL_TESTS();
    }
    manager.stop();
    server.stop();
    return result;
}
