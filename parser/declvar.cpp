// Variable, array, type and constant declarations: the fields they make and where
// those go.
#include "declvar.h"

#include <memory>

#include "context.h"
#include "declproc.h"
#include "driver.h"
#include "messages.h"
#include "parseexcept.h"
#include "parser/ovparse.h"
#include "store/block.h"
#include "store/procfield.h"
#include "store/context.h"
#include "store/currency.h"
#include "store/enum.h"
#include "store/evalable.h"
#include "store/exprnode.h"
#include "store/field_array.h"
#include "store/field_data.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/ptrlist.h"
#include "store/storeexcept.h"
#include "store/types.h"
#include "store/valstring.h"
#include "store/value.h"
#include "utils/xexception.h"

Value* EvalConstantExpr(ExprNode* e, ParserContext& ctx) {
  EvalableExpr expr(e, ctx.ids());
  Context eval(ctx.constScope(), 1);
  return expr.eval(eval);
}

// ---- variable records and type descriptions

VarRecord::VarRecord(const char* n, unsigned char s, unsigned f, BoundsList* subs)
    : name(n ? n : ""), suffix(s), flags(f), subscripts(subs) {}

VarRecord::~VarRecord() { delete subscripts; }

unsigned char ResolveDeclType(unsigned char s, unsigned char d, int line) {
  if (s == 0) return d ? d : (unsigned char)DT_LONG;
  if (d != 0 && s != d) throw DeclarationTypeMismatch(s, d, line);
  return s;
}

namespace {

// Owns one count of a value.
struct Unref {
  void operator()(Value* v) const { v->unref(); }
};
using CountedValue = std::unique_ptr<Value, Unref>;

int DataMode(const VarRecord& v) {
  if (v.flags & VarRecord::VARIABLE) return 2;
  return (v.flags & VarRecord::BYVAL) ? 2 : 0;
}

bool IsArgument(const VarRecord& v) { return (v.flags & VarRecord::ARGUMENT) != 0; }

// A bound: its expression (taken over) evaluated now, as a Long; a missing lower
// bound is 0.
int32_t EvalBound(ExprNode* e, ParserContext& ctx) {
  if (!e) return 0;
  CountedValue v(EvalConstantExpr(e, ctx));
  return (int32_t)v->asLong();
}

// Defines each declared dimension, bounds evaluated under a fresh evaluation context.
void DefineDimensions(ArrayField* field, VarRecord& v, ParserContext& ctx) {
  if (!v.subscripts) return;
  for (int i = 0; i < (int)v.subscripts->entries(); ++i) {
    PtrPair<ExprNode, ExprNode>* bounds = v.subscripts->at(i);
    ExprNode* lower = bounds->first;
    ExprNode* upper = bounds->second;
    bounds->first = bounds->second = nullptr;
    int32_t lo = EvalBound(lower, ctx);
    field->defineDimen(i, lo, EvalBound(upper, ctx));
  }
}

// The store makes its standard enumerations on first use: Boolean is asked for by name.
EnumRep* FindEnumeration(const char* name) {
  EnumRep* e = EnumRep::find(name);
  if (!e && _stricmp(name, "Boolean") == 0) e = EnumRep::Boolean();
  return e;
}

Field* MakeArray(VarRecord& v, unsigned char type, int line, ParserContext& ctx) {
  ArrayField* field = nullptr;
  const char* name = v.name.c_str();
  switch (type) {
    case DT_SHORT:
      field = new InterArray<short, 1>(name);
      break;
    case DT_LONG:
      field = new InterArray<long, 2>(name);
      break;
    case DT_FLOAT:
      field = new InterArray<float, 3>(name);
      break;
    case DT_DOUBLE:
      field = new InterArray<double, 4>(name);
      break;
    case DT_CURRENCY:
      field = new InterArray<Currency, 5>(name);
      break;
    case DT_STRING:
      field = new InterArray<ValString, 6>(name);
      break;
    default:
      throw ParserException(PMSG_ARRAY_TYPE_UNSUPPORTED, IdTypeString(type).string(), line, nullptr);
  }
  try {
    DefineDimensions(field, v, ctx);
  } catch (...) {
    delete field;
    throw;
  }
  return field;
}

Field* MakeArrayReference(VarRecord& v, unsigned char type) {
  UTILS_ASSERT(!v.subscripts);
  UTILS_ASSERT(type >= DT_SHORT && type <= DT_OBJECT);
  return new ArrayReferenceField((unsigned char)(type + 0x20), v.name.c_str());
}

}  // namespace

VarDeclInfo::~VarDeclInfo() = default;

