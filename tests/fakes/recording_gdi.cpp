#include "fakes/recording_gdi.h"

#include <cstdio>
#include <utility>

namespace velmora::fakes {
namespace {

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(value));
  return text;
}

std::string RopName(std::uint32_t rop) {
  switch (rop) {
    case render::kSrcCopy: return "SRCCOPY";
    case render::kNotSrcCopy: return "NOTSRCCOPY";
    case render::kSrcAnd: return "SRCAND";
    case render::kSrcInvert: return "SRCINVERT";
  }
  return Hex(rop);
}

}  // namespace

void RecordingGdi::Prepare(DcHandle dc, std::string name, render::Colour bk, int mode) {
  names_[dc] = std::move(name);
  Dc& context = Context(dc);
  context.bk = bk;
  context.mode = mode;
}

void RecordingGdi::NameCreated(std::vector<std::string> names) {
  pendingNames_.assign(names.rbegin(), names.rend());
}

int RecordingGdi::BlitsOnto(DcHandle dc) const {
  int n = 0;
  for (const BlitCall& b : blits_) n += b.dest == dc;
  return n;
}

int RecordingGdi::LiveObjects() const {
  int n = 0;
  for (const auto& [handle, dc] : dcs_) n += dc.created && dc.alive;
  for (const auto& [handle, bitmap] : bitmaps_) n += bitmap.alive;
  return n;
}

render::Colour RecordingGdi::BkColour(DcHandle dc) const {
  const auto found = dcs_.find(dc);
  return found == dcs_.end() ? kDefaultBkColour : found->second.bk;
}

int RecordingGdi::BkMode(DcHandle dc) const {
  const auto found = dcs_.find(dc);
  return found == dcs_.end() ? kOpaque : found->second.mode;
}

bool RecordingGdi::BitBlt(DcHandle dest, int x, int y, int width, int height,
                          DcHandle src, int srcX, int srcY, std::uint32_t rop) {
  trace_.push_back("BitBlt(" + NameOf(dest) + ", " + std::to_string(x) + ", " + std::to_string(y) +
                   ", " + std::to_string(width) + ", " + std::to_string(height) + ", " + NameOf(src) +
                   ", " + std::to_string(srcX) + ", " + std::to_string(srcY) + ", " + RopName(rop) + ")");
  blits_.push_back({dest, x, y, width, height, src, srcX, srcY, rop});
  const bool usable = Context(dest).alive && Context(src).alive;
  misuses_ += !usable;
  return usable;
}

int RecordingGdi::GetDeviceCaps(DcHandle dc, int index) {
  trace_.push_back("GetDeviceCaps(" + NameOf(dc) + ", " + std::to_string(index) + ")");
  return index == render::kCaps1 ? caps1 : 0;
}

int RecordingGdi::SetBkMode(DcHandle dc, int mode) {
  trace_.push_back("SetBkMode(" + NameOf(dc) + ", " + std::to_string(mode) + ")");
  Dc& context = Context(dc);
  if (!context.alive) return ++misuses_, 0;
  return std::exchange(context.mode, mode);
}

render::Colour RecordingGdi::SetBkColor(DcHandle dc, render::Colour colour) {
  trace_.push_back("SetBkColor(" + NameOf(dc) + ", " + Hex(colour) + ")");
  Dc& context = Context(dc);
  if (!context.alive) return ++misuses_, render::kInvalidColour;
  return std::exchange(context.bk, colour);
}

DcHandle RecordingGdi::CreateCompatibleDC(DcHandle dc) {
  const std::string call = "CreateCompatibleDC(" + NameOf(dc) + ")";
  if (RefuseCreation(call)) return 0;
  const DcHandle made = NewHandle("dc");
  dcs_[made].created = true;
  trace_.push_back(call + " -> " + NameOf(made));
  return made;
}

