// Loading and saving plain and formatted-text files.
#include "edfile.h"

#include <stdlib.h>
#include <string.h>

#include "edformat.h"
#include "edlines.h"
#include "edmem.h"
#include "edmessage.h"
#include "edpaint.h"
#include "edrecord.h"
#include "edstate.h"

namespace ked {

namespace {

constexpr int32_t kLineBufferSize = 32767;
constexpr size_t kReadChunk = 1024;
constexpr size_t kWriteBuffer = 2048;
constexpr char kEndOfText = 0x1A;
constexpr int32_t kEntabLimit = 257;  // runs starting at this column stay blanks
constexpr size_t kLineHeadBytes = 22;
constexpr size_t kFormatFieldBytes = 4;
constexpr size_t kFormatHeadBytes = 8;
constexpr size_t kFormatEntryBytes = 57;
constexpr size_t kSmallestLineEntry = kLineHeadBytes + kFormatFieldBytes + 1;
constexpr int32_t kLargestCapacity = 1 << 24;
constexpr int32_t kCapacitySlack = 4096;  // beyond this a stored capacity is only a hint
constexpr uint16_t kKeptFileFlags = LF_CENTRED | LF_PICTURE | LF_HARD_BREAK;
constexpr uint32_t kKnownAttributes = FA_BOLD | FA_ITALIC | FA_UNDERLINE | FA_STRIKEOUT | FA_PICTURE;
constexpr int32_t kLargestFormatHeight = 20 * 32767;

constexpr UINT kReadFailed = static_cast<UINT>(HFILE_ERROR);

int64_t s_writeBudget = -1;

// ---- little-endian fields ----

void put16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void put32(uint8_t* p, uint32_t v) {
  put16(p, static_cast<uint16_t>(v));
  put16(p + 2, static_cast<uint16_t>(v >> 16));
}
uint16_t get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t get32(const uint8_t* p) { return get16(p) | (static_cast<uint32_t>(get16(p + 2)) << 16); }

// Bytes written to an open file; a failure stays.
class Sink {
 public:
  explicit Sink(HANDLE handle) : handle_(handle) {}
  explicit Sink(HFILE file) : file_(file) {}
  bool Write(const void* data, size_t count) {
    if (failed_) return false;
    size_t allowed = count;
    if (s_writeBudget >= 0) {
      if (static_cast<int64_t>(count) > s_writeBudget) {
        allowed = static_cast<size_t>(s_writeBudget);
        failed_ = true;
      }
      s_writeBudget -= static_cast<int64_t>(allowed);
    }
    if (allowed && !Raw(data, allowed)) failed_ = true;
    return !failed_;
  }

 private:
  bool Raw(const void* data, size_t count) {
    if (handle_) {
      DWORD written = 0;
      return WriteFile(handle_, data, static_cast<DWORD>(count), &written, nullptr) && written == count;
    }
    return _lwrite(file_, static_cast<LPCCH>(data), static_cast<UINT>(count)) == count;
  }
  HANDLE handle_ = nullptr;
  HFILE file_ = HFILE_ERROR;
  bool failed_ = false;
};

// ---- reading ----

class ByteSource {
 public:
  explicit ByteSource(HFILE file) : file_(file) {}
  int Next() {
    int c = Peek();
    if (c >= 0) ++pos_;
    return c;
  }
  int Peek() {
    if (pos_ == count_) {
      if (ended_) return -1;
      UINT got = _lread(file_, buffer_, kReadChunk);
      count_ = got == kReadFailed ? 0 : got;
      pos_ = 0;
      if (count_ < kReadChunk) ended_ = true;
      if (count_ == 0) return -1;
    }
    return buffer_[pos_];
  }

