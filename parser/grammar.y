/* The Basic grammar: one parsable entity per parse (a line of statements, a declaration
   header, a clause or terminator line, a comment, or an expression in braces). Blocks are
   not nested here: the parse driver assembles them from the entities.

   Token numbers are fixed: the lexer's own (lexertokens.h) and the keyword table's
   (store/keytab.h); a keyword's token is named K and its spelling. End of statement is
   token 0. Every value on the stack is a SemVal whose kind says what it holds
   (grammarbuild.h), so error recovery can free it.

   Names of nonterminals and tokens are what syntax errors show as "Expected: ..."
   (grammar_expected.pl maps the few that need another spelling).

   Conflicts, all resolved on purpose and counted by grammar_expected.pl: 7 shift/reduce
   (a name followed by '(' takes it as its arguments; names before ',' share the As clause
   that follows them; a one-line If takes the statements after ':') and 8 reduce/reduce
   (a name followed by " .x" reads as a member access). */

%code requires {
#include "lexertokens.h"
struct GrammarEnv;
}

%code {
#include <memory>

#include "grammarbuild.h"
#include "messages.h"

static int yylex(SemVal* value, GrammarEnv* env);
static void yyerror(GrammarEnv* env, const char* message);

#define YYINITDEPTH 200
#define YYMAXDEPTH 200
}

%define api.pure full
%define api.value.type {SemVal}
%define parse.error custom
%param {GrammarEnv* env}

%destructor { SemFree($$); } <>

/* The parser's values are freed when an exception passes through it (ParseStackGuard).
   The guard must live as long as the parse: the block bison puts around this code is
   closed before it and opened again after it. */
%initial-action { GUARD_SCOPE_END ParseStackGuard stackGuard(yychar, yylval, yyvs, yyvsp, YYEMPTY); GUARD_SCOPE_BEGIN }

/* Literals and names (the lexer's tokens). */
%token T_INTEGER 257 T_LONG 258 T_HEXINT 259 T_OCTINT 260 T_SINGLE 261 T_DOUBLE 262
%token T_CURRENCY 263 T_STRING 264 T_IDENT 265 T_COMMENT 276
%token KDeepAssign 304 KAndAnd 305 KOrOr 306 KNEq 307 KLEq 308 KGEq 309 KEq 310

/* Keywords: the keyword table's numbers. */
%token KInteger 266 KLong 267 KSingle 268 KDouble 269 KCurrency 270 KString 271
%token KTrue 273 KFalse 274 KRem 275 KDim 277 KReDim 278 KObject 279 KStrict 280 KAs 281
%token KNew 282 KFrom 283 KEnd 284 KType 285 KMe 286 KNothing 287 KBegin 289 KCode 290
%token KFunction 291 KSub 292 KProperty 293 KDeclare 294 KEvent 295 KLib 296 KAlias 297
%token KConst 298 KPreserve 299 KGlobal 300 KStatic 301 KPrivate 302 KByVal 303
%token KMod 311 KNot 312 KAnd 313 KOr 314 KXor 315 KEqv 316 KImp 317 KTypeOf 318
%token KIf 319 KThen 320 KElse 321 KElseIf 322 KSelect 323 KCase 324 KTo 325 KWith 326
%token KDo 327 KWhile 328 KUntil 329 KLoop 330 KExit 331 KFor 332 KEach 333 KIn 334
%token KEmbeddedIn 335 KCopiedFrom 336 KStep 337 KNext 338 KWend 339 KLet 340 KSet 341
%token KGet 342 KCall 343 KTry 344 KCatch 345 KThrow 346 KRandomize 347 KPrint 348
%token KSpc 349 KTab 350 KRaiseEvent 351 KStop 352 KLBound 353 KUBound 354 KIIf 355
%token KAbs 356 KAtn 357 KCos 358 KExp 359 KFix 360 KInt 361 KLog 362 KRnd 363 KSgn 364
%token KSin 365 KSqr 366 KTan 367 KRGB 368 KQBColor 369 KAsc 370 KChr 371 KHex 372
%token KInStr 373 KLCase 374 KLeft 375 KLen 376 KLTrim 377 KMid 378 KOct 379 KRight 380
%token KRTrim 381 KSpace 382 KStr 383 KStrComp 384 KTrim 385 KUCase 386 KVal 387
%token KLike 391 KIs 392
%token UMINUS 500

/* Operators, loosest first; all binary operators associate to the left. */
%left KImp
%left KEqv
%left KXor
%left KOr KOrOr
%left KAnd KAndAnd
%right KNot
%left '=' KEq KNEq '>' '<' KGEq KLEq KLike
%left '&'
%left '+' '-'
%left KMod
%left '\\'
%left '*' '/'
%right UMINUS
%left '^'

