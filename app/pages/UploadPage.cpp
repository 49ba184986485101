// The Upload Gallery step; see UploadPage.h.
#include "pages/UploadPage.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QVBoxLayout>

#include "pages/Controls.h"
#include "publish/Deployment.h"
#include "support/Text.h"

namespace qg::app {

UploadPage::UploadPage(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("tabUpload"));
  chkUseCorvaneServer =
      MakeCheck("chkUseCorvaneServer", QStringLiteral("&Upload to Corvane Soft Server"));
  chkUseCorvaneServer->setChecked(true);
  btnFTPSettings = MakeButton("btnFTPSettings", QStringLiteral("&FTP Settings..."));
  btnStartFTPUpload = MakeButton("btnStartFTPUpload", QStringLiteral("&Start File Upload"));
  pbarUpload = Named(new QProgressBar, "pbarUpload", QStringLiteral("Upload progress"));
  pbarUpload->setRange(0, 1);
  pbarUpload->setValue(0);
  pbarUpload->setTextVisible(false);
  lblFTPFile = MakePlainLabel("lblFTPFile", QStringLiteral("Upload status"));
  lblFTPFile->setAlignment(Qt::AlignCenter);
  lblFTPFile->setText(QStringLiteral("Ready"));
  lblGalleryLink = Named(new QLabel(QStringLiteral("Your Gallery Link:")), "lblGalleryLink",
                         QStringLiteral("Your Gallery Link:"));
  lblURLGallery = MakePlainLabel("lblURLGallery", QStringLiteral("Your Gallery Link"));
  lblURLGallery->setText(ToQ(qg::HostingBaseUrl()));
  lblURLGallery->setTextInteractionFlags(Qt::TextSelectableByMouse);
  lblURLGallery->setCursor(Qt::PointingHandCursor);
  QPalette pal = lblURLGallery->palette();
  pal.setColor(QPalette::WindowText, pal.color(QPalette::Link));
  lblURLGallery->setPalette(pal);
  btnEmailLink = MakeButton("btnEmailLink", QStringLiteral("&Email your Gallery Link"));
  lblGalleryLink->setBuddy(btnEmailLink);

  auto* target = new QHBoxLayout;
  target->addWidget(chkUseCorvaneServer);
  target->addStretch(1);
  target->addWidget(btnFTPSettings);
  auto* progress = new QGroupBox(QStringLiteral("Gallery Upload Progress"));
  auto* progressLayout = new QVBoxLayout(progress);
  progressLayout->addWidget(pbarUpload);
  progressLayout->addWidget(lblFTPFile);
  auto* link = new QGridLayout;
  link->addWidget(lblGalleryLink, 0, 0);
  link->addWidget(lblURLGallery, 0, 1);
  link->addWidget(btnEmailLink, 1, 1, Qt::AlignLeft);
  link->setColumnStretch(1, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(target);
  layout->addWidget(btnStartFTPUpload, 0, Qt::AlignLeft);
  layout->addWidget(progress);
  layout->addLayout(link);
  layout->addStretch(1);

  connect(chkUseCorvaneServer, &QCheckBox::toggled, this, &UploadPage::chkUseCorvaneServerClick);
  chkUseCorvaneServerClick();
  SetLinkEnabled(false);
}

void UploadPage::chkUseCorvaneServerClick() {
  btnFTPSettings->setEnabled(!chkUseCorvaneServer->isChecked());
}

void UploadPage::SetLinkEnabled(bool enabled) {
  lblURLGallery->setEnabled(enabled);
  btnEmailLink->setEnabled(enabled);
}

}  // namespace qg::app