 private:
  HFILE file_;
  uint8_t buffer_[kReadChunk];
  size_t pos_ = 0, count_ = 0;
  bool ended_ = false;
};

struct ReadLine {
  int32_t length = 0;
  bool hardBreak = false;
  bool hasTab = false;
};

// One line into `out` of `size` bytes; false at the end of the file with nothing read.
bool read_line(const EditorRecord* rec, ByteSource& in, char* out, int32_t size, ReadLine* line) {
  *line = ReadLine();
  bool any = false;
  const EditorOptions& opt = rec->options;
  int32_t& n = line->length;
  while (n < size - 1) {
    int c = in.Next();
    if (c < 0) return any;
    any = true;
    if (opt.HighBitsOff) c &= 0x7F;
    if (c == '\r') {
      int following = in.Peek();
      if (following >= 0 && (opt.HighBitsOff ? following & 0x7F : following) == '\n') {
        in.Next();
        line->hardBreak = true;
      }
      return true;
    }
    if (c == '\n') return true;
    if (c == '\t' && !opt.UseRealTabs) {
      int32_t stop = next_tab_stop(rec, n);
      do out[n++] = static_cast<char>(opt.TabFill);
      while (n < stop && n < size - 1);
      continue;
    }
    if (c == '\t') line->hasTab = true;
    out[n++] = static_cast<char>(c);
  }
  return true;
}

int32_t file_length_from_here(HFILE file) {
  LONG here = _llseek(file, 0, FILE_CURRENT);
  LONG end = _llseek(file, 0, FILE_END);
  _llseek(file, here, FILE_BEGIN);
  return end > here ? end - here : 0;
}

class Progress {
 public:
  explicit Progress(EditorRecord* rec, HFILE file) : rec_(rec) {
    every_ = rec->options.LinesForReadNotify;
    parent_ = rec->wnd ? GetParent(rec->wnd) : nullptr;
    if (!every_ || !parent_) {
      every_ = 0;
      return;
    }
    record_.fileLength = file_length_from_here(file);
    record_.parent = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(parent_));
    record_.linesToReport = every_;
  }
  bool Start() { return !every_ || Send(0) != 0; }
  // After a line of `length` characters; false when the parent stops the load.
  bool Line(int32_t length) {
    if (!every_) return true;
    record_.bytesRead += length + 2;
    record_.previousPercent = record_.percent;
    record_.percent =
        record_.fileLength
            ? static_cast<int32_t>(static_cast<int64_t>(record_.bytesRead) * 100 / record_.fileLength)
            : 100;
    bool due;
    if (every_ > 0) {
      due = --record_.linesToReport <= 0;
      if (due) record_.linesToReport = every_;
    } else {
      due = record_.percent != record_.previousPercent && record_.percent % -every_ == 0;
    }
    return !due || Send(1) != 0;
  }
  void End() {
    if (!every_) return;
    record_.percent = 100;
    Send(2);
  }

 private:
  LRESULT Send(WPARAM stage) {
    record_.lineCount = rec_->lineCount;
    return SendMessageA(parent_, kLoadProgress, stage, reinterpret_cast<LPARAM>(&record_));
  }
  EditorRecord* rec_;
  HWND parent_ = nullptr;
  int32_t every_ = 0;
  LoadProgress record_ = {};
};

// ---- formatted files ----

// A bounded view of the bytes of a formatted file.
class Fields {
 public:
  Fields(const uint8_t* data, size_t size) : p_(data), left_(size) {}
  bool Skip(size_t n) {
    if (n > left_) return false;
    p_ += n;
    left_ -= n;
    return true;
  }
  bool U16(uint16_t* v) {
    if (left_ < 2) return false;
    *v = get16(p_);
    return Skip(2);
  }
  bool U32(uint32_t* v) {
    if (left_ < 4) return false;
    *v = get32(p_);
    return Skip(4);
  }
  bool Bytes(void* out, size_t n) {
    if (n > left_) return false;
    memcpy(out, p_, n);
    return Skip(n);
  }
  const uint8_t* At() const { return p_; }
  size_t Left() const { return left_; }

