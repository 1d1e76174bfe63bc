#include "ui/win32/cresize_ctrl.h"

#include <windowsx.h>

namespace trellisk::ui {
namespace {

constexpr const char* kPropertyName = "___CResizeCtrl___Class___";

RECT ClientRect(HWND window) {
  RECT rect;
  GetClientRect(window, &rect);
  return rect;
}

RECT WindowRect(HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  return rect;
}

// Gives `window` a thick frame, its outer rectangle grown so that the
// client area keeps its size.
void AddThickFrame(HWND window) {
  const RECT before = ClientRect(window);
  SetWindowLongPtrA(window, GWL_STYLE, GetWindowLongPtrA(window, GWL_STYLE) | WS_THICKFRAME);
  constexpr UINT kKeep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
  SetWindowPos(window, nullptr, 0, 0, 0, 0, kKeep | SWP_FRAMECHANGED);
  const RECT after = ClientRect(window);
  const RECT outer = WindowRect(window);
  SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + (before.right - after.right),
               outer.bottom - outer.top + (before.bottom - after.bottom), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Which edges a sizing border moves.
bool MovesLeft(LRESULT border) { return border == HTLEFT || border == HTTOPLEFT || border == HTBOTTOMLEFT; }
bool MovesRight(LRESULT border) { return border == HTRIGHT || border == HTTOPRIGHT || border == HTBOTTOMRIGHT; }
bool MovesTop(LRESULT border) { return border == HTTOP || border == HTTOPLEFT || border == HTTOPRIGHT; }
bool MovesBottom(LRESULT border) { return border == HTBOTTOM || border == HTBOTTOMLEFT || border == HTBOTTOMRIGHT; }

POINT ScreenPoint(HWND window, LPARAM clientPoint) {
  POINT point{GET_X_LPARAM(clientPoint), GET_Y_LPARAM(clientPoint)};
  ClientToScreen(window, &point);
  return point;
}

}  // namespace

CResizeCtrl::CResizeCtrl(HWND window, bool gripper, int partsPerWhole)
    : window_(IsWindow(window) ? window : nullptr), gripper_(gripper), layout_(partsPerWhole) {
  if (!window_) return;
  hadThickFrame_ = (GetWindowLongPtrA(window_, GWL_STYLE) & WS_THICKFRAME) != 0;
  if (!hadThickFrame_) AddThickFrame(window_);
  const RECT client = ClientRect(window_);
  layout_.Start(client.right, client.bottom);
  SetPropA(window_, kPropertyName, this);
  previous_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CResizeCtrl::Procedure)));
}

CResizeCtrl::~CResizeCtrl() { Detach(); }

bool CResizeCtrl::Add(HWND control, LayoutShares shares) {
  if (!window_ || !IsWindow(control)) return false;
  if (!layout_.Add(static_cast<int>(controls_.size()), shares)) return false;
  controls_.push_back(control);
  return true;
}

void CResizeCtrl::SetGripper(bool on) {
  gripper_ = on;
  if (!window_) return;
  const RECT grip = GripperRect();
  InvalidateRect(window_, &grip, TRUE);
}

void CResizeCtrl::SetMinimumTrackingSize(int width, int height) { layout_.SetMinimumTrackingSize(width, height); }

void CResizeCtrl::Detach() {
  if (!window_) return;
  StopSizing();
  SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
  RemovePropA(window_, kPropertyName);
  if (!hadThickFrame_) {
    SetWindowLongPtrA(window_, GWL_STYLE,
                      GetWindowLongPtrA(window_, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_THICKFRAME));
  }
  window_ = nullptr;
}

LRESULT CALLBACK CResizeCtrl::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = static_cast<CResizeCtrl*>(GetPropA(window, kPropertyName));
  return self ? self->Handle(message, wParam, lParam) : DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CResizeCtrl::Previous(UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcA(previous_, window_, message, wParam, lParam);
}

