// Shared by the engine's tests: an error list installed on the calling thread for one
// scope, and the texts of its entries; a logon to a data source for one scope.
#pragma once

#include "dbsql/cmgenv.h"
#include "dbutil/jxerror.h"
#include "dbutil/jxpertask.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

struct ThreadErrors {
  explicit ThreadErrors(int keepAll = 1) : list(nullptr, keepAll) {
    mdsPerThreadInit();
    JxErrorKeeper::setErrorList(&list);
  }
  ~ThreadErrors() {
    JxErrorKeeper::giveUpErrorList();
    list.deleteNodes();
    mdsPerThreadTerm();
  }
  ThreadErrors(const ThreadErrors&) = delete;
  ThreadErrors& operator=(const ThreadErrors&) = delete;

  std::vector<unsigned short> numbers() const {
    std::vector<unsigned short> out;
    for (JxNode* n = list.first(); n; n = list.after(n)) out.push_back(static_cast<JxError*>(n)->getNumber());
    return out;
  }
  unsigned short last() const { return JxErrorKeeper::getLastErrorNumber(); }
  std::string lastText() const {
    JxError* e = JxErrorKeeper::getLastError();
    return e ? e->getText() : "";
  }
  void clear() { list.deleteNodes(); }

  JxErrorList list;
};

// An environment and one connection for one scope (con is null when the logon failed);
// the environment ends with the scope.
struct Logon {
  explicit Logon(const std::string& connect) : env(cmgInit(CMG_API_CALLER)) {
    if (env) con = cmgLogon(env, nullptr, connect.c_str(), 0);
  }
  ~Logon() {
    if (env) {
      EXPECT_EQ(cmgTerm(env), 0);
    }
  }
  cmgInfo* env;
  cmg_capabilities* con = nullptr;
};
