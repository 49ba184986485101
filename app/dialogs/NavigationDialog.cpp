// The navigation options dialog; see NavigationDialog.h.
#include "dialogs/NavigationDialog.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

#include "codecs/Decode.h"
#include "dialogs/DialogSupport.h"
#include "dialogs/SamplePicture.h"
#include "platform/Folders.h"
#include "project/Settings.h"
#include "support/ErrorDisplay.h"
#include "support/Prompts.h"
#include "support/Text.h"

namespace qg::app {
namespace {

constexpr QSize kPreviewArea(160, 64);

bool IsFile(const std::string& path) { return !path.empty() && QFileInfo(ToQ(path)).isFile(); }

QString PictureFilter() {
  QStringList patterns;
  for (const std::string& ext : qg::AcceptedExtensions())
    patterns << QStringLiteral("*.") + QString::fromStdString(ext);
  return QStringLiteral("Pictures (%1);;All files (*)").arg(patterns.join(QLatin1Char(' ')));
}

}  // namespace

NavigationDialog::NavigationDialog(QWidget* parent, Prompts& prompts, qg::GalleryOptions& options,
                                   qg::Preferences& prefs)
    : QDialog(parent), prompts_(prompts), options_(options), prefs_(prefs) {
  setObjectName(QStringLiteral("TfmNavigationOptions"));
  setWindowTitle(QStringLiteral("Navigation Options"));
  CloseBoxOnly(this);

  tabNav_ = new QTabBar(this);
  NameControl(tabNav_, QStringLiteral("tabNav"), QStringLiteral("Pages"));
  tabNav_->addTab(QStringLiteral("Index Pages"));
  tabNav_->addTab(QStringLiteral("Image Pages"));
  tabNav_->setDrawBase(true);
  tabNav_->setExpanding(false);

  auto* lblInfo = PlainLabel(QStringLiteral("Choose the navigation items, labels and images you'd "
                                            "like to display on index and image pages."),
                             this);
  NameControl(lblInfo, QStringLiteral("lblInfo"), lblInfo->text());
  lblInfo->setWordWrap(true);

  auto* itemsGroup = new QGroupBox(QStringLiteral("Navigation Items"), this);
  chklstDisplayItems_ = new QListWidget(itemsGroup);
  NameControl(chklstDisplayItems_, QStringLiteral("chklstDisplayItems"),
              QStringLiteral("Navigation Items"));
  editNavText_ = new QLineEdit(itemsGroup);
  NameControl(editNavText_, QStringLiteral("editNavText"), QStringLiteral("Navigation item text"));
  auto* itemsLayout = new QVBoxLayout(itemsGroup);
  itemsLayout->addWidget(chklstDisplayItems_, 1);
  itemsLayout->addWidget(editNavText_);

  auto* altGroup = new QGroupBox(QStringLiteral("ALT Text"), this);
  lstALTText_ = new QListWidget(altGroup);
  NameControl(lstALTText_, QStringLiteral("lstALTText"), QStringLiteral("ALT Text"));
  editALT_ = new QLineEdit(altGroup);
  NameControl(editALT_, QStringLiteral("editALT"), QStringLiteral("ALT text of the item"));
  auto* altLayout = new QVBoxLayout(altGroup);
  altLayout->addWidget(lstALTText_, 1);
  altLayout->addWidget(editALT_);

  chkShowCaptions_ = new QCheckBox(QStringLiteral("Show Navigation &Captions"), this);
  NameControl(chkShowCaptions_, QStringLiteral("chkShowCaptions"), chkShowCaptions_->text());
  chkShowImages_ = new QCheckBox(QStringLiteral("Show Navigation &Images"), this);
  NameControl(chkShowImages_, QStringLiteral("chkShowImages"), chkShowImages_->text());

  auto* imageGroup = new QGroupBox(QStringLiteral("Image Preview"), this);
  editImgLocation_ = new QLineEdit(imageGroup);
  NameControl(editImgLocation_, QStringLiteral("editImgLocation"),
              QStringLiteral("Image location"));
  editImgLocation_->setReadOnly(true);
  imgNavPreview_ = new QLabel(imageGroup);
  NameControl(imgNavPreview_, QStringLiteral("imgNavPreview"), QStringLiteral("Image preview"));
  imgNavPreview_->setAlignment(Qt::AlignCenter);
  imgNavPreview_->setMinimumSize(kPreviewArea + QSize(8, 8));
  imgNavPreview_->setFrameShape(QFrame::StyledPanel);
  imgNavPreview_->setFrameShadow(QFrame::Sunken);
  auto* btnBrowseNavIndex = new QPushButton(QStringLiteral("&Update Image..."), imageGroup);
  NameControl(btnBrowseNavIndex, QStringLiteral("btnBrowseNavIndex"), btnBrowseNavIndex->text());
  auto* btnClearImage = new QPushButton(QStringLiteral("C&lear Image"), imageGroup);
  NameControl(btnClearImage, QStringLiteral("btnClearImage"), btnClearImage->text());
  auto* imageButtons = new QVBoxLayout;
  imageButtons->addWidget(btnBrowseNavIndex);
  imageButtons->addWidget(btnClearImage);
  imageButtons->addStretch(1);
  auto* imageLayout = new QGridLayout(imageGroup);
  imageLayout->addWidget(editImgLocation_, 0, 0, 1, 2);
  imageLayout->addWidget(imgNavPreview_, 1, 0);
  imageLayout->addLayout(imageButtons, 1, 1);
  imageLayout->setColumnStretch(0, 1);

  auto* btnSaveDefault = new QPushButton(QStringLiteral("Save As &Default"), this);
  NameControl(btnSaveDefault, QStringLiteral("btnSaveDefault"), btnSaveDefault->text());
  btnSaveDefault->setToolTip(QStringLiteral("Save the current settings for use with all projects"));
  const auto [buttons, btnOK, btnCancel] =
      OkCancelRow(this, btnSaveDefault, QStringLiteral("Cancel"));

  auto* lists = new QHBoxLayout;
  lists->addWidget(itemsGroup, 1);
  lists->addWidget(altGroup, 1);
  auto* checks = new QHBoxLayout;
  checks->addWidget(chkShowCaptions_);
  checks->addSpacing(16);
  checks->addWidget(chkShowImages_);
  checks->addStretch(1);

  auto* main = new QVBoxLayout(this);
  main->addWidget(tabNav_);
  main->addWidget(lblInfo);
  main->addLayout(lists, 1);
  main->addLayout(checks);
  main->addWidget(imageGroup);
  main->addLayout(buttons);

  // Open: the project's values into the controls.
  chkShowCaptions_->setChecked(options.blNavShowCaptions);
  chkShowImages_->setChecked(options.blNavShowImages);
  for (int i = 0; i < qg::NavItemCount; ++i) {
    auto* item = new QListWidgetItem(ToQ(options.sNav[i]), chklstDisplayItems_);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(options.blNavShow[i] ? Qt::Checked : Qt::Unchecked);
    new QListWidgetItem(ToQ(options.sNavALT[i]), lstALTText_);
  }
  selectFirstItems();

  connect(chklstDisplayItems_, &QListWidget::itemSelectionChanged, this,
          &NavigationDialog::itemSelected);
  connect(lstALTText_, &QListWidget::itemSelectionChanged, this, &NavigationDialog::altSelected);
  connect(editNavText_, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (itemIndex_ < 0) return;  // nothing selected: no entry to change
    chklstDisplayItems_->item(itemIndex_)->setText(text);
  });
  connect(editALT_, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (altIndex_ < 0) return;
    lstALTText_->item(altIndex_)->setText(text);
  });
  connect(btnBrowseNavIndex, &QPushButton::clicked, this,
          [this] { Guarded(prompts_, [this] { updateImage(); }); });
  connect(btnClearImage, &QPushButton::clicked, this, [this] { clearImage(); });
  connect(btnSaveDefault, &QPushButton::clicked, this,
          [this] { Guarded(prompts_, [this] { saveAsDefault(); }); });
  connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

  setTabOrder(tabNav_, chklstDisplayItems_);
  setTabOrder(chklstDisplayItems_, editNavText_);
  setTabOrder(editNavText_, lstALTText_);
  setTabOrder(lstALTText_, editALT_);
  setTabOrder(editALT_, chkShowCaptions_);
  setTabOrder(chkShowCaptions_, chkShowImages_);
  setTabOrder(chkShowImages_, editImgLocation_);
  setTabOrder(editImgLocation_, btnBrowseNavIndex);
  setTabOrder(btnBrowseNavIndex, btnClearImage);
  setTabOrder(btnClearImage, btnSaveDefault);
  setTabOrder(btnSaveDefault, btnOK);
  setTabOrder(btnOK, btnCancel);
  FixDialogSize(this, QSize(480, 470));
}

