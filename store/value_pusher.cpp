// The default StackPusher: passes a Value to a native function through a temporary of
// the declared type.
#include <vector>

#include "store/value.h"

namespace {

class CellStackPusher : public StackPusher {
 public:
  explicit CellStackPusher(Value* v) : value_(v) {}

  void push(DynArgs& args, unsigned char declType, bool byRef) override {
    ValueCellVar c;
    value_->getCell(c);
    type_ = declType ? declType : c->type;
    byRef_ = byRef;
    switch (type_) {
      case kTypeShort:
        temp_.s = CellToShort(c);
        if (byRef)
          args.addPtr(&temp_.s);
        else
          args.addInt32(temp_.s);
        break;
      case kTypeLong:
        temp_.l = CellToLong(c);
        if (byRef)
          args.addPtr(&temp_.l);
        else
          args.addInt32(temp_.l);
        break;
      case kTypeFloat:
        temp_.f = CellToFloat(c);
        if (byRef)
          args.addPtr(&temp_.f);
        else
          args.addFloat(temp_.f);
        break;
      case kTypeDouble:
        temp_.d = CellToDouble(c);
        if (byRef)
          args.addPtr(&temp_.d);
        else
          args.addDouble(temp_.d);
        break;
      case kTypeCurrency:
        temp_.cy = CellToCurrency(c).raw;
        if (byRef)
          args.addPtr(&temp_.cy);
        else
          args.addInt64(temp_.cy);
        break;
      case kTypeString: {
        // Both ways the callee gets a writable buffer of the string's length, as API
        // functions that fill a caller's buffer expect.
        std::string t = CellToText(c);
        text_.assign(t.begin(), t.end());
        text_.push_back(0);
        args.addPtr(text_.data());
        break;
      }
      default:
        throw TypeMismatch("argument of a native call");
    }
  }

  void finish() override {
    try {
      switch (type_) {
        case kTypeShort:
          if (byRef_) value_->set((short)temp_.s);
          break;
        case kTypeLong:
          if (byRef_) value_->set((long)temp_.l);
          break;
        case kTypeFloat:
          if (byRef_) value_->set(temp_.f);
          break;
        case kTypeDouble:
          if (byRef_) value_->set(temp_.d);
          break;
        case kTypeCurrency:
          if (byRef_) value_->set(Currency::fromRaw(temp_.cy));
          break;
        case kTypeString:
          value_->set(ValString(text_.data(), text_.size() - 1));
          break;
        default:
          break;
      }
    } catch (const TypeMismatch&) {
      if (byRef_) throw;  // a by-value string into a value that cannot be written
    }
  }

 private:
  Value* value_;  // the caller keeps it for the call (it may live on the stack)
  unsigned char type_ = 0;
  bool byRef_ = false;
  union {
    int16_t s;
    int32_t l;
    float f;
    double d;
    int64_t cy;
  } temp_;
  std::vector<char> text_;
};

}  // namespace

StackPusher* Value::getStackPusher() { return new CellStackPusher(this); }