render::GdiObject RecordingGdi::CreateBitmap(int width, int height, std::uint32_t planes,
                                             std::uint32_t bitsPerPixel, const void* bits) {
  const std::string call = "CreateBitmap(" + std::to_string(width) + ", " + std::to_string(height) +
                           ", " + std::to_string(planes) + ", " + std::to_string(bitsPerPixel) +
                           (bits ? ", bits)" : ", null)");
  if (RefuseCreation(call)) return 0;
  const render::GdiObject made = NewHandle("bitmap");
  bitmaps_[made];
  trace_.push_back(call + " -> " + NameOf(made));
  return made;
}

render::GdiObject RecordingGdi::CreateCompatibleBitmap(DcHandle dc, int width, int height) {
  const std::string call = "CreateCompatibleBitmap(" + NameOf(dc) + ", " + std::to_string(width) +
                           ", " + std::to_string(height) + ")";
  if (RefuseCreation(call)) return 0;
  const render::GdiObject made = NewHandle("bitmap");
  bitmaps_[made];
  trace_.push_back(call + " -> " + NameOf(made));
  return made;
}

render::GdiObject RecordingGdi::SelectObject(DcHandle dc, render::GdiObject object) {
  trace_.push_back("SelectObject(" + NameOf(dc) + ", " + NameOf(object) + ")");
  if (++selections_ == failSelectionAt) return 0;
  const auto context = dcs_.find(dc);
  const auto bitmap = bitmaps_.find(object);
  const bool stock = object == kStockBitmap;
  if (context == dcs_.end() || !context->second.created || !context->second.alive ||
      (!stock && (bitmap == bitmaps_.end() || !bitmap->second.alive ||
                  (bitmap->second.selectedInto && bitmap->second.selectedInto != dc)))) {
    ++misuses_;
    return 0;
  }
  const render::GdiObject previous = std::exchange(context->second.selected, object);
  if (previous != kStockBitmap) bitmaps_[previous].selectedInto = 0;
  if (!stock) bitmap->second.selectedInto = dc;
  return previous;
}

bool RecordingGdi::DeleteObject(render::GdiObject object) {
  trace_.push_back("DeleteObject(" + NameOf(object) + ")");
  if (object == kStockBitmap) return true;
  const auto bitmap = bitmaps_.find(object);
  if (bitmap == bitmaps_.end() || !bitmap->second.alive || bitmap->second.selectedInto) {
    ++misuses_;  // gdi32 keeps a selected bitmap alive and answers FALSE
    return false;
  }
  bitmap->second.alive = false;
  return true;
}

bool RecordingGdi::DeleteDC(DcHandle dc) {
  trace_.push_back("DeleteDC(" + NameOf(dc) + ")");
  const auto context = dcs_.find(dc);
  if (context == dcs_.end() || !context->second.created || !context->second.alive) {
    ++misuses_;
    return false;
  }
  const render::GdiObject held = context->second.selected;
  if (held != kStockBitmap) {
    ++notPutBack_;
    bitmaps_[held].selectedInto = 0;
  }
  context->second.alive = false;
  return true;
}

RecordingGdi::Dc& RecordingGdi::Context(DcHandle dc) { return dcs_[dc]; }

std::uintptr_t RecordingGdi::NewHandle(const std::string& kind) {
  const std::uintptr_t handle = next_;
  next_ += 0x10;
  if (!pendingNames_.empty()) {
    names_[handle] = pendingNames_.back();
    pendingNames_.pop_back();
  } else {
    names_[handle] = kind + std::to_string(handle);
  }
  return handle;
}

bool RecordingGdi::RefuseCreation(const std::string& call) {
  if (++creations_ != failCreationAt) return false;
  if (!pendingNames_.empty()) pendingNames_.pop_back();  // later objects keep their names
  trace_.push_back(call + " -> refused");
  return true;
}

std::string RecordingGdi::NameOf(std::uintptr_t handle) const {
  if (handle == kStockBitmap) return "stock";
  const auto found = names_.find(handle);
  return found != names_.end() ? found->second : "0x" + Hex(static_cast<std::uint32_t>(handle));
}

}  // namespace velmora::fakes
