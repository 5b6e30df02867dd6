#pragma once
// The picture saver: a Picture into a 24-bit BMP file, never a half-written one.
#include <string>

#include "platform/picture_win.h"

namespace velmora::convert {

// Writes the whole picture to a temporary file in the target's folder, flushes
// it, then moves it over the target (MOVEFILE_REPLACE_EXISTING |
// MOVEFILE_WRITE_THROUGH), retrying a while if another program holds the
// target. Any failure deletes the temporary file and leaves an existing target
// as it was. A save killed midway leaves its temporary file
// (~velmora-<pid hex>-<n hex>.tmp); the next save into that folder deletes
// those whose process has ended, never one of a process still running.
//
// Refused before anything is written: an empty picture, a path that names a
// folder or a device (CON.bmp, NUL.bmp, COM1.bmp... in any folder), a folder
// that does not exist, and a read-only target. (Windows would
// refuse to replace a read-only file and Wine would not; Velmora refuses on
// both, so the file's owner decides.)
//
// Returns the empty string on success, else a sentence saying what failed.
std::wstring SavePictureAsBmp(const Picture& picture, const std::wstring& path);

}  // namespace velmora::convert
