// The locale record and its default masks, read from [Intl] values that each test
// writes into the prefix's profile (the prefix's own values are restored afterwards),
// with one group run on an emptied section; and the translation of masks between the
// United States conventions and a German-like and a US-like locale.
#include "dbsql/bcvlocale.h"

#include "dbsql/bcvconvert.h"
#include "dbsql/bcvmask.h"
#include "guarded_buffer.h"
#include "sql_test_support.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <map>
#include <string>

namespace {

const char* const KEYS[] = {"iDate",     "iTime",       "iDigits",  "iLzero",    "s1159",     "s2359",
                            "sDecimal",  "sThousand",   "sDate",    "sTime",     "sCurrency", "iTLZero",
                            "iCurrency", "iCurrDigits", "iNegCurr", "sLongDate", "sShortDate"};
const char ABSENT[] = "\001-absent";

// Saves the [Intl] values on entry, empties the section, and puts the values back (and
// re-reads the locale) on exit.
class IntlSection : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* key : KEYS) {
      char buf[256];
      GetProfileStringA("Intl", key, ABSENT, buf, sizeof buf);
      saved_[key] = buf;
      WriteProfileStringA("Intl", key, nullptr);
    }
    bcvinit();
  }
  void TearDown() override {
    for (const auto& kv : saved_)
      WriteProfileStringA("Intl", kv.first.c_str(), kv.second == ABSENT ? nullptr : kv.second.c_str());
    bcvinit();
  }
  static void set(const char* key, const char* value) { WriteProfileStringA("Intl", key, value); }
  std::map<std::string, std::string> saved_;
};

TEST_F(IntlSection, EmptySectionGivesDefaults) {
  const BcvLocale& l = bcvLocale();
  EXPECT_STREQ(l.numberMask, "0.00");
  EXPECT_STREQ(l.timeMask, "H:II:SS AM/PM");
  EXPECT_STREQ(l.shortDate, "MM/DD/YY");
  EXPECT_STREQ(l.shortDateMask, "MM\\/DD\\/YY");
  EXPECT_STREQ(l.shortDateTimeMask, "MM\\/DD\\/YY H:II:SS AM/PM");
  EXPECT_STREQ(l.currencyMask, "$#,##0.00");
  EXPECT_STREQ(l.negativeCurrencyMask, "($#,##0.00)");
  EXPECT_STREQ(l.longDateMask, "Dddd, Mmmm d, yyyy");
  EXPECT_STREQ(l.longDateTimeMask, "Dddd, Mmmm d, yyyy H:II:SS AM/PM");
  EXPECT_STREQ(l.morning, "am");
  EXPECT_STREQ(l.evening, "pm");
  EXPECT_STREQ(l.currency, "$");
  EXPECT_EQ(l.decimal, '.');
  EXPECT_EQ(l.thousands, ',');
  EXPECT_EQ(l.dateSep, '/');
  EXPECT_EQ(l.timeSep, ':');
  EXPECT_EQ(l.digits, 2);
  EXPECT_EQ(l.currencyDigits, 2);
  EXPECT_EQ(l.exponent, 'e');
  // The default masks compile as date/time masks.
  EXPECT_STREQ(l.timeCompiled, "H1:I2:S20 A2");
  EXPECT_STREQ(l.shortDateCompiled, "M2\\/D2\\/Y2");
  EXPECT_STREQ(l.longDateCompiled, "D41, M41 D1, Y4");
  EXPECT_STREQ(l.longDateTimeCompiled, "D41, M41 D1, Y4 H1:I2:S20 A2");
  EXPECT_STREQ(l.shortDateTimeCompiled, "M2\\/D2\\/Y2 H1:I2:S20 A2");
}

TEST_F(IntlSection, StringTableLists) {
  const BcvLocale& l = bcvLocale();
  EXPECT_STREQ(l.partLetters, "ymdhis");
  ASSERT_TRUE(l.months[0][0] && l.months[0][11]);
  EXPECT_STREQ(l.months[0][0], "january");
  EXPECT_STREQ(l.months[0][11], "december");
  EXPECT_STREQ(l.weekdays[0][0], "sunday");
  EXPECT_STREQ(l.weekdays[0][6], "saturday");
  EXPECT_STREQ(l.monthAbbrev[0], "janfebmaraprmayjunjulaugsepoctnovdec");
  EXPECT_STREQ(l.weekdayAbbrev[0], "sunmontuewedthufrisat");
  // The second lists are one blank in the shipped table: absent.
  EXPECT_EQ(l.months[1][0], nullptr);
  EXPECT_EQ(l.weekdays[1][0], nullptr);
  EXPECT_STREQ(l.monthAbbrev[1], "");
}

