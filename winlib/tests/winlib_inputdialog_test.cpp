// The input dialog under Wine: a text typed or pasted beyond the buffer's size is cut to
// it, and the bytes after the buffer stay untouched.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "testkit/testkit.h"
#include "winlib/applicat.h"
#include "winlib/dialog.h"

namespace {

struct TGuarded {
  char buffer[16];
  char guard[16];
};

}  // namespace

TEST(InputDialog, OverLongTextIsCutToTheBufferSize) {
  TApplication app("InputDialogTest");
  const std::string alphabet = "abcdefghijklmnopqrstuvwxyz0123456789";
  const struct {
    const char* name;
    bool typed;  // keys one by one, or the whole text set at once (as a paste would)
  } cases[] = {{"typed", true}, {"set at once", false}};
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    TGuarded g;
    std::memset(&g, '#', sizeof g);
    g.buffer[0] = 0;
    std::string seen;
    testkit::BoxAnswerer answerer;
    answerer.Script(IDOK, [&](HWND box) {
      HWND edit = GetDlgItem(box, TInputDialog::IdEdit);
      if (c.typed) {
        SetFocus(edit);
        for (char ch : alphabet) SendMessageA(edit, WM_CHAR, WPARAM((unsigned char)ch), 1);
      } else {
        testkit::SetItemText(box, TInputDialog::IdEdit, alphabet.c_str());
      }
      seen = testkit::ItemText(box, TInputDialog::IdEdit);
      return 0;
    });
    TInputDialog dlg(nullptr, "Inspect", "Enter expression", g.buffer, sizeof g.buffer);
    EXPECT_EQ(dlg.Execute(), IDOK);
    // Typing stops at the limit; a text set at once is cut when it is read back.
    if (c.typed) {
      EXPECT_EQ(seen, alphabet.substr(0, 15));
    }
    EXPECT_EQ(std::string(g.buffer), alphabet.substr(0, 15));
    EXPECT_EQ(std::string(g.guard, sizeof g.guard), std::string(sizeof g.guard, '#'));
  }
}
