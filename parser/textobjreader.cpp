// The text object file reader.
#include "parser/textobjreader.h"

#include <windows.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

#include "parser/context.h"
#include "parser/declvar.h"
#include "parser/driver.h"
#include "parser/messages.h"
#include "parser/parseexcept.h"
#include "store/block.h"
#include "store/context.h"
#include "store/evalable.h"
#include "store/groups.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/storeapp.h"
#include "store/storeexcept.h"
#include "utils/xexception.h"

namespace {

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(), (int)a.size(),
                                                b.data(), (int)b.size()) == CSTR_EQUAL;
}

// Store notifications are held back for the whole read.
struct NotifyBatch {
  NotifyBatch() { StoreApplication::BatchNotifies(1); }
  ~NotifyBatch() { StoreApplication::BatchNotifies(0); }
};

// Store exceptions propagate out of Basic while a Code block runs, instead of going to
// the store's default handler.
struct NoStoreHandler {
  NoStoreHandler() : previous(StoreApplication::HandleExceptions(0)) {}
  ~NoStoreHandler() { StoreApplication::HandleExceptions(previous); }
  int previous;
};

bool AskYesNo(const std::string& text, const char* caption) {
  return StoreApplication::MessageBox(nullptr, text.c_str(), caption,
                                      MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL) == IDYES;
}

const char kParseCaption[] = "Error while parsing";
const char kCodeCaption[] = "Error during code section execution";

}  // namespace

TextObjectReader::TextObjectReader(const char* file, InterObjRep* group, int run)
    : file_(file ? file : ""), group_(nullptr), run_(run) {
  if (group && InterObjRep::canBeTreatedAs(iGroup::PO_GetObject(), group)) group_ = group;
}

std::string TextObjectReader::ParseErrorText(const char* file, const ParserException& e) {
  std::ostringstream os;
  os << "Parsing error in file: " << (file ? file : "") << " at line: " << e.line() + 1 << "\n\n";
  e.printError(os);
  os << "\n\nOk to continue?";
  return os.str();
}

std::string TextObjectReader::StoreErrorText(const char* file, int line, const StoreException& e) {
  std::string text = std::string("A '") + e.className() +
                     "' exception originated on line: " + std::to_string(line) + "\nof file: \"" +
                     (file ? file : "") + "\"";
  if (!e.objectName().empty()) {
    text += "\n\n The exception involved object '" + e.objectName();
    text += e.memberName().empty() ? std::string("'") : "' in method " + e.memberName();
    text += ".";
  }
  text += "\n\nDescription:\n\n  ";
  text += e.what();
  text += "\n\nOk to continue?";
  return text;
}

std::string TextObjectReader::lineText(int line) const {
  if (line < 0 || line >= (int)lines_.size()) return std::string();
  return lines_[(size_t)line];
}

void TextObjectReader::addToGroup(InterObjRep* obj) {
  if (!group_) return;
  if (iGroup* g = iGroup::Native(group_)) g->add(obj);
}

void TextObjectReader::discardMade() {
  iGroup* g = group_ ? iGroup::Native(group_) : nullptr;
  for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
    InterObjRep* obj = it->get();
    if (!obj) continue;
    if (g) g->members().remove_if([obj](const CountedIndirectInterObj& r) { return r.get() == obj; });
    if (!obj->isDestroyed()) obj->Destroy();
  }
  made_.clear();
}

TextObjectReader::Result TextObjectReader::read() {
  NotifyBatch batch;
  std::string text;
  {
    std::ifstream in(file_.c_str(), std::ios::binary);
    if (!in) throw StoreException("Couldn't open file named '" + file_ + "'.");
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // Lines end in LF or CR LF; the parser gets LF alone, so that a line's length is its
  // characters whatever the file's line ends.
  std::string source;
  source.reserve(text.size());
  lines_.clear();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    size_t next = end == std::string::npos ? text.size() : end + 1;
    if (end == std::string::npos) end = text.size();
    size_t stop = end;
    if (stop > start && text[stop - 1] == '\r') --stop;
    lines_.emplace_back(text, start, stop - start);
    source.append(text, start, stop - start);
    source += '\n';
    start = next;
  }
  std::istringstream in(source);
  auto ctx = std::make_unique<ParserContext>();
  ctx->setFileLines(&lines_);
  try {
    ctx->start(&in, file_.c_str());
    readEntities(*ctx);
  } catch (const XAssert&) {
    ctx.reset();
    discardMade();
    throw;
  } catch (const ParserException& e) {
    ctx.reset();
    if (AskYesNo(ParseErrorText(file_.c_str(), e), kParseCaption)) return kPartial;
    discardMade();
    StoreException refused("Parse Error");
    refused.setLine(e.line());
    refused.userHandled(1);
    throw refused;
  } catch (StoreException& e) {
    ctx.reset();
    // Lines are counted from 0 in the store's exceptions; the box names the file's line.
    if (e.userHandled(-1) || !AskYesNo(StoreErrorText(file_.c_str(), e.line() + 1, e), kCodeCaption)) {
      discardMade();
      e.userHandled(1);
      throw;
    }
    return kPartial;
  } catch (...) {
    ctx.reset();
    discardMade();
    throw;
  }
  return kComplete;
}