 private:
  const uint8_t* p_;
  size_t left_;
};

struct ParsedFile {
  LineRecord* first = nullptr;
  LineRecord* last = nullptr;
  int32_t count = 0;
  FormatRecord* formats = nullptr;
  uint16_t formatCount = 0, formatCapacity = 0;
  void Free(EditorRecord* rec) {
    free_chain(rec, first);
    if (formats)
      for (int i = 1; i < formatCount; ++i)
        if (formats[i].handle && !(formats[i].attributes & FA_PICTURE))
          DeleteObject(format_handle(formats[i]));
    free_block(formats);
    *this = ParsedFile();
  }
};

bool parse_lines(EditorRecord* rec, Fields& in, ParsedFile* out) {
  uint32_t count;
  if (!in.U32(&count) || count == 0 || count > in.Left() / kSmallestLineEntry) return false;
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t length, capacity;
    uint16_t flags, format, height;
    if (!in.Skip(12) || !in.U32(&length) || !in.U32(&capacity) || !in.U16(&flags) || !in.U16(&format) ||
        !in.U16(&height))
      return false;
    if (capacity > static_cast<uint32_t>(kLargestCapacity)) return false;
    int32_t usable = capacity < 9 ? 8 : static_cast<int32_t>(capacity);
    if (length >= static_cast<uint32_t>(usable) || length + 1 > in.Left()) return false;
    const uint8_t* text = in.At();
    if (memchr(text, 0, length) || text[length] != '\n') return false;
    if (usable > line_capacity(static_cast<int32_t>(length)) + kCapacitySlack)
      usable = line_capacity(static_cast<int32_t>(length));
    LineRecord* line = make_line(usable, rec);
    if (!line) return false;
    memcpy(line->text, text, length);
    line->length = static_cast<int32_t>(length);
    line->flags = flags & kKeptFileFlags;
    if (memchr(text, '\t', length)) line->flags |= LF_HAS_TABS;
    line->formatIndex = format;
    line->previous = out->last;
    if (out->last)
      out->last->next = line;
    else
      out->first = line;
    out->last = line;
    ++out->count;
    in.Skip(length + 1);
  }
  return true;
}

bool parse_formats(Fields& in, ParsedFile* out) {
  uint16_t count, capacity;
  if (!in.U16(&count) || !in.U16(&capacity) || !in.Skip(4)) return false;
  if (count == 0 || capacity < count || in.Left() != count * kFormatEntryBytes) return false;
  out->formats = static_cast<FormatRecord*>(alloc_zeroed_silent(capacity * sizeof(FormatRecord)));
  if (!out->formats) return false;
  out->formatCapacity = capacity;
  for (uint16_t i = 0; i < count; ++i) {
    FormatRecord& e = out->formats[i];
    uint32_t height, offset;
    if (!in.U32(&e.firstWord) || !in.U32(&e.attributes) || !in.U32(&height) || !in.U32(&offset) ||
        !in.U32(&e.colour) || !in.Bytes(&e.pitchAndFamily, 1) || !in.Bytes(e.face, sizeof e.face) ||
        !in.Skip(4))
      return false;
    e.height = static_cast<int32_t>(height);
    e.offset = static_cast<int32_t>(offset);
    e.handle = 0;
    if (!memchr(e.face, 0, sizeof e.face)) return false;
    if (e.attributes & ~kKnownAttributes) return false;
    if (e.height < -kLargestFormatHeight || e.height > kLargestFormatHeight) return false;
    out->formatCount = static_cast<uint16_t>(i + 1);
  }
  return true;
}

bool parse_formatted(EditorRecord* rec, const uint8_t* data, size_t size, ParsedFile* out) {
  Fields in(data, size);
  if (!parse_lines(rec, in, out) || !parse_formats(in, out)) return false;
  for (LineRecord* line = out->first; line; line = line->next) {
    if (line->formatIndex >= out->formatCount) return false;
    line->formatHeight = static_cast<uint16_t>(format_row_height(out->formats[line->formatIndex]));
  }
  for (uint16_t i = 1; i < out->formatCount; ++i)
    if (!(out->formats[i].attributes & FA_PICTURE))
      out->formats[i].handle = handle_word(make_format_font(out->formats[i]));
  return true;
}

bool write_formatted(EditorRecord* rec, Sink& sink) {
  uint8_t head[kLineHeadBytes + kFormatFieldBytes];
  put32(head, kFormattedMagic);
  put32(head + 4, static_cast<uint32_t>(rec->lineCount));
  bool ok = sink.Write(head, 8);
  for (LineRecord* line = rec->firstLine; ok && line; line = line->next) {
    memset(head, 0, 12);  // the three link words mean nothing in the file
    put32(head + 12, static_cast<uint32_t>(line->length));
    put32(head + 16, static_cast<uint32_t>(line->capacity));
    put16(head + 20, line->flags);
    put16(head + 22, line->formatIndex < rec->formatCount ? line->formatIndex : 0);
    const FormatRecord* format = line_format(rec, line);
    put16(head + 24, static_cast<uint16_t>(format ? format_row_height(*format) : 0));
    static const uint8_t kNewLine = '\n';
    ok = sink.Write(head, sizeof head) && sink.Write(line->text, line->length) && sink.Write(&kNewLine, 1);
  }
  if (ok) {
    uint8_t formatHead[kFormatHeadBytes] = {};
    put16(formatHead, rec->formatCount);
    put16(formatHead + 2, rec->formatCapacity);
    ok = sink.Write(formatHead, sizeof formatHead);
  }
  for (int i = 0; ok && i < rec->formatCount; ++i) {
    const FormatRecord& e = rec->formats[i];
    uint8_t entry[kFormatEntryBytes] = {};
    put32(entry, e.firstWord);
    put32(entry + 4, e.attributes);
    put32(entry + 8, static_cast<uint32_t>(e.height));
    put32(entry + 12, static_cast<uint32_t>(e.offset));
    put32(entry + 16, e.colour);
    entry[20] = e.pitchAndFamily;
    memcpy(entry + 21, e.face, sizeof e.face);  // the handle word stays 0
    ok = sink.Write(entry, sizeof entry);
  }
  if (!ok) fixed_box(rec, FT_WRITE_ERROR);
  return ok;
}

