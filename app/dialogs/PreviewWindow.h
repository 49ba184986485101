// The full-size preview window: pages through the picture list at full size, with a tool bar, a
// File menu and the status "Image number k of n". Fit to screen resamples the shown picture to
// the window (the aspect is not kept). Opened by Preview Thumb and Preview Image it shows the
// sample made from the first picture and counts from that picture; Next and Previous then show
// the neighbouring source pictures.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "core/Picture.h"
#include "imaging/Pipeline.h"
#include "project/Project.h"

class QAction;
class QLabel;
class QScrollArea;

namespace qg {
class PreviewFolder;
}

namespace qg::app {

class Prompts;

// Shows the details window for a picture, owned by `owner` (the main window supplies it).
using ShowDetailsHook = std::function<void(QWidget* owner, const std::string& picturePath)>;

class PreviewWindow : public QDialog {
  Q_OBJECT
 public:
  // `picturePaths` are the list's files in list order; the status counts from `startIndex`
  // (clamped to the list; no count for an empty list).
  PreviewWindow(Prompts& prompts, std::vector<std::string> picturePaths, int startIndex,
                ShowDetailsHook showDetails, QWidget* parent = nullptr);

  // Loads and shows a picture file at full size, scrolled to half its height. Throws the
  // decoder's error; the window then keeps what it showed.
  void ShowPicture(const std::string& path);
  void UpdateStatus();

  void btnNextClick();
  void btnPreviousClick();
  void btnFitToScreenClick();
  void itemViewDetailsClick();
  void Close1Click();

  int currentIndex() const { return index_; }
  QString statusText() const;
  const qg::Picture& picture() const { return picture_; }
  // The file the window shows (before any fit).
  const std::string& shownFile() const { return shownFile_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void showCurrent(const std::string& path, int index);
  void display();

  Prompts& prompts_;
  std::vector<std::string> paths_;
  int index_ = 0;
  ShowDetailsHook showDetails_;
  qg::Picture picture_;
  std::string shownFile_;
  bool scrollPending_ = false;
  QScrollArea* scrollBox_;
  QLabel* imgPicture_;
  QLabel* pnlStatus_;
};

// Opens the preview window on `shownFile` (a picture of the list, or a sample made from one)
// with the count at `startIndex`, modally. A file that cannot be shown shows the error and
// opens nothing; returns whether the window was shown.
bool RunPreviewWindow(QWidget* parent, Prompts& prompts, std::vector<std::string> picturePaths,
                      int startIndex, const std::string& shownFile, ShowDetailsHook showDetails);

// Preview Thumb (Side::Thumb) and Preview Image (Side::Image): with an empty list the note
// "Please add some pictures before previewing thumbs (Project Step 2)." (or "... images ...");
// otherwise the first picture's sample is made into the run's preview folder under the wait
// cursor and shown in the preview window, counted as the first picture. A failure shows the
// error, after the cursor is restored, and opens nothing. Returns whether the window was shown.
bool RunPreviewSample(QWidget* parent, Prompts& prompts, const qg::Project& project, qg::Side side,
                      qg::PreviewFolder& folder, ShowDetailsHook showDetails);
inline bool RunPreviewThumb(QWidget* parent, Prompts& prompts, const qg::Project& project,
                            qg::PreviewFolder& folder, ShowDetailsHook showDetails) {
  return RunPreviewSample(parent, prompts, project, qg::Side::Thumb, folder,
                          std::move(showDetails));
}
inline bool RunPreviewImage(QWidget* parent, Prompts& prompts, const qg::Project& project,
                            qg::PreviewFolder& folder, ShowDetailsHook showDetails) {
  return RunPreviewSample(parent, prompts, project, qg::Side::Image, folder,
                          std::move(showDetails));
}

// The file paths of the project's pictures, in list order.
std::vector<std::string> PicturePaths(const qg::Project& project);

}  // namespace qg::app
