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
  FillSizeBox(grpSizeImages, chkWidthImage, spinWidthImage, chkHeightImage, spinHeightImage);
  auto* effects = MakeBorderShadowBox(spinBorder, colorBorder, chkAddShadowImage, btnShadowImage);

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