void NavigationDialog::selectFirstItems() {
  itemIndex_ = 0;
  altIndex_ = 0;
  chklstDisplayItems_->setCurrentRow(0);
  editNavText_->setText(chklstDisplayItems_->item(0)->text());
  editImgLocation_->setText(ToQ(options_.sNavImage[qg::NavHome]));
  showImage(options_.sNavImage[qg::NavHome]);
  lstALTText_->setCurrentRow(0);
  editALT_->setText(lstALTText_->item(0)->text());
}

void NavigationDialog::itemSelected() {
  const QList<QListWidgetItem*> selected = chklstDisplayItems_->selectedItems();
  itemIndex_ = selected.isEmpty() ? -1 : chklstDisplayItems_->row(selected.front());
  if (itemIndex_ < 0) return;
  editNavText_->setText(chklstDisplayItems_->item(itemIndex_)->text());
  editImgLocation_->setText(ToQ(options_.sNavImage[itemIndex_]));
  showImage(options_.sNavImage[itemIndex_]);
}

void NavigationDialog::altSelected() {
  const QList<QListWidgetItem*> selected = lstALTText_->selectedItems();
  altIndex_ = selected.isEmpty() ? -1 : lstALTText_->row(selected.front());
  if (altIndex_ < 0) return;
  editALT_->setText(lstALTText_->item(altIndex_)->text());
}