%%

/* ---- Entities ------------------------------------------------------------------------ */

/* The entity is handed over here, not left as the start symbol's value (which the parser
   frees when it accepts); $$ is always set, since the error token's value is not ours. */
parsable_entity
  : %empty                              { Deliver(env, Entity(new InterCons(PE_END_OF_TEXT, Line(env)))); $$ = None(); }
  | parsable_entity1 error              { $2 = None(); SemFree($1); DeliverSyntaxError(env); $$ = None(); }
  | parsable_entity1 optional_comment   { Deliver(env, $1); $$ = None(); }
  | error                               { $1 = None(); DeliverSyntaxError(env); $$ = None(); }
  ;

optional_comment
  : %empty                              { $$ = None(); }
  | T_COMMENT T_STRING                  { SemFree($2); $$ = None(); }
  ;

parsable_entity1
  : var_decl_line
  | KType T_IDENT                       { GUARD($$ = MakeTypeDecl(env, $2, nullptr)); }
  | KType T_IDENT KFrom variable_ref    { GUARD($$ = MakeTypeDecl(env, $2, &$4)); }
  | KEnd KType                          { $$ = Terminator(env, PE_END_TYPE); }
  | KBegin KCode                        { $$ = Terminator(env, PE_BEGIN_CODE); }
  | KEnd KCode                          { $$ = Terminator(env, PE_END_CODE); }
  | const_decl_line
  | function_header
  | sub_header
  | property_header
  | event_header
  | stmt_list
  | if_tail
  | T_COMMENT T_STRING                  { $$ = MakeComment(env, $2, 0); }
  | '{' Expression '}'                  { $$ = Entity(new PExpression(X($2))); }
  ;

/* ---- Declarations -------------------------------------------------------------------- */

var_decl_line
  : KDim var_decl_list                  { $$ = Entity(new SimpleVarDecl(Line(env), LineText(env), Groups($2), 0)); }
  | KStatic var_decl_list               { $$ = Entity(new SimpleVarDecl(Line(env), LineText(env), Groups($2), SimpleVarDecl::KEYWORD_STATIC)); }
  ;

var_decl_list
  : var_decl_group                      { $$ = FirstOf(Value(SV_VARGROUPS, new VarGroupList), [&](SemVal l) { return AddGroup(l, $1); }); }
  | var_decl_list ',' var_decl_group    { $$ = AddGroup($1, $3); }
  ;

var_decl_group
  : variable_names decl_type            { $$ = MakeGroup($1, $2); }
  ;

variable_names
  : variable_name                       { $$ = FirstOf(Value(SV_VARNAMES, new VarNameList), [&](SemVal l) { return AddName(l, $1); }); }
  | variable_names ',' variable_name    { $$ = AddName($1, $3); }
  ;

variable_name
  : T_IDENT                             { $$ = MakeVar(env, $1, 0, nullptr); }
  | T_IDENT '(' subscript_list ')'      { $$ = MakeVar(env, $1, VarRecord::ARRAY, Bounds($3)); }
  ;

subscript_list
  : %empty                              { $$ = Value(SV_PAIRLIST, nullptr); }
  | subscript_comps
  ;

subscript_comps
  : subscript_comp                      { $$ = FirstOf(Value(SV_PAIRLIST, new BoundsList), [&](SemVal l) { return AddBound(l, $1); }); }
  | subscript_comps ',' subscript_comp  { $$ = AddBound($1, $3); }
  ;

subscript_comp
  : Expression                          { $$ = Pair(nullptr, X($1)); }
  | Expression KTo Expression           { $$ = Pair(X($1), X($3)); }
  ;

decl_type
  : %empty                              { $$ = Info(new VarDeclInfo(DT_NONE)); }
  | KAs type_keyword                    { $$ = Info(new VarDeclInfo((unsigned char)$2.i)); }
  | KAs KString '*' T_INTEGER           { $$ = Info(new FixedStringDeclInfo($4.i)); }
  | KAs variable_ref                    { GUARD($$ = Info(new ValueRefDeclInfo(Ctx(env), X($2), ValueRefDeclInfo::OBJECT_REF)); SemFree($2)); }
  | KStrict KAs variable_ref            { GUARD($$ = Info(new ValueRefDeclInfo(Ctx(env), X($3), ValueRefDeclInfo::STRICT_REF)); SemFree($3)); }
  | KAs KNew variable_ref               { GUARD($$ = Info(new ValueRefDeclInfo(Ctx(env), X($3), ValueRefDeclInfo::NEW_OBJECT)); SemFree($3)); }
  ;

