// The sample files of "Preview Thumb" and "Preview Image": the project's first picture through
// the thumbnail or the display-image pipeline with the current options, written as JPEG into a
// folder private to this run. The folder is made with mkdtemp under the temporary folder (mode
// 0700, a fresh name), so no other user can plant a link where the sample is written; it is
// removed with its files when its owner ends.
//
// Threading: a PreviewFolder belongs to one thread (the window's); MakePreviewFile runs on it.
#pragma once

#include <string>

#include "imaging/Pipeline.h"
#include "project/Project.h"

namespace qg {

inline constexpr char kNoPicturesToPreviewThumbs[] =
    "Please add some pictures before previewing thumbs (Project Step 2).";
inline constexpr char kNoPicturesToPreviewImages[] =
    "Please add some pictures before previewing images (Project Step 2).";

// The note for a preview asked for while the picture list is empty.
const char* NoPicturesToPreviewMessage(Side side);

// Owns the run's private preview folder. The folder is made on first use, so a run that
// previews nothing leaves no trace; the destructor removes it with its content.
class PreviewFolder {
 public:
  // `parent` is the folder to make it in; empty means the system's temporary folder.
  explicit PreviewFolder(std::string parent = {});
  ~PreviewFolder();
  PreviewFolder(const PreviewFolder&) = delete;
  PreviewFolder& operator=(const PreviewFolder&) = delete;

  // The folder, without a trailing separator; made now if it does not exist yet. Throws
  // qg::Error when it cannot be made.
  const std::string& path();
  // path() + "/" + name.
  std::string file(const std::string& name);
  // Whether the folder has been made.
  bool made() const { return !path_.empty(); }

 private:
  std::string parent_;
  std::string path_;
};

// The file name of a side's sample inside the preview folder ("temp.jpg" for the thumbnail,
// "temp1.jpg" for the display image).
const char* PreviewFileName(Side side);

// Makes the sample of the project's first picture, whichever is selected: its target size from
// its size text and the side's options, then MakeSideFile with the side's style (border and
// shadow as the options say; display images are resized even when resizing is off).
// Returns the written file's path. Throws qg::Error with NoPicturesToPreviewMessage(side) for an
// empty list, and the pipeline's errors for a picture that cannot be made; the folder then holds
// no sample of that side.
std::string MakePreviewFile(const Project& project, Side side, PreviewFolder& folder);

}  // namespace qg