void TextObjectReader::readEntities(ParserContext& ctx) {
  for (;;) {
    if (PEntityRef e = ctx.nextEntity(PE_MEMBER_DECL)) {
      switch (e->getType()) {
        case PE_COMPLEX_VAR_DECL:
          typeBlock(ctx, *static_cast<ComplexVarDecl*>(e.get()));
          break;
        case PE_CONST_DECL:
          throw ParserException(PMSG_CONST_TYPE, e->line(), nullptr);
        default:
          throw ParserException(PMSG_EXPECTED_TYPE_OR_CODE, static_cast<Decl*>(e.get())->text().c_str(),
                                e->line(), nullptr);
      }
      continue;
    }
    if (ctx.nextEntity(PE_BEGIN_CODE)) {
      codeBlock(ctx);
      continue;
    }
    break;
  }
  ParseDriver::ThrowPendingSyntaxError(ctx);
  PEntity* next = ctx.peek();
  if (next && next->getType() != PE_END_OF_TEXT) unexpected(ctx);
}

// Statements and procedures at the top of the file are 32745 with the line's text;
// anything else that stops the file (a stray End Type, Next, ...) the closing message.
void TextObjectReader::unexpected(ParserContext& ctx) {
  PEntity* next = ctx.peek();
  int line = next->line();
  int type = next->getType();
  if (type == PE_STATEMENT || (type >= PE_DECL && type <= PE_EXPRESSION)) {
    std::string text = lineText(line);
    size_t lead = text.find_first_not_of(" \t");
    text = lead == std::string::npos ? std::string() : text.substr(lead);
    throw ParserException(PMSG_EXPECTED_TYPE_OR_CODE, text.c_str(), line, nullptr);
  }
  const char* name = ctx.currentEntityName();
  if (!name || !std::strcmp(name, "Nothing")) return;
  std::string text = "During loading of file: \"" + file_ + "\"\n\n Found a '" + name +
                     "' unexpectedly on line: \n\n" + lineText(line);
  throw ParserException(text, line, nullptr);
}

void TextObjectReader::typeBlock(ParserContext& ctx, ComplexVarDecl& decl) {
  const std::string& name = decl.typeName();
  const std::string& parentName = decl.baseName();
  const int line = decl.line();
  InterObjRep* found = ObjectStore::find(name.c_str());
  InterObjRep* obj = nullptr;
  if (found && !parentName.empty() && SameName(parentName, name)) {
    obj = found;  // "Type A From A": more of an object that exists (one a DLL published)
  } else if (found) {
    // The store has one name space for the top-level objects of all modules: an object
    // of another module cannot be shadowed by one of this module either.
    throw ParserException(PMSG_OBJECT_EXISTS, name.c_str(), line, nullptr);
  } else if (!parentName.empty()) {
    InterObjRep* parent = ObjectStore::find(parentName.c_str());
    if (!parent) throw ParserException(PMSG_OBJECT_NOT_FOUND, parentName.c_str(), line, file_.c_str());
    PrimInterObj made(parent, name.c_str(), 0);
    obj = made.get();
    made_.emplace_back(obj, tIndirectReference);
  } else {
    PrimInterObj made(name.c_str(), iACL::Standard(), 0);
    obj = made.get();
    made_.emplace_back(obj, tIndirectReference);
  }
  ReadTypeBody(ctx, *obj);
  addToGroup(obj);
}

void TextObjectReader::codeBlock(ParserContext& ctx) {
  BlockBuildRep* block = new BlockBuildRep(0);
  block->ref();
  try {
    ParseDriver::ReadBody(ctx, block, nullptr, 0);
    if (!ctx.nextEntity(PE_END_CODE))
      throw ConstructError(ctx.currentLine(), "Code", PE_END_CODE, ctx.currentEntityName());
  } catch (...) {
    block->unref();
    throw;
  }
  block->setLine(ctx.currentLine());
  ctx.closeBlock(block);
  DeadSource none;
  std::unique_ptr<EvalableBlock> code(new EvalableBlock(ctx.ids(), ctx.blocks(), none));
  ctx.blocks().clear();
  if (!run_) return;
  try {
    NoStoreHandler raw;
    Context context;
    code->eval(context, 1);
  } catch (StoreException& e) {
    // The statements' lines count from the start of the file already; an error inside a
    // procedure the block called keeps the procedure's line (the box names the method).
    if (AskYesNo(StoreErrorText(file_.c_str(), e.line() + 1, e), kCodeCaption)) return;
    e.userHandled(1);
    throw;
  }
}
