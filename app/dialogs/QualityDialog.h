// The JPEG settings dialog: quality and progressive encoding of thumbnails (first tab) and
// display images (second tab). It edits a working copy and writes all four values on OK.
//
// The slider keeps the quality within 0 to 100; the spin box beside it has no bounds of its own
// and is moved by its arrows only, so a quality read from a hand-edited project is shown as it
// is and written back unchanged unless the user moves a control or leaves its tab.
#pragma once

#include <QDialog>

#include "imaging/Pipeline.h"
#include "project/Project.h"

class QCheckBox;
class QSlider;
class QSpinBox;
class QTabBar;

namespace qg::app {

class Prompts;

class QualityDialog : public QDialog {
  Q_OBJECT

 public:
  QualityDialog(QWidget* parent, const qg::GalleryOptions& options, qg::Side tab);
  void apply(qg::GalleryOptions& options) const;

 private:
  void showValues(int tab);
  void sliderChanged();
  void spinChanged();
  void tabChanged(int tab);
  void restoreDefault();

  const qg::GalleryOptions& options_;
  int32_t quality_[2];
  bool progressive_[2];
  bool updating_ = false;
  int tab_ = 0;

  QTabBar* tabs_;
  QSlider* trackQuality_;
  QSpinBox* spinQuality_;
  QCheckBox* chkProgressive_;
};

// Opens the dialog on the thumbnail or display-image tab; on OK applies it and returns true.
bool RunQualityDialog(QWidget* parent, Prompts& prompts, qg::GalleryOptions& options, qg::Side tab);

}  // namespace qg::app
