// TOpenSaveDialog and its two dialogs, TFileOpenDialog and TFileSaveDialog, over the
// system's file dialogs.
//
// Filters have two forms. The system takes pairs of description and pattern, each ended
// by a NUL, the list ended by another NUL ("Text (*.txt)\0*.txt\0\0"). Programs write and
// read the text form, the same pairs separated by '|' ("Text (*.txt)|*.txt"); a trailing
// '|' is allowed. TData keeps the system's form; SetFilter and the constructor take the
// text form, FilterFormat gives either.
#pragma once

#include <cstdint>
#include <string>

#include "commdial.h"

class OVGUI1_API TOpenSaveDialog : public TCommonDialog {
 public:
  enum TFilterForm {
    ffSystem = 0,  // NUL-separated pairs, ended by two NULs
    ffText = 1,    // '|'-separated pairs
  };
  enum { MaxPath = 260 };

  class OVGUI1_API TData {
   public:
    TData(uint32_t flags = 0, const char* filter = nullptr, char* customFilter = nullptr,
          const char* initialDir = nullptr, const char* defExt = nullptr);
    ~TData();
    TData(const TData& other);
    TData& operator=(const TData& other);

    uint32_t Flags;          // OFN_* bits; the dialog adds OFN_EXTENSIONDIFFERENT and others
    uint32_t Error = 0;      // CDERR_* or FNERR_* of the last run
    char* FileName;          // MaxPath characters, owned
    char* Filter = nullptr;  // system form, owned; null: no filter
    char* CustomFilter;      // caller's buffer of at least 40 characters, not owned
    int32_t FilterIndex = 0;
    char* InitialDir = nullptr;  // owned
    char* DefExt = nullptr;      // owned

    // Takes the text form. A text with an odd number of parts or an empty part is
    // refused: the record then has no filter and the call answers false.
    bool SetFilter(const char* filter);
    // The filter in the given form; "" when there is none.
    std::string FilterFormat(int form) const;
    // Copies at most MaxPath - 1 characters; null empties the name.
    void SetFileName(const char* name);
    void SetInitialDir(const char* dir);
    void SetDefExt(const char* ext);
  };

  TOpenSaveDialog(TWindow* parent, TData& data, int resId = 0, const char* title = nullptr,
                  TModule* module = nullptr);

 protected:
  // Fills ofn for one run (file name in nameBuffer, MaxPath characters).
  void InitOfn(OPENFILENAMEA& ofn, char* nameBuffer);
  int Run(BOOL(WINAPI* api)(LPOPENFILENAMEA));

  TData& Data;
  int resId_;
};

class OVGUI1_API TFileOpenDialog : public TOpenSaveDialog {
 public:
  TFileOpenDialog(TWindow* parent, TData& data, int resId = 0, const char* title = nullptr,
                  TModule* module = nullptr);

 protected:
  int DoExecute() override;
};

class OVGUI1_API TFileSaveDialog : public TOpenSaveDialog {
 public:
  TFileSaveDialog(TWindow* parent, TData& data, int resId = 0, const char* title = nullptr,
                  TModule* module = nullptr);

 protected:
  int DoExecute() override;
};
