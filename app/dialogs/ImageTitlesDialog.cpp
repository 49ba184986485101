// The picture-page titles dialog; see ImageTitlesDialog.h.
#include "dialogs/ImageTitlesDialog.h"

#include "dialogs/DialogSupport.h"
#include "support/Prompts.h"

namespace qg::app {
namespace {

const char kDefaultFamily[] = "Verdana, Arial, Helvetica, sans-serif";

}  // namespace

std::string ImageTitlePreviewHtml(std::string_view templ, const qg::FontSetting& font) {
  std::string html = "<html><head></head><body>\r\n";
  html += qg::WrapInFontTags(qg::RenderImagePageSampleTitle(templ), font.family, font.style,
                             font.size, font.colour);
  html += "\r\n</body><html>\r\n";
  return html;
}

ImageTitlesDialog::ImageTitlesDialog(QWidget* parent, const qg::GalleryOptions& options)
    : TitleTemplatesForm(parent, {"TfmImagesIndex",
                                  "Edit Image Page Titles ",
                                  {"Page Title", "Image Title", "Image ALT Text"},
                                  "&Image title:"}) {
  setFont(0, {kDefaultFamily, "Regular", "2 (10 pt)", qg::kBlack});
  setFont(1, {kDefaultFamily, "Bold", "1 (8 pt)", qg::kBlack});
  setFontControlsEnabled(false);
  setTexts(options.editPageTitleImage, options.editImageTitle, options.editImageALT);
  refreshPreview(0);
  refreshPreview(1);
  FixDialogSize(this, QSize(520, 470));
}

void ImageTitlesDialog::apply(qg::GalleryOptions& options) const {
  options.editPageTitleImage = text(TitlesTab::PageTitle);
  options.editImageTitle = text(TitlesTab::Title);
  options.editImageALT = text(TitlesTab::AltText);
}

std::string ImageTitlesDialog::previewDocument(std::string_view templ,
                                               const qg::FontSetting& font) const {
  return ImageTitlePreviewHtml(templ, font);
}

bool RunImageTitlesDialog(QWidget* parent, Prompts& prompts, qg::GalleryOptions& options,
                          TitlesTab tab) {
  ImageTitlesDialog dialog(parent, options);
  dialog.selectTab(tab);
  if (prompts.runDialog(dialog) != QDialog::Accepted) return false;
  dialog.apply(options);
  return true;
}

}  // namespace qg::app
