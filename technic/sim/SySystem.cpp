// sy_system: runs a shell command whose absolute paths are device paths. On a
// PC with SENSOR_ROOTFS set the command is kept inside that folder: paths are
// moved under it, it is the working folder, and anything that could climb
// out of it ("..", "~", expansions) refuses the command.
#include "sy_system.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "DevicePath.h"

extern char** environ;

namespace {

constexpr const char* kRedirections = "<>";
constexpr const char* kEscapingCharacters = "~$`";
constexpr auto kPollInterval = std::chrono::milliseconds(2);

bool isShellSafe(const std::string& text)
{
    for (char c : text) {
        if (std::isalnum(static_cast<unsigned char>(c)) == 0 && std::strchr("/._+-,:@%=", c) == nullptr) return false;
    }
    return true;
}

std::string shellQuoted(const std::string& text)
{
    if (isShellSafe(text)) return text;
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Puts the device path of one whitespace-free word under the root.
void rewriteWord(const std::string& word, const std::string& quotedRoot, std::string& out)
{
    const size_t pathStart = word.find_first_not_of(kRedirections);
    if (pathStart == std::string::npos || word[pathStart] != '/') {
        out += word;
        return;
    }
    const std::string inside = technic::normaliseDevicePath(word.substr(pathStart));
    out += word.substr(0, pathStart) + quotedRoot + (inside == "/" ? "" : inside);
}

// False when the command could reach outside the root. Any ".." is refused,
// not only a whole path step: "a=../b" or ">../b" climb just as well, and a
// harmless "x..y" is rare in a device command.
bool rewriteCommand(const std::string& command, std::string& out)
{
    if (command.find("..") != std::string::npos ||
        command.find_first_of(kEscapingCharacters) != std::string::npos) {
        return false;
    }
    const std::string quotedRoot = shellQuoted(technic::devicePath("/"));
    out.clear();
    size_t pos = 0;
    while (pos < command.size()) {
        if (std::isspace(static_cast<unsigned char>(command[pos])) != 0) {
            out += command[pos++];
            continue;
        }
        size_t end = pos;
        while (end < command.size() && std::isspace(static_cast<unsigned char>(command[end])) == 0) ++end;
        rewriteWord(command.substr(pos, end - pos), quotedRoot, out);
        pos = end;
    }
    return true;
}

// Starts /bin/sh -c in its own process group so a timeout can end all of it.
pid_t spawnShell(const std::string& command, const std::string& workDir)
{
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_t actions;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawn_file_actions_init(&actions);
    if (!workDir.empty()) posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());

    char shell[] = "/bin/sh";
    char flag[] = "-c";
    std::string text = command;
    char* argv[] = {shell, flag, text.data(), nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, shell, &actions, &attributes, argv, environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return pid;
}

int waitForExit(pid_t pid, int timeoutSeconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (done < 0 && errno != EINTR) return -1;
        if (timeoutSeconds > 0 && std::chrono::steady_clock::now() >= deadline) {
            kill(-pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
}

} // namespace

int sy_system(const char* command, int timeoutSeconds)
{
    if (command == nullptr || command[0] == '\0') return -1;
    const std::string root = technic::deviceRoot();
    std::string toRun = command;
    std::string workDir;
    if (root != "/") {
        if (!rewriteCommand(command, toRun)) {
            std::fprintf(stderr, "sy_system: refused, the command could leave %s: %s\n", root.c_str(), command);
            return -1;
        }
        workDir = technic::devicePath("/");
    }
    const pid_t pid = spawnShell(toRun, workDir);
    if (pid < 0) return -1;
    return waitForExit(pid, timeoutSeconds);
}