simple_decl_type
  : %empty                              { $$ = Int(DT_NONE); }
  | KAs type_keyword                    { $$ = $2; }
  ;

type_keyword
  : KInteger                            { $$ = Int(DT_SHORT); }
  | KLong                               { $$ = Int(DT_LONG); }
  | KSingle                             { $$ = Int(DT_FLOAT); }
  | KDouble                             { $$ = Int(DT_DOUBLE); }
  | KCurrency                           { $$ = Int(DT_CURRENCY); }
  | KString                             { $$ = Int(DT_STRING); }
  | KObject                             { $$ = Int(DT_OBJECT); }
  ;

const_decl_line
  : KConst const_decl_list              { $$ = Entity(new ConstDecl(Line(env), LineText(env), Consts($2))); }
  | KGlobal KConst const_decl_list      { $$ = Entity(new ConstDecl(Line(env), LineText(env), Consts($3))); }
  ;

const_decl_list
  : T_IDENT '=' Expression              { $$ = FirstOf(Value(SV_CONSTLIST, new ConstDeclList), [&](SemVal l) { return AddConst(env, l, $1, $3); }); }
  | const_decl_list ',' T_IDENT '=' Expression { $$ = AddConst(env, $1, $3, $5); }
  ;

storage_class
  : KStatic                             { $$ = Int(MOD_STATIC); }
  | KPrivate                            { $$ = Int(MOD_PRIVATE); }
  | KStatic KPrivate                    { $$ = Int(MOD_STATIC_PRIVATE); }
  | KPrivate KStatic                    { $$ = Int(MOD_STATIC_PRIVATE); }
  ;

function_header
  : KFunction T_IDENT paren_arg_list decl_type
      { $$ = MakeFunction(env, 0, $2, $3, $4); }
  | storage_class KFunction T_IDENT paren_arg_list decl_type
      { $$ = MakeFunction(env, $1.i, $3, $4, $5); }
  | KDeclare KFunction T_IDENT KLib T_STRING paren_arg_list decl_type
      { $$ = MakeDeclare(env, $3, $5, None(), $6, &$7); }
  | KDeclare KFunction T_IDENT KLib T_STRING KAlias T_STRING paren_arg_list decl_type
      { $$ = MakeDeclare(env, $3, $5, $7, $8, &$9); }
  ;

sub_header
  : KSub T_IDENT paren_arg_list         { $$ = MakeSub(env, 0, $2, $3); }
  | storage_class KSub T_IDENT paren_arg_list { $$ = MakeSub(env, $1.i, $3, $4); }
  | KDeclare KSub T_IDENT KLib T_STRING paren_arg_list
      { $$ = MakeDeclare(env, $3, $5, None(), $6, nullptr); }
  | KDeclare KSub T_IDENT KLib T_STRING KAlias T_STRING paren_arg_list
      { $$ = MakeDeclare(env, $3, $5, $7, $8, nullptr); }
  ;

property_header
  : KProperty T_IDENT KGet T_IDENT KSet T_IDENT decl_type
      { $$ = MakeProperty(env, $2, $4, $6, $7); }
  | KProperty T_IDENT KGet T_IDENT decl_type
      { $$ = MakeProperty(env, $2, $4, None(), $5); }
  ;

event_header
  : KEvent T_IDENT paren_arg_list simple_decl_type { $$ = MakeEvent(env, $2, $3, $4.i); }
  ;

paren_arg_list
  : %empty                              { $$ = Value(SV_VARGROUPS, nullptr); }
  | '(' arg_decl_list ')'               { $$ = $2; }
  ;

arg_decl_list
  : %empty                              { $$ = Value(SV_VARGROUPS, new VarGroupList); }
  | arg_groups
  ;

arg_groups
  : arg_group                           { $$ = FirstOf(Value(SV_VARGROUPS, new VarGroupList), [&](SemVal l) { return AddGroup(l, $1); }); }
  | arg_groups ',' arg_group            { $$ = AddGroup($1, $3); }
  ;

arg_group
  : arg_var_list decl_type              { $$ = MakeGroup($1, $2); }
  ;

arg_var_list
  : arg_var                             { $$ = FirstOf(Value(SV_VARNAMES, new VarNameList), [&](SemVal l) { return AddName(l, $1); }); }
  | arg_var_list ',' arg_var            { $$ = AddName($1, $3); }
  ;

