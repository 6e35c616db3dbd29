// Files: the line reader, the "KEPATH" search, load progress, the save rules, the
// formatted-text file (a golden layout, damaged files refused whole, a seeded mutation
// run), and saves that fail without touching the old file.
#include <gtest/gtest.h>

#include <io.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "edfile.h"
#include "edformat.h"
#include "edlines.h"
#include "edmem.h"
#include "edrecord.h"
#include "edtesthelp.h"
#include "editor/korvoedit.h"
#include "testkit/testkit.h"

using namespace ked;

namespace {

typedef std::vector<unsigned char> Bytes;

void Put(const std::string& path, const std::string& bytes) {
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_TRUE(f) << path;
  fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);
}
void Put(const std::string& path, const Bytes& bytes) { Put(path, std::string(bytes.begin(), bytes.end())); }
std::string Get(const std::string& path) {
  std::string bytes;
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return "(missing)";
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
  fclose(f);
  return bytes;
}
std::vector<std::string> Entries(const std::string& dir) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (strcmp(data.cFileName, ".") && strcmp(data.cFileName, "..")) names.push_back(data.cFileName);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return names;
}

std::vector<std::string> Lines(HWND w) {
  std::vector<std::string> lines;
  for (LineRecord* l = record_of(w)->firstLine; l; l = l->next) lines.emplace_back(l->text, l->length);
  return lines;
}

// Little-endian building blocks of the expected formatted file.
void U16(Bytes& b, uint16_t v) {
  b.push_back(v & 0xFF);
  b.push_back(v >> 8);
}
void U32(Bytes& b, uint32_t v) {
  U16(b, v & 0xFFFF);
  U16(b, v >> 16);
}
void Line(Bytes& b, const char* text, uint32_t capacity, uint16_t flags, uint16_t format, uint16_t height) {
  U32(b, 0), U32(b, 0), U32(b, 0);
  U32(b, static_cast<uint32_t>(strlen(text)));
  U32(b, capacity);
  U16(b, flags), U16(b, format), U16(b, height);
  b.insert(b.end(), text, text + strlen(text));
  b.push_back(10);
}
void Entry(Bytes& b, uint32_t attributes, int32_t height, uint32_t colour, uint8_t pitch, const char* face) {
  U32(b, 0), U32(b, attributes), U32(b, static_cast<uint32_t>(height)), U32(b, 0), U32(b, colour);
  b.push_back(pitch);
  char padded[32] = {};
  strcpy(padded, face);
  b.insert(b.end(), padded, padded + 32);
  U32(b, 0);
}

// The file of two lines "ab" and "c", the second in bold 20-point Tahoma, RGB(1, 2, 3).
Bytes Golden() {
  Bytes b;
  U32(b, 0x062A9671);
  U32(b, 2);
  Line(b, "ab", 16, 0, 0, 14);
  Line(b, "c", 16, 0, 1, 20);
  U16(b, 2), U16(b, 8), U32(b, 0);
  Entry(b, 0, 14 * 20, GetSysColor(COLOR_WINDOWTEXT), 5, "Courier New");
  Entry(b, FA_BOLD, 20 * 20, RGB(1, 2, 3), 5, "Tahoma");
  return b;
}

