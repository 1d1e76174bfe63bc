// CellLayout maps the controls of a dialog template, placed in dialog
// units, onto terminal cells: nominally 4 units a column and 8 a row,
// scaled down when the area is smaller than the dialog. Controls whose
// tops lie within a few units of each other form one row; rows are placed
// in order with every row below the rows above it and their controls'
// heights, so no two rows ever share a line. Inside a row, a control that
// needs more cells than its nominal width (a label, a check box) widens
// and pushes the controls to its right; what passes the right edge is
// cut. Flexible controls (text areas, the tab control) shrink to a few
// rows when space is short and stretch to their nominal bottom otherwise.
// A pure function; thread-safe.
#pragma once

#include <span>
#include <vector>

namespace trellisk::ui::terminal {

struct LayoutItem {
  // The control in dialog units.
  int x = 0, y = 0, width = 0, height = 0;
  // Cells its content needs across (0: its nominal width is enough).
  int needWidth = 0;
  // Rows it needs; for a flexible control the fewest it can do with.
  int rows = 1;
  bool flexible = false;
};

// A place on the terminal, relative to the area laid out.
struct CellBox {
  int row = 0, column = 0, height = 0, width = 0;
  bool Contains(int atRow, int atColumn) const {
    return atRow >= row && atRow < row + height && atColumn >= column && atColumn < column + width;
  }
  bool operator==(const CellBox&) const = default;
};

// The boxes of `items` (in their order) in an area of `rows` x `columns`
// cells for a dialog `dialogWidth` units wide. A control that does not
// fit at all gets a box of no width.
std::vector<CellBox> LayoutCells(std::span<const LayoutItem> items, int dialogWidth, int rows, int columns);

}  // namespace trellisk::ui::terminal
