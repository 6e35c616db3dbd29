// Format masks: the compiler that turns a mask text into the record the formatter and
// the parser walk, and the text of a compiled mask.
//
// A mask has up to four sections separated by ";". Each section is kept in the compiled
// text in an internal form (date parts as a letter and counts, named formats as "G" and
// a code digit, scale commands removed), ended by a zero byte.
#pragma once

#include "dbsql/jxsql04_api.h"

#include <stddef.h>
#include <stdint.h>

// Longest mask text the compiler takes (the record keeps it with its terminator).
const unsigned BCV_MASK_MAX = 159;
const unsigned BCV_MASK_TEXT_SIZE = 160;
const int BCV_MASK_SECTIONS = 4;

// Flags of one section.
enum BcvMaskFlag : uint16_t {
  BCV_MF_THOUSANDS = 0x0001,  // a "," thousands separator
  BCV_MF_US = 0x0002,         // "[US]": United States conventions
  BCV_MF_NUMERIC = 0x0004,    // digit placeholders, sign, currency, percent, fill, exponent
  BCV_MF_FIXED = 0x0008,      // two date parts without a separator (read by fixed width)
  BCV_MF_GENERAL = 0x0010,    // general number form
  BCV_MF_NAMED = 0x0020,      // a "G" named format
  BCV_MF_EXPONENT = 0x0040,
  BCV_MF_AMPM = 0x0080,
  BCV_MF_CURRENCY = 0x0100,  // "GC"
  BCV_MF_MONTH = 0x0200,
  BCV_MF_DAY = 0x0400,
  BCV_MF_YEAR = 0x0800,
  BCV_MF_HOUR = 0x1000,
  BCV_MF_MINUTE = 0x2000,
  BCV_MF_SECOND = 0x4000,
  BCV_MF_DATE_GROUP = 0xFE00  // any of these makes a date section
};

// Refusals of the compiler (message ids; the character ones carry "%s1").
enum BcvMaskStatus : short {
  BCV_MASK_TOO_LONG = 3501,
  BCV_MASK_EXP_SIGN = 3502,
  BCV_MASK_EXP_DIGITS = 3503,
  BCV_MASK_OPEN_QUOTE = 3504,
  BCV_MASK_SCALE_OP = 3505,
  BCV_MASK_SCALE_VALUE = 3506,
  BCV_MASK_OPEN_COMMAND = 3507,
  BCV_MASK_DATE_CHAR = 3522,
  BCV_MASK_NUMBER_CHAR = 3523,
  BCV_MASK_GENERAL_CHAR = 3524
};

// The compiled mask (caller-owned). A value type of 0 marks a record that is not valid
// (a refused mask).
struct mask_info {
  uint16_t flags[BCV_MASK_SECTIONS];
  uint16_t type;
  int32_t typeLength;
  int16_t intPlaces[BCV_MASK_SECTIONS];
  int16_t fracPlaces[BCV_MASK_SECTIONS];  // 1 minus the fraction placeholders
  int16_t scale[BCV_MASK_SECTIONS];       // power of ten applied before showing
  char compiled[BCV_MASK_TEXT_SIZE];
  char mask[BCV_MASK_TEXT_SIZE];
};
static_assert(offsetof(mask_info, typeLength) == 12, "mask_info layout");
static_assert(offsetof(mask_info, compiled) == 40, "mask_info layout");
static_assert(sizeof(mask_info) == 360, "mask_info layout");

extern "C" {

// Compiles `mask` (null, empty or blank: "G") for a value of `type` and length word
// `typeLength`. Answers 0 or one of BcvMaskStatus; a refusal is also added to the
// thread's error list and leaves the record not valid.
JXSQL04_API short bcvmskcp(mask_info* out, const char* mask, uint16_t type, int32_t typeLength);
// Copies the stored mask text (at most BCV_MASK_TEXT_SIZE bytes with its terminator).
JXSQL04_API short bcvmskuncp(const mask_info* info, char* text);

}  // extern "C"

inline bool bcvMaskValid(const mask_info* info) { return info->type != 0; }
// Compiled text of section n (0-3); empty when the mask lacks it.
JXSQL04_API const char* bcvMaskSection(const mask_info* info, int n);
