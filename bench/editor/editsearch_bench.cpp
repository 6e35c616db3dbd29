// Searches a hidden editor window holding a long text for a plain word and for an
// expression, finding every match with the search request and "search again", against a
// strstr loop and std::regex_search over the same lines. Prints the times, the match
// counts (which must agree) and the ratios.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "editor/korvoedit.h"

namespace {

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return double(b.QuadPart - a.QuadPart) / double(f.QuadPart);
}

double Now() {
  static LARGE_INTEGER origin = [] {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return Seconds(origin, t);
}

// Lines of Basic-like source; every seventh one calls a "Widget", the last names the
// "Sentinel".
std::vector<std::string> MakeLines(long n) {
  std::vector<std::string> lines;
  lines.reserve(n);
  char buf[128];
  for (long i = 0; i < n; ++i) {
    if (i % 7 == 0)
      std::snprintf(buf, sizeof buf, "    Set w = Widget%ld.Create(%ld, \"row\")", i % 1000, i);
    else
      std::snprintf(buf, sizeof buf, "    Total = Total + Item%ld(%ld) ' running sum", i % 500, i);
    lines.push_back(buf);
  }
  // One line that only the rare patterns find, so that one request scans the whole text.
  if (n > 0) lines.back() = "    Sentinel42 = 0";
  return lines;
}

// Every match from the top of the text: one request, then "search again" until nothing.
long EditorCount(HWND w, const char* pattern, unsigned flags, double* seconds) {
  KorvoSearchRequest r = {};
  r.flags = flags | KESF_SILENT;
  std::strncpy(r.pattern, pattern, sizeof r.pattern - 1);
  SendMessageA(w, KE_TEXT_START, 0, 0);
  double t0 = Now();
  long count = 0;
  if (SendMessageA(w, KE_FIND_FORWARD, 0, reinterpret_cast<LPARAM>(&r)) != 0) {
    ++count;
    while (SendMessageA(w, KE_FIND_AGAIN, 0, 0) != 0) ++count;
  }
  *seconds = Now() - t0;
  return count;
}

long StrstrCount(const std::vector<std::string>& lines, const char* word, double* seconds) {
  double t0 = Now();
  long count = 0;
  size_t len = std::strlen(word);
  for (const std::string& line : lines)
    for (const char* p = std::strstr(line.c_str(), word); p; p = std::strstr(p + len, word)) ++count;
  *seconds = Now() - t0;
  return count;
}

long RegexCount(const std::vector<std::string>& lines, const char* expression, double* seconds) {
  std::regex re(expression);
  double t0 = Now();
  long count = 0;
  for (const std::string& line : lines)
    for (std::sregex_iterator it(line.begin(), line.end(), re), end; it != end; ++it) ++count;
  *seconds = Now() - t0;
  return count;
}

void Row(const char* what, const char* pattern, long count, double secs, long baseCount, double baseSecs) {
  std::printf("%-18s %-16s %8ld %10.3f %8ld %10.3f %8.1fx%s\n", what, pattern, count, secs * 1000.0,
              baseCount, baseSecs * 1000.0, baseSecs > 0 ? secs / baseSecs : 0.0,
              count == baseCount ? "" : "  (counts differ)");
}

}  // namespace

int main(int argc, char** argv) {
  long n = argc > 1 ? std::atol(argv[1]) : 100000;
  if (n <= 0) n = 100000;
  InitEditor(GetModuleHandleA(nullptr));
  HWND w = CreateWindowExA(0, KORVOEDIT_CLASS, "", WS_OVERLAPPED, 0, 0, 400, 300, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
  if (!w) {
    std::printf("could not create the editor window\n");
    return 1;
  }
  std::vector<std::string> lines = MakeLines(n);
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  double t0 = Now();
  SendMessageA(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  double load = Now() - t0;
  std::printf("%ld lines, %zu bytes, loaded into the editor in %.1f ms\n\n", n, text.size(), load * 1000.0);

  // The editor's expressions and ECMAScript agree on this one: a class, a repeat, a class.
  const char* word = "Widget";
  const char* expression = "W[a-z]+[0-9]+";
  double es, ps, ex, rs;
  long ec = EditorCount(w, word, KESF_PLAIN, &es);
  long pc = StrstrCount(lines, word, &ps);
  long xc = EditorCount(w, expression, 0, &ex);
  long rc = RegexCount(lines, expression, &rs);

  std::printf("%-18s %-16s %8s %10s %8s %10s %9s\n", "editor search", "pattern", "matches", "ms", "base",
              "base ms", "ratio");
  Row("plain (strstr)", word, ec, es, pc, ps);
  Row("expr (std::regex)", expression, xc, ex, rc, rs);
  // The same with one match at the end: the scan alone, without a command per match.
  const char* rareWord = "Sentinel";
  const char* rareExpression = "S[a-z]+l[0-9]+";
  long er = EditorCount(w, rareWord, KESF_PLAIN, &es);
  long pr = StrstrCount(lines, rareWord, &ps);
  long xr = EditorCount(w, rareExpression, 0, &ex);
  long rr = RegexCount(lines, rareExpression, &rs);
  Row("plain (strstr)", rareWord, er, es, pr, ps);
  Row("expr (std::regex)", rareExpression, xr, ex, rr, rs);
  DestroyWindow(w);
  return ec == pc && xc == rc && er == pr && xr == rr ? 0 : 2;
}