arg_var
  : T_IDENT                             { $$ = MakeVar(env, $1, 0, nullptr); }
  | T_IDENT '(' ')'                     { $$ = MakeVar(env, $1, VarRecord::ARRAY, nullptr); }
  | KByVal T_IDENT                      { $$ = MakeVar(env, $2, VarRecord::BYVAL, nullptr); }
  ;

/* ---- Statements ---------------------------------------------------------------------- */

stmt_list
  : stmt                                { $$ = FirstStmt($1); }
  | stmt_list ':' stmt                  { $$ = AddStmt($1, $3); }
  ;

stmt
  : simple_stmt
  | complex_stmt
  | intermediate_stmt
  ;

/* The body of a one-line If and of an Else/ElseIf line: simple statements only, since
   they become a block at once. */
simple_stmt_list
  : simple_stmt                         { $$ = FirstStmt($1); }
  | simple_stmt_list ':' simple_stmt    { $$ = AddStmt($1, $3); }
  ;

simple_stmt
  : variable_ref '=' Expression         { $$ = Assign(env, 0, $1, $3); }
  | KLet variable_ref '=' Expression    { $$ = Assign(env, 1, $2, $4); }
  | KSet variable_ref '=' Expression    { $$ = Assign(env, 2, $2, $4); }
  | variable_ref KDeepAssign Expression { $$ = Assign(env, 4, $1, $3); }
  | KLet variable_ref KDeepAssign Expression { $$ = Assign(env, 5, $2, $4); }
  | KSet variable_ref KDeepAssign Expression { $$ = Assign(env, 6, $2, $4); }
  | KPrint                              { $$ = MakePrint(env, nullptr, nullptr); }
  | KPrint print_list                   { $$ = MakePrint(env, nullptr, &$2); }
  | variable_ref '.' KPrint             { $$ = MakePrint(env, &$1, nullptr); }
  | variable_ref '.' KPrint print_list  { $$ = MakePrint(env, &$1, &$4); }
  | variable_ref Arguments              { $$ = CallStmt(env, 1, $1, &$2); }
  | KCall variable_ref                  { $$ = CallStmt(env, 2, $2, nullptr); }
  | KRaiseEvent variable_ref            { $$ = CallStmt(env, 4, $2, nullptr); }
  | KStop                               { $$ = WrapStmt<PStopStmt>(env, new StopStmt(Line(env))); }
  | exit_stmt                           { $$ = WrapStmt<PExiter>(env, new ExitStmt(Line(env), $1.i)); }
  | KRem                                { $$ = MakeComment(env, None(), 1); }
  | KRem T_STRING                       { $$ = MakeComment(env, $2, 1); }
  | KReDim optional_KPreserve Variable '(' subscript_list ')'
      { $$ = MakeRedim(env, $2.i, $3, $5); }
  | KRandomize                          { $$ = WrapStmt<PRandomizeStmt>(env, new RandomizeStmt(Line(env), nullptr)); }
  | KRandomize Expression               { $$ = WrapStmt<PRandomizeStmt>(env, new RandomizeStmt(Line(env), TakeX($2))); }
  | KThrow                              { $$ = WrapStmt<PThrowStmt>(env, new ThrowStmt(Line(env), nullptr)); }
  | KThrow Identifier                   { $$ = WrapStmt<PThrowStmt>(env, new ThrowStmt(Line(env), TakeX($2))); }
  ;

exit_stmt
  : KExit                               { $$ = Int(EXIT_ANY); }
  | KExit KDo                           { $$ = Int(EXIT_DO); }
  | KExit KFor                          { $$ = Int(EXIT_FOR); }
  | KExit KFunction                     { $$ = Int(EXIT_FUNCTION); }
  | KExit KSub                          { $$ = Int(EXIT_SUB); }
  ;

optional_KPreserve
  : %empty                              { $$ = Int(0); }
  | KPreserve                           { $$ = Int(1); }
  ;

/* Items keep the separator that follows them; the list's own separator is the one that
   ends the statement (none: a new line). */
print_list
  : print_items                         { $$ = $1; }
  | print_items print_sep               { $$ = EndPrintList($1, $2.i); }
  | print_sep                           { $$ = EndPrintList(NewPrintList(), $1.i); }
  ;

print_items
  : print_component                     { $$ = FirstOf(NewPrintList(), [&](SemVal l) { return AddPrintItem(l, -1, $1); }); }
  | print_items print_sep print_component { $$ = AddPrintItem($1, $2.i, $3); }
  ;

print_sep
  : ','                                 { $$ = Int(PRINT_SEP_COMMA); }
  | ';'                                 { $$ = Int(PRINT_SEP_SEMICOLON); }
  ;

