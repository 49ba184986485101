// The image details window: the camera data of one picture in labeled groups beside a small
// view of the picture. The camera data (read from the file's header sections only) fills the
// labels before the window opens; the picture itself is decoded on a worker thread, so a large
// file shows its data at once and its picture a moment later. One second after the window is
// shown the picture is resampled to exactly the size of its box, once.
//
// Threading: the window lives on the GUI thread. Its worker threads decode and resample copies
// and post the results back; the window joins them when it is destroyed.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/Picture.h"
#include "metadata/CameraData.h"

class QLabel;
class QTimer;

namespace qg::app {

class Prompts;
namespace views {
class PictureBox;
}

// Opens the full-size preview window for a picture, owned by `owner`.
using OpenPreviewHook = std::function<void(QWidget* owner, const std::string& picturePath)>;

class ImageDetailsWindow : public QDialog {
  Q_OBJECT
 public:
  // `picture` is the already decoded picture when the caller has one; otherwise the window
  // decodes `picturePath` itself once loadPicture() is called.
  ImageDetailsWindow(Prompts& prompts, std::string picturePath, OpenPreviewHook openPreview,
                     QWidget* parent = nullptr);
  ~ImageDetailsWindow() override;

  // Reads the file's camera data and fills the labels; without an Exif section it shows the
  // note "There is no additional image data stored within the selected image." and the labels
  // keep "...". Returns whether Exif data was found.
  bool LoadCameraData();
  void ShowCameraData(const qg::CameraDataLabels& labels);

  // Shows an already decoded picture, or starts decoding the file on a worker thread. A decode
  // that fails there shows its error and closes the window.
  void setPicture(qg::Picture picture);
  void loadPicture();

  bool hasPicture() const { return picture_ != nullptr; }
  // The picture as the box shows it (after the fit, the box's size).
  const qg::Picture* picture() const { return picture_.get(); }
  bool fitted() const { return fitted_; }
  const std::string& picturePath() const { return picturePath_; }

 signals:
  // The decoded picture arrived and is shown.
  void pictureShown();
  // The one-shot fit has replaced the picture.
  void pictureFitted();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void showInBox();
  void fitToBox();
  void pictureFailed(const QString& message);
  void run(std::function<void()> work);

  Prompts& prompts_;
  std::string picturePath_;
  OpenPreviewHook openPreview_;
  std::shared_ptr<const qg::Picture> picture_;
  bool fitDue_ = false;
  bool fitted_ = false;
  bool fitRunning_ = false;
  views::PictureBox* imgPreview_;
  QTimer* fitTimer_;
  QLabel* lblCameraMake_;
  QLabel* lblModel_;
  QLabel* lblImageDate_;
  QLabel* lblImageTime_;
  QLabel* lblImageName_;
  QLabel* lblImageSize_;
  QLabel* lblAperture_;
  QLabel* lblShutterSpeed_;
  QLabel* lblFlash_;
  std::vector<std::thread> workers_;
};

// The "Details" command: checks that the picture can be read (a missing or damaged file shows
// the error and opens nothing), fills the camera data, then shows the window modally while the
// picture is decoded. Returns whether the window was shown.
bool ShowImageDetails(QWidget* parent, Prompts& prompts, const std::string& picturePath,
                      OpenPreviewHook openPreview = {});

}  // namespace qg::app
