// The Project Details step; see ProjectPage.h.
#include "pages/ProjectPage.h"

#include <QIcon>
#include <QToolButton>
#include <QVBoxLayout>

#include "pages/Controls.h"
#include "support/AppIcon.h"

namespace qg::app {

ProjectPage::ProjectPage(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("tabProject"));
  btnNewProject = MakeButton("btnNewProject", QStringLiteral("&New Project"));
  btnOpenProject = MakeButton("btnOpenProject", QStringLiteral("&Open Project..."));
  btnProjectInfo = MakeButton("btnProjectInfo", QStringLiteral("Project &Information"));
  imgLogo = Named(new QToolButton, "imgLogo", QStringLiteral("Quillon Gallery on the web"));
  imgLogo->setIcon(AppIcon());
  imgLogo->setIconSize(QSize(96, 96));
  imgLogo->setAutoRaise(true);
  imgLogo->setCursor(Qt::PointingHandCursor);
  imgLogo->setToolTip(QStringLiteral("Quillon Gallery on the web"));

  auto* buttons = new QVBoxLayout;
  for (QPushButton* b : {btnNewProject, btnOpenProject, btnProjectInfo}) {
    b->setMinimumWidth(160);
    buttons->addWidget(b);
  }
  buttons->addStretch(1);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(buttons);
  layout->addStretch(1);
  layout->addWidget(imgLogo, 0, Qt::AlignBottom | Qt::AlignRight);
}

}  // namespace qg::app