print_component
  : KSpc '(' Expression ')'             { $$ = Value(SV_PRINTITEM, new PrintItem(X($3), 1)); }
  | KTab '(' Expression ')'             { $$ = Value(SV_PRINTITEM, new PrintItem(X($3), 2)); }
  | Expression                          { $$ = Value(SV_PRINTITEM, new PrintItem(X($1), 3)); }
  ;

complex_stmt
  : KIf Expression KThen                { $$ = Entity(new PComplexIfThen(Line(env), X($2))); }
  | KIf Expression KThen simple_stmt_list
      { $$ = MakeSimpleIf(env, $2, $4, nullptr); }
  | KIf Expression KThen simple_stmt_list KElse simple_stmt_list
      { $$ = MakeSimpleIf(env, $2, $4, &$6); }
  | KSelect KCase Expression            { $$ = Entity(new PSelectCase(Line(env), X($3))); }
  | loop_head
  | KFor variable_ref '=' Expression KTo Expression
      { $$ = Entity(new PForNext(Line(env), X($2), X($4), X($6), nullptr, FOR_NUMERIC)); }
  | KFor variable_ref '=' Expression KTo Expression KStep Expression
      { $$ = Entity(new PForNext(Line(env), X($2), X($4), X($6), X($8), FOR_NUMERIC)); }
  | KFor KEach variable_ref KIn Expression
      { $$ = Entity(new PForNext(Line(env), X($3), X($5), nullptr, nullptr, FOR_EACH_IN)); }
  | KFor KEach variable_ref KEmbeddedIn Expression
      { $$ = Entity(new PForNext(Line(env), X($3), X($5), nullptr, nullptr, FOR_EACH_EMBEDDED)); }
  | KFor KEach variable_ref KCopiedFrom Expression
      { $$ = Entity(new PForNext(Line(env), X($3), X($5), nullptr, nullptr, FOR_EACH_COPIED)); }
  | KTry                                { $$ = Entity(new PTryBlock(Line(env))); }
  | KWith variable_ref                  { $$ = Entity(new PWithBlock(Line(env), X($2))); }
  ;

loop_head
  : KDo                                 { $$ = Entity(new PDoLoop(Line(env), LOOP_HEAD_PLAIN, nullptr)); }
  | KDo KWhile Expression               { $$ = Entity(new PDoLoop(Line(env), LOOP_HEAD_WHILE, X($3))); }
  | KDo KUntil Expression               { $$ = Entity(new PDoLoop(Line(env), LOOP_HEAD_UNTIL, X($3))); }
  | KWhile Expression                   { $$ = Entity(new PDoLoop(Line(env), LOOP_WHILE_WEND, X($2))); }
  ;

intermediate_stmt
  : KEnd KIf                            { $$ = Terminator(env, PE_END_IF); }
  | KEnd KSelect                        { $$ = Terminator(env, PE_END_SELECT); }
  | KEnd KFunction                      { $$ = Terminator(env, PE_END_FUNCTION); }
  | KEnd KSub                           { $$ = Terminator(env, PE_END_SUB); }
  | KEnd KTry                           { $$ = Terminator(env, PE_END_TRY); }
  | KEnd KWith                          { $$ = Terminator(env, PE_END_WITH); }
  | KWend                               { $$ = Terminator(env, PE_WEND); }
  | KNext                               { $$ = Entity(new PNextStmt(Line(env), nullptr)); }
  | KNext variable_ref                  { $$ = Entity(new PNextStmt(Line(env), X($2))); }
  | loop_end
  | case_line
  | KCatch                              { $$ = MakeCatch(env, None(), None()); }
  | KCatch Variable paren_arg_list      { $$ = MakeCatch(env, $2, $3); }
  ;

loop_end
  : KLoop                               { $$ = Entity(new PDoLoopEnd(Line(env), LOOP_END_PLAIN, nullptr)); }
  | KLoop KWhile Expression             { $$ = Entity(new PDoLoopEnd(Line(env), LOOP_END_WHILE, X($3))); }
  | KLoop KUntil Expression             { $$ = Entity(new PDoLoopEnd(Line(env), LOOP_END_UNTIL, X($3))); }
  ;

case_line
  : KCase case_expr_list                { $$ = Entity(new PCaseClause(Line(env), CaseList($2))); }
  | KCase KElse                         { $$ = Entity(new PCaseClause(Line(env), nullptr)); }
  ;

case_expr_list
  : case_expr_component                 { $$ = FirstOf(Value(SV_CASELIST, new PtrList<ECaseClauseBase>), [&](SemVal l) { return AddCase(l, $1); }); }
  | case_expr_list ',' case_expr_component { $$ = AddCase($1, $3); }
  ;