class Files : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    InitEditor(GetModuleHandleA(nullptr));
    WritePrivateProfileStringA("fonts", nullptr, nullptr, edtest::IniPath().c_str());
  }
  void SetUp() override {
    edtest::IniClearOptions();
    SetEnvironmentVariableA("KEPATH", nullptr);
  }
  void TearDown() override {
    fail_writes_after(-1);
    fail_allocations_after(-1);
    for (HWND w : windows_) DestroyWindow(w);
    SetEnvironmentVariableA("KEPATH", nullptr);
    EXPECT_EQ(boxes_.Boxes().size(), expectedBoxes_) << "a box nobody expected";
  }
  HWND Make(const std::string& name, DWORD style = 0) {
    HWND w = edtest::MakeEditor(parent_.Handle(), style, name.empty() ? nullptr : name.c_str());
    windows_.push_back(w);
    return w;
  }
  static LRESULT Save(HWND w, const std::string& name) {
    return SendMessageA(w, KE_SAVE_FILE, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }
  // A formatted window holding the golden file's document.
  HWND MakeGoldenDocument() {
    HWND w = Make("", ES_KE_FORMATTED);
    EditorRecord* rec = record_of(w);
    SendMessageA(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("ab\r\nc"));
    rec->currentLine = rec->lastLine;
    rec->lineNumber = 2;
    FormatRecord request = {};
    request.firstWord = FA_BOLD | FM_HEIGHT | FM_COLOUR | FM_FACE;
    request.attributes = FA_BOLD;
    request.height = 400;
    request.colour = RGB(1, 2, 3);
    strcpy(request.face, "Tahoma");
    SendMessageA(w, KE_SET_FORMAT, 0, reinterpret_cast<LPARAM>(&request));
    return w;
  }
  // A window created with a damaged file is a new window, and the box says so.
  void ExpectRefused(HWND w, const std::string& path) {
    EditorRecord* rec = record_of(w);
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(rec->lineCount, 1);
    EXPECT_EQ(rec->firstLine->length, 0);
    EXPECT_FALSE(rec->state & ST_FORMATTED);
    EXPECT_FALSE(GetWindowLongA(w, GWL_STYLE) & ES_KE_FORMATTED);
    ASSERT_EQ(boxes_.Boxes().size(), ++expectedBoxes_);
    EXPECT_EQ(boxes_.Boxes().back().text, "Can't read the file '" + path + "'");
    EXPECT_EQ(boxes_.Boxes().back().caption, "Code Editor");
  }

  testkit::BoxAnswerer boxes_;
  size_t expectedBoxes_ = 0;
  edtest::Parent parent_;
  std::vector<HWND> windows_;
  testkit::TestDataDir dir_{"edfile"};
};

