#include "dialogs/ImageDetailsWindow.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <exception>

#include "codecs/Decode.h"
#include "dialogs/ViewSupport.h"
#include "imaging/Rotate.h"
#include "metadata/ExifReader.h"
#include "support/ErrorDisplay.h"
#include "support/Prompts.h"
#include "support/Text.h"

namespace qg::app {
namespace {

constexpr QSize kDesignSize(520, 360);
constexpr QSize kPictureBoxSize(200, 150);
constexpr int kFitDelayMs = 1000;

QString MessageOf(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::bad_alloc&) {
    return QStringLiteral("Out of memory");
  } catch (const std::exception& e) {
    return ToQ(e.what());
  } catch (...) {
    return QStringLiteral("Unexpected error");
  }
}

QLabel* Heading(const QString& text, QWidget* parent, const char* name) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  label->setTextFormat(Qt::PlainText);
  QFont bold = label->font();
  bold.setBold(true);
  label->setFont(bold);
  return label;
}

}  // namespace

ImageDetailsWindow::ImageDetailsWindow(Prompts& prompts, std::string picturePath,
                                       OpenPreviewHook openPreview, QWidget* parent)
    : QDialog(parent),
      prompts_(prompts),
      picturePath_(std::move(picturePath)),
      openPreview_(std::move(openPreview)) {
  setObjectName(QStringLiteral("fmImageDetails"));
  setWindowTitle(QStringLiteral("Quillon Gallery Image Details View"));

  auto* tabs = new QTabWidget(this);
  tabs->setObjectName(QStringLiteral("pageDetails"));
  auto* page = new QWidget(tabs);
  page->setObjectName(QStringLiteral("tabImageDetails"));
  tabs->addTab(page, QStringLiteral("Image Details"));

  auto* note = new QLabel(page);
  note->setObjectName(QStringLiteral("lblNote"));
  note->setTextFormat(Qt::PlainText);
  note->setWordWrap(true);
  note->setText(QStringLiteral(
      "In addition to taking the picture, digital cameras also record detailed information "
      "regarding exposure, image size, image date and other values.  This information can be "
      "viewed in the list below."));

  imgPreview_ = new views::PictureBox(page);
  imgPreview_->setObjectName(QStringLiteral("imgPreview"));
  imgPreview_->setToolTip(QStringLiteral("Click to view full size image"));
  imgPreview_->setAccessibleName(QStringLiteral("Click to view full size image"));
  imgPreview_->setFrameShape(QFrame::StyledPanel);
  imgPreview_->setFrameShadow(QFrame::Sunken);
  const int frame = 2 * imgPreview_->frameWidth();
  imgPreview_->setFixedSize(kPictureBoxSize + QSize(frame, frame));
  connect(imgPreview_, &views::PictureBox::clicked, this, [this] {
    if (!openPreview_) return;
    Guarded(prompts_, [this] { openPreview_(this, picturePath_); });
  });
  auto* clickNote = new QLabel(QStringLiteral("Click image to view full size"), page);
  clickNote->setObjectName(QStringLiteral("lblClickImage"));
  clickNote->setTextFormat(Qt::PlainText);
  clickNote->setAlignment(Qt::AlignHCenter);

  auto* pictureColumn = new QVBoxLayout;
  pictureColumn->addWidget(imgPreview_, 0, Qt::AlignHCenter);
  pictureColumn->addWidget(clickNote);
  pictureColumn->addStretch(1);

  auto* grid = new QGridLayout;
  grid->setColumnMinimumWidth(0, 12);
  grid->setColumnStretch(2, 1);
  int row = 0;
  auto addHeading = [&](const QString& text, const char* name) {
    grid->addWidget(Heading(text, page, name), row++, 0, 1, 3);
  };
  auto addValue = [&](const char* name, const QString& caption) {
    auto* captionLabel = new QLabel(caption, page);
    captionLabel->setObjectName(QLatin1String(name) + QLatin1String("Caption"));
    captionLabel->setTextFormat(Qt::PlainText);
    auto* value = new QLabel(QStringLiteral("..."), page);
    value->setObjectName(QLatin1String(name));
    value->setTextFormat(Qt::PlainText);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    value->setAccessibleName(caption);
    captionLabel->setBuddy(value);
    grid->addWidget(captionLabel, row, 1);
    grid->addWidget(value, row++, 2);
    return value;
  };
  addHeading(QStringLiteral("General"), "lblGeneral");
  lblCameraMake_ = addValue("lblCameraMake", QStringLiteral("Camera make:"));
  lblModel_ = addValue("lblModel", QStringLiteral("Camera model:"));
  lblImageDate_ = addValue("lblImageDate", QStringLiteral("Image Date:"));
  lblImageTime_ = addValue("lblImageTime", QStringLiteral("Image Time:"));
  grid->setRowMinimumHeight(row++, 6);
  addHeading(QStringLiteral("Image"), "lblImage");
  lblImageName_ = addValue("lblImageName", QStringLiteral("Image Name:"));
  lblImageSize_ = addValue("lblImageSize", QStringLiteral("Image Size:"));
  grid->setRowMinimumHeight(row++, 6);
  addHeading(QStringLiteral("Exposure"), "lblExposure");
  lblAperture_ = addValue("lblAperture", QStringLiteral("F Number:"));
  lblShutterSpeed_ = addValue("lblShutterSpeed", QStringLiteral("Exposure Time:"));
  lblFlash_ = addValue("lblFlash", QStringLiteral("Flash:"));
  grid->setRowStretch(row, 1);

  auto* body = new QHBoxLayout;
  body->addLayout(pictureColumn);
  body->addSpacing(12);
  body->addLayout(grid, 1);

  auto* pageLayout = new QVBoxLayout(page);
  pageLayout->addWidget(note);
  pageLayout->addSpacing(6);
  pageLayout->addLayout(body, 1);

  auto* btnClose = new QPushButton(QStringLiteral("&Close"), this);
  btnClose->setObjectName(QStringLiteral("btnClose"));
  btnClose->setAccessibleName(QStringLiteral("Close"));
  btnClose->setDefault(true);
  connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(btnClose);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs, 1);
  layout->addLayout(buttons);

  fitTimer_ = new QTimer(this);
  fitTimer_->setObjectName(QStringLiteral("tmrFit"));
  fitTimer_->setSingleShot(true);
  fitTimer_->setInterval(kFitDelayMs);
  connect(fitTimer_, &QTimer::timeout, this, [this] { fitToBox(); });

  setTabOrder(btnClose, imgPreview_);
  btnClose->setFocus();
  QSize size = sizeHint().expandedTo(kDesignSize);
  if (layout->hasHeightForWidth())
    size.setHeight(std::max(size.height(), layout->totalHeightForWidth(size.width())));
  // The layout keeps the minimum size up to date, so longer values widen the window.
  resize(size);
}

