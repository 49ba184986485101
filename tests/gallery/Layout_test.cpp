// Output names, sub-folders and the order of the upload list.
#include "gallery/Layout.h"

#include <gtest/gtest.h>

namespace qg {
namespace {

PictureRecord Named(const std::string& fileName) {
  PictureRecord p;
  p.FileName = fileName;
  return p;
}

TEST(OutputNames, BaseNameDropsTheLastFourCharacters) {
  EXPECT_EQ(BaseName(Named("Beach.JPG")), "Beach");
  EXPECT_EQ(BaseName(Named("Beach.jpeg")), "Beach.");  // the rule, not the extension
  EXPECT_EQ(BaseName(Named("a.jpg")), "a");
  EXPECT_EQ(BaseName(Named(".jpg")), "");
  EXPECT_EQ(BaseName(Named("ab")), "");
}

TEST(OutputNames, DefaultsForSunsetJPG) {
  GalleryOptions o;
  const PictureRecord p = Named("Sunset.JPG");
  EXPECT_EQ(PicturePageName(p, o), "sunset.html");
  EXPECT_EQ(ThumbnailFileName(p, o), "tn_sunset.jpg");
  EXPECT_EQ(DisplayImageFileName(p, o), "sunset.jpg");  // the copied source, lower case
  o.blImageResize = true;
  EXPECT_EQ(DisplayImageFileName(p, o), "sunset.jpg");  // base name + ".jpg"
}

TEST(OutputNames, FourLetterExtensionsKeepTheirFullStop) {
  GalleryOptions o;
  const PictureRecord p = Named("Beach.jpeg");
  EXPECT_EQ(PicturePageName(p, o), "beach..html");
  EXPECT_EQ(ThumbnailFileName(p, o), "tn_beach..jpg");
  EXPECT_EQ(DisplayImageFileName(p, o), "beach.jpeg");
  o.blImageResize = true;
  EXPECT_EQ(DisplayImageFileName(p, o), "beach..jpg");
}

TEST(OutputNames, PrefixSuffixAndExtensionAreLoweredWithTheName) {
  GalleryOptions o;
  o.Prefix = "TN-";
  o.Suffix = "_Small";
  o.editImageFilenameExt = ".HTM";
  const PictureRecord p = Named("IMG_0001.JPG");
  EXPECT_EQ(ThumbnailFileName(p, o), "tn-img_0001_small.jpg");
  EXPECT_EQ(PicturePageName(p, o), "img_0001.htm");
}

TEST(OutputNames, OnlyAsciiLettersAreLowered) {
  GalleryOptions o;
  EXPECT_EQ(DisplayImageFileName(Named("ÄBC\xC3\x89.JPG"), o), "Äbc\xC3\x89.jpg");
}

TEST(OutputNames, IndexPagesAreNumberedFromTheSecond) {
  EXPECT_EQ(IndexPageName(1), "index.html");
  EXPECT_EQ(IndexPageName(2), "index1.html");
  EXPECT_EQ(IndexPageName(13), "index12.html");
}

TEST(Subfolders, TargetChoiceMeansNoSubfolder) {
  GalleryOptions o;  // straight into the destination
  o.ThumbFolder = "thumbs";
  EXPECT_EQ(ThumbnailSubfolder(o), "");
  EXPECT_EQ(ThumbnailLink(Named("IMG_0001.JPG"), o), "tn_img_0001.jpg");
}

TEST(Subfolders, TheSeparatorIsAddedOnce) {
  GalleryOptions o;
  o.TargetThumb = false;
  o.ThumbFolder = "thumbs";
  EXPECT_EQ(ThumbnailSubfolder(o), "thumbs/");
  o.ThumbFolder = "thumbs/";
  EXPECT_EQ(ThumbnailSubfolder(o), "thumbs/");
  EXPECT_EQ(ThumbnailLink(Named("IMG_0001.JPG"), o), "thumbs/tn_img_0001.jpg");
  o.ThumbFolder = "";  // the sub-folder choice without a name
  EXPECT_EQ(ThumbnailSubfolder(o), "");
}

TEST(Subfolders, AreLowerCaseLikeTheLinks) {
  GalleryOptions o;
  o.TargetImage = false;
  o.ImageFolder = "Big/Pictures";
  EXPECT_EQ(ImageSubfolder(o), "big/pictures/");
  EXPECT_EQ(DisplayImageLink(Named("DSC01234.JPG"), o), "big/pictures/dsc01234.jpg");
}

TEST(CompareText, FoldsOnlyLowerCaseLettersAndPutsPrefixesFirst) {
  EXPECT_EQ(CompareText("abc", "ABC"), 0);
  EXPECT_LT(CompareText("a.jpg", "B.jpg"), 0);
  EXPECT_LT(CompareText("Z", "_"), 0);  // "_" sorts after every letter
  EXPECT_LT(CompareText("index", "index.html"), 0);
  EXPECT_LT(CompareText("index.html", "index1.html"), 0);
  EXPECT_GT(CompareText("\xC3\xA9", "z"), 0);  // bytes above 127 after ASCII
}

TEST(UploadList, KeepsCaseInsensitiveOrderAndDuplicates) {
  UploadList list;
  for (const char* entry : {"tn_b.jpg", "index.html", "bhome.gif", "B.gif", "bhome.gif", "a_b.html",
                            "ab.html", "thumbs/x.jpg"}) {
    list.Add(entry);
  }
  const std::vector<std::string> expected = {"ab.html",   "a_b.html",   "B.gif",        "bhome.gif",
                                             "bhome.gif", "index.html", "thumbs/x.jpg", "tn_b.jpg"};
  EXPECT_EQ(list.entries(), expected);
}

TEST(UploadList, EqualEntriesStayInTheOrderTheyCame) {
  UploadList list;
  list.Add("b.jpg");
  list.Add("Photo.GIF");
  list.Add("a.jpg");
  list.Add("photo.gif");
  list.Add("PHOTO.gif");
  const std::vector<std::string> expected = {"a.jpg", "b.jpg", "Photo.GIF", "photo.gif",
                                             "PHOTO.gif"};
  EXPECT_EQ(list.entries(), expected);
  list.Add("Photo.gif");  // reading in between does not disturb the order of later entries
  EXPECT_EQ(list.entries().back(), "Photo.gif");
  list.Clear();
  EXPECT_TRUE(list.entries().empty());
}

}  // namespace
}  // namespace qg
