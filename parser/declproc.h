// Procedure, event, property and external declarations, and catch clauses.
//
// Sub and Function headers build Basic procedure fields (reading the body through the
// driver) or native fields bound to a published class's member function; Event,
// Property and Declare make one member each; a Catch clause makes its block and the
// store's CatchClause for the enclosing Try.
#pragma once

#include "declvar.h"

class CatchClause;
class CppProcField;
class MemberFn;
class InterObjRep;
class InterProcField;
class SignatureRep;

// Storage-class codes of Sub and Function headers (a static one runs a static block).
enum ProcModifier { MOD_NONE = 0, MOD_STATIC = 5, MOD_PRIVATE = 6, MOD_STATIC_PRIVATE = 10 };

// Sub/Function definition.
class ProcDecl : public Decl {
 public:
  // modifier: a ProcModifier.
  // Takes ownership of args (may be null).
  ProcDecl(int line, const char* text, int modifier, const char* name, VarGroupList* args);
  PEType getType() const override { return PE_PROC_DECL; }
  const char* name() const override;
  // Procedures are never declared inside a block: assertion "NULL".
  void addToBlock(BlockBuildRep* block, ParserContext& ctx) override;

  // Reads the body up to End Sub/End Function and returns the field (InterProcField or
  // InterFuncField); the dead-source list is required.
  virtual InterProcField* build(ParserContext& ctx, DeadSourceList* deadSource) = 0;
  // A field that carries only source text (when building failed).
  virtual InterProcField* uncompilable(const char* text, ParserContext& ctx) = 0;
  // A field bound to a member function of a published class.
  virtual Field* nativeField(const MemberFn& member, ParserContext& ctx) = 0;

  const std::string& procName() const { return name_; }
  int modifier() const { return modifier_; }
  bool isStatic() const { return modifier_ == MOD_STATIC || modifier_ == MOD_STATIC_PRIVATE; }

 protected:
  // Declares the arguments through add(field).
  void declareArguments(ParserContext& ctx, const std::function<void(Field*)>& add);
  // Declares the arguments as the parameters of a native method.
  void declareParams(CppProcField& field);
  // Reads the body into a new block, checks the terminator and closes the block.
  int readBody(ParserContext& ctx, DeadSourceList* ds, PEType terminator, const char* construct);

  int modifier_;
  std::string name_;
  std::unique_ptr<VarGroupList> args_;
};

class SubDecl : public ProcDecl {
 public:
  using ProcDecl::ProcDecl;
  PEType getType() const override { return PE_SUB_DECL; }
  InterProcField* build(ParserContext& ctx, DeadSourceList* deadSource) override;
  InterProcField* uncompilable(const char* text, ParserContext& ctx) override;
  Field* nativeField(const MemberFn& member, ParserContext& ctx) override;
};

class FuncDecl : public ProcDecl {
 public:
  // Takes ownership of ret (may be null: no As clause).
  FuncDecl(int line, const char* text, int modifier, const char* name, unsigned char suffix,
           VarGroupList* args, VarDeclInfo* ret);
  PEType getType() const override { return PE_FUNC_DECL; }
  InterProcField* build(ParserContext& ctx, DeadSourceList* deadSource) override;
  InterProcField* uncompilable(const char* text, ParserContext& ctx) override;
  Field* nativeField(const MemberFn& member, ParserContext& ctx) override;
  // The resolved return type (suffix against the As clause).
  unsigned char returnType() const;

 private:
  Field* resultField(ParserContext& ctx);
  unsigned char suffix_;
  std::unique_ptr<VarDeclInfo> ret_;
};

// Event name(args) [As type]
class EventDecl : public MemberDecl {
 public:
  EventDecl(int line, const char* text, const char* name, int kind);
  PEType getType() const override { return PE_EVENT_DECL; }
  const char* name() const override;
  // Throws PMSG_EVENT_IN_BLOCK: events are not declared inside blocks.
  void addToBlock(BlockBuildRep* block, ParserContext& ctx) override;
  // Replaces the object's own event definition of that name.
  void declareOnto(InterObjRep& obj, ParserContext& ctx) override;
  // Replaces the signature's own definition (an inherited one stays).
  void addToSignature(SignatureRep& sig);
  // The header text from the first "(" through the last ")", empty when none.
  std::string parameterText() const;
  const std::string& eventName() const { return name_; }
  int kind() const { return kind_; }

 private:
  std::string name_;
  int kind_;
};

// Property name Get getter [Set setter] [As type]
class PropertyDecl : public MemberDecl {
 public:
  // proc1, proc2: the access procedure names in source order (proc2 may be null).
  PropertyDecl(int line, const char* text, const char* name, unsigned char suffix, const char* proc1,
               const char* proc2, VarDeclInfo* info);
  PEType getType() const override { return PE_PROPERTY_DECL; }
  const char* name() const override;
  void addToBlock(BlockBuildRep* block, ParserContext& ctx) override;
  void declareOnto(InterObjRep& obj, ParserContext& ctx) override;
  virtual Field* dataField(ParserContext& ctx);

 private:
  std::string name_, proc1_, proc2_;
  unsigned char suffix_;
  std::unique_ptr<VarDeclInfo> info_;
};

// Declare Sub/Function name Lib "lib" [Alias "alias"] (args) [As type]
class ProcDeclare : public MemberDecl {
 public:
  ProcDeclare(int line, const char* text, const char* name, const char* lib, const char* alias,
              VarGroupList* args);
  PEType getType() const override { return PE_PROC_DECLARE; }
  const char* name() const override;
  void addToBlock(BlockBuildRep* block, ParserContext& ctx) override;
  void declareOnto(InterObjRep& obj, ParserContext& ctx) override;
  virtual Field* dataField(ParserContext& ctx) = 0;
  const std::string& library() const { return lib_; }
  const std::string& alias() const { return alias_; }

 protected:
  void declareArguments(ParserContext& ctx, const std::function<void(Field*)>& add);
  std::string name_, lib_, alias_;
  std::unique_ptr<VarGroupList> args_;
};

class SubDeclare : public ProcDeclare {
 public:
  using ProcDeclare::ProcDeclare;
  PEType getType() const override { return PE_SUB_DECLARE; }
  Field* dataField(ParserContext& ctx) override;
};

class FuncDeclare : public ProcDeclare {
 public:
  FuncDeclare(int line, const char* text, const char* name, unsigned char suffix, const char* lib,
              const char* alias, VarGroupList* args, VarDeclInfo* ret);
  PEType getType() const override { return PE_FUNC_DECLARE; }
  Field* dataField(ParserContext& ctx) override;

 private:
  unsigned char suffix_;
  std::unique_ptr<VarDeclInfo> ret_;
};

// Catch [name(args)]: a clause of the enclosing Try.
class CatchDecl : public Decl {
 public:
  // Takes ownership of catchExpr and vars (either may be null).
  CatchDecl(int line, const char* text, ExprNode* catchExpr, VarGroupList* vars);
  ~CatchDecl() override;
  PEType getType() const override { return PE_CATCH_CLAUSE; }
  const char* name() const override;
  // Reads the clause's body and makes its CatchClause (flags & 1: static block).
  CatchClause* buildClause(ParserContext& ctx, DeadSourceList* ds, int flags);

 private:
  ExprNode* catchExpr_;
  std::unique_ptr<VarGroupList> vars_;
};
