// Runs the built program in a directory and captures what it writes.
#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace porvane::testing {

struct program_result {
  int status = -1;          // exit status, or 128 + signal
  std::string out;          // standard output
  std::string err;          // standard error
};

inline std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

inline int count_of(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// Word n (1-based) of a map file of this machine's byte order.
template <class T = int32_t>
T map_word(const std::string& map, std::size_t n) {
  T v;
  std::memcpy(&v, map.data() + 4 * (n - 1), 4);
  return v;
}

// Limits of a run: wall seconds before it is ended (SIGALRM), processor
// seconds (SIGXCPU), address space in bytes (0: none), bytes of a file (a
// write beyond fails as on a full disk).
struct run_limits {
  unsigned seconds = 300;
  rlim_t cpu_seconds = RLIM_INFINITY;
  rlim_t memory = 0;
  rlim_t file_bytes = rlim_t{1} << 31;
};

// Runs `program` with `args` in `workdir`, with extra environment settings
// "NAME=value" (an entry "NAME=" removes NAME).
inline program_result run_program(const std::string& program, const std::vector<std::string>& args,
                                  const std::filesystem::path& workdir = ".",
                                  const std::vector<std::string>& env = {}, run_limits limits = {}) {
  namespace fs = std::filesystem;
  const fs::path out_path = fs::temp_directory_path() / ("porvane_out_" + std::to_string(getpid()));
  const fs::path err_path = fs::temp_directory_path() / ("porvane_err_" + std::to_string(getpid()));
  pid_t pid = fork();
  if (pid == 0) {
    int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(out, 1);
    dup2(err, 2);
    if (chdir(workdir.c_str()) != 0) _exit(127);
    // A run that hangs or writes without end is ended, not waited for.
    alarm(limits.seconds);
    signal(SIGXFSZ, SIG_IGN);
    rlimit size{limits.file_bytes, limits.file_bytes}, cpu{limits.cpu_seconds, RLIM_INFINITY},
        memory{limits.memory, limits.memory};
    setrlimit(RLIMIT_FSIZE, &size);
    setrlimit(RLIMIT_CPU, &cpu);
    if (limits.memory > 0) setrlimit(RLIMIT_AS, &memory);
    for (const auto& setting : env) {
      auto eq = setting.find('=');
      std::string name = setting.substr(0, eq), value = setting.substr(eq + 1);
      if (value.empty()) unsetenv(name.c_str());
      else setenv(name.c_str(), value.c_str(), 1);
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  program_result result;
  result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  result.out = read_file(out_path);
  result.err = read_file(err_path);
  fs::remove(out_path);
  fs::remove(err_path);
  return result;
}

// A fresh empty directory under the system's temporary directory.
inline std::filesystem::path fresh_directory(const std::string& name) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / ("porvane_test_" + name + "_" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

}  // namespace porvane::testing
