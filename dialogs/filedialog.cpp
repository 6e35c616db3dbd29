// FileDialog: the open and save-as dialogs' record, properties and stream fields.
#include "dialogs/filedialog.h"

#include <memory>
#include <string>
#include <typeinfo>

#include "store/podefine.h"
#include "store/types.h"
#include "store/valstring.h"

namespace {

enum { kVersion4 = 4 };

long BasicBool(bool on) { return on ? -1 : 0; }

// A string read from a stream, freed at the end of scope.
struct StreamText {
  char* text = nullptr;
  ~StreamText() { delete[] text; }
};

}  // namespace

FileDialog::FileDialog(IUnknown* outer) : iCommonDialog(outer), data_(kFdInitialFlags) {}

void FileDialog::DeclareFileFields(SignatureRep& sig, bool withFileMustExist) {
  PO_Property(sig, "DefaultExtension", kTypeString, &FileDialog::pdSetDefaultExtension,
              &FileDialog::pdGetDefaultExtension);
  PO_EnumProperty(sig, "ExtensionDifferent", "Boolean", nullptr, &FileDialog::pdGetExtensionDifferent);
  if (withFileMustExist)
    PO_EnumProperty(sig, "FileMustExist", "Boolean", &FileDialog::pdSetFileMustExist,
                    &FileDialog::pdGetFileMustExist);
  PO_Property(sig, "FileName", kTypeString, &FileDialog::pdSetFileName, &FileDialog::pdGetFileName);
  PO_Property(sig, "Filter", kTypeString, &FileDialog::pdSetFilter, &FileDialog::pdGetFilter);
  PO_Property(sig, "FilterIndex", kTypeShort, &FileDialog::pdSetFilterIndex, &FileDialog::pdGetFilterIndex);
  PO_Property(sig, "InitialDir", kTypeString, &FileDialog::pdSetInitialDir, &FileDialog::pdGetInitialDir);
  PO_EnumProperty(sig, "NoNetworkButton", "Boolean", &FileDialog::pdSetNoNetworkButton,
                  &FileDialog::pdGetNoNetworkButton);
  PO_EnumProperty(sig, "NoChangeDir", "Boolean", &FileDialog::pdSetNoChangeDir,
                  &FileDialog::pdGetNoChangeDir);
  PO_EnumProperty(sig, "PathMustExist", "Boolean", &FileDialog::pdSetPathMustExist,
                  &FileDialog::pdGetPathMustExist);
  PO_Method(sig, "Function Execute() As Integer", &FileDialog::imExecute);
}

// Everything is read before anything is replaced: a damaged block leaves the object as
// it was.
void FileDialog::ReadFileFields(OCLStream& s) {
  ULONG flags = 0;
  USHORT index = 0;
  StreamText name, filter, dir, ext, title;
  s.read(&flags);
  s.read(&name.text);
  s.read(&filter.text);
  s.read(&index);
  s.read(&dir.text);
  s.read(&ext.text);
  s.read(&title.text);
  data_.Flags = flags;
  FileNameBuffer();
  data_.SetFileName(name.text);
  data_.SetFilter(filter.text);
  data_.FilterIndex = (short)index;
  data_.SetInitialDir(dir.text);
  data_.SetDefExt(ext.text);
  SetTitle(title.text);
}

void FileDialog::WriteFileFields(OCLStream& s) {
  s.write((ULONG)data_.Flags);
  s.write(FileNameBuffer());
  std::string filter = data_.FilterFormat(TOpenSaveDialog::ffText);
  s.write(data_.Filter ? filter.c_str() : nullptr);
  s.write((USHORT)(short)data_.FilterIndex);
  s.write(data_.InitialDir);
  s.write(data_.DefExt);
  s.write(Title());
}

