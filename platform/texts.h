#pragma once
// Every sentence Velmora can show the user, in this one file for a reader or
// a translator: the boxes' texts and captions, the file dialogs' filters,
// the About page and the converter's instructions. What goes into them
// (paths, sizes, reasons) comes from the callers. Control captions are in
// the window's design table.
#include <cstdint>
#include <string>

namespace velmora::texts {

inline std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }
inline std::wstring Size(std::uint64_t width, std::uint64_t height) {
  return std::to_wstring(width) + L" x " + std::to_wstring(height);
}
inline constexpr wchar_t kParagraph[] = L"\r\n\r\n";

// Captions of the boxes.
inline constexpr wchar_t kErrorCaption[] = L"Error";
inline constexpr wchar_t kStatusErrorCaption[] = L"Error!";
inline constexpr wchar_t kRemoveCaption[] = L"Really?";
inline constexpr wchar_t kSaveCaption[] = L"Save as BMP";
// File dialog filters: description|pattern pairs.
inline constexpr wchar_t kBitmapFilter[] = L"Bitmap (*.bmp)|*.bmp";
inline constexpr wchar_t kPictureFilter[] =
    L"Graphics Interchange Format (*.gif)|*.gif|JPEG (*.jpg,*.jpeg)|*.jpg;*.jpeg";

// ---- The window

// Nineteen lines joined by CR LF, none after the last.
inline std::wstring AboutText() {
  const std::wstring br = L"\r\n";
  return L"This application was written because I couldn't find any other similar "
         L"programs at the time for free." + br + br +
         L"Thanks to all those who have helped me test it and those who reported "
         L"problems, especially with the preview mode." + br + br + br +
         L"To use:" + br + br +
         L"- Click the \"Open a bitmap\" button and choose a picture from your hard "
         L"drive.  Sample pictures are bundled with the program" + br + br +
         L"- Click on \"Apply wallpaper\" and choose \"Both\" from the menu" + br + br +
         L"- Open up Explorer, Outlook Express or Internet Explorer." + br + br +
         L"The image should now be shown in your toolbar" + br + br + br + br +
         L"Written by the Velmora developers (velmora@example.org)" + br +
         L"http://www.example.org/velmora/";
}
// The converter's two lines between its two buttons.
inline std::wstring ConvertInstructions() {
  return L"<-- Choose \"Open\" and select the input file THEN\r\n"
         L"Choose \"Save\" and select an output file -->";
}
inline constexpr wchar_t kUsage[] =
    L"To start Velmora with a picture, give its path after the program's name, in double quotes "
    L"when it holds blanks:\r\n\r\n    velmora.exe \"C:\\My Pictures\\stone.bmp\"\r\n\r\n"
    L"A GIF or JPEG picture opens on the \"GIF / JPEG to BMP\" tab; any other file is chosen "
    L"as \"Open a bitmap\" would choose it.";
inline std::wstring WebAddressGiven(const std::wstring& address) {
  return L"Velmora opens files on this computer, and " + Quoted(address) +
         L" is an address on the web. Save the picture from your browser first, then open the saved file.";
}
inline std::wstring NoFileQuoteIt(const std::wstring& path) {
  return L"There is no file " + Quoted(path) + L". A path that holds blanks goes in double quotes:" + kParagraph +
         L"    velmora.exe " + Quoted(path);
}
inline constexpr wchar_t kWindowNotCreated[] = L"Velmora could not create its window.";
inline std::wstring FailureReport(const std::wstring& what) {
  return L"Velmora could not finish what it was doing:" + (kParagraph + what) + kParagraph +
         L"The window stays open; nothing else was changed.";
}
inline std::wstring WithFailureNumber(const std::wstring& what, int number) {
  return what + L" (error " + std::to_wstring(number) + L")";
}
inline constexpr wchar_t kNoMemoryToFinish[] = L"There is not enough memory to finish this.";
inline std::wstring DeviceNotPicture(const std::wstring& name) {
  return Quoted(name) + L" is the name Windows keeps for a device, not a file. Velmora opens picture files only.";
}
inline std::wstring FolderNotPicture(const std::wstring& path) {
  return Quoted(path) + L" is a folder, not a file. Open one of the pictures in it instead.";
}

