// The scripted test driver (fakedriver/) seen from a test under Wine: a script and a
// log of its own per scenario in the ODBC folder of the build tree, the connection
// string that names them, and the "ODBC.INI" settings of a data source.
#pragma once

#include <windows.h>

#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct FakeDriver {
  // The ODBC folder as the host names it, and as this program opens it.
  static std::string hostDir() {
    const char* d = getenv("ODBCSYSINI");
    return d ? d : "";
  }
  static std::string winPath(const std::string& host) { return "Z:" + host; }
  static bool available() {
    std::string d = hostDir();
    if (d.empty()) return false;
    return GetFileAttributesA(winPath(d + "/libovfakeodbc.so").c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  FakeDriver(const std::string& name, const std::string& script) {
    std::string dir = hostDir() + "/fake/";
    scriptPath = dir + name + ".script";
    logPath = dir + name + ".log";
    std::ofstream(winPath(scriptPath), std::ios::binary | std::ios::trunc) << script;
    DeleteFileA(winPath(logPath).c_str());
  }

  std::string connect(const std::string& more = "") const {
    return "DSN=OrvanelFake;Script=" + scriptPath + ";Log=" + logPath + more;
  }
  std::string log() const {
    std::ifstream in(winPath(logPath), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::vector<std::string> logLines(const std::string& containing) const {
    std::vector<std::string> out;
    std::istringstream in(log());
    for (std::string line; std::getline(in, line);)
      if (line.find(containing) != std::string::npos) out.push_back(line);
    return out;
  }
  size_t count(const std::string& containing) const { return logLines(containing).size(); }

  std::string scriptPath, logPath;
};

// Keys of a data source's section of "ODBC.INI", removed again at the end of the scope.
struct OdbcIniKeys {
  explicit OdbcIniKeys(const char* section) : section(section) {}
  ~OdbcIniKeys() {
    for (const std::string& k : keys) WritePrivateProfileStringA(section, k.c_str(), nullptr, "ODBC.INI");
  }
  void set(const char* key, const char* value) {
    WritePrivateProfileStringA(section, key, value, "ODBC.INI");
    keys.push_back(key);
  }
  const char* section;
  std::vector<std::string> keys;
};

#define REQUIRE_FAKE_DRIVER()                                                              \
  do {                                                                                     \
    if (!FakeDriver::available()) GTEST_SKIP() << "the scripted test driver is not built"; \
  } while (0)
