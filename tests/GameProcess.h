#pragma once
// Running the real game from the outside: a temporary layout of it
// (game/bin/delvor beside game/data, with the user's folders in home/) and a
// child process whose standard output and error come back through a pipe.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace game_process {

using Environment = std::vector<std::pair<std::string, std::string>>;

// The game built beside the tests folder of the build tree.
inline std::string BuiltGame() {
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0)
        return std::string();
    const std::string tests = self;
    return tests.substr(0, tests.rfind('/')) + "/../delvor";
}

// A temporary copy of the game, removed with the object. With a data folder
// the copy gets the data too, and a window of the game's own size (a first
// run would start full screen).
class GameCopy {
public:
    explicit GameCopy(const std::string& executable, const std::string& data = std::string()) {
        char pattern[] = "/tmp/delvor-run-XXXXXX";
        if (!mkdtemp(pattern))
            return;
        m_sRoot = pattern;
        m_sProgram = m_sRoot + "/game/bin/delvor";
        std::string copy = "mkdir -p '" + m_sRoot + "/game/bin' '" + m_sRoot + "/home/config/delvor' && cp '" +
                           executable + "' '" + m_sProgram + "'";
        if (!data.empty())
            copy += " && cp -r '" + data + "' '" + m_sRoot + "/game/data'";
        m_bReady = access(executable.c_str(), X_OK) == 0 && std::system(copy.c_str()) == 0;
        if (!data.empty())
            std::ofstream(m_sRoot + "/home/config/delvor/preferences") << "delvor-preferences 1\ns  fullscreen false\n";
    }
    ~GameCopy() {
        if (!m_sRoot.empty())
            std::system(("rm -rf '" + m_sRoot + "'").c_str());
    }
    GameCopy(const GameCopy&) = delete;
    GameCopy& operator=(const GameCopy&) = delete;

    bool IsReady() const { return m_bReady; }
    const std::string& Root() const { return m_sRoot; }
    const std::string& Program() const { return m_sProgram; }

    // The user's folders of a run lie in the copy.
    Environment UserFolders() const {
        return {{"XDG_DATA_HOME", m_sRoot + "/home/data"}, {"XDG_CONFIG_HOME", m_sRoot + "/home/config"}};
    }

private:
    std::string m_sRoot;
    std::string m_sProgram;
    bool m_bReady = false;
};

// A started game: its process and the reading end of its output.
struct Child {
    pid_t pid = -1;
    int output = -1;
};

inline Child Launch(const std::string& program, const Environment& environment) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return Child();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], STDERR_FILENO);
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        for (const auto& variable : environment)
            setenv(variable.first.c_str(), variable.second.c_str(), 1);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    if (pid < 0) {
        close(pipeFds[0]);
        return Child();
    }
    return Child{pid, pipeFds[0]};
}

// Appends what the child wrote within timeoutMs to text. False once the
// child has closed its end (it is ending).
inline bool ReadSome(const Child& child, std::string& text, int timeoutMs) {
    pollfd fd{child.output, POLLIN, 0};
    if (poll(&fd, 1, timeoutMs) <= 0)
        return true;
    char buffer[4096];
    const ssize_t n = read(child.output, buffer, sizeof buffer);
    if (n <= 0)
        return false;
    text.append(buffer, static_cast<size_t>(n));
    return true;
}

// Reads the rest of the output (so the child never blocks on a full pipe),
// waits for the child and gives its exit status, or 128 + its signal.
inline int Finish(const Child& child, std::string* text = nullptr) {
    std::string rest;
    while (ReadSome(child, text ? *text : rest, 100)) {
    }
    close(child.output);
    int status = 0;
    waitpid(child.pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace game_process
