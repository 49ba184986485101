// Reading back what the JPEG writer produced, with libjpeg, for the tests.
#pragma once

#include <string>

#include "core/Picture.h"

namespace qg::test {

struct DecodedJpeg {
  Picture picture;
  bool progressive = false;
};

DecodedJpeg ReadJpegFile(const std::string& path);

}  // namespace qg::test
