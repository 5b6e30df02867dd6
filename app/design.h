#pragma once
// The design of the main window, in twips. Positions count from the top-left
// corner of the control's container: the client area, the tab control (its
// outer corner, the row of tab headers included) or the preview frame.
// Table order is the controls' Z order from the top, so it is also the order
// in which the Tab key visits those that take the focus.
#include "resources/resource.h"

namespace velmora::design {

enum Id : int {
  IDC_TABSTRIP = 1000,
  IDC_OPEN_PICTURE, IDC_REMOVE_WALLPAPER, IDC_APPLY,
  IDC_SWATCH_EXPLORER, IDC_SWATCH_IEOE, IDC_PREVIEW_LIST, IDC_PREVIEW,
  IDC_OPEN_GIFJPEG, IDC_SAVE_AS_BITMAP,
  IDC_EXPLORER_TITLE, IDC_EXPLORER_FILENAME, IDC_IEOE_TITLE, IDC_IEOE_FILENAME,
  IDC_CAMERA, IDC_PREVIEW_LABEL, IDC_PREVIEW_OUTLINE, IDC_PREVIEW_FRAME,
  IDC_CONVERT_HEADER, IDC_CONVERT_INFO, IDC_CONVERT_INSTRUCTIONS,
  IDC_CONVERT_PREVIEW_LABEL, IDC_CONVERT_PREVIEW,
  IDC_PERSON, IDC_VERSION, IDC_TITLE, IDC_ABOUT_LINE, IDC_ABOUT,
  IDC_TAB_PAGE,
  // popup menu items and keyboard commands
  IDM_EXPLORER = 2000, IDM_IE, IDM_BOTH,
  IDM_TAB_CHANGE, IDM_TAB_CONVERT, IDM_TAB_ABOUT,
};

enum class Kind { TabStrip, Button, Label, Frame, List, PictureBox, Image, Icon, Outline, Line };
enum class In { Window, TabStrip, Frame };
enum class Font { Normal, Bold, Title };
enum Flags : unsigned {
  kNone = 0,
  kFocus = 1,      // takes the keyboard focus
  kDisabled = 2,
  kBorder = 4,     // sunken border
  kCentred = 8,
  kNoPrefix = 16,  // shows "&" as it is
  kPressable = 32, // Enter or Space on it re-reads the toolbar settings, as a button would act
};

struct Place { int x, y, w, h; };

struct Control {
  int id;
  const char* name;
  Kind kind;
  In in;
  int tab;  // the tab that shows it; -1 for the tab control itself
  Place twips;
  const wchar_t* text;
  Font font;
  unsigned flags;
  int picture;  // icon resource, 0 for none
};

inline constexpr Place kClient{0, 0, 8400, 6405};
inline constexpr Place kFrameOnTab{1020, 1380, 6015, 3375};  // where fraPreview sits
inline constexpr int kTabHeaderHeight = 520;

inline constexpr Control kControls[] = {
    // Tab 0: "&Change Wallpaper"
    {IDC_OPEN_PICTURE, "cmdOpenPicture", Kind::Button, In::TabStrip, 0, {360, 600, 1515, 615}, L"Open a bitmap", Font::Normal, kFocus, IDI_OPEN_BITMAP},
    {IDC_REMOVE_WALLPAPER, "cmdRemoveWallpaper", Kind::Button, In::TabStrip, 0, {4500, 600, 1515, 615}, L"Remove wallpaper", Font::Normal, kFocus, IDI_REMOVE},
    {IDC_APPLY, "cmdApply", Kind::Button, In::TabStrip, 0, {6180, 600, 1515, 615}, L"Apply wallpaper", Font::Normal, kFocus | kDisabled, IDI_APPLY},
    {IDC_SWATCH_EXPLORER, "picSwatchExplorer", Kind::PictureBox, In::TabStrip, 0, {1380, 4920, 495, 495}, L"", Font::Normal, kFocus | kBorder | kPressable, 0},
    {IDC_SWATCH_IEOE, "picSwatchIEOE", Kind::PictureBox, In::TabStrip, 0, {1380, 5460, 495, 495}, L"", Font::Normal, kFocus | kBorder | kPressable, 0},
    // The window just above a list in the Z order is where Windows looks for its name.
    {IDC_PREVIEW_LABEL, "lblPreview", Kind::Label, In::Frame, 0, {960, 360, 1335, 255}, L"Show preview on:", Font::Normal, kNone, 0},
    {IDC_PREVIEW_LIST, "cboPreview", Kind::List, In::Frame, 0, {2460, 300, 2835, 315}, L"", Font::Normal, kFocus, 0},
    {IDC_PREVIEW, "picPreview", Kind::PictureBox, In::Frame, 0, {540, 720, 4950, 2520}, L"", Font::Normal, kFocus | kPressable, 0},
    // Tab 1: "&GIF / JPEG to BMP"
    {IDC_OPEN_GIFJPEG, "cmdOpenGIFJPEG", Kind::Button, In::TabStrip, 1, {360, 1740, 1515, 615}, L"Open a GIF / JPEG", Font::Normal, kFocus, IDI_OPEN_GIFJPEG},
    {IDC_SAVE_AS_BITMAP, "cmdSaveAsBitmap", Kind::Button, In::TabStrip, 1, {6120, 1740, 1515, 615}, L"Save as BMP", Font::Normal, kFocus, IDI_SAVE_BMP},
    // Controls that never take the focus.
    {IDC_EXPLORER_TITLE, "lblExplorerFilenameTitle", Kind::Label, In::TabStrip, 0, {1980, 4920, 2355, 255}, L"Current Explorer wallpaper:", Font::Bold, kNone, 0},
    {IDC_EXPLORER_FILENAME, "lblExplorerFilename", Kind::Label, In::TabStrip, 0, {2160, 5160, 3675, 255}, L"", Font::Normal, kNoPrefix, 0},
    {IDC_IEOE_TITLE, "lblIEOEFilenameTitle", Kind::Label, In::TabStrip, 0, {1980, 5460, 3315, 255}, L"Current IE/Outlook Express wallpaper:", Font::Bold, kNone, 0},
    {IDC_IEOE_FILENAME, "lblIEOEFilename", Kind::Label, In::TabStrip, 0, {2160, 5700, 4095, 255}, L"", Font::Normal, kNoPrefix, 0},
    {IDC_CAMERA, "imgCamera", Kind::Icon, In::Frame, 0, {660, 360, 240, 240}, L"", Font::Normal, kNone, IDI_CAMERA},
    {IDC_PREVIEW_OUTLINE, "shpPreviewOutline", Kind::Outline, In::Frame, 0, {120, 300, 375, 375}, L"", Font::Normal, kNone, 0},
    {IDC_CONVERT_HEADER, "lblConvertHeader", Kind::Label, In::TabStrip, 1, {180, 540, 2295, 195}, L"Convert GIF / JPEG to BMP", Font::Bold, kNone, 0},
    {IDC_CONVERT_INFO, "lblConvertInfo", Kind::Label, In::TabStrip, 1, {180, 840, 7695, 975},
     L"Windows will only use BMP format pictures as a toolbar wallpaper, this is a built in limitation of the OS && programs and not of this program.  If you have a GIF or JPEG file you wish to use as a wallpaper you can convert it here.",
     Font::Normal, kNone, 0},
    {IDC_CONVERT_INSTRUCTIONS, "lblConvertInstructions", Kind::Label, In::TabStrip, 1, {1920, 1800, 4155, 495}, L"#INSTRUCTIONS#", Font::Normal, kCentred | kNoPrefix, 0},
    {IDC_CONVERT_PREVIEW_LABEL, "lblConvertPreview", Kind::Label, In::TabStrip, 1, {660, 2580, 1395, 255}, L"Image preview:", Font::Bold, kNone, 0},
    {IDC_CONVERT_PREVIEW, "imgConvertPreview", Kind::Image, In::TabStrip, 1, {660, 2880, 6615, 2775}, L"", Font::Normal, kNone, 0},
    // Tab 2: "&About"
    {IDC_PERSON, "imgPerson", Kind::Icon, In::TabStrip, 2, {135, 480, 585, 465}, L"", Font::Normal, kNone, IDI_PERSON},
    // The rule runs under the title, across the title's own label box.
    {IDC_ABOUT_LINE, "shpAboutLine", Kind::Line, In::TabStrip, 2, {120, 945, 7620, 15}, L"", Font::Normal, kNone, 0},
    {IDC_VERSION, "lblVersion", Kind::Label, In::TabStrip, 2, {3960, 765, 855, 195}, L"(v.102)", Font::Normal, kNone, 0},
    {IDC_TITLE, "lblZadUrira", Kind::Label, In::TabStrip, 2, {795, 705, 4275, 315}, L"Velmora", Font::Title, kNone, 0},
    {IDC_ABOUT, "lblAbout", Kind::Label, In::TabStrip, 2, {120, 1080, 7695, 4875}, L"[ A B O U T ]", Font::Normal, kCentred | kNoPrefix, 0},
    // Containers lie under what they contain.
    {IDC_PREVIEW_FRAME, "fraPreview", Kind::Frame, In::TabStrip, 0, {1020, 1380, 6015, 3375}, L"Preview Selected Bitmap: ", Font::Bold, kNone, 0},
    // The page under every tab: the tab control itself leaves it unpainted under Wine.
    {IDC_TAB_PAGE, "TabPage", Kind::Label, In::TabStrip, -1, {0, 0, 0, 0}, L"", Font::Normal, kNone, 0},
    {IDC_TABSTRIP, "TabStrip", Kind::TabStrip, In::Window, -1, {180, 120, 8055, 6135}, L"", Font::Normal, kFocus, 0},
};

inline constexpr const wchar_t* kTabCaptions[] = {L"&Change Wallpaper", L"&GIF / JPEG to BMP", L"&About"};
inline constexpr const wchar_t* kPreviewItems[] = {L"Internet Explorer", L"Outlook Express", L"Windows Explorer"};
struct MenuItem { int id; const wchar_t* text; };
inline constexpr MenuItem kApplyMenu[] = {
    {IDM_EXPLORER, L"&Windows Explorer"}, {IDM_IE, L"&IE / Outlook Express"}, {IDM_BOTH, L"&Both"}};

// The hidden picture holders: never windows, only images.
enum class Holder { TileExplorer, TileIEOE, SwatchExplorerTile, SwatchIEOETile, Buffer, MaskIE, MaskOE, MaskExplorer };
enum class Back { ButtonFace, Window, Key, Mockup };
inline constexpr unsigned kClassicFace = 0xC8D0D4;  // RGB(212, 208, 200), the face of the programs mocked up
struct HolderDesign { Holder holder; const char* name; Place twips; Back back; };
inline constexpr HolderDesign kHolders[] = {
    {Holder::TileExplorer, "picTileImageExplorer", {180, 6600, 1260, 1260}, Back::Mockup},
    {Holder::TileIEOE, "picTileImageIEOE", {840, 6960, 1260, 1260}, Back::Mockup},
    {Holder::SwatchExplorerTile, "picSwatchExplorerTile", {2220, 6720, 495, 495}, Back::Window},
    {Holder::SwatchIEOETile, "picSwatchIEOETile", {2820, 6720, 495, 495}, Back::Window},
    {Holder::Buffer, "picBuffer", {2040, 6300, 255, 255}, Back::ButtonFace},
    {Holder::MaskIE, "picPreviewMasks(0)", {3360, 5400, 4980, 2580}, Back::Key},
    {Holder::MaskOE, "picPreviewMasks(1)", {3780, 5400, 4980, 2610}, Back::Key},
    {Holder::MaskExplorer, "picPreviewMasks(2)", {4200, 5400, 4980, 2580}, Back::Key},
};
inline constexpr int kMaskBitmaps[] = {IDB_MOCKUP_IE, IDB_MOCKUP_OE, IDB_MOCKUP_EXPLORER};

inline constexpr unsigned kPreviewKeyColour = 0xCC33FF;  // RGB(255, 51, 204)
inline constexpr unsigned kRefreshIntervalMs = 500;
inline constexpr unsigned kRefreshTimerId = 1;  // tmrRefresh
// A change to the toolbar values, seen by the registry watch, is read a short
// pause after the first notice, so that a program writing both values causes
// one reload; notices during the pause do not lengthen it, so a program that
// writes the key all the time cannot hold the names back.
inline constexpr unsigned kReloadTimerId = 2;
inline constexpr unsigned kReloadDelayMs = 100;
inline constexpr unsigned kLaterControlsTimerId = 3;  // the other tabs' controls, after the first frame
inline constexpr unsigned kRegistryChanged = 0x8000 + 1;  // WM_APP + 1, from the watch's thread
inline constexpr unsigned kTellHeld = 0x8000 + 2;  // what was held back while another program was in front
// A file changed in a folder that holds a current wallpaper: the swatches
// follow their files, read after the same short pause.
inline constexpr unsigned kFilesChanged = 0x8000 + 3;  // from the folder watch's thread
inline constexpr unsigned kFilesTimerId = 4;
// A file dropped while a box, a dialog or the menu is open waits for it to close.
inline constexpr unsigned kDropTimerId = 5;
inline constexpr unsigned kDropRetryMs = 200;

// Where a control lies in the client area, in twips.
constexpr Place InClient(const Control& c) {
  Place tab{};
  for (const Control& t : kControls)
    if (t.kind == Kind::TabStrip) tab = t.twips;
  switch (c.in) {
    case In::Window: return c.twips;
    case In::TabStrip: return {tab.x + c.twips.x, tab.y + c.twips.y, c.twips.w, c.twips.h};
    case In::Frame:
      return {tab.x + kFrameOnTab.x + c.twips.x, tab.y + kFrameOnTab.y + c.twips.y, c.twips.w, c.twips.h};
  }
  return c.twips;
}

constexpr const Control& Find(int id) {
  for (const Control& c : kControls)
    if (c.id == id) return c;
  return kControls[0];
}

}  // namespace velmora::design