ImageDetailsWindow::~ImageDetailsWindow() {
  // The workers post to this window; once they are joined, QObject drops what they posted.
  for (std::thread& worker : workers_) worker.join();
}

bool ImageDetailsWindow::LoadCameraData() {
  qg::TimgData reading;
  reading.ReadPictureFile(picturePath_);
  if (!reading.HasExif()) {
    prompts_.inform(QString::fromLatin1(qg::kNoAdditionalImageData));
    return false;
  }
  ShowCameraData(qg::ShowCameraData(reading));
  return true;
}

void ImageDetailsWindow::ShowCameraData(const qg::CameraDataLabels& labels) {
  lblCameraMake_->setText(views::DisplayText(labels.lblCameraMake));
  lblModel_->setText(views::DisplayText(labels.lblModel));
  lblImageDate_->setText(views::DisplayText(labels.lblImageDate));
  lblImageTime_->setText(views::DisplayText(labels.lblImageTime));
  lblImageName_->setText(views::DisplayText(labels.lblImageName));
  lblImageSize_->setText(views::DisplayText(labels.lblImageSize));
  lblAperture_->setText(views::DisplayText(labels.lblAperture));
  lblShutterSpeed_->setText(views::DisplayText(labels.lblShutterSpeed));
  lblFlash_->setText(views::DisplayText(labels.lblFlash));
}

