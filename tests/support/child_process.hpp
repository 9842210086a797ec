#pragma once
// A program run as a child process with pipes on its standard input and output, so a
// test can answer its questions and read what it says. Standard error joins the output,
// or goes to a file of its own for a test that tells the two apart. POSIX only, like the
// console programs it drives.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace vexa::test {

class ChildProcess {
public:
    // Runs `arguments` (the program first). The `environment` entries ("NAME=value") come
    // before ours, so they win over ours. A non-empty `errorFile` receives standard error.
    explicit ChildProcess(const std::vector<std::string>& arguments, const std::vector<std::string>& environment = {},
                          const std::string& errorFile = {}) {
        ::signal(SIGPIPE, SIG_IGN);  // a child that ends early fails a write instead of ending the test
        int input[2], output[2];
        if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, input[0], 0);
        posix_spawn_file_actions_adddup2(&actions, output[1], 1);
        if (errorFile.empty()) {
            posix_spawn_file_actions_adddup2(&actions, output[1], 2);
        } else {
            posix_spawn_file_actions_addopen(&actions, 2, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        }
        std::vector<char*> argv = Pointers(arguments);
        std::vector<std::string> env = environment;
        for (char** e = environ; *e; ++e) env.emplace_back(*e);
        std::vector<char*> envp = Pointers(env);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(input[0]);
        ::close(output[1]);
        in_ = input[1];
        out_ = output[0];
    }
    ~ChildProcess() {
        CloseInput();
        if (out_ >= 0) ::close(out_);
        if (pid_ > 0 && !waited_) {
            ::kill(pid_, SIGKILL);
            Wait();
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }

    // Writes to the child's input; small texts only, as the pipe must take them at once.
    void Write(const std::string& text) {
        if (in_ >= 0 && ::write(in_, text.data(), text.size()) < 0) CloseInput();
    }
    // The child then reads the end of its input.
    void Signal(int number) {
        if (pid_ > 0 && !waited_) ::kill(pid_, number);
    }
    void CloseInput() {
        if (in_ >= 0) ::close(in_);
        in_ = -1;
    }

    // Reads output until it contains `text`; false if the output ended first or on a timeout.
    bool ReadUntil(const std::string& text) { return ReadUntil(text, 1); }
    // The same, until `text` has come `times` times.
    bool ReadUntil(const std::string& text, int times) {
        auto deadline = std::chrono::steady_clock::now() + kTimeout;
        while (Count(text) < times) {
            if (!ReadMore(deadline)) return false;
        }
        return true;
    }
    int Count(const std::string& text) const {
        int count = 0;
        for (std::size_t at = output_.find(text); at != std::string::npos; at = output_.find(text, at + text.size()))
            ++count;
        return count;
    }

    // Closes the input after `input`, reads all output and waits: the exit status, or
    // 128 + the signal that ended the child.
    int Finish(const std::string& input = {}) {
        Write(input);
        CloseInput();
        auto deadline = std::chrono::steady_clock::now() + kTimeout;
        while (ReadMore(deadline)) {
        }
        return Wait();
    }

    const std::string& Output() const { return output_; }

private:
    static std::vector<char*> Pointers(const std::vector<std::string>& texts) {
        std::vector<char*> pointers;
        for (const std::string& text : texts) pointers.push_back(const_cast<char*>(text.c_str()));
        pointers.push_back(nullptr);
        return pointers;
    }

    static constexpr std::chrono::seconds kTimeout{60};

    bool ReadMore(std::chrono::steady_clock::time_point deadline) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd ready{out_, POLLIN, 0};
        if (out_ < 0 || left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) <= 0) return false;
        char buffer[4096];
        ssize_t got = ::read(out_, buffer, sizeof buffer);
        if (got <= 0) return false;
        output_.append(buffer, static_cast<std::size_t>(got));
        return true;
    }

    int Wait() {
        if (pid_ <= 0) return -1;
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        waited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    bool waited_ = false;
    std::string output_;
};

}  // namespace vexa::test
