// Editing the picture list: adding pictures (each decoded once to measure it, its record getting
// the display texts the list shows), deleting, moving, sorting and clearing. A selection is the
// index of the selected record, or kNoSelection; each operation returns the selection that
// follows it, so the window and the tests apply the same rules.
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

constexpr int kNoSelection = -1;

// Removes the selected record. The record now at its position is selected, or the last one when
// the removed record was last; kNoSelection when the list is empty afterwards. Nothing happens
// (and the selection is returned unchanged) without a valid selection.
int DeletePicture(Project& project, int selected);

// Moves the selected record one place towards the start (or the end). The moved record's
// RotateValue is cleared and it stays selected. Nothing happens for the first (last) record or
// without a valid selection.
int MovePictureUp(Project& project, int selected);
int MovePictureDown(Project& project, int selected);

// The sortable columns of the list.
enum class SortColumn { FileName = 0, ImageSize = 1, FileSize = 2 };

// Sorts the records, stably: by FileName ascending, or descending when `descending` is set; by
// the ImageSize or FileSize texts always ascending (as texts: "1024 x 768" before "800 x 600").
// Texts compare by CompareText. Returns the selected record's new position.
int SortPictures(Project& project, SortColumn column, bool descending, int selected);

// Removes every record.
void ClearPictures(Project& project);

}  // namespace qg
