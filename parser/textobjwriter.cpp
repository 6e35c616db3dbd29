// The text object file writer.
#include "parser/textobjwriter.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <fstream>

#include "store/field.h"
#include "store/field_data.h"
#include "store/interobj.h"
#include "store/signature.h"
#include "store/storeapp.h"
#include "store/storeexcept.h"
#include "store/valstring.h"
#include "store/value.h"
#include "utils/rwcstring.h"
#include "utils/xexception.h"

namespace {

int DefaultCopy(const char* from, const char* to, int failIfExists) {
  return CopyFileA(from, to, failIfExists ? TRUE : FALSE) ? 1 : 0;
}

TextObjectWriter::CopyFn g_copy = &DefaultCopy;

std::string Indent(int depth) { return std::string((size_t)(2 * depth + 2), ' '); }

// A published class's own prototype (not an object derived from one): its Type block
// adds to the object the DLL publishes ("Type Name From Name").
bool PublishedByDLL(const InterObjRep& obj) { return obj.progId()[0] && obj.getDefiningDLL(); }

// Every line of text, each with the indent in front and a line feed after it (carriage
// returns dropped), the text after the last line feed included.
void WriteLines(const std::string& indent, const char* text, std::string& out) {
  if (!text) return;
  const char* p = text;
  while (*p) {
    const char* end = std::strchr(p, '\n');
    size_t n = end ? (size_t)(end - p) : std::strlen(p);
    size_t keep = n;
    if (keep > 0 && p[keep - 1] == '\r') --keep;
    out += indent;
    out.append(p, keep);
    out += '\n';
    p += n;
    if (*p == '\n') ++p;
  }
}

// "Const Limit& = 5": the grammar's form of a constant (its type by the name's suffix)
// with the value the store holds.
std::string ConstantDeclaration(InterObjRep& obj, DataField& f) {
  static const char kSuffix[] = {0, '%', '&', '!', '#', '@', '$'};
  std::string decl = std::string("Const ") + f.name();
  unsigned type = f.typeCode() & 0x1F;
  if (type < sizeof kSuffix && kSuffix[type]) decl += kSuffix[type];
  RWCString line;
  if (f.textValue(obj, line)) {
    std::string assignment = line.data();
    size_t eq = assignment.find(" = ");
    if (eq != std::string::npos) decl += assignment.substr(eq);
  }
  return decl;
}

// The object's own "TextUnload" member (native classes write their compiled properties
// through it): appends to cmds.
void MemberTextUnload(InterObjRep& obj, const std::string& indent, RWCString& cmds) {
  Field* f = obj.findField("TextUnload");
  if (!f || !f->isMethod()) return;
  ValString text(cmds.data(), cmds.length());
  ValueList args;
  args.ppush(new DirectValue<ValString, kTypeString>(ValString(indent.c_str())));
  args.ppush(new IndirectValue<ValString, kTypeString>(text));
  Value* result = obj.evalIMember("TextUnload", &args);
  if (result) result->unref();
  cmds = RWCString(text.c_str() ? text.c_str() : "", text.length());
}

}  // namespace

bool TextObjectWriter::MethodBefore(const char* a, const char* b) {
  int c = CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a, -1, b, -1);
  if (c != CSTR_EQUAL) return c == CSTR_LESS_THAN;
  int s = std::strcmp(a, b);
  if (s == 0) utilsAssert("cmp", __FILE__, __LINE__);
  return s < 0;
}

TextObjectWriter::CopyFn TextObjectWriter::SetCopyHook(CopyFn hook) {
  CopyFn previous = g_copy;
  g_copy = hook ? hook : &DefaultCopy;
  return previous;
}

TextObjectWriter::TextObjectWriter(const std::vector<InterObjRep*>& objects) : objects_(objects) {}

void TextObjectWriter::Body(InterObjRep& obj, int depth, std::string& out) {
  const std::string indent = Indent(depth);
  SignatureRep* sig = obj.signature();
  std::vector<Field*> methods;
  for (int i = 0; sig && i < sig->fieldCount(); ++i) {
    Field* f = sig->field(i);
    if (f->isCompiled()) continue;  // the native class declares it
    if (f->isMethod()) {
      if (f->hasSource()) methods.push_back(f);
      continue;
    }
    if (f->hasSource()) {
      WriteLines(indent, f->sourceText(), out);
    } else if (f->isEmbedObjField()) {
      EmbedObjField* e = static_cast<EmbedObjField*>(f);
      out += indent + "Type " + e->name();
      if (*e->className()) out += std::string(" From ") + e->className();
      out += "\n";
      if (InterObjRep* inner = e->embeddedObject(obj)) Body(*inner, depth + 1, out);
      out += indent + "End Type\n";
    } else if (f->isData()) {
      DataField* d = static_cast<DataField*>(f);
      out += indent;
      out += d->hasFlag(Field::kConstant) ? ConstantDeclaration(obj, *d)
                                          : std::string(d->declarationText(&obj).data());
      out += "\n";
    }
  }
  for (int i = 0; sig && i < sig->eventCount(); ++i) {
    EventDef* e = sig->eventDef(i);
    if (e->kind() != 0) continue;  // native events come with their class
    out += indent + "Event " + e->name() + e->paramText() + "\n";
  }
  if (methods.empty()) return;
  std::sort(methods.begin(), methods.end(),
            [](const Field* a, const Field* b) { return MethodBefore(a->name(), b->name()); });
  out += "\n" + indent + "' METHODS for object: " + obj.name() + "\n";
  for (Field* m : methods) {
    WriteLines(indent, m->sourceText(), out);
    out += "\n";
  }
}

