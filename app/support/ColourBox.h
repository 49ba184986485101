// A colour list box: the sixteen standard colours with a swatch and a name, and "Custom..." that
// opens the colour chooser. A colour outside the list (from a project file, or chosen) appears as
// one extra entry named by its hexadecimal value and is returned unchanged.
#pragma once

#include <QComboBox>

#include "project/Project.h"

namespace qg::app {

class Prompts;

class ColourBox : public QComboBox {
  Q_OBJECT

 public:
  ColourBox(Prompts& prompts, QWidget* parent = nullptr);

  qg::Colour colour() const { return colour_; }
  // Shows `colour` (adding the extra entry when it is not in the list); emits nothing.
  void setColour(qg::Colour colour);

 signals:
  // The user picked another colour.
  void colourChanged(qg::Colour colour);

 private:
  void onActivated(int index);
  int indexOf(qg::Colour colour) const;
  int customIndex() const { return count() - 1; }

  Prompts& prompts_;
  qg::Colour colour_ = 0;
  int extraIndex_ = -1;  // the extra entry, when there is one
};

}  // namespace qg::app