// ---- plain text out ----

int32_t advance(const EditorRecord* rec, int32_t column, char c) {
  return c == '\t' ? next_tab_stop(rec, column) : column + 1;
}

// Outside quotes, a run of three or more blanks starting before column 257 that reaches a
// tab stop becomes a tab up to that stop. Answers the new length (never longer).
int32_t entab(const EditorRecord* rec, const char* text, int32_t length, char* out) {
  int32_t n = 0, column = 0;
  char quote = 0;
  for (int32_t i = 0; i < length;) {
    char c = text[i];
    if (c == '\\') {
      out[n++] = c;
      column = advance(rec, column, c);
      if (++i < length) {
        out[n++] = text[i];
        column = advance(rec, column, text[i]);
        ++i;
      }
      continue;
    }
    if (quote || c == '"' || c == '\'' || c != ' ') {
      if (quote && c == quote)
        quote = 0;
      else if (!quote && (c == '"' || c == '\''))
        quote = c;
      out[n++] = c;
      column = advance(rec, column, c);
      ++i;
      continue;
    }
    int32_t end = i;
    while (end < length && text[end] == ' ') ++end;
    while (end - i >= 3 && column < kEntabLimit) {
      int32_t stop = next_tab_stop(rec, column);
      if (stop - column > end - i) break;
      out[n++] = '\t';
      i += stop - column;
      column = stop;
    }
    for (; i < end; ++i, ++column) out[n++] = ' ';
  }
  return n;
}

bool write_plain(EditorRecord* rec, Sink& sink) {
  char buffer[kWriteBuffer];
  size_t used = 0;
  bool ok = true;
  for (LineRecord* line = rec->firstLine; ok && line; line = line->next) {
    const char* text = line->text;
    int32_t length = line->length;
    char* entabbed = nullptr;
    if (rec->options.EntabLine && length >= 3) {
      entabbed = static_cast<char*>(alloc_zeroed_silent(static_cast<size_t>(length) + 1));
      if (entabbed) {
        length = entab(rec, text, length, entabbed);
        text = entabbed;
      }
    }
    bool soft = rec->options.UseSoftReturns && !(line->flags & LF_HARD_BREAK);
    const char* lineBreak = soft ? "\r" : "\r\n";
    size_t breakLength = soft ? 1 : 2;
    size_t need = static_cast<size_t>(length) + breakLength;
    if (used + need > sizeof buffer) {
      ok = sink.Write(buffer, used);
      used = 0;
    }
    if (ok && need > sizeof buffer) {
      ok = sink.Write(text, static_cast<size_t>(length)) && sink.Write(lineBreak, breakLength);
    } else if (ok) {
      memcpy(buffer + used, text, static_cast<size_t>(length));
      memcpy(buffer + used + length, lineBreak, breakLength);
      used += need;
    }
    free_block(entabbed);
  }
  if (ok && used) ok = sink.Write(buffer, used);
  return ok;
}

