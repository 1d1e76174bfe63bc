// ResizeLayout is the arithmetic of a resizable window's layout: each
// control takes shares, in parts per whole, of every change of the
// window's client size for its left edge, top edge, width and height. The
// integer remainder of each share is carried into the next change, so that
// rounding never drifts; a width or height that would become negative is
// 0 instead, with the deficit carried too. It also keeps the window's
// minimum and maximum tracking size. Both front ends lay out the editor
// window with it (the Windows one inside CResizeCtrl).
//
// Thread-safety: one layout per window, used on the window's thread.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace trellisk::ui {

struct LayoutShares {
  int left = 0, top = 0, width = 0, height = 0;
};

// A control's place in client coordinates.
struct ControlBox {
  int32_t x = 0, y = 0, width = 0, height = 0;
  bool operator==(const ControlBox&) const = default;
};

// Tracking sizes of a window; -1 where not known yet.
struct TrackingSize {
  int32_t minWidth = -1, minHeight = -1, maxWidth = -1, maxHeight = -1;
  bool operator==(const TrackingSize&) const = default;
};

class ResizeLayout {
 public:
  struct Placement {
    int id;
    ControlBox box;
  };
  using CurrentBox = std::function<ControlBox(int id)>;
  using Apply = std::function<void(const std::vector<Placement>&)>;

  explicit ResizeLayout(int partsPerWhole = 100) : parts_(partsPerWhole) {}

  // Adds a control; false (and skipped) when a share exceeds the parts per
  // whole or is negative.
  bool Add(int id, LayoutShares shares);
  // Records the client size the controls are laid out for now.
  void Start(int32_t clientWidth, int32_t clientHeight);
  // The client size became `width` x `height`: hands `apply` the new boxes
  // of the controls that move, worked out from their present boxes, in one
  // batch, then records the new size. A change that arrives while `apply`
  // runs is ignored.
  void Resize(int32_t width, int32_t height, const CurrentBox& current, const Apply& apply);

  void SetMinimumTrackingSize(int32_t width, int32_t height);
  // A size query with the system's `proposed` sizes: the first query takes
  // every value not yet known from it; the stored values are returned to
  // be imposed.
  TrackingSize Track(const TrackingSize& proposed);

  int32_t clientWidth() const { return clientWidth_; }
  int32_t clientHeight() const { return clientHeight_; }

 private:
  struct Control {
    int id;
    LayoutShares shares;
    // Remainders of left, top, width and height, in parts.
    int64_t left = 0, top = 0, width = 0, height = 0;
  };

  // The whole pixels of `share` x `delta` plus the carried remainder.
  int32_t Step(int share, int32_t delta, int64_t& remainder) const;
  // Step for a size, which never goes below 0.
  int32_t Grow(int32_t size, int share, int32_t delta, int64_t& remainder) const;

  int parts_;
  std::vector<Control> controls_;
  int32_t clientWidth_ = 0, clientHeight_ = 0;
  TrackingSize tracking_;
  bool resizing_ = false;
};

}  // namespace trellisk::ui
