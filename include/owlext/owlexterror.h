// How the window extensions refuse bad input.
//
// The extensions sit below the object store, so they cannot throw the store's errors
// themselves. They call OwlExtRaise with the kind of refusal and the name it concerns
// (a property, an argument, a class); the raiser that a publishing library installs
// turns that into the store's error (32712 for an argument, ObjectLoadFailed for a
// damaged block). Without an installed raiser, TXOwlExt carries the same code and name.
// Either way the object that refused is left as it was.
#pragma once

#include <string>

#include "owlext/ovgui2_api.h"
#include "utils/xexception.h"

enum OwlExtErrorKind : unsigned {
  kOwlExtInvalidArgument = 32712,  // a Basic argument or property value out of range
  kOwlExtLoadFailed = 32680,       // a stored block that cannot be right
};

class OVGUI2_API TXOwlExt : public XException {
 public:
  TXOwlExt(OwlExtErrorKind kind, const char* name);
  TXOwlExt(const TXOwlExt&) = default;
  ~TXOwlExt() noexcept override;
  XException* Clone() const override;
  [[noreturn]] void Throw() const override;

  OwlExtErrorKind kind() const { return kind_; }
  const std::string& name() const { return name_; }

 private:
  OwlExtErrorKind kind_;
  std::string name_;
};

// A raiser must throw; one that returns is followed by TXOwlExt.
typedef void (*OwlExtRaiser)(OwlExtErrorKind kind, const char* name);

// Installs raiser (null: TXOwlExt again) and answers the one it replaces.
OVGUI2_API OwlExtRaiser OwlExtSetRaiser(OwlExtRaiser raiser);
[[noreturn]] OVGUI2_API void OwlExtRaise(OwlExtErrorKind kind, const char* name);
