// Entries of the parser library, found at run time.
#include "parserlink.h"

FARPROC ParserEntry(const char* name) {
  static HMODULE parser = nullptr;
  if (!parser) parser = LoadLibraryA("ovparse.dll");
  if (!parser) return nullptr;
  return GetProcAddress(parser, name);
}