// Names a screen reader says; nothing draws them.
inline std::wstring TabRowName(const std::wstring& page) { return page + L" tab"; }
inline std::wstring PreviewName(const std::wstring& program, const std::wstring& chosenFile) {
  const std::wstring behind = program.empty() ? L"a toolbar" : program + L"'s toolbar";
  return chosenFile.empty() ? L"Preview of " + behind + L", no bitmap chosen"
                            : L"Preview: " + chosenFile + L" behind " + behind;
}
inline std::wstring SwatchName(bool explorer, const std::wstring& title, const std::wstring& file) {
  if (!file.empty()) return title + L" " + file;
  return explorer ? L"No Explorer wallpaper set" : L"No IE/Outlook Express wallpaper set";
}
inline constexpr wchar_t kConvertPreviewName[] = L"Image preview: ";  // then the file it shows
inline std::wstring ConvertPreviewName(const std::wstring& file) {
  return kConvertPreviewName + (file.empty() ? std::wstring(L"no picture opened") : file);
}

// ---- The toolbar settings

inline constexpr wchar_t kNoWallpaper[] = L"No toolbar wallpaper set";
inline constexpr wchar_t kTooLargeToTile[] =
    L"A bitmap can be previewed only when it is at most 32,767 pixels wide and high.";
inline std::wstring TooLargeToPreviewLine(const std::wstring& path, std::uint64_t width, std::uint64_t height) {
  return Quoted(path) + L" is " + Size(width, height) + L" pixels.\r\n";
}
inline std::wstring TooLargeToPreview(const std::wstring& lines) {
  return lines + L"\r\n" + kTooLargeToTile + L" Its swatch stays blank.";
}
inline std::wstring IncorrectFormat(const std::wstring& keyPath) { return L"Incorrect Format:\n\n" + keyPath; }
inline constexpr wchar_t kGoOn[] = L"\r\n\r\nThe program will continue as if there were no wallpaper set.";
inline std::wstring ImageMissing(bool explorer) {
  return (explorer ? L"There is an Explorer toolbar wallpaper set in the registry but the image is missing."
                   : L"There is an IE toolbar wallpaper set in the registry but the image is missing.") +
         std::wstring(kGoOn);
}
inline std::wstring PathTooLongInRegistry(bool explorer) {
  return (explorer ? L"The Explorer toolbar wallpaper set in the registry is too long to be the path of a file."
                   : L"The IE toolbar wallpaper set in the registry is too long to be the path of a file.") +
         std::wstring(kGoOn);
}
inline std::wstring TileNotLoaded(const std::wstring& path, const std::wstring& why) {
  return L"The toolbar wallpaper " + Quoted(path) + L" could not be loaded." + kParagraph + why + kGoOn;
}
inline constexpr wchar_t kRemovePrompt[] =
    L"Are you sure you wish to remove toolbar wallpaper from Explorer, "
    L"Internet Explorer and Outlook Express?";
inline constexpr wchar_t kNoToolbarKey[] =
    L"The toolbar settings do not exist yet for this user. Windows makes them the first time "
    L"Internet Explorer or Windows Explorer opens a window: open one, close it, and try again.";
inline constexpr wchar_t kToolbarKeyDenied[] =
    L"Windows does not allow Velmora to change the toolbar settings of this user. Ask the "
    L"computer's administrator to allow it, or log on as the user whose toolbars these are.";
inline std::wstring ToolbarNotChanged(long result) {
  return L"The toolbar settings could not be changed (Windows error " + std::to_wstring(result) + L").";
}
inline std::wstring NotSet(const std::wstring& why) { return L"The toolbar wallpaper was not set. " + why; }
inline std::wstring NotRemoved(const std::wstring& why) { return L"The toolbar wallpaper was not removed. " + why; }
inline std::wstring NothingChanged(const std::wstring& why) { return why + kParagraph + L"Nothing was changed."; }

// ---- Choosing a bitmap

