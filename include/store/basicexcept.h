// The exception of the Basic Throw statement.
//
// "Throw Name(a, b)" raises a BasicException named Name carrying the values of a and b;
// "Catch Name(x, y)" catches it (names compare ignoring case) and binds the values to x
// and y in order. C++ code catches it as a StoreException (or as BasicException to read
// the name and values). Its text is "Exception 'Name' thrown." and its class name
// "BasicException".
#pragma once

#include <string>
#include <vector>

#include "store/ovstore_api.h"
#include "store/storeexcept.h"
#include "store/value.h"

class OVSTORE_API BasicException : public StoreException {
 public:
  explicit BasicException(const char* name);
  BasicException(const BasicException&) = default;
  ~BasicException() noexcept override;
  XException* Clone() const override;
  [[noreturn]] void Throw() const override;
  const char* className() const override;

  const std::string& name() const { return name_; }
  // The values thrown with it (counted values).
  void addValue(Value* v);
  int valueCount() const { return (int)values_.size(); }
  Value* value(int i) const { return values_[(size_t)i].get(); }

 private:
  std::string name_;
  std::vector<ValuePtr> values_;
};