TEST_F(Files, LineReader) {
  std::string longLine(40000, 'q');
  struct Case {
    const char* name;
    std::string bytes;
    const char* option;
    const char* value;
    std::vector<std::string> lines;
  } cases[] = {
      {"crcrlf", "one\r\r\ntwo", nullptr, nullptr, {"one", "", "two"}},
      {"lone breaks", "a\nb\rc\r\n", nullptr, nullptr, {"a", "b", "c"}},
      {"no final break", "x\r\ny", nullptr, nullptr, {"x", "y"}},
      {"final break", "x\r\ny\r\n", nullptr, nullptr, {"x", "y"}},
      {"end of text", "one\r\n\x1Atwo\r\nthree", nullptr, nullptr, {"one"}},
      {"end mid-line", "one\r\nt\x1Awo\r\n", nullptr, nullptr, {"one", "t\x1Awo"}},
      {"long", longLine, nullptr, nullptr, {std::string(32766, 'q'), std::string(7234, 'q')}},
      {"real tabs", "a\tb", nullptr, nullptr, {"a\tb"}},
      {"expanded tabs", "a\tb\t\tc", "UseRealTabs", "0", {"a       b               c"}},
      {"tab fill", "\tz", "TabFill", "46", {"........z"}},  // with UseRealTabs off
      {"high bits",
       "\xC1\xE2\x8D\x8A"
       "c",
       "HighBitsOff",
       "1",
       {"Ab", "c"}},
      {"high bits kept", "\xC1\xE2", nullptr, nullptr, {"\xC1\xE2"}},
      {"0xFF byte",
       "a\xFF"
       "b",
       nullptr,
       nullptr,
       {"a\xFF"
        "b"}},
      {"empty", "", nullptr, nullptr, {""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    edtest::IniClearOptions();
    if (c.option) edtest::IniSet(c.option, c.value);
    if (c.option && !strcmp(c.option, "TabFill")) edtest::IniSet("UseRealTabs", "0");
    std::string path = dir_.File("plain.txt");
    Put(path, c.bytes);
    HWND w = Make(path);
    EXPECT_EQ(Lines(w), c.lines);
    EditorRecord* rec = record_of(w);
    EXPECT_EQ(rec->lineCount, static_cast<int>(c.lines.size()));
    EXPECT_EQ(rec->currentLine, rec->firstLine);
    EXPECT_STREQ(rec->fileName, path.c_str());
    for (LineRecord* l = rec->firstLine; l && !c.bytes.empty(); l = l->next) {
      EXPECT_EQ(l->capacity, line_capacity(l->length));
      EXPECT_EQ((l->flags & LF_HAS_TABS) != 0, memchr(l->text, '\t', l->length) != nullptr);
    }
  }
}

TEST_F(Files, SearchThroughKEPATH) {
  testkit::TestDataDir a("edfile_a"), b("edfile_b");
  Put(b.File("found.txt"), std::string("from b\r\n"));
  Put(a.File("other.txt"), std::string("from a\r\n"));
  std::string value = a.Path() + " ;, \t" + b.Path() + "\\";
  SetEnvironmentVariableA("KEPATH", value.c_str());
  HWND w = Make("found.txt");
  EXPECT_EQ(Lines(w), std::vector<std::string>{"from b"});
  EXPECT_STREQ(record_of(w)->fileName, b.File("found.txt").c_str()) << "the path that opened";
  HWND missing = Make("nowhere.txt");
  EXPECT_EQ(Lines(missing), std::vector<std::string>{""});
  EXPECT_STREQ(record_of(missing)->fileName, "nowhere.txt");
  // "Untitled" is never looked for.
  Put(a.File("Untitled"), std::string("never\r\n"));
  HWND untitled = Make("untitled");
  EXPECT_EQ(Lines(untitled), std::vector<std::string>{""});
}

TEST_F(Files, ProgressReports) {
  std::string path = dir_.File("hundred.txt");
  std::string text;
  for (int i = 0; i < 100; ++i) text += "12345678\r\n";  // 10 bytes a line: 1 % each
  Put(path, text);
  struct Case {
    WPARAM every;
    std::vector<int> stages;
    std::vector<int> percents;
  } cases[] = {
      {static_cast<WPARAM>(-10),
       {0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2},
       {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 100}},
      {40, {0, 1, 1, 2}, {0, 40, 80, 100}},
      {0, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<long long>(c.every));
    HWND w = Make("");
    SendMessageA(w, KE_SET_READ_NOTIFY_LINES, c.every, 0);
    parent_.Clear();
    EXPECT_EQ(SendMessageA(w, KE_LOAD_FILE, 0, reinterpret_cast<LPARAM>(path.c_str())), 1);
    std::vector<int> stages, percents;
    for (const edtest::ProgressNotice& p : parent_.progress) {
      stages.push_back(static_cast<int>(p.stage));
      percents.push_back(p.percent);
      EXPECT_EQ(p.fileLength, 1000);
    }
    EXPECT_EQ(stages, c.stages);
    EXPECT_EQ(percents, c.percents);
    if (!parent_.progress.empty()) {
      EXPECT_EQ(parent_.progress.back().lineCount, 100);
    }
    EXPECT_EQ(record_of(w)->lineCount, 100);
  }
  // A window created with the file reports to its parent too.
  edtest::IniSet("LinesForReadNotify", "40");
  parent_.Clear();
  HWND created = Make(path);
  EXPECT_EQ(record_of(created)->lineCount, 100);
  std::vector<WPARAM> stages;
  for (const edtest::ProgressNotice& p : parent_.progress) stages.push_back(p.stage);
  EXPECT_EQ(stages, (std::vector<WPARAM>{0, 1, 1, 2}));
  edtest::IniClearOptions();

  // The parent stops the load: at the start nothing is read; later the lines so far stay.
  HWND w = Make("");
  SendMessageA(w, KE_SET_READ_NOTIFY_LINES, 30, 0);
  parent_.Clear();
  parent_.progressAnswer = 0;
  SendMessageA(w, KE_LOAD_FILE, 0, reinterpret_cast<LPARAM>(path.c_str()));
  EXPECT_EQ(record_of(w)->lineCount, 1);
  ASSERT_EQ(parent_.progress.size(), 1u) << "cancelled before anything was read";
  EXPECT_EQ(parent_.progress[0].stage, 0u);
  HWND partly = Make("");
  SendMessageA(partly, KE_SET_READ_NOTIFY_LINES, 30, 0);
  parent_.Clear();
  parent_.progressAnswer = 1;
  parent_.reportAnswer = 0;
  SendMessageA(partly, KE_LOAD_FILE, 0, reinterpret_cast<LPARAM>(path.c_str()));
  EXPECT_EQ(record_of(partly)->lineCount, 30);
  ASSERT_EQ(parent_.progress.size(), 3u);
  EXPECT_EQ(parent_.progress[2].stage, 2u);
  EXPECT_EQ(parent_.progress[2].percent, 100);
}

TEST_F(Files, LoadCommandReplacesOrInserts) {
  std::string one = dir_.File("one.txt"), two = dir_.File("two.txt");
  Put(one, std::string("1a\r\n1b\r\n"));
  Put(two, std::string("2a\r\n2b\r\n"));
  HWND w = Make("");
  EditorRecord* rec = record_of(w);
  EXPECT_EQ(SendMessageA(w, KE_LOAD_FILE, 0, reinterpret_cast<LPARAM>(dir_.File("no").c_str())), 0);
  EXPECT_EQ(SendMessageA(w, KE_LOAD_FILE, 0, reinterpret_cast<LPARAM>(one.c_str())), 1);
  EXPECT_EQ(Lines(w), (std::vector<std::string>{"1a", "1b"})) << "an empty document is replaced";
  EXPECT_STREQ(rec->fileName, one.c_str());
  EXPECT_EQ(SendMessageA(w, EM_GETMODIFY, 0, 0), 0);
  // The current line is the first: the file goes after it, and the caret to its first line.
  EXPECT_EQ(SendMessageA(w, KE_LOAD_FILE, 0, reinterpret_cast<LPARAM>(two.c_str())), 1);
  EXPECT_EQ(Lines(w), (std::vector<std::string>{"1a", "2a", "2b", "1b"}));
  EXPECT_EQ(rec->lineNumber, 2);
  EXPECT_STREQ(rec->fileName, one.c_str()) << "an insertion keeps the name";
  EXPECT_EQ(SendMessageA(w, EM_GETMODIFY, 0, 0), 1);
  // Otherwise before the current line.
  rec->currentLine = rec->lastLine;
  rec->lineNumber = 4;
  SendMessageA(w, KE_LOAD_FILE, 0, reinterpret_cast<LPARAM>(one.c_str()));
  EXPECT_EQ(Lines(w), (std::vector<std::string>{"1a", "2a", "2b", "1a", "1b", "1b"}));
  EXPECT_EQ(rec->lineNumber, 4);
  EXPECT_EQ(rec->lineCount, 6);
  // wParam -1 with a name replaces.
  SendMessageA(w, KE_LOAD_FILE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(two.c_str()));
  EXPECT_EQ(Lines(w), (std::vector<std::string>{"2a", "2b"}));
  EXPECT_STREQ(rec->fileName, two.c_str());
  // An open handle is read from its position and left open; lParam -1 replaces.
  HFILE file = _lopen(one.c_str(), OF_READ);
  ASSERT_NE(file, HFILE_ERROR);
  _llseek(file, 4, FILE_BEGIN);
  EXPECT_EQ(SendMessageA(w, KE_LOAD_FILE, static_cast<WPARAM>(file), -1), 1);
  EXPECT_EQ(Lines(w), std::vector<std::string>{"1b"});
  EXPECT_STREQ(rec->fileName, two.c_str());
  EXPECT_EQ(_llseek(file, 0, FILE_BEGIN), 0) << "still open";
  EXPECT_EQ(SendMessageA(w, KE_LOAD_FILE, static_cast<WPARAM>(file), 0), 1);
  EXPECT_EQ(Lines(w), (std::vector<std::string>{"1b", "1a", "1b"}));
  _lclose(file);
}

TEST_F(Files, SaveRules) {
  // An untouched new window answers 1 and writes nothing.
  HWND fresh = Make("");
  EXPECT_EQ(SendMessageA(fresh, KE_SAVE_FILE, 0, 0), 1);
  EXPECT_EQ(Get("Untitled"), "(missing)");
  SendMessageA(fresh, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("text"));
  EXPECT_EQ(SendMessageA(fresh, KE_SAVE_FILE, 0, 0), 0) << "no usable name";
  std::string path = dir_.File("saved.txt");
  EXPECT_EQ(Save(fresh, path), 1);
  EXPECT_EQ(Get(path), "text\r\n");
  EXPECT_STREQ(record_of(fresh)->fileName, path.c_str());
  EXPECT_EQ(SendMessageA(fresh, EM_GETMODIFY, 0, 0), 0);
  SendMessageA(fresh, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("again\r\nx"));
  EXPECT_EQ(SendMessageA(fresh, KE_SAVE_FILE, 0, 0), 1) << "the stored name";
  EXPECT_EQ(Get(path), "again\r\nx\r\n");
  EXPECT_EQ(Entries(dir_.Path()), std::vector<std::string>{"saved.txt"}) << "nothing left beside it";

  // A relative name is taken against the current directory, dots removed.
  char cwd[MAX_PATH];
  GetCurrentDirectoryA(sizeof cwd, cwd);
  SetCurrentDirectoryA(dir_.Path().c_str());
  CreateDirectoryA("sub", nullptr);
  EXPECT_EQ(Save(fresh, "sub\\..\\.\\relative.txt"), 1);
  SetCurrentDirectoryA(cwd);
  EXPECT_EQ(Get(dir_.File("relative.txt")), "again\r\nx\r\n");

  // Soft returns: lines read with CR LF keep it, the others get CR alone.
  edtest::IniSet("UseSoftReturns", "1");
  std::string soft = dir_.File("soft.txt");
  Put(soft, std::string("a\r\nb\rc\nd\r\n"));
  HWND w = Make(soft);
  EXPECT_EQ(Save(w, soft), 1);
  EXPECT_EQ(Get(soft), "a\r\nb\rc\rd\r\n");

  // A handle: plain text, the change counter left alone.
  std::string handled = dir_.File("handle.txt");
  HFILE file = _lcreat(handled.c_str(), 0);
  SendMessageA(fresh, EM_SETMODIFY, 5, 0);
  EXPECT_EQ(SendMessageA(fresh, KE_SAVE_FILE, static_cast<WPARAM>(file), 0), 1);
  _lclose(file);
  EXPECT_EQ(Get(handled), "again\r\nx\r\n");
  EXPECT_EQ(SendMessageA(fresh, EM_GETMODIFY, 0, 0), 5);
}

TEST_F(Files, EntabOutsideQuotes) {
  edtest::IniSet("EntabLine", "1");
  struct Case {
    const char* line;
    const char* saved;
  } cases[] = {
      {"a          b", "a\t   b"},
      {"                x", "\t\tx"},
      {"ab  c", "ab  c"},
      {"abcdefg   h", "abcdefg\t  h"},
      {"x = \"a        b\"", "x = \"a        b\""},
      {"'q'       z", "'q'\t  z"},
      {"\"it's\"        y", "\"it's\"\t      y"},  // the quote inside stays text
      {"\\\"        y", "\\\"\t  y"},
  };
  std::string path = dir_.File("entab.txt");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    HWND w = Make("");
    SendMessageA(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.line));
    ASSERT_EQ(Save(w, path), 1);
    EXPECT_EQ(Get(path), std::string(c.saved) + "\r\n");
  }
  // Runs starting at column 257 or later stay blanks.
  std::string late = std::string(260, 'x') + "           y";
  HWND w = Make("");
  SendMessageA(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(late.c_str()));
  ASSERT_EQ(Save(w, path), 1);
  EXPECT_EQ(Get(path), late + "\r\n");
}

