// Error lists, parameters and JXUTL04's message texts, on the DLL.
#include "dbutil/jxerror.h"
#include "scoped_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

JxError* make(unsigned short n, ErrorType t) { return new JxError(n, "text", t); }

TEST(ErrorList, OneErrorAgainstKeepAll) {
  // W = warning, E = error: what each kind of list keeps of the same sequence.
  struct Case {
    int keepAll;
    const char* kept;
  } cases[] = {{0, "WE"}, {1, "WEEW"}};
  for (const Case& c : cases) {
    ScopedErrorList scope(c.keepAll);
    const ErrorType seq[] = {JX_WARNING, JX_ERROR, JX_ERROR, JX_WARNING};
    for (ErrorType t : seq) {
      JxError* e = make(t == JX_WARNING ? 1 : 2, t);
      JxError* got = JxErrorKeeper::addError(e);
      EXPECT_TRUE(got == e || got == JxError::inertError());
    }
    std::string kept;
    for (JxNode* n = scope.list.first(); n; n = scope.list.after(n))
      kept += static_cast<JxError*>(n)->isWarning() ? 'W' : 'E';
    EXPECT_EQ(kept, c.kept) << "keepAll " << c.keepAll;
  }
}

TEST(ErrorList, NoListOrNoErrorGivesTheInertError) {
  EXPECT_EQ(JxErrorKeeper::getErrorList(), nullptr);
  EXPECT_EQ(JxErrorKeeper::addError(make(5, JX_ERROR)), JxError::inertError());
  EXPECT_EQ(utlErrorById(1501), JxError::inertError());
  ScopedErrorList scope;
  EXPECT_EQ(JxErrorKeeper::addError(nullptr), JxError::inertError());
  JxError& inert = *JxError::inertError() << "dropped" << 5ul;
  EXPECT_EQ(&inert, JxError::inertError());
  EXPECT_STREQ(JxError::inertError()->getText(), "");
  EXPECT_EQ(scope.list.getCount(), 0u);
}

