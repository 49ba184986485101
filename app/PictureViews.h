// The picture commands of the main window that show rather than change: the small preview's
// quarter turns, Preview Thumb and Preview Image, the full-size preview of the selected picture
// and its details window. It owns the run's private preview folder (removed when the window
// goes).
//
// Threading: GUI thread only.
#pragma once

#include <memory>
#include <string>

#include "project/Project.h"

class QWidget;

namespace qg {
class PreviewFolder;
}

namespace qg::app {

class PicturesPage;
class Prompts;

class PictureViews {
 public:
  PictureViews(QWidget* owner, Prompts& prompts, qg::Project& project, PicturesPage& pictures);
  ~PictureViews();
  PictureViews(const PictureViews&) = delete;
  PictureViews& operator=(const PictureViews&) = delete;

  void previewThumb();
  void previewImage();
  // The preview window on the selected picture; nothing without a selection.
  void previewSelected();
  // Turns the selected picture's small preview a quarter to the right or left, from its file,
  // under the wait cursor. Nothing happens without a selection.
  void rotate(bool right);
  // The details window of the selected picture.
  void details();

  // The folder the samples go to; made on first use.
  qg::PreviewFolder& folder() { return *folder_; }

 private:
  void showDetails(QWidget* owner, const std::string& path);
  void showPreview(QWidget* owner, const std::string& path);

  QWidget* owner_;
  Prompts& prompts_;
  qg::Project& project_;
  PicturesPage& pictures_;
  std::unique_ptr<qg::PreviewFolder> folder_;
};

}  // namespace qg::app
