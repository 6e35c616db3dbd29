// TPrintout: what a print job prints. The printer calls, in order: SetPrintParams (the
// printer DC and the page size in device pixels), GetDialogInfo (before the print dialog),
// BeginPrinting, BeginDocument, then for each page that HasPage: PrintPage once per band
// (the whole page when the device does not band), EndDocument, EndPrinting.
#pragma once

#include <string>

#include "geometry.h"

class TPrintDC;

class OVGUI1_API TPrintout {
 public:
  explicit TPrintout(const char* title);
  virtual ~TPrintout();
  TPrintout(const TPrintout&) = delete;
  TPrintout& operator=(const TPrintout&) = delete;

  const char* GetTitle() const { return title_.c_str(); }
  bool WantBanding() const { return Banding; }
  void SetBanding(bool banding) { Banding = banding; }

  virtual void SetPrintParams(TPrintDC* dc, TSize pageSize);
  // The page range the print dialog offers; all zero offers none.
  virtual void GetDialogInfo(int& minPage, int& maxPage, int& selFromPage, int& selToPage);
  // Pages are numbered from 1; the default printout has one page.
  virtual bool HasPage(int page);
  virtual int GetPageCount();  // the pages HasPage admits from 1 on
  virtual void BeginPrinting() {}
  virtual void BeginDocument(int startPage, int endPage, uint flags);
  virtual void PrintPage(int page, TRect& band, uint flags) = 0;
  virtual void EndDocument() {}
  virtual void EndPrinting() {}

  TPrintDC* GetPrintDC() const { return DC; }
  TSize GetPageSize() const { return PageSize; }

 protected:
  TPrintDC* DC = nullptr;  // valid between SetPrintParams and the end of the job
  TSize PageSize;
  bool Banding = false;

 private:
  std::string title_;
};
