// The PostgreSQL data source "OrvanelPostgres" seen from a test: the test session
// (scripts/session.sh) exports OV_POSTGRES when it started the server. Without it the
// PostgreSQL cases skip; with it a failed logon is a failure.
#pragma once

#include <stdlib.h>

struct PostgresServer {
  static bool running() {
    const char* d = getenv("OV_POSTGRES");
    return d && *d;
  }
};

#define POSTGRES_DSN "DSN=OrvanelPostgres"

#define REQUIRE_POSTGRES()                                                                           \
  do {                                                                                               \
    if (!PostgresServer::running()) GTEST_SKIP() << "the test session started no PostgreSQL server"; \
  } while (0)
