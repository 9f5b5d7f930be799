// The controls of a window, each a child window of its own.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>

#include "platform/platform.h"
#include "platform/win32/pictures.h"
#include "platform/win32/window.h"

namespace platform::win32 {

// A push button drawn from four pictures on black.
class Win32PictureButton : public ControlImpl<PictureButton> {
 public:
  using ControlImpl::ControlImpl;
  void Create(int id);
  void SetPictures(const ButtonPictures& pictures) override;
  ButtonLook Look() const override;
  LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  const GdiPicture* CurrentPicture() const;
  void SetOver(bool over);
  void TrackLeave(HWND hwnd);

  std::unique_ptr<GdiPicture> normal_, hover_, pressed_picture_, disabled_;
  bool over_ = false;      // the mouse is over the button
  bool pressed_ = false;   // a left press began on the button and goes on
  bool tracking_ = false;  // Windows reports when the mouse leaves
};

// A real radio button; the window's radio buttons form one group.
class Win32RadioButton : public ControlImpl<RadioButton> {
 public:
  Win32RadioButton(Win32Window& owner, const ControlSpec& options)
      : ControlImpl(owner, options), checked_(options.checked) {}
  void Create(int id);
  void SetChecked(bool checked) override;
  bool Checked() const override;
  // Sets the check mark of this button alone.
  void Mark(bool checked);
  bool IsRadio() const override { return true; }
  void OnCommand(WORD code) override;
  HBRUSH OnControlColour(HDC dc) override;
  void BeforeDestroy() override;

 private:
  bool checked_;
};

class Win32CheckBox : public ControlImpl<CheckBox> {
 public:
  Win32CheckBox(Win32Window& owner, const ControlSpec& options)
      : ControlImpl(owner, options), checked_(options.checked) {}
  void Create(int id);
  void SetChecked(bool checked) override;
  bool Checked() const override;
  void OnCommand(WORD code) override;
  HBRUSH OnControlColour(HDC dc) override;
  void BeforeDestroy() override;

 private:
  bool checked_;
};

// One line of text in the default GUI font, cut at the label's edges.
class Win32Label : public ControlImpl<Label> {
 public:
  using ControlImpl::ControlImpl;
  void Create(int id);
  void SetStyle(const LabelStyle& style) override;
  LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  LabelStyle style_;
};

// A picture at its own size; GIFs play with their delays and loop count.
class Win32PictureBox : public ControlImpl<PictureBox> {
 public:
  using ControlImpl::ControlImpl;
  void Create(int id);
  void SetPicture(const Bytes& picture) override;
  const Bytes& Picture() const override { return bytes_; }
  LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) override;
  // The frame shown now (for tests).
  int CurrentFrame() const { return frame_; }
  int FrameCount() const { return static_cast<int>(frames_.size()); }

 private:
  void ScheduleNextFrame();
  void NextFrame();

  Bytes bytes_;
  std::vector<std::unique_ptr<GdiPicture>> frames_;
  std::vector<int> delays_;
  int loops_ = 0;
  int loops_done_ = 0;
  int frame_ = 0;
};

// A swatch that opens the colour dialog when clicked.
class Win32ColourPicker : public ControlImpl<ColourPicker> {
 public:
  using ControlImpl::ControlImpl;
  void Create(int id);
  void SetColour(Colour colour) override;
  Colour GetColour() const override { return colour_; }
  LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  void Choose();

  Colour colour_ = 0;
  bool pressed_ = false;
};

// The colour dialog, shared by the colour picker and the platform.
bool RunColourDialog(HWND owner, Colour* colour);

}  // namespace platform::win32
