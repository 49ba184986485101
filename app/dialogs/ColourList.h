// A drop-down list of the sixteen standard colours by name, optionally ending in a "Custom..."
// entry that asks the colour chooser. A colour outside the list (read from a project file, or
// chosen) is shown as an extra entry and given back unchanged.
#pragma once

#include <QComboBox>

#include "project/Project.h"

namespace qg::app {

class Prompts;

class ColourList : public QComboBox {
  Q_OBJECT

 public:
  // With `prompts`, the list ends in "Custom..." which opens the colour chooser through it.
  explicit ColourList(QWidget* parent = nullptr, Prompts* prompts = nullptr);

  qg::Colour colour() const;
  void setColour(qg::Colour colour);

  // The names and values of the standard colours, in list order.
  struct Standard {
    const char* name;
    qg::Colour value;
  };
  static const Standard kStandard[16];

 signals:
  // The selected colour changed, by the user or by setColour.
  void colourChanged(qg::Colour colour);

 private:
  void onIndexChanged(int index);
  int customIndex() const;
  int addExtra(qg::Colour colour);

  Prompts* prompts_;
  int lastIndex_ = 0;
};

}  // namespace qg::app