TEST_F(Files, FormattedFileMatchesTheGoldenLayout) {
  HWND w = MakeGoldenDocument();
  std::string path = dir_.File("golden.ked");
  ASSERT_EQ(Save(w, path), 1);
  Bytes golden = Golden();
  std::string written = Get(path);
  ASSERT_EQ(written.size(), golden.size());
  for (size_t i = 0; i < golden.size(); ++i)
    EXPECT_EQ(static_cast<unsigned char>(written[i]), golden[i]) << "byte " << i;

  // Read back: the same document, a formatted-text window, fonts made for the entries.
  HWND back = Make(path);
  EditorRecord* rec = record_of(back);
  EXPECT_TRUE(rec->state & ST_FORMATTED);
  EXPECT_TRUE(GetWindowLongA(back, GWL_STYLE) & ES_KE_FORMATTED);
  EXPECT_EQ(Lines(back), (std::vector<std::string>{"ab", "c"}));
  ASSERT_EQ(rec->formatCount, 2);
  EXPECT_EQ(rec->formatCapacity, 8);
  EXPECT_EQ(rec->lastLine->formatIndex, 1);
  EXPECT_EQ(rec->lastLine->formatHeight, 20);
  const FormatRecord& bold = rec->formats[1];
  EXPECT_EQ(bold.attributes, static_cast<uint32_t>(FA_BOLD));
  EXPECT_EQ(bold.colour, RGB(1, 2, 3));
  EXPECT_STREQ(bold.face, "Tahoma");
  EXPECT_NE(bold.handle, 0u);
  std::string again = dir_.File("again.ked");
  ASSERT_EQ(Save(back, again), 1);
  EXPECT_EQ(Get(again), written) << "written and read back equal";
  // The load command reads any file as plain text.
  HWND plain = Make("");
  SendMessageA(plain, KE_LOAD_FILE, 0, reinterpret_cast<LPARAM>(path.c_str()));
  EXPECT_FALSE(record_of(plain)->state & ST_FORMATTED);
}

