// The hint dialog: up to three paragraphs of advice, an optional action button and the
// "Always show this dialog " check box. The caller sets the texts before showing it; the action
// button closes it with Accepted, "Close" and the close box with Rejected. Used for the first-use
// hint after pictures are added and for the hosting service's notice.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>

#include "project/Preferences.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace qg::app {

class Prompts;

class HintDialog : public QDialog {
  Q_OBJECT

 public:
  explicit HintDialog(QWidget* parent = nullptr);

  // Paragraph texts are shown as plain text; an empty text leaves the paragraph blank.
  void setParagraph1(const QString& text);
  void setParagraph2(const QString& text);
  void setParagraph3(const QString& text);
  // Shows the action button with this caption (it is hidden until then).
  void setAction(const QString& caption);
  // Shows or hides the "Always show this dialog " check box (shown, and checked, at first).
  void setAlwaysShowVisible(bool visible);
  bool alwaysShow() const;

 private:
  QLabel* para_[3];
  QPushButton* btnAction_;
  QCheckBox* chkAlwaysShow_;
};

// What a hint shows.
struct HintTexts {
  QString paragraph1, paragraph2, paragraph3;
  QString actionCaption;      // empty: no action button
  bool showAlwaysBox = true;  // the "Always show this dialog " check box
};

struct HintOutcome {
  bool actionPressed = false;  // the action button closed the dialog
  bool alwaysShow = true;      // the check box's state when it closed
};

// Shows the hint modally; when its action button closed it, calls `action` once, after it has
// closed.
HintOutcome RunHintDialog(QWidget* parent, Prompts& prompts, const HintTexts& texts,
                          const std::function<void()>& action);

// The first-use hint after pictures are added. blHintViewGalleryNow takes the check box's state
// whichever way the dialog closed; "Create and view my gallery now" calls createAndView once.
// Returns true when that button closed it.
bool RunFirstUseHint(QWidget* parent, Prompts& prompts, qg::Preferences& prefs,
                     const std::function<void()>& createAndView);

// The hosting service's notice: its message (plain text, shown as it came) in paragraph 1, no
// check box; "Click here for more info" calls moreInfo once.
void RunServiceNotice(QWidget* parent, Prompts& prompts, const QString& message,
                      const std::function<void()>& moreInfo);

// The first-use hint's texts.
extern const char kFirstUseParagraph1[];
extern const char kFirstUseParagraph2[];
extern const char kFirstUseAction[];
extern const char kServiceNoticeAction[];

}  // namespace qg::app
