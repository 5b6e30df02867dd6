#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "fakes/fake_dialog.h"
#include "fakes/fake_message_boxes.h"
#include "fakes/fake_registry.h"
#include "convert/bmp_name.h"
#include "wallpaper/handlers.h"
#include "wallpaper/status.h"

namespace velmora {
namespace {

using wallpaper::Family;
constexpr registry::RootKey kHkcu = 0x80000001;
constexpr char kToolbar[] = "Software\\Microsoft\\Internet Explorer\\Toolbar";

// The window as the decisions see it: files that exist, pictures that load,
// and a log of what was shown, in order.
class FakeWindow final : public wallpaper::StatusView,
                         public wallpaper::WallpaperView,
                         public wallpaper::FileSystem {
 public:
  std::set<std::wstring> files;
  std::set<std::wstring> unreadable;
  std::map<Family, std::wstring> captions;
  std::map<Family, std::wstring> tiles;         // status holders
  std::map<Family, std::wstring> chosenTiles;   // preview holders
  std::vector<std::string> log;
  bool applyEnabled = false;
  fakes::FakeMessageBoxes* boxes = nullptr;

  bool IsOrdinaryFile(const std::wstring& path) const override { return files.count(path) > 0; }
  void SetFilenameCaption(Family f, const std::wstring& caption) override {
    captions[f] = caption;
    log.push_back(std::string("caption ") + (f == Family::Explorer ? "E" : "I") +
                  " after " + std::to_string(boxes ? boxes->shown.size() : 0) + " boxes");
  }
  std::wstring LoadTile(Family f, const std::wstring& path) override {
    if (unreadable.count(path)) return L"Not a picture.";
    tiles[f] = path;
    return L"";
  }
  void ClearTile(Family f) override { tiles.erase(f); }
  void ArmRedraw() override { log.push_back("arm"); }
  std::wstring ProgramDirectory() const override { return L"C:\\Program Files\\Velmora"; }
  std::wstring LoadTileImage(Family f, const std::wstring& path) override {
    if (unreadable.count(path) || !files.count(path)) return L"Not a picture.";
    chosenTiles[f] = path;
    return L"";
  }
  std::wstring CheckPicture(const std::wstring& path) override {
    return unreadable.count(path) ? L"Not a picture." : L"";
  }
  void EnableApply() override { applyEnabled = true; }
  void RefreshPreview() override { log.push_back("refresh"); }
  void LoadCurrentWallpapers() override { log.push_back("status"); }
};

class Wallpapers : public ::testing::Test {
 protected:
  Wallpapers() {
    store.CreateKey(kHkcu, kToolbar);
    window.boxes = &boxes;
  }
  void Put(const char* name, const std::string& value) {
    store.PutRaw(kHkcu, kToolbar, name, registry::kRegSz, value + '\0');
  }
  std::string Stored(const char* name) {
    const std::string* raw = store.Raw(kHkcu, kToolbar, name);
    return raw ? *raw : "<none>";
  }
  void Status() { wallpaper::LoadCurrentWallpapers(module, window, boxes, window); }

