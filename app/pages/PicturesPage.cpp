// The Add Pictures step; see PicturesPage.h.
#include "pages/PicturesPage.h"

#include <QAction>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImageReader>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "codecs/Decode.h"
#include "metadata/CameraData.h"
#include "pages/Controls.h"
#include "project/ProjectFile.h"
#include "support/BusyCursor.h"
#include "support/ErrorDisplay.h"
#include "support/PictureImage.h"
#include "support/Prompts.h"
#include "support/StandardIcon.h"
#include "support/Text.h"

namespace qg::app {
namespace {

constexpr QSize kPreviewBox(153, 113);

QTreeWidgetItem* MakeItem(const qg::PictureRecord& r) {
  auto* item = new QTreeWidgetItem({ToQ(r.FileName), ToQ(r.ImageSize), ToQ(r.FileSize)});
  item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
  return item;
}

// The picture scaled down to the box (never up), proportions kept. Qt's readers decode JPEG
// straight at a reduced size; formats Qt cannot read go through the program's own decoders.
QImage PreviewImage(const std::string& path) {
  QImageReader reader(ToQ(path));
  reader.setAutoTransform(false);
  const QSize size = reader.size();
  if (size.isValid() &&
      (size.width() > kPreviewBox.width() || size.height() > kPreviewBox.height()))
    reader.setScaledSize(size.scaled(kPreviewBox, Qt::KeepAspectRatio));
  QImage image = reader.read();
  if (image.isNull()) image = ToQImage(qg::LoadSourcePicture(path));
  if (image.width() > kPreviewBox.width() || image.height() > kPreviewBox.height())
    image = image.scaled(kPreviewBox, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  return image;
}

}  // namespace

PicturesPage::PicturesPage(qg::Project& project, Prompts& prompts, QWidget* parent)
    : QWidget(parent), project_(project), prompts_(prompts) {
  setObjectName(QStringLiteral("tabPictures"));
  lvPics = Named(new QTreeWidget, "lvPics", QStringLiteral("Pictures"));
  lvPics->setColumnCount(3);
  lvPics->setHeaderLabels(
      {QStringLiteral("File Name"), QStringLiteral("Image Size"), QStringLiteral("File Size")});
  lvPics->headerItem()->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
  lvPics->setRootIsDecorated(false);
  lvPics->setUniformRowHeights(true);
  lvPics->setAllColumnsShowFocus(true);
  lvPics->setSelectionMode(QAbstractItemView::SingleSelection);
  lvPics->setSelectionBehavior(QAbstractItemView::SelectRows);
  lvPics->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lvPics->header()->setSectionsClickable(true);
  lvPics->header()->setSectionsMovable(false);
  lvPics->header()->setStretchLastSection(false);
  lvPics->setColumnWidth(0, 170);
  lvPics->setColumnWidth(1, 90);
  lvPics->setColumnWidth(2, 80);

  btnAddPic = MakeButton("btnAddPic", QStringLiteral("&Add..."), QStringLiteral("Add new image"));
  btnDeletePic = MakeButton("btnDeletePic", QStringLiteral("&Delete"),
                            QStringLiteral("Delete selected image"));
  btnMoveUp = MakeButton("btnMoveUp", QStringLiteral("Up"), QStringLiteral("Move item up in list"));
  btnMoveDown =
      MakeButton("btnMoveDown", QStringLiteral("Down"), QStringLiteral("Move item down in list"));
  btnSortAZ = MakeButton("btnSortAZ", QStringLiteral("Sort"),
                         QStringLiteral("Sort the list alphabetically (A - Z)"));
  btnSortZA = MakeButton("btnSortZA", QStringLiteral("Sort"),
                         QStringLiteral("Sort the list alphabetically (Z - A)"));
  btnRotateL =
      MakeButton("btnRotateL", QStringLiteral("Rotate"), QStringLiteral("Rotate image left"));
  btnRotateR =
      MakeButton("btnRotateR", QStringLiteral("Rotate"), QStringLiteral("Rotate image right"));
  btnDetails = MakeButton("btnDetails", QStringLiteral("Details"),
                          QStringLiteral("Display digital camera image details"));
  btnClearList = MakeButton("btnClearList", QStringLiteral("Clear..."),
                            QStringLiteral("Clear the image list"));
  SetStandardIconLater(btnSortAZ, QStyle::SP_ArrowDown);
  SetStandardIconLater(btnSortZA, QStyle::SP_ArrowUp);
  SetStandardIconLater(btnRotateL, QStyle::SP_ArrowLeft);
  SetStandardIconLater(btnRotateR, QStyle::SP_ArrowRight);

  edtShortTitle = MakeEdit("edtShortTitle", QStringLiteral("Short title"));
  editLongTitle = MakeEdit("editLongTitle", QStringLiteral("Long title"));
  chkShowImage = MakeCheck("chkShowImage", QStringLiteral("Show Pre&view"));
  chkShowImage->setChecked(true);
  lblImageCount = MakePlainLabel("lblImageCount", QStringLiteral("Image count"));
  lblClick = Named(new QLabel(QStringLiteral("Click image to view full size")), "lblClick",
                   QStringLiteral("Click image to view full size"));

  pagePicture = Named(new QTabWidget, "pagePicture", QStringLiteral("Picture"));
  auto* previewTab = new QWidget;
  auto* frame = new QFrame;
  frame->setFrameShape(QFrame::StyledPanel);
  frame->setFrameShadow(QFrame::Sunken);
  imgPreview = Named(new QLabel, "imgPreview", QStringLiteral("Preview"));
  imgPreview->setFixedSize(kPreviewBox);
  imgPreview->setAlignment(Qt::AlignCenter);
  imgPreview->setToolTip(QStringLiteral("Click to view full size image"));
  imgPreview->setCursor(Qt::PointingHandCursor);
  imgPreview->installEventFilter(this);
  auto* frameLayout = new QVBoxLayout(frame);
  frameLayout->setContentsMargins(2, 2, 2, 2);
  frameLayout->addWidget(imgPreview);
  auto* previewLayout = new QVBoxLayout(previewTab);
  previewLayout->addWidget(frame, 0, Qt::AlignHCenter);
  previewLayout->addWidget(lblClick, 0, Qt::AlignHCenter);
  previewLayout->addWidget(chkShowImage, 0, Qt::AlignHCenter);
  previewLayout->addStretch(1);
  memoExif = Named(new QPlainTextEdit, "memoExif", QStringLiteral("Image Data"));
  memoExif->setReadOnly(true);
  memoExif->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memoExif->setLineWrapMode(QPlainTextEdit::NoWrap);
  pagePicture->addTab(previewTab, QStringLiteral("Preview"));
  pagePicture->addTab(memoExif, QStringLiteral("Image Data"));

  // The list's pop-up menu; its keys work only while the list has the focus.
  itemAddPicture = new QAction(QStringLiteral("&Add Picture"), lvPics);
  itemAddPicture->setObjectName(QStringLiteral("itemAddPicture"));
  itemAddPicture->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Insert));
  itemAddPicture->setShortcutContext(Qt::WidgetShortcut);
  auto* separator = new QAction(lvPics);
  separator->setSeparator(true);
  itemDeletePicture = new QAction(QStringLiteral("&Delete Picture "), lvPics);
  itemDeletePicture->setObjectName(QStringLiteral("itemDeletePicture"));
  itemDeletePicture->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
  itemDeletePicture->setShortcutContext(Qt::WidgetShortcut);
  lvPics->addActions({itemAddPicture, separator, itemDeletePicture});
  lvPics->setContextMenuPolicy(Qt::ActionsContextMenu);

