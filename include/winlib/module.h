// TModule: an executable or DLL instance and its resources.
#pragma once

#include <string>

#include "defs.h"

class xmsg;

class OVGUI1_API TModule {
 public:
  // name may be null (the module's file name is then used as its name).
  TModule(const char* name, HINSTANCE instance);
  virtual ~TModule();
  TModule(const TModule&) = delete;
  TModule& operator=(const TModule&) = delete;

  HINSTANCE GetInstance() const { return instance_; }
  operator HINSTANCE() const { return instance_; }
  const std::string& GetName() const { return name_; }
  void SetName(const char* name);

  // Resources; a string not found here is looked up in ovgui1.dll.
  std::string LoadString(uint id) const;
  int LoadString(uint id, char* buffer, int size) const;
  HICON LoadIcon(const char* name) const;
  HCURSOR LoadCursor(const char* name) const;
  HBITMAP LoadBitmap(const char* name) const;
  HMENU LoadMenu(const char* name) const;
  HACCEL LoadAccelerators(const char* name) const;
  HRSRC FindResource(const char* name, const char* type) const;

  // Shows x in a box whose caption is string captionResId (or the module name when 0)
  // and, when promptResId is non-zero, asks the question in that string with Yes/No.
  // Answers 0 to go on (Yes, or OK without a prompt), -1 to stop.
  virtual int Error(const xmsg& x, uint captionResId, uint promptResId = 0);

 private:
  std::string name_;
  HINSTANCE instance_;
};

// The module object of ovgui1.dll itself (for its own resources).
OVGUI1_API TModule* GetWinLibModule();