LRESULT CResizeCtrl::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE: {
      const LRESULT result = Previous(message, wParam, lParam);
      if (wParam != SIZE_MINIMIZED) Resized(LOWORD(lParam), HIWORD(lParam));
      return result;
    }
    case WM_GETMINMAXINFO: {
      Previous(message, wParam, lParam);
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      const TrackingSize size = layout_.Track(
          {info->ptMinTrackSize.x, info->ptMinTrackSize.y, info->ptMaxTrackSize.x, info->ptMaxTrackSize.y});
      info->ptMinTrackSize = {size.minWidth, size.minHeight};
      info->ptMaxTrackSize = {size.maxWidth, size.maxHeight};
      return 0;
    }
    case WM_PAINT: {
      const LRESULT result = Previous(message, wParam, lParam);
      PaintGripper();
      return result;
    }
    case WM_NCHITTEST:
      return InGripper(lParam) ? HTBOTTOMRIGHT : Previous(message, wParam, lParam);
    case WM_LBUTTONDOWN:
      return StartSizing(lParam) ? 0 : Previous(message, wParam, lParam);
    case WM_MOUSEMOVE:
      if (sizingBorder_ == 0) break;
      SizeTo(lParam);
      return 0;
    case WM_LBUTTONUP:
      if (sizingBorder_ == 0) break;
      StopSizing();
      return 0;
    case WM_DESTROY:
    case WM_NCDESTROY: {
      const HWND window = window_;
      const WNDPROC previous = previous_;
      Detach();
      return CallWindowProcA(previous, window, message, wParam, lParam);
    }
    default:
      break;
  }
  return Previous(message, wParam, lParam);
}

void CResizeCtrl::Resized(int width, int height) {
  const RECT before = GripperRect(layout_.clientWidth(), layout_.clientHeight());
  InvalidateRect(window_, &before, TRUE);
  layout_.Resize(
      width, height, [this](int control) { return BoxOf(control); },
      [this](const std::vector<ResizeLayout::Placement>& placements) { Place(placements); });
  const RECT after = GripperRect();
  InvalidateRect(window_, &after, TRUE);
}

void CResizeCtrl::Place(const std::vector<ResizeLayout::Placement>& placements) {
  HDWP batch = BeginDeferWindowPos(static_cast<int>(placements.size()));
  for (const ResizeLayout::Placement& placement : placements) {
    const ControlBox& box = placement.box;
    if (batch) {
      batch = DeferWindowPos(batch, controls_[placement.id], nullptr, box.x, box.y, box.width, box.height,
                             SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
    }
  }
  if (batch) EndDeferWindowPos(batch);
}

ControlBox CResizeCtrl::BoxOf(int control) const {
  RECT rect = WindowRect(controls_[control]);
  MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&rect), 2);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

RECT CResizeCtrl::GripperRect() const {
  const RECT client = ClientRect(window_);
  return GripperRect(client.right, client.bottom);
}

RECT CResizeCtrl::GripperRect(int clientWidth, int clientHeight) {
  return {clientWidth - GetSystemMetrics(SM_CXVSCROLL), clientHeight - GetSystemMetrics(SM_CYHSCROLL), clientWidth,
          clientHeight};
}

void CResizeCtrl::PaintGripper() {
  if (!gripper_) return;
  RECT grip = GripperRect();
  HDC dc = GetDC(window_);
  DrawFrameControl(dc, &grip, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
  ReleaseDC(window_, dc);
}

bool CResizeCtrl::InGripper(LPARAM screenPoint) const {
  if (!gripper_) return false;
  POINT point{GET_X_LPARAM(screenPoint), GET_Y_LPARAM(screenPoint)};
  ScreenToClient(window_, &point);
  const RECT grip = GripperRect();
  return PtInRect(&grip, point) != FALSE;
}

bool CResizeCtrl::StartSizing(LPARAM clientPoint) {
  if (hadThickFrame_) return false;
  const POINT cursor = ScreenPoint(window_, clientPoint);
  const LRESULT border = SendMessageA(window_, WM_NCHITTEST, 0, MAKELPARAM(cursor.x, cursor.y));
  if (border < HTLEFT || border > HTBOTTOMRIGHT) return false;
  const RECT outer = WindowRect(window_);
  sizingBorder_ = border;
  sizingOffset_ = {(MovesLeft(border) ? outer.left : outer.right) - cursor.x,
                   (MovesTop(border) ? outer.top : outer.bottom) - cursor.y};
  SetCapture(window_);
  return true;
}

void CResizeCtrl::SizeTo(LPARAM clientPoint) {
  const POINT cursor = ScreenPoint(window_, clientPoint);
  const RECT before = WindowRect(window_);
  RECT after = before;
  const LONG x = cursor.x + sizingOffset_.x, y = cursor.y + sizingOffset_.y;
  if (MovesLeft(sizingBorder_)) after.left = x;
  if (MovesRight(sizingBorder_)) after.right = x;
  if (MovesTop(sizingBorder_)) after.top = y;
  if (MovesBottom(sizingBorder_)) after.bottom = y;
  if (EqualRect(&before, &after)) return;
  SetWindowPos(window_, nullptr, after.left, after.top, after.right - after.left, after.bottom - after.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void CResizeCtrl::StopSizing() {
  if (sizingBorder_ == 0) return;
  sizingBorder_ = 0;
  ReleaseCapture();
}

}  // namespace trellisk::ui
