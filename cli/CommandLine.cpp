// Sorting a sub-command's arguments; see Commands.h.
#include <algorithm>
#include <cstring>

#include "Commands.h"

namespace qg::cli {

namespace {

bool Contains(const std::vector<std::string>& names, const std::string& arg) {
  return std::find(names.begin(), names.end(), arg) != names.end();
}

}  // namespace

bool CommandLine::flag(const std::string& name) const {
  return std::find(flags.begin(), flags.end(), name) != flags.end();
}

const std::string* CommandLine::value(const std::string& name) const {
  for (auto it = values.rbegin(); it != values.rend(); ++it) {
    if (it->first == name) return &it->second;
  }
  return nullptr;
}

CommandLine ParseCommandLine(const Args& args, std::initializer_list<const char*> flags,
                             std::initializer_list<const char*> valued) {
  return ParseCommandLine(args, std::vector<std::string>(flags.begin(), flags.end()),
                          std::vector<std::string>(valued.begin(), valued.end()));
}

CommandLine ParseCommandLine(const Args& args, const std::vector<std::string>& flags,
                             const std::vector<std::string>& valued) {
  CommandLine line;
  bool options = true;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!options) {
      line.operands.push_back(arg);
    } else if (arg == "--") {
      options = false;
    } else if (Contains(valued, arg)) {
      if (i + 1 >= args.size()) throw UsageError{arg + " needs a value"};
      line.values.emplace_back(arg, args[++i]);
    } else if (Contains(flags, arg)) {
      line.flags.push_back(arg);
    } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
      throw UsageError{"unknown option '" + arg + "'"};
    } else {
      line.operands.push_back(arg);
    }
  }
  return line;
}

const std::string& SingleOperand(const CommandLine& line, const std::string& what) {
  if (line.operands.empty()) throw UsageError{"no " + what + " given"};
  if (line.operands.size() > 1) throw UsageError{"more than one " + what + " given"};
  return line.operands.front();
}

std::optional<unsigned long> WholeNumberIn(const std::string& text, unsigned long low,
                                           unsigned long high) {
  if (text.empty()) return std::nullopt;
  size_t used = 0;
  unsigned long value = 0;
  try {
    value = std::stoul(text, &used);
  } catch (...) {
    return std::nullopt;
  }
  if (used != text.size() || value < low || value > high) return std::nullopt;
  return value;
}

}  // namespace qg::cli
