// The JPEG quality dialog and the drop-shadow dialog: working copies per tab, Default, values
// outside the controls' ranges, OK and Cancel, and the live shadow sample.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabBar>

#include "AppFixture.h"
#include "DialogTestSupport.h"
#include "dialogs/ColourList.h"
#include "dialogs/QualityDialog.h"
#include "dialogs/SamplePicture.h"
#include "dialogs/ShadowDialog.h"
#include "gallery/SideStyle.h"
#include "imaging/Pipeline.h"
#include "imaging/Resample.h"
#include "imaging/Shadow.h"
#include "support/ScriptedPrompts.h"
#include "support/Text.h"

namespace qg::app {
namespace {

using test::Control;

class QualityShadowTest : public ::testing::Test {
 protected:
  void SetUp() override { test::EnsureApp(); }
  bool runQuality(qg::Side tab, const std::function<void(QDialog&)>& act, const char* button) {
    prompts.dialogScript = [&](QDialog& d) {
      act(d);
      Control<QPushButton>(d, button)->click();
      return d.result();
    };
    return RunQualityDialog(nullptr, prompts, options, tab);
  }
  bool runShadow(qg::Side tab, const std::function<void(QDialog&)>& act, const char* button) {
    prompts.dialogScript = [&](QDialog& d) {
      act(d);
      Control<QPushButton>(d, button)->click();
      return d.result();
    };
    return RunShadowDialog(nullptr, prompts, options, tab);
  }
  qg::GalleryOptions options;
  ScriptedPrompts prompts;
};

struct QualityView {
  int spin, slider;
  bool progressive;
};
QualityView ViewOf(QDialog& d) {
  return {Control<QSpinBox>(d, "spinQuality")->value(),
          Control<QSlider>(d, "trackQuality")->value(),
          Control<QCheckBox>(d, "chkProgressive")->isChecked()};
}

TEST_F(QualityShadowTest, QualityDialogOpensOnTheRequestedTabWithItsValues) {
  options.iQualityThumb = 95;
  options.iQualityImage = 70;
  options.blProgressiveImage = true;
  QualityDialog thumb(nullptr, options, qg::Side::Thumb);
  EXPECT_EQ(thumb.windowTitle(), "Quillon Gallery Image Quality");
  EXPECT_EQ(Control<QTabBar>(thumb, "TabControl1")->currentIndex(), 0);
  QualityView v = ViewOf(thumb);
  EXPECT_EQ(v.spin, 95);
  EXPECT_EQ(v.slider, 95);
  EXPECT_FALSE(v.progressive);
  QualityDialog image(nullptr, options, qg::Side::Image);
  EXPECT_EQ(Control<QTabBar>(image, "TabControl1")->currentIndex(), 1);
  v = ViewOf(image);
  EXPECT_EQ(v.spin, 70);
  EXPECT_EQ(v.slider, 70);
  EXPECT_TRUE(v.progressive);
  auto* slider = Control<QSlider>(image, "trackQuality");
  EXPECT_EQ(slider->minimum(), 0);
  EXPECT_EQ(slider->maximum(), 100);
  EXPECT_EQ(slider->tickInterval(), 5);
  EXPECT_EQ(slider->pageStep(), 1);
}

TEST_F(QualityShadowTest, QualityControlsFollowEachOtherWithinTheSlidersRange) {
  options.iQualityThumb = 100;
  EXPECT_TRUE(runQuality(
      qg::Side::Thumb,
      [](QDialog& d) {
        auto* spin = Control<QSpinBox>(d, "spinQuality");
        spin->stepUp();  // at 100: stays at 100
        EXPECT_EQ(spin->value(), 100);
        EXPECT_EQ(Control<QSlider>(d, "trackQuality")->value(), 100);
        Control<QSlider>(d, "trackQuality")->setValue(42);
        EXPECT_EQ(spin->value(), 42);
        spin->stepDown();
        EXPECT_EQ(Control<QSlider>(d, "trackQuality")->value(), 41);
      },
      "btnOK"));
  EXPECT_EQ(options.iQualityThumb, 41);
  EXPECT_EQ(options.iQualityImage, 80);
}

TEST_F(QualityShadowTest, UntouchedQualitiesOutsideTheRangeAreWrittenBackAsTheyCame) {
  options.iQualityThumb = 150;
  options.iQualityImage = -5;
  EXPECT_TRUE(runQuality(
      qg::Side::Thumb,
      [](QDialog& d) {
        const QualityView v = ViewOf(d);
        EXPECT_EQ(v.spin, 150);
        EXPECT_EQ(v.slider, 100);
      },
      "btnOK"));
  EXPECT_EQ(options.iQualityThumb, 150);
  EXPECT_EQ(options.iQualityImage, -5);

  // Leaving a tab takes the slider's position for it.
  EXPECT_TRUE(runQuality(
      qg::Side::Thumb, [](QDialog& d) { Control<QTabBar>(d, "TabControl1")->setCurrentIndex(1); },
      "btnOK"));
  EXPECT_EQ(options.iQualityThumb, 100);
  EXPECT_EQ(options.iQualityImage, -5);
}

TEST_F(QualityShadowTest, QualityTabsKeepTheirEditsAndDefaultRestoresOnlyTheVisibleOne) {
  options.iQualityThumb = 90;
  options.iQualityImage = 60;
  const qg::GalleryOptions before = options;
  auto edit = [](QDialog& d) {
    auto* tabs = Control<QTabBar>(d, "TabControl1");
    Control<QSlider>(d, "trackQuality")->setValue(30);
    Control<QCheckBox>(d, "chkProgressive")->click();
    tabs->setCurrentIndex(1);
    EXPECT_EQ(ViewOf(d).spin, 60);
    EXPECT_FALSE(ViewOf(d).progressive);
    Control<QSlider>(d, "trackQuality")->setValue(20);
    tabs->setCurrentIndex(0);
    EXPECT_EQ(ViewOf(d).spin, 30);
    EXPECT_TRUE(ViewOf(d).progressive);
    tabs->setCurrentIndex(1);
    Control<QPushButton>(d, "btnDefault")->click();
    EXPECT_EQ(ViewOf(d).spin, 60);
  };
  EXPECT_FALSE(runQuality(qg::Side::Thumb, edit, "btnCancel"));
  EXPECT_EQ(options, before);
  EXPECT_TRUE(runQuality(qg::Side::Thumb, edit, "btnOK"));
  EXPECT_EQ(options.iQualityThumb, 30);
  EXPECT_TRUE(options.blProgressiveThumb);
  EXPECT_EQ(options.iQualityImage, 60);
  EXPECT_FALSE(options.blProgressiveImage);
}

TEST_F(QualityShadowTest, AProgressiveThumbnailSettingGivesAProgressiveThumbnail) {
  EXPECT_TRUE(runQuality(
      qg::Side::Thumb, [](QDialog& d) { Control<QCheckBox>(d, "chkProgressive")->click(); },
      "btnOK"));
  EXPECT_TRUE(options.blProgressiveThumb);
  EXPECT_FALSE(options.blProgressiveImage);
  QTemporaryDir dir;
  const std::string path = FromQ(dir.filePath("tn_sample.jpg"));
  qg::SaveResampledSide(qg::StretchPicture(ShadowSamplePicture(), 60, 45), path,
                        qg::SideStyle(options, qg::Side::Thumb), qg::Side::Thumb);
  QFile file(ToQ(path));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  EXPECT_TRUE(bytes.contains(QByteArray("\xFF\xC2", 2)));   // progressive frame
  EXPECT_FALSE(bytes.contains(QByteArray("\xFF\xC0", 2)));  // no baseline frame
}

struct ShadowView {
  qg::Colour colour;
  int offH, offV, blur;
  bool operator==(const ShadowView&) const = default;
};
ShadowView ShadowOf(QDialog& d) {
  return {Control<ColourList>(d, "spinShadowColor")->colour(),
          Control<QSpinBox>(d, "spinOffH")->value(), Control<QSpinBox>(d, "spinOffV")->value(),
          Control<QSpinBox>(d, "spinBlur")->value()};
}

TEST_F(QualityShadowTest, ShadowOkFromTheImagesPageLeavesTheThumbnailValuesExactly) {
  options.iShadowOffHThumb = 30;  // out of range, never shown
  options.iShadowBlurThumb = -3;
  options.iShadowColorThumb = 0x123456;
  options.iShadowOffVImage = -25;  // shown as -20
  EXPECT_TRUE(runShadow(
      qg::Side::Image,
      [](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Quillon Gallery Shadow Settings");
        EXPECT_EQ(Control<QTabBar>(d, "TabControl1")->currentIndex(), 1);
        EXPECT_EQ(ShadowOf(d), (ShadowView{0, 4, -20, 4}));
      },
      "btnOK"));
  EXPECT_EQ(options.iShadowOffHThumb, 30);
  EXPECT_EQ(options.iShadowBlurThumb, -3);
  EXPECT_EQ(options.iShadowColorThumb, 0x123456);
  EXPECT_EQ(options.iShadowOffVImage, -20);
}

TEST_F(QualityShadowTest, AnOffsetOutsideTheRangeIsShownAndStoredInRange) {
  options.iShadowOffHThumb = 30;
  options.iShadowColorThumb = 0x123456;  // outside the list: an extra entry, kept as it is
  EXPECT_TRUE(runShadow(
      qg::Side::Thumb, [](QDialog& d) { EXPECT_EQ(ShadowOf(d).offH, 20); }, "btnOK"));
  EXPECT_EQ(options.iShadowOffHThumb, 20);
  EXPECT_EQ(options.iShadowColorThumb, 0x123456);
}

TEST_F(QualityShadowTest, ShadowTabsKeepEditsDefaultRestoresOneTabAndCancelDiscards) {
  options.iShadowBlurThumb = 6;
  options.iShadowOffHImage = -2;
  const qg::GalleryOptions before = options;
  auto edit = [](QDialog& d) {
    auto* tabs = Control<QTabBar>(d, "TabControl1");
    Control<QSpinBox>(d, "spinBlur")->setValue(9);
    tabs->setCurrentIndex(1);
    EXPECT_EQ(Control<QLabel>(d, "lblInfo")->text(),
              "Choose your dropshadow settings by modifying the list of parameters detailed "
              "below.  These settings will be applied to your main images.");
    EXPECT_EQ(ShadowOf(d).offH, -2);
    Control<QSpinBox>(d, "spinOffH")->setValue(7);
    Control<QSpinBox>(d, "spinOffV")->setValue(-7);
    Control<QPushButton>(d, "btnDefault")->click();  // back to -2 and 4, blur edit kept
    EXPECT_EQ(ShadowOf(d), (ShadowView{0, -2, 4, 4}));
    tabs->setCurrentIndex(0);
    EXPECT_EQ(Control<QLabel>(d, "lblInfo")->text(),
              "Choose your dropshadow settings by modifying the list of parameters detailed "
              "below.  These settings will be applied to your thumb images.");
    EXPECT_EQ(ShadowOf(d).blur, 9);
  };
  EXPECT_FALSE(runShadow(qg::Side::Thumb, edit, "btnCancel"));
  EXPECT_EQ(options, before);
  EXPECT_TRUE(runShadow(qg::Side::Thumb, edit, "btnOK"));
  qg::GalleryOptions expected = before;
  expected.iShadowBlurThumb = 9;
  EXPECT_EQ(options, expected);
}

TEST_F(QualityShadowTest, TheSampleIsTheGallerysCompositionRedrawnOnEveryChange) {
  options.iShadowColorImage = 0x0000FF;  // red
  ShadowDialog d(nullptr, prompts, options, qg::Side::Thumb);
  auto expectSample = [&](qg::Colour colour, int h, int v, int blur) {
    const QImage expected = PictureToImage(qg::ComposeDropShadow(
        ShadowSamplePicture(), qg::kSampleShadowMargin, qg::kWhite, colour, h, v, blur));
    EXPECT_EQ(d.sample().size(), QSize(175, 141));
    EXPECT_TRUE(d.sample() == expected);
  };
  expectSample(0, 4, 4, 4);
  int drawings = d.sampleDrawings();

  Control<QSpinBox>(d, "spinOffH")->setValue(-6);
  EXPECT_EQ(d.sampleDrawings(), ++drawings);
  expectSample(0, -6, 4, 4);
  Control<QSpinBox>(d, "spinBlur")->setValue(0);
  Control<QSpinBox>(d, "spinOffV")->setValue(12);
  EXPECT_EQ(d.sampleDrawings(), drawings += 2);
  expectSample(0, -6, 12, 0);
  Control<ColourList>(d, "spinShadowColor")->setCurrentIndex(4);  // Navy
  expectSample(0x800000, -6, 12, 0);

  // Switching tabs redraws with the other tab's values, here differing in colour and offsets.
  Control<QTabBar>(d, "TabControl1")->setCurrentIndex(1);
  expectSample(0x0000FF, 4, 4, 4);
  Control<QTabBar>(d, "TabControl1")->setCurrentIndex(0);
  expectSample(0x800000, -6, 12, 0);
}

TEST_F(QualityShadowTest, ACustomShadowColourComesFromTheChooser) {
  prompts.colours.push_back(QColor(0x12, 0x34, 0x56));
  prompts.colours.push_back(QColor());  // cancelled
  EXPECT_TRUE(runShadow(
      qg::Side::Thumb,
      [](QDialog& d) {
        auto* colours = Control<ColourList>(d, "spinShadowColor");
        const int custom = colours->findText("Custom...");
        ASSERT_GE(custom, 0);
        colours->setCurrentIndex(custom);
        EXPECT_EQ(colours->colour(), 0x563412);
        colours->setCurrentIndex(colours->findText("Custom..."));
        EXPECT_EQ(colours->colour(), 0x563412);  // cancelled: the previous colour stays
      },
      "btnOK"));
  EXPECT_EQ(options.iShadowColorThumb, 0x563412);
  EXPECT_EQ(prompts.texts("chooseColour").size(), 2);
}

}  // namespace
}  // namespace qg::app
