// The tools' command lines, on CLI11, with one behaviour for all of them:
// -h/--help and --version are plain flags honoured only once the whole line
// has parsed (so `--version --bogus` is an error, not a version), and every
// error is one line on standard error with exit status 2. Output files are
// opened before the work starts, so a bad path costs nothing.
#ifndef RAVO_COMMAND_LINE_H
#define RAVO_COMMAND_LINE_H

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#ifndef RAVO_VERSION
#error "the tools are compiled with RAVO_VERSION, the project's version"
#endif

namespace ravo_tools {

// A count in plain decimal digits, checked and its leading zeros dropped
// before CLI11 converts it with strtoull, which would read -5 as 2^64 - 5 and
// 010 as octal; given with transform, since check may not change the text.
// Nineteen digits stay below 2^64.
inline const CLI::Validator kCount(
    [](std::string& text) -> std::string {
      if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return "'" + text + "' is not a count (decimal digits)";
      text.erase(0, std::min(text.find_first_not_of('0'), text.size() - 1));
      return text.size() <= 19 ? "" : "'" + text + "' is too large a count (19 digits at most)";
    },
    "COUNT");

class CommandLine {
 public:
  // usage: the help text; empty for CLI11's own listing of the options.
  CommandLine(std::string name, std::string description, std::string usage = {})
      : app_(std::move(description), name), name_(std::move(name)), usage_(std::move(usage)) {
    app_.set_help_flag();
    app_.add_flag("-h,--help", help_, "print this help and exit");
    app_.add_flag("--version", version_, "print the version and exit");
    // Left-over words are reported below in the tools' own words.
    app_.allow_extras();
  }

  CLI::App& app() { return app_; }

  // Parses argv. Returns the exit status when the tool is done (help or
  // version printed: 0; a write error: 1; a bad command line: 2), nothing
  // when it should go on.
  std::optional<int> parse(int argc, const char* const* argv) {
    try {
      app_.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
      return fail(e.what());
    }
    std::vector<std::string> left = app_.remaining();
    std::erase(left, "--");  // CLI11 lists the "--" it read among the left-overs
    if (!left.empty()) {
      const std::string& first = left.front();
      return fail((first.size() > 1 && first[0] == '-' ? "unknown option '" : "unexpected argument '") + first + "'");
    }
    if (help_) {
      std::cout << (usage_.empty() ? app_.help() : usage_);
      return finish_output();
    }
    if (version_) {
      std::cout << name_ << " (ravo_libm) " RAVO_VERSION "\n";
      return finish_output();
    }
    return std::nullopt;
  }

  // A usage error found after parsing (a value out of range, a bad mode):
  // prints it as parse does and returns the status to exit with.
  int fail(const std::string& message) const {
    std::cerr << name_ << ": " << message << " (see " << name_ << " --help)\n";
    return 2;
  }

  // Opens path for writing, or says why not; the tool exits 2 on failure.
  bool open_output(const std::string& path, std::ofstream& out) const {
    errno = 0;
    out.open(path);
    if (out) return true;
    std::cerr << name_ << ": cannot write '" << path << "': " << (errno ? std::strerror(errno) : "open failed") << "\n";
    return false;
  }

 private:
  int finish_output() const {
    std::cout.flush();
    if (std::cout && std::fflush(stdout) == 0) return 0;
    std::cerr << name_ << ": cannot write standard output: " << std::strerror(errno) << "\n";
    return 1;
  }

  CLI::App app_;
  std::string name_, usage_;
  bool help_ = false, version_ = false;
};

}  // namespace ravo_tools

#endif
