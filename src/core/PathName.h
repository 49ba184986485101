// The parts of a "/"-separated path, taken from the text alone (the file system is not asked).
#pragma once

#include <string>
#include <string_view>

namespace qg {

// The file name part of a path: what follows the last "/", the whole path when it has none.
std::string FileNameOf(std::string_view path);

// The extension of the file name as written, without its dot; "" when the file name has no dot
// (a dot in a folder name does not count) or ends in one.
std::string ExtensionOf(std::string_view path);

}  // namespace qg