inline constexpr wchar_t kNoBitmapChosen[] = L"No bitmap has been chosen. Choose one with \"Open a bitmap\" first.";
inline constexpr wchar_t kOnlyBitmaps[] = L"You can only use bitmap format files for toolbar backgrounds, sorry.";
inline std::wstring BmpNotInLowerCase(const std::wstring& name) {
  return kOnlyBitmaps + (kParagraph + std::wstring(L"Velmora takes only names that end in \".bmp\" written in "
                                                   L"lower case. Rename ")) +
         Quoted(name) + L" so that it ends in \".bmp\" and open it again.";
}
inline std::wstring PathTooLong(const std::wstring& name, std::size_t length, std::size_t longest) {
  return L"The path of " + Quoted(name) + L" is " + std::to_wstring(length) +
         L" characters long; the toolbar settings take at most " + std::to_wstring(longest) +
         L". Move the bitmap to a folder with a shorter path and open it again.";
}
inline std::wstring PathNotInCodePage(const std::wstring& path) {
  return L"The path " + Quoted(path) + L" holds characters that the toolbar settings "
         L"cannot store on this system. Move or rename the bitmap so that its path "
         L"uses only characters of the system's code page, then open it again.";
}
inline std::wstring NoBitmapAt(const std::wstring& path) {
  return L"There is no bitmap file at " + Quoted(path) + L". Choose another with \"Open a bitmap\".";
}
inline std::wstring NotUsable(const std::wstring& path, const std::wstring& why) {
  return L"Windows cannot use " + Quoted(path) + L" as a toolbar wallpaper. " + why;
}
inline std::wstring BitmapUnreadable(const std::wstring& path, const std::wstring& why) {
  return L"The bitmap " + Quoted(path) + L" cannot be read as a picture. " + why;
}
inline std::wstring BitmapTooLarge(const std::wstring& path, std::uint32_t width, std::uint32_t height) {
  return L"The bitmap " + Quoted(path) + L" is " + Size(width, height) + L" pixels. " + kTooLargeToTile +
         L" Choose a smaller bitmap.";
}
inline std::wstring NotABmpFile(const wchar_t* format) {
  return std::wstring(L"It is a ") + format + L" picture, not a BMP file, and the toolbars show only BMP files.";
}

// ---- Opening a picture

inline constexpr wchar_t kNoFileNamed[] = L"No file was named.";
inline constexpr wchar_t kFileMissing[] = L"The file does not exist.";
inline constexpr wchar_t kReadDenied[] = L"Velmora may not read the file: access is denied.";
inline constexpr wchar_t kFileInUse[] = L"Another program is using the file; close it and try again.";
inline std::wstring NotOpened(unsigned long code) {
  return L"The file could not be opened (Windows error " + std::to_wstring(code) + L").";
}
inline std::wstring NotRead(unsigned long code) {
  return L"The file could not be read (Windows error " + std::to_wstring(code) + L").";
}
inline constexpr wchar_t kUnreadable[] = L"The file could not be read.";
inline constexpr wchar_t kDeviceNotFile[] = L"It is a device, not a picture file.";
inline constexpr wchar_t kFolderNotFile[] = L"It is a folder, not a picture file.";
inline constexpr wchar_t kEmptyFile[] = L"The file is empty.";
inline constexpr wchar_t kNotAPicture[] =
    L"The file is not a picture that Velmora can read. Velmora reads GIF, JPEG, BMP and PNG pictures.";
inline std::wstring HeaderCut(const wchar_t* format) {
  return std::wstring(L"The ") + format + L" picture is incomplete: the file ends inside its header.";
}
inline std::wstring PixelsCut(const wchar_t* format) {
  return std::wstring(L"The ") + format + L" picture is incomplete: the file ends before all of its pixels.";
}
inline constexpr wchar_t kJpegNoSize[] =
    L"The JPEG picture is incomplete: the file ends before it gives the picture's size.";
// What is damaged, put into Damaged's sentence.
namespace damage {
inline constexpr wchar_t kNegativeWidth[] = L"its width is negative";
inline constexpr wchar_t kHeightOutOfRange[] = L"its height is out of range";
inline constexpr wchar_t kUnknownHeader[] = L"its header is of an unknown kind";
inline constexpr wchar_t kImpossibleBits[] = L"it gives an impossible number of bits per pixel";
inline constexpr wchar_t kUnknownBlock[] = L"a block of unknown kind follows its header";
inline constexpr wchar_t kNoImage[] = L"it holds no image";
inline constexpr wchar_t kSecondStart[] = L"it starts a second time before giving its size";
inline constexpr wchar_t kEndsBeforeSize[] = L"it ends before giving its size";
inline constexpr wchar_t kPixelsBeforeSize[] = L"its pixels start before it gives its size";
inline constexpr wchar_t kImpossibleSegment[] = L"a marker segment has an impossible length";
inline constexpr wchar_t kShortFrameHeader[] = L"its frame header is too short";
inline constexpr wchar_t kNoHeaderChunk[] = L"it does not start with its header chunk";
inline constexpr wchar_t kSizeOutOfRange[] = L"its size is out of range";
}  // namespace damage
inline std::wstring Damaged(const wchar_t* format, const wchar_t* detail) {
  return std::wstring(L"The ") + format + L" picture is damaged: " + detail + L".";
}
inline std::wstring DamagedOrUnknown(const wchar_t* format) {
  return std::wstring(L"The ") + format + L" picture is damaged or of a kind Velmora cannot read.";
}
inline std::wstring NoPixels(std::uint64_t width, std::uint64_t height) {
  return L"The picture has no pixels: its size is " + Size(width, height) + L".";
}
inline std::wstring GifFirstImageNoPixels(std::uint64_t width, std::uint64_t height) {
  return L"The GIF picture's first image has no pixels: its size is " + Size(width, height) + L".";
}
inline constexpr wchar_t kTooManyGifImages[] =
    L"The GIF picture has too many images: Velmora opens animations of up to 10,000 images.";
