// TLayoutWindow: solving the children's layout metrics on every size change.
#include "winlib/layoutwindow.h"

#include <cstdio>

#include "winlib/except.h"

DEFINE_RESPONSE_TABLE1(TLayoutWindow, TWindow)
EV_WM_SIZE, END_RESPONSE_TABLE;

namespace {

enum TAxis { AxisX, AxisY };
// Where a constraint puts its value on its axis.
enum TPart { PartLow, PartHigh, PartMid, PartSize, PartNone };

TPart PartOf(int edge, TAxis axis) {
  switch (edge) {
    case lmLeft:
      return axis == AxisX ? PartLow : PartNone;
    case lmRight:
      return axis == AxisX ? PartHigh : PartNone;
    case lmTop:
      return axis == AxisY ? PartLow : PartNone;
    case lmBottom:
      return axis == AxisY ? PartHigh : PartNone;
    case lmCenter:
      return PartMid;
    case lmWidth:
      return axis == AxisX ? PartSize : PartNone;
    case lmHeight:
      return axis == AxisY ? PartSize : PartNone;
  }
  return PartNone;
}

// The axis of another window's edge (a centre is on the asking constraint's axis).
TAxis AxisOf(int edge, TAxis own) {
  switch (edge) {
    case lmLeft:
    case lmRight:
    case lmWidth:
      return AxisX;
    case lmTop:
    case lmBottom:
    case lmHeight:
      return AxisY;
  }
  return own;
}

int EdgeValue(const TRect& r, int edge, TAxis axis) {
  switch (edge) {
    case lmLeft:
      return r.left;
    case lmTop:
      return r.top;
    case lmRight:
      return r.right;
    case lmBottom:
      return r.bottom;
    case lmCenter:
      return axis == AxisX ? (r.left + r.right) / 2 : (r.top + r.bottom) / 2;
    case lmWidth:
      return r.Width();
    case lmHeight:
      return r.Height();
  }
  return 0;
}

int ToPixels(const TLayoutConstraint& c, TAxis axis) {
  if (c.Units == lmPixels) return c.Value;
  LONG base = ::GetDialogBaseUnits();
  return axis == AxisX ? MulDiv(c.Value, LOWORD(base), 4) : MulDiv(c.Value, HIWORD(base), 8);
}

}  // namespace

TLayoutWindow::TLayoutWindow() = default;

TLayoutWindow::TLayoutWindow(TWindow* parent, const char* title, TModule* module) {
  TWindow::Init(parent, title, module);
}

TLayoutWindow::~TLayoutWindow() = default;

bool TLayoutWindow::IsMyChild(const TWindow* w) const {
  if (!w) return false;
  if (TWindow* c = GetFirstChild()) {
    do {
      if (c == w) return true;
      c = c->Next();
    } while (c != GetFirstChild());
  }
  return false;
}

TLayoutWindow::Entry* TLayoutWindow::FindEntry(const TWindow* child) {
  for (Entry& e : entries_)
    if (e.child == child) return &e;
  return nullptr;
}

const TLayoutWindow::Entry* TLayoutWindow::FindEntry(const TWindow* child) const {
  for (const Entry& e : entries_)
    if (e.child == child) return &e;
  return nullptr;
}

void TLayoutWindow::SetChildLayoutMetrics(TWindow& child, const TLayoutMetrics& metrics) {
  if (!IsMyChild(&child)) throw TXOwl(IDS_WLNOTLAYOUTCHILD);
  if (Entry* e = FindEntry(&child)) {
    e->metrics = metrics;
    return;
  }
  entries_.push_back(Entry{&child, metrics, TRect(), false, false});
}

bool TLayoutWindow::GetChildLayoutMetrics(const TWindow& child, TLayoutMetrics& metrics) const {
  const Entry* e = FindEntry(&child);
  if (!e) return false;
  metrics = e->metrics;
  return true;
}

bool TLayoutWindow::RemoveChildLayoutMetrics(const TWindow& child) {
  for (auto it = entries_.begin(); it != entries_.end(); ++it)
    if (it->child == &child) {
      entries_.erase(it);
      return true;
    }
  return false;
}

bool TLayoutWindow::GetChildRect(const TWindow& child, TRect& rect) const {
  const Entry* e = FindEntry(&child);
  if (!e) return false;
  rect = e->rect;
  return true;
}