TEST(ErrorParams, FilledInOrder) {
  struct Case {
    const char* text;
    std::vector<std::string> params;  // "#n" is a number, "-n" a negative one
    const char* expected;
  } cases[] = {
      {"Cannot rename '%s1' to '%s2'.", {"a", "b"}, "Cannot rename 'a' to 'b'."},
      {"Error parsing %s2 at offset %n1.", {"#17", "DSN"}, "Error parsing DSN at offset 17."},
      {"%s1 and %s1 again", {"x"}, "x and x again"},
      {"no placeholder here", {"x"}, "no placeholder here"},
      {"%s2 only", {"x", "y"}, "y only"},
      {"offset %n1", {"--5"}, "offset -5"},
      {"%s1|%sx10|%s2", {"p1", "p2", "p3", "p4", "p5", "p6", "p7", "p8", "p9", "p10"}, "p1|p10|p2"},
      {"%s10 stays", {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"}, "a0 stays"},
  };
  for (const Case& c : cases) {
    ScopedErrorList scope;
    JxError* e = JxErrorKeeper::addError(new JxError(77, c.text));
    JxError* r = e;
    for (const std::string& p : c.params) {
      if (p[0] == '#')
        r = &(*r << std::stoul(p.substr(1)));
      else if (p[0] == '-' && p.size() > 1 && p[1] == '-')
        r = &(*r << std::stol(p.substr(1)));
      else
        r = &(*r << p.c_str());
    }
    EXPECT_EQ(r, e);
    EXPECT_STREQ(e->getText(), c.expected) << c.text;
    EXPECT_EQ(e->getParamString().getParamCount(), c.params.size());
  }
}

TEST(ErrorParams, QuotedAndAppended) {
  ScopedErrorList scope;
  JxError* e = JxErrorKeeper::addError(new JxError(1, "name %s1"));
  e->getParamString().setQuotedParam("it's", '\'');
  EXPECT_STREQ(e->getText(), "name 'it''s'");
  JxErrorKeeper::appendTextToLastError(" near %s1");
  EXPECT_EQ(e->getParamString().getParamCount(), 0);
  *e << "end";
  EXPECT_STREQ(e->getText(), "name 'it''s' near end");
  utlAppendMessageById(30041);
  EXPECT_STREQ(e->getText(), "name 'it''s' near endError on input or output to a file.");
}

TEST(ErrorList, MemoryErrorFlag) {
  // Before: entries; after addMemoryError: last number; after clearLastError: last number.
  struct Case {
    int keepAll;
    ErrorType first;
    unsigned short after, cleared;
    uint32_t count;
  } cases[] = {
      {1, JX_ERROR, 30190, 11, 1},    // keep-all: the error stays under the flag
      {0, JX_ERROR, 30190, 0, 0},     // one-error list: the error makes room for it
      {0, JX_WARNING, 30190, 11, 1},  // a warning is no error: it stays
  };
  for (const Case& c : cases) {
    ScopedErrorList scope(c.keepAll);
    JxErrorKeeper::addError(new JxError(11, "first", c.first));
    JxErrorKeeper::addMemoryError();
    EXPECT_EQ(JxErrorKeeper::getLastErrorNumber(), c.after);
    EXPECT_TRUE(scope.list.hasMemoryError());
    EXPECT_EQ(scope.list.getCount(), c.count);
    JxErrorKeeper::clearLastError();
    EXPECT_FALSE(scope.list.hasMemoryError());
    EXPECT_EQ(JxErrorKeeper::getLastErrorNumber(), c.cleared);
  }
  ScopedErrorList scope;
  JxErrorKeeper::addMemoryError();
  EXPECT_EQ(scope.list.removeFirstError(), JxError::memoryError());
  EXPECT_FALSE(scope.list.hasMemoryError());
  EXPECT_EQ(scope.list.removeLastError(), nullptr);
}

TEST(ErrorList, ErrorsMix) {
  struct Case {
    const char* adds;
    int memory;
    ErrorsMix mix;
  } cases[] = {{"", 0, JX_MIX_EMPTY},  {"W", 0, JX_MIX_WARNINGS},  {"E", 0, JX_MIX_ERRORS},
               {"EW", 0, JX_MIX_BOTH}, {"WW", 0, JX_MIX_WARNINGS}, {"", 1, JX_MIX_ERRORS},
               {"W", 1, JX_MIX_BOTH}};
  for (const Case& c : cases) {
    ScopedErrorList scope(1);
    for (const char* p = c.adds; *p; ++p) JxErrorKeeper::addError(make(3, *p == 'W' ? JX_WARNING : JX_ERROR));
    if (c.memory) JxErrorKeeper::addMemoryError();
    EXPECT_EQ(scope.list.getErrorsMix(), c.mix) << c.adds << " memory " << c.memory;
  }
}

TEST(ErrorList, WarningsAreKeptApart) {
  ScopedErrorList scope;
  JxError* w = utlWarningById(1517);
  EXPECT_TRUE(w->isWarning());
  EXPECT_EQ(w->getType(), JX_WARNING);
  JxError* e = utlErrorById(1509);
  EXPECT_FALSE(e->isWarning());
  *e << "a.txt";
  EXPECT_EQ(scope.list.getCount(), 2u);
  EXPECT_EQ(utlErrorById(1510), JxError::inertError());  // one error only
  JxString all;
  EXPECT_EQ(scope.list.concatErrors(&all, '\n'), 0);
  EXPECT_STREQ(all.c_str(), "Invalid Parameter\nFile not found 'a.txt'.");
  ScopedErrorList keepAll(1);
  JxError* db = JxErrorKeeper::addDatabaseError(42, 1205, "driver says no", JX_WARNING);
  ASSERT_EQ(keepAll.list.getCount(), 1u);
  EXPECT_EQ(db->getNativeCode(), 1205ul);
  EXPECT_STREQ(db->getText(), "driver says no");
  EXPECT_TRUE(db->isWarning());
}

TEST(ErrorList, NestedListsAndOwner) {
  ScopedErrorList outer;
  int owner;
  JxErrorList inner(&owner, 0);
  JxErrorKeeper::setErrorList(&inner);
  EXPECT_EQ(JxErrorKeeper::getOwnerOfList(), &owner);
  utlErrorById(1507);
  EXPECT_EQ(inner.getCount(), 1u);
  EXPECT_EQ(outer.list.getCount(), 0u);
  EXPECT_EQ(JxErrorKeeper::giveUpErrorList(), &inner);
  EXPECT_EQ(JxErrorKeeper::getErrorList(), &outer.list);
  EXPECT_EQ(JxErrorKeeper::getOwnerOfList(), nullptr);
}

TEST(Messages, StringTable) {
  struct Case {
    unsigned short number;
    const char* text;
  } cases[] = {
      {1500, "Not enough memory for data transfer - message truncated."},
      {1501, "Cannot create file '%s1'."},
      {1502, "Cannot delete file: '%s1'."},
      {1503, "Not enough memory for this command."},
      {1504, "Cannot set current working directory to '%s1'."},
      {1505, ""},
      {1506, "Insufficient disk space."},
      {1507, "Invalid file handle."},
      {1508, "Access to file denied '%s1'."},
      {1509, "File not found '%s1'."},
      {1510, "Path not found '%s1'."},
      {1511,
       "You must run SHARE when locking is enabled or you must set Locking=NONE in your ODBC.INI file."},
      {1512, "Whole or part of the region has already been locked."},
      {1513, "Unable to unlock record."},
      {1514, "Lock failed!  OS file locking resources have been exceeded."},
      {1515, "Unable to load help file."},
      {1516, "Not a DOS disk"},
      {1517, "Invalid Parameter"},
      {1518, "File read locks not supported"},
      {1519, "Not owner of resource access has been denied."},
      {1520, "File currently exist."},
      {1521, "File dead lock has been detected."},
      {1522, "No file lock resource exist."},
      {1523, "Unable to load DLL %s1 because of %s2."},
      {1524, "Semaphore Pool Allocation Information"},
      {1525, "Per Semaphore Allocation Information"},
      {1526, "Semaphore Request Type"},
      {1527, "Semaphore Allocated Type"},
      {1528, "Real System Semaphore"},
      {1529, "Spin Lock Semaphore"},
      {1530, "Semaphore OS Limit"},
      {1531, "Semaphore Spin Count"},
      {1532, "Semaphore Thread yield time"},
      {1533, "Semaphore Set ID"},
      {1534, "Semaphores per set"},
      {1535, "Semaphore Number"},
      {1536, "Semaphore Allocation error"},
      {1537, "Per Semaphore Deallocation Information"},
      {2700, "Token too big: %s1"},
      {2701, "Number too large: %s1"},
      {2702, "Number contains an invalid character: %s1"},
      {2703, "Unmatched quote character: %s1"},
      {2704, "Error parsing connect string at offset %n1. "},
      {2705, "Error parsing %s2 at offset %n1."},
      {2706, " Attribute '%s1' specified more than once."},
      {2707, " Attribute specified twice using keywords '%s1' and '%s2'."},
      {2708, "Invalid hexidecimal character found during conversion."},
      {2709, "Quicksort stack overflow"},
      {2710, "Too many sort keys."},
      {2716, "Cannot handle strings larger than 65500 bytes."},
      {2717, "Initialization file is not open."},
      {2719, "Could not create trace window."},
      {2720, "Error parsing first line of query file: %s1"},
      {2721, "Could not get needed access to '%s1'."},
      {2722, "Can not increase internal array size past 16000."},
      {30040, "Cannot open file '%s1'."},
      {30041, "Error on input or output to a file."},
      {30042, "Cannot rename '%s1' to '%s2'."},
      {30043, "Not enough memory for this command."},
      {30045, "The maximum number of files are already open."},
      {30047, "Reserved file name cannot be opened '%s1'."},
      {30048, "Insufficient memory to start J+X."},
      {30049, "File system is Read Only."},
      {30050, "%s Additional Information %s."},
      {30190, "Out of memory."},
  };
  for (const Case& c : cases) {
    char buffer[512];
    memset(buffer, '?', sizeof buffer);
    utlLoadMessage(c.number, buffer);
    EXPECT_STREQ(buffer, c.text) << c.number;
  }
  ScopedErrorList scope;
  *utlErrorById(30042) << "old.txt"
                       << "new.txt";
  EXPECT_STREQ(JxErrorKeeper::getLastError()->getText(), "Cannot rename 'old.txt' to 'new.txt'.");
  EXPECT_EQ(JxErrorKeeper::getLastErrorNumber(), 30042);
}

}  // namespace
