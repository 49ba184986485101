// The Images sub-page; see ImagesPage.h.
#include "pages/ImagesPage.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "pages/Controls.h"
#include "project/Options.h"

namespace qg::app {

ImagesPage::ImagesPage(qg::Project& project, Prompts& prompts, QWidget* parent)
    : OptionSubPage(project, prompts, parent) {
  setObjectName(QStringLiteral("tabImages"));
  auto* chkImageResize = MakeCheck("chkImageResize", QStringLiteral("&Resize Images"));
  auto* chkWidthImage = MakeCheck("chkWidthImage", QStringLiteral("&Width"));
  auto* spinWidthImage = MakeSpin("spinWidthImage", QStringLiteral("Image width"),
                                  qg::kImageSizeRange.min, qg::kImageSizeRange.max, 10);
  auto* chkHeightImage = MakeCheck("chkHeightImage", QStringLiteral("H&eight"));
  auto* spinHeightImage = MakeSpin("spinHeightImage", QStringLiteral("Image height"),
                                   qg::kImageSizeRange.min, qg::kImageSizeRange.max, 10);
  auto* spinBorder = MakeSpin("spinBorderWidthImage", QStringLiteral("Border Width"),
                              qg::kBorderWidthRange.min, qg::kBorderWidthRange.max);
  ColourBox* colorBorder = makeColourBox("colorBorderImage", QStringLiteral("Border Colour"));
  auto* chkAddShadowImage = MakeCheck("chkAddShadowImage", QStringLiteral("Add &Shadow Effect"));
  btnShadowImage = MakeButton("btnShadowImage", QStringLiteral("Shadow settings..."));
  btnImageQualityImage = MakeButton("btnImageQualityImage", QStringLiteral("Image &Quality..."));
  btnPreviewImage = MakeButton("btnPreviewImage", QStringLiteral("Preview &Image..."));

  grpSizeImages = Named(new QGroupBox(QStringLiteral("Image Size")), "grpSizeImages",
                        QStringLiteral("Image Size"));
  auto* sizeGrid = new QGridLayout(grpSizeImages);
  sizeGrid->addWidget(chkWidthImage, 0, 0);
  sizeGrid->addWidget(spinWidthImage, 0, 1);
  sizeGrid->addWidget(chkHeightImage, 1, 0);
  sizeGrid->addWidget(spinHeightImage, 1, 1);
  sizeGrid->setColumnStretch(2, 1);

  auto* effects = new QGroupBox(QStringLiteral("Border and Shadow"));
  auto* effectGrid = new QGridLayout(effects);
  effectGrid->addWidget(MakeLabel(QStringLiteral("&Border Width"), spinBorder), 0, 0);
  effectGrid->addWidget(spinBorder, 0, 1);
  effectGrid->addWidget(MakeLabel(QStringLiteral("Border Co&lour"), colorBorder), 1, 0);
  effectGrid->addWidget(colorBorder, 1, 1);
  effectGrid->addWidget(chkAddShadowImage, 2, 0, 1, 2);
  effectGrid->addWidget(btnShadowImage, 3, 0, 1, 2, Qt::AlignLeft);
  effectGrid->setColumnStretch(2, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnImageQualityImage);
  buttons->addWidget(btnPreviewImage);
  buttons->addStretch(1);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(chkImageResize);
  layout->addWidget(grpSizeImages);
  layout->addWidget(effects);
  layout->addLayout(buttons);
  layout->addStretch(1);

  bind(chkImageResize, &qg::GalleryOptions::blImageResize);
  bindReacting(
      chkWidthImage, [](const qg::GalleryOptions& o) { return o.blImageWidth; },
      [](qg::GalleryOptions& o, bool on) { qg::SetImageWidthBox(o, on); });
  bindReacting(
      chkHeightImage, [](const qg::GalleryOptions& o) { return o.blImageHeight; },
      [](qg::GalleryOptions& o, bool on) { qg::SetImageHeightBox(o, on); });
  bind(spinWidthImage, &qg::GalleryOptions::iImageWidth);
  bind(spinHeightImage, &qg::GalleryOptions::iImageHeigth);
  bind(spinBorder, &qg::GalleryOptions::BorderWidthImage);
  bind(colorBorder, &qg::GalleryOptions::ColorBorderImage);
  bind(chkAddShadowImage, &qg::GalleryOptions::AddShadowImage);
}

// chkImageResizeClick: the size group only for resized images.
void ImagesPage::updateEnabled() { grpSizeImages->setEnabled(options().blImageResize); }

}  // namespace qg::app