class WaitCursor {
 public:
  WaitCursor() : old_(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { SetCursor(old_); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR old_;
};

bool is_untitled(const char* name) { return lstrcmpiA(name, "Untitled") == 0; }

bool one_empty_line(const EditorRecord* rec) {
  return rec->lineCount == 1 && rec->firstLine && rec->firstLine->length == 0;
}

void store_name(EditorRecord* rec, const char* name) {
  char* copy = copy_string(name);
  if (!copy) return;
  free_block(rec->fileName);
  rec->fileName = copy;
}

// The document goes to a new file beside the target, which replaces the target only when
// every byte was written: a failed write leaves the old file as it was.
int write_whole_file(EditorRecord* rec, const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    return SAVE_CANT_CREATE;
  char directory[MAX_PATH];
  lstrcpynA(directory, path, sizeof directory);
  char* slash = strrchr(directory, '\\');
  if (!slash) return SAVE_CANT_CREATE;
  slash[1] = '\0';
  char temporary[MAX_PATH];
  if (!GetTempFileNameA(directory, "ked", 0, temporary)) return SAVE_CANT_CREATE;
  HANDLE file =
      CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DeleteFileA(temporary);
    return SAVE_CANT_CREATE;
  }
  bool written;
  {
    WaitCursor wait;
    Sink sink(file);
    written =
        (rec->state & ST_FORMATTED) && rec->formats ? write_formatted(rec, sink) : write_plain(rec, sink);
  }
  if (!CloseHandle(file)) written = false;
  if (!written) {
    DeleteFileA(temporary);
    return SAVE_WRITE_FAILED;
  }
  if (!MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileA(temporary);
    return SAVE_CANT_CREATE;
  }
  rec->changes = 0;
  return SAVE_DONE;
}

}  // namespace

int32_t entab_text(const EditorRecord* rec, const char* text, int32_t length, char* out) {
  return entab(rec, text, length, out);
}

HFILE find_file(const char* name, char* found, size_t size) {
  if (!name || !*name || is_untitled(name)) return HFILE_ERROR;
  HFILE file = _lopen(name, OF_READ);
  if (file != HFILE_ERROR) {
    lstrcpynA(found, name, static_cast<int>(size));
    return file;
  }
  char path[4096];
  DWORD n = GetEnvironmentVariableA("KEPATH", path, sizeof path);
  if (n == 0 || n >= sizeof path) return HFILE_ERROR;
  static const char kSeparators[] = ";, \t";
  for (char* p = path; *p;) {
    p += strspn(p, kSeparators);
    size_t length = strcspn(p, kSeparators);
    if (!length) break;
    char candidate[MAX_PATH];
    size_t nameLength = strlen(name);
    bool slash = p[length - 1] == '\\';
    if (length + !slash + nameLength < sizeof candidate) {
      memcpy(candidate, p, length);
      size_t at = length;
      if (!slash) candidate[at++] = '\\';
      memcpy(candidate + at, name, nameLength + 1);
      file = _lopen(candidate, OF_READ);
      if (file != HFILE_ERROR) {
        lstrcpynA(found, candidate, static_cast<int>(size));
        return file;
      }
    }
    p += length;
  }
  return HFILE_ERROR;
}

LineRecord* read_plain(EditorRecord* rec, HFILE file, bool replace) {
  int32_t size = kLineBufferSize;
  char* buffer = nullptr;
  while (size >= 2 && !(buffer = static_cast<char*>(alloc_zeroed_silent(size)))) size /= 2;
  if (!buffer) return nullptr;
  Progress progress(rec, file);
  LineRecord* first = nullptr;
  LineRecord* previous = nullptr;
  if (progress.Start()) {
    LineRecord* current = rec->currentLine;
    LineRecord* after = replace || !current ? nullptr : current->previous ? current->previous : current;
    ByteSource in(file);
    ReadLine read;
    while (read_line(rec, in, buffer, size, &read)) {
      if (read.length > 0 && buffer[0] == kEndOfText) break;
      LineRecord* line = make_line(line_capacity(read.length), rec);
      if (!line) break;
      memcpy(line->text, buffer, static_cast<size_t>(read.length));
      line->length = read.length;
      if (read.hasTab) line->flags |= LF_HAS_TABS;
      if (read.hardBreak && rec->options.UseSoftReturns) line->flags |= LF_HARD_BREAK;
      link_after(line, previous ? previous : after, rec);
      if (!first) first = line;
      previous = line;
      if (!progress.Line(read.length)) break;
    }
    progress.End();
  }
  free_block(buffer);
  return first;
}

