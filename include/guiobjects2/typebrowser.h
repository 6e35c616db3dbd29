// TypeBrowser: what an "Automation" object's server tells through its type information,
// in the forms the developer tools show: the function names (one line each), the
// parameter list of a named function in Basic form, and the variable names.
//
// Made for one answer and dropped at its end. Without a bound interface, or when the
// server has no type information (GetTypeInfoCount 0), it knows nothing and every
// answer leaves its output as it was. OLE failures while opening the information or
// reading a description are thrown as the store's OleException; what was taken is
// released on every path.
//
// Parameter list: "(" parameters separated by ", " ")". Each parameter is "ParamArray "
// (a pointer to a SAFEARRAY) or ["Optional "] "ByRef " (a pointer) / "ByVal ", then its
// name, " As " and "Variant" for a pointer, else its type text. A parameter the server
// gives no name for (the value of a property put, unnamed parameters) is written
// "value" when it is the put's last one, else "arg" and its position from 1. Restricted
// functions (the interface's own IUnknown and IDispatch members) are left out.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

#include "guiobjects2/oviui2_api.h"
#include "utils/rwcstring.h"

class IWAutomation;

class OVIUI2_API TypeBrowser {
 public:
  // Which description to read: the object's own interface, or its default source
  // (event) interface, found through the coclass IProvideClassInfo gives (a server
  // without one has no events: nothing is thrown for it).
  enum Part { kMembers, kEvents };

  explicit TypeBrowser(const IWAutomation& obj, Part part = kMembers);
  // Over a server's interface directly (null: no information); takes no reference.
  explicit TypeBrowser(IDispatch* d, Part part = kMembers);
  ~TypeBrowser();
  TypeBrowser(const TypeBrowser&) = delete;
  TypeBrowser& operator=(const TypeBrowser&) = delete;

  bool hasInfo() const { return info_ != nullptr; }
  // Function names, each followed by "\n".
  void methodList(RWCString& out);
  // The parameter lists of every function named name, one after the other; kind 0 when
  // the (last) one returns nothing, else 9. Both unchanged (and false) when none is
  // named so.
  bool methodProto(const char* name, RWCString& out, int& kind);
  // The number of variable descriptions; 0 without information.
  int propertyCount();
  // Variable i's name; out unchanged outside the range.
  void propertyName(int i, RWCString& out);

  // The parameter list of one function description.
  std::string paramList(const FUNCDESC& f);
  // A type description's text ("Long", "Array of String", "PTR to Long", ...).
  static std::string TypeText(const TYPEDESC& t);
  // The name of a VT code 0..72 ("" for codes without one).
  static const char* VtName(unsigned vt);

 private:
  void open(IDispatch* d, Part part);
  void openEvents(IDispatch* d);
  std::string memberName(MEMBERID id);

  LCID lcid_;
  ITypeInfo* info_ = nullptr;
  TYPEATTR* attr_ = nullptr;
};
