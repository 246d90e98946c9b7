#include "harness/program_run.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace velmo::testing {
namespace {

#ifdef _WIN32
// cmd.exe quoting: every word in double quotes (test paths hold none), and
// the whole line in one more pair, which cmd /c strips.
std::string CommandLine(const std::string& program, const std::vector<std::string>& arguments) {
  std::string line = "\"\"" + program + "\"";
  for (const std::string& argument : arguments) line += " \"" + argument + "\"";
  return line + " < NUL\"";
}

FILE* OpenCommand(const std::string& line) {
  return _popen(line.c_str(), "rt");
}

// The program's exit status, or -1.
int CloseCommand(FILE* pipe) {
  return _pclose(pipe);
}
#else
// POSIX shell quoting: every word in single quotes, each quote inside closed,
// escaped and reopened.
std::string ShellWord(const std::string& word) {
  std::string quoted = "'";
  for (const char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string CommandLine(const std::string& program, const std::vector<std::string>& arguments) {
  std::string line = ShellWord(program);
  for (const std::string& argument : arguments) line += " " + ShellWord(argument);
  return line + " < /dev/null";
}

FILE* OpenCommand(const std::string& line) {
  return popen(line.c_str(), "r");
}

// The program's exit status, or -1.
int CloseCommand(FILE* pipe) {
  const int status = pclose(pipe);
  if (status == -1 || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}
#endif

}  // namespace

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments) {
  ProgramRun run;
  std::fflush(nullptr);
  FILE* pipe = OpenCommand(CommandLine(program, arguments));
  if (pipe == nullptr) return run;
  char chunk[4096];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) run.output.append(chunk, got);
  run.exitStatus = CloseCommand(pipe);
  return run;
}

std::string VelmoBinaryPath() {
  const char* path = std::getenv("VELMO_BINARY");
  if (path == nullptr || *path == '\0') return {};
  // The build names it as its host sees it; made absolute in this system's
  // own spelling, it is a path the command interpreter accepts.
  return std::filesystem::absolute(path).make_preferred().string();
}

}  // namespace velmo::testing
