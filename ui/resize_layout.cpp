#include "ui/resize_layout.h"

namespace trellisk::ui {

bool ResizeLayout::Add(int id, LayoutShares shares) {
  for (int share : {shares.left, shares.top, shares.width, shares.height}) {
    if (share < 0 || share > parts_) return false;
  }
  controls_.push_back(Control{id, shares});
  return true;
}

void ResizeLayout::Start(int32_t clientWidth, int32_t clientHeight) {
  clientWidth_ = clientWidth;
  clientHeight_ = clientHeight;
}

int32_t ResizeLayout::Step(int share, int32_t delta, int64_t& remainder) const {
  const int64_t total = static_cast<int64_t>(share) * delta + remainder;
  remainder = total % parts_;
  return static_cast<int32_t>(total / parts_);
}

int32_t ResizeLayout::Grow(int32_t size, int share, int32_t delta, int64_t& remainder) const {
  const int32_t grown = size + Step(share, delta, remainder);
  if (grown >= 0) return grown;
  remainder += static_cast<int64_t>(grown) * parts_;
  return 0;
}

void ResizeLayout::Resize(int32_t width, int32_t height, const CurrentBox& current, const Apply& apply) {
  if (resizing_) return;
  resizing_ = true;
  const int32_t dx = width - clientWidth_;
  const int32_t dy = height - clientHeight_;
  std::vector<Placement> moves;
  for (Control& control : controls_) {
    const ControlBox before = current(control.id);
    ControlBox after = before;
    after.x += Step(control.shares.left, dx, control.left);
    after.y += Step(control.shares.top, dy, control.top);
    after.width = Grow(before.width, control.shares.width, dx, control.width);
    after.height = Grow(before.height, control.shares.height, dy, control.height);
    if (after != before) moves.push_back(Placement{control.id, after});
  }
  if (!moves.empty()) apply(moves);
  clientWidth_ = width;
  clientHeight_ = height;
  resizing_ = false;
}

void ResizeLayout::SetMinimumTrackingSize(int32_t width, int32_t height) {
  tracking_.minWidth = width;
  tracking_.minHeight = height;
}

TrackingSize ResizeLayout::Track(const TrackingSize& proposed) {
  for (auto member : {&TrackingSize::minWidth, &TrackingSize::minHeight, &TrackingSize::maxWidth,
                      &TrackingSize::maxHeight}) {
    if (tracking_.*member == -1) tracking_.*member = proposed.*member;
  }
  return tracking_;
}

}  // namespace trellisk::ui