Field* VarDeclInfo::makeField(VarRecord& v, int line, ParserContext& ctx) {
  unsigned char type = ResolveDeclType(v.suffix, type_, line);
  if (!(v.flags & VarRecord::ARRAY)) return InterDataField::make(v.name.c_str(), type, DataMode(v), nullptr);
  if (IsArgument(v)) return MakeArrayReference(v, type);
  return MakeArray(v, type, line, ctx);
}

Field* FixedStringDeclInfo::makeField(VarRecord& v, int line, ParserContext& ctx) {
  if (v.suffix != 0 && v.suffix != DT_STRING) throw DeclarationTypeMismatch(v.suffix, DT_STRING, line);
  if (!(v.flags & VarRecord::ARRAY)) {
    if (IsArgument(v))
      throw ParserException("Fixed length string declarations are not allowed in argument lists", line,
                            nullptr);
    return InterDataField::make(v.name.c_str(), DT_STRING, 2, nullptr);
  }
  if (IsArgument(v)) return MakeArrayReference(v, DT_STRING);
  return MakeArray(v, DT_STRING, line, ctx);
}

std::string DeclTypeName(ParserContext& ctx, ExprNode* expr) {
  UTILS_ASSERT(expr);
  if (expr->type() == EXPR_MID) {
    Mid* mid = static_cast<Mid*>(expr);
    return DeclTypeName(ctx, mid->object()) + "." + DeclTypeName(ctx, mid->member());
  }
  if (expr->type() == 2 || (expr->flags() & 2))
    throw ParserException(PMSG_OBJECT_DECL_ILLEGAL, ctx.currentLine(), nullptr);
  if (expr->flags() & 8) throw ParserException(PMSG_ME_IN_DECLARATION, ctx.currentLine(), nullptr);
  int index = static_cast<Sid*>(expr)->index();
  const char* text = index >= 0 ? ctx.idName(index) : nullptr;
  UTILS_ASSERT(text);
  return text;
}

ValueRefDeclInfo::ValueRefDeclInfo(ParserContext& ctx, ExprNode* typeExpr, int kind)
    : VarDeclInfo(DT_OBJECT), name_(DeclTypeName(ctx, typeExpr)), kind_(kind) {}

ValueRefDeclInfo::ValueRefDeclInfo(const char* typeName, int kind)
    : VarDeclInfo(DT_OBJECT), name_(typeName ? typeName : ""), kind_(kind) {}

Field* ValueRefDeclInfo::makeField(VarRecord& v, int line, ParserContext& ctx) {
  const bool isArray = (v.flags & VarRecord::ARRAY) != 0;
  EnumRep* enumeration = nullptr;
  if (kind_ == OBJECT_REF && !name_.empty() && name_.find('.') == std::string::npos)
    enumeration = FindEnumeration(name_.c_str());
  if (enumeration) {
    if (isArray) throw ParserException(PMSG_ARRAY_TYPE_UNSUPPORTED, "Enumeration", line, nullptr);
    return InterEnumField::make(v.name.c_str(), enumeration, DataMode(v));
  }
  if (v.flags & VarRecord::BYVAL) throw ParserException(PMSG_OBJECT_BYVAL, line, nullptr);
  if (isArray) {
    if (IsArgument(v)) return MakeArrayReference(v, DT_OBJECT);
    if (kind_ == NEW_OBJECT) throw ParserException(PMSG_ARRAY_TYPE_UNSUPPORTED, "New Object", line, nullptr);
    InterObjArrayField* field = new InterObjArrayField(v.name.c_str(), name_.c_str());
    try {
      DefineDimensions(field, v, ctx);
    } catch (...) {
      delete field;
      throw;
    }
    return field;
  }
  switch (kind_) {
    case STRICT_REF:
      return StrictInterObjField::make(v.name.c_str(), name_.c_str(), DataMode(v));
    case NEW_OBJECT:
      return EmbedObjField::make(v.name.c_str(), name_.c_str());
    default:
      return InterObjField::make(v.name.c_str(), name_.c_str(), DataMode(v));
  }
}

// ---- groups

void VarGroupList::add(VarNameList* names, VarDeclInfo* info) {
  Group g;
  g.names.reset(names ? names : new VarNameList);
  g.info.reset(info ? info : new VarDeclInfo(DT_NONE));
  groups_.push_back(std::move(g));
}

size_t VarGroupList::variableCount() const {
  size_t n = 0;
  for (const Group& g : groups_) n += g.names->size();
  return n;
}

