// Binding option controls to the project; see OptionSubPage.h.
#include "pages/OptionSubPage.h"

#include <QSignalBlocker>

#include "pages/Controls.h"
#include "support/ErrorDisplay.h"
#include "support/Text.h"

namespace qg::app {

OptionSubPage::OptionSubPage(qg::Project& project, Prompts& prompts, QWidget* parent)
    : QWidget(parent), project_(project), prompts_(prompts) {}

void OptionSubPage::refresh() {
  loading_ = true;
  for (const auto& show : refreshers_) show();
  updateEnabled();
  loading_ = false;
}

void OptionSubPage::userEdit(const std::function<void()>& write) {
  if (loading_) return;
  Guarded(prompts_, [&] {
    write();
    updateEnabled();
    emit edited();
  });
}

void OptionSubPage::bind(QCheckBox* box, bool qg::GalleryOptions::*member) {
  onRefresh([this, box, member] {
    const QSignalBlocker block(box);
    box->setChecked(options().*member);
  });
  connect(box, &QCheckBox::toggled, this,
          [this, member](bool on) { userEdit([&] { options().*member = on; }); });
}

void OptionSubPage::bind(QLineEdit* edit, std::string qg::GalleryOptions::*member) {
  onRefresh([this, edit, member] {
    const QSignalBlocker block(edit);
    const QString text = ToQ(options().*member);
    if (edit->text() != text) edit->setText(text);
  });
  connect(edit, &QLineEdit::textChanged, this, [this, member](const QString& text) {
    userEdit([&] { options().*member = FromQ(text); });
  });
}

void OptionSubPage::bind(QSpinBox* spin, int32_t qg::GalleryOptions::*member) {
  onRefresh([this, spin, member] {
    const QSignalBlocker block(spin);
    spin->setValue(options().*member);  // clamped to the box's range, as the box shows it
  });
  connect(spin, &QSpinBox::valueChanged, this,
          [this, member](int value) { userEdit([&] { options().*member = value; }); });
}

void OptionSubPage::bind(ColourBox* box, qg::Colour qg::GalleryOptions::*member) {
  onRefresh([this, box, member] { box->setColour(options().*member); });
  connect(box, &ColourBox::colourChanged, this,
          [this, member](qg::Colour c) { userEdit([&] { options().*member = c; }); });
}

void OptionSubPage::bindReacting(QCheckBox* box, std::function<bool(const qg::GalleryOptions&)> get,
                                 std::function<void(qg::GalleryOptions&, bool)> set) {
  onRefresh([this, box, get] {
    const QSignalBlocker block(box);
    box->setChecked(get(options()));
  });
  connect(box, &QCheckBox::toggled, this, [this, set](bool on) {
    if (loading_) return;
    userEdit([&] { set(options(), on); });
    refresh();  // the reaction may have changed another box
  });
}

ColourBox* OptionSubPage::makeColourBox(const char* name, const QString& accessible) {
  return Named(new ColourBox(prompts_), name, accessible);
}

}  // namespace qg::app
