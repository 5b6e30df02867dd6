// Files the shell hands over: on the command line, from "Open with" and
// "Send To", or dropped on the window.
#include <windows.h>

#include <shellapi.h>

#include <utility>

#include "app/frm_main_win.h"
#include "platform/file_names.h"
#include "platform/full_path_win.h"
#include "platform/texts.h"

namespace velmora {

using namespace design;

void frmMain::OnDropFiles(HDROP drop) {
  struct Finish {  // the shell's list of files, given back when read
    HDROP h;
    ~Finish() { DragFinish(h); }
  } finish{drop};
  const UINT length = DragQueryFileW(drop, 0, nullptr, 0);  // several files: the first counts
  if (length == 0 || length == 0xFFFFFFFF) return;
  std::wstring first(length + 1, L'\0');
  first.resize(DragQueryFileW(drop, 0, first.data(), length + 1));
  if (!InModalLoop()) {
    OpenFromShell(first);
  } else {
    droppedDuringBox_ = first;
    SetTimer(hwnd_, kDropTimerId, kDropRetryMs, nullptr);
  }
}

void frmMain::OpenFromShell(const std::wstring& path) {
  // Asked before the full path is made: that makes "NUL.jpg" \\.\NUL, in
  // any folder, and its extension is gone.
  if (IsDeviceName(path)) {
    boxes_.Show(texts::DeviceNotPicture(wallpaper::FileNameOf(path)), texts::kErrorCaption, kExclamation);
    return;
  }
  // The shell hands over full paths; a name typed at a prompt counts from
  // the folder it was typed in.
  std::wstring full = FullPathName(path);
  if (full.empty()) full = path;
  const DWORD attributes = GetFileAttributesW(full.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    boxes_.Show(texts::FolderNotPicture(full), texts::kErrorCaption, kExclamation);
    return;
  }
  Run([this, &full] { OpenShellPath(full); });
}

void frmMain::OpenDroppedLater() {
  KillTimer(hwnd_, kDropTimerId);
  OpenFromShell(std::exchange(droppedDuringBox_, std::wstring()));
}

// The tab changes only for a file that opened: a refused one leaves the
// user where they were.
void frmMain::OpenShellPath(const std::wstring& path) {
  if (HasGifOrJpegExtension(path)) {
    if (converter_.handlers().OpenPicture(path)) SelectTab(1);
    return;
  }
  // A name "Open a bitmap" would refuse gets the same refusal.
  const std::wstring why = wallpaper_.handlers().Choose(path);
  if (why.empty()) SelectTab(0);
  else boxes_.Show(why, texts::kErrorCaption, kExclamation);
}

}  // namespace velmora
