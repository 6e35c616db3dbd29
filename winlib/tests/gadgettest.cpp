// The host window's response table (shared by the gadget tests).
#include "gadgettest.h"

namespace gadgettest {
DEFINE_RESPONSE_TABLE1(THost, TWindow)
EV_COMMAND_ENABLE(501, CeFive01), EV_COMMAND_ENABLE(502, CeFive02), END_RESPONSE_TABLE;
}  // namespace gadgettest