TEST_F(Files, DamagedFormattedFilesAreRefusedWhole) {
  const Bytes golden = Golden();
  ASSERT_EQ(golden.size(), 187u);
  struct Patch {
    const char* what;
    size_t at;
    int width;  // 1, 2 or 4 bytes; 0 appends one byte
    uint32_t value;
  } patches[] = {
      {"no lines", 4, 4, 0},
      {"more lines than stored", 4, 4, 3},
      {"line count beyond the file", 4, 4, 0xFFFFFFFF},
      {"length equal to capacity", 20, 4, 16},
      {"length past the file", 20, 4, 0x7FFFFFFF},
      {"negative length", 20, 4, 0xFFFFFFFF},
      {"huge capacity", 24, 4, 0x7FFFFFFF},
      {"NUL in the text", 34, 1, 0},
      {"no line end byte", 36, 1, 'X'},
      {"format index past the table", 59, 2, 2},
      {"no formats", 65, 2, 0},
      {"more formats than stored", 65, 2, 3},
      {"capacity below count", 67, 2, 1},
      {"unknown attribute", 134, 4, 0x10},
      {"height out of range", 138, 4, 0x7FFFFFFF},
      {"trailing byte", 0, 0, 0},
  };
  std::string path = dir_.File("damaged.ked");
  for (const Patch& p : patches) {
    SCOPED_TRACE(p.what);
    Bytes b = golden;
    if (p.width == 0) b.push_back(0);
    for (int i = 0; i < p.width; ++i) b[p.at + i] = static_cast<unsigned char>(p.value >> (8 * i));
    Put(path, b);
    ExpectRefused(Make(path), path);
  }
  {
    SCOPED_TRACE("face without a terminator");
    Bytes b = golden;
    memset(&b[151], 'A', 32);
    Put(path, b);
    ExpectRefused(Make(path), path);
  }
  for (size_t size = 4; size < golden.size(); ++size) {
    SCOPED_TRACE(testing::Message() << "truncated to " << size);
    Put(path, Bytes(golden.begin(), golden.begin() + size));
    ExpectRefused(Make(path), path);
  }
  // A file too short for the magic is plain text.
  Put(path, Bytes(golden.begin(), golden.begin() + 3));
  HWND w = Make(path);
  EXPECT_EQ(record_of(w)->firstLine->length, 3);
  // A formatted window stays one when its file is refused.
  Put(path, Bytes(golden.begin(), golden.begin() + 100));
  HWND styled = Make(path, ES_KE_FORMATTED);
  EXPECT_TRUE(record_of(styled)->state & ST_FORMATTED);
  EXPECT_EQ(record_of(styled)->formatCount, 1);
  EXPECT_EQ(record_of(styled)->lineCount, 1);
  expectedBoxes_++;
}

