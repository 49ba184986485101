// The form of the title template dialogs; see TitleTemplatesForm.h.
#include "dialogs/TitleTemplatesForm.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <array>
#include <functional>
#include <utility>

#include "dialogs/ColourList.h"
#include "dialogs/DialogSupport.h"
#include "support/Text.h"

namespace qg::app {
namespace {

struct TokenItem {
  std::string_view item;
  std::string_view text;
};
constexpr std::array<TokenItem, 10> kTokenItems = {{
    {"Click to enlarge", "Click to enlarge"},
    {"Image Short Title", " [ShortTitle] "},
    {"Image Long Title", " [LongTitle] "},
    {"Image Filename", " [Filename] "},
    {"Image File Size (kb)", " [FileSize] "},
    {"Image Size", " [ImageSize] "},
    {"Index Page Number", " [IndexPageNumber] "},
    {"Number of Pages", " [PageCount] "},
    {"Number of Images", " [ImageCount] "},
    {"Line Break", "<br>"},
}};
// Each list shows the rows from its first item to "Line Break".
constexpr size_t kFirstItemOfList[3] = {6, 1, 0};

const char* const kFamilies[] = {"Verdana, Arial, Helvetica, sans-serif",
                                 "Times New Roman, Times, serif", "Courier New, Courier, mono"};
const char* const kStyles[] = {"Regular", "Italic", "Bold", "Bold Italic"};
const char* const kSizes[] = {"1 (8 pt)",  "2 (10 pt)", "3 (12 pt)", "4 (14 pt)",
                              "5 (18 pt)", "6 (24 pt)", "7 (36 pt)"};

const char kHelpText[] =
    "Choose the settings you would like to use when displaying the page title.  You can view your "
    "settings in the preview pane.  You can also enter HTML code directly into the Page title "
    "box.";

QComboBox* EditableBox(QWidget* parent, const char* const* entries, size_t count) {
  auto* box = new QComboBox(parent);
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  for (size_t i = 0; i < count; ++i) box->addItem(QString::fromLatin1(entries[i]));
  return box;
}

// Enter on a token list appends the selected token, as a double-click does.
class EnterKeyFilter : public QObject {
 public:
  EnterKeyFilter(QWidget* watched, std::function<void()> onEnter)
      : QObject(watched), onEnter_(std::move(onEnter)) {
    watched->installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
    onEnter_();
    return true;
  }