/* "Is" may come before a comparison; equality after it is written "==". */
case_expr_component
  : Expression                          { $$ = CaseItem(ECC_EQUAL, $1, None()); }
  | Expression KTo Expression           { $$ = CaseItem(ECC_RANGE, $1, $3); }
  | case_comparison
  | KIs case_comparison                 { $$ = $2; }
  ;

case_comparison
  : KEq Expression                      { $$ = CaseItem(ECC_IS_EQ, $2, None()); }
  | '>' Expression                      { $$ = CaseItem(ECC_IS_GT, $2, None()); }
  | '<' Expression                      { $$ = CaseItem(ECC_IS_LT, $2, None()); }
  | KLEq Expression                     { $$ = CaseItem(ECC_IS_LE, $2, None()); }
  | KGEq Expression                     { $$ = CaseItem(ECC_IS_GE, $2, None()); }
  | KNEq Expression                     { $$ = CaseItem(ECC_IS_NE, $2, None()); }
  ;

if_tail
  : KElseIf Expression KThen            { $$ = MakeElse(env, &$2, nullptr); }
  | KElseIf Expression KThen simple_stmt_list { $$ = MakeElse(env, &$2, &$4); }
  | KElse                               { $$ = MakeElse(env, nullptr, nullptr); }
  | KElse simple_stmt_list              { $$ = MakeElse(env, nullptr, &$2); }
  ;

/* ---- Expressions --------------------------------------------------------------------- */

Variable
  : T_IDENT                             { $$ = Value(SV_SID, new Sid($1.id.index, $1.id.suffix)); }
  | KLeft                               { $$ = Value(SV_SID, new Sid(InternName(env, "Left"), 0)); }
  ;

Identifier
  : Variable
  | Variable '(' Arguments ')'          { $$ = Value(SV_CID, Cid::call(X($1), ArgList($3))); }
  ;

/* Member access comes first so that "a .b" reads as a.b. */
variable_ref
  : variable_ref '.' Identifier         { $$ = Value(SV_EXPR, new Mid(X($1), X($3))); }
  | Identifier
  | KMe                                 { $$ = Value(SV_EXPR, new MeNode); }
  | KMe '(' Arguments ')'               { $$ = MeCall($3); }
  | '.' Identifier                      { X($2)->markAsDotted(); $$ = $2; }
  ;

Arguments
  : %empty                              { $$ = Value(SV_CID, new Cid); }
  | argument_list
  ;

argument_list
  : Expression                          { $$ = Value(SV_CID, new Cid(X($1))); }
  | argument_list ',' Expression        { ArgList($1)->append(X($3)); $$ = $1; }
  ;

Expression
  : literal
  | intrinsic
  | variable_ref
  | Expression '^' Expression           { $$ = Binary(BinaryOp::POW, $1, $3); }
  | Expression '*' Expression           { $$ = Binary(BinaryOp::MUL, $1, $3); }
  | Expression '/' Expression           { $$ = Binary(BinaryOp::DIV, $1, $3); }
  | Expression '\\' Expression          { $$ = Binary(BinaryOp::IDIV, $1, $3); }
  | Expression KMod Expression          { $$ = Binary(BinaryOp::MOD, $1, $3); }
  | Expression '+' Expression           { $$ = Binary(BinaryOp::ADD, $1, $3); }
  | Expression '-' Expression           { $$ = Binary(BinaryOp::SUB, $1, $3); }
  | Expression '&' Expression           { $$ = Binary(BinaryOp::CAT, $1, $3); }
  | Expression '=' Expression           { $$ = Binary(BinaryOp::EQ, $1, $3); }
  | Expression KEq Expression           { $$ = Binary(BinaryOp::EQ, $1, $3); }
  | Expression KNEq Expression          { $$ = Binary(BinaryOp::NE, $1, $3); }
  | Expression '>' Expression           { $$ = Binary(BinaryOp::GT, $1, $3); }
  | Expression '<' Expression           { $$ = Binary(BinaryOp::LT, $1, $3); }
  | Expression KGEq Expression          { $$ = Binary(BinaryOp::GE, $1, $3); }
  | Expression KLEq Expression          { $$ = Binary(BinaryOp::LE, $1, $3); }
  | Expression KLike Expression         { $$ = Binary(BinaryOp::LIKE, $1, $3); }
  | Expression KAnd Expression          { $$ = Binary(BinaryOp::AND, $1, $3); }
  | Expression KAndAnd Expression       { $$ = Binary(BinaryOp::ANDALSO, $1, $3); }
  | Expression KOr Expression           { $$ = Binary(BinaryOp::OR, $1, $3); }
  | Expression KOrOr Expression         { $$ = Binary(BinaryOp::ORELSE, $1, $3); }
  | Expression KXor Expression          { $$ = Binary(BinaryOp::XOR, $1, $3); }
  | Expression KEqv Expression          { $$ = Binary(BinaryOp::EQV, $1, $3); }
  | Expression KImp Expression          { $$ = Binary(BinaryOp::IMP, $1, $3); }
  | KTypeOf variable_ref KIs variable_ref { $$ = Binary(BinaryOp::TYPEOF, $2, $4); }
  | KNot Expression                     { $$ = Value(SV_EXPR, new UnaryOp(1, X($2))); }
  | '-' Expression %prec UMINUS         { $$ = Negate($2); }
  | '(' Expression ')'                  { X($2)->setFlag(EF_PAREN); $$ = $2; }
  ;

