// The JPEG settings dialog; see QualityDialog.h.
#include "dialogs/QualityDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabBar>
#include <QVBoxLayout>
#include <limits>

#include "dialogs/DialogSupport.h"
#include "dialogs/SamplePicture.h"
#include "support/Prompts.h"

namespace qg::app {
namespace {

// A spin box moved by its arrows (and the arrow keys) only; its text cannot be typed into.
class ArrowSpinBox : public QSpinBox {
 public:
  explicit ArrowSpinBox(QWidget* parent) : QSpinBox(parent) {
    setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    lineEdit()->setReadOnly(true);
  }
  QSize sizeHint() const override {
    // Room for a quality and its arrows, not for the widest integer.
    QSize hint = QSpinBox::sizeHint();
    hint.setWidth(
        std::min(hint.width(), fontMetrics().horizontalAdvance(QStringLiteral("-00000")) + 40));
    return hint;
  }
  QSize minimumSizeHint() const override { return sizeHint(); }
};

constexpr int kThumb = 0;
constexpr int kImage = 1;

}  // namespace

QualityDialog::QualityDialog(QWidget* parent, const qg::GalleryOptions& options, qg::Side tab)
    : QDialog(parent), options_(options) {
  setObjectName(QStringLiteral("TfmImageQuality"));
  setWindowTitle(QStringLiteral("Quillon Gallery Image Quality"));
  CloseBoxOnly(this);

  tabs_ = new QTabBar(this);
  NameControl(tabs_, QStringLiteral("TabControl1"), QStringLiteral("Quality"));
  tabs_->addTab(QStringLiteral("Thumb Quality"));
  tabs_->addTab(QStringLiteral("Image Quality"));
  tabs_->setDrawBase(true);
  tabs_->setExpanding(false);

  auto* panel = new QFrame(this);
  panel->setFrameShape(QFrame::StyledPanel);

  auto* imgPreview = new QLabel(panel);
  NameControl(imgPreview, QStringLiteral("imgPreview"), QStringLiteral("Illustration"));
  imgPreview->setPixmap(QPixmap::fromImage(PictureToImage(ShadowSamplePicture())));
  imgPreview->setFrameShape(QFrame::Panel);
  imgPreview->setFrameShadow(QFrame::Sunken);
  imgPreview->setLineWidth(2);

  auto* lblInfo = PlainLabel(
      QStringLiteral("Use the slider or spin control to set your image quality.  Best "
                     "Compression produces smaller file sizes but lesser quality images.  Best "
                     "Quality produces larger file sizes but better qulaity images."),
      panel);
  NameControl(lblInfo, QStringLiteral("lblInfo"), lblInfo->text());
  lblInfo->setWordWrap(true);
  lblInfo->setMinimumWidth(220);

  auto* qualityLabel = new QLabel(QStringLiteral("&Quality:"), panel);
  spinQuality_ = new ArrowSpinBox(panel);
  NameControl(spinQuality_, QStringLiteral("spinQuality"), QStringLiteral("Quality"));
  qualityLabel->setBuddy(spinQuality_);
  chkProgressive_ = new QCheckBox(QStringLiteral("&Progressive Encoding"), panel);
  NameControl(chkProgressive_, QStringLiteral("chkProgressive"), chkProgressive_->text());

  trackQuality_ = new QSlider(Qt::Horizontal, panel);
  NameControl(trackQuality_, QStringLiteral("trackQuality"), QStringLiteral("Quality"));
  trackQuality_->setRange(0, 100);
  trackQuality_->setTickInterval(5);
  trackQuality_->setTickPosition(QSlider::TicksBelow);
  trackQuality_->setPageStep(1);
  trackQuality_->setSingleStep(1);
  trackQuality_->setValue(80);
  auto* lblBestCompression = PlainLabel(QStringLiteral("Best Compression"), panel);
  NameControl(lblBestCompression, QStringLiteral("lblBestCompression"), lblBestCompression->text());
  auto* label1 = PlainLabel(QStringLiteral("Best Quality"), panel);
  NameControl(label1, QStringLiteral("Label1"), label1->text());

  auto* top = new QHBoxLayout;
  top->addWidget(imgPreview, 0, Qt::AlignTop);
  top->addWidget(lblInfo, 1, Qt::AlignTop);
  auto* spinRow = new QHBoxLayout;
  spinRow->addWidget(qualityLabel);
  spinRow->addWidget(spinQuality_);
  spinRow->addSpacing(16);
  spinRow->addWidget(chkProgressive_);
  spinRow->addStretch(1);
  auto* ends = new QHBoxLayout;
  ends->addWidget(lblBestCompression);
  ends->addStretch(1);
  ends->addWidget(label1);
  auto* panelLayout = new QVBoxLayout(panel);
  panelLayout->addLayout(top);
  panelLayout->addSpacing(6);
  panelLayout->addLayout(spinRow);
  panelLayout->addWidget(trackQuality_);
  panelLayout->addLayout(ends);

  auto* btnDefault = new QPushButton(QStringLiteral("&Default"), this);
  NameControl(btnDefault, QStringLiteral("btnDefault"), btnDefault->text());
  const auto [buttons, btnOK, btnCancel] = OkCancelRow(this, btnDefault, QStringLiteral("&Cancel"));

  auto* main = new QVBoxLayout(this);
  main->setSpacing(0);
  main->addWidget(tabs_);
  main->addWidget(panel, 1);
  main->addSpacing(10);
  main->addLayout(buttons);

  // Opening: the tab, then the working copy, then the tab's values into the controls.
  tab_ = tab == qg::Side::Thumb ? kThumb : kImage;
  tabs_->setCurrentIndex(tab_);
  quality_[kThumb] = options.iQualityThumb;
  quality_[kImage] = options.iQualityImage;
  progressive_[kThumb] = options.blProgressiveThumb;
  progressive_[kImage] = options.blProgressiveImage;
  showValues(tab_);

  connect(trackQuality_, &QSlider::valueChanged, this, &QualityDialog::sliderChanged);
  connect(spinQuality_, &QSpinBox::valueChanged, this, &QualityDialog::spinChanged);
  connect(chkProgressive_, &QCheckBox::toggled, this, [this](bool on) {
    if (!updating_) progressive_[tab_] = on;
  });
  connect(tabs_, &QTabBar::currentChanged, this, &QualityDialog::tabChanged);
  connect(btnDefault, &QPushButton::clicked, this, &QualityDialog::restoreDefault);
  connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  FixDialogSize(this, QSize(420, 300));
}

void QualityDialog::showValues(int tab) {
  updating_ = true;
  spinQuality_->setValue(quality_[tab]);
  trackQuality_->setValue(quality_[tab]);  // the slider keeps within its range
  chkProgressive_->setChecked(progressive_[tab]);
  updating_ = false;
}

void QualityDialog::sliderChanged() {
  if (updating_) return;
  updating_ = true;
  spinQuality_->setValue(trackQuality_->value());
  updating_ = false;
  quality_[tab_] = trackQuality_->value();
  showValues(tab_);
}

void QualityDialog::spinChanged() {
  if (updating_) return;
  updating_ = true;
  trackQuality_->setValue(spinQuality_->value());
  updating_ = false;
  // The quality follows the slider, so the spin box never stays outside 0 to 100.
  quality_[tab_] = trackQuality_->value();
  showValues(tab_);
}

void QualityDialog::tabChanged(int tab) {
  // The leaving tab keeps what its controls show.
  quality_[tab_] = trackQuality_->value();
  progressive_[tab_] = chkProgressive_->isChecked();
  tab_ = tab;
  showValues(tab_);
}

void QualityDialog::restoreDefault() {
  if (tab_ == kThumb) {
    quality_[kThumb] = options_.iQualityThumb;
    progressive_[kThumb] = options_.blProgressiveThumb;
  } else {
    quality_[kImage] = options_.iQualityImage;
    progressive_[kImage] = options_.blProgressiveImage;
  }
  showValues(tab_);
}

void QualityDialog::apply(qg::GalleryOptions& options) const {
  options.iQualityThumb = quality_[kThumb];
  options.iQualityImage = quality_[kImage];
  options.blProgressiveThumb = progressive_[kThumb];
  options.blProgressiveImage = progressive_[kImage];
}

bool RunQualityDialog(QWidget* parent, Prompts& prompts, qg::GalleryOptions& options,
                      qg::Side tab) {
  QualityDialog dialog(parent, options, tab);
  if (prompts.runDialog(dialog) != QDialog::Accepted) return false;
  dialog.apply(options);
  return true;
}

}  // namespace qg::app
