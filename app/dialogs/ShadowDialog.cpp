// The drop-shadow settings dialog; see ShadowDialog.h.
#include "dialogs/ShadowDialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QVBoxLayout>

#include "dialogs/ColourList.h"
#include "dialogs/DialogSupport.h"
#include "dialogs/SamplePicture.h"
#include "imaging/Shadow.h"
#include "support/Prompts.h"

namespace qg::app {
namespace {

constexpr int kThumb = 0;
constexpr int kImage = 1;
constexpr QSize kPreviewArea(173, 135);

const char* const kInfo[2] = {
    "Choose your dropshadow settings by modifying the list of parameters detailed below.  These "
    "settings will be applied to your thumb images.",
    "Choose your dropshadow settings by modifying the list of parameters detailed below.  These "
    "settings will be applied to your main images.",
};

std::array<int32_t, 4> ProjectValues(const qg::GalleryOptions& o, int tab) {
  if (tab == kThumb)
    return {o.iShadowColorThumb, o.iShadowOffHThumb, o.iShadowOffVThumb, o.iShadowBlurThumb};
  return {o.iShadowColorImage, o.iShadowOffHImage, o.iShadowOffVImage, o.iShadowBlurImage};
}

QSpinBox* RangedSpin(QWidget* parent, int min, int max) {
  auto* spin = new QSpinBox(parent);
  spin->setRange(min, max);
  return spin;
}

}  // namespace

ShadowDialog::ShadowDialog(QWidget* parent, Prompts& prompts, const qg::GalleryOptions& options,
                           qg::Side tab)
    : QDialog(parent), options_(options) {
  setObjectName(QStringLiteral("TfmShadowSet"));
  setWindowTitle(QStringLiteral("Quillon Gallery Shadow Settings"));
  CloseBoxOnly(this);

  const auto thumb = ProjectValues(options, kThumb);
  const auto image = ProjectValues(options, kImage);
  std::copy(thumb.begin(), thumb.end(), values_.begin());
  std::copy(image.begin(), image.end(), values_.begin() + 4);

  tabs_ = new QTabBar(this);
  NameControl(tabs_, QStringLiteral("TabControl1"), QStringLiteral("Shadow"));
  tabs_->addTab(QStringLiteral("Thumb Shadow"));
  tabs_->addTab(QStringLiteral("Image Shadow"));
  tabs_->setDrawBase(true);
  tabs_->setExpanding(false);

  auto* panel = new QFrame(this);
  panel->setFrameShape(QFrame::StyledPanel);
  lblInfo_ = PlainLabel(QString(), panel);
  lblInfo_->setObjectName(QStringLiteral("lblInfo"));
  lblInfo_->setWordWrap(true);
  lblInfo_->setMinimumWidth(360);

  spinShadowColor_ = new ColourList(panel, &prompts);
  NameControl(spinShadowColor_, QStringLiteral("spinShadowColor"), QStringLiteral("Shadow color"));
  spinOffH_ = RangedSpin(panel, -20, 20);
  NameControl(spinOffH_, QStringLiteral("spinOffH"), QStringLiteral("Horizontal offset"));
  spinOffV_ = RangedSpin(panel, -20, 20);
  NameControl(spinOffV_, QStringLiteral("spinOffV"), QStringLiteral("Vertical offset"));
  spinBlur_ = RangedSpin(panel, 0, 20);
  NameControl(spinBlur_, QStringLiteral("spinBlur"), QStringLiteral("Shadow blur"));
  spinOffH_->setValue(4);
  spinOffV_->setValue(4);
  spinBlur_->setValue(4);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Shadow &color:"), spinShadowColor_);
  form->addRow(QStringLiteral("&Horizontal offset:"), spinOffH_);
  form->addRow(QStringLiteral("&Vertical offset:"), spinOffV_);
  form->addRow(QStringLiteral("Shadow &blur:"), spinBlur_);

  imgPreview_ = new QLabel(panel);
  NameControl(imgPreview_, QStringLiteral("imgPreview"), QStringLiteral("Shadow sample"));
  imgPreview_->setFixedSize(kPreviewArea + QSize(4, 4));
  imgPreview_->setAlignment(Qt::AlignCenter);
  imgPreview_->setFrameShape(QFrame::StyledPanel);
  imgPreview_->setAutoFillBackground(true);
  QPalette white = imgPreview_->palette();
  white.setColor(QPalette::Window, Qt::white);
  imgPreview_->setPalette(white);

  auto* controls = new QHBoxLayout;
  controls->addLayout(form, 1);
  controls->addSpacing(12);
  controls->addWidget(imgPreview_, 0, Qt::AlignTop);
  auto* panelLayout = new QVBoxLayout(panel);
  panelLayout->addWidget(lblInfo_);
  panelLayout->addSpacing(6);
  panelLayout->addLayout(controls);
  panelLayout->addStretch(1);

  auto* btnDefault = new QPushButton(QStringLiteral("&Default"), this);
  NameControl(btnDefault, QStringLiteral("btnDefault"), btnDefault->text());
  const auto [buttons, btnOK, btnCancel] = OkCancelRow(this, btnDefault, QStringLiteral("Cancel"));

  auto* main = new QVBoxLayout(this);
  main->setSpacing(0);
  main->addWidget(tabs_);
  main->addWidget(panel, 1);
  main->addSpacing(10);
  main->addLayout(buttons);

  // Opening: the requested tab with its values; the sample is drawn for it.
  tab_ = tab == qg::Side::Thumb ? kThumb : kImage;
  tabs_->setCurrentIndex(tab_);
  lblInfo_->setText(QString::fromLatin1(kInfo[tab_]));
  lblInfo_->setAccessibleName(lblInfo_->text());
  showValues(tab_);
  takeControls(tab_);
  renderSample(tab_);

  connect(spinShadowColor_, &ColourList::colourChanged, this, &ShadowDialog::changeShadow);
  connect(spinOffH_, &QSpinBox::valueChanged, this, &ShadowDialog::changeShadow);
  connect(spinOffV_, &QSpinBox::valueChanged, this, &ShadowDialog::changeShadow);
  connect(spinBlur_, &QSpinBox::valueChanged, this, &ShadowDialog::changeShadow);
  connect(tabs_, &QTabBar::currentChanged, this, &ShadowDialog::tabChanged);
  connect(btnDefault, &QPushButton::clicked, this, &ShadowDialog::restoreDefault);
  connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  FixDialogSize(this, QSize(440, 300));
}

// Writes one tab's working values into the controls; the spin boxes bring them into range.
void ShadowDialog::showValues(int tab) {
  const bool live = liveUpdate_;
  liveUpdate_ = false;
  const int32_t* v = values_.data() + 4 * tab;
  spinShadowColor_->setColour(v[0]);
  spinOffH_->setValue(v[1]);
  spinOffV_->setValue(v[2]);
  spinBlur_->setValue(v[3]);
  liveUpdate_ = live;
}

void ShadowDialog::takeControls(int tab) {
  int32_t* v = values_.data() + 4 * tab;
  v[0] = spinShadowColor_->colour();
  v[1] = spinOffH_->value();
  v[2] = spinOffV_->value();
  v[3] = spinBlur_->value();
}

void ShadowDialog::renderSample(int tab) {
  const int32_t* v = values_.data() + 4 * tab;
  sample_ = PictureToImage(qg::ComposeDropShadow(ShadowSamplePicture(), qg::kSampleShadowMargin,
                                                 qg::kWhite, v[0], v[1], v[2], v[3]));
  ++drawings_;
  QPixmap pixmap = QPixmap::fromImage(sample_);
  if (pixmap.width() > kPreviewArea.width() || pixmap.height() > kPreviewArea.height())
    pixmap = pixmap.scaled(kPreviewArea, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  imgPreview_->setPixmap(pixmap);
}

void ShadowDialog::changeShadow() {
  if (!liveUpdate_) return;
  takeControls(tab_);
  renderSample(tab_);
}

void ShadowDialog::tabChanged(int tab) {
  takeControls(tab_);  // the leaving tab keeps what its controls show
  tab_ = tab;
  lblInfo_->setText(QString::fromLatin1(kInfo[tab_]));
  lblInfo_->setAccessibleName(lblInfo_->text());
  showValues(tab_);
  takeControls(tab_);
  renderSample(tab_);
}

void ShadowDialog::restoreDefault() {
  const auto original = ProjectValues(options_, tab_);
  std::copy(original.begin(), original.end(), values_.begin() + 4 * tab_);
  showValues(tab_);
  renderSample(tab_);
}

void ShadowDialog::apply(qg::GalleryOptions& options) {
  takeControls(tab_);
  options.iShadowColorThumb = values_[0];
  options.iShadowOffHThumb = values_[1];
  options.iShadowOffVThumb = values_[2];
  options.iShadowBlurThumb = values_[3];
  options.iShadowColorImage = values_[4];
  options.iShadowOffHImage = values_[5];
  options.iShadowOffVImage = values_[6];
  options.iShadowBlurImage = values_[7];
}

bool RunShadowDialog(QWidget* parent, Prompts& prompts, qg::GalleryOptions& options, qg::Side tab) {
  ShadowDialog dialog(parent, prompts, options, tab);
  if (prompts.runDialog(dialog) != QDialog::Accepted) return false;
  dialog.apply(options);
  return true;
}

}  // namespace qg::app
