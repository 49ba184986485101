// Deleting, moving, sorting and clearing picture records: which records remain in which order,
// which one is selected afterwards, and that a moved record loses its preview rotation.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "project/PictureList.h"

namespace qg {
namespace {

Project WithNames(const std::vector<std::string>& names) {
  Project project;
  for (const std::string& n : names) {
    PictureRecord r;
    r.FileName = n;
    r.ShortTitle = n;
    r.RotateValue = "1";
    project.pictures.push_back(r);
  }
  return project;
}

std::vector<std::string> Names(const Project& project) {
  std::vector<std::string> out;
  for (const PictureRecord& r : project.pictures) out.push_back(r.FileName);
  return out;
}

enum class Op { Delete, Up, Down, Clear };

struct EditCase {
  const char* name;
  std::vector<std::string> before;
  Op op;
  int selected;
  std::vector<std::string> after;
  int selectedAfter;
};

class ListEdit : public ::testing::TestWithParam<EditCase> {};

TEST_P(ListEdit, LeavesRecordsAndSelection) {
  const EditCase& c = GetParam();
  Project project = WithNames(c.before);
  int selection = c.selected;
  switch (c.op) {
    case Op::Delete:
      selection = DeletePicture(project, c.selected);
      break;
    case Op::Up:
      selection = MovePictureUp(project, c.selected);
      break;
    case Op::Down:
      selection = MovePictureDown(project, c.selected);
      break;
    case Op::Clear:
      ClearPictures(project);
      selection = kNoSelection;
      break;
  }
  EXPECT_EQ(Names(project), c.after);
  EXPECT_EQ(selection, c.selectedAfter);
}

const std::vector<std::string> kFive = {"a", "b", "c", "d", "e"};

INSTANTIATE_TEST_SUITE_P(
    PictureList, ListEdit,
    ::testing::Values(
        EditCase{"DeleteMiddleSelectsTheNext", kFive, Op::Delete, 2, {"a", "b", "d", "e"}, 2},
        EditCase{
            "DeleteLastOfFiveSelectsTheNewLast", kFive, Op::Delete, 4, {"a", "b", "c", "d"}, 3},
        EditCase{"DeleteFirst", kFive, Op::Delete, 0, {"b", "c", "d", "e"}, 0},
        EditCase{"DeleteTheOnlyRecordLeavesNoSelection", {"a"}, Op::Delete, 0, {}, kNoSelection},
        EditCase{"DeleteWithoutSelectionDoesNothing", kFive, Op::Delete, kNoSelection, kFive,
                 kNoSelection},
        EditCase{"DeleteOnEmptyListDoesNothing", {}, Op::Delete, kNoSelection, {}, kNoSelection},
        EditCase{"DeleteOutOfRangeDoesNothing", kFive, Op::Delete, 5, kFive, 5},
        EditCase{"UpMovesAndKeepsSelection", kFive, Op::Up, 3, {"a", "b", "d", "c", "e"}, 2},
        EditCase{"UpOnFirstDoesNothing", kFive, Op::Up, 0, kFive, 0},
        EditCase{"UpWithoutSelectionDoesNothing", kFive, Op::Up, kNoSelection, kFive, kNoSelection},
        EditCase{"DownMovesAndKeepsSelection", kFive, Op::Down, 0, {"b", "a", "c", "d", "e"}, 1},
        EditCase{"DownOnLastDoesNothing", kFive, Op::Down, 4, kFive, 4},
        EditCase{"DownOnEmptyListDoesNothing", {}, Op::Down, kNoSelection, {}, kNoSelection},
        EditCase{"ClearRemovesAll", kFive, Op::Clear, 2, {}, kNoSelection}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(PictureListMove, MovedRecordLosesOnlyItsRotation) {
  Project project = WithNames({"a", "b"});
  project.pictures[1].LongTitle = "long";
  EXPECT_EQ(MovePictureUp(project, 1), 0);
  EXPECT_EQ(project.pictures[0].FileName, "b");
  EXPECT_EQ(project.pictures[0].LongTitle, "long");
  EXPECT_EQ(project.pictures[0].RotateValue, "");
  EXPECT_EQ(project.pictures[1].RotateValue, "1");  // the record passed over keeps its rotation
}

struct SortCase {
  const char* name;
  SortColumn column;
  bool descending;
  std::vector<std::string> keys;  // the sorted column's texts
  std::vector<std::string> sorted;
};

class ListSort : public ::testing::TestWithParam<SortCase> {};

TEST_P(ListSort, OrdersByTheColumnText) {
  const SortCase& c = GetParam();
  Project project;
  for (size_t i = 0; i < c.keys.size(); ++i) {
    PictureRecord r;
    r.FileName = r.ImageSize = r.FileSize = c.keys[i];
    project.pictures.push_back(r);
  }
  SortPictures(project, c.column, c.descending, kNoSelection);
  EXPECT_EQ(Names(project), c.sorted);
}

INSTANTIATE_TEST_SUITE_P(PictureList, ListSort,
                         ::testing::Values(SortCase{"ZToA",
                                                    SortColumn::FileName,
                                                    true,
                                                    {"b.jpg", "A.jpg", "c.jpg"},
                                                    {"c.jpg", "b.jpg", "A.jpg"}},
                                           SortCase{"AToZFoldsOnlyLetters",
                                                    SortColumn::FileName,
                                                    false,
                                                    {"_x", "b", "A"},
                                                    {"A", "b", "_x"}},
                                           SortCase{"ShorterPrefixFirst",
                                                    SortColumn::FileName,
                                                    false,
                                                    {"ab", "a", "abc"},
                                                    {"a", "ab", "abc"}},
                                           SortCase{"ImageSizeAsText",
                                                    SortColumn::ImageSize,
                                                    false,
                                                    {"800 x 600", "1024 x 768"},
                                                    {"1024 x 768", "800 x 600"}},
                                           SortCase{"FileSizeAsText",
                                                    SortColumn::FileSize,
                                                    false,
                                                    {"120 KB", "900 KB", "1 MB"},
                                                    {"1 MB", "120 KB", "900 KB"}},
                                           SortCase{"SizeColumnsIgnoreDirection",
                                                    SortColumn::FileSize,
                                                    true,
                                                    {"2 KB", "1 KB"},
                                                    {"1 KB", "2 KB"}}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(PictureListSort, IsStableAndTheSelectionFollowsItsRecord) {
  Project project;
  for (const char* title : {"first", "second", "third"}) {
    PictureRecord r;
    r.FileName = std::string(title) == "second" ? "a.jpg" : "B.jpg";
    r.ShortTitle = title;
    project.pictures.push_back(r);
  }
  // Selected: "third" at 2. Equal names keep their order.
  const int selection = SortPictures(project, SortColumn::FileName, false, 2);
  ASSERT_EQ(project.pictures.size(), 3u);
  EXPECT_EQ(project.pictures[0].ShortTitle, "second");
  EXPECT_EQ(project.pictures[1].ShortTitle, "first");
  EXPECT_EQ(project.pictures[2].ShortTitle, "third");
  EXPECT_EQ(selection, 2);
  EXPECT_EQ(SortPictures(project, SortColumn::FileName, true, 0), 2);
  EXPECT_EQ(project.pictures[2].ShortTitle, "second");
  EXPECT_EQ(project.pictures[0].ShortTitle, "first");
}

}  // namespace
}  // namespace qg