literal
  : T_INTEGER                           { $$ = Value(SV_EXPR, new LongConstant($1.i, 0)); }
  | T_HEXINT                            { $$ = Value(SV_EXPR, new LongConstant($1.i, 1)); }
  | T_OCTINT                            { $$ = Value(SV_EXPR, new LongConstant($1.i, 2)); }
  | T_DOUBLE                            { $$ = Value(SV_EXPR, new Constant<double, 4>($1.d)); }
  | T_STRING                            { $$ = StringLiteral($1); }
  | KTrue                               { $$ = Value(SV_SID, new Sid(-1, 0)); }
  | KFalse                              { $$ = Value(SV_SID, new Sid(-2, 0)); }
  | KNothing                            { $$ = Value(SV_EXPR, new NullObjConstant); }
  ;

optional_ds
  : %empty                              { $$ = Int(0); }
  | '$'                                 { $$ = Int(1); }
  ;

/* Functions of one argument grouped by node class; the value is the node's type. */
math_function
  : KAbs { $$ = Int(1); } | KAtn { $$ = Int(2); } | KCos { $$ = Int(3); } | KExp { $$ = Int(4); }
  | KFix { $$ = Int(5); } | KInt { $$ = Int(6); } | KLog { $$ = Int(7); } | KSgn { $$ = Int(9); }
  | KSin { $$ = Int(10); } | KSqr { $$ = Int(11); } | KTan { $$ = Int(12); }
  ;

string_function
  : KLCase { $$ = Int(67); } | KUCase { $$ = Int(68); } | KLTrim { $$ = Int(73); }
  | KRTrim { $$ = Int(74); } | KTrim { $$ = Int(75); } | KSpace { $$ = Int(144); }
  | KStr { $$ = Int(2); } | KAsc { $$ = Int(76); } | KVal { $$ = Int(77); }
  | KChr { $$ = Int(145); } | KHex { $$ = Int(146); } | KOct { $$ = Int(147); }
  ;

