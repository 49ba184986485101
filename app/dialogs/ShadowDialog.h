// The drop-shadow settings dialog: colour, horizontal and vertical offset and blur of the
// thumbnails' shadow (first tab) and the display images' shadow (second tab), with a live sample
// composed by the same routine as the gallery's pictures, on white with a smaller frame. It
// edits a working copy and writes all eight values on OK.
#pragma once

#include <QDialog>
#include <QImage>
#include <array>

#include "imaging/Pipeline.h"
#include "project/Project.h"

class QLabel;
class QSpinBox;
class QTabBar;

namespace qg::app {

class ColourList;
class Prompts;

class ShadowDialog : public QDialog {
  Q_OBJECT

 public:
  ShadowDialog(QWidget* parent, Prompts& prompts, const qg::GalleryOptions& options, qg::Side tab);
  void apply(qg::GalleryOptions& options);

  // The sample as last drawn, at full size, and how often it has been drawn.
  const QImage& sample() const { return sample_; }
  int sampleDrawings() const { return drawings_; }

 private:
  void showValues(int tab);
  void takeControls(int tab);
  void renderSample(int tab);
  void changeShadow();
  void tabChanged(int tab);
  void restoreDefault();

  const qg::GalleryOptions& options_;
  // Thumbnail colour, horizontal offset, vertical offset and blur, then the same for display
  // images.
  std::array<int32_t, 8> values_;
  bool liveUpdate_ = true;
  int tab_ = 0;
  QImage sample_;
  int drawings_ = 0;

  QTabBar* tabs_;
  QLabel* lblInfo_;
  ColourList* spinShadowColor_;
  QSpinBox* spinOffH_;
  QSpinBox* spinOffV_;
  QSpinBox* spinBlur_;
  QLabel* imgPreview_;
};

// Opens the dialog on the thumbnail or display-image tab; on OK applies it and returns true.
bool RunShadowDialog(QWidget* parent, Prompts& prompts, qg::GalleryOptions& options, qg::Side tab);

}  // namespace qg::app
