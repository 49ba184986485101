// A second, deliberately plain model of the imaging arithmetic, written from the rules alone
// (without looking at the production code or the other reference loops), for cross-checking.
// Every rounding point is computed from the exact value (quad precision where double could
// round twice), so any disagreement with the production code is a real question, not noise.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Picture.h"

namespace qg::oracle {

// Lanczos3 with its single-precision rounding points, each taken from the exact value.
float Lanczos3(float x);

struct Tap {
  int index;
  int weight;
};
// The taps of every target position along one axis (source length s, target length t).
std::vector<std::vector<Tap>> Contributors(uint32_t s, uint32_t t);

// Two passes: horizontal into a tw x sh picture, then vertical.
Picture Stretch(const Picture& source, uint32_t tw, uint32_t th);

struct Kernel {
  int size = 0;
  float weights[201] = {};  // index j + 100
  float w(int j) const { return weights[j + 100]; }
};
Kernel GaussKernel(double radius);
void BlurLine(std::vector<uint8_t>& line, const Kernel& kernel);  // RGB triples
void Blur(Picture& picture, double radius);

void Border(Picture& picture, int width, uint32_t colour);
Picture Shadow(const Picture& picture, int margin, uint32_t background, uint32_t shadow, int dx,
               int dy, int blur);

// Target size from the size text and the four options; false when the arithmetic is undefined
// (zero source side) or the result leaves 0..65535.
bool TargetSize(int sw, int sh, bool widthBox, int widthSpin, bool heightBox, int heightSpin,
                long long& w, long long& h);

Picture QuarterRight(const Picture& p);
Picture HalfTurn(const Picture& p);
Picture QuarterLeft(const Picture& p);

}  // namespace qg::oracle