void FileDialog::clone(const IInterObj& source) {
  iCommonDialog::clone(source);
  if (typeid(source) != typeid(*this)) return;
  const FileDialog& from = static_cast<const FileDialog&>(source);
  FileNameBuffer();
  if (!from.data_.FileName) utilsAssert("source->data.FileName", __FILE__, __LINE__);
  data_.SetFileName(from.data_.FileName);
  std::string filter = from.data_.FilterFormat(TOpenSaveDialog::ffText);
  data_.Flags = from.data_.Flags;
  data_.SetFilter(filter.c_str());
  data_.FilterIndex = from.data_.FilterIndex;
  data_.SetInitialDir(from.data_.InitialDir);
  data_.SetDefExt(from.data_.DefExt);
}

char* FileDialog::FileNameBuffer() const {
  if (!data_.FileName) utilsAssert("data.FileName", __FILE__, __LINE__);
  return data_.FileName;
}

void FileDialog::SetFlag(uint32_t bit, bool on) {
  if (on)
    data_.Flags |= bit;
  else
    data_.Flags &= ~bit;
}

ValStringRep* FileDialog::pdGetDefaultExtension() { return new ValStringRep(data_.DefExt); }

void FileDialog::pdSetDefaultExtension(const char* ext) {
  data_.SetDefExt(ext);
  changed();
}

long FileDialog::pdGetExtensionDifferent() { return BasicBool(data_.Flags & kFdExtensionDifferent); }

long FileDialog::pdGetFileMustExist() { return BasicBool(data_.Flags & kFdFileMustExist); }

void FileDialog::pdSetFileMustExist(long on) {
  if (on)
    data_.Flags |= kFdFileMustExist | kFdPathMustExist;
  else
    data_.Flags &= ~uint32_t(kFdFileMustExist);
  changed();
}

ValStringRep* FileDialog::pdGetFileName() { return new ValStringRep(FileNameBuffer()); }

void FileDialog::pdSetFileName(const char* name) {
  FileNameBuffer();
  data_.SetFileName(name);
  changed();
}

ValStringRep* FileDialog::pdGetFilter() {
  return new ValStringRep(data_.FilterFormat(TOpenSaveDialog::ffText));
}

void FileDialog::pdSetFilter(const char* filter) {
  data_.SetFilter(filter);
  changed();
}

short FileDialog::pdGetFilterIndex() { return (short)data_.FilterIndex; }

void FileDialog::pdSetFilterIndex(short index) { data_.FilterIndex = index; }

ValStringRep* FileDialog::pdGetInitialDir() { return new ValStringRep(data_.InitialDir); }

void FileDialog::pdSetInitialDir(const char* dir) {
  data_.SetInitialDir(dir);
  changed();
}

long FileDialog::pdGetNoNetworkButton() { return BasicBool(data_.Flags & kFdNoNetworkButton); }

void FileDialog::pdSetNoNetworkButton(long on) {
  SetFlag(kFdNoNetworkButton, on != 0);
  changed();
}

long FileDialog::pdGetNoChangeDir() { return BasicBool(data_.Flags & kFdNoChangeDir); }

void FileDialog::pdSetNoChangeDir(long on) {
  SetFlag(kFdNoChangeDir, on != 0);
  changed();
}

long FileDialog::pdGetPathMustExist() { return BasicBool(data_.Flags & kFdPathMustExist); }

void FileDialog::pdSetPathMustExist(long on) {
  if (on)
    data_.Flags |= kFdPathMustExist;
  else
    data_.Flags &= ~uint32_t(kFdPathMustExist | kFdFileMustExist);
  changed();
}

// The explorer style and long names on every version that has them. The object is
// changed whatever the result (the dialog may have written its flags back).
short FileDialog::imExecute() {
  FileNameBuffer();
  if (LOBYTE(LOWORD(GetVersion())) < kVersion4)
    data_.Flags &= ~uint32_t(kFdExplorer | kFdLongNames);
  else
    data_.Flags |= kFdExplorer | kFdLongNames;
  short result;
  try {
    result = RunModal();
  } catch (...) {
    changed();
    throw;
  }
  changed();
  return result;
}
