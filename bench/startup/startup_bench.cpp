// Times short-lived commands: each command given is started ROUNDS times, the commands taking
// turns so that a busy moment of the machine hits all of them alike, with its output thrown
// away. Prints one line per command: the median and the fastest wall time and the median
// processor time (user + system, which a busy machine disturbs less), in milliseconds.
//
// Usage: startup_bench ROUNDS COMMAND [ARG...] [';;' COMMAND [ARG...]]...
// A command that exits non-zero ends the run with exit status 1.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Times {
  double wall;
  double cpu;
};

double Milliseconds(const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; }

Times RunOnce(const std::vector<std::string>& command) {
  std::vector<char*> argv;
  for (const std::string& arg : command) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    std::fprintf(stderr, "startup_bench: cannot start %s\n", argv[0]);
    std::exit(1);
  }
  int status = 0;
  rusage usage{};
  while (wait4(pid, &status, 0, &usage) < 0) {
  }
  const auto end = std::chrono::steady_clock::now();
  posix_spawn_file_actions_destroy(&actions);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "startup_bench: %s failed\n", argv[0]);
    std::exit(1);
  }
  return {std::chrono::duration<double, std::milli>(end - start).count(),
          Milliseconds(usage.ru_utime) + Milliseconds(usage.ru_stime)};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: startup_bench ROUNDS COMMAND [ARG...] [';;' COMMAND...]...\n");
    return 2;
  }
  const int rounds = std::max(1, std::atoi(argv[1]));
  std::vector<std::vector<std::string>> commands(1);
  for (int i = 2; i < argc; ++i) {
    if (std::string(argv[i]) == ";;") {
      commands.emplace_back();
    } else {
      commands.back().push_back(argv[i]);
    }
  }
  std::vector<std::vector<double>> wall(commands.size()), cpu(commands.size());
  for (size_t c = 0; c < commands.size(); ++c) RunOnce(commands[c]);  // warm the caches
  for (int r = 0; r < rounds; ++r) {
    for (size_t c = 0; c < commands.size(); ++c) {
      const Times t = RunOnce(commands[c]);
      wall[c].push_back(t.wall);
      cpu[c].push_back(t.cpu);
    }
  }
  for (size_t c = 0; c < commands.size(); ++c) {
    std::sort(wall[c].begin(), wall[c].end());
    std::sort(cpu[c].begin(), cpu[c].end());
    std::printf("%.3f %.3f %.3f\n", wall[c][wall[c].size() / 2], wall[c].front(),
                cpu[c][cpu[c].size() / 2]);
  }
  return 0;
}
