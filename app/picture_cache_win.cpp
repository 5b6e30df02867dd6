#include "app/picture_cache_win.h"

#include <utility>

#include "convert/picture_loader_win.h"

namespace velmora {

bool PictureCache::Stamp(const std::wstring& path, Source& source) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
  source = {path, data.ftLastWriteTime, ULONGLONG{data.nFileSizeHigh} << 32 | data.nFileSizeLow};
  return true;
}

std::shared_ptr<const SharedPicture> PictureCache::ShownAlready(const Source& file, int bitsPerPixel) const {
  for (const auto& [box, source] : sources_) {
    if (source.SameAs(file) && box->shared() && box->picture().bytesPerPixel() * 8 == bitsPerPixel)
      return box->shared();
  }
  return nullptr;
}

std::wstring PictureCache::LoadInto(PictureBox& box, const std::wstring& path, int bitsPerPixel) {
  Source source{path};
  if (Stamp(path, source)) {
    if (auto shown = ShownAlready(source, bitsPerPixel)) {
      box.SetPicture(std::move(shown));
      sources_[&box] = source;
      return L"";
    }
  }
  WaitCursor wait;  // a large picture takes seconds
  convert::LoadOutcome loaded = convert::LoadPictureFile(path, bitsPerPixel);
  if (!loaded.error.empty()) return loaded.error;
  box.SetPicture(std::move(loaded.picture));
  sources_[&box] = source;
  return L"";
}

void PictureCache::Share(PictureBox& to, const PictureBox& from) {
  to.SetPicture(from.shared());
  const auto source = sources_.find(&from);
  if (source != sources_.end()) sources_[&to] = source->second;
  else sources_.erase(&to);
}

void PictureCache::Forget(const PictureBox& box) { sources_.erase(&box); }

std::wstring PictureCache::PathOf(const PictureBox& box) const {
  const auto source = sources_.find(&box);
  return source == sources_.end() ? L"" : source->second.path;
}

bool PictureCache::Changed(const PictureBox& box, const std::wstring& path) const {
  Source now;
  const bool exists = Stamp(path, now);
  const auto shown = sources_.find(&box);
  const bool wasShown = shown != sources_.end() && shown->second.path == path;
  return exists != wasShown || (exists && !now.SameAs(shown->second));
}

}  // namespace velmora
