// The hint dialog; see HintDialog.h.
#include "dialogs/HintDialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/DialogSupport.h"
#include "dialogs/SamplePicture.h"
#include "support/Prompts.h"

namespace qg::app {

const char kFirstUseParagraph1[] =
    "Quillon Gallery produces high quality, professional-looking digital photo web galleries in "
    "just a few easy steps.  Add shadows, backgrounds and captions for a truly professional "
    "gallery.";
const char kFirstUseParagraph2[] =
    "If you're new to Quillon Gallery, you can click on the 'Create and view my gallery now' "
    "button below to create and view your new photo gallery creation immediately.";
const char kFirstUseAction[] = "Create and view my gallery now";
const char kServiceNoticeAction[] = "Click here for more info";

namespace {

// The decorative left picture: a deep blue gradient the program name and the logo sit on.
class HintBanner : public QWidget {
 public:
  explicit HintBanner(QWidget* parent) : QWidget(parent) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0, QColor(28, 58, 112));
    gradient.setColorAt(1, QColor(86, 140, 196));
    painter.fillRect(rect(), gradient);
  }
};

}  // namespace

HintDialog::HintDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TfmHintX"));
  setWindowTitle(QStringLiteral("Quillon Gallery hints"));
  CloseBoxOnly(this);

  // The white upper area: the picture on the left, the texts on the right.
  auto* upper = new QWidget(this);
  upper->setAutoFillBackground(true);
  QPalette white = upper->palette();
  white.setColor(QPalette::Window, Qt::white);
  white.setColor(QPalette::WindowText, Qt::black);
  upper->setPalette(white);

  auto* banner = new HintBanner(upper);
  NameControl(banner, QStringLiteral("imgLeft"), QStringLiteral("Quillon Gallery"));
  banner->setFixedWidth(168);
  auto* lblProgName = PlainLabel(QStringLiteral("Quillon Gallery"), banner);
  NameControl(lblProgName, QStringLiteral("lblProgName"), lblProgName->text());
  lblProgName->setWordWrap(true);
  QFont nameFont = lblProgName->font();
  nameFont.setBold(true);
  nameFont.setPointSize(14);
  lblProgName->setFont(nameFont);
  QPalette onBlue = lblProgName->palette();
  onBlue.setColor(QPalette::WindowText, Qt::white);
  lblProgName->setPalette(onBlue);
  auto* imgLogo = new QLabel(banner);
  NameControl(imgLogo, QStringLiteral("imgLogo"), QStringLiteral("Logo"));
  imgLogo->setPixmap(QPixmap::fromImage(PictureToImage(ShadowSamplePicture()))
                         .scaledToWidth(120, Qt::SmoothTransformation));
  imgLogo->setStyleSheet(QStringLiteral("border: 2px solid white;"));
  imgLogo->setAlignment(Qt::AlignCenter);
  auto* bannerLayout = new QVBoxLayout(banner);
  bannerLayout->setContentsMargins(14, 18, 14, 18);
  bannerLayout->addWidget(lblProgName);
  bannerLayout->addStretch(1);
  bannerLayout->addWidget(imgLogo, 0, Qt::AlignHCenter);

  auto* lblWelcome = PlainLabel(QStringLiteral("Welcome to Quillon Gallery"), upper);
  NameControl(lblWelcome, QStringLiteral("lblWelcome"), lblWelcome->text());
  QFont welcomeFont = lblWelcome->font();
  welcomeFont.setBold(true);
  welcomeFont.setPointSize(11);
  lblWelcome->setFont(welcomeFont);

  auto* texts = new QVBoxLayout;
  texts->setContentsMargins(16, 16, 16, 12);
  texts->setSpacing(10);
  texts->addWidget(lblWelcome);
  static const char* const kParaNames[3] = {"lblPara1", "lblPara2", "lblPara3"};
  for (int i = 0; i < 3; ++i) {
    para_[i] = PlainLabel(QString(), upper);
    NameControl(para_[i], QString::fromLatin1(kParaNames[i]),
                QStringLiteral("Paragraph %1").arg(i + 1));
    para_[i]->setWordWrap(true);
    para_[i]->setMinimumWidth(280);
    para_[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
    texts->addWidget(para_[i]);
  }
  btnAction_ = new QPushButton(upper);
  NameControl(btnAction_, QStringLiteral("btnAction"), QString());
  btnAction_->setAutoDefault(false);
  btnAction_->hide();
  texts->addWidget(btnAction_, 0, Qt::AlignLeft);
  texts->addStretch(1);

  auto* upperLayout = new QHBoxLayout(upper);
  upperLayout->setContentsMargins(0, 0, 0, 0);
  upperLayout->setSpacing(0);
  upperLayout->addWidget(banner);
  upperLayout->addLayout(texts, 1);

  // The bottom strip: the check box on the left, Close on the right.
  chkAlwaysShow_ = new QCheckBox(QStringLiteral("Always show this dialog "), this);
  NameControl(chkAlwaysShow_, QStringLiteral("chkAlwaysShow"), chkAlwaysShow_->text());
  chkAlwaysShow_->setChecked(true);
  auto* btnContinue = new QPushButton(QStringLiteral("&Close"), this);
  NameControl(btnContinue, QStringLiteral("btnContinue"), btnContinue->text());
  btnContinue->setDefault(true);
  auto* bottom = new QHBoxLayout;
  bottom->setContentsMargins(11, 8, 11, 8);
  bottom->addWidget(chkAlwaysShow_);
  bottom->addStretch(1);
  bottom->addWidget(btnContinue);

  auto* main = new QVBoxLayout(this);
  main->setContentsMargins(0, 0, 0, 0);
  main->setSpacing(0);
  main->addWidget(upper, 1);
  main->addLayout(bottom);

  connect(btnAction_, &QPushButton::clicked, this, &QDialog::accept);
  connect(btnContinue, &QPushButton::clicked, this, &QDialog::reject);
  setTabOrder(btnAction_, chkAlwaysShow_);
  setTabOrder(chkAlwaysShow_, btnContinue);
  FixDialogSize(this, QSize(441, 307));
}

