// The rig's PDF printer as the printing tests see it: the CUPS queue "PDF" writes each job as a PDF
// file into $OV_PDF_DIR, which poppler's tools (run as Unix programs from Wine) read.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace pdfkit {

inline std::string Env(const char* name) {
  char value[1024];
  DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n && n < sizeof value ? std::string(value, n) : std::string();
}

// A Unix path as Wine's drive Z: shows it.
inline std::string DosPath(const std::string& unix) {
  std::string dos = "Z:" + unix;
  for (char& c : dos)
    if (c == '/') c = '\\';
  return dos;
}

inline std::string PdfDir() { return Env("OV_PDF_DIR"); }

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs a Unix program (full path) through the shell and answers what it wrote. Wine
// starts Unix programs without a process handle to wait on, so the shell leaves the exit
// status in a file when the program has ended. Arguments must hold no double quotes.
inline std::string RunUnix(const std::string& program, const std::string& args, DWORD* exitCode = nullptr) {
  static int serial = 0;
  char id[64];
  std::snprintf(id, sizeof id, "/tmp/ovprint_%lu_%d", GetCurrentProcessId(), ++serial);
  std::string out = std::string(id) + ".out", done = std::string(id) + ".done";
  std::string cmd = DosPath("/bin/sh") + " -c \"" + program + " " + args + " >" + out + " 2>&1; echo $? >" +
                    done + ".part; mv " + done + ".part " + done + "\"";
  std::vector<char> line(cmd.begin(), cmd.end());
  line.push_back(0);
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  DWORD code = 0xFFFFFFFF;
  if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    if (pi.hThread) CloseHandle(pi.hThread);
    if (pi.hProcess) CloseHandle(pi.hProcess);
    DWORD start = GetTickCount();
    while (GetFileAttributesA(DosPath(done).c_str()) == INVALID_FILE_ATTRIBUTES &&
           GetTickCount() - start < 60000)
      Sleep(20);
    std::string status = ReadFile(DosPath(done));
    if (!status.empty()) code = DWORD(std::strtoul(status.c_str(), nullptr, 10));
  } else {
    std::fprintf(stderr, "cannot run %s: error %lu\n", cmd.c_str(), GetLastError());
  }
  std::string text = ReadFile(DosPath(out));
  DeleteFileA(DosPath(out).c_str());
  DeleteFileA(DosPath(done).c_str());
  if (exitCode) *exitCode = code;
  return text;
}

// The PDF files (Unix paths) in the rig's directory whose name contains tag.
inline std::vector<std::string> PdfsTagged(const std::string& tag) {
  std::vector<std::string> found;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((DosPath(PdfDir()) + "\\*.pdf").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return found;
  do {
    if (std::string(fd.cFileName).find(tag) != std::string::npos)
      found.push_back(PdfDir() + "/" + fd.cFileName);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return found;
}

// Waits for the job's PDF: it lands a few seconds after EndDoc. A file is complete once
// pdfinfo reads it.
inline std::string WaitForPdf(const std::string& tag, DWORD timeoutMs = 60000) {
  DWORD start = GetTickCount();
  for (;;) {
    std::vector<std::string> files = PdfsTagged(tag);
    if (!files.empty()) {
      DWORD code = 1;
      RunUnix("/usr/bin/pdfinfo", files[0], &code);
      if (code == 0) return files[0];
    }
    if (GetTickCount() - start > timeoutMs) return "";
    Sleep(200);
  }
}

inline std::string PdfInfoField(const std::string& info, const std::string& field) {
  size_t at = info.find(field + ":");
  if (at == std::string::npos) return "";
  size_t end = info.find('\n', at);
  std::string value = info.substr(at + field.size() + 1, end - at - field.size() - 1);
  value.erase(0, value.find_first_not_of(' '));
  return value;
}

// A unique tag for a job's title: cups-pdf names the file after the title.
inline std::string Tag(const char* name) {
  char tag[96];
  std::snprintf(tag, sizeof tag, "%s%lu%lu", name, GetCurrentProcessId(), GetTickCount());
  return tag;
}

}  // namespace pdfkit
