#pragma once

#ifndef _WIN32

#include <cstdint>
#include <string>
#include <vector>

// Running a program in a child process under conditions a test sets: a
// file-size limit, a terminal, a SIGKILL at a chosen point of its output.
// POSIX only: the tests that need these skip on Windows.
namespace velmo::testing {

struct ChildOptions {
  // RLIMIT_FSIZE for the child, with SIGXFSZ ignored, so that a write past
  // the limit fails (EFBIG) instead of ending the process; 0: no limit.
  std::uint64_t fileSizeLimit = 0;
  // Standard input and output on a pseudo-terminal instead of the null device
  // and a pipe: the output then comes line by line, and Velmo waits for a key
  // at its end.
  bool onTerminal = false;
  // The child is ended with SIGKILL as soon as its output holds this text;
  // empty: never.
  std::string killWhenOutputHas;
};

struct ChildRun {
  std::string output;   // carriage returns removed
  bool killed = false;  // ended by the SIGKILL the options asked for
  int exitStatus = -1;  // -1 unless it ended by itself
};

// Runs program with arguments and waits for it to end. A child still running
// after five minutes is killed and the test fails.
ChildRun RunChild(const std::string& program, const std::vector<std::string>& arguments,
                  const ChildOptions& options);

}  // namespace velmo::testing

#endif