void HintDialog::setParagraph1(const QString& text) {
  para_[0]->setText(text);
  FixDialogSize(this, QSize(441, 307));
}
void HintDialog::setParagraph2(const QString& text) {
  para_[1]->setText(text);
  FixDialogSize(this, QSize(441, 307));
}
void HintDialog::setParagraph3(const QString& text) {
  para_[2]->setText(text);
  FixDialogSize(this, QSize(441, 307));
}

void HintDialog::setAction(const QString& caption) {
  btnAction_->setText(caption);
  btnAction_->setAccessibleName(caption);
  btnAction_->setVisible(!caption.isEmpty());
  FixDialogSize(this, QSize(441, 307));
}

void HintDialog::setAlwaysShowVisible(bool visible) { chkAlwaysShow_->setVisible(visible); }

bool HintDialog::alwaysShow() const { return chkAlwaysShow_->isChecked(); }

HintOutcome RunHintDialog(QWidget* parent, Prompts& prompts, const HintTexts& texts,
                          const std::function<void()>& action) {
  HintOutcome outcome;
  {
    HintDialog dialog(parent);
    dialog.setParagraph1(texts.paragraph1);
    dialog.setParagraph2(texts.paragraph2);
    dialog.setParagraph3(texts.paragraph3);
    dialog.setAction(texts.actionCaption);
    dialog.setAlwaysShowVisible(texts.showAlwaysBox);
    outcome.actionPressed = prompts.runDialog(dialog) == QDialog::Accepted;
    outcome.alwaysShow = dialog.alwaysShow();
  }
  if (outcome.actionPressed && action) action();
  return outcome;
}

bool RunFirstUseHint(QWidget* parent, Prompts& prompts, qg::Preferences& prefs,
                     const std::function<void()>& createAndView) {
  HintTexts texts;
  texts.paragraph1 = QString::fromLatin1(kFirstUseParagraph1);
  texts.paragraph2 = QString::fromLatin1(kFirstUseParagraph2);
  texts.actionCaption = QString::fromLatin1(kFirstUseAction);
  const HintOutcome outcome = RunHintDialog(parent, prompts, texts, {});
  // The switch is taken over before the gallery is created, so a failing build cannot lose it.
  prefs.blHintViewGalleryNow = outcome.alwaysShow;
  if (outcome.actionPressed && createAndView) createAndView();
  return outcome.actionPressed;
}

void RunServiceNotice(QWidget* parent, Prompts& prompts, const QString& message,
                      const std::function<void()>& moreInfo) {
  HintTexts texts;
  texts.paragraph1 = message;
  texts.actionCaption = QString::fromLatin1(kServiceNoticeAction);
  texts.showAlwaysBox = false;
  RunHintDialog(parent, prompts, texts, moreInfo);
}

}  // namespace qg::app
