#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "convert/converter_handlers.h"
#include "fakes/fake_dialog.h"
#include "fakes/fake_message_boxes.h"

namespace velmora {
namespace {

class FakeConverter final : public convert::ConverterView, public FileSystem {
 public:
  std::wstring preview;
  std::set<std::wstring> files, unreadable;
  std::vector<std::wstring> saved;
  std::wstring saveError;
  std::wstring LoadPreview(const std::wstring& path) override {
    if (unreadable.count(path)) return L"The file is not a picture that Velmora can read.";
    preview = path;
    return L"";
  }
  bool HasPreviewPicture() const override { return !preview.empty(); }
  std::wstring SavePreview(const std::wstring& path) override {
    if (!saveError.empty()) return saveError;
    saved.push_back(path);
    files.insert(path);
    return L"";
  }
  bool IsOrdinaryFile(const std::wstring& path) const override { return files.count(path) > 0; }
  std::vector<std::wstring> chosen;
  std::wstring chooseRefusal;
  std::wstring ChooseBitmap(const std::wstring& path) override {
    if (!chooseRefusal.empty()) return chooseRefusal;
    chosen.push_back(path);
    return L"";
  }
};

class Converter : public ::testing::Test {
 protected:
  fakes::FakeDialog dialog;
  fakes::FakeMessageBoxes boxes;
  FakeConverter view;
  convert::ConverterHandlers handlers{dialog, boxes, view, view};
};

// A cancel or a picture that cannot be read keeps the preview as it was.
TEST_F(Converter, OpenShowsBothFiltersAndLoadsThePictureOrKeepsTheOldOne) {
  dialog.FileName = L"C:\\old.bmp";
  view.unreadable = {L"C:\\broken.jpg"};
  dialog.answers = {L"C:\\p\\photo.jpg", L"", L"C:\\broken.jpg"};
  for (int i = 0; i < 3; ++i) handlers.cmdOpenGIFJPEG_Click();
  ASSERT_EQ(dialog.shown.size(), 3u);
  EXPECT_EQ(dialog.shown[0].presetName, L"");
  EXPECT_EQ(dialog.shown[0].filter,
            L"Graphics Interchange Format (*.gif)|*.gif|JPEG (*.jpg,*.jpeg)|*.jpg;*.jpeg");
  EXPECT_EQ(view.preview, L"C:\\p\\photo.jpg");
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_NE(boxes.shown[0].text.find(L"C:\\broken.jpg"), std::wstring::npos);
}

TEST_F(Converter, SaveAppendsTheExtensionCaseSensitively) {
  view.preview = L"C:\\in.jpg";
  for (const wchar_t* typed : {L"C:\\o\\picture", L"C:\\o\\picture.bmp", L"C:\\o\\picture.jpg", L"C:\\o\\picture.BMP"})
    dialog.answers.push_back(typed);
  for (int i = 0; i < 4; ++i) handlers.cmdSaveAsBitmap_Click();
  EXPECT_EQ(view.saved, (std::vector<std::wstring>{L"C:\\o\\picture.bmp", L"C:\\o\\picture.bmp",
                                                   L"C:\\o\\picture.jpg.bmp", L"C:\\o\\picture.BMP.bmp"}));
  EXPECT_EQ(dialog.shown[0].filter, L"Bitmap (*.bmp)|*.bmp");
  EXPECT_TRUE(dialog.shown[0].save);
  EXPECT_TRUE(dialog.shown[0].overwritePrompt);
}

TEST_F(Converter, AnAppendedNameThatExistsIsReplacedOnlyWhenTheUserSaysSo) {
  view.preview = L"C:\\in.jpg";
  view.files = {L"C:\\o\\picture.bmp"};
  dialog.answers = {L"C:\\o\\picture", L"C:\\o\\picture"};
  boxes.answers = {kAnswerNo, kAnswerYes};
  handlers.cmdSaveAsBitmap_Click();
  EXPECT_TRUE(view.saved.empty());
  handlers.cmdSaveAsBitmap_Click();
  EXPECT_EQ(view.saved, std::vector<std::wstring>{L"C:\\o\\picture.bmp"});
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_NE(boxes.shown[0].text.find(L"C:\\o\\picture.bmp"), std::wstring::npos);
}

TEST_F(Converter, SaveBeforeAnyOpenOrCancelledWritesNothing) {
  dialog.FileName = L"C:\\chosen.bmp";
  handlers.cmdSaveAsBitmap_Click();
  EXPECT_TRUE(dialog.shown.empty());
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_NE(boxes.shown[0].text.find(L"Open a GIF / JPEG"), std::wstring::npos);
  EXPECT_EQ(dialog.FileName, L"C:\\chosen.bmp");
  view.preview = L"C:\\in.jpg";
  dialog.answers = {L""};
  handlers.cmdSaveAsBitmap_Click();
  EXPECT_TRUE(view.saved.empty());
  EXPECT_EQ(dialog.FileName, L"");
}

TEST_F(Converter, AFailedSaveIsReportedWithTheFileName) {
  view.preview = L"C:\\in.jpg";
  view.saveError = L"The folder does not exist.";
  dialog.answers = {L"C:\\missing\\out.bmp"};
  handlers.cmdSaveAsBitmap_Click();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_NE(boxes.shown[0].text.find(L"C:\\missing\\out.bmp"), std::wstring::npos);
  EXPECT_NE(boxes.shown[0].text.find(L"The folder does not exist."), std::wstring::npos);
  EXPECT_TRUE(view.chosen.empty());
}

TEST_F(Converter, ASavedBitmapBecomesTheChosenOneOrSaysWhyNot) {
  view.preview = L"C:\\in.jpg";
  dialog.answers = {L"C:\\o\\first", L"C:\\o\\second"};
  handlers.cmdSaveAsBitmap_Click();
  EXPECT_EQ(view.chosen, std::vector<std::wstring>{L"C:\\o\\first.bmp"});
  EXPECT_TRUE(boxes.shown.empty());
  view.chooseRefusal = L"The path holds characters that the toolbar settings cannot store.";
  handlers.cmdSaveAsBitmap_Click();
  EXPECT_EQ(view.saved.size(), 2u);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_NE(boxes.shown[0].text.find(L"\"C:\\o\\second.bmp\" was saved, but"), std::wstring::npos);
  EXPECT_NE(boxes.shown[0].text.find(view.chooseRefusal), std::wstring::npos);
}

}  // namespace
}  // namespace velmora
