// The one error type of the core. Its message is the user-facing text exactly as the program
// words it; the window's general handler and the command line show it as it stands (the window
// adds the closing full stop where the message lacks one).
#pragma once

#include <stdexcept>
#include <string>

namespace qg {

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// Formats like printf into a std::string; used to fill the program's message templates
// ("Unable to write to %s", "List index out of bounds (%d)", ...).
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

}  // namespace qg
