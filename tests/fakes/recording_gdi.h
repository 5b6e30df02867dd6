#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "render/gdi.h"

namespace velmora::fakes {

struct BlitCall {
  DcHandle dest;
  int x, y, width, height;
  DcHandle src;
  int srcX, srcY;
  std::uint32_t rop;
  bool operator==(const BlitCall&) const = default;
};

// A GDI that draws nothing but keeps what a real one would: each context's
// background colour and mode and selected bitmap, and which objects live.
// It refuses what gdi32 refuses (deleting a selected bitmap, selecting one
// bitmap into two contexts) and counts each such misuse. It can be told to
// report C1_TRANSPARENT and to refuse the n-th creation or selection.
class RecordingGdi final : public render::Gdi {
 public:
  static constexpr render::Colour kDefaultBkColour = 0xFFFFFF;
  static constexpr int kOpaque = 2;
  static constexpr render::GdiObject kStockBitmap = 0xB17;  // what a new context holds

  int caps1 = 0;            // GetDeviceCaps(dc, CAPS1) for every context
  int failCreationAt = 0;   // 1-based over CreateCompatibleDC, CreateBitmap, CreateCompatibleBitmap
  int failSelectionAt = 0;  // 1-based over SelectObject

  // Outside contexts: a name for the trace, and their colour and mode at the start.
  void Prepare(DcHandle dc, std::string name, render::Colour bk = kDefaultBkColour, int mode = kOpaque);
  // Names for the objects created next, in creation order, for the trace.
  void NameCreated(std::vector<std::string> names);

  const std::vector<BlitCall>& blits() const { return blits_; }
  const std::vector<std::string>& trace() const { return trace_; }
  int BlitsOnto(DcHandle dc) const;
  int creations() const { return creations_; }
  int LiveObjects() const;          // contexts and bitmaps created and not deleted
  int SelectionsNotPutBack() const { return notPutBack_; }  // contexts deleted holding a created bitmap
  int Misuses() const { return misuses_; }
  render::Colour BkColour(DcHandle dc) const;
  int BkMode(DcHandle dc) const;

  bool BitBlt(DcHandle dest, int x, int y, int width, int height,
              DcHandle src, int srcX, int srcY, std::uint32_t rop) override;
  int GetDeviceCaps(DcHandle dc, int index) override;
  int SetBkMode(DcHandle dc, int mode) override;
  render::Colour SetBkColor(DcHandle dc, render::Colour colour) override;
  DcHandle CreateCompatibleDC(DcHandle dc) override;
  render::GdiObject CreateBitmap(int width, int height, std::uint32_t planes,
                                 std::uint32_t bitsPerPixel, const void* bits) override;
  render::GdiObject CreateCompatibleBitmap(DcHandle dc, int width, int height) override;
  render::GdiObject SelectObject(DcHandle dc, render::GdiObject object) override;
  bool DeleteObject(render::GdiObject object) override;
  bool DeleteDC(DcHandle dc) override;

 private:
  struct Dc {
    bool created = false, alive = true;
    render::GdiObject selected = kStockBitmap;
    render::Colour bk = kDefaultBkColour;
    int mode = kOpaque;
  };
  struct Bitmap { bool alive = true; DcHandle selectedInto = 0; };

  Dc& Context(DcHandle dc);  // an outside context is met on first use
  std::uintptr_t NewHandle(const std::string& kind);
  bool RefuseCreation(const std::string& call);
  std::string NameOf(std::uintptr_t handle) const;

  std::map<DcHandle, Dc> dcs_;
  std::map<render::GdiObject, Bitmap> bitmaps_;
  std::map<std::uintptr_t, std::string> names_;
  std::vector<std::string> pendingNames_;
  std::vector<BlitCall> blits_;
  std::vector<std::string> trace_;
  std::uintptr_t next_ = 0x1000;
  int creations_ = 0, selections_ = 0, notPutBack_ = 0, misuses_ = 0;
};

}  // namespace velmora::fakes
