// The main window's picture views; see PictureViews.h.
#include "PictureViews.h"

#include <QLabel>
#include <QPixmap>
#include <algorithm>

#include "dialogs/ImageDetailsWindow.h"
#include "dialogs/PreviewWindow.h"
#include "gallery/Preview.h"
#include "imaging/PreviewRotation.h"
#include "pages/PicturesPage.h"
#include "support/BusyCursor.h"
#include "support/ErrorDisplay.h"
#include "support/PictureImage.h"

namespace qg::app {

PictureViews::PictureViews(QWidget* owner, Prompts& prompts, qg::Project& project,
                           PicturesPage& pictures)
    : owner_(owner),
      prompts_(prompts),
      project_(project),
      pictures_(pictures),
      folder_(std::make_unique<qg::PreviewFolder>()) {}

PictureViews::~PictureViews() = default;

void PictureViews::previewThumb() {
  Guarded(prompts_, [&] {
    RunPreviewThumb(owner_, prompts_, project_, *folder_,
                    [this](QWidget* owner, const std::string& path) { showDetails(owner, path); });
  });
}

void PictureViews::previewImage() {
  Guarded(prompts_, [&] {
    RunPreviewImage(owner_, prompts_, project_, *folder_,
                    [this](QWidget* owner, const std::string& path) { showDetails(owner, path); });
  });
}

void PictureViews::previewSelected() {
  Guarded(prompts_, [&] {
    const int index = pictures_.selected();
    if (index == qg::kNoSelection || static_cast<size_t>(index) >= project_.pictures.size()) return;
    showPreview(owner_, project_.pictures[static_cast<size_t>(index)].FilenameAndPath);
  });
}

void PictureViews::rotate(bool right) {
  Guarded(prompts_, [&] {
    const int index = pictures_.selected();
    if (index == qg::kNoSelection || static_cast<size_t>(index) >= project_.pictures.size()) return;
    qg::PictureRecord& record = project_.pictures[static_cast<size_t>(index)];
    const std::string value =
        right ? qg::RotateValueRight(record.RotateValue) : qg::RotateValueLeft(record.RotateValue);
    // The cursor comes back before an error is shown: the guard reports after this scope.
    BusyCursor busy;
    const QImage image = ToQImage(qg::MakeRotatedPreview(record.FilenameAndPath, value));
    // The value changes only when the turn could be shown, so preview and value agree.
    record.RotateValue = value;
    pictures_.imgPreview->setPixmap(QPixmap::fromImage(image));
  });
}

void PictureViews::details() {
  Guarded(prompts_, [&] {
    const int index = pictures_.selected();
    if (index == qg::kNoSelection || static_cast<size_t>(index) >= project_.pictures.size()) return;
    showDetails(owner_, project_.pictures[static_cast<size_t>(index)].FilenameAndPath);
  });
}

void PictureViews::showDetails(QWidget* owner, const std::string& path) {
  ShowImageDetails(owner, prompts_, path,
                   [this](QWidget* from, const std::string& shown) { showPreview(from, shown); });
}

void PictureViews::showPreview(QWidget* owner, const std::string& path) {
  std::vector<std::string> paths = PicturePaths(project_);
  const auto it = std::find(paths.begin(), paths.end(), path);
  const int start = it == paths.end() ? 0 : static_cast<int>(it - paths.begin());
  RunPreviewWindow(owner, prompts_, std::move(paths), start, path,
                   [this](QWidget* from, const std::string& shown) { showDetails(from, shown); });
}

}  // namespace qg::app