intrinsic
  : KLBound '(' variable_ref ')'        { $$ = Value(SV_EXPR, new IntrBound(2, X($3), nullptr)); }
  | KLBound '(' variable_ref ',' Expression ')' { $$ = Value(SV_EXPR, new IntrBound(2, X($3), X($5))); }
  | KUBound '(' variable_ref ')'        { $$ = Value(SV_EXPR, new IntrBound(1, X($3), nullptr)); }
  | KUBound '(' variable_ref ',' Expression ')' { $$ = Value(SV_EXPR, new IntrBound(1, X($3), X($5))); }
  | KIIf '(' Expression ',' Expression ',' Expression ')'
      { $$ = Value(SV_EXPR, new IntrIIf(X($3), X($5), X($7))); }
  | math_function '(' Expression ')'    { $$ = Value(SV_EXPR, new IntrMath($1.i, X($3))); }
  | KRnd                                { $$ = Value(SV_EXPR, new IntrMath(8, nullptr)); }
  | KRnd '(' ')'                        { $$ = Value(SV_EXPR, new IntrMath(8, nullptr)); }
  | KRnd '(' Expression ')'             { $$ = Value(SV_EXPR, new IntrMath(8, X($3))); }
  | KRGB '(' Expression ',' Expression ',' Expression ')'
      { $$ = Value(SV_EXPR, new IntrColor(1, X($3), X($5), X($7))); }
  | KQBColor '(' Expression ')'         { $$ = Value(SV_EXPR, new IntrColor(2, X($3))); }
  | KInStr '(' Expression ',' Expression ')'
      { $$ = Value(SV_EXPR, new IntrString(1, 0, X($3), X($5))); }
  | KInStr '(' Expression ',' Expression ',' Expression ')'
      { $$ = Value(SV_EXPR, new IntrString(1, 0, X($3), X($5), X($7))); }
  | KInStr '(' Expression ',' Expression ',' Expression ',' Expression ')'
      { $$ = Value(SV_EXPR, new IntrString(1, 0, X($3), X($5), X($7), X($9))); }
  | string_function optional_ds '(' Expression ')'
      { $$ = Value(SV_EXPR, new IntrString($1.i, $2.i, X($4))); }
  | KString optional_ds '(' Expression ',' Expression ')'
      { $$ = Value(SV_EXPR, new IntrString(143, $2.i, X($4), X($6))); }
  | KLeft '(' Expression ',' Expression ')'
      { $$ = Value(SV_EXPR, new IntrString(69, 0, X($3), X($5))); }
  | KLeft '$' '(' Expression ',' Expression ')'
      { $$ = Value(SV_EXPR, new IntrString(69, 1, X($4), X($6))); }
  | KRight optional_ds '(' Expression ',' Expression ')'
      { $$ = Value(SV_EXPR, new IntrString(70, $2.i, X($4), X($6))); }
  | KMid optional_ds '(' Expression ',' Expression ')'
      { $$ = Value(SV_EXPR, new IntrString(71, $2.i, X($4), X($6))); }
  | KMid optional_ds '(' Expression ',' Expression ',' Expression ')'
      { $$ = Value(SV_EXPR, new IntrString(71, $2.i, X($4), X($6), X($8))); }
  | KStrComp '(' Expression ',' Expression ')'
      { $$ = Value(SV_EXPR, new IntrString(78, 0, X($3), X($5))); }
  | KStrComp '(' Expression ',' Expression ',' Expression ')'
      { $$ = Value(SV_EXPR, new IntrString(78, 0, X($3), X($5), X($7))); }
  | KLen '(' Expression ')'             { $$ = Value(SV_EXPR, new IntrString(72, 0, X($3))); }
  ;

%%

/* Tokens: the lexer's end of statement (-1) is token 0; a literal the lexer could not read
   is handed on as a character no rule uses, so the parser reports it as a syntax error in
   its current state (with the lexer's explanation). A lexer exception ends the input; it
   is thrown again once the parse has cleaned up its stack. */
static int yylex(SemVal* value, GrammarEnv* env) {
  value->kind = SV_NONE;
  value->p = nullptr;
  if (env->pending) return 0;
  try {
    int token = env->lex->next(*value);
    if (token < 0) return 0;
    if (token == TOK_ERROR) return 1;
    return token;
  } catch (const XException& e) {
    Stash(env, e);
    return 0;
  }
}

/* Only the stack overflow comes here ("memory exhausted"): GrammarParse reports it. */
static void yyerror(GrammarEnv*, const char*) {}

/* The first error of a parse becomes the SyntaxError of the entity that recovery makes:
   where the lexer stands, the look-ahead token and the state that could not take it. */
static int yyreport_syntax_error(const yypcontext_t* context, GrammarEnv* env) {
  (void)yypcontext_expected_tokens;  // the expected texts come from the generated table
  if (env->pending || env->error) return 0;
  Lexer& lex = *env->lex;
  short token = (short)(lex.lastToken() < 0 ? 0 : lex.lastToken());
  env->error = new SyntaxError(lex.absLineNumber(), token, (short)*context->yyssp, lex.readPos(),
                               lex.lineText(), lex.errorText());
  ++env->gs->errorCount;
  return 0;
}

int GrammarParse(ParserContext* ctx, Lexer& lex, GrammarState& gs, PEntity*& out) {
  GrammarEnv env;
  env.ctx = ctx;
  env.lex = &lex;
  env.gs = &gs;
  gs.errorCount = 0;
  gs.lastError_.reset();
  out = nullptr;
  int status;
  try {
    status = yyparse(&env);
  } catch (...) {  // an action failed beyond what GUARD keeps: give up this parse
    if (env.result) env.result->release();
    delete env.error;
    delete env.pending;
    throw;
  }
  gs.lastError_.reset(env.error);
  if (env.pending || status == 2) {
    if (env.result) env.result->release();
    if (env.pending) {
      std::unique_ptr<XException> pending(env.pending);
      pending->Throw();
    }
    throw ParserException(PMSG_TABLE_OVERFLOW, lex.absLineNumber(), nullptr);
  }
  if (status != 0) {
    if (env.result) env.result->release();
    return 1;
  }
  out = env.result;
  return 0;
}

const char* GrammarTokenSymbol(int token) {
  return yysymbol_name(YYTRANSLATE(token));
}
