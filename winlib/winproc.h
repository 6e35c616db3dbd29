// Internals shared by the window sources: the property that links a handle to its
// object, and the object being created (claimed by the first message of its window).
#pragma once

#include "winlib/window.h"

extern const char WlPropName[];

TWindow* WlClaimCreating();  // the object being created, once

class WlCreatingScope {
 public:
  explicit WlCreatingScope(TWindow* window);
  ~WlCreatingScope();

 private:
  TWindow* previous_;
};
