// Pictures made in memory for the imaging tests.
#pragma once

#include <cstdint>
#include <random>

#include "core/Picture.h"

namespace qg::test {

// Every byte random.
Picture RandomPicture(int width, int height, std::mt19937& random);
// Photo-like: gradients, a few hard edges and some noise, so resampling overshoots and clamps.
Picture PhotoLikePicture(int width, int height, uint32_t seed);
// One colour everywhere.
Picture FlatPicture(int width, int height, uint8_t r, uint8_t g, uint8_t b);

}  // namespace qg::test