inline constexpr wchar_t kGifTooLarge[] =
    L"The GIF animation is too large: its images hold more than 268,435,456 pixels together.";
inline std::wstring TooLargeToOpen(std::uint64_t width, std::uint64_t height) {
  return L"The picture is too large: " + Size(width, height) +
         L" pixels. Velmora opens pictures of up to 67,108,864 pixels, such as 8192 x 8192.";
}
// A width of 0: the size is not known.
inline std::wstring TooLargeToOpenNow(std::uint64_t width, std::uint64_t height) {
  return L"The picture is too large to open now. " + (width == 0 ? L"It needs" : Size(width, height) + L" pixels need") +
         L" more memory than Windows can give Velmora. Close other programs and try again, or open a smaller "
         L"picture.";
}
inline constexpr wchar_t kNoDecoder[] =
    L"Windows could not start a picture decoder: neither the Windows Imaging Component nor GDI+ is available.";
inline std::wstring PictureNotOpened(const std::wstring& path, const std::wstring& why) {
  return L"The picture " + Quoted(path) + L" could not be opened." + kParagraph + why + kParagraph +
         L"The preview keeps the picture it showed before.";
}

// ---- Saving a BMP file

inline constexpr wchar_t kNothingToSaveYet[] =
    L"There is no picture to save yet. Open a GIF or JPEG picture with \"Open a GIF / JPEG\" first.";
inline std::wstring ReplaceQuestion(const std::wstring& path) {
  return Quoted(path) + L" already exists." + kParagraph + L"Do you want to replace it?";
}
inline std::wstring NotSaved(const std::wstring& path, const std::wstring& why) {
  return L"The BMP file " + Quoted(path) + L" could not be saved." + kParagraph + why;
}
inline std::wstring SavedButNotChosen(const std::wstring& path, const std::wstring& why) {
  return Quoted(path) + L" was saved, but it cannot become the toolbar wallpaper." + kParagraph + why;
}
inline constexpr wchar_t kNoPictureToSave[] = L"There is no picture to save.";
inline constexpr wchar_t kTooLargeForBmp[] = L"The picture is too large for a BMP file.";
inline constexpr wchar_t kNoFileName[] = L"No file name was given.";
inline std::wstring DeviceNameForBmp(const std::wstring& name) {
  return Quoted(name) + L" is the name Windows keeps for a device, not a file; choose another name for the BMP file.";
}
inline constexpr wchar_t kNameNotValid[] = L"The file name is not valid.";
inline constexpr wchar_t kNameIsFolder[] = L"The name ends in a backslash, so it names a folder, not a file.";
inline constexpr wchar_t kFolderOfThatName[] = L"There is a folder with that name; choose another name for the BMP file.";
inline constexpr wchar_t kReadOnly[] =
    L"The file is read-only, and Velmora does not replace read-only files. "
    L"Choose another name, or clear the file's read-only setting first.";
inline std::wstring NoFolder(const std::wstring& folder) { return L"The folder " + folder + L" does not exist."; }
inline constexpr wchar_t kUnchanged[] = L" Any earlier file of that name is unchanged.";
inline std::wstring DiskFull() {
  return std::wstring(L"The disk is full, so the BMP file could not be written.") + kUnchanged;
}
inline constexpr wchar_t kWriteDenied[] = L"Velmora may not write files in that folder: access is denied.";
inline std::wstring NotWritten(unsigned long code) {
  return L"The BMP file could not be written (Windows error " + std::to_wstring(code) + L")." + kUnchanged;
}
inline std::wstring HeldByAnother() {
  return std::wstring(L"Another program is using the file, or Velmora may not replace it; "
                      L"close the file elsewhere and save again.") + kUnchanged;
}
inline std::wstring NotNamed(unsigned long code) {
  return L"The BMP file could not take its name (Windows error " + std::to_wstring(code) + L")." + kUnchanged;
}
inline std::wstring NoMemoryToSave() {
  return std::wstring(L"There is not enough memory to save the picture.") + kUnchanged;
}

}  // namespace velmora::texts