void ImageDetailsWindow::run(std::function<void()> work) { workers_.emplace_back(std::move(work)); }

void ImageDetailsWindow::setPicture(qg::Picture picture) {
  picture_ = std::make_shared<const qg::Picture>(std::move(picture));
  showInBox();
  emit pictureShown();
  if (fitDue_) fitToBox();
}

void ImageDetailsWindow::loadPicture() {
  run([this, path = picturePath_] {
    try {
      auto decoded = std::make_shared<qg::Picture>(qg::LoadSourcePicture(path));
      QMetaObject::invokeMethod(
          this, [this, decoded] { setPicture(std::move(*decoded)); }, Qt::QueuedConnection);
    } catch (...) {
      const QString message = MessageOf(std::current_exception());
      QMetaObject::invokeMethod(
          this, [this, message] { pictureFailed(message); }, Qt::QueuedConnection);
    }
  });
}

void ImageDetailsWindow::pictureFailed(const QString& message) {
  ShowError(prompts_, message);
  reject();
}

void ImageDetailsWindow::showInBox() {
  if (!picture_ || picture_->empty()) return;
  const qg::Picture& p = *picture_;
  // A view of the pixels, scaled straight into the box: a large picture is not copied first.
  const QImage view(p.pixels.data(), p.width, p.height, static_cast<qsizetype>(p.stride()),
                    QImage::Format_RGB888);
  const QSize box = imgPreview_->contentsRect().size();
  QImage shown = view.size() == box
                     ? view.copy()
                     : view.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  imgPreview_->setPixmap(QPixmap::fromImage(shown));
}

void ImageDetailsWindow::fitToBox() {
  if (!picture_) {
    fitDue_ = true;  // fitted as soon as the picture arrives
    return;
  }
  fitDue_ = false;
  if (fitted_ || fitRunning_) return;
  fitRunning_ = true;
  const QSize box = imgPreview_->contentsRect().size();
  run([this, source = picture_, width = box.width(), height = box.height()] {
    try {
      auto fitted = std::make_shared<qg::Picture>(qg::FitPictureToBox(
          *source, static_cast<uint32_t>(width), static_cast<uint32_t>(height)));
      QMetaObject::invokeMethod(
          this,
          [this, fitted] {
            picture_ = std::make_shared<const qg::Picture>(std::move(*fitted));
            fitRunning_ = false;
            fitted_ = true;
            showInBox();
            emit pictureFitted();
          },
          Qt::QueuedConnection);
    } catch (...) {
      const QString message = MessageOf(std::current_exception());
      QMetaObject::invokeMethod(
          this,
          [this, message] {
            fitRunning_ = false;
            ShowError(prompts_, message);
          },
          Qt::QueuedConnection);
    }
  });
}

void ImageDetailsWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous() && !fitted_ && !fitRunning_ && !fitTimer_->isActive())
    fitTimer_->start();
}

bool ShowImageDetails(QWidget* parent, Prompts& prompts, const std::string& picturePath,
                      OpenPreviewHook openPreview) {
  // A picture that cannot be read opens no window. A JPEG's structure is checked without
  // decoding it, so its camera data shows at once; other formats are decoded here.
  qg::Picture decoded;
  bool isDecoded = false;
  const bool readable = Guarded(prompts, [&] {
    qg::PictureKind kind;
    if (qg::PictureKindFromName(picturePath, &kind) && kind == qg::PictureKind::Jpeg) {
      int32_t width = 0, height = 0, bytes = 0;
      qg::ReadPictureInfo(picturePath, width, height, bytes);
    } else {
      decoded = qg::LoadSourcePicture(picturePath);
      isDecoded = true;
    }
  });
  if (!readable) return false;

  ImageDetailsWindow window(prompts, picturePath, std::move(openPreview), parent);
  if (isDecoded) {
    window.setPicture(std::move(decoded));
  } else {
    window.loadPicture();
  }
  window.LoadCameraData();
  prompts.runDialog(window);
  return true;
}

}  // namespace qg::app
