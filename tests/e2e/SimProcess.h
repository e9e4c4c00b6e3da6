#pragma once
// Runs kestralux-sim as a child process beside the test, with its standard output in a
// file the test can read while it runs. Needs a MIDI system (a JACK server from
// scripts/with-jack).

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <memory>
#include <thread>
#include <vector>

#include "model/PresetRecord.h"

namespace kestralux::e2e {

class SimProcess {
 public:
  SimProcess(const std::string& program, std::vector<std::string> args, std::filesystem::path output)
      : output_(std::move(output)) {
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ == 0) {
      // A test that crashes never runs its tear-down: the device would outlive it, holding
      // the test's standard error open, and the run would wait on it until its time-out.
      // It ends with the test instead, also when the test died before this line.
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      if (getppid() != parent) _exit(127);
      FILE* out = std::fopen(output_.c_str(), "w");
      if (out) dup2(fileno(out), STDOUT_FILENO);
      std::vector<char*> raw;
      for (auto& a : argv) raw.push_back(a.data());
      raw.push_back(nullptr);
      execv(raw[0], raw.data());
      _exit(127);
    }
  }
  ~SimProcess() { stop(); }
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  bool started() const { return pid_ > 0; }

  // Asks it to stop (it then writes its --dump-on-exit file) and waits; its exit status,
  // or -1 when it had to be killed.
  int stop() {
    if (pid_ <= 0) return exitStatus_;
    kill(pid_, SIGTERM);
    for (int i = 0; i < 100; ++i) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = 0;
        exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return exitStatus_;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = 0;
    return exitStatus_ = -1;
  }

  std::vector<std::string> outputLines() const {
    std::ifstream in(output_);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  // Waits until the output holds `count` lines that start with `prefix`.
  bool waitForLines(const std::string& prefix, std::size_t count,
                    std::chrono::milliseconds timeout = std::chrono::seconds(10)) const {
    const auto end = std::chrono::steady_clock::now() + timeout;
    do {
      std::size_t n = 0;
      for (const auto& l : outputLines())
        if (l.rfind(prefix, 0) == 0) ++n;
      if (n >= count) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < end);
    return false;
  }

 private:
  std::filesystem::path output_;
  pid_t pid_ = -1;
  int exitStatus_ = -1;
};

// kestralux-sim started in `dir` with `bank` as dir/<tag>start.bnk, printing what it receives
// to dir/<tag>sim.out and writing its stored bank to dir/<tag>end.bnk and its current sound to
// dir/<tag>end.pre when it stops. `options` go on its command line (a port name, a shaped
// answer).
inline std::unique_ptr<SimProcess> startSimulator(const std::filesystem::path& dir, const PresetBank& bank,
                                                  std::vector<std::string> options = {},
                                                  const std::string& tag = "") {
  const std::filesystem::path start = dir / (tag + "start.bnk");
  std::ofstream(start, std::ios::binary).write(reinterpret_cast<const char*>(bank.data()), sizeof bank);
  std::vector<std::string> args{"--verbose", "--bank", start.string(), "--dump-on-exit",
                                (dir / (tag + "end.bnk")).string()};
  args.insert(args.end(), options.begin(), options.end());
  return std::make_unique<SimProcess>(KESTRALUX_SIM_PROGRAM, std::move(args), dir / (tag + "sim.out"));
}

// The current sound a stopped simulator started by startSimulator wrote.
inline PresetRecord dumpedSound(const std::filesystem::path& dir, const std::string& tag = "") {
  PresetRecord sound{};
  std::ifstream(dir / (tag + "end.pre"), std::ios::binary).read(reinterpret_cast<char*>(sound.bytes.data()), sizeof sound.bytes);
  return sound;
}

}  // namespace kestralux::e2e
