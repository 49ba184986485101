// The Index Page sub-page; see IndexPagePage.h.
#include "pages/IndexPagePage.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QStyle>
#include <QVBoxLayout>

#include "pages/Controls.h"
#include "project/Options.h"
#include "support/StandardIcon.h"

namespace qg::app {

IndexPagePage::IndexPagePage(qg::Project& project, Prompts& prompts, QWidget* parent)
    : OptionSubPage(project, prompts, parent) {
  setObjectName(QStringLiteral("tabIndexPage"));
  const qg::SpinRange r = qg::kIndexGridRange;
  auto* spinColumns = MakeSpin("spinColumns", QStringLiteral("Columns"), r.min, r.max);
  auto* spinRows = MakeSpin("spinRows", QStringLiteral("Rows"), r.min, r.max);
  auto* spinCellPad = MakeSpin("spinCellPad", QStringLiteral("Cell Padding"), r.min, r.max);
  auto* spinCellSpace = MakeSpin("spinCellSpace", QStringLiteral("Cell Spacing"), r.min, r.max);
  ColourBox* colorIndexBackground =
      makeColourBox("colorIndexBackground", QStringLiteral("Background Colour"));
  editBackgroundAPic = MakeEdit("editBackgroundAPic", QStringLiteral("Background Picture"));
  btnBackgroundBrowseIndex = MakeButton("btnBackgroundBrowseIndex", QStringLiteral("..."),
                                        QStringLiteral("Choose a background picture"));
  btnBackgroundBrowseIndex->setAccessibleName(QStringLiteral("Browse for a background picture"));
  imgBackgroundsA =
      Named(new QToolButton, "imgBackgroundsA", QStringLiteral("More backgrounds on the web"));
  SetStandardIconLater(imgBackgroundsA, QStyle::SP_DirLinkIcon);
  imgBackgroundsA->setToolTip(QStringLiteral("More backgrounds on the web"));
  imgBackgroundsA->setCursor(Qt::PointingHandCursor);
  imgBackgroundsA->setAutoRaise(true);
  auto* chkNavTop = MakeCheck("chkNavTop", QStringLiteral("Top &Navigation"));
  auto* chkNavBottom = MakeCheck("chkNavBottom", QStringLiteral("&Bottom Navigation"));
  btnNavAdvanced = MakeButton("btnNavAdvanced", QStringLiteral("&Advanced..."));

  auto* grid = new QGroupBox(QStringLiteral("Thumbnail Grid"));
  auto* gridLayout = new QGridLayout(grid);
  gridLayout->addWidget(MakeLabel(QStringLiteral("Colu&mns"), spinColumns), 0, 0);
  gridLayout->addWidget(spinColumns, 0, 1);
  gridLayout->addWidget(MakeLabel(QStringLiteral("&Rows"), spinRows), 0, 2);
  gridLayout->addWidget(spinRows, 0, 3);
  gridLayout->addWidget(MakeLabel(QStringLiteral("Cell Pa&dding"), spinCellPad), 1, 0);
  gridLayout->addWidget(spinCellPad, 1, 1);
  gridLayout->addWidget(MakeLabel(QStringLiteral("Cell &Spacing"), spinCellSpace), 1, 2);
  gridLayout->addWidget(spinCellSpace, 1, 3);
  gridLayout->setColumnStretch(4, 1);

  auto* background = new QGroupBox(QStringLiteral("Background"));
  auto* bgLayout = new QGridLayout(background);
  bgLayout->addWidget(MakeLabel(QStringLiteral("Co&lour"), colorIndexBackground), 0, 0);
  bgLayout->addWidget(colorIndexBackground, 0, 1, Qt::AlignLeft);
  bgLayout->addWidget(imgBackgroundsA, 0, 3, Qt::AlignRight);
  bgLayout->addWidget(MakeLabel(QStringLiteral("P&icture"), editBackgroundAPic), 1, 0);
  bgLayout->addWidget(editBackgroundAPic, 1, 1, 1, 2);
  bgLayout->addWidget(btnBackgroundBrowseIndex, 1, 3);
  bgLayout->setColumnStretch(2, 1);

  auto* nav = new QGroupBox(QStringLiteral("Navigation"));
  auto* navLayout = new QHBoxLayout(nav);
  navLayout->addWidget(chkNavTop);
  navLayout->addWidget(chkNavBottom);
  navLayout->addStretch(1);
  navLayout->addWidget(btnNavAdvanced);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(grid);
  layout->addWidget(background);
  layout->addWidget(nav);
  layout->addStretch(1);

  bind(spinColumns, &qg::GalleryOptions::spinColumns);
  bind(spinRows, &qg::GalleryOptions::spinRows);
  bind(spinCellPad, &qg::GalleryOptions::spinCellPad);
  bind(spinCellSpace, &qg::GalleryOptions::spinCellSpace);
  bind(colorIndexBackground, &qg::GalleryOptions::colorboxBackgroundA);
  bind(editBackgroundAPic, &qg::GalleryOptions::editBackgroundAPic);
  bind(chkNavTop, &qg::GalleryOptions::chkNavTop);
  bind(chkNavBottom, &qg::GalleryOptions::chkNavBottom);
}

}  // namespace qg::app
