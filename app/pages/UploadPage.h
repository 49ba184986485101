// Step 5, "Upload Gallery": the upload target, FTP settings, Start File Upload, the upload
// progress, the gallery link and the e-mail button. The upload itself is started by the main
// window.
#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace qg::app {

class UploadPage : public QWidget {
  Q_OBJECT

 public:
  explicit UploadPage(QWidget* parent = nullptr);

  // The gallery link and the e-mail button: disabled until an upload ends, and after New.
  void SetLinkEnabled(bool enabled);

  QCheckBox* chkUseCorvaneServer;
  QPushButton* btnFTPSettings;
  QPushButton* btnStartFTPUpload;
  QProgressBar* pbarUpload;
  QLabel* lblFTPFile;
  QLabel* lblGalleryLink;
  QLabel* lblURLGallery;
  QPushButton* btnEmailLink;

 public slots:
  // The FTP settings are for the own server only.
  void chkUseCorvaneServerClick();
};

}  // namespace qg::app
