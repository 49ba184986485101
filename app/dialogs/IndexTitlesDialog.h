// The index-page titles dialog: the page title, the thumbnail title and the thumbnail ALT text,
// with the fonts of the page heading and of the thumbnail captions and a preview of each title
// with sample values. OK writes the three texts and both fonts back.
#pragma once

#include "dialogs/TitleTemplatesForm.h"
#include "project/Project.h"

namespace qg::app {

class Prompts;

// The preview document of a title: white titles on black, any other colour on white.
std::string IndexTitlePreviewHtml(std::string_view templ, const qg::FontSetting& font);

class IndexTitlesDialog : public TitleTemplatesForm {
  Q_OBJECT

 public:
  IndexTitlesDialog(QWidget* parent, const qg::GalleryOptions& options);
  void apply(qg::GalleryOptions& options) const;

 protected:
  std::string previewDocument(std::string_view templ, const qg::FontSetting& font) const override;
};

// Opens the dialog on `tab`; on OK applies it and returns true.
bool RunIndexTitlesDialog(QWidget* parent, Prompts& prompts, qg::GalleryOptions& options,
                          TitlesTab tab);

}  // namespace qg::app