  fakes::FakeRegistry store;
  fakes::FakeAnsiCodec codec;
  fakes::FakeMessageBoxes boxes;
  registry::modRegistryFunctions module{store, codec, boxes};
  FakeWindow window;
  fakes::FakeDialog dialog;
  wallpaper::WallpaperHandlers handlers{dialog, boxes, module, window, codec, window};
};

TEST(TrimAtNull, CutsAtTheFirstNul) {
  EXPECT_EQ(wallpaper::TrimAtNull(L"C:\\a.bmp"), L"C:\\a.bmp");
  EXPECT_EQ(wallpaper::TrimAtNull(std::wstring(L"\0abc", 4)), L"");
  EXPECT_EQ(wallpaper::TrimAtNull(L""), L"");
  EXPECT_EQ(wallpaper::TrimAtNull(std::wstring(L"C:\\a.bmp\0junk", 13)), L"C:\\a.bmp");
}

TEST_F(Wallpapers, NothingSetShowsNoneForBothWithoutAMessage) {
  Put("BackBitmap", "");  // emptied, as after a removal; the other is missing
  Status();
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(window.captions[Family::Explorer], L"No toolbar wallpaper set");
  EXPECT_EQ(window.captions[Family::IEOE], L"No toolbar wallpaper set");
  EXPECT_TRUE(window.tiles.empty());
  EXPECT_EQ(window.log.back(), "arm");
}

TEST_F(Wallpapers, SetWallpapersShowTheirFileNamesAndImages) {
  Put("BackBitmap", "C:\\Pictures\\Stone.bmp");
  Put("BackBitmapIE5", "wood.bmp");  // a bare name is looked for in the current folder
  window.files = {L"C:\\Pictures\\Stone.bmp", L"wood.bmp"};
  Status();
  EXPECT_EQ(window.captions[Family::Explorer], L"Stone.bmp");
  EXPECT_EQ(window.captions[Family::IEOE], L"wood.bmp");
  EXPECT_EQ(window.tiles[Family::Explorer], L"C:\\Pictures\\Stone.bmp");
  EXPECT_EQ(window.tiles[Family::IEOE], L"wood.bmp");
}

TEST_F(Wallpapers, MissingFilesAreReportedExplorerFirstEachBeforeItsLabel) {
  Put("BackBitmap", "C:\\gone\\a.bmp");
  Put("BackBitmapIE5", "C:\\gone\\b.bmp");
  Status();
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[0].text,
            L"There is an Explorer toolbar wallpaper set in the registry but the image is missing."
            L"\r\n\r\nThe program will continue as if there were no wallpaper set.");
  EXPECT_EQ(boxes.shown[0].caption, L"Error!");
  EXPECT_EQ(boxes.shown[0].style, 16u);
  EXPECT_EQ(boxes.shown[1].text.substr(0, 40), L"There is an IE toolbar wallpaper set in ");
  EXPECT_EQ(window.log, (std::vector<std::string>{"caption E after 1 boxes", "caption I after 2 boxes", "arm"}));
}

TEST_F(Wallpapers, ValuesThatAreNotPathsCountAsNotSet) {
  Put("BackBitmap", "Error");
  store.PutRaw(kHkcu, kToolbar, "BackBitmapIE5", 4, std::string("\x01\0\0\0", 4));
  window.files = {L"Error"};
  Status();
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(window.captions[Family::Explorer], L"No toolbar wallpaper set");
  EXPECT_EQ(window.captions[Family::IEOE], L"No toolbar wallpaper set");
}

TEST_F(Wallpapers, OnlyThePartBeforeANulIsThePath) {
  store.PutRaw(kHkcu, kToolbar, "BackBitmap", registry::kRegSz, std::string("C:\\a.bmp\0C:\\b.bmp\0", 18));
  window.files = {L"C:\\a.bmp"};
  Status();
  EXPECT_EQ(window.tiles[Family::Explorer], L"C:\\a.bmp");
}

TEST_F(Wallpapers, AFolderIsNotAWallpaper) {
  Put("BackBitmap", "C:\\Windows");  // the fake knows no folder as a file
  Status();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(window.captions[Family::Explorer], L"No toolbar wallpaper set");
}

TEST_F(Wallpapers, UnreadablePictureIsReportedAndTheOtherFamilyStillShown) {
  Put("BackBitmap", "C:\\bad.bmp");
  Put("BackBitmapIE5", "C:\\good.bmp");
  window.files = {L"C:\\bad.bmp", L"C:\\good.bmp"};
  window.unreadable = {L"C:\\bad.bmp"};
  Status();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_NE(boxes.shown[0].text.find(L"C:\\bad.bmp"), std::wstring::npos);
  EXPECT_NE(boxes.shown[0].text.find(L"Not a picture."), std::wstring::npos);
  EXPECT_EQ(window.captions[Family::Explorer], L"No toolbar wallpaper set");
  EXPECT_EQ(window.tiles.count(Family::Explorer), 0u);
  EXPECT_EQ(window.captions[Family::IEOE], L"good.bmp");
  EXPECT_EQ(window.log.back(), "arm");
}

TEST(BmpExtension, ComparesTheLastFourCharactersExactly) {
  EXPECT_TRUE(convert::HasBmpExtension(L"C:\\a.bmp"));
  EXPECT_TRUE(convert::HasBmpExtension(L".bmp"));
  EXPECT_FALSE(convert::HasBmpExtension(L"C:\\a.BMP"));
  EXPECT_FALSE(convert::HasBmpExtension(L"C:\\a.Bmp"));
  EXPECT_FALSE(convert::HasBmpExtension(L"C:\\a.bmp "));
  EXPECT_FALSE(convert::HasBmpExtension(L"C:\\abmp"));
  EXPECT_FALSE(convert::HasBmpExtension(L"bmp"));
  EXPECT_FALSE(convert::HasBmpExtension(L""));
}

TEST_F(Wallpapers, OpeningABitmapFillsBothTilesEnablesApplyAndRedraws) {
  window.files = {L"C:\\p\\a.bmp"};
  dialog.answers = {L"C:\\p\\a.bmp"};
  handlers.cmdOpenPicture_Click();
  ASSERT_EQ(dialog.shown.size(), 1u);
  EXPECT_EQ(dialog.shown[0].presetName, L"C:\\Program Files\\Velmora\\*.bmp");
  EXPECT_EQ(dialog.shown[0].filter, L"Bitmap (*.bmp)|*.bmp");
  EXPECT_TRUE(dialog.shown[0].option18);
  EXPECT_EQ(window.chosenTiles[Family::Explorer], L"C:\\p\\a.bmp");
  EXPECT_EQ(window.chosenTiles[Family::IEOE], L"C:\\p\\a.bmp");
  EXPECT_TRUE(window.applyEnabled);
  EXPECT_EQ(window.log, std::vector<std::string>{"refresh"});
}

TEST_F(Wallpapers, OpeningRefusesOtherExtensionsAndEndsQuietlyOnFailures) {
  for (const wchar_t* name : {L"C:\\a.BMP", L"C:\\a.Bmp", L"C:\\a", L"C:\\a.bmp "}) {
    dialog.answers = {name};
    handlers.cmdOpenPicture_Click();
  }
  ASSERT_EQ(boxes.shown.size(), 4u);
  EXPECT_EQ(boxes.shown[0].text, L"You can only use bitmap format files for toolbar backgrounds, sorry.");
  EXPECT_EQ(boxes.shown[0].caption, L"Error");
  EXPECT_EQ(boxes.shown[0].style, 48u);
  dialog.answers = {L"C:\\not-a-picture.bmp"};  // exists but does not load
  window.files = {L"C:\\not-a-picture.bmp"};
  window.unreadable = {L"C:\\not-a-picture.bmp"};
  handlers.cmdOpenPicture_Click();
  dialog.answers = {fakes::FakeDialog::kFail};
  handlers.cmdOpenPicture_Click();
  EXPECT_EQ(boxes.shown.size(), 4u);
  EXPECT_TRUE(window.log.empty());
  EXPECT_FALSE(window.applyEnabled);
  EXPECT_EQ(dialog.FileName, L"C:\\Program Files\\Velmora\\*.bmp");
}

TEST_F(Wallpapers, CancelledOpenOnlyRedraws) {
  dialog.answers = {L""};
  handlers.cmdOpenPicture_Click();
  EXPECT_EQ(window.log, std::vector<std::string>{"refresh"});
  EXPECT_FALSE(window.applyEnabled);
}

TEST_F(Wallpapers, ApplyWritesTheChosenValuesInOrderAndRefreshesOnce) {
  window.files = {L"C:\\a.bmp"};
  dialog.FileName = L"C:\\a.bmp";
  handlers.mnuExplorer_Click();
  EXPECT_EQ(Stored("BackBitmap"), std::string("C:\\a.bmp\0", 9));
  EXPECT_EQ(Stored("BackBitmapIE5"), "<none>");
  handlers.mnuIE_Click();
  EXPECT_EQ(Stored("BackBitmapIE5"), std::string("C:\\a.bmp\0", 9));
  store.setCalls = 0;
  window.log.clear();
  dialog.FileName = L"C:\\b.bmp";
  window.files.insert(L"C:\\b.bmp");
  handlers.mnuBoth_Click();
  EXPECT_EQ(store.setCalls, 2);
  EXPECT_EQ(Stored("BackBitmap"), std::string("C:\\b.bmp\0", 9));
  EXPECT_EQ(Stored("BackBitmapIE5"), std::string("C:\\b.bmp\0", 9));
  EXPECT_EQ(window.log, std::vector<std::string>{"status"});
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(Wallpapers, ApplyRefusesPathsThatAreNotUsableBitmaps) {
  Put("BackBitmap", "C:\\kept.bmp");
  window.files = {L"C:\\pic.jpg", L"C:\\bad.bmp"};
  window.unreadable = {L"C:\\bad.bmp"};
  for (const wchar_t* path : {L"", L"C:\\pic.jpg", L"C:\\gone.bmp", L"C:\\bad.bmp", L"C:\\\u221E.bmp"}) {
    dialog.FileName = path;
    handlers.mnuBoth_Click();
  }
  ASSERT_EQ(boxes.shown.size(), 5u);
  for (const auto& box : boxes.shown) {
    EXPECT_EQ(box.caption, L"Error");
    EXPECT_EQ(box.style, 48u);
  }
  EXPECT_NE(boxes.shown[1].text.find(L"C:\\pic.jpg"), std::wstring::npos);
  EXPECT_NE(boxes.shown[4].text.find(L"characters"), std::wstring::npos);
  EXPECT_EQ(store.setCalls, 0);
  EXPECT_EQ(Stored("BackBitmap"), std::string("C:\\kept.bmp\0", 12));
  EXPECT_TRUE(window.log.empty());
}

TEST_F(Wallpapers, RemovalAsksAndEmptiesBothValuesOnlyOnYes) {
  Put("BackBitmap", "C:\\a.bmp");
  Put("BackBitmapIE5", "C:\\b.bmp");
  boxes.answers = {kAnswerNo};
  handlers.cmdRemoveWallpaper_Click();
  EXPECT_EQ(store.setCalls, 0);
  EXPECT_TRUE(window.log.empty());
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text,
            L"Are you sure you wish to remove toolbar wallpaper from Explorer, Internet Explorer and Outlook Express?");
  EXPECT_EQ(boxes.shown[0].caption, L"Really?");
  EXPECT_EQ(boxes.shown[0].style, 36u);

  boxes.answers = {kAnswerYes};
  handlers.cmdRemoveWallpaper_Click();
  EXPECT_EQ(Stored("BackBitmap"), std::string(1, '\0'));
  EXPECT_EQ(Stored("BackBitmapIE5"), std::string(1, '\0'));
  EXPECT_EQ(window.log, std::vector<std::string>{"status"});
}

TEST_F(Wallpapers, RemovalWritesTheSecondValueWhenTheFirstFails) {
  store.failSet = 5;
  boxes.answers = {kAnswerYes};
  handlers.cmdRemoveWallpaper_Click();
  EXPECT_EQ(store.setCalls, 2);
  EXPECT_EQ(store.openKeys(), 0);
  EXPECT_EQ(window.log, std::vector<std::string>{"status"});
}

}  // namespace
}  // namespace velmora
