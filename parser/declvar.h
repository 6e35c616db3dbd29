// Variable, array, type and constant declarations.
//
// The grammar turns each declared name into a VarRecord and each "As ..." clause into
// a type description (VarDeclInfo and kin); a declaration statement is a list of groups,
// each group being names sharing one description. Declaration entities then make the
// store's fields and hand them to their target: a block under construction (locals),
// an object (module and Type members) or the caller (a single data field). Procedure
// arguments and catch variables go through the same machinery (declproc.h).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "entity.h"

template <class T>
class PtrList;
template <class A, class B>
class PtrPair;
class Field;
class InterObjRep;

// (lower, upper) bound expressions of an array's dimensions; a lower bound may be null.
using BoundsList = PtrList<PtrPair<ExprNode, ExprNode>>;

// Type codes of declarations (the store's identifier types); 0 = not given.
enum DeclTypeCode {
  DT_NONE = 0,
  DT_SHORT = 1,
  DT_LONG = 2,
  DT_FLOAT = 3,
  DT_DOUBLE = 4,
  DT_CURRENCY = 5,
  DT_STRING = 6,
  DT_OBJECT = 7
};

// One declared name.
struct VarRecord {
  enum Flags { ARRAY = 1, BYVAL = 2, ARGUMENT = 4, VARIABLE = 8 };

  // Takes ownership of the subscripts (null when the parentheses are empty or absent).
  VarRecord(const char* name, unsigned char suffix, unsigned flags = 0, BoundsList* subscripts = nullptr);
  ~VarRecord();
  VarRecord(const VarRecord&) = delete;
  VarRecord& operator=(const VarRecord&) = delete;

  std::string name;
  unsigned char suffix;  // type code of the name's suffix character, 0 when none
  unsigned flags;
  BoundsList* subscripts;
};

// "As <type>": a plain type, the base of the other descriptions.
class VarDeclInfo {
 public:
  explicit VarDeclInfo(unsigned char type) : type_(type) {}
  virtual ~VarDeclInfo();
  // Class or enumeration name (null for plain and fixed-string types).
  virtual const char* className() const { return nullptr; }
  // The field for one variable of the group, or null when nothing is to be declared.
  virtual Field* makeField(VarRecord& v, int line, ParserContext& ctx);
  unsigned char type() const { return type_; }

 protected:
  unsigned char type_;
};

// "As String * n": declared as an ordinary string (the length is not kept).
class FixedStringDeclInfo : public VarDeclInfo {
 public:
  explicit FixedStringDeclInfo(int length) : VarDeclInfo(DT_STRING), length_(length) {}
  Field* makeField(VarRecord& v, int line, ParserContext& ctx) override;

 private:
  int length_;
};

// "As <class or enumeration>", "<prefix> As <class>", "As New <class>".
class ValueRefDeclInfo : public VarDeclInfo {
 public:
  enum Kind { OBJECT_REF = 0, STRICT_REF = 1, NEW_OBJECT = 2 };
  // The name text is taken from the identifier or dotted expression (the caller's);
  // an illegal expression throws PMSG_OBJECT_DECL_ILLEGAL or PMSG_ME_IN_DECLARATION with the current line.
  ValueRefDeclInfo(ParserContext& ctx, ExprNode* typeExpr, int kind);
  ValueRefDeclInfo(const char* typeName, int kind);
  const char* className() const override { return name_.c_str(); }
  Field* makeField(VarRecord& v, int line, ParserContext& ctx) override;
  int kind() const { return kind_; }

 private:
  std::string name_;
  int kind_;
};

// Names sharing one type description.
class VarNameList {
 public:
  void add(VarRecord* v) { vars_.emplace_back(v); }  // takes ownership
  size_t size() const { return vars_.size(); }
  VarRecord& at(size_t i) const { return *vars_[i]; }

 private:
  std::vector<std::unique_ptr<VarRecord>> vars_;
};

// The groups of one declaration or argument list, in source order.
class VarGroupList {
 public:
  // Takes ownership of both; a null description means "no As clause".
  void add(VarNameList* names, VarDeclInfo* info);
  size_t size() const { return groups_.size(); }
  VarNameList& names(size_t i) const { return *groups_[i].names; }
  VarDeclInfo& info(size_t i) const { return *groups_[i].info; }
  size_t variableCount() const;

  // Makes each variable's field and hands it to target, in source order. Arguments get
  // flag ARGUMENT, variables VARIABLE; byValNonObjects marks every variable whose group
  // type is not an object as ByVal. A FieldCollision from target becomes PMSG_VAR_DEFINED_TWICE with the
  // variable's name and the line.
  void apply(ParserContext& ctx, int line, bool asArguments, bool byValNonObjects,
             const std::function<void(Field*, VarRecord&)>& target);

