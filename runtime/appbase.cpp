// AppBase: text object files through the parser library, and the text resources of
// their side files.
#include "runtime/appbase.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "parser/ovparse.h"
#include "store/groups.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/storeapp.h"
#include "store/storeexcept.h"
#include "utils/xexception.h"

namespace {

const char kSideExtension[] = ".oro";

int DefaultWrite(int handle, const void* data, unsigned count) { return _write(handle, data, count); }

AppBase::WriteFn g_write = &DefaultWrite;

bool SameName(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

// The offset of the name part of a full path.
size_t NamePart(const std::string& path) {
  size_t cut = path.find_last_of("\\/");
  if (cut == std::string::npos) cut = path.find(':') == 1 ? 1 : std::string::npos;
  return cut == std::string::npos ? 0 : cut + 1;
}

std::string FullPath(const char* file) {
  DWORD n = GetFullPathNameA(file, 0, nullptr, nullptr);
  if (n == 0) return file;
  std::vector<char> full(n + 1);
  DWORD got = GetFullPathNameA(file, DWORD(full.size()), full.data(), nullptr);
  if (got == 0 || got >= full.size()) return file;
  return full.data();
}

void PutLong(unsigned char* at, uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = (unsigned char)(v >> (8 * i));
}

uint32_t GetLong(const unsigned char* at) {
  return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

[[noreturn]] void WriteFailed() { throw StoreException("Error writing text resource."); }

// Closes a run-time library handle when the scope ends.
struct ReadHandle {
  explicit ReadHandle(int h) : handle(h) {}
  ~ReadHandle() {
    if (handle != -1) _close(handle);
  }
  int handle;
};

// A file is put back as it was when the scope ends without done(): the contents it had
// (kept in a copy beside it), or no file when there was none.
class FileRestore {
 public:
  explicit FileRestore(const std::string& file) : file_(file) {
    if (GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    std::string folder = file.substr(0, NamePart(file));
    if (folder.empty()) folder = ".";
    char temp[MAX_PATH];
    if (!GetTempFileNameA(folder.c_str(), "otb", 0, temp) || !CopyFileA(file.c_str(), temp, FALSE)) {
      DeleteFileA(temp);
      ThrowSystemError(0, "keeping a copy of the text object file");
    }
    copy_ = temp;
  }
  ~FileRestore() {
    if (!done_) {
      if (copy_.empty())
        DeleteFileA(file_.c_str());
      else
        MoveFileExA(copy_.c_str(), file_.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    if (!copy_.empty()) DeleteFileA(copy_.c_str());
  }
  void done() { done_ = true; }

 private:
  std::string file_;
  std::string copy_;
  bool done_ = false;
};

}  // namespace

AppBase::AppBase() {}

AppBase::~AppBase() { ForgetSideFile(); }

AppBase::WriteFn AppBase::SetWriteHook(WriteFn hook) {
  WriteFn previous = g_write;
  g_write = hook ? hook : &DefaultWrite;
  return previous;
}

std::string AppBase::SideFileFor(const char* textFile) {
  if (!textFile || !*textFile) return "";
  std::string full = FullPath(textFile);
  size_t name = NamePart(full);
  size_t dot = full.rfind('.');
  std::string side = dot != std::string::npos && dot >= name ? full.substr(0, dot) : full;
  side += kSideExtension;
  // A text object file called "x.oro" keeps its side file apart from itself.
  if (SameName(side, full)) side = full + kSideExtension;
  return side;
}

void AppBase::SetSideFile(const char* textFile) {
  ForgetSideFile();
  path_ = SideFileFor(textFile);
  name_ = path_.substr(NamePart(path_));
}

void AppBase::ForgetSideFile() {
  if (handle_ != -1) _close(handle_);
  handle_ = -1;
  if (!temporary_.empty()) DeleteFileA(temporary_.c_str());
  temporary_.clear();
  name_.clear();
  path_.clear();
}

bool AppBase::CommitSideFile() {
  if (handle_ != -1) {
    int closed = _close(handle_);
    handle_ = -1;
    if (closed != 0) return false;
  }
  if (temporary_.empty()) return true;
  if (!MoveFileExA(temporary_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return false;
  temporary_.clear();
  return true;
}

const char* AppBase::TextResourceFile() const { return name_.empty() ? nullptr : name_.c_str(); }

long AppBase::WriteResource(const void* data, long length, long kind) {
  if (handle_ == -1) {
    std::string folder = path_.substr(0, NamePart(path_));
    if (folder.empty()) folder = ".";
    char temp[MAX_PATH];
    if (!path_.empty() && GetTempFileNameA(folder.c_str(), "oro", 0, temp)) {
      temporary_ = temp;
      handle_ = _open(temp, _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
    }
    if (handle_ == -1)
      throw StoreException("Couldn't open file named '" + path_ + "' " + "for writing text resource" + ".");
  }
  if (handle_ == -1) utilsAssert("textResourceHandle != -1", "appmodul", 236);
  if (length < 0 || (!data && length > 0)) WriteFailed();
  long id = _tell(handle_);
  if (id < 0 || long(LONG_MAX - kRecordHead) - id < length) WriteFailed();
  unsigned char head[kRecordHead];
  PutLong(head, kResourceMagic);
  PutLong(head + 4, uint32_t(kind));
  PutLong(head + 8, uint32_t(length));
  if (g_write(handle_, head, kRecordHead) != kRecordHead) WriteFailed();
  if (length > 0 && g_write(handle_, data, unsigned(length)) != length) WriteFailed();
  return id;
}

void* AppBase::ReadResource(const char* file, long id, long& length, long kind) {
  length = 0;
  if (!file || !*file) return nullptr;
  std::string path = !name_.empty() && SameName(file, name_) ? path_ : std::string(file);
  ReadHandle in(_open(path.c_str(), _O_RDONLY | _O_BINARY));
  if (in.handle == -1 || id < 0) return nullptr;
  long size = _lseek(in.handle, 0, SEEK_END);
  // The record must lie wholly in the file before anything is allocated.
  if (size < 0 || id > size - kRecordHead) return nullptr;
  if (_lseek(in.handle, id, SEEK_SET) != id) return nullptr;
  unsigned char head[kRecordHead];
  if (_read(in.handle, head, kRecordHead) != kRecordHead) return nullptr;
  if (GetLong(head) != kResourceMagic || GetLong(head + 4) != uint32_t(kind)) return nullptr;
  uint32_t n = GetLong(head + 8);
  if (n > uint32_t(size - id - kRecordHead)) return nullptr;
  char* data = new (std::nothrow) char[n + 1];
  if (!data) return nullptr;
  if (n > 0 && _read(in.handle, data, n) != int(n)) {
    delete[] data;
    return nullptr;
  }
  data[n] = 0;
  length = long(n);
  return data;
}

// A text object file read or written while another one is (a Code block loading or
// saving a module) has its own side file; the outer one's comes back when it is done.
struct AppBase::SideFileScope {
  explicit SideFileScope(AppBase& base) : base(base) {
    std::swap(handle, base.handle_);
    std::swap(name, base.name_);
    std::swap(path, base.path_);
    std::swap(temporary, base.temporary_);
  }
  ~SideFileScope() {
    base.ForgetSideFile();
    std::swap(handle, base.handle_);
    std::swap(name, base.name_);
    std::swap(path, base.path_);
    std::swap(temporary, base.temporary_);
  }
  AppBase& base;
  int handle = -1;
  std::string name, path, temporary;
};

int AppBase::ReadTextObjects(const char* file, InterObjRep* target) {
  SideFileScope outer(*this);
  SetSideFile(file);
  try {
    int read = ParserReadTextObjects(file, target, 1);
    ForgetSideFile();
    return read;
  } catch (const XAssert&) {
    ForgetSideFile();
    throw;
  } catch (StoreException& e) {
    ForgetSideFile();
    if (!e.userHandled(-1)) StoreApplication::HandleException(e);
    throw;
  } catch (XException& e) {
    // A parse error the reader did not turn into a store error.
    ForgetSideFile();
    StoreException parse("Parse error");
    if (!e.handled(-1) && !e.userHandled(-1)) {
      StoreException shown(e.what());
      StoreApplication::HandleException(shown);
    }
    parse.userHandled(1);
    throw parse;
  } catch (...) {
    ForgetSideFile();
    throw;
  }
}

int AppBase::WriteTextObjects(const char* file, int module) {
  PrimInterObj group(iGroup::PO_GetObject(), ObjectStore::kTempModule, 1);
  ObjectStore::GetStaticObjects((unsigned char)module, group.get(), 1);
  SideFileScope outer(*this);
  SetSideFile(file);
  try {
    // The writer puts the text in place only when it was written whole; the old text
    // comes back if the side file cannot follow it.
    FileRestore text(FullPath(file));
    ParserWriteTextObjects(file, 0, group.get());
    if (!CommitSideFile()) ThrowSystemError(0, ("replacing the text resource file " + path_).c_str());
    text.done();
  } catch (...) {
    ForgetSideFile();
    throw;
  }
  ForgetSideFile();
  return 1;
}
