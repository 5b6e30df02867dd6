#pragma once
#include <array>
#include <string>

#include "platform/file_system.h"
#include "platform/message_box.h"
#include "registry/reg_functions.h"

namespace velmora::wallpaper {

enum class Family { Explorer, IEOE };

// The shell reads these paths into buffers of MAX_PATH characters with the
// NUL, so a longer value cannot name its bitmap, whatever is on disk.
inline constexpr std::size_t kLongestPath = 259;

// What the status refresh needs of the window: the name labels, the hidden
// tile holders and the one-shot redraw timer.
class StatusView {
 public:
  virtual ~StatusView() = default;
  virtual void SetFilenameCaption(Family family, const std::wstring& caption) = 0;
  // Loads the picture into the family's tile holder; on failure returns a
  // sentence saying why and leaves the holder as it was.
  virtual std::wstring LoadTile(Family family, const std::wstring& path) = 0;
  virtual void ClearTile(Family family) = 0;
  virtual void ArmRedraw() = 0;
};

// The part of a text before its first NUL.
std::wstring TrimAtNull(const std::wstring& text);
// The part of a path after its last backslash, or the whole path.
std::wstring FileNameOf(const std::wstring& path);

// Reads both toolbar values, Explorer first, and shows each family's file
// name and image, or that none is set; then asks for one redraw. Answers
// the two values as read, so that a caller can tell when they change.
// A value equal to its entry in `told` has had its problems told already
// and is read again without a word.
std::array<std::wstring, 2> LoadCurrentWallpapers(registry::modRegistryFunctions& registry,
                                                  const FileSystem& files, MessageBoxes& boxes,
                                                  StatusView& view,
                                                  const std::array<std::wstring, 2>* told = nullptr);

}  // namespace velmora::wallpaper
