// Adding pictures to the list: each picture is decoded once to measure it, and its record gets
// the display texts the list shows.
#pragma once

#include <string>
#include <vector>

#include "project/Project.h"

namespace qg {

// The record of a newly added picture: FileName is the name without folder, ImageSize
// "<width> x <height>" of the decoded picture, FileSize the FormatFileSize text of the file's
// length, FilenameAndPath the path as given, ShortTitle the file name, LongTitle and RotateValue
// empty. Throws the decoder's qg::Error when the picture cannot be decoded.
PictureRecord MakePictureRecord(const std::string& path);

// Appends one record per path, in order, and marks the project changed. A picture that cannot
// be decoded stops the adding with the decoder's error: the records appended before it stay and
// the project still counts as changed.
void AddPictures(Project& project, const std::vector<std::string>& paths);

}  // namespace qg