FormattedRead read_formatted(EditorRecord* rec, HFILE file) {
  uint8_t magic[4];
  if (_lread(file, magic, sizeof magic) != sizeof magic || get32(magic) != kFormattedMagic) {
    _llseek(file, 0, FILE_BEGIN);
    return FormattedRead::NotFormatted;
  }
  LONG end = _llseek(file, 0, FILE_END);
  if (end < 4 || _llseek(file, 4, FILE_BEGIN) != 4) return FormattedRead::Refused;
  size_t size = static_cast<size_t>(end) - 4;
  uint8_t* data = static_cast<uint8_t*>(alloc_zeroed_silent(size + 1));
  if (!data) return FormattedRead::Refused;
  size_t got = 0;
  while (got < size) {
    UINT n = _lread(file, data + got, static_cast<UINT>(size - got));
    if (n == kReadFailed || n == 0) break;
    got += n;
  }
  ParsedFile parsed;
  bool ok = got == size && parse_formatted(rec, data, size, &parsed);
  free_block(data);
  if (!ok) {
    parsed.Free(rec);
    return FormattedRead::Refused;
  }
  free_list(rec, rec->firstLine);
  reset_text(rec);
  free_format_table(rec);
  rec->firstLine = rec->currentLine = parsed.first;
  rec->lastLine = parsed.last;
  rec->lineCount = parsed.count;
  rec->lineNumber = 1;
  rec->formats = parsed.formats;
  rec->formatCount = parsed.formatCount;
  rec->formatCapacity = parsed.formatCapacity;
  rec->state |= ST_FORMATTED;
  return FormattedRead::Loaded;
}

void load_at_creation(EditorRecord* rec, const char* name) {
  char found[MAX_PATH];
  HFILE file = find_file(name, found, sizeof found);
  if (file == HFILE_ERROR) return;
  FormattedRead kind = read_formatted(rec, file);
  LineRecord* first = nullptr;
  if (kind == FormattedRead::NotFormatted) first = read_plain(rec, file, true);
  _lclose(file);
  store_name(rec, found);
  if (kind == FormattedRead::Refused) {
    string_box(box_owner(rec), MB_ICONEXCLAMATION | MB_OK, IDS_CANT_READ, found);
    return;
  }
  if (first || kind == FormattedRead::Loaded) {
    rec->currentLine = rec->firstLine;
    rec->lineNumber = 1;
  }
}

int save_document(EditorRecord* rec, const char* name) {
  if (one_empty_line(rec)) return SAVE_DONE;
  if (name) store_name(rec, name);
  const char* stored = rec->fileName;
  if (!stored || !*stored || is_untitled(stored)) return SAVE_NO_NAME;
  char path[MAX_PATH];
  DWORD n = GetFullPathNameA(stored, sizeof path, path, nullptr);
  if (n == 0 || n >= sizeof path) return SAVE_CANT_CREATE;
  return write_whole_file(rec, path);
}

LRESULT cmd_load_file(EditorRecord* rec) {
  LPARAM lp = rec->lParam;
  WPARAM wp = rec->wParam;
  bool byHandle = lp == 0 || lp == -1;
  HFILE file;
  char found[MAX_PATH] = "";
  if (byHandle) {
    file = static_cast<HFILE>(wp);
  } else {
    file = find_file(reinterpret_cast<const char*>(lp), found, sizeof found);
    if (file == HFILE_ERROR) return 0;
  }
  bool replace =
      !rec->currentLine || one_empty_line(rec) || (byHandle ? lp == -1 : wp == static_cast<WPARAM>(-1));
  LineRecord* first;
  {
    WaitCursor wait;
    if (replace) {
      free_list(rec, rec->firstLine);
      reset_text(rec);
    }
    first = read_plain(rec, file, replace);
  }
  if (!byHandle) _lclose(file);
  if (replace) {
    if (!byHandle) store_name(rec, found);
    ensure_line(rec);
    rec->currentLine = rec->firstLine;
    rec->lineNumber = 1;
    rec->changes = 0;
  } else {
    if (first) {
      rec->currentLine = first;
      rec->lineNumber = line_number(rec, first);
    }
    rec->changes = 1;
  }
  rec->caretColumn = 0;
  ++rec->positionChanges;
  if (rec->wnd) InvalidateRect(rec->wnd, nullptr, TRUE);
  return 1;
}

LRESULT cmd_save_file(EditorRecord* rec) {
  if (!rec->lParam && static_cast<INT_PTR>(rec->wParam) > 0) {
    Sink sink(static_cast<HFILE>(rec->wParam));
    return write_plain(rec, sink) ? 1 : 0;
  }
  return save_document(rec, reinterpret_cast<const char*>(rec->lParam));
}

void fail_writes_after(int64_t bytes) { s_writeBudget = bytes; }

}  // namespace ked