  auto* listButtons = new QGridLayout;
  listButtons->addWidget(btnAddPic, 0, 0);
  listButtons->addWidget(btnDeletePic, 0, 1);
  listButtons->addWidget(btnMoveUp, 0, 2);
  listButtons->addWidget(btnMoveDown, 0, 3);
  listButtons->addWidget(btnClearList, 0, 4);
  listButtons->addWidget(btnSortAZ, 1, 0);
  listButtons->addWidget(btnSortZA, 1, 1);
  listButtons->addWidget(btnRotateL, 1, 2);
  listButtons->addWidget(btnRotateR, 1, 3);
  listButtons->addWidget(btnDetails, 1, 4);

  auto* titles = new QGridLayout;
  titles->addWidget(MakeLabel(QStringLiteral("&Short title"), edtShortTitle), 0, 0);
  titles->addWidget(edtShortTitle, 0, 1);
  titles->addWidget(MakeLabel(QStringLiteral("Lo&ng title"), editLongTitle), 1, 0);
  titles->addWidget(editLongTitle, 1, 1);

  auto* left = new QVBoxLayout;
  left->addWidget(lvPics, 1);
  left->addWidget(lblImageCount);
  left->addLayout(listButtons);
  left->addLayout(titles);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(left, 1);
  layout->addWidget(pagePicture);