void VarGroupList::apply(ParserContext& ctx, int line, bool asArguments, bool byValNonObjects,
                         const std::function<void(Field*, VarRecord&)>& target) {
  for (Group& g : groups_) {
    for (size_t i = 0; i < g.names->size(); ++i) {
      VarRecord& v = g.names->at(i);
      v.flags |= asArguments ? VarRecord::ARGUMENT : VarRecord::VARIABLE;
      if (byValNonObjects && g.info->type() != DT_OBJECT) v.flags |= VarRecord::BYVAL;
      Field* field = g.info->makeField(v, line, ctx);
      if (!field) continue;
      try {
        target(field, v);
      } catch (FieldCollision&) {
        throw ParserException(PMSG_VAR_DEFINED_TWICE, v.name.c_str(), line, nullptr);
      }
    }
  }
}

// ---- declaration entities

const char* Decl::name() const { return "Declaration"; }

const char* MemberDecl::name() const { return "Variable Declaration"; }

SimpleVarDecl::SimpleVarDecl(int line, const char* text, VarGroupList* groups, int keyword)
    : MemberDecl(line, text), groups_(groups ? groups : new VarGroupList), keyword_(keyword) {}

void SimpleVarDecl::addToBlock(BlockBuildRep* block, ParserContext& ctx) {
  groups_->apply(ctx, line_, false, false, [&](Field* f, VarRecord&) {
    if (keyword_ == KEYWORD_STATIC)
      block->addStaticLocalVar(f, 0);
    else
      block->addLocalVar(f);
  });
}

void SimpleVarDecl::declareOnto(InterObjRep& obj, ParserContext& ctx) {
  groups_->apply(ctx, line_, false, false, [&](Field* f, VarRecord&) { obj.addField(f, 0, 0); });
}

Field* SimpleVarDecl::dataField(ParserContext& ctx) {
  if (groups_->size() != 1 || groups_->names(0).size() != 1)
    throw ParserException(PMSG_TOO_MANY_VARIABLES, line_, nullptr);
  VarRecord& v = groups_->names(0).at(0);
  v.flags |= VarRecord::VARIABLE;
  return groups_->info(0).makeField(v, line_, ctx);
}

// ---- constants

ConstDeclList::~ConstDeclList() {
  for (Item& i : items_) delete i.value;
}

void ConstDeclList::add(const char* name, unsigned char declType, ExprNode* value) {
  items_.push_back(Item{name ? name : "", declType, value});
}

ConstDecl::ConstDecl(int line, const char* text, ConstDeclList* list)
    : MemberDecl(line, text), list_(list ? list : new ConstDeclList) {}

namespace {

// The constant's value converted to its declared type. A Long converts to Integer,
// Single and Double, a Double to Single; any other pair of differing types is refused,
// and so is a Long outside Integer's range for an Integer.
CountedValue ConvertConstant(CountedValue value, unsigned char declared, const std::string& name, int line) {
  unsigned char actual = value->type();
  if (declared == 0 || declared == actual) return value;
  bool convertible =
      (actual == DT_LONG && (declared == DT_SHORT || declared == DT_FLOAT || declared == DT_DOUBLE)) ||
      (actual == DT_DOUBLE && declared == DT_FLOAT);
  if (!convertible) throw DeclarationTypeMismatch(declared, actual, line);
  if (declared == DT_SHORT) {
    long v = value->asLong();
    if (v < -32768 || v > 32767) {
      std::string text =
          "Constant '" + name + "' is out of the range of Integer (" + std::to_string(v) + ").";
      throw ParserException(text.c_str(), line, nullptr);
    }
  }
  Value* converted = DirectValueClassFactory(declared, *value);
  converted->ref();
  return CountedValue(converted);
}

}  // namespace

void ConstDecl::apply(ParserContext& ctx, const std::function<void(Field*, Value*)>& target) {
  for (ConstDeclList::Item& item : list_->items()) {
    UTILS_ASSERT(item.value);  // "constExpr"
    ExprNode* e = item.value;
    item.value = nullptr;
    CountedValue value(EvalConstantExpr(e, ctx));
    value = ConvertConstant(std::move(value), item.declType, item.name, line_);
    unsigned char type = item.declType ? item.declType : value->type();
    Field* field = InterDataField::make(item.name.c_str(), type, 1, nullptr);
    UTILS_ASSERT(field);
    field->setFieldFlags(field->fieldFlags() | Field::kConstant);
    try {
      target(field, value.get());
    } catch (FieldCollision&) {
      throw ParserException(PMSG_VAR_DEFINED_TWICE, item.name.c_str(), line_, nullptr);
    }
    // Later constants and bounds of this parse may name it.
    try {
      Field* copy = InterDataField::make(item.name.c_str(), type, 1, nullptr);
      ctx.constScope()->addField(copy, value.get(), 0);
    } catch (FieldCollision&) {
    }
  }
}