 private:
  struct Group {
    std::unique_ptr<VarNameList> names;
    std::unique_ptr<VarDeclInfo> info;
  };
  std::vector<Group> groups_;
};

// Type resolution from a name's suffix s and a declared type d: s = 0 gives d (or long
// when d is 0 too); s and d both given and different throw DeclarationTypeMismatch with
// the line; otherwise s.
unsigned char ResolveDeclType(unsigned char s, unsigned char d, int line);

// Evaluates an expression at parse time (array bounds, constants) in a fresh evaluation
// context over the context's identifiers; a counted value the caller releases.
class Value;
Value* EvalConstantExpr(ExprNode* e, ParserContext& ctx);

// Names a class or enumeration from an identifier or dotted expression (see
// ValueRefDeclInfo); the expression is not deleted.
std::string DeclTypeName(ParserContext& ctx, ExprNode* expr);

// The members of a Type section onto obj: declarations, then procedures, then the
// End Type line (else ConstructError). Text object files read their Type sections
// with it too.
void ReadTypeBody(ParserContext& ctx, InterObjRep& obj);

// A declaration: keeps its line and the text of its line.
class Decl : public PEntity {
 public:
  Decl(int line, const char* text) : line_(line), text_(text ? text : "") {}
  PEType getType() const override { return PE_DECL; }
  const char* name() const override;
  int line() const override { return line_; }
  virtual const std::string& text() const { return text_; }

 protected:
  int line_;
  std::string text_;
};

// A declaration that may stand among an object's members.
class MemberDecl : public Decl {
 public:
  using Decl::Decl;
  PEType getType() const override { return PE_MEMBER_DECL; }
  const char* name() const override;
  virtual void declareOnto(InterObjRep& obj, ParserContext& ctx) = 0;
};

// Dim/Static/Private ... variables.
class SimpleVarDecl : public MemberDecl {
 public:
  enum { KEYWORD_STATIC = 5 };
  // Takes ownership of groups.
  SimpleVarDecl(int line, const char* text, VarGroupList* groups, int keyword);
  PEType getType() const override { return PE_SIMPLE_VAR_DECL; }
  void addToBlock(BlockBuildRep* block, ParserContext& ctx) override;
  void declareOnto(InterObjRep& obj, ParserContext& ctx) override;
  // The one variable's field; more than one variable throws PMSG_TOO_MANY_VARIABLES.
  virtual Field* dataField(ParserContext& ctx);
  const VarGroupList& groups() const { return *groups_; }
  int keyword() const { return keyword_; }

 private:
  std::unique_ptr<VarGroupList> groups_;
  int keyword_;
};

// Constants of one Const statement.
class ConstDeclList {
 public:
  ~ConstDeclList();
  // Takes ownership of value. declType: the declared type code (suffix or As), 0 none.
  void add(const char* name, unsigned char declType, ExprNode* value);
  struct Item {
    std::string name;
    unsigned char declType;
    ExprNode* value;
  };
  std::vector<Item>& items() { return items_; }

 private:
  std::vector<Item> items_;
};

class ConstDecl : public MemberDecl {
 public:
  ConstDecl(int line, const char* text, ConstDeclList* list);  // takes ownership
  PEType getType() const override { return PE_CONST_DECL; }
  void addToBlock(BlockBuildRep* block, ParserContext& ctx) override;
  void declareOnto(InterObjRep& obj, ParserContext& ctx) override;

 private:
  void apply(ParserContext& ctx, const std::function<void(Field*, class Value*)>& target);
  std::unique_ptr<ConstDeclList> list_;
};

// Type name [From base] ... End Type: an embedded object type.
class ComplexVarDecl : public MemberDecl {
 public:
  // The name expressions (the caller's) are named at once; objectDecl non-zero throws
  // PMSG_OBJECT_DECL_ILLEGAL (the grammar marks a declaration of an object this way).
  ComplexVarDecl(ParserContext& ctx, int line, const char* text, ExprNode* nameExpr, ExprNode* baseExpr,
                 int objectDecl);
  ComplexVarDecl(int line, const char* text, const char* typeName, const char* baseName);
  PEType getType() const override { return PE_COMPLEX_VAR_DECL; }
  // Throws PMSG_TYPE_IN_BLOCK: Type statements are not allowed inside blocks.
  void addToBlock(BlockBuildRep* block, ParserContext& ctx) override;
  // Adds the embedded type to obj and reads its members up to End Type.
  void declareOnto(InterObjRep& obj, ParserContext& ctx) override;
  const std::string& typeName() const { return typeName_; }
  const std::string& baseName() const { return baseName_; }

 private:
  std::string typeName_;
  std::string baseName_;
};