  connect(btnAddPic, &QPushButton::clicked, this, &PicturesPage::addRequested);
  connect(itemAddPicture, &QAction::triggered, this, &PicturesPage::addRequested);
  connect(btnDeletePic, &QPushButton::clicked, this, &PicturesPage::btnDeletePicClick);
  connect(itemDeletePicture, &QAction::triggered, this, &PicturesPage::btnDeletePicClick);
  connect(btnMoveUp, &QPushButton::clicked, this, &PicturesPage::btnMoveUpClick);
  connect(btnMoveDown, &QPushButton::clicked, this, &PicturesPage::btnMoveDownClick);
  connect(btnSortAZ, &QPushButton::clicked, this, &PicturesPage::btnSortAZClick);
  connect(btnSortZA, &QPushButton::clicked, this, &PicturesPage::btnSortZAClick);
  connect(btnClearList, &QPushButton::clicked, this, &PicturesPage::btnClearListClick);
  connect(lvPics->header(), &QHeaderView::sectionClicked, this, &PicturesPage::lvPicsColumnClick);
  connect(lvPics, &QTreeWidget::itemSelectionChanged, this, &PicturesPage::lvPicsSelectItem);
  connect(edtShortTitle, &QLineEdit::editingFinished, this, &PicturesPage::commitTitles);
  connect(editLongTitle, &QLineEdit::editingFinished, this, &PicturesPage::commitTitles);
  connect(chkShowImage, &QCheckBox::toggled, imgPreview, &QLabel::setVisible);
  connect(pagePicture, &QTabWidget::currentChanged, this, [this](int tab) {
    if (tab == 1 && selected() != qg::kNoSelection) ShowCameraData();
  });

  refresh(qg::kNoSelection);
}

bool PicturesPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched == imgPreview && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    emit previewClicked();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void PicturesPage::refresh(int selection) {
  rebuilding_ = true;
  {
    const QSignalBlocker block(lvPics);
    lvPics->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(project_.pictures.size()));
    for (const qg::PictureRecord& r : project_.pictures) items.append(MakeItem(r));
    lvPics->addTopLevelItems(items);
  }
  rebuilding_ = false;
  titleRecord_ = qg::kNoSelection;
  UpdateImageCount();
  if (selection >= 0 && static_cast<size_t>(selection) < project_.pictures.size()) {
    select(selection);
  } else {
    showTitles(qg::kNoSelection);
  }
}

void PicturesPage::selectLast() {
  if (!project_.pictures.empty()) select(static_cast<int>(project_.pictures.size()) - 1);
}

int PicturesPage::selected() const {
  const QList<QTreeWidgetItem*> items = lvPics->selectedItems();
  if (items.isEmpty()) return qg::kNoSelection;
  return lvPics->indexOfTopLevelItem(items.front());
}

void PicturesPage::select(int index) {
  QTreeWidgetItem* item = lvPics->topLevelItem(index);
  if (!item) return;
  if (selected() == index) {
    lvPicsSelectItem();  // the same row again: show it afresh
    return;
  }
  lvPics->setCurrentItem(item);
  item->setSelected(true);
  lvPics->scrollToItem(item);
}

void PicturesPage::commitTitles() {
  if (titleRecord_ < 0 || static_cast<size_t>(titleRecord_) >= project_.pictures.size()) return;
  qg::PictureRecord& r = project_.pictures[static_cast<size_t>(titleRecord_)];
  r.ShortTitle = FromQ(edtShortTitle->text());
  r.LongTitle = FromQ(editLongTitle->text());
}

