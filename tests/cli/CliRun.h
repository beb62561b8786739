// Running the command line: in this process, or as its own process from a shell script.
#pragma once

#include "TestSupport.h"
#include "cli/Cli.h"

#include <gtest/gtest.h>

#include <QtGlobal>

#include <fstream>
#include <string>
#include <vector>

struct TRun {
  int status;
  std::string out, err;
};

inline std::string ReadText(const std::string& file) {
  const std::vector<uint8_t> bytes = testsupport::ReadFile(file);
  return {bytes.begin(), bytes.end()};
}

// The command line in this process, with what it printed.
inline TRun Cli(std::vector<std::string> args) {
  args.insert(args.begin(), "vantrel-cli");
  std::vector<char*> argv;
  for (auto& a : args)
    argv.push_back(a.data());
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  // Qt's readers say nothing, as in the input module.
  const QtMessageHandler qtSays =
      qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  const int status = RunCli(static_cast<int>(argv.size()), argv.data());
  qInstallMessageHandler(qtSays);
  return {status, testing::internal::GetCapturedStdout(), testing::internal::GetCapturedStderr()};
}

// The program as users start it: `script` run by sh in `dir`, $CLI naming the program.
inline TRun Shell(const testsupport::TempDir& dir, const std::string& script) {
  std::ofstream(dir.File("run.sh"))
      << "cd '" << dir.Path().string() << "'\nexport CLI='" VANTREL_CLI << "'\n"
      << script << "\n";
  const int status = testsupport::Run("sh " + dir.File("run.sh") + " >" + dir.File("stdout") +
                                      " 2>" + dir.File("stderr"));
  return {status, ReadText(dir.File("stdout")), ReadText(dir.File("stderr"))};
}

// The arguments for a shell, each after a space.
inline std::string Quoted(const std::vector<std::string>& args) {
  std::string text;
  for (const auto& a : args)
    text += " '" + a + "'";
  return text;
}

// The program in its own process with these arguments.
inline TRun Process(const testsupport::TempDir& dir, const std::vector<std::string>& args) {
  return Shell(dir, "$CLI" + Quoted(args));
}

inline std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
    text.replace(at, from.size(), to);
  return text;
}
