// The Images Page sub-page; see ImagesPagePage.h.
#include "pages/ImagesPagePage.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>

#include "pages/Controls.h"
#include "project/Options.h"
#include "support/StandardIcon.h"

namespace qg::app {

ImagesPagePage::ImagesPagePage(qg::Project& project, Prompts& prompts, QWidget* parent)
    : OptionSubPage(project, prompts, parent) {
  setObjectName(QStringLiteral("tabImagesPage"));
  auto* rbUseImageFilename =
      MakeRadio("rbUseImageFilename", QStringLiteral("&Use image name with"));
  editImageFilenameExt = MakeEdit("editImageFilenameExt", QStringLiteral("Page extension"));
  auto* rbUseGivenFilename = MakeRadio("rbUseGivenFilename", QStringLiteral("Use filena&me"));
  editGivenFilename = MakeEdit("editGivenFilename", QStringLiteral("Page file name"));
  ColourBox* colorImageBackgound =
      makeColourBox("colorImageBackgound", QStringLiteral("Background Colour"));
  editBackgroundBPic = MakeEdit("editBackgroundBPic", QStringLiteral("Background Picture"));
  btnBackgroundBBrowse = MakeButton("btnBackgroundBBrowse", QStringLiteral("..."),
                                    QStringLiteral("Choose a background picture"));
  btnBackgroundBBrowse->setAccessibleName(QStringLiteral("Browse for a background picture"));
  imgBackgroundsB =
      Named(new QToolButton, "imgBackgroundsB", QStringLiteral("More backgrounds on the web"));
  SetStandardIconLater(imgBackgroundsB, QStyle::SP_DirLinkIcon);
  imgBackgroundsB->setToolTip(QStringLiteral("More backgrounds on the web"));
  imgBackgroundsB->setCursor(Qt::PointingHandCursor);
  imgBackgroundsB->setAutoRaise(true);
  auto* chkNavTopImage = MakeCheck("chkNavTopImage", QStringLiteral("Top &Navigation"));
  auto* chkNavBottomImage = MakeCheck("chkNavBottomImage", QStringLiteral("&Bottom Navigation"));
  btnNavAdvancedImage = MakeButton("btnNavAdvancedImage", QStringLiteral("&Advanced..."));

  // Both radios are set from the project (a hand-edited file may hold both or neither), so they
  // are not an exclusive group; a click on one clears the other.
  auto* names = new QGroupBox(QStringLiteral("Page Names"));
  auto* namesLayout = new QGridLayout(names);
  namesLayout->addWidget(rbUseImageFilename, 0, 0);
  namesLayout->addWidget(editImageFilenameExt, 0, 1);
  namesLayout->addWidget(rbUseGivenFilename, 1, 0);
  namesLayout->addWidget(editGivenFilename, 1, 1);
  namesLayout->setColumnStretch(2, 1);
  rbUseImageFilename->setAutoExclusive(false);
  rbUseGivenFilename->setAutoExclusive(false);

  auto* background = new QGroupBox(QStringLiteral("Background"));
  auto* bgLayout = new QGridLayout(background);
  bgLayout->addWidget(MakeLabel(QStringLiteral("Co&lour"), colorImageBackgound), 0, 0);
  bgLayout->addWidget(colorImageBackgound, 0, 1, Qt::AlignLeft);
  bgLayout->addWidget(imgBackgroundsB, 0, 3, Qt::AlignRight);
  bgLayout->addWidget(MakeLabel(QStringLiteral("P&icture"), editBackgroundBPic), 1, 0);
  bgLayout->addWidget(editBackgroundBPic, 1, 1, 1, 2);
  bgLayout->addWidget(btnBackgroundBBrowse, 1, 3);
  bgLayout->setColumnStretch(2, 1);

  auto* nav = new QGroupBox(QStringLiteral("Navigation"));
  auto* navLayout = new QHBoxLayout(nav);
  navLayout->addWidget(chkNavTopImage);
  navLayout->addWidget(chkNavBottomImage);
  navLayout->addStretch(1);
  navLayout->addWidget(btnNavAdvancedImage);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(names);
  layout->addWidget(background);
  layout->addWidget(nav);
  layout->addStretch(1);

  bind(editImageFilenameExt, &qg::GalleryOptions::editImageFilenameExt);
  bind(editGivenFilename, &qg::GalleryOptions::editGivenFilename);
  bind(colorImageBackgound, &qg::GalleryOptions::colorboxBackgroundB);
  bind(editBackgroundBPic, &qg::GalleryOptions::editBackgroundBPic);
  bind(chkNavTopImage, &qg::GalleryOptions::chkNavTopImage);
  bind(chkNavBottomImage, &qg::GalleryOptions::chkNavBottomImage);

  onRefresh([this, rbUseImageFilename, rbUseGivenFilename] {
    const QSignalBlocker b1(rbUseImageFilename), b2(rbUseGivenFilename);
    rbUseImageFilename->setChecked(options().rbUseImageFilename);
    rbUseGivenFilename->setChecked(options().rbUseGivenFilename);
  });
  // rbUseImageFilenameClick and rbUseGivenFilenameClick. A click on a checked radio keeps it.
  const auto radio = [this](QRadioButton* button, void (*set)(qg::GalleryOptions&, bool)) {
    connect(button, &QRadioButton::clicked, this, [this, set] {
      userEdit([&] { set(options(), true); });
      refresh();
    });
  };
  radio(rbUseImageFilename, &qg::SetUseImageFilename);
  radio(rbUseGivenFilename, &qg::SetUseGivenFilename);
}

void ImagesPagePage::updateEnabled() {
  editGivenFilename->setEnabled(options().rbUseGivenFilename);
  editImageFilenameExt->setEnabled(!options().rbUseGivenFilename);
}

}  // namespace qg::app
