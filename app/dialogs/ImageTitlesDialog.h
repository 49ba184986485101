// The picture-page titles dialog: the same form as the index-page one for the picture pages'
// page title, picture title and ALT text. Its fonts have nowhere to go and are shown disabled at
// their defaults; its sample values also name the index page title ("My Gallery"). OK writes the
// three texts back.
#pragma once

#include "dialogs/TitleTemplatesForm.h"
#include "project/Project.h"

namespace qg::app {

class Prompts;

// The preview document of a picture-page title: always on the page's own background.
std::string ImageTitlePreviewHtml(std::string_view templ, const qg::FontSetting& font);

class ImageTitlesDialog : public TitleTemplatesForm {
  Q_OBJECT

 public:
  ImageTitlesDialog(QWidget* parent, const qg::GalleryOptions& options);
  void apply(qg::GalleryOptions& options) const;

 protected:
  std::string previewDocument(std::string_view templ, const qg::FontSetting& font) const override;
};

// Opens the dialog on `tab`; on OK applies it and returns true.
bool RunImageTitlesDialog(QWidget* parent, Prompts& prompts, qg::GalleryOptions& options,
                          TitlesTab tab);

}  // namespace qg::app
