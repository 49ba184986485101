// The Titles sub-page; see TitlesPage.h.
#include "pages/TitlesPage.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

#include "pages/Controls.h"

namespace qg::app {

TitlesPage::TitlesPage(qg::Project& project, Prompts& prompts, QWidget* parent)
    : OptionSubPage(project, prompts, parent) {
  setObjectName(QStringLiteral("tabTitles"));
  struct Row {
    const char* edit;
    const char* label;
    std::string qg::GalleryOptions::*member;
    const char* button;
    const char* caption;
    QPushButton** slot;
  };
  const Row indexRows[] = {
      {"editIndexCaption", "P&age title", &qg::GalleryOptions::editIndexCaption, "btnPageTitleMore",
       "Advanced...", &btnPageTitleMore},
      {"editThumbTitle", "Th&umb title", &qg::GalleryOptions::editThumbTitle, "btnThumbTitleMore",
       "Advanced...", &btnThumbTitleMore},
      {"editALTText", "Thumb A&LT text", &qg::GalleryOptions::editALTText, "btnThumbALTMore",
       "Advanced...", &btnThumbALTMore},
  };
  const Row imageRows[] = {
      {"editPageTitleImage", "Pag&e title", &qg::GalleryOptions::editPageTitleImage,
       "btnPageTitleMoreImage", "...", &btnPageTitleMoreImage},
      {"editImageTitle", "&Image title", &qg::GalleryOptions::editImageTitle, "btnImageTitleMore",
       "...", &btnImageTitleMore},
      {"editImageALT", "I&mage ALT text", &qg::GalleryOptions::editImageALT, "btnImageALT", "...",
       &btnImageALT},
  };
  const auto group = [this](const QString& title, const Row* rows, size_t count) {
    auto* box = new QGroupBox(title);
    auto* grid = new QGridLayout(box);
    for (size_t i = 0; i < count; ++i) {
      const Row& r = rows[i];
      const QString label = QString::fromLatin1(r.label);
      QLineEdit* edit = MakeEdit(r.edit, label);
      QPushButton* button = MakeButton(r.button, QString::fromLatin1(r.caption));
      button->setAccessibleName(WithoutMnemonic(label) + QStringLiteral(" options"));
      *r.slot = button;
      const int row = static_cast<int>(i);
      grid->addWidget(MakeLabel(label, edit), row, 0);
      grid->addWidget(edit, row, 1);
      grid->addWidget(button, row, 2);
      bind(edit, r.member);
    }
    grid->setColumnStretch(1, 1);
    return box;
  };
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group(QStringLiteral("Index Page"), indexRows, std::size(indexRows)));
  layout->addWidget(group(QStringLiteral("Image Pages"), imageRows, std::size(imageRows)));
  layout->addStretch(1);
}

}  // namespace qg::app
