// The index-page titles dialog; see IndexTitlesDialog.h.
#include "dialogs/IndexTitlesDialog.h"

#include "dialogs/DialogSupport.h"
#include "support/Prompts.h"

namespace qg::app {

std::string IndexTitlePreviewHtml(std::string_view templ, const qg::FontSetting& font) {
  std::string html = "<html><head></head><body";
  html += font.colour == qg::kWhite ? " bgcolor=\"#000000\"" : " bgcolor=\"#FFFFFF\"";
  html += ">\r\n";
  html += qg::FormatTitle({}, -1, templ, font);
  html += "\r\n</body><html>\r\n";
  return html;
}

IndexTitlesDialog::IndexTitlesDialog(QWidget* parent, const qg::GalleryOptions& options)
    : TitleTemplatesForm(parent, {"TfmTitlesIndex",
                                  "Edit Index Page Titles ",
                                  {"Page Title", "Thumb Title", "Thumb ALT Text"},
                                  "&Thumb title:"}) {
  setTexts(options.editIndexCaption, options.editThumbTitle, options.editALTText);
  setFont(0, qg::HeadingFont(options));
  setFont(1, qg::CaptionFont(options));
  refreshPreview(0);
  refreshPreview(1);
  FixDialogSize(this, QSize(520, 470));
}

void IndexTitlesDialog::apply(qg::GalleryOptions& options) const {
  options.editIndexCaption = text(TitlesTab::PageTitle);
  options.editThumbTitle = text(TitlesTab::Title);
  options.editALTText = text(TitlesTab::AltText);
  const qg::FontSetting heading = font(0);
  options.FIndexFontFamily = heading.family;
  options.FIndexFontStyle = heading.style;
  options.FIndexFontSize = heading.size;
  options.FIndexFontColor = heading.colour;
  const qg::FontSetting caption = font(1);
  options.FThumbFontFamily = caption.family;
  options.FThumbFontStyle = caption.style;
  options.FThumbFontSize = caption.size;
  options.FThumbFontColor = caption.colour;
}

std::string IndexTitlesDialog::previewDocument(std::string_view templ,
                                               const qg::FontSetting& font) const {
  return IndexTitlePreviewHtml(templ, font);
}

bool RunIndexTitlesDialog(QWidget* parent, Prompts& prompts, qg::GalleryOptions& options,
                          TitlesTab tab) {
  IndexTitlesDialog dialog(parent, options);
  dialog.selectTab(tab);
  if (prompts.runDialog(dialog) != QDialog::Accepted) return false;
  dialog.apply(options);
  return true;
}

}  // namespace qg::app
