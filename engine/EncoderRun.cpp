// Running an encoder program on the decoded WAV file: its command line, the
// run on a pseudo-terminal with progress read from its output, and its end.

#include "engine/Encoder.h"
#include "engine/ProgressParser.h"
#include "engine/PtyProcess.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <string_view>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int PollMs = 50;  // how long a silent program goes before a cancel is seen

// Words of a command text; double quotes group and are removed.
std::vector<std::string> SplitWords(std::string_view text)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (const char c : text) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(word);
    return words;
}

// Replaces "$INFILE" and "$OUTFILE" in one word; the inserted paths are
// never scanned again, whatever they hold.
std::string SubstituteFiles(std::string_view word, const std::string& inFile, const std::string& outFile)
{
    static constexpr std::string_view inName = "$INFILE";
    static constexpr std::string_view outName = "$OUTFILE";
    std::string result;
    std::size_t at = 0;
    while (at < word.size()) {
        const std::size_t in = word.find(inName, at);
        const std::size_t out = word.find(outName, at);
        const std::size_t next = std::min(in, out);
        if (next == std::string_view::npos) {
            result.append(word.substr(at));
            break;
        }
        result.append(word.substr(at, next - at));
        result.append(next == in ? inFile : outFile);
        at = next + (next == in ? inName.size() : outName.size());
    }
    return result;
}

int NiceOfPriority(std::int32_t priority)
{
    switch (priority) {
    case PriorityIdle:
        return 19;
    case PriorityHigh:
        return -10;
    case PriorityRealtime:
        return -20;
    default:
        return 0;
    }
}

// The last non-empty line a program printed, without terminal escapes.
class OutputTail {
public:
    void Add(std::string_view bytes)
    {
        text_.append(bytes);
        if (text_.size() > 2 * Keep)
            text_.erase(0, text_.size() - Keep);
    }

    std::string LastLine() const
    {
        std::string line;
        std::string last;
        for (std::size_t i = 0; i < text_.size(); ++i) {
            const char c = text_[i];
            if (c == '\r' || c == '\n') {
                Flush(line, last);
            } else if (c == '\x1b' && i + 1 < text_.size() && text_[i + 1] == '[') {
                i += 2;
                while (i < text_.size() && (text_[i] < '@' || text_[i] > '~'))
                    ++i;
            } else if (static_cast<unsigned char>(c) >= ' ' && c != '\x7f') {
                line += c;
            }
        }
        Flush(line, last);
        return last;
    }

private:
    static constexpr std::size_t Keep = 1024;

    static void Flush(std::string& line, std::string& last)
    {
        const std::string_view trimmed = engine::TrimChunk(line);
        if (!trimmed.empty())
            last = std::string(trimmed.substr(0, 200));
        line.clear();
    }

    std::string text_;
};

std::string FailureText(int status, const std::string& lastLine)
{
    std::string text = WIFSIGNALED(status)
                           ? "The encoder was ended by signal " + std::to_string(WTERMSIG(status))
                           : "The encoder failed with exit code " + std::to_string(WEXITSTATUS(status));
    if (!lastLine.empty())
        text += ": " + lastLine;
    return text;
}

}  // namespace

std::vector<std::string> TEncoder::BuildCommandLine(std::uint8_t formatIndex) const
{
    std::vector<std::string> line;
    if (formatIndex >= engine::CommandTemplates.size())
        return line;
    const std::string inFile = TempWavFile.string();
    const std::string outFile = OutputFile.string();
    for (const std::string& word : SplitWords(engine::CommandTemplates[formatIndex])) {
        if (word == "$PATH") {
            line.push_back(ProgramPath.string());
        } else if (word == "$OPTIONS") {
            for (const std::string& option : SplitWords(Options))
                line.push_back(SubstituteFiles(option, inFile, outFile));
        } else {
            line.push_back(SubstituteFiles(word, inFile, outFile));
        }
    }
    return line;
}

bool TEncoder::KillProcess(pid_t pid)
{
    if (pid <= 0)
        return false;
    // Our encoders lead their own group: helpers they started go too.
    if (getpgid(pid) == pid)
        kill(-pid, SIGKILL);
    return kill(pid, SIGKILL) == 0;
}

bool TEncoder::RunEncoder(const std::vector<std::string>& commandLine)
{
    engine::PtyProcess child;
    if (!child.Start(commandLine, NiceOfPriority(Priority))) {
        ErrorText = "Occurs when the encoded file failed";
        return false;
    }
    const auto cancel = [&] {
        if (!child.HasEnded()) {
            KillProcess(child.Pid());
            child.Wait();
        }
        ErrorText = "Operation is cancelled";
        return false;
    };
    const std::size_t readSize = engine::ProgressReadSize(OutputFormat);
    std::vector<char> buffer(readSize + 1);
    OutputTail tail;
    bool ended = false;
    for (;;) {
        if (Cancelled)
            return cancel();
        std::size_t got = 0;
        // Once the program has ended, only what it left in the terminal is read.
        const auto result = child.Read(buffer.data(), readSize, ended ? 0 : PollMs, got);
        if (result == engine::PtyProcess::ReadResult::End)
            break;
        if (result == engine::PtyProcess::ReadResult::Silent) {
            if (ended)
                break;
            ended = child.HasEnded();
            continue;
        }
        tail.Add({buffer.data(), got});
        const std::string_view chunk = engine::TrimChunk({buffer.data(), got});
        std::this_thread::yield();
        Percent = engine::ParseProgress(OutputFormat, chunk, Percent);
    }
    while (!child.HasEnded()) {
        if (Cancelled)
            return cancel();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (Cancelled)
        return cancel();
    const int status = child.Status();
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        Percent = 100;
        return true;
    }
    ErrorText = FailureText(status, tail.LastLine());
    return false;
}