TEST_F(IntlSection, CurrencyForms) {
  struct Case {
    const char* iCurrency;
    const char* iNegCurr;
    const char* positive;
    const char* negative;
  } cases[] = {
      {"0", "0", "$#,##0.00", "($#,##0.00)"},
      {"1", "1", "#,##0.00$", "-$#,##0.00"},
      {"2", "2", "$ #,##0.00", "$-#,##0.00"},
      {"3", "3", "#,##0.00 $", "$#,##0.00-"},
      {"0", "4", "$#,##0.00", "(#,##0.00$)"},
      {"0", "5", "$#,##0.00", "-#,##0.00$"},
      {"0", "6", "$#,##0.00", "#,##0.00-$"},
      {"0", "7", "$#,##0.00", "#,##0.00$-"},
      {"0", "8", "$#,##0.00", "-#,##0.00 $"},
      {"0", "9", "$#,##0.00", "-$ #,##0.00"},
      {"0", "10", "$#,##0.00", "#,##0.00 $-"},
      // 11 and above: the negative form is the positive one.
      {"3", "11", "#,##0.00 $", "#,##0.00 $"},
      {"1", "40", "#,##0.00$", "#,##0.00$"},
      // An iCurrency without a form of its own takes the first form.
      {"4", "1", "$#,##0.00", "-$#,##0.00"},
      {"9", "12", "$#,##0.00", "$#,##0.00"},
      // Odd values fall back to the defaults.
      {"-1", "-5", "$#,##0.00", "($#,##0.00)"},
  };
  for (const Case& c : cases) {
    set("iCurrency", c.iCurrency);
    set("iNegCurr", c.iNegCurr);
    bcvinit();
    EXPECT_STREQ(bcvLocale().currencyMask, c.positive) << c.iCurrency << "/" << c.iNegCurr;
    EXPECT_STREQ(bcvLocale().negativeCurrencyMask, c.negative) << c.iCurrency << "/" << c.iNegCurr;
  }
}

TEST_F(IntlSection, DerivedMasks) {
  // Time mask.
  set("sTime", "");
  bcvinit();
  EXPECT_STREQ(bcvLocale().timeMask, "HIISS AM/PM");
  EXPECT_STREQ(bcvLocale().timeCompiled, "H1I2S20 A2");
  set("sTime", ".");
  set("iTime", "1");
  set("iTLZero", "1");
  bcvinit();
  EXPECT_STREQ(bcvLocale().timeMask, "HH.II.SS");
  EXPECT_STREQ(bcvLocale().timeCompiled, "H2.I2.S20");

  // Short date: separators escaped, the long date capitalised.
  set("sDate", ".");
  set("sShortDate", "dd.MM.yyyy");
  set("sLongDate", "dddd, d. MMMM yyyy");
  bcvinit();
  EXPECT_STREQ(bcvLocale().shortDateMask, "dd\\.MM\\.yyyy");
  EXPECT_STREQ(bcvLocale().shortDateCompiled, "D2\\.M2\\.Y4");
  EXPECT_STREQ(bcvLocale().longDateMask, "Dddd, d. Mmmm yyyy");
  EXPECT_STREQ(bcvLocale().longDateTimeMask, "Dddd, d. Mmmm yyyy HH.II.SS");

  // A separator at the start or doubled and closing stays unescaped.
  set("sShortDate", "..dd.MM..");
  bcvinit();
  EXPECT_STREQ(bcvLocale().shortDateMask, ".\\.dd\\.MM\\..");

  // The iDate forms when there is no sShortDate.
  WriteProfileStringA("Intl", "sShortDate", nullptr);
  set("sDate", "-");
  const char* orders[][2] = {
      {"0", "MM\\-DD\\-YY"}, {"1", "DD\\-MM\\-YY"}, {"2", "YY\\-MM\\-DD"}, {"7", "MM\\-DD\\-YY"}};
  for (auto& o : orders) {
    set("iDate", o[0]);
    bcvinit();
    EXPECT_STREQ(bcvLocale().shortDateMask, o[1]) << o[0];
  }

  // Number mask, leading zero and digits.
  set("iLzero", "0");
  set("iDigits", "3");
  set("iCurrDigits", "0");
  bcvinit();
  EXPECT_STREQ(bcvLocale().numberMask, "#.000");
  EXPECT_STREQ(bcvLocale().currencyMask, "$#,###");
  set("iDigits", "0");
  bcvinit();
  EXPECT_STREQ(bcvLocale().numberMask, "#");
  set("iDigits", "-4");
  bcvinit();
  EXPECT_EQ(bcvLocale().digits, 2);
}

