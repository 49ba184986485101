// Projects for the gallery tests: new-project options with the default navigation texts and
// button pictures, and pictures named as the tests need them.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "imaging/Pipeline.h"
#include "project/Project.h"

namespace qg::test {

// New-project options: title "My Gallery 1", buttons under /app/Buttons.
inline Project NewGalleryProject() {
  Project project;
  GalleryOptions& o = project.options;
  o.editIndexCaption = "My Gallery 1";
  o.editDestFolder = "/nonexistent/gallery";
  o.sNav = {"Home", "Index", "First", "Prev", "Next", "Last"};
  o.sNavALT = {"[Home]", "[Index]", "[First]", "[Previous]", "[Next]", "[Last]"};
  o.sNavImage = {"/app/Buttons/bhome.gif", "/app/Buttons/bhome.gif", "/app/Buttons/bfirst.gif",
                 "/app/Buttons/bprev.gif", "/app/Buttons/bnext.gif", "/app/Buttons/blast.gif"};
  return project;
}

inline PictureRecord PictureNamed(const std::string& fileName,
                                  const std::string& imageSize = "800 x 600",
                                  const std::string& folder = "/photos") {
  PictureRecord p;
  p.FileName = fileName;
  p.ImageSize = imageSize;
  p.FileSize = "245 KB";
  p.FilenameAndPath = folder + "/" + fileName;
  p.ShortTitle = fileName;
  return p;
}

// Width 120, height in proportion: what the default thumbnail options give.
inline TargetSize Width120(const PictureRecord& picture) {
  int w = 0, h = 0;
  std::sscanf(picture.ImageSize.c_str(), "%d x %d", &w, &h);
  return {120, static_cast<uint16_t>(w > 0 ? h * 120 / w : 0)};
}

}  // namespace qg::test
