// The store set up for running Basic outside the launcher: identifiers initialised,
// store errors thrown to the caller instead of shown in boxes, and Print without an
// object captured into a buffer (CapturedPrint reads it).
#pragma once

#include <string>

#include "store/idstring.h"
#include "store/storeapp.h"
#include "capturedprint.h"

class StoreSession {
 public:
  StoreSession() : handled_(StoreApplication::HandleExceptions(0)) {
    IdString::Initialize();
    static SessionApp app;  // registered once, for the life of the process
  }
  ~StoreSession() { StoreApplication::HandleExceptions(handled_); }
  StoreSession(const StoreSession&) = delete;
  StoreSession& operator=(const StoreSession&) = delete;

 private:
  class SessionApp : public StoreApplication {
   public:
    Printable* FindPrintTarget() override { return &CapturedPrint::Target(); }
  };
  int handled_;
};
