#pragma once
// A picture box that keeps a persistent image: drawing through hdc() changes
// the image, Refresh() shows it, and any later repaint shows it again. A
// hidden box is only the image; a visible one also has a child window.
#include <windows.h>

#include <memory>

#include "platform/handles.h"
#include "platform/picture.h"
#include "platform/surface.h"

namespace velmora {

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
  DcHandle hdc() const override { return reinterpret_cast<DcHandle>(dc_.get()); }

  void SetPicture(Picture picture);
  void ClearPicture();
  const Picture& picture() const { return picture_; }
  void Refresh();
  // The screen's density changed: the box's twips stay, its pixels follow.
  void SetDensity(TwipsPerPixel tpp);

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void Rebuild();
  void Paint();
  SIZE ImagePixels() const;

  Design design_;
  TwipsPerPixel tpp_;
  HWND hwnd_ = nullptr;
  Picture picture_;
  Picture backing_;  // empty while an auto-sized box shows its picture itself
  MemoryDc dc_;
  std::unique_ptr<Selection> selected_;
};

}  // namespace velmora
