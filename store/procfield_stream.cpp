// Saving the fields of this library with modules, and compiling procedures read back.
//
// Tags: 32 Sub, 33 Function, 34 Declare Sub, 35 Declare Function, 36 property procedures.
// Each starts like every field (name, flags, type code, class name); then
//   procedures: the source text, the argument count and the argument fields, and for a
//     Function the result field;
//   Declares: library, alias, the argument count and the argument fields;
//   property procedures: the setter's and the getter's names.
#include <windows.h>

#include <memory>
#include <string>

#include "interobj_util.h"
#include "parserlink.h"
#include "interp.h"
#include "olecls/oclstream.h"
#include "store/cdllfield.h"
#include "store/procfield.h"

namespace {

enum { kTagSub = 32, kTagFunction = 33, kTagDeclareSub = 34, kTagDeclareFunction = 35, kTagProperty = 36 };

struct Head {
  std::string name;
  USHORT flags = 0;
  UCHAR type = 0;
  std::string cls;
};

Head ReadHead(OCLStream& s) {
  Head h;
  h.name = StoreReadText(s);
  s.read(&h.flags);
  s.read(&h.type);
  h.cls = StoreReadText(s);
  return h;
}

void WriteArgs(OCLStream& s, int n, Field* (*at)(const void*, int), const void* owner) {
  s.write((ULONG)n);
  for (int i = 0; i < n; ++i) Field::WriteField(*at(owner, i), s);
}

template <class F>
void ReadArgs(OCLStream& s, F* field) {
  ULONG n = 0;
  s.read(&n);
  s.checkCount(n, 12, "an argument count");  // tag, name, flags, type and class at least
  for (ULONG i = 0; i < n; ++i) field->addArgument(Field::ReadField(s));
}

Field* ReadOurs(OCLStream& s, unsigned char tag) {
  Head h = ReadHead(s);
  switch (tag) {
    case kTagSub:
    case kTagFunction: {
      std::string text = StoreReadText(s);
      std::unique_ptr<InterProcField> f;
      if (tag == kTagSub) {
        f.reset(new InterProcField(h.name.c_str(), text.c_str()));
        ReadArgs(s, f.get());
      } else {
        // The result field follows the arguments.
        std::unique_ptr<InterProcField> args(new InterProcField("", ""));
        ReadArgs(s, args.get());
        Field* result = Field::ReadField(s);
        f.reset(new InterFuncField(h.name.c_str(), result, text.c_str()));
        for (int i = 0; i < args->parmCount(); ++i) f->addArgument(args->argument(i));
        args->releaseArguments();
      }
      f->setFieldFlags(h.flags);
      f->compileWhenCalled();
      return f.release();
    }
    case kTagDeclareSub:
    case kTagDeclareFunction: {
      std::string lib = StoreReadText(s), alias = StoreReadText(s);
      std::unique_ptr<CDLLProcField> f(
          tag == kTagDeclareSub
              ? new CDLLProcField(h.name.c_str(), lib.c_str(), alias.empty() ? nullptr : alias.c_str())
              : new CDLLFuncField(h.name.c_str(), h.type, lib.c_str(),
                                  alias.empty() ? nullptr : alias.c_str()));
      ReadArgs(s, f.get());
      f->setFieldFlags(h.flags);
      return f.release();
    }
    default: {
      std::string set = StoreReadText(s), get = StoreReadText(s);
      InterProcDataField* f =
          InterProcDataField::make(h.name.c_str(), h.type, h.cls.c_str(), set.c_str(), get.c_str());
      f->setFieldFlags(h.flags);
      return f;
    }
  }
}

// Registered when the library loads.
struct Register {
  Register() {
    for (unsigned char t = kTagSub; t <= kTagProperty; ++t) Field::RegisterReader(t, ReadOurs);
  }
} g_register;

Field* ProcArg(const void* owner, int i) { return static_cast<const InterProcField*>(owner)->argument(i); }
Field* DllArg(const void* owner, int i) { return static_cast<const CDLLProcField*>(owner)->argument(i); }

}  // namespace

unsigned char InterProcField::streamTag() const { return result_ ? kTagFunction : kTagSub; }

void InterProcField::writeDef(OCLStream& s) const {
  Field::writeDef(s);
  s.write(text_.c_str());
  WriteArgs(s, parmCount(), ProcArg, this);
  if (result_) Field::WriteField(*result_, s);
}

void InterProcField::releaseArguments() { args_.clear(); }

// The parser library's procedure compiler.
void InterProcField::compileFromText() {
  typedef void (*Compile)(InterProcField*&, char*);
  static Compile compile = nullptr;
  if (!compile) {
    compile = (Compile)(void*)ParserEntry("ParserCompileProcedure");
    if (!compile)
      throw StoreException(("The procedure '" + std::string(name()) +
                            "' cannot be compiled: the parser library is not available.")
                               .c_str());
  }
  std::string text = text_;
  InterProcField* fresh = nullptr;
  compile(fresh, &text[0]);
  if (!fresh || !fresh->code_) {
    delete fresh;
    throw StoreException(("The procedure '" + std::string(name()) + "' did not compile.").c_str());
  }
  // Take the compiled code and declarations; keep this field (objects refer to it).
  delete code_;
  code_ = fresh->code_;
  fresh->code_ = nullptr;
  for (Field* a : args_) delete a;
  args_.clear();
  args_.swap(fresh->args_);
  if (fresh->result_) {
    delete result_;
    result_ = fresh->result_;
    fresh->result_ = nullptr;
  }
  dead_ = fresh->dead_;
  delete fresh;
}

unsigned char CDLLProcField::streamTag() const { return typeCode() ? kTagDeclareFunction : kTagDeclareSub; }

void CDLLProcField::writeDef(OCLStream& s) const {
  Field::writeDef(s);
  s.write(lib_.c_str());
  s.write(alias_.c_str());
  WriteArgs(s, parmCount(), DllArg, this);
}

void InterProcDataField::writeDef(OCLStream& s) const {
  Field::writeDef(s);
  s.write(set_.c_str());
  s.write(get_.c_str());
}
