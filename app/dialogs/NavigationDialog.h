// The navigation options dialog: which links the navigation bar offers (shown by their link
// texts, checked when on), their link texts and the ALT texts of their button pictures, whether
// the text row and the picture row are written, and each link's button picture. One set of
// settings serves index and picture pages; the two tabs show the same values.
//
// Texts, flags and the two rows are taken over on OK only. Button pictures chosen or cleared
// here are stored in the options at once and stay even when the dialog is cancelled, and
// "Save As Default" stores the texts as the defaults of new projects, in the preferences file.
#pragma once

#include <QDialog>
#include <QImage>

#include "project/Preferences.h"
#include "project/Project.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QTabBar;

namespace qg::app {

class Prompts;

class NavigationDialog : public QDialog {
  Q_OBJECT

 public:
  NavigationDialog(QWidget* parent, Prompts& prompts, qg::GalleryOptions& options,
                   qg::Preferences& prefs);
  void apply(qg::GalleryOptions& options) const;

  // The picture the preview shows (null when none).
  QImage previewImage() const { return preview_; }

 private:
  void selectFirstItems();
  void itemSelected();
  void altSelected();
  void showImage(const std::string& path);
  void setPreview(const QImage& image);
  void updateImage();
  void clearImage();
  void saveAsDefault();

  Prompts& prompts_;
  qg::GalleryOptions& options_;
  qg::Preferences& prefs_;
  int itemIndex_ = 0;  // the selected navigation item, -1 when none
  int altIndex_ = 0;   // the selected ALT entry, -1 when none
  QImage preview_;

  QTabBar* tabNav_;
  QListWidget* chklstDisplayItems_;
  QLineEdit* editNavText_;
  QListWidget* lstALTText_;
  QLineEdit* editALT_;
  QCheckBox* chkShowCaptions_;
  QCheckBox* chkShowImages_;
  QLineEdit* editImgLocation_;
  QLabel* imgNavPreview_;
};

// Opens the dialog; on OK applies it and returns true.
bool RunNavigationDialog(QWidget* parent, Prompts& prompts, qg::GalleryOptions& options,
                         qg::Preferences& prefs);

}  // namespace qg::app
