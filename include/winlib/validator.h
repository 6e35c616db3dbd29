// TValidator: checks and transfers the text of an edit control. The base accepts
// everything; derived validators override IsValid/IsValidInput and Error.
#pragma once

#include <cstdint>

#include "defs.h"

class TWindow;

enum TTransferDirection { tdGetData, tdSetData, tdSizeData };

class OVGUI1_API TValidator {
 public:
  enum {
    voFill = 0x1,
    voTransfer = 0x2,  // Transfer moves data for the edit control
    voOnAppend = 0x4,
    voReserved = 0xFFF8,
  };
  TValidator() = default;
  virtual ~TValidator();

  virtual void Error(TWindow* owner);
  virtual bool IsValidInput(char* input, bool suppressFill);
  virtual bool IsValid(const char* input);
  // Moves data between text and buffer; answers the bytes used (0: not handled).
  virtual uint Transfer(char* text, void* buffer, TTransferDirection direction);
  // Validates and reports: answers IsValid(input), calling Error when it fails.
  bool Valid(const char* input, TWindow* owner = nullptr);

  bool HasOption(int option) const { return (Options & option) != 0; }
  void SetOption(int option) { Options |= uint16_t(option); }
  void UnsetOption(int option) { Options &= uint16_t(~option); }

  uint16_t Options = 0;
};
