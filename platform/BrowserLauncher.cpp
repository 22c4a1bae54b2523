#include "platform/BrowserLauncher.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

extern char** environ;

namespace platform {
namespace {

BrowserLauncher::Launcher& CurrentLauncher() {
    static BrowserLauncher::Launcher launcher;
    return launcher;
}

// Waits for the intermediate child, which exits as soon as it has forked.
bool ReapIntermediate(pid_t child) {
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The grandchild's exec report: the pipe closes empty when exec succeeded
// (close-on-exec) and carries errno when it failed. Every write end is gone
// once the grandchild has exec'd or exited, so this never waits on the
// browser's run.
bool ExecSucceeded(int reportRead) {
    int error = 0;
    ssize_t got = 0;
    do {
        got = read(reportRead, &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    return got == 0;
}

// Everything the child needs is prepared before fork: between fork and exec
// only async-signal-safe calls are allowed in a threaded process.
bool SpawnDetached(const std::string& executable, const std::string& argument) {
    char name[] = "xdg-open";
    char* argv[] = {name, const_cast<char*>(argument.c_str()), nullptr};
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0)
        return false;
    const int devNull = open("/dev/null", O_RDONLY | O_CLOEXEC);

    const pid_t child = fork();
    if (child == 0) {
        // The intermediate child exits at once; the grandchild is adopted by
        // init, which reaps it.
        close(report[0]);
        const pid_t grandchild = fork();
        if (grandchild != 0)
            _exit(grandchild < 0 ? 1 : 0);
        setsid();
        if (devNull >= 0)
            dup2(devNull, STDIN_FILENO);
        execve(executable.c_str(), argv, environ);
        const int error = errno;
        [[maybe_unused]] const ssize_t written = write(report[1], &error, sizeof error);
        _exit(127);
    }
    close(report[1]);
    if (devNull >= 0)
        close(devNull);
    const bool started = child > 0 && ReapIntermediate(child) && ExecSucceeded(report[0]);
    close(report[0]);
    return started;
}

}  // namespace

bool BrowserLauncher::Open(const std::string& address) {
    if (CurrentLauncher())
        return CurrentLauncher()(address);
    const std::string opener = FindExecutable("xdg-open");
    if (opener.empty())
        return false;
    return SpawnDetached(opener, address);
}

void BrowserLauncher::SetLauncher(Launcher launcher) { CurrentLauncher() = std::move(launcher); }

std::string BrowserLauncher::FindExecutable(const std::string& name) {
    const char* path = std::getenv("PATH");
    const std::string dirs = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        const std::string dir = end > start ? dirs.substr(start, end - start) : ".";
        const std::string candidate = dir + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return "";
}

}  // namespace platform