 private:
  std::function<void()> onEnter_;
};

QLabel* Help(const QString& text, QWidget* parent) {
  auto* label = PlainLabel(text, parent);
  label->setWordWrap(true);
  return label;
}

}  // namespace

std::string TokenTextFor(std::string_view item) {
  for (const TokenItem& t : kTokenItems)
    if (t.item == item) return std::string(t.text);
  return {};
}

PreviewBrowser::PreviewBrowser(QWidget* parent) : QTextBrowser(parent) {
  setOpenLinks(false);
  setOpenExternalLinks(false);
  setUndoRedoEnabled(false);
}

QVariant PreviewBrowser::loadResource(int, const QUrl&) { return {}; }

TitleTemplatesForm::TitleTemplatesForm(QWidget* parent, const Look& look) : QDialog(parent) {
  setObjectName(QString::fromLatin1(look.objectName));
  setWindowTitle(QString::fromLatin1(look.caption));
  CloseBoxOnly(this);

  tabs_ = new QTabWidget(this);
  NameControl(tabs_, QStringLiteral("pgTitles"), QStringLiteral("Titles"));
  tabs_->addTab(makeTitlePage(0, "&Page title:", edits_[0], lists_[0]),
                QString::fromLatin1(look.tabNames[0]));
  tabs_->addTab(makeTitlePage(1, look.titleLabel, edits_[1], lists_[1]),
                QString::fromLatin1(look.tabNames[1]));
  tabs_->addTab(makeAltPage(), QString::fromLatin1(look.tabNames[2]));

  auto* btnOK = new QPushButton(QStringLiteral("&OK"), this);
  NameControl(btnOK, QStringLiteral("btnOK"), btnOK->text());
  btnOK->setDefault(true);
  auto* btnCancel = new QPushButton(QStringLiteral("&Cancel"), this);
  NameControl(btnCancel, QStringLiteral("btnCancel"), btnCancel->text());
  connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(btnOK);
  buttons->addWidget(btnCancel);

  auto* main = new QVBoxLayout(this);
  main->addWidget(tabs_, 1);
  main->addLayout(buttons);
}

QWidget* TitleTemplatesForm::makeTitlePage(int which, const char* label, QLineEdit*& edit,
                                           QListWidget*& list) {
  const bool page = which == 0;
  auto* w = new QWidget(tabs_);
  auto suffix = [&](const char* name) {
    return QString::fromLatin1(name) + (page ? QString() : QStringLiteral("Thumb"));
  };

  auto* help = Help(QString::fromLatin1(kHelpText), w);
  auto* editLabel = new QLabel(QString::fromLatin1(label), w);
  edit = new QLineEdit(w);
  NameControl(edit, page ? QStringLiteral("editPageTitle") : QStringLiteral("editThumbTitle"),
              editLabel->text());
  editLabel->setBuddy(edit);
  auto* editRow = new QHBoxLayout;
  editRow->addWidget(editLabel);
  editRow->addWidget(edit, 1);

  list = new QListWidget(w);
  NameControl(list, page ? QStringLiteral("lstTitle") : QStringLiteral("lstTitleThumb"),
              QStringLiteral("Title options"));
  for (size_t i = kFirstItemOfList[which]; i < kTokenItems.size(); ++i)
    list->addItem(QString::fromLatin1(kTokenItems[i].item.data(), kTokenItems[i].item.size()));
  list->setMinimumWidth(list->sizeHintForColumn(0) + 2 * list->frameWidth() + 24);
  auto* tip = Help(QStringLiteral("Tip: Double-click an option to add it to the title."), w);
  auto* listColumn = new QVBoxLayout;
  listColumn->addWidget(list, 1);
  listColumn->addWidget(tip);

  FontControls& f = fonts_[which];
  auto* fontGroup = new QGroupBox(QStringLiteral("Font"), w);
  f.family = EditableBox(fontGroup, kFamilies, std::size(kFamilies));
  f.style = EditableBox(fontGroup, kStyles, std::size(kStyles));
  f.size = EditableBox(fontGroup, kSizes, std::size(kSizes));
  f.colour = new ColourList(fontGroup);
  NameControl(f.family, suffix("cmbFontFamily"), QStringLiteral("Font"));
  NameControl(f.style, suffix("cmbStyle"), QStringLiteral("Style"));
  NameControl(f.size, suffix("cmbSize"), QStringLiteral("Size"));
  NameControl(f.colour,
              page ? QStringLiteral("spinFontColor") : QStringLiteral("cmbFontColorThumb"),
              QStringLiteral("Colour"));
  f.family->setMinimumContentsLength(30);
  f.family->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  auto* fontForm = new QFormLayout(fontGroup);
  fontForm->addRow(QStringLiteral("&Font:"), f.family);
  fontForm->addRow(QStringLiteral("&Style:"), f.style);
  fontForm->addRow(QStringLiteral("Si&ze:"), f.size);
  fontForm->addRow(QStringLiteral("Co&lour:"), f.colour);

  auto* previewGroup = new QGroupBox(QStringLiteral("Preview"), w);
  browsers_[which] = new PreviewBrowser(previewGroup);
  NameControl(browsers_[which],
              page ? QStringLiteral("browsePreview") : QStringLiteral("browsePreviewThumb"),
              QStringLiteral("Preview"));
  browsers_[which]->setFixedHeight(110);
  auto* btnPreview = new QPushButton(QStringLiteral("P&review"), previewGroup);
  NameControl(btnPreview, page ? QStringLiteral("btnPreview") : QStringLiteral("btnPreviewThumb"),
              btnPreview->text());
  auto* previewLayout = new QHBoxLayout(previewGroup);
  previewLayout->addWidget(browsers_[which], 1);
  previewLayout->addWidget(btnPreview, 0, Qt::AlignBottom);

  auto* middle = new QHBoxLayout;
  middle->addLayout(listColumn, 1);
  middle->addWidget(fontGroup, 0, Qt::AlignTop);

  auto* layout = new QVBoxLayout(w);
  layout->addWidget(help);
  layout->addLayout(editRow);
  layout->addLayout(middle, 1);
  layout->addWidget(previewGroup);

  // What refreshes the preview: the font controls, the Preview button and, for the page title
  // only, leaving its edit. Typing a thumbnail title or appending a token does not.
  auto refresh = [this, which] { refreshPreview(which); };
  connect(f.family, &QComboBox::currentTextChanged, this, refresh);
  connect(f.style, &QComboBox::currentTextChanged, this, refresh);
  connect(f.size, &QComboBox::currentTextChanged, this, refresh);
  connect(f.colour, &ColourList::colourChanged, this, refresh);
  connect(btnPreview, &QPushButton::clicked, this, refresh);
  if (page) connect(edit, &QLineEdit::editingFinished, this, refresh);

  QListWidget* theList = list;
  QLineEdit* theEdit = edit;
  connect(list, &QListWidget::itemDoubleClicked, this,
          [this, theList, theEdit] { appendToken(theList, theEdit); });
  new EnterKeyFilter(list, [this, theList, theEdit] { appendToken(theList, theEdit); });

  setTabOrder(edit, list);
  setTabOrder(list, f.family);
  setTabOrder(f.family, f.style);
  setTabOrder(f.style, f.size);
  setTabOrder(f.size, f.colour);
  setTabOrder(f.colour, btnPreview);
  return w;
}

QWidget* TitleTemplatesForm::makeAltPage() {
  auto* w = new QWidget(tabs_);
  auto* editLabel = new QLabel(QStringLiteral("&ALT text:"), w);
  edits_[2] = new QLineEdit(w);
  NameControl(edits_[2], QStringLiteral("editALTText"), editLabel->text());
  editLabel->setBuddy(edits_[2]);
  auto* editRow = new QHBoxLayout;
  editRow->addWidget(editLabel);
  editRow->addWidget(edits_[2], 1);

  lists_[2] = new QListWidget(w);
  NameControl(lists_[2], QStringLiteral("lstALT"), QStringLiteral("ALT text options"));
  for (size_t i = kFirstItemOfList[2]; i < kTokenItems.size(); ++i)
    lists_[2]->addItem(QString::fromLatin1(kTokenItems[i].item.data(), kTokenItems[i].item.size()));
  auto* tip = Help(QStringLiteral("Tip: Double-click an option to add it to the ALT text."), w);

  auto* layout = new QVBoxLayout(w);
  layout->addLayout(editRow);
  layout->addWidget(lists_[2], 1);
  layout->addWidget(tip);

  connect(lists_[2], &QListWidget::itemDoubleClicked, this,
          [this] { appendToken(lists_[2], edits_[2]); });
  new EnterKeyFilter(lists_[2], [this] { appendToken(lists_[2], edits_[2]); });
  return w;
}

void TitleTemplatesForm::appendToken(QListWidget* list, QLineEdit* edit) {
  const QListWidgetItem* item = list->currentItem();
  if (!item || !item->isSelected()) return;  // nothing selected: nothing to append
  const std::string text = TokenTextFor(FromQ(item->text()));
  if (text.empty()) return;
  // Always at the end of the text, wherever the cursor stands.
  edit->setText(edit->text() + ToQ(text));
}

void TitleTemplatesForm::selectTab(TitlesTab tab) { tabs_->setCurrentIndex(int(tab)); }

void TitleTemplatesForm::setTexts(const std::string& page, const std::string& title,
                                  const std::string& alt) {
  edits_[0]->setText(ToQ(page));
  edits_[1]->setText(ToQ(title));
  edits_[2]->setText(ToQ(alt));
  for (QLineEdit* e : edits_) e->setCursorPosition(0);
}

std::string TitleTemplatesForm::text(TitlesTab tab) const {
  return FromQ(edits_[int(tab)]->text());
}

void TitleTemplatesForm::setFont(int which, const qg::FontSetting& font) {
  FontControls& f = fonts_[which];
  f.family->setCurrentText(ToQ(font.family));
  f.style->setCurrentText(ToQ(font.style));
  f.size->setCurrentText(ToQ(font.size));
  f.colour->setColour(font.colour);
  for (QComboBox* box : {f.family, f.style, f.size})
    if (box->lineEdit()) box->lineEdit()->setCursorPosition(0);  // show the start of long names
}

qg::FontSetting TitleTemplatesForm::font(int which) const {
  const FontControls& f = fonts_[which];
  return {FromQ(f.family->currentText()), FromQ(f.style->currentText()),
          FromQ(f.size->currentText()), f.colour->colour()};
}

void TitleTemplatesForm::setFontControlsEnabled(bool enabled) {
  for (const FontControls& f : fonts_) {
    f.family->setEnabled(enabled);
    f.style->setEnabled(enabled);
    f.size->setEnabled(enabled);
    f.colour->setEnabled(enabled);
  }
}

void TitleTemplatesForm::refreshPreview(int which) {
  if (!edits_[which] || !browsers_[which]) return;  // still being built
  previewHtml_[which] = previewDocument(FromQ(edits_[which]->text()), font(which));
  browsers_[which]->setHtml(ToQ(previewHtml_[which]));
}

}  // namespace qg::app
