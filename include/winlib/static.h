// TStatic: a static text control; TEdit: an edit control (single or multi-line) with a
// text limit and an optional validator; TGroupBox: a group frame.
#pragma once

#include <string>

#include "control.h"

class TValidator;

class OVGUI1_API TStatic : public TControl {
 public:
  TStatic(TWindow* parent, int id, const char* title, int x, int y, int w, int h, uint textLimit = 0,
          TModule* module = nullptr);
  TStatic(TWindow* parent, int resourceId, uint textLimit = 0, TModule* module = nullptr);

  const char* GetClassName() override;
  uint Transfer(void* buffer, TTransferDirection direction) override;  // TextLimit chars
  virtual void Clear();
  std::string GetText() const { return GetWindowText(); }
  void SetText(const char* text) { SetWindowText(text); }

  uint TextLimit;  // buffer size for Transfer, terminator included; 0: no limit

 protected:
  TStatic();
};

class OVGUI1_API TEdit : public TStatic {
 public:
  TEdit(TWindow* parent, int id, const char* text, int x, int y, int w, int h, uint textLimit = 0,
        bool multiline = false, TModule* module = nullptr);
  TEdit(TWindow* parent, int resourceId, uint textLimit = 0, TModule* module = nullptr);
  ~TEdit() override;

  const char* GetClassName() override;
  void SetupWindow() override;  // applies TextLimit
  void Clear() override;
  uint Transfer(void* buffer, TTransferDirection direction) override;
  bool CanClose() override;  // asks the validator

  void GetSelection(uint& start, uint& end) const;
  void SetSelection(uint start, uint end);
  void Insert(const char* text);  // replaces the selection
  void SetReadOnly(bool readOnly);
  bool IsModified() const;
  void ClearModify();
  int GetNumLines() const;
  int GetLineIndex(int line) const;       // EM_LINEINDEX
  int GetLineFromPos(int charPos) const;  // EM_LINEFROMCHAR
  std::string GetLine(int line) const;
  void SetTextLimit(uint limit);

  void SetValidator(TValidator* validator);  // takes ownership
  TValidator* GetValidator() const { return validator_; }
  bool IsValid(bool reportErr = false);

 private:
  TValidator* validator_ = nullptr;
};

class OVGUI1_API TGroupBox : public TControl {
 public:
  TGroupBox(TWindow* parent, int id, const char* text, int x, int y, int w, int h, TModule* module = nullptr);
  TGroupBox(TWindow* parent, int resourceId, TModule* module = nullptr);
  const char* GetClassName() override;
};