TRect TLayoutWindow::CurrentRect(const TWindow& child) const {
  if (child.HWindow && HWindow) {
    TRect r = child.GetWindowRect();
    ::MapWindowPoints(nullptr, HWindow, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  return TRect(child.Attr.X, child.Attr.Y, child.Attr.X + child.Attr.W, child.Attr.Y + child.Attr.H);
}

void TLayoutWindow::Unsolvable() const {
  char text[512];
  std::snprintf(text, sizeof text, TXOwl::ResourceIdToString(IDS_WLLAYOUTUNSOLVABLE).c_str(),
                Title ? Title : "");
  throw TXOwl(text, IDS_WLLAYOUTUNSOLVABLE);
}

void TLayoutWindow::Layout() {
  // Children that left this window (or were deleted) take their metrics with them.
  for (size_t i = entries_.size(); i-- > 0;)
    if (!IsMyChild(entries_[i].child)) entries_.erase(entries_.begin() + long(i));

  TRect client = HWindow ? GetClientRect() : TRect(0, 0, Attr.W, Attr.H);
  for (Entry& e : entries_) e.solvedX = e.solvedY = false;

  // The other window's rectangle for a constraint, or false when it is not known yet.
  auto other = [&](const TLayoutConstraint& c, TAxis axis, TRect& r) {
    if (c.RelWin == lmParent || c.RelWin == this) {
      r = client;
      return true;
    }
    if (const Entry* o = FindEntry(c.RelWin)) {
      TAxis needed = AxisOf(c.OtherEdge, axis);
      if (!(needed == AxisX ? o->solvedX : o->solvedY)) return false;
      r = o->rect;
      return true;
    }
    if (!IsMyChild(c.RelWin)) Unsolvable();
    r = CurrentRect(*c.RelWin);
    return true;
  };
  // The value a constraint gives, or false when it waits for another window.
  auto value = [&](const Entry& e, const TLayoutConstraint& c, TAxis axis, int& v) {
    if (c.Relationship == lmAsIs) {
      v = EdgeValue(CurrentRect(*e.child), c.MyEdge, axis);
      return true;
    }
    if (c.Relationship == lmAbsolute) {
      v = ToPixels(c, axis);
      return true;
    }
    TRect r;
    if (!other(c, axis, r)) return false;
    int base = EdgeValue(r, c.OtherEdge, AxisOf(c.OtherEdge, axis));
    switch (c.Relationship) {
      case lmPercentOf:
        v = int(static_cast<long long>(base) * c.Value / 100);
        break;
      case lmSameAs:
        v = base + ToPixels(c, axis);
        break;
      case lmRightOf:  // and lmBelow
        v = base + ToPixels(c, axis);
        break;
      case lmLeftOf:  // and lmAbove
        v = base - ToPixels(c, axis);
        break;
      default:
        Unsolvable();
    }
    return true;
  };
  auto solveAxis = [&](Entry& e, TAxis axis) {
    const TLayoutConstraint& edge = axis == AxisX ? e.metrics.X : e.metrics.Y;
    const TLayoutConstraint& size = axis == AxisX ? e.metrics.Width : e.metrics.Height;
    TPart p1 = PartOf(edge.MyEdge, axis), p2 = PartOf(size.MyEdge, axis);
    if (p1 == PartNone || p2 == PartNone || p1 == p2 || p1 == PartSize) Unsolvable();
    int v1, v2;
    if (!value(e, edge, axis, v1) || !value(e, size, axis, v2)) return false;
    int lo = 0, len = 0;
    auto pair = [&](TPart a, int va, TPart b, int vb) {
      if (a == PartLow && b == PartSize)
        lo = va, len = vb;
      else if (a == PartHigh && b == PartSize)
        lo = va - vb, len = vb;
      else if (a == PartMid && b == PartSize)
        lo = va - vb / 2, len = vb;
      else if (a == PartLow && b == PartHigh)
        lo = va, len = vb - va;
      else if (a == PartLow && b == PartMid)
        lo = va, len = 2 * (vb - va);
      else if (a == PartMid && b == PartHigh)
        lo = 2 * va - vb, len = vb - lo;
      else
        return false;
      return true;
    };
    if (!pair(p1, v1, p2, v2) && !pair(p2, v2, p1, v1)) Unsolvable();
    if (len < 0) len = 0;
    if (axis == AxisX) {
      e.rect.left = lo;
      e.rect.right = lo + len;
      e.solvedX = true;
    } else {
      e.rect.top = lo;
      e.rect.bottom = lo + len;
      e.solvedY = true;
    }
    return true;
  };

  // Each pass solves at least one axis of one child, or the rest wait on each other.
  size_t left = entries_.size() * 2;
  while (left > 0) {
    size_t before = left;
    for (Entry& e : entries_) {
      if (!e.solvedX && solveAxis(e, AxisX)) --left;
      if (!e.solvedY && solveAxis(e, AxisY)) --left;
    }
    if (left == before) Unsolvable();
  }

  for (Entry& e : entries_) {
    TWindow& w = *e.child;
    if (w.HWindow) {
      if (CurrentRect(w) != e.rect) w.MoveWindow(e.rect, true);
    } else {
      w.Attr.X = e.rect.left;
      w.Attr.Y = e.rect.top;
      w.Attr.W = e.rect.Width();
      w.Attr.H = e.rect.Height();
    }
  }
}

void TLayoutWindow::SetupWindow() {
  TWindow::SetupWindow();
  Layout();
}

void TLayoutWindow::EvSize(uint sizeType, TSize& size) {
  TWindow::EvSize(sizeType, size);
  if (sizeType != SIZE_MINIMIZED && HWindow) Layout();
}