// Shows the picture when the file exists and can be read; otherwise the preview is empty.
void NavigationDialog::showImage(const std::string& path) {
  QImage image;
  if (IsFile(path)) {
    try {
      image = PictureToImage(qg::LoadSourcePicture(path));
    } catch (const std::exception&) {
      image = QImage();  // a damaged button picture just shows nothing here
    }
  }
  setPreview(image);
}

void NavigationDialog::setPreview(const QImage& image) {
  preview_ = image;
  if (preview_.isNull()) {
    imgNavPreview_->clear();
    return;
  }
  QPixmap pixmap = QPixmap::fromImage(preview_);
  if (pixmap.width() > kPreviewArea.width() || pixmap.height() > kPreviewArea.height())
    pixmap = pixmap.scaled(kPreviewArea, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  imgNavPreview_->setPixmap(pixmap);
}

void NavigationDialog::updateImage() {
  if (itemIndex_ < 0) return;
  const QString buttons = ToQ(qg::AppFolder()) + QStringLiteral("/Buttons");
  const QString folder = QFileInfo(buttons).isDir() ? buttons : QString();
  const QString chosen =
      prompts_.chooseOpenFile(QStringLiteral("Update Image"), folder, PictureFilter());
  if (chosen.isEmpty()) return;  // cancelled: the item keeps its picture
  const std::string path = FromQ(chosen);
  // Decoding first: a file that is not a picture is reported and changes nothing.
  const QImage image = PictureToImage(qg::LoadSourcePicture(path));
  editImgLocation_->setText(chosen);
  setPreview(image);
  options_.sNavImage[itemIndex_] = path;
}

void NavigationDialog::clearImage() {
  setPreview(QImage());
  editImgLocation_->clear();
  if (itemIndex_ >= 0) options_.sNavImage[itemIndex_].clear();
}

void NavigationDialog::saveAsDefault() {
  if (prompts_.askYesNo(QStringLiteral("The current navigation items and [ALT] text will be used "
                                       "for all projects.  Is this OK?")) != Answer::Yes)
    return;
  for (int i = 0; i < qg::NavItemCount; ++i) {
    prefs_.sDefNav[i] = FromQ(chklstDisplayItems_->item(i)->text());
    prefs_.sDefNavALT[i] = FromQ(lstALTText_->item(i)->text());
  }
  if (!qg::SaveSettings(prefs_))
    ShowError(prompts_, QStringLiteral("Unable to write to ") + ToQ(qg::PreferencesFilePath()));
}

void NavigationDialog::apply(qg::GalleryOptions& options) const {
  for (int i = 0; i < qg::NavItemCount; ++i) {
    options.blNavShow[i] = chklstDisplayItems_->item(i)->checkState() == Qt::Checked;
    options.sNav[i] = FromQ(chklstDisplayItems_->item(i)->text());
    options.sNavALT[i] = FromQ(lstALTText_->item(i)->text());
  }
  options.blNavShowCaptions = chkShowCaptions_->isChecked();
  options.blNavShowImages = chkShowImages_->isChecked();
}

bool RunNavigationDialog(QWidget* parent, Prompts& prompts, qg::GalleryOptions& options,
                         qg::Preferences& prefs) {
  NavigationDialog dialog(parent, prompts, options, prefs);
  if (prompts.runDialog(dialog) != QDialog::Accepted) return false;
  dialog.apply(options);
  return true;
}

}  // namespace qg::app
