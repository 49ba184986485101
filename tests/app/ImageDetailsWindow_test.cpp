// The image details window: the camera data labels from an Exif JPEG, the note and "..." for a
// picture without Exif, no window for a file that cannot be read, the picture decoded after the
// labels are filled, the one-shot fit and the click on the picture.
#include "dialogs/ImageDetailsWindow.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <map>

#include "AppFixture.h"
#include "ViewsTestSupport.h"
#include "codecs/Decode.h"
#include "core/Error.h"
#include "support/ErrorDisplay.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDir.h"

namespace qg::app {
namespace {

const char* const kValueLabels[] = {"lblCameraMake", "lblModel",        "lblImageDate",
                                    "lblImageTime",  "lblImageName",    "lblImageSize",
                                    "lblAperture",   "lblShutterSpeed", "lblFlash"};

std::map<std::string, QString> Labels(QDialog& dialog) {
  std::map<std::string, QString> values;
  for (const char* name : kValueLabels) values[name] = dialog.findChild<QLabel*>(name)->text();
  return values;
}

class ImageDetails : public ::testing::Test {
 protected:
  void SetUp() override { test::EnsureApp(); }

  std::string ExifPicture(const std::string& name, const std::string& make = "ACME") {
    const std::string path = temp_.file(name);
    test::WriteJpeg(path, 320, 240);
    EXPECT_TRUE(test::AddExif(
        path, {"set Exif.Image.Make " + make, "set Exif.Image.Model ACME Z1",
               "set Exif.Photo.ExposureTime 1/125", "set Exif.Photo.FNumber 28/10",
               "set Exif.Photo.Flash 25", "set Exif.Photo.DateTimeOriginal 2004:08:15 14:03:22",
               "set Exif.Photo.PixelXDimension 1600", "set Exif.Photo.PixelYDimension 1200"}));
    return path;
  }

