#include "command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#ifndef RAVO_VERSION
#error "compiled with RAVO_VERSION, the project's version"
#endif

namespace ravo_tools {
namespace {

// Checked, and its leading zeros dropped, before CLI11 converts the text
// with strtoull, which would read -5 as 2^64 - 5 and 010 as octal; given
// with transform, since check may not change the text. Nineteen digits stay
// below 2^64.
const CLI::Validator kCount(
    [](std::string& text) -> std::string {
      if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return "'" + text + "' is not a count (decimal digits)";
      text.erase(0, std::min(text.find_first_not_of('0'), text.size() - 1));
      return text.size() <= 19 ? "" : "'" + text + "' is too large a count (19 digits at most)";
    },
    "COUNT");

}  // namespace

CommandLine::CommandLine(std::string name, std::string description, std::string usage)
    : app_(std::make_unique<CLI::App>(std::move(description), name)), name_(std::move(name)), usage_(std::move(usage)) {
  app_->set_help_flag();
  app_->add_flag("-h,--help", help_, "print this help and exit");
  app_->add_flag("--version", version_, "print the version and exit");
  // Left-over words are reported by parse in the tools' own words.
  app_->allow_extras();
}

CommandLine::~CommandLine() = default;

void CommandLine::flag(const std::string& names, bool& value, const std::string& help) {
  app_->add_flag(names, value, help);
}

void CommandLine::count(const std::string& names, std::uint64_t& value, const std::string& help) {
  app_->add_option(names, value, help)->transform(kCount)->type_name("N");
}

void CommandLine::text(const std::string& names, std::string& value, const std::string& help, const std::string& type) {
  app_->add_option(names, value, help)->type_name(type);
}

void CommandLine::operands(const std::string& name, std::vector<std::string>& values, const std::string& help) {
  app_->add_option(name, values, help);
}

bool CommandLine::given(const std::string& name) const { return app_->count(name) > 0; }

std::optional<int> CommandLine::parse(int argc, const char* const* argv) {
  try {
    app_->parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return fail(e.what());
  }
  std::vector<std::string> left = app_->remaining();
  std::erase(left, "--");  // CLI11 lists the "--" it read among the left-overs
  if (!left.empty()) {
    const std::string& first = left.front();
    return fail((first.size() > 1 && first[0] == '-' ? "unknown option '" : "unexpected argument '") + first + "'");
  }
  if (!help_ && !version_) return std::nullopt;
  if (help_)
    std::cout << (usage_.empty() ? app_->help() : usage_);
  else
    std::cout << name_ << " (ravo_libm) " RAVO_VERSION "\n";
  std::cout.flush();
  if (std::cout && std::fflush(stdout) == 0) return 0;
  std::cerr << name_ << ": cannot write standard output: " << std::strerror(errno) << "\n";
  return 1;
}

int CommandLine::fail(const std::string& message) const {
  std::cerr << name_ << ": " << message << " (see " << name_ << " --help)\n";
  return 2;
}

bool CommandLine::open_output(const std::string& path, std::ofstream& out) const {
  errno = 0;
  out.open(path);
  if (out) return true;
  std::cerr << name_ << ": cannot write '" << path << "': " << (errno ? std::strerror(errno) : "open failed") << "\n";
  return false;
}

}  // namespace ravo_tools
