// What the six Gallery Options sub-pages share: each shows some options of the open project,
// writes a control's value into the project as soon as the user changes it, and is refreshed
// from the project after New, Open and a dialog's OK. Enabled states are derived from the project
// in one place, updateEnabled().
#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "project/Project.h"
#include "support/ColourBox.h"

namespace qg::app {

class Prompts;

class OptionSubPage : public QWidget {
  Q_OBJECT

 public:
  OptionSubPage(qg::Project& project, Prompts& prompts, QWidget* parent = nullptr);

  // Shows the project's values.
  void refresh();

 signals:
  // The user changed an option.
  void edited();

 protected:
  qg::GalleryOptions& options() { return project_.options; }
  virtual void updateEnabled() {}

  // The control shows the member and writes it back when the user changes it.
  void bind(QCheckBox* box, bool qg::GalleryOptions::*member);
  void bind(QLineEdit* edit, std::string qg::GalleryOptions::*member);
  void bind(QSpinBox* spin, int32_t qg::GalleryOptions::*member);
  void bind(ColourBox* box, qg::Colour qg::GalleryOptions::*member);
  // A check box whose change runs its own reaction (which may change other values); the page is
  // refreshed afterwards.
  void bindReacting(QCheckBox* box, std::function<bool(const qg::GalleryOptions&)> get,
                    std::function<void(qg::GalleryOptions&, bool)> set);
  // Runs a user edit: writes, refreshes the enabled states, tells the window.
  void userEdit(const std::function<void()>& write);
  // Adds something to do in refresh().
  void onRefresh(std::function<void()> show) { refreshers_.push_back(std::move(show)); }

  ColourBox* makeColourBox(const char* name, const QString& accessible);

  qg::Project& project_;
  Prompts& prompts_;
  bool loading_ = false;

 private:
  std::vector<std::function<void()>> refreshers_;
};

}  // namespace qg::app
