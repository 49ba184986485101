// Lossless output of a working picture, for tools and tests that need the exact pixels (the
// command line's thumbnail command writes .png this way).
#pragma once

#include <string>

#include "core/Picture.h"

namespace qg {

// Writes an 8-bit RGB PNG (no alpha, no gamma or time chunks, so equal pictures give equal
// files) at exactly `path`, replacing a file of that name. Throws qg::Error naming the path when
// the file cannot be written.
void SavePng(const Picture& picture, const std::string& path);

}  // namespace qg
