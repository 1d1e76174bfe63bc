// CResizeCtrl makes a window resizable and keeps its controls in place
// while it is resized: each control takes shares, in parts per whole, of
// every change of the client size (the arithmetic is ui::ResizeLayout's).
// It subclasses the window, gives it a thick frame when it has none (the
// client keeps its size), imposes the minimum tracking size, draws a size
// grip at the bottom-right corner when asked, and sizes a window that was
// not resizable on its own by hand. It detaches itself when the window is
// destroyed, and at the latest when it is destroyed itself.
//
// Thread-safety: used only on the thread that owns the window.
#pragma once

#include <windows.h>

#include <vector>

#include "ui/resize_layout.h"

namespace trellisk::ui {

class CResizeCtrl {
 public:
  // Attaches to `window`; attached() is false when it is not a window.
  CResizeCtrl(HWND window, bool gripper, int partsPerWhole);
  ~CResizeCtrl();
  CResizeCtrl(const CResizeCtrl&) = delete;
  CResizeCtrl& operator=(const CResizeCtrl&) = delete;

  bool attached() const { return window_ != nullptr; }
  // False (and skipped) when `control` is not a window or a share exceeds
  // the parts per whole.
  bool Add(HWND control, LayoutShares shares);
  void SetGripper(bool on);
  void SetMinimumTrackingSize(int width, int height);
  // Restores the window's procedure and style.
  void Detach();

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Previous(UINT message, WPARAM wParam, LPARAM lParam);

  void Resized(int width, int height);
  void Place(const std::vector<ResizeLayout::Placement>& placements);
  ControlBox BoxOf(int control) const;
  // The size grip's square at the bottom-right corner: of the present
  // client area, or of one `clientWidth` x `clientHeight`.
  RECT GripperRect() const;
  static RECT GripperRect(int clientWidth, int clientHeight);
  void PaintGripper();
  bool InGripper(LPARAM screenPoint) const;
  // Manual sizing: a press on a sizing border, the moves, the release.
  bool StartSizing(LPARAM clientPoint);
  void SizeTo(LPARAM clientPoint);
  void StopSizing();

  HWND window_;
  WNDPROC previous_ = nullptr;
  bool hadThickFrame_ = false;
  bool gripper_ = false;
  ResizeLayout layout_;
  std::vector<HWND> controls_;
  // The border being dragged (an HT* sizing code, 0: none) and the
  // cursor's offset from the edges it moves.
  LRESULT sizingBorder_ = 0;
  POINT sizingOffset_{};
};

}  // namespace trellisk::ui
