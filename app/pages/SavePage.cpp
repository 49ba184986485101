// The Save step; see SavePage.h.
#include "pages/SavePage.h"

#include <QVBoxLayout>

#include "pages/Controls.h"

namespace qg::app {

SavePage::SavePage(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("tabSave"));
  btnSaveProject = MakeButton("btnSaveProject", QStringLiteral("&Save Project"));
  btnSaveProjectAs = MakeButton("btnSaveProjectAs", QStringLiteral("Save Project &As..."));
  auto* layout = new QVBoxLayout(this);
  for (QPushButton* b : {btnSaveProject, btnSaveProjectAs}) {
    b->setMinimumWidth(160);
    layout->addWidget(b, 0, Qt::AlignLeft);
  }
  layout->addStretch(1);
}

}  // namespace qg::app
