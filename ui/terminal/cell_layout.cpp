#include "ui/terminal/cell_layout.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace trellisk::ui::terminal {
namespace {

constexpr double kUnitsPerColumn = 4;
constexpr double kUnitsPerRow = 8;
// Tops closer than this (in units) share a row: a label sits a little
// lower than the field beside it.
constexpr int kSameRowUnits = 6;

struct Band {
  int top = 0;      // in units
  int rows = 1;     // the most any of its controls needs
  std::vector<size_t> items;
};

std::vector<Band> Bands(std::span<const LayoutItem> items) {
  std::vector<size_t> order(items.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return items[a].y < items[b].y; });
  std::vector<Band> bands;
  for (size_t index : order) {
    const LayoutItem& item = items[index];
    if (bands.empty() || item.y >= bands.back().top + kSameRowUnits) bands.push_back(Band{item.y, 1, {}});
    bands.back().items.push_back(index);
    bands.back().rows = std::max(bands.back().rows, std::max(item.rows, 1));
  }
  return bands;
}

// The first row of each band at `scale`: its nominal row scaled, but never
// before the end of the band above.
std::vector<int> BandRows(const std::vector<Band>& bands, double scale) {
  std::vector<int> rows;
  for (size_t i = 0; i < bands.size(); ++i) {
    int row = static_cast<int>(std::lround(bands[i].top / kUnitsPerRow * scale));
    if (i > 0) row = std::max(row, rows[i - 1] + bands[i - 1].rows);
    rows.push_back(row);
  }
  return rows;
}

// The largest scale (in steps) at which the bands fit in `rows`; packed
// (scale 0) when none does.
double FittingScale(const std::vector<Band>& bands, int rows) {
  for (double scale = 1; scale > 0; scale -= 0.05) {
    const std::vector<int> at = BandRows(bands, scale);
    if (at.empty() || at.back() + bands.back().rows <= rows) return scale;
  }
  return 0;
}

// A flexible control reaches down to its nominal bottom, never into the
// next band nor past the area.
int FlexibleHeight(const LayoutItem& item, int row, int limit, double scale) {
  const int bottom = static_cast<int>(std::lround((item.y + item.height) / kUnitsPerRow * scale));
  return std::max(item.rows, std::min(bottom, limit) - row);
}

void PlaceColumns(std::span<const LayoutItem> items, const Band& band, double scale, int columns,
                  std::vector<CellBox>& boxes) {
  std::vector<size_t> order = band.items;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return items[a].x < items[b].x; });
  int end = -1;
  for (size_t index : order) {
    const LayoutItem& item = items[index];
    CellBox& box = boxes[index];
    box.column = static_cast<int>(std::lround(item.x / kUnitsPerColumn * scale));
    box.width = std::max(1, static_cast<int>(std::lround(item.width / kUnitsPerColumn * scale)));
    box.width = std::max(box.width, item.needWidth);
    if (end >= 0) box.column = std::max(box.column, end + 1);
    box.column = std::min(box.column, columns);
    box.width = std::clamp(box.width, 0, columns - box.column);
    end = box.column + box.width;
  }
}

}  // namespace

std::vector<CellBox> LayoutCells(std::span<const LayoutItem> items, int dialogWidth, int rows, int columns) {
  std::vector<CellBox> boxes(items.size());
  const std::vector<Band> bands = Bands(items);
  const double rowScale = FittingScale(bands, rows);
  const std::vector<int> bandRows = BandRows(bands, rowScale);
  const double columnScale = std::min(1.0, columns / std::max(1.0, dialogWidth / kUnitsPerColumn));
  for (size_t i = 0; i < bands.size(); ++i) {
    const int limit = i + 1 < bands.size() ? bandRows[i + 1] : rows;
    for (size_t index : bands[i].items) {
      const LayoutItem& item = items[index];
      boxes[index].row = bandRows[i];
      boxes[index].height =
          item.flexible ? FlexibleHeight(item, bandRows[i], limit, rowScale) : std::max(item.rows, 1);
    }
    PlaceColumns(items, bands[i], columnScale, columns, boxes);
  }
  return boxes;
}

}  // namespace trellisk::ui::terminal
