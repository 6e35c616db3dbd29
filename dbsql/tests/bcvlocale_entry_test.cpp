// Black-box, on JXSQL04.dll: the library entry reads the locale once at load, so the
// conversions find their default masks and date letters without calling bcvinit.
#include "dbsql/bcvlocale.h"
#include "dbsql/bcvmask.h"
#include "sql_test_support.h"

#include <gtest/gtest.h>

#include <string.h>

TEST(LibraryEntry, LocaleReadAtLoad) {
  const BcvLocale& l = bcvLocale();
  EXPECT_STREQ(l.partLetters, "ymdhis");
  EXPECT_STREQ(l.monthAbbrev[0], "janfebmaraprmayjunjulaugsepoctnovdec");
  EXPECT_NE(l.numberMask[0], 0);
  EXPECT_NE(l.timeCompiled[0], 0);
  EXPECT_NE(l.currencyMask[0], 0);
}

TEST(LibraryEntry, CompilerThroughTheLibrary) {
  ThreadErrors errors;
  mask_info info;
  EXPECT_EQ(bcvmskcp(&info, "GC", 7, 0), 0);
  EXPECT_STREQ(bcvMaskSection(&info, 0), "G8");
  EXPECT_EQ(info.fracPlaces[0], 1 - bcvLocale().currencyDigits);
  EXPECT_EQ(bcvmskcp(&info, "#,##0 kg", 7, 0), 3523);
  EXPECT_EQ(errors.last(), 3523);
  EXPECT_EQ(errors.lastText(), "This character cannot appear in a number format string: 'K'");
}
