#include "Shell.h"

#include <editline/readline.h>
#include <strings.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <iostream>

#include "Cli.h"
#include "KeyNames.h"
#include "Runner.h"

namespace {

const char* const kPrompt = "sensorctl> ";
const char* const kHistoryFile = "/.sensorctl_history";
const int kHistoryLines = 1000;

bool startsWith(const std::string& word, const std::string& prefix)
{
    return word.size() >= prefix.size() && strncasecmp(word.c_str(), prefix.c_str(), prefix.size()) == 0;
}

// Words Tab offers: command names first on a line, key names (with or
// without "KEY_") and commands after.
std::vector<std::string> candidates(const std::string& prefix, bool firstWord)
{
    std::vector<std::string> words;
    for (const Command& command : commandTable()) {
        if (startsWith(command.name, prefix)) words.push_back(command.name);
    }
    if (firstWord) return words;
    for (const std::string& name : keyConstantNames()) {
        if (startsWith(name, prefix) || startsWith(name.substr(4), prefix)) words.push_back(name);
    }
    return words;
}

bool g_bFirstWord = false; // the word being completed starts its line

char* nextCandidate(const char* text, int state)
{
    static std::vector<std::string> words;
    static size_t next = 0;
    if (state == 0) {
        words = candidates(text, g_bFirstWord);
        next = 0;
    }
    return next < words.size() ? strdup(words[next++].c_str()) : nullptr;
}

char** complete(const char* text, int start, int)
{
    g_bFirstWord = std::string(rl_line_buffer, static_cast<size_t>(start)).find_first_not_of(" \t") == std::string::npos;
    rl_attempted_completion_over = 1; // never file names
    return rl_completion_matches(text, nextCandidate);
}

std::string historyPath()
{
    const char* home = std::getenv("HOME");
    return home != nullptr && *home != '\0' ? std::string(home) + kHistoryFile : "";
}

class LineReader {
public:
    LineReader() : m_bTerminal(isatty(STDIN_FILENO) != 0)
    {
        if (!m_bTerminal) return;
        rl_outstream = results(); // standard output itself carries the library's console
        rl_attempted_completion_function = complete;
        stifle_history(kHistoryLines);
        if (!historyPath().empty()) read_history(historyPath().c_str());
    }
    ~LineReader()
    {
        if (m_bTerminal && !historyPath().empty()) write_history(historyPath().c_str());
    }

    bool read(std::string& line)
    {
        ++m_nLine;
        if (!m_bTerminal) return static_cast<bool>(std::getline(std::cin, line));
        char* input = readline(kPrompt);
        if (input == nullptr) return false;
        line = input;
        std::free(input);
        if (line.find_first_not_of(" \t") != std::string::npos) add_history(line.c_str());
        return true;
    }
    // Piped lines are named like a script's.
    std::string origin() const { return m_bTerminal ? "" : "stdin:" + std::to_string(m_nLine); }

private:
    bool m_bTerminal;
    int m_nLine = 0;
};

bool g_bInShell = false;

} // namespace

bool cmdShell(CommandContext& context, const std::vector<std::string>&)
{
    if (g_bInShell) {
        context.failure = kExitUsage;
        context.error = "already in the shell";
        return false;
    }
    g_bInShell = true;
    LineReader reader;
    int channel = context.channel;
    int last = kExitOk;
    for (std::string line; reader.read(line);) {
        const std::vector<Word> words = lineWords(line, reader.origin());
        if (words.size() == 1 && (words[0].text == "exit" || words[0].text == "quit")) break;
        std::vector<Step> steps;
        std::string error;
        last = planSteps(words, channel, steps, error) ? runSteps(context.session, steps, context.policy)
                                                       : failWith(kExitUsage, error);
    }
    g_bInShell = false;
    context.failure = static_cast<ExitCode>(last);
    context.error = "the last command failed";
    return last == kExitOk;
}
