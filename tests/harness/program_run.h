#pragma once

#include <string>
#include <vector>

namespace velmo::testing {

// What a finished program wrote to its standard output, and its exit status
// (-1 when it could not be started or did not end normally).
struct ProgramRun {
  int exitStatus = -1;
  std::string output;
};

// Runs a program with the given arguments and the null device as standard
// input (so it never waits for a key), and waits for it to end. The output
// is read in text mode: on Windows its CR LF line ends come back as line
// feeds.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments);

// The built Velmo executable, as the test build names it in the VELMO_BINARY
// environment variable; empty when it is not set.
std::string VelmoBinaryPath();

}  // namespace velmo::testing