void ConstDecl::addToBlock(BlockBuildRep* block, ParserContext& ctx) {
  apply(ctx, [&](Field* f, Value* v) { block->addConstVar(f, v); });
}

void ConstDecl::declareOnto(InterObjRep& obj, ParserContext& ctx) {
  apply(ctx, [&](Field* f, Value* v) { obj.addField(f, v, 0); });
}

// ---- Type ... End Type

ComplexVarDecl::ComplexVarDecl(ParserContext& ctx, int line, const char* text, ExprNode* nameExpr,
                               ExprNode* baseExpr, int objectDecl)
    : MemberDecl(line, text) {
  if (objectDecl) throw ParserException(PMSG_OBJECT_DECL_ILLEGAL, ctx.currentLine(), nullptr);
  if (nameExpr) typeName_ = DeclTypeName(ctx, nameExpr);
  if (baseExpr) baseName_ = DeclTypeName(ctx, baseExpr);
}

ComplexVarDecl::ComplexVarDecl(int line, const char* text, const char* typeName, const char* baseName)
    : MemberDecl(line, text), typeName_(typeName ? typeName : ""), baseName_(baseName ? baseName : "") {}

void ComplexVarDecl::addToBlock(BlockBuildRep*, ParserContext&) {
  throw ParserException(PMSG_TYPE_IN_BLOCK, line_, nullptr);
}

void ComplexVarDecl::declareOnto(InterObjRep& obj, ParserContext& ctx) {
  if (!baseName_.empty() && !ObjectStore::find(baseName_.c_str()))
    throw TypeNotFound(ctx.currentLine(), baseName_.c_str());
  EmbedObjField* field = EmbedObjField::make(typeName_.c_str(), baseName_.c_str());
  obj.addField(field, nullptr, 0);
  InterObjRep* inner = field->makeEmbedded(obj);
  UTILS_ASSERT(inner);
  ReadTypeBody(ctx, *inner);
}

namespace {

// Lines first..last of a text object file as a procedure's own text: the indent of its
// first line taken off every line (so that writing it back under the same indent gives
// the same file), each line ended by CR LF.
std::string ProcedureFileText(const std::vector<std::string>& lines, int first, int last) {
  if (first < 0) first = 0;
  if (last >= (int)lines.size()) last = (int)lines.size() - 1;
  std::string text;
  if (first > last) return text;
  const std::string& head = lines[(size_t)first];
  size_t indent = head.find_first_not_of(" \t");
  if (indent == std::string::npos) indent = 0;
  for (int i = first; i <= last; ++i) {
    const std::string& l = lines[(size_t)i];
    size_t cut = 0;
    while (cut < indent && cut < l.size() && (l[cut] == ' ' || l[cut] == '\t')) ++cut;
    text.append(l, cut, std::string::npos);
    text += "\r\n";
  }
  return text;
}

// The next procedure of a text object file's Type section. It is read on the file's
// context (its messages name lines of the file), then compiled again from its own text,
// as a procedure read from a module is, so that its lines count from its first line and
// the store keeps its text.
bool FileProcedure(ParserContext& ctx, InterProcField*& proc) {
  PEntity* head = ctx.peek();
  int first = head ? head->line() : 0;
  InterProcField* parsed = nullptr;
  try {
    if (!ParseDriver::ProcedureText(ctx, nullptr, parsed)) return false;
  } catch (...) {
    delete parsed;
    throw;
  }
  delete parsed;
  ctx.blocks().clear();
  std::string text = ProcedureFileText(*ctx.fileLines(), first, ctx.absoluteLine());
  try {
    ParserParseProcedure(proc, &text[0]);
  } catch (...) {
    delete proc;
    proc = nullptr;
    throw;
  }
  return true;
}

}  // namespace

void ReadTypeBody(ParserContext& ctx, InterObjRep& obj) {
  ParseDriver::DeclareOnto(ctx, obj);
  for (;;) {
    InterProcField* proc = nullptr;
    if (ctx.fileLines()) {
      if (!FileProcedure(ctx, proc)) break;
      obj.addField(proc, 0, 0);
      continue;
    }
    try {
      if (!ParseDriver::ProcedureText(ctx, nullptr, proc)) break;
    } catch (...) {
      if (proc) obj.addField(proc, 0, 0);  // kept as an uncompilable member
      throw;
    }
    obj.addField(proc, 0, 0);
  }
  if (!ctx.nextEntity(PE_END_TYPE))
    throw ConstructError(ctx.currentLine(), "Type...EndType", PE_END_TYPE, ctx.currentEntityName());
}
