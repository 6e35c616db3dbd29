// The refusal of bad input: the installed raiser, else TXOwlExt.
#include "owlext/owlexterror.h"

namespace {

OwlExtRaiser g_raiser = nullptr;

std::string TextOf(OwlExtErrorKind kind, const char* name) {
  std::string n = name ? name : "";
  if (kind == kOwlExtLoadFailed) return "The object '" + n + "' could not be loaded.";
  return "Invalid argument: " + n + ".";
}

}  // namespace

TXOwlExt::TXOwlExt(OwlExtErrorKind kind, const char* name)
    : XException(TextOf(kind, name)), kind_(kind), name_(name ? name : "") {}

TXOwlExt::~TXOwlExt() noexcept {}

XException* TXOwlExt::Clone() const { return new TXOwlExt(*this); }

void TXOwlExt::Throw() const { throw *this; }

OwlExtRaiser OwlExtSetRaiser(OwlExtRaiser raiser) {
  OwlExtRaiser before = g_raiser;
  g_raiser = raiser;
  return before;
}

void OwlExtRaise(OwlExtErrorKind kind, const char* name) {
  if (g_raiser) g_raiser(kind, name);
  throw TXOwlExt(kind, name);
}