void PicturesPage::showTitles(int index) {
  const bool any = index >= 0 && static_cast<size_t>(index) < project_.pictures.size();
  titleRecord_ = any ? index : qg::kNoSelection;
  edtShortTitle->setText(any ? ToQ(project_.pictures[static_cast<size_t>(index)].ShortTitle)
                             : QString());
  editLongTitle->setText(any ? ToQ(project_.pictures[static_cast<size_t>(index)].LongTitle)
                             : QString());
  edtShortTitle->setEnabled(any);
  editLongTitle->setEnabled(any);
}

void PicturesPage::lvPicsSelectItem() {
  if (rebuilding_) return;
  commitTitles();
  const int index = selected();
  if (index == qg::kNoSelection) {
    showTitles(qg::kNoSelection);
    return;
  }
  const qg::PictureRecord& r = project_.pictures[static_cast<size_t>(index)];
  if (chkShowImage->isChecked() && QFileInfo::exists(ToQ(r.FilenameAndPath)))
    loadPreview(r.FilenameAndPath);
  showTitles(index);
  if (pagePicture->currentIndex() == 1) ShowCameraData();
}

void PicturesPage::loadPreview(const std::string& path) {
  // A picture that cannot be shown leaves the preview as it was; adding it said why.
  try {
    const QImage image = PreviewImage(path);
    if (!image.isNull()) imgPreview->setPixmap(QPixmap::fromImage(image));
  } catch (const std::exception&) {
  }
}

void PicturesPage::clearPreview() { imgPreview->clear(); }

void PicturesPage::ShowCameraData() {
  memoExif->clear();
  const int index = selected();
  if (index == qg::kNoSelection) return;
  Guarded(prompts_, [&] {
    QString text =
        ToQ(qg::CameraDataSummary(project_.pictures[static_cast<size_t>(index)].FilenameAndPath));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    memoExif->setPlainText(text);  // camera data is shown as plain text
  });
}

void PicturesPage::UpdateImageCount() {
  lblImageCount->setText(ToQ(qg::ImageCountText(project_.pictures.size())));
}

void PicturesPage::resetForNewProject() {
  sortColumn_ = qg::SortColumn::FileName;
  sortDescending_ = false;
  clearPreview();
  memoExif->clear();
}

void PicturesPage::addPictures(const std::vector<std::string>& paths) {
  commitTitles();
  const int before = selected();
  BusyCursor busy;
  try {
    qg::AddPictures(project_, paths);
  } catch (...) {
    refresh(before);
    throw;
  }
  refresh(before);
}

void PicturesPage::btnDeletePicClick() {
  Guarded(prompts_, [&] {
    commitTitles();
    const int index = selected();
    if (index == qg::kNoSelection) return;
    const int next = qg::DeletePicture(project_, index);
    if (next == qg::kNoSelection) clearPreview();
    refresh(next);
  });
}

void PicturesPage::btnMoveUpClick() {
  Guarded(prompts_, [&] {
    commitTitles();
    const int index = selected();
    const int next = qg::MovePictureUp(project_, index);
    if (next != index) refresh(next);
  });
}

void PicturesPage::btnMoveDownClick() {
  Guarded(prompts_, [&] {
    commitTitles();
    const int index = selected();
    const int next = qg::MovePictureDown(project_, index);
    if (next != index) refresh(next);
  });
}

void PicturesPage::sort(qg::SortColumn column, bool descending) {
  Guarded(prompts_, [&] {
    commitTitles();
    sortColumn_ = column;
    sortDescending_ = descending;
    refresh(qg::SortPictures(project_, column, descending, selected()));
  });
}

void PicturesPage::btnSortAZClick() { sort(qg::SortColumn::FileName, false); }
void PicturesPage::btnSortZAClick() { sort(qg::SortColumn::FileName, true); }

void PicturesPage::lvPicsColumnClick(int column) {
  if (column < 0 || column > 2) return;
  sort(static_cast<qg::SortColumn>(column), false);
}

void PicturesPage::btnClearListClick() {
  Guarded(prompts_, [&] {
    commitTitles();
    if (project_.pictures.empty()) return;
    if (prompts_.askYesNo(QStringLiteral("Clear all items in the image list?")) != Answer::Yes)
      return;
    qg::ClearPictures(project_);
    clearPreview();
    refresh(qg::kNoSelection);
  });
}

}  // namespace qg::app
