#pragma once
// A picture box that keeps a persistent image: drawing through hdc() changes
// the image, Refresh() shows it, and any later repaint shows it again. A
// hidden box is only the image; a visible one also has a child window.
#include <windows.h>

#include <memory>

#include "platform/handles_win.h"
#include "platform/picture_win.h"
#include "platform/surface.h"

namespace velmora {

// A decoded picture that several hidden holders can show at once, so a file
// is decoded and held once however many show it. GDI selects a bitmap into
// one context at a time, so the picture is selected once, into a context of
// its own, and every holder showing it draws from that one context; none
// draws into it.
class SharedPicture {
 public:
  explicit SharedPicture(Picture picture);
  SharedPicture(const SharedPicture&) = delete;
  SharedPicture& operator=(const SharedPicture&) = delete;
  const Picture& picture() const { return picture_; }
  HDC dc() const { return dc_.get(); }

 private:
  Picture picture_;  // members in this order: deselected, context deleted, then the bitmap
  MemoryDc dc_;
  Selection selected_;
};

class PictureBox final : public PictureSurface {
 public:
  struct Design {
    int widthTwips;
    int heightTwips;
    COLORREF back;       // what shows where no picture is
    bool border;         // a sunken border two pixels wide inside the outer size
    bool autoSize;       // takes the size of the picture it holds
  };
  PictureBox(const Design& design, TwipsPerPixel tpp);
  ~PictureBox() override;
  PictureBox(const PictureBox&) = delete;
  PictureBox& operator=(const PictureBox&) = delete;

  static const wchar_t* WindowClass();  // registered on first use
  HWND Create(HWND parent, int id, const RECT& pixels, DWORD style);
  HWND hwnd() const { return hwnd_; }

  float Width() const override;
  float Height() const override;
  DcHandle hdc() const override;

  void SetPicture(Picture picture);
  // Shows a picture other boxes may show too; a hidden auto-sized box then
  // draws from the picture's own context and keeps no pixels of its own.
  void SetPicture(std::shared_ptr<const SharedPicture> picture);
  void ClearPicture();
  const Picture& picture() const;
  const std::shared_ptr<const SharedPicture>& shared() const { return picture_; }
  void Refresh();
  // The screen's density changed: the box's twips stay, its pixels follow.
  void SetDensity(TwipsPerPixel tpp);

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void Rebuild();
  void Paint();
  SIZE ImagePixels() const;
  // A hidden auto-sized holder is its picture: hdc() is the picture's own context.
  bool ShowsPictureItself() const { return design_.autoSize && picture_ && !hwnd_; }
  void Show(HDC target) const;  // the backing image, onto a window or a print

  Design design_;
  TwipsPerPixel tpp_;
  HWND hwnd_ = nullptr;
  std::shared_ptr<const SharedPicture> picture_;
  Picture backing_;  // empty while an auto-sized box shows its picture itself
  MemoryDc dc_;
  std::unique_ptr<Selection> selected_;
};

}  // namespace velmora
