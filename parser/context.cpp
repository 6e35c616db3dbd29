// The parser context: entity stream and block table of one parse.
#include "context.h"

#include <memory>

#include "driver.h"
#include "parseexcept.h"
#include "store/block.h"
#include "store/interobj.h"
#include "utils/xexception.h"

ParserContext::ParserContext() {}

ParserContext::~ParserContext() {
  pending_.reset();
  dropConstScope();
}

void ParserContext::start(std::istream* in, const char* text) {
  pending_.reset();
  state_ = 0;
  GrammarStart(grammar, lexer, in);
  text_ = text;
}

void ParserContext::reset(int full) {
  if (full)
    blocks_.release();
  else
    blocks_.clear();
  dropConstScope();
  GrammarReset(grammar, lexer, full);
  // What the grammar handed over and nobody took (a compile that failed) goes with it.
  pending_.reset();
  state_ = 0;
  text_ = nullptr;
}

PEntity* ParserContext::fetch() {
  for (;;) {
    if (!pending_) {
      PEntity* out = nullptr;
      int aborted = GrammarParse(*this, lexer, grammar, out);
      if (!out) {
        // Nothing accepted: an unrepaired error carries its syntax error, anything
        // else is the end of the text.
        if (aborted) {
          std::unique_ptr<SyntaxError> error(
              grammar.lastError() ? new SyntaxError(*grammar.lastError())
                                  : new SyntaxError(lexer.absLineNumber(), (short)lexer.lastToken(), 0,
                                                    lexer.readPos(), lexer.lineText()));
          out = new PSyntaxError(error.get());
          error.release();
        } else
          out = new InterCons(PE_END_OF_TEXT, lexer.lineNumber());
        out->addRef();
      }
      pending_.adopt(out);
      state_ = out->getType();
    }
    if (state_ != PE_STMT_LIST) return pending_.get();
    StmtList* list = static_cast<StmtList*>(pending_.get());
    if (PEntity* first = list->first()) return first;
    pending_.reset();  // an emptied list: read on
    state_ = 0;
  }
}

void ParserContext::consume() {
  if (state_ == PE_STMT_LIST) {
    StmtList* list = static_cast<StmtList*>(pending_.get());
    if (PEntity* first = list->removeFirst()) first->release();
    if (!list->empty()) return;
  }
  pending_.reset();
  state_ = 0;
}

static bool KindMatches(int kind, int type) {
  switch (kind) {
    case PE_MEMBER_DECL:
      return type == PE_COMPLEX_VAR_DECL || type == PE_SIMPLE_VAR_DECL || type == PE_CONST_DECL ||
             type == PE_PROPERTY_DECL || type == PE_EVENT_DECL || type == PE_FUNC_DECLARE ||
             type == PE_SUB_DECLARE;
    case PE_PROC_DECL:
      return type == PE_FUNC_DECL || type == PE_SUB_DECL;
    case PE_PROC_DECLARE:
      return type == PE_FUNC_DECLARE || type == PE_SUB_DECLARE;
    default:
      return type == kind;
  }
}

PEntityRef ParserContext::nextEntity(int kind, DeadSourceList* ds) {
  for (;;) {
    PEntity* e = fetch();
    if (!e) return PEntityRef();
    int type = e->getType();
    if (type == PE_COMMENT) {
      if (ds) {
        Comment* c = static_cast<Comment*>(e);
        ds->add(c->position(), c->text(),
                c->flag() ? DeadSourceList::COMMENT_FLAGGED : DeadSourceList::COMMENT, 3);
      }
      consume();
      continue;
    }
    if (!KindMatches(kind, type)) return PEntityRef();
    PEntityRef result(e);
    consume();
    return result;
  }
}

PEntity* ParserContext::peek() {
  for (;;) {
    PEntity* e = fetch();
    if (!e || e->getType() != PE_COMMENT) return e;
    consume();
  }
}

const char* ParserContext::currentEntityName() {
  if (!pending_) return "Nothing";
  PEntity* e = state_ == PE_STMT_LIST ? static_cast<StmtList*>(pending_.get())->first() : pending_.get();
  if (!e || e->getType() == PE_END_OF_TEXT) return "Nothing";
  return e->name();
}

PSyntaxError* ParserContext::pendingSyntaxError() {
  if (!pending_ || state_ != PE_SYNTAX_ERROR) return nullptr;
  return static_cast<PSyntaxError*>(pending_.get());
}

int ParserContext::closeBlock(BlockBuildRep* block) {
  if (!block) return -1;
  int index;
  try {
    index = blocks_.close(block);
  } catch (...) {
    block->unref();  // the count is ours either way
    throw;
  }
  block->unref();
  return index;
}

InterObjRep* ParserContext::constScope() {
  if (!constScope_) {
    constScope_ = new InterObjRep(nullptr, "", 254);
    constScope_->ref();
  }
  return constScope_;
}

void ParserContext::dropConstScope() {
  InterObjRep* scope = constScope_;
  constScope_ = nullptr;
  if (scope) scope->unref();
}

IdDynamicVector& ParserContext::ids() { return lexer.ids(); }

const char* ParserContext::idName(int index) {
  if (index < 0 || index >= lexer.ids().entries()) return nullptr;
  return lexer.ids().text(index);
}

int ParserContext::currentLine() const { return lexer.lineNumber(); }

void ParserContext::setCurrentLine(int line) {
  if (!fileLines_) lexer.setLineNumber(line);
}

int ParserContext::absoluteLine() const { return lexer.absLineNumber(); }

ParserContext& GlobalParserContext() {
  static ParserContext ctx;
  return ctx;
}

short ParserContext::nextToken(int& start, int& end) {
  start = lexer.readPos();
  SemVal value;
  value.kind = SV_NONE;
  int token = lexer.next(value);
  if (value.kind == SV_TEXT) delete[] value.text;
  end = lexer.readPos() - 1;
  return (short)token;
}