TEST_F(IntlSection, TextsAndCharacters) {
  set("s1159", "VORM");
  set("s2359", "Nachm.");
  set("sCurrency", "DM");
  set("sDecimal", ",x");
  set("sThousand", ".");
  bcvinit();
  EXPECT_STREQ(bcvLocale().morning, "vorm");
  EXPECT_STREQ(bcvLocale().evening, "nachm.");
  EXPECT_STREQ(bcvLocale().currency, "DM");
  EXPECT_EQ(bcvLocale().decimal, ',');
  EXPECT_EQ(bcvLocale().thousands, '.');
  // Over-long texts are cut to the record's room.
  set("s1159", "abcdefghijkl");
  set("sCurrency", "CURRENCY-SIGN");
  set("sLongDate", std::string(200, 'd').c_str());
  bcvinit();
  EXPECT_STREQ(bcvLocale().morning, "abcdefg");
  EXPECT_STREQ(bcvLocale().currency, "CURRENC");
  EXPECT_EQ(strlen(bcvLocale().longDate), 59u);
  // Empty characters fall back.
  set("sDecimal", "");
  set("sThousand", "");
  set("sDate", "");
  bcvinit();
  EXPECT_EQ(bcvLocale().decimal, '.');
  EXPECT_EQ(bcvLocale().thousands, ',');
  EXPECT_EQ(bcvLocale().dateSep, '/');
}

std::string usToLocal(const char* mask, uint16_t type, int32_t word = 0) {
  char out[BCV_MASK_TEXT_SIZE];
  memset(out, 0x55, sizeof out);
  EXPECT_EQ(bcvUSToLocal(out, mask, type, word), 0);
  return out;
}
std::string localToUS(const char* mask, uint16_t type, int32_t word = 0) {
  char out[BCV_MASK_TEXT_SIZE];
  memset(out, 0x55, sizeof out);
  EXPECT_EQ(bcvLocalToUS(out, mask, type, word), 0);
  return out;
}

// The date-part letters come from the string table; a German-like set is put in place
// for the translation cases and the shipped one restored after.
class GermanLike : public IntlSection {
 protected:
  void SetUp() override {
    IntlSection::SetUp();
    set("sCurrency", "DM");
    set("sDecimal", ",");
    set("sThousand", ".");
    set("s1159", "vorm");
    set("s2359", "nachm");
    bcvinit();
    BcvLocale& l = const_cast<BcvLocale&>(bcvLocale());
    memcpy(letters_, l.partLetters, sizeof letters_);
    memcpy(l.partLetters, "jmthms", 7);
  }
  void TearDown() override {
    memcpy(const_cast<BcvLocale&>(bcvLocale()).partLetters, letters_, sizeof letters_);
    IntlSection::TearDown();
  }
  char letters_[7];
};

