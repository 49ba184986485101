// The About box; see AboutDialog.h.
#include "dialogs/AboutDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/DialogSupport.h"
#include "dialogs/SamplePicture.h"
#include "support/Prompts.h"

namespace qg::app {

const char kProgramVersion[] = "2.7";

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TfmAbout"));
  setWindowTitle(QStringLiteral("About Quillon Gallery"));
  CloseBoxOnly(this);

  auto* imgLogo = new QLabel(this);
  NameControl(imgLogo, QStringLiteral("imgLogo"), QStringLiteral("Logo"));
  imgLogo->setPixmap(QPixmap::fromImage(PictureToImage(ShadowSamplePicture())));
  imgLogo->setFrameShape(QFrame::Panel);
  imgLogo->setFrameShadow(QFrame::Sunken);

  auto* lblProgName = PlainLabel(QStringLiteral("Quillon Gallery"), this);
  NameControl(lblProgName, QStringLiteral("lblProgName"), lblProgName->text());
  QFont big = lblProgName->font();
  big.setBold(true);
  big.setPointSize(std::max(big.pointSize(), 9) * 16 / 10);
  lblProgName->setFont(big);
  auto* lblVersion =
      PlainLabel(QStringLiteral("Version %1").arg(QString::fromLatin1(kProgramVersion)), this);
  NameControl(lblVersion, QStringLiteral("lblVersion"), lblVersion->text());
  auto* lblDescription =
      PlainLabel(QStringLiteral("Turns your photographs into a web photo gallery."), this);
  NameControl(lblDescription, QStringLiteral("lblDescription"), lblDescription->text());
  lblDescription->setWordWrap(true);

  auto* texts = new QVBoxLayout;
  texts->addWidget(lblProgName);
  texts->addWidget(lblVersion);
  texts->addSpacing(8);
  texts->addWidget(lblDescription);
  texts->addStretch(1);
  auto* top = new QHBoxLayout;
  top->setSpacing(16);
  top->addWidget(imgLogo, 0, Qt::AlignTop);
  top->addLayout(texts, 1);

  auto* btnOK = new QPushButton(QStringLiteral("&OK"), this);
  NameControl(btnOK, QStringLiteral("btnOK"), btnOK->text());
  btnOK->setDefault(true);
  connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(btnOK);

  auto* main = new QVBoxLayout(this);
  main->setContentsMargins(16, 16, 16, 12);
  main->addLayout(top, 1);
  main->addSpacing(8);
  main->addLayout(buttons);
  FixDialogSize(this, QSize(380, 180));
}

void RunAboutDialog(QWidget* parent, Prompts& prompts) {
  AboutDialog dialog(parent);
  prompts.runDialog(dialog);
}

}  // namespace qg::app
