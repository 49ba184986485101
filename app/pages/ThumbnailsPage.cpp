// The Thumbnails sub-page; see ThumbnailsPage.h.
#include "pages/ThumbnailsPage.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <climits>

#include "pages/Controls.h"
#include "project/Options.h"

namespace qg::app {

ThumbnailsPage::ThumbnailsPage(qg::Project& project, Prompts& prompts, QWidget* parent)
    : OptionSubPage(project, prompts, parent) {
  setObjectName(QStringLiteral("tabThumbnails"));
  auto* chkWidth = MakeCheck("chkWidth", QStringLiteral("&Width"));
  auto* spinWidth = MakeSpin("spinWidth", QStringLiteral("Thumbnail width"), 0, INT_MAX, 10);
  auto* chkHeight = MakeCheck("chkHeight", QStringLiteral("H&eight"));
  auto* spinHeight = MakeSpin("spinHeight", QStringLiteral("Thumbnail height"), 0, INT_MAX, 10);
  auto* spinBorder = MakeSpin("spinBorderWidthThumb", QStringLiteral("Border Width"),
                              qg::kBorderWidthRange.min, qg::kBorderWidthRange.max);
  ColourBox* colorBorder = makeColourBox("colorBorderThumb", QStringLiteral("Border Colour"));
  auto* chkAddShadow = MakeCheck("chkAddShadow", QStringLiteral("Add &Shadow Effect"));
  btnShadowSettings = MakeButton("btnShadowSettings", QStringLiteral("Shadow settings..."));
  btnImageQuality = MakeButton("btnImageQuality", QStringLiteral("Thumbnail &Quality..."));
  btnPreviewThumb = MakeButton("btnPreviewThumb", QStringLiteral("Pre&view Thumb..."));

  auto* sizeBox = new QGroupBox(QStringLiteral("Thumbnail Size"));
  FillSizeBox(sizeBox, chkWidth, spinWidth, chkHeight, spinHeight);
  auto* effects = MakeBorderShadowBox(spinBorder, colorBorder, chkAddShadow, btnShadowSettings);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnImageQuality);
  buttons->addWidget(btnPreviewThumb);
  buttons->addStretch(1);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(sizeBox);
  layout->addWidget(effects);
  layout->addLayout(buttons);
  layout->addStretch(1);

  // chkWidthClick and chkHeightClick: one of the two boxes always stays checked.
  bindReacting(
      chkWidth, [](const qg::GalleryOptions& o) { return o.blThumbWidth; },
      [](qg::GalleryOptions& o, bool on) { qg::SetThumbWidthBox(o, on); });
  bindReacting(
      chkHeight, [](const qg::GalleryOptions& o) { return o.blThumbHeight; },
      [](qg::GalleryOptions& o, bool on) { qg::SetThumbHeightBox(o, on); });
  bind(spinWidth, &qg::GalleryOptions::iThumbWidth);
  bind(spinHeight, &qg::GalleryOptions::iThumbHeigth);
  bind(spinBorder, &qg::GalleryOptions::BorderWidth);
  bind(colorBorder, &qg::GalleryOptions::ColorBorder);
  bind(chkAddShadow, &qg::GalleryOptions::AddShadow);
}

}  // namespace qg::app