void TextObjectWriter::TypeBlock(InterObjRep& obj, std::string& out) {
  out += std::string("Type ") + obj.name();
  if (PublishedByDLL(obj))
    out += std::string(" From ") + obj.name();
  else if (InterObjRep* parent = obj.parent())
    if (std::strcmp(parent->name(), "Object") != 0) out += " From " + parent->fullName();
  out += "\n";
  std::string body;
  Body(obj, 0, body);
  out += body;  // an object without a body of its own: "End Type" at once
  out += "End Type\n";
}

void TextObjectWriter::Reconstruction(InterObjRep& obj, int depth, std::string& out) {
  const std::string indent = Indent(depth), inner = Indent(depth + 1);
  const std::string full = obj.fullName();
  if (depth == 0) out += std::string("' Reconstruction commands for object: ") + obj.name() + "\n'\n";
  std::string name = full;
  if (depth > 0) {
    size_t dot = full.rfind('.');
    name = dot == std::string::npos ? "." + full : full.substr(dot);
  }
  out += indent + "With " + name + "\n";
  if (obj.findField("TextPreLoad")) out += inner + ".TextPreLoad()\n";
  RWCString cmds;
  obj.textUnload(inner.c_str(), cmds);
  MemberTextUnload(obj, inner, cmds);
  out += cmds.data();
  SignatureRep* sig = obj.signature();
  for (int i = 0; sig && i < sig->fieldCount(); ++i) {
    Field* f = sig->field(i);
    if (!f->isEmbedObjField() || f->isCompiled()) continue;
    InterObjRep* embedded = static_cast<EmbedObjField*>(f)->embeddedObject(obj);
    if (!embedded) utilsAssert("embedPropertyParent.is()", __FILE__, __LINE__);
    Reconstruction(*embedded, depth + 1, out);
  }
  if (obj.findField("TextPostLoad")) out += inner + ".TextPostLoad()\n";
  out += indent + "End With  '" + full + "\n";
}

std::string TextObjectWriter::dllBlock() const {
  std::string lines;
  for (InterObjRep* obj : objects_) {
    const char* dll = obj ? obj->getDefiningDLL() : nullptr;
    if (!dll) continue;
    std::string line = std::string("  ModuleManager.PublishObjectDLL(\"") + dll + "\")\n";
    if (lines.find(line) == std::string::npos) lines += line;
  }
  return lines.empty() ? lines : "Begin Code\n" + lines + "End Code\n\n";
}

std::string TextObjectWriter::text() const {
  std::string out = dllBlock(), commands;
  for (InterObjRep* obj : objects_) {
    if (!obj || !obj->isTopLevel()) throw StoreException("Cannot write non-toplevel objects");
    TypeBlock(*obj, out);
    out += "\n";
    Reconstruction(*obj, 0, commands);
  }
  if (!commands.empty()) out += "Begin Code\n" + commands + "End Code\n";
  return out;
}

void TextObjectWriter::write(const char* file, int append) {
  UTILS_ASSERT(file);
  char folder[MAX_PATH + 1];
  DWORD n = GetTempPathA(MAX_PATH, folder);
  if (n == 0 || n > MAX_PATH - 1) std::strcpy(folder, ".");
  char temp[MAX_PATH];
  if (!GetTempFileNameA(folder, "oto", 0, temp)) ThrowSystemError(0, "making a temporary file name");
  DeleteFileA(temp);  // only the name is used
  temporary_ = temp;
  if (append && !g_copy(file, temp, 1)) {
    DWORD error = GetLastError();
    // Appending to a file that is not there yet starts it.
    if (error != ERROR_FILE_NOT_FOUND) ThrowSystemError(error, "copying the file to append to");
  }
  std::ofstream out;
  try {
    out.open(temp, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
    if (!out) ThrowSystemError(0, "opening the temporary file");
    out << dllBlock();
    std::string commands;
    for (InterObjRep* obj : objects_) {
      if (!obj || !obj->isTopLevel()) throw StoreException("Cannot write non-toplevel objects");
      std::string block;
      TypeBlock(*obj, block);
      out << block << "\n";
      Reconstruction(*obj, 0, commands);
    }
    if (!commands.empty()) out << "Begin Code\n" << commands << "End Code\n";
    out.flush();
    if (!out) ThrowSystemError(0, "writing the temporary file");
    out.close();
    if (!g_copy(temp, file, 0)) ThrowSystemError(GetLastError(), "copying the text over the file");
    DeleteFileA(temp);
  } catch (...) {
    if (out.is_open()) out.close();
    std::string text = std::string("Text write failed, partial write left in:\n\n") + temp;
    StoreApplication::MessageBox(nullptr, text.c_str(), "Text Write Failed",
                                 MB_OK | MB_ICONEXCLAMATION | MB_TASKMODAL);
    throw;
  }
}
