// TDropInfo: the files dropped on a window (WM_DROPFILES), a thin view of the HDROP.
#pragma once

#include <string>

#include <windows.h>
#include <shellapi.h>

#include "eventhandler.h"

class OVGUI1_API TDropInfo {
 public:
  explicit TDropInfo(HDROP handle) : handle_(handle) {}
  operator HDROP() const { return handle_; }

  uint DragQueryFileCount() const;
  std::string DragQueryFile(uint index) const;
  bool DragQueryPoint(TPoint& point) const;  // true when dropped in the client area
  void DragFinish();

 private:
  HDROP handle_;
};

template <class T, auto F>
LRESULT wl_dispatch::DropFiles(void* o, WPARAM w, LPARAM) {
  (Obj<T>(o)->*F)(TDropInfo(HDROP(w)));
  return 0;
}
