// Runs the grammar over a text, one entity at a time, on a parser context of its own.
#pragma once

#include <sstream>
#include <string>

#include "context.h"
#include "entity.h"
#include "grammar.h"
#include "lexer.h"

class GrammarRun {
 public:
  explicit GrammarRun(const std::string& text) : in_(text) { GrammarStart(ctx_.grammar, ctx_.lexer, &in_); }
  ~GrammarRun() { GrammarReset(ctx_.grammar, ctx_.lexer, 1); }

  // The next entity (a counted reference the holder releases).
  PEntityRef next() {
    PEntity* e = nullptr;
    status_ = GrammarParse(ctx_, ctx_.lexer, ctx_.grammar, e);
    PEntityRef ref;
    ref.adopt(e);
    return ref;
  }
  int status() const { return status_; }
  ParserContext& ctx() { return ctx_; }
  const IdDynamicVector& ids() { return ctx_.lexer.ids(); }

 private:
  ParserContext ctx_;
  std::istringstream in_;
  int status_ = 0;
};
