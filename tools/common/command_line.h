// The tools' command lines, on CLI11, with one behaviour for all of them:
// -h/--help and --version are plain flags honoured only once the whole line
// has parsed (so `--version --bogus` is an error, not a version), and every
// error is one line on standard error with exit status 2. Output files are
// opened before the work starts, so a bad path costs nothing.
//
// CLI11 is header-only and slow to compile; only command_line.cpp includes
// it, once for every tool.
#ifndef RAVO_COMMAND_LINE_H
#define RAVO_COMMAND_LINE_H

#include <cstdint>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace ravo_tools {

class CommandLine {
 public:
  // usage: the help text; empty for CLI11's own listing of the options.
  CommandLine(std::string name, std::string description, std::string usage = {});
  ~CommandLine();

  // names: "--cr", "-h,--help"; a name without dashes is an operand.
  void flag(const std::string& names, bool& value, const std::string& help);
  // A count in plain decimal digits: -5, 0x10 and 010 as octal are refused.
  void count(const std::string& names, std::uint64_t& value, const std::string& help);
  void text(const std::string& names, std::string& value, const std::string& help, const std::string& type);
  // Every operand, in order.
  void operands(const std::string& name, std::vector<std::string>& values, const std::string& help);
  // Whether the option was on the command line.
  bool given(const std::string& name) const;

  // Parses argv. Returns the exit status when the tool is done (help or
  // version printed: 0; a write error: 1; a bad command line: 2), nothing
  // when it should go on.
  std::optional<int> parse(int argc, const char* const* argv);

  // A usage error found after parsing (a value out of range, a bad mode):
  // prints it as parse does and returns the status to exit with.
  int fail(const std::string& message) const;

  // Opens path for writing, or says why not; the tool exits 2 on failure.
  bool open_output(const std::string& path, std::ofstream& out) const;

 private:
  std::unique_ptr<CLI::App> app_;
  std::string name_, usage_;
  bool help_ = false, version_ = false;
};

}  // namespace ravo_tools

#endif