TEST_F(Files, FailedSaveLeavesTheOldFile) {
  std::string path = dir_.File("precious.txt");
  const std::string old = "old contents\r\nline two\r\n";
  struct Case {
    const char* what;
    DWORD style;
    int64_t budget;
    int boxes;
  } cases[] = {
      {"plain, nothing written", 0, 0, 0},
      {"plain, mid-line", 0, 7, 0},
      {"formatted, in the head", ES_KE_FORMATTED, 5, 1},
      {"formatted, in the entries", ES_KE_FORMATTED, 90, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Put(path, old);
    HWND w = Make("", c.style);
    SendMessageA(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("new text\r\nthat is longer"));
    fail_writes_after(c.budget);
    EXPECT_EQ(Save(w, path), -2);
    fail_writes_after(-1);
    EXPECT_EQ(Get(path), old);
    EXPECT_EQ(Entries(dir_.Path()), std::vector<std::string>{"precious.txt"});
    EXPECT_NE(SendMessageA(w, EM_GETMODIFY, 0, 0), 0) << "still unsaved";
    expectedBoxes_ += c.boxes;
    ASSERT_EQ(boxes_.Boxes().size(), expectedBoxes_);
    if (c.boxes) {
      EXPECT_EQ(boxes_.Boxes().back().text, "Error while writing!\nThe disk may be full.");
    }
    EXPECT_EQ(Save(w, path), 1);
    EXPECT_NE(Get(path), old);
  }
  // A read-only file is neither replaced nor opened for writing.
  Put(path, old);
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
  HWND w = Make("");
  SendMessageA(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("new"));
  EXPECT_EQ(Save(w, path), -1);
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(Get(path), old);
  EXPECT_EQ(Save(w, dir_.File("no such dir\\x.txt")), -1);
}

// Seeded mutations of a valid formatted file through the reader: no crash, and every
// file is either refused whole or loaded into a consistent document.
TEST_F(Files, MutatedFormattedFiles) {
  const Bytes golden = Golden();
  testkit::FuzzRandom random(20261210);
  testkit::FuzzGuard guard(20000);
  std::string path = dir_.File("mutant.ked");
  int refused = 0, loaded = 0;
  for (int i = 0; i < 400; ++i) {
    Bytes b = golden;
    switch (random.Below(4)) {
      case 0:
        for (unsigned n = 1 + random.Below(3); n; --n)
          b[4 + random.Below(static_cast<unsigned>(b.size() - 4))] =
              static_cast<unsigned char>(random.Below(256));
        break;
      case 1:
        b.resize(4 + random.Below(static_cast<unsigned>(b.size() - 4)));
        break;
      case 2: {
        size_t at = 4 + random.Below(static_cast<unsigned>(b.size() - 4));
        b.insert(b.begin() + at, static_cast<unsigned char>(random.Below(256)));
        break;
      }
      default: {
        size_t at = 4 + random.Below(static_cast<unsigned>(b.size() - 8));
        uint32_t v = random.Below(2) ? 0xFFFFFFFFu : static_cast<uint32_t>(random.Below(70000));
        for (int k = 0; k < 4; ++k) b[at + k] = static_cast<unsigned char>(v >> (8 * k));
      }
    }
    guard.Begin("mutant " + std::to_string(i));
    Put(path, b);
    size_t boxesBefore = boxes_.Boxes().size();
    HWND w = edtest::MakeEditor(parent_.Handle(), 0, path.c_str());
    EditorRecord* rec = record_of(w);
    ASSERT_NE(rec, nullptr);
    if (boxes_.Boxes().size() > boxesBefore) {
      ++refused;
      EXPECT_EQ(rec->lineCount, 1) << i;
      EXPECT_EQ(rec->firstLine->length, 0) << i;
      EXPECT_FALSE(rec->state & ST_FORMATTED) << i;
    } else {
      ++loaded;
      int count = 0;
      for (LineRecord* l = rec->firstLine; l; l = l->next, ++count) {
        ASSERT_LT(l->length, l->capacity) << i;
        ASSERT_EQ(static_cast<int32_t>(strlen(l->text)), l->length) << i;
        if (rec->state & ST_FORMATTED) {
          ASSERT_LT(l->formatIndex, rec->formatCount) << i;
        }
      }
      EXPECT_EQ(count, rec->lineCount) << i;
      EXPECT_LE(rec->formatCount, rec->formatCapacity) << i;
    }
    DestroyWindow(w);
    guard.End();
  }
  expectedBoxes_ = boxes_.Boxes().size();
  EXPECT_GT(refused, 200);
  EXPECT_GT(loaded, 10);
}

}  // namespace
