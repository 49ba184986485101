// A small baseline JPEG written with libjpeg, for tests that add pictures to a project.
#pragma once

#include <string>

namespace qg::test {

// Writes a width x height grey-gradient JPEG at `path`.
void WriteTestJpeg(const std::string& path, int width, int height);

}  // namespace qg::test
