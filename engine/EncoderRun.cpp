// SPDX-License-Identifier: GPL-3.0-or-later
// Running an encoder program on the decoded WAV file: its command line, the
// run on a pseudo-terminal with progress read from its output, and its end.

#include "engine/ConversionJob.h"
#include "engine/PcmFeed.h"
#include "engine/ProgressParser.h"
#include "engine/PtyProcess.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <mutex>
#include <poll.h>
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

std::vector<std::string> TConversionJob::BuildCommandLine(std::uint8_t formatIndex) const
{
    std::vector<std::string> line;
    const engine::FormatRow& row = engine::Row(formatIndex);
    const std::string inFile = TempWavFile.string();
    const std::string outFile = (PartFile.empty() ? OutputFile : PartFile).string();
    const char* const commandTemplate =
        TempWavFile == "-" && engine::StreamsIntoEncoder(formatIndex) ? row.stream.commandTemplate : row.commandTemplate;
    for (const std::string& word : SplitWords(commandTemplate)) {
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

bool TConversionJob::KillProcess(pid_t pid)
{
    if (pid <= 0)
        return false;
    // Our encoders lead their own group: helpers they started go too.
    if (getpgid(pid) == pid)
        kill(-pid, SIGKILL);
    return kill(pid, SIGKILL) == 0;
}

namespace {

// One run of an encoder program: its output read for the progress and the
// error text, cancel, and its end.
class EncoderSession {
public:
    EncoderSession(TConversionJob& job, engine::PtyProcess& child)
        : job_(job), child_(child), readSize_(engine::ProgressReadSize(job.OutputFormat)), buffer_(readSize_ + 1)
    {
    }

    bool Cancel()
    {
        if (!child_.HasEnded()) {
            TConversionJob::KillProcess(child_.Pid());
            child_.Wait();
        }
        job_.ErrorText = "Operation is cancelled";
        return false;
    }

    // Takes what the program printed within waitMs; End once every writer
    // has closed its terminal.
    engine::PtyProcess::ReadResult ReadOnce(int waitMs, bool parseProgress)
    {
        std::size_t got = 0;
        const auto result = child_.Read(buffer_.data(), readSize_, waitMs, got);
        if (result != engine::PtyProcess::ReadResult::Data)
            return result;
        tail_.Add({buffer_.data(), got});
        if (parseProgress) {
            const std::string_view chunk = engine::TrimChunk({buffer_.data(), got});
            std::this_thread::yield();
            job_.Percent = engine::ParseProgress(job_.OutputFormat, chunk, job_.Percent);
        }
        return result;
    }

    // Reads the output until the program has ended and closed its terminal.
    bool Drain(bool parseProgress)
    {
        bool ended = false;
        for (;;) {
            if (job_.Cancelled)
                return Cancel();
            // Once the program has ended, only what it left in the terminal is read.
            const auto result = ReadOnce(ended ? 0 : PollMs, parseProgress);
            if (result == engine::PtyProcess::ReadResult::End)
                break;
            if (result == engine::PtyProcess::ReadResult::Silent) {
                if (ended)
                    break;
                ended = child_.HasEnded();
            }
        }
        while (!child_.HasEnded()) {
            if (job_.Cancelled)
                return Cancel();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return !job_.Cancelled || Cancel();
    }

    // The program's outcome once it has been reaped; shortInput is the text
    // of a feed that did not get all of its audio in.
    bool Outcome(const std::string& shortInput)
    {
        const int status = child_.Status();
        const bool exitedZero = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (exitedZero && shortInput.empty()) {
            job_.Percent = 100;
            return true;
        }
        job_.ErrorText = exitedZero ? shortInput : FailureText(status, tail_.LastLine());
        return false;
    }

private:
    TConversionJob& job_;
    engine::PtyProcess& child_;
    std::size_t readSize_;
    std::vector<char> buffer_;
    OutputTail tail_;
};

constexpr const char* ShortInputText = "The encoder ended before it had read all of the audio";

// Writes the whole feed into the program's input while reading its output,
// so that neither side waits for the other. Returns the text of a failure
// to deliver it, empty when all of it went in (or on cancel).
std::string Feed(TConversionJob& job, EncoderSession& session, int output, int input, engine::PcmFeed& feed)
{
    std::vector<std::uint8_t> block;
    std::size_t at = 0;
    bool outputOpen = true;
    while (!job.Cancelled) {
        if (at == block.size()) {
            at = 0;
            if (!feed.Next(block))
                return feed.Failed() ? "decode data error!" : "";
            if (job.Channel != 0)
                job.Percent = std::min(engine::DecodeProgress(job.Channel, 100), 99);
            continue;
        }
        pollfd wait[2] = {{input, POLLOUT, 0}, {output, POLLIN, 0}};
        if (poll(wait, outputOpen ? 2 : 1, PollMs) < 0 && errno != EINTR)
            return ShortInputText;
        if (outputOpen && wait[1].revents != 0)
            outputOpen = session.ReadOnce(0, false) != engine::PtyProcess::ReadResult::End;
        if (wait[0].revents == 0)
            continue;
        const ssize_t written = write(input, block.data() + at, block.size() - at);
        if (written > 0)
            at += std::size_t(written);
        else if (written < 0 && errno != EAGAIN && errno != EINTR)
            return ShortInputText;
    }
    return {};
}

}  // namespace

bool TConversionJob::RunEncoder(const std::vector<std::string>& commandLine)
{
    engine::PtyProcess child;
    if (!child.Start(commandLine, NiceOfPriority(Priority))) {
        ErrorText = "Occurs when the encoded file failed";
        return false;
    }
    EncoderSession session(*this, child);
    if (!session.Drain(true))
        return false;
    return session.Outcome({});
}

bool TConversionJob::RunFedEncoder(const std::vector<std::string>& commandLine, engine::PcmFeed& feed)
{
    // A program that ends early must show as a failed write, not kill us.
    static std::once_flag ignorePipeSignal;
    std::call_once(ignorePipeSignal, [] { std::signal(SIGPIPE, SIG_IGN); });
    engine::PtyProcess child;
    int input = -1;
    if (!child.StartFed(commandLine, NiceOfPriority(Priority), input)) {
        ErrorText = "Occurs when the encoded file failed";
        return false;
    }
    EncoderSession session(*this, child);
    const std::string shortInput = Feed(*this, session, child.OutputDescriptor(), input, feed);
    close(input);
    if (Cancelled)
        return session.Cancel();
    if (!session.Drain(false))
        return false;
    return session.Outcome(shortInput);
}