  qg::test::TempDir temp_;
  ScriptedPrompts prompts_;
};

TEST_F(ImageDetails, ExifPictureFillsEveryLabelBeforeThePictureIsDecoded) {
  if (!test::HaveExiv2()) GTEST_SKIP() << "needs exiv2 (scripts/deps.sh test)";
  const std::string path = ExifPicture("holiday.jpg");
  std::map<std::string, QString> shown;
  bool pictureAtOpening = true;
  bool pictureLater = false;
  prompts_.dialogScript = [&](QDialog& dialog) {
    auto& window = dynamic_cast<ImageDetailsWindow&>(dialog);
    shown = Labels(dialog);
    pictureAtOpening = window.hasPicture();
    pictureLater = test::WaitFor([&] { return window.hasPicture(); });
    return int(QDialog::Accepted);
  };
  EXPECT_TRUE(ShowImageDetails(nullptr, prompts_, path));
  EXPECT_EQ(prompts_.texts("runDialog"), QStringList{"fmImageDetails"});
  EXPECT_TRUE(prompts_.texts("inform").isEmpty());
  EXPECT_FALSE(pictureAtOpening);  // the labels come first
  EXPECT_TRUE(pictureLater);
  const std::map<std::string, QString> expected = {{"lblCameraMake", "ACME"},
                                                   {"lblModel", "ACME Z1"},
                                                   {"lblImageDate", "15 August 2004"},
                                                   {"lblImageTime", "14:03:22"},
                                                   {"lblImageName", "holiday.jpg"},
                                                   {"lblImageSize", "1600 x 1200"},
                                                   {"lblAperture", "F2.8"},
                                                   {"lblShutterSpeed", "1/125 sec"},
                                                   {"lblFlash", "On, auto mode"}};
  EXPECT_EQ(shown, expected);
}

TEST_F(ImageDetails, TextFromThePictureIsShownAsPlainText) {
  if (!test::HaveExiv2()) GTEST_SKIP() << "needs exiv2 (scripts/deps.sh test)";
  const std::string path = ExifPicture("markup.jpg", "<b>Big</b>");
  QString make;
  Qt::TextFormat format = Qt::AutoText;
  prompts_.dialogScript = [&](QDialog& dialog) {
    auto* label = dialog.findChild<QLabel*>("lblCameraMake");
    make = label->text();
    format = label->textFormat();
    return int(QDialog::Accepted);
  };
  ShowImageDetails(nullptr, prompts_, path);
  EXPECT_EQ(make, "<b>Big</b>");
  EXPECT_EQ(format, Qt::PlainText);
}

TEST_F(ImageDetails, PictureWithoutExifShowsTheNoteAndDots) {
  const std::string path = temp_.file("plain.jpg");
  test::WriteJpeg(path, 64, 48);
  std::map<std::string, QString> shown;
  QStringList callsBeforeOpening;
  prompts_.dialogScript = [&](QDialog& dialog) {
    shown = Labels(dialog);
    return int(QDialog::Accepted);
  };
  EXPECT_TRUE(ShowImageDetails(nullptr, prompts_, path));
  // The note comes first, then the window opens.
  ASSERT_EQ(prompts_.calls.size(), 2u);
  EXPECT_EQ(prompts_.calls[0].kind, "inform");
  EXPECT_EQ(prompts_.calls[0].text,
            "There is no additional image data stored within the selected image.");
  EXPECT_EQ(prompts_.calls[1].kind, "runDialog");
  for (const auto& [name, text] : shown) EXPECT_EQ(text, "...") << name;
}

TEST_F(ImageDetails, PictureThatCannotBeReadShowsTheErrorAndNoWindow) {
  struct Case {
    const char* name;
    std::string bytes;  // empty: no file at all
  };
  for (const Case& c : {Case{"missing.jpg", ""}, Case{"damaged.jpg", "\xFF\xD8\xFF\xE0nonsense"},
                        Case{"broken.png", "\x89PNG\r\n\x1a\nbroken"}}) {
    ScriptedPrompts prompts;
    const std::string path = temp_.file(c.name);
    if (!c.bytes.empty()) qg::test::WriteFile(path, c.bytes);
    QString expected;
    try {
      qg::LoadSourcePicture(path);
    } catch (const qg::Error& e) {
      expected = WithFullStop(QString::fromLocal8Bit(e.what()));
    }
    ASSERT_FALSE(expected.isEmpty()) << c.name;
    EXPECT_FALSE(ShowImageDetails(nullptr, prompts, path)) << c.name;
    EXPECT_EQ(prompts.texts("showError"), QStringList{expected}) << c.name;
    EXPECT_TRUE(prompts.texts("runDialog").isEmpty()) << c.name;
    EXPECT_TRUE(prompts.texts("inform").isEmpty()) << c.name;
  }
}

TEST_F(ImageDetails, LayoutTextsAndTheOneShotFitToTheBox) {
  const std::string path = temp_.file("wide.jpg");
  test::WriteJpeg(path, 400, 100);
  ImageDetailsWindow window(prompts_, path, {});
  EXPECT_EQ(window.windowTitle(), "Quillon Gallery Image Details View");
  EXPECT_EQ(window.findChild<QLabel*>("lblNote")->text(),
            "In addition to taking the picture, digital cameras also record detailed information "
            "regarding exposure, image size, image date and other values.  This information can "
            "be viewed in the list below.");
  EXPECT_EQ(window.findChild<QLabel*>("lblClickImage")->text(), "Click image to view full size");
  auto* box = window.findChild<QLabel*>("imgPreview");
  EXPECT_EQ(box->toolTip(), "Click to view full size image");
  EXPECT_EQ(window.findChild<QPushButton*>("btnClose")->text(), "&Close");
  for (const char* heading : {"lblGeneral", "lblImage", "lblExposure"})
    EXPECT_TRUE(window.findChild<QLabel*>(heading)->font().bold()) << heading;
  EXPECT_EQ(window.findChild<QLabel*>("lblFlashCaption")->text(), "Flash:");

  auto* timer = window.findChild<QTimer*>("tmrFit");
  ASSERT_NE(timer, nullptr);
  EXPECT_TRUE(timer->isSingleShot());
  EXPECT_EQ(timer->interval(), 1000);
  EXPECT_FALSE(timer->isActive());

  window.loadPicture();
  window.show();
  EXPECT_TRUE(timer->isActive());
  ASSERT_TRUE(test::WaitFor([&] { return window.hasPicture(); }));
  EXPECT_EQ(window.picture()->width, 400);  // not yet fitted
  ASSERT_TRUE(test::WaitFor([&] { return window.fitted(); }));
  const QSize inside = box->contentsRect().size();
  EXPECT_EQ(window.picture()->width, inside.width());  // the aspect is not kept
  EXPECT_EQ(window.picture()->height, inside.height());
  EXPECT_FALSE(timer->isActive());
  window.hide();
  window.show();  // showing again does not fit again
  EXPECT_FALSE(timer->isActive());
}

TEST_F(ImageDetails, FitWaitsForAPictureStillBeingDecoded) {
  ImageDetailsWindow window(prompts_, "unused.jpg", {});
  window.show();
  ASSERT_TRUE(test::WaitFor([&] { return !window.findChild<QTimer*>("tmrFit")->isActive(); }));
  EXPECT_FALSE(window.fitted());
  window.setPicture(test::BandPicture(30, 20));
  ASSERT_TRUE(test::WaitFor([&] { return window.fitted(); }));
  EXPECT_EQ(window.picture()->width,
            window.findChild<QLabel*>("imgPreview")->contentsRect().width());
}

TEST_F(ImageDetails, LongValuesWidenTheWindowInsteadOfBeingCut) {
  ImageDetailsWindow window(prompts_, "unused.jpg", {});
  window.show();
  qg::CameraDataLabels labels;
  labels.lblCameraMake = "NIKON CORPORATION NIKON CORPORATION";
  labels.lblModel = "A camera model name of forty characters!";
  labels.lblImageName = "a very long file name of a picture taken on holiday in 2004.jpg";
  window.ShowCameraData(labels);
  test::WaitFor([&] { return false; }, 100);
  for (QLabel* label : window.findChildren<QLabel*>()) {
    if (!label->isVisible() || label->wordWrap() || !label->pixmap().isNull()) continue;
    EXPECT_GE(label->width(), label->sizeHint().width()) << label->objectName().toStdString();
  }
  EXPECT_EQ(window.findChild<QLabel*>("lblImageName")->text(),
            "a very long file name of a picture taken on holiday in 2004.jpg");
}

TEST_F(ImageDetails, ClickOnThePictureOpensThePreviewOfThatPicture) {
  const std::string path = temp_.file("click.jpg");
  test::WriteJpeg(path, 40, 30);
  std::vector<std::pair<QWidget*, std::string>> opened;
  ImageDetailsWindow window(
      prompts_, path, [&](QWidget* owner, const std::string& p) { opened.emplace_back(owner, p); });
  auto* box = window.findChild<QLabel*>("imgPreview");
  QMetaObject::invokeMethod(box, "clicked");
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].first, &window);
  EXPECT_EQ(opened[0].second, path);

  // A preview that fails shows its error; the details window stays.
  ImageDetailsWindow failing(prompts_, path, [](QWidget*, const std::string&) {
    throw qg::Error("Cannot open the preview");
  });
  QMetaObject::invokeMethod(failing.findChild<QLabel*>("imgPreview"), "clicked");
  EXPECT_EQ(prompts_.texts("showError"), QStringList{"Cannot open the preview."});
}

}  // namespace
}  // namespace qg::app
