// The locale the conversions follow: the [Intl] settings of the system profile read
// once into a process-wide record with the default masks derived from them, the
// calendar names and date-part letters of the string table, and the translation of
// masks between the United States conventions and the local ones.
#pragma once

#include "dbsql/bcvmask.h"
#include "dbsql/jxsql04_api.h"

#include <stdint.h>

const unsigned BCV_NAME_POOL = 1024;

struct BcvLocale {
  int dateOrder;        // iDate: 0 MDY, 1 DMY, 2 YMD
  int clock;            // iTime: 0 twelve-hour
  int digits;           // iDigits
  int leadingZero;      // iLzero
  char morning[8];      // s1159, lower case
  char evening[8];      // s2359, lower case
  char decimal;         // sDecimal
  char thousands;       // sThousand
  char dateSep;         // sDate
  char timeSep;         // sTime (0: none)
  char currency[8];     // sCurrency
  int hourZero;         // iTLZero
  int currencyForm;     // iCurrency
  int currencyDigits;   // iCurrDigits
  int negativeForm;     // iNegCurr
  char longDate[60];    // sLongDate
  char shortDate[61];   // sShortDate, or the iDate form
  char exponent;        // always 'e'
  char partLetters[7];  // year, month, day, hour, minute, second; empty until loaded

  // Default masks before compilation, and compiled (empty when compilation failed).
  char timeMask[BCV_MASK_TEXT_SIZE];
  char longDateMask[BCV_MASK_TEXT_SIZE];
  char longDateTimeMask[BCV_MASK_TEXT_SIZE];
  char shortDateMask[BCV_MASK_TEXT_SIZE];
  char shortDateTimeMask[BCV_MASK_TEXT_SIZE];
  char numberMask[BCV_MASK_TEXT_SIZE];
  char currencyMask[BCV_MASK_TEXT_SIZE];          // positive
  char negativeCurrencyMask[BCV_MASK_TEXT_SIZE];  // negative
  char timeCompiled[BCV_MASK_TEXT_SIZE];
  char longDateCompiled[BCV_MASK_TEXT_SIZE];
  char longDateTimeCompiled[BCV_MASK_TEXT_SIZE];
  char shortDateCompiled[BCV_MASK_TEXT_SIZE];
  char shortDateTimeCompiled[BCV_MASK_TEXT_SIZE];

  // Calendar names: full names point into the pool; abbreviations are runs of three.
  char namePool[2][BCV_NAME_POOL];  // full month names, then full weekday names
  const char* months[2][12];        // [1] null when the second list is absent
  const char* weekdays[2][7];       // Sunday first
  char monthAbbrev[2][37];          // "janfeb..." (empty when absent)
  char weekdayAbbrev[2][22];
};

extern "C" {

// Reads the profile every call; the string-table lists on the first call only.
JXSQL04_API short bcvinit();
// Reads [Intl] and builds the default masks.
JXSQL04_API short bcvpfile();
// Mask translation; `out` holds BCV_MASK_TEXT_SIZE bytes (a longer result is cut).
JXSQL04_API short bcvUSToLocal(char* out, const char* mask, uint16_t type, int32_t typeLength);
JXSQL04_API short bcvLocalToUS(char* out, const char* mask, uint16_t type, int32_t typeLength);

}  // extern "C"

// The process-wide record (read-only outside bcvinit).
JXSQL04_API const BcvLocale& bcvLocale();
