// The fixture of the whole-program tests: a temporary folder (with the
// test pictures when asked), vornel run in it with arguments and a script,
// and readers for the files it leaves.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace e2e {

class Program : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("vornel_e2e_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name() + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    if (!HasFailure()) std::filesystem::remove_all(dir_);
  }

  // Copies the test pictures (pic1.jpg .. pic5.bmp, bitmaps/) into the folder.
  void CopyAssets() {
    std::filesystem::copy(VORNEL_ASSETS, dir_, std::filesystem::copy_options::recursive |
                                                   std::filesystem::copy_options::overwrite_existing);
  }

  // Runs vornel in the folder with the given arguments; returns its exit
  // status, with stdout and stderr kept.
  int Run(const std::string& args, const std::string& env = "") {
    std::string cmd = "cd '" + dir_.string() + "' && " + env + " '" VORNEL_BINARY "' " + args +
                      " < /dev/null > stdout.txt 2> stderr.txt";
    int raw = std::system(cmd.c_str());
    stdout_ = Read("stdout.txt");
    stderr_ = Read("stderr.txt");
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }
  // Writes the script and runs it headless.
  int RunScript(const std::string& script, const std::string& env = "") {
    Write("session.txt", script);
    return Run("--headless --script session.txt", env);
  }
  // The same on a virtual clock: time moves only with the program's own
  // waits, and a script's `sleep` moves it `ms_per_pass` a main-loop pass,
  // so a second of statistics is 1000 / ms_per_pass passes however long
  // they take and nothing waits in real time. Slow frames want a longer
  // step.
  int RunScriptOnVirtualClock(const std::string& script, int ms_per_pass = 10) {
    return RunScript(script, "VORNEL_VIRTUAL_CLOCK=" + std::to_string(ms_per_pass));
  }

  void Write(const std::string& name, const std::string& text) { std::ofstream(dir_ / name) << text; }
  std::string Read(const std::string& name) const {
    std::ifstream in(dir_ / name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  bool Exists(const std::string& name) const { return std::filesystem::exists(dir_ / name); }

  // The lines of a file.
  std::vector<std::string> Lines(const std::string& name) const {
    std::vector<std::string> lines;
    std::istringstream in(Read(name));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  // The log lines that contain `what`, from the position of `what` on.
  std::vector<std::string> LogLinesWith(const std::string& what) const {
    std::vector<std::string> out;
    for (const std::string& line : Lines("Logfile.txt")) {
      std::size_t at = line.find(what);
      if (at != std::string::npos) out.push_back(line.substr(at));
    }
    return out;
  }

  std::filesystem::path dir_;
  std::string stdout_;
  std::string stderr_;
};

inline int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

}  // namespace e2e
