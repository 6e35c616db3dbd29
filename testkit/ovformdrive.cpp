// ovformdrive: the demo script's hands. Drives a running program's form from outside:
//   ovformdrive click CAPTION BUTTON [NEWCAPTION]   press the button; wait for NEWCAPTION
//   ovformdrive close CAPTION                       close the form (system menu Close)
// It prints what it saw and ends with 0 when everything happened, 1 otherwise, 2 for a
// command line it does not understand. Every wait has a limit.
#include <cstdio>
#include <cstring>
#include <string>

#include "testkit/formdriver.h"

int main(int argc, char** argv) {
  if (argc >= 4 && std::strcmp(argv[1], "click") == 0) {
    HWND form = testkit::WaitForForm(argv[2]);
    if (!form) {
      std::printf("no form captioned \"%s\"\n", argv[2]);
      return 1;
    }
    HWND button = testkit::FindButton(form, argv[3]);
    if (!button || !testkit::ClickCentre(button)) {
      std::printf("no button \"%s\" on the form\n", argv[3]);
      return 1;
    }
    bool ok = argc < 5 || testkit::WaitForCaption(form, argv[4]);
    std::printf("clicked \"%s\"; the form's caption is now \"%s\"\n", argv[3],
                testkit::CaptionOf(form).c_str());
    return ok ? 0 : 1;
  }
  if (argc == 3 && std::strcmp(argv[1], "close") == 0) {
    HWND form = testkit::WaitForForm(argv[2]);
    bool ok = form && testkit::CloseForm(form);
    std::printf(ok ? "closing \"%s\"\n" : "no form captioned \"%s\"\n", argv[2]);
    return ok ? 0 : 1;
  }
  std::printf("usage: ovformdrive click CAPTION BUTTON [NEWCAPTION] | close CAPTION\n");
  return 2;
}
