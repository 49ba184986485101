// The form both title template dialogs are built on: three tabs (page title, thumbnail or
// picture title, ALT text), each with its template edit and a list of tokens that a double-click
// (or Enter) appends to the edit; the first two tabs also carry a font and a preview of the
// title with sample values. The preview is rendered from a string in a browser that follows no
// links and loads nothing.
#pragma once

#include <QDialog>
#include <QTextBrowser>
#include <string>
#include <string_view>

#include "gallery/Titles.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace qg::app {

class ColourList;

enum class TitlesTab { PageTitle, Title, AltText };

// A rich-text view that shows the HTML it is given and nothing else: links are not followed and
// no resource (image, style sheet) is ever loaded, from the network or from files.
class PreviewBrowser : public QTextBrowser {
  Q_OBJECT

 public:
  explicit PreviewBrowser(QWidget* parent = nullptr);
  QVariant loadResource(int type, const QUrl& name) override;
};

class TitleTemplatesForm : public QDialog {
  Q_OBJECT

 public:
  void selectTab(TitlesTab tab);
  // The HTML the page-title (0) or title (1) preview was last given.
  const std::string& previewHtml(int which) const { return previewHtml_[which]; }

 protected:
  struct Look {
    const char* objectName;
    const char* caption;
    const char* tabNames[3];
    const char* titleLabel;  // the second tab's edit label
  };
  TitleTemplatesForm(QWidget* parent, const Look& look);

  void setTexts(const std::string& page, const std::string& title, const std::string& alt);
  std::string text(TitlesTab tab) const;
  void setFont(int which, const qg::FontSetting& font);
  qg::FontSetting font(int which) const;
  void setFontControlsEnabled(bool enabled);

  void refreshPreview(int which);
  // The whole preview document for a template in a font.
  virtual std::string previewDocument(std::string_view templ,
                                      const qg::FontSetting& font) const = 0;

 private:
  struct FontControls {
    QComboBox* family;
    QComboBox* style;
    QComboBox* size;
    ColourList* colour;
  };
  QWidget* makeTitlePage(int which, const char* label, QLineEdit*& edit, QListWidget*& list);
  QWidget* makeAltPage();
  void appendToken(QListWidget* list, QLineEdit* edit);

  QTabWidget* tabs_;
  QLineEdit* edits_[3] = {};
  QListWidget* lists_[3] = {};
  FontControls fonts_[2] = {};
  PreviewBrowser* browsers_[2] = {};
  std::string previewHtml_[2];
};

// The token lists' items and the text each appends; an unknown item appends nothing.
std::string TokenTextFor(std::string_view item);

}  // namespace qg::app
