// VariantValue: a store value over a VARIANT an automation server returned, and the
// conversions between store values and VARIANTs.
//
// Reading goes through a view made from the VARIANT's type:
//   VT_I2, VT_BOOL   Integer in place (VT_BOOL reads -1 or 0)
//   VT_I4            Long in place
//   VT_R4, VT_R8     Single, Double in place
//   VT_CY            a Currency value set from the VARIANT's text
//   VT_BSTR          a String value
//   VT_NULL, VT_EMPTY no view: type() is 10 and every read fails with 32725
//   anything else    the VARIANT is first changed in place to VT_BSTR, then a String
// Assigning a short, long, float, double, Currency or String sets the view (a value
// without a view takes the type of the first value assigned and the VARIANT's type with
// it; a value with a view keeps both and converts) and puts the VARIANT back to the
// server as a property put of the same DISPID. Object values are TypeMismatch (32765)
// before anything is put back.
//
// Arguments (ToVariant): Integer VT_I2, Long VT_I4, Single VT_R4, Double VT_R8, String
// VT_BSTR of the text's full length. A Currency or an object argument leaves the VARIANT
// as it was (VT_EMPTY after VariantInit): Currency reaches a server as an empty
// argument, a known loss kept so that servers see what they always saw.
//
// Locale 1024 (the system default) for every Invoke; OLE failures are thrown as the
// store's OleException.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

#include "guiobjects2/oviui2_api.h"
#include "store/value.h"

// Text <-> BSTR through the ANSI code page, full length (embedded nulls kept).
OVIUI2_API std::string BstrToText(BSTR s);
// A new BSTR of the converted text; null only when out of memory (thrown as
// OleException E_OUTOFMEMORY).
OVIUI2_API BSTR TextToBstr(const char* text, size_t length);

class OVIUI2_API VariantValue : public Value {
 public:
  enum : LCID { kLocale = 1024 };

  // Takes over v's contents (v is left VT_EMPTY) and the caller's reference to disp (may
  // be null: nothing is put back). A VARIANT that cannot be changed to text fails with
  // OleException, and then v and disp are given back as well.
  VariantValue(VARIANT& v, DISPID id, IDispatch* disp);
  ~VariantValue() override;
  VariantValue(const VariantValue&) = delete;
  VariantValue& operator=(const VariantValue&) = delete;

  // Store value -> argument VARIANT (see above); v must be initialised.
  static void ToVariant(Value& value, VARIANT& v);

  const VARIANT& variant() const { return var_; }
  DISPID dispid() const { return id_; }
  bool hasView() const { return !view_.isNull(); }

  unsigned char type() const override;
  Value* eval(const ValueList* args) override;
  Value* operator+(Value& r) override;
  Value* operator*(Value& r) override;
  Value* operator-(Value& r) override;
  Value* operator/(Value& r) override;
  Value* operator%(Value& r) override;
  Value* intDiv(Value& r) override;
  Value* exp(Value& r) override;
  Value* operator>(Value& r) override;
  Value* operator<(Value& r) override;
  Value* operator==(Value& r) override;
  Value* operator!=(Value& r) override;
  Value* operator>=(Value& r) override;
  Value* operator<=(Value& r) override;
  Value* operator&(Value& r) override;
  Value* operator|(Value& r) override;
  Value* operator^(Value& r) override;
  Value* operator~() override;
  Value* eqv(Value& r) override;
  Value* imp(Value& r) override;
  Value& operator=(Value& src) override;
  void get(short& v) override;
  void get(long& v) override;
  void get(float& v) override;
  void get(double& v) override;
  void get(Currency& v) override;
  void get(ValString& v) override;
  void get(InterObj& v) override;
  void set(short v) override;
  void set(long v) override;
  void set(float v) override;
  void set(double v) override;
  void set(const Currency& v) override;
  void set(const ValString& v) override;
  void set(const InterObj& v) override;
  void getCell(ValueCell& out) override;
  StackPusher* getStackPusher() override;

 private:
  // The view, or StoreException 32725.
  Value& view();
  void makeView();
  // Makes the view for type code when there is none (and sets the VARIANT's type).
  void viewFor(unsigned char code);
  // Writes the view into the VARIANT where it is not in place, then the property put.
  void putBack();

  VARIANT var_;
  DISPID id_;
  IDispatch* disp_;
  ValuePtr view_;
};
