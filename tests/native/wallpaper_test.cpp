#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "fakes/fake_dialog.h"
#include "fakes/fake_message_boxes.h"
#include "fakes/fake_registry.h"
#include "platform/file_names.h"
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
                         public FileSystem {
 public:
  std::set<std::wstring> files;
  std::set<std::wstring> unreadable;
  std::set<std::wstring> notBmp;  // pictures of another format, whatever their name
  std::map<std::wstring, std::uint32_t> widths;  // 10 x 10 unless named here; as high as wide
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
  std::wstring LoadChosenTiles(const std::wstring& path) override {
    if (unreadable.count(path) || !files.count(path)) return L"Not a picture.";
    chosenTiles[Family::Explorer] = chosenTiles[Family::IEOE] = path;
    return L"";
  }
  Bitmap InspectBitmap(const std::wstring& path) override {
    if (notBmp.count(path)) return {L"It is a PNG picture."};
    const std::uint32_t size = widths.count(path) ? widths.at(path) : 10;
    return {L"", size, path.find(L"wide") == std::wstring::npos ? size : 1};
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

TEST_F(Wallpapers, OnlyThePartBeforeANulIsThePath) {
  // Two NULs inside: the first ends the path, whichever the reader keeps.
  store.PutRaw(kHkcu, kToolbar, "BackBitmap", registry::kRegSz, std::string("C:\\a.bmp\0C:\\b.bmp\0c\0", 20));
  store.PutRaw(kHkcu, kToolbar, "BackBitmapIE5", registry::kRegSz, std::string("\0C:\\a.bmp", 9));
  window.files = {L"C:\\a.bmp", L"C:\\a.bmp\0C:\\b.bmp"};
  Status();
  EXPECT_EQ(window.tiles[Family::Explorer], L"C:\\a.bmp");
  EXPECT_EQ(window.tiles.count(Family::IEOE), 0u);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(Wallpapers, OpeningABitmapFillsBothTilesEnablesApplyAndRedraws) {
  window.files = {L"C:\\p\\a.bmp"};
  dialog.answers = {L"C:\\p\\a.bmp"};
  handlers.cmdOpenPicture_Click();
  ASSERT_EQ(dialog.shown.size(), 1u);
  EXPECT_EQ(dialog.shown[0].presetName, L"C:\\Program Files\\Velmora\\*.bmp");
  EXPECT_EQ(dialog.shown[0].filter, L"Bitmap (*.bmp)|*.bmp");
  EXPECT_EQ(window.chosenTiles[Family::Explorer], L"C:\\p\\a.bmp");
  EXPECT_EQ(window.chosenTiles[Family::IEOE], L"C:\\p\\a.bmp");
  EXPECT_TRUE(window.applyEnabled);
  EXPECT_EQ(window.log, std::vector<std::string>{"refresh"});
  EXPECT_TRUE(boxes.shown.empty());
}

// Each refusal names its own cause, and leaves the chosen bitmap, the
// preview and "Apply wallpaper" as they were.
TEST_F(Wallpapers, OpeningRefusesWithTheRealReasonAndKeepsTheEarlierChoice) {
  window.files = {L"C:\\good.bmp", L"C:\\bad.bmp", L"C:\\fake.bmp", L"C:\\huge.bmp", L"C:\\wide.bmp",
                  L"C:\\largest.bmp", L"C:\\widest.bmp"};
  window.unreadable = {L"C:\\bad.bmp"};
  window.notBmp = {L"C:\\fake.bmp"};
  // Past what the preview can tile, in both directions; the largest it can is taken.
  window.widths = {{L"C:\\huge.bmp", 32768}, {L"C:\\wide.bmp", 32768}, {L"C:\\largest.bmp", 32767},
                   {L"C:\\widest.bmp", 32767}};
  dialog.answers = {L"C:\\good.bmp"};
  handlers.cmdOpenPicture_Click();
  window.log.clear();
  const std::wstring longest = L"C:\\" + std::wstring(wallpaper::kLongestPath - 7, L'x') + L".bmp";
  window.files.insert(longest);
  window.files.insert(longest + L"x.bmp");
  struct Case { std::wstring chosen; const wchar_t* says; };
  const Case cases[] = {
      {L"C:\\a.BMP", L"written in lower case"},
      {L"C:\\a.Bmp", L"written in lower case"},
      {L"C:\\a", L"You can only use bitmap format files for toolbar backgrounds, sorry."},
      {L"C:\\a.bmp ", L"You can only use bitmap format files for toolbar backgrounds, sorry."},
      {L"C:\\gone.bmp", L"There is no bitmap file at"},
      {L"C:\\bad.bmp", L"cannot be read as a picture. Not a picture."},
      {L"C:\\fake.bmp", L"It is a PNG picture."},
      {L"C:\\huge.bmp", L"is 32768 x 32768 pixels. A bitmap can be previewed only when"},
      {L"C:\\wide.bmp", L"is 32768 x 1 pixels."},
      {L"C:\\\u221E.bmp", L"code page"},
      {longest.substr(0, longest.size() - 4) + L"x.bmp", L"characters long"},
  };
  for (const Case& c : cases) {
    boxes.shown.clear();
    dialog.answers = {c.chosen};
    handlers.cmdOpenPicture_Click();
    ASSERT_EQ(boxes.shown.size(), 1u) << c.chosen;
    EXPECT_NE(boxes.shown[0].text.find(c.says), std::wstring::npos) << boxes.shown[0].text;
    EXPECT_EQ(boxes.shown[0].caption, L"Error");
    EXPECT_EQ(boxes.shown[0].style, 48u);
  }
  EXPECT_EQ(boxes.shown.size(), 1u);
  EXPECT_TRUE(window.log.empty());
  EXPECT_EQ(window.chosenTiles[Family::IEOE], L"C:\\good.bmp");
  EXPECT_EQ(handlers.ChosenBitmap(), L"C:\\good.bmp");
  // A path of exactly the longest length is taken, and so are the largest bitmaps.
  boxes.shown.clear();
  for (const std::wstring& taken : {std::wstring(L"C:\\largest.bmp"), std::wstring(L"C:\\widest.bmp"), longest}) {
    dialog.answers = {taken};
    handlers.cmdOpenPicture_Click();
    EXPECT_EQ(handlers.ChosenBitmap(), taken);
  }
  EXPECT_TRUE(boxes.shown.empty());
  // A dialog that cannot be shown ends the handler quietly.
  dialog.answers = {fakes::FakeDialog::kFail};
  handlers.cmdOpenPicture_Click();
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(Wallpapers, CancelledOpenOnlyRedrawsAndApplyStillWritesWhatThePreviewShows) {
  window.files = {L"C:\\a.bmp"};
  dialog.answers = {L"C:\\a.bmp", L""};
  handlers.cmdOpenPicture_Click();
  window.log.clear();
  handlers.cmdOpenPicture_Click();
  EXPECT_EQ(window.log, std::vector<std::string>{"refresh"});
  EXPECT_EQ(dialog.FileName, L"");
  handlers.mnuExplorer_Click();
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(Stored("BackBitmap"), std::string("C:\\a.bmp\0", 9));
}

TEST_F(Wallpapers, EachMenuItemWritesItsOwnValuesInOrderAndRefreshesOnce) {
  window.files = {L"C:\\a.bmp", L"C:\\b.bmp"};
  ASSERT_EQ(handlers.Choose(L"C:\\a.bmp"), L"");
  handlers.mnuExplorer_Click();
  EXPECT_EQ(Stored("BackBitmap"), std::string("C:\\a.bmp\0", 9));
  EXPECT_EQ(Stored("BackBitmapIE5"), "<none>");
  ASSERT_EQ(handlers.Choose(L"C:\\b.bmp"), L"");
  handlers.mnuIE_Click();
  EXPECT_EQ(Stored("BackBitmap"), std::string("C:\\a.bmp\0", 9));
  EXPECT_EQ(Stored("BackBitmapIE5"), std::string("C:\\b.bmp\0", 9));
  store.setNames.clear();
  window.log.clear();
  handlers.mnuBoth_Click();
  EXPECT_EQ(store.setNames, (std::vector<std::string>{"BackBitmapIE5", "BackBitmap"}));
  EXPECT_EQ(Stored("BackBitmap"), std::string("C:\\b.bmp\0", 9));
  EXPECT_EQ(window.log, std::vector<std::string>{"status"});
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(Wallpapers, ApplyRefusesABitmapThatIsGoneOrChangedSinceItWasChosen) {
  Put("BackBitmap", "C:\\kept.bmp");
  window.files = {L"C:\\a.bmp"};
  handlers.mnuBoth_Click();  // nothing chosen yet
  ASSERT_EQ(handlers.Choose(L"C:\\a.bmp"), L"");
  window.notBmp = {L"C:\\a.bmp"};  // overwritten with a PNG
  handlers.mnuBoth_Click();
  window.files.clear();  // deleted
  handlers.mnuExplorer_Click();
  ASSERT_EQ(boxes.shown.size(), 3u);
  EXPECT_NE(boxes.shown[0].text.find(L"No bitmap has been chosen"), std::wstring::npos);
  EXPECT_NE(boxes.shown[1].text.find(L"PNG"), std::wstring::npos);
  EXPECT_NE(boxes.shown[2].text.find(L"There is no bitmap file at \"C:\\a.bmp\""), std::wstring::npos);
  EXPECT_EQ(store.setNames.size(), 0u);
  EXPECT_EQ(Stored("BackBitmap"), std::string("C:\\kept.bmp\0", 12));
  EXPECT_EQ(window.log, std::vector<std::string>{"refresh"});
}

TEST_F(Wallpapers, RemovalAsksAndEmptiesBothValuesOnlyOnYes) {
  Put("BackBitmap", "C:\\a.bmp");
  Put("BackBitmapIE5", "C:\\b.bmp");
  boxes.answers = {kAnswerNo};
  handlers.cmdRemoveWallpaper_Click();
  EXPECT_EQ(store.setNames.size(), 0u);
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

// A write that fails says why and what to do, and the status still shows
// what the registry holds. The key is the shell's and is never made here.
TEST_F(Wallpapers, AWriteThatFailsSaysSoAndTheRestIsStillDone) {
  store.failSet = registry::kAccessDenied;
  boxes.answers = {kAnswerYes};
  handlers.cmdRemoveWallpaper_Click();
  EXPECT_EQ(store.setNames.size(), 2u) << "the second value is still written";
  EXPECT_EQ(store.openKeys(), 0);
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[1].text.rfind(L"The toolbar wallpaper was not removed. Windows does not allow", 0), 0u);
  EXPECT_EQ(window.log, std::vector<std::string>{"status"});

  fakes::FakeRegistry empty;  // a new profile: no Toolbar key yet
  registry::modRegistryFunctions module{empty, codec, boxes};
  wallpaper::WallpaperHandlers apply{dialog, boxes, module, window, codec, window};
  window.files = {L"C:\\a.bmp"};
  ASSERT_EQ(apply.Choose(L"C:\\a.bmp"), L"");
  boxes.shown.clear();
  window.log.clear();
  apply.mnuBoth_Click();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text.rfind(L"The toolbar wallpaper was not set. The toolbar settings do not exist yet", 0), 0u);
  EXPECT_EQ(empty.Raw(kHkcu, kToolbar, "BackBitmap"), nullptr);
  EXPECT_EQ(window.log, std::vector<std::string>{"status"});
}

}  // namespace
}  // namespace velmora
