// TPrintout: the default answers of a one-page printout.
#include "winlib/printout.h"

TPrintout::TPrintout(const char* title) : title_(title ? title : "") {}
TPrintout::~TPrintout() = default;

void TPrintout::SetPrintParams(TPrintDC* dc, TSize pageSize) {
  DC = dc;
  PageSize = pageSize;
}

void TPrintout::GetDialogInfo(int& minPage, int& maxPage, int& selFromPage, int& selToPage) {
  minPage = 1;
  maxPage = GetPageCount();
  selFromPage = minPage;
  selToPage = maxPage;
}

bool TPrintout::HasPage(int page) { return page == 1; }

int TPrintout::GetPageCount() {
  int pages = 0;
  while (pages < 0xFFFF && HasPage(pages + 1)) ++pages;
  return pages;
}

void TPrintout::BeginDocument(int, int, uint) {}