TEST_F(GermanLike, Translation) {
  struct Case {
    const char* us;
    uint16_t type;
    int32_t word;
    const char* local;
  } cases[] = {
      {"$#,##0.00", BCV_DOUBLE, 0, "DM#.##0,00"},
      {"#,##0.00 $;($#,##0.00)", BCV_DECIMAL, bcvDecimalWord(9, 2), "#.##0,00 DM;(DM#.##0,00)"},
      {"DD.MM.YYYY", BCV_DATETIME, 26, "TT.MM.JJJJ"},
      {"dd.mm.yy HH:II:SS", BCV_DATETIME, 26, "tt.mm.jj HH:MM:SS"},
      {"HH:MM", BCV_DATETIME, 26, "HH:MM"},
      {"h:mm AM/PM", BCV_DATETIME, 26, "h:mm VORM/NACHM"},
      {"h:mm am/pm", BCV_DATETIME, 26, "h:mm vorm/nachm"},
      {"h:mm A/P", BCV_DATETIME, 26, "h:mm V/N"},
      {"Dddd 'YY' \\M MMMM", BCV_DATETIME, 26, "Tttt 'YY' \\M MMMM"},
      {"[US]MM/DD/YY $#,##0.00", BCV_DATETIME, 26, "[US]MM/DD/YY $#,##0.00"},
      {"'[US]'DD", BCV_DATETIME, 26, "'[US]'TT"},
      // Text types: a "$" makes a number mask, a date letter a date mask.
      {"$#,##0.00", BCV_CHAR, 0, "DM#.##0,00"},
      {"DD.MM.YY", BCV_VARCHAR, 0, "TT.MM.JJ"},
      // Number types leave letters alone; date types leave "," and "." alone.
      {"0.0 DD", BCV_DOUBLE, 0, "0,0 DD"},
      {"DD, YYYY.", BCV_DATETIME, 26, "TT, JJJJ."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(usToLocal(c.us, c.type, c.word), c.local) << c.us;
  }
  // Round trips through the local form give the mask back.
  const char* masks[][2] = {{"DD.MM.YYYY HH:II:SS AM/PM", "8"},
                            {"$#,##0.00;($#,##0.00)", "7"},
                            {"Dddd, D. Mmmm YYYY", "8"},
                            {"h:ii a/p", "8"}};
  for (auto& m : masks) {
    uint16_t type = static_cast<uint16_t>(atoi(m[1]));
    std::string local = usToLocal(m[0], type, 26);
    EXPECT_EQ(localToUS(local.c_str(), type, 26), m[0]) << local;
  }
}

TEST_F(IntlSection, TranslationUSLike) {
  bcvinit();
  EXPECT_EQ(usToLocal("[US]MM/DD/YY", BCV_DATETIME, 26), "[US]MM/DD/YY");
  EXPECT_EQ(usToLocal("MM/DD/YY HH:MM AM/PM", BCV_DATETIME, 26), "MM/DD/YY HH:II AM/PM");
  EXPECT_EQ(usToLocal("mm:ss", BCV_DATETIME, 0x000A0000 | 26), "ii:ss");
  EXPECT_EQ(usToLocal("$#,##0.00", BCV_DOUBLE), "$#,##0.00");
  const char* masks[] = {"MM/DD/YY HH:II AM/PM", "$#,##0.00", "yyyy-mm-dd hh:ii:ss.SSS"};
  for (const char* m : masks) {
    std::string local = usToLocal(m, BCV_DATETIME, 26);
    EXPECT_EQ(localToUS(local.c_str(), BCV_DATETIME, 26), m) << local;
  }
  // A null mask gives empty text; a mask past the limit is cut, never overrun.
  EXPECT_EQ(usToLocal(nullptr, BCV_DATETIME, 26), "");
  std::string longMask(400, 'D');
  GuardedBuffer text(longMask.c_str(), longMask.size() + 1);
  EXPECT_EQ(usToLocal(text.text(), BCV_DATETIME, 26).size(), BCV_MASK_MAX);
}

// Where the currency sign expands, the result is cut at the record's room.
TEST_F(GermanLike, TranslationBounded) {
  set("sCurrency", "EURO");
  bcvinit();
  std::string dollars(150, '$');
  GuardedBuffer out(BCV_MASK_TEXT_SIZE);
  EXPECT_EQ(bcvUSToLocal(out.text(), dollars.c_str(), BCV_DOUBLE, 0), 0);
  EXPECT_EQ(strlen(out.text()), BCV_MASK_MAX);
}

}  // namespace

namespace {

// The prefix's own regional settings (United States English), as this Wine keeps them.
TEST(PrefixIntl, ReadAsTheMachineHasThem) {
  bcvinit();
  const BcvLocale& l = bcvLocale();
  EXPECT_STREQ(l.shortDate, "M/d/yyyy");
  EXPECT_STREQ(l.shortDateMask, "M\\/d\\/yyyy");
  EXPECT_STREQ(l.shortDateCompiled, "M1\\/D1\\/Y4");
  EXPECT_STREQ(l.longDateMask, "Dddd, Mmmm d, yyyy");
  EXPECT_STREQ(l.currencyMask, "$#,##0.00");
  EXPECT_STREQ(l.morning, "am");
}

}  // namespace
