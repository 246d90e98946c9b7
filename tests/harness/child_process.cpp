#ifndef _WIN32

#include "harness/child_process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace velmo::testing {
namespace {

constexpr auto kTimeLimit = std::chrono::minutes(5);

// Where the child's output goes: the parent's end and what the child opens.
struct OutputChannel {
  int parentEnd = -1;
  int childEnd = -1;         // the pipe's write end, without a terminal
  std::string terminalName;  // the terminal's device, with one
};

OutputChannel OpenChannel(bool onTerminal) {
  OutputChannel channel;
  if (!onTerminal) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) == 0) channel = {ends[0], ends[1], {}};
    return channel;
  }
  const int terminal = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (terminal < 0) return channel;
  const char* name =
      grantpt(terminal) == 0 && unlockpt(terminal) == 0 ? ptsname(terminal) : nullptr;
  if (name == nullptr) {
    close(terminal);
    return channel;
  }
  return {terminal, -1, name};
}

// In the child, between fork and exec: only async-signal-safe calls.
[[noreturn]] void StartChild(const std::vector<char*>& argv, const ChildOptions& options,
                             const OutputChannel& channel) {
  if (options.fileSizeLimit != 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{options.fileSizeLimit, options.fileSizeLimit};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  if (channel.terminalName.empty()) {
    dup2(open("/dev/null", O_RDONLY), STDIN_FILENO);
    dup2(channel.childEnd, STDOUT_FILENO);
  } else {
    // A new session, whose controlling terminal the first open makes it.
    setsid();
    const int terminal = open(channel.terminalName.c_str(), O_RDWR);
    dup2(terminal, STDIN_FILENO);
    dup2(terminal, STDOUT_FILENO);
  }
  execv(argv[0], argv.data());
  _exit(127);
}

// Reads until the child's output ends, killing it when the text appears.
void ReadOutput(int from, pid_t child, const ChildOptions& options, ChildRun& run) {
  const auto deadline = std::chrono::steady_clock::now() + kTimeLimit;
  char chunk[4096];
  for (;;) {
    pollfd waiting{from, POLLIN, 0};
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || poll(&waiting, 1, static_cast<int>(left.count())) == 0) {
      ADD_FAILURE() << "the child did not end in time; its output:\n" << run.output;
      kill(child, SIGKILL);
      return;
    }
    const ssize_t got = read(from, chunk, sizeof chunk);
    // A terminal whose other side is closed reads as an error (EIO).
    if (got <= 0) return;
    run.output.append(chunk, static_cast<std::size_t>(got));
    if (!run.killed && !options.killWhenOutputHas.empty() &&
        run.output.find(options.killWhenOutputHas) != std::string::npos) {
      kill(child, SIGKILL);
      run.killed = true;
    }
  }
}

}  // namespace

ChildRun RunChild(const std::string& program, const std::vector<std::string>& arguments,
                  const ChildOptions& options) {
  ChildRun run;
  std::vector<std::string> words = {program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  const OutputChannel channel = OpenChannel(options.onTerminal);
  if (channel.parentEnd < 0) {
    ADD_FAILURE() << "no pipe or terminal for the child";
    return run;
  }
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child == 0) StartChild(argv, options, channel);
  if (channel.childEnd >= 0) close(channel.childEnd);
  if (child > 0) ReadOutput(channel.parentEnd, child, options, run);
  close(channel.parentEnd);

  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) return run;
  run.killed = run.killed && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
  if (WIFEXITED(status)) run.exitStatus = WEXITSTATUS(status);
  run.output.erase(std::remove(run.output.begin(), run.output.end(), '\r'), run.output.end());
  return run;
}

}  // namespace velmo::testing

#endif
