// Hexadecimal text of bytes, the check of a packed decimal and the host-program probe.
#include "dbsql/bcvconvert.h"

#include "dbsql/sqlmessages.h"

#include <windows.h>

#include <string>

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

uint16_t bcvHexify(char* out, const uint8_t* in, uint16_t count) {
  static const char digits[] = "0123456789ABCDEF";
  if (count > 0x7FFF) {
    JxError* e = sqlErrorById(SQLMSG_INVALID_VALUE);
    if (e) *e << "byte count" << static_cast<unsigned long>(count);
    return 0;
  }
  for (uint16_t i = 0; i < count; i++) {
    out[2 * i] = digits[in[i] >> 4];
    out[2 * i + 1] = digits[in[i] & 0xF];
  }
  return static_cast<uint16_t>(count * 2);
}

uint16_t bcvDehexify(uint8_t* out, const char* in, uint16_t count) {
  // Checked before anything is written, so that bad text leaves the target as it was.
  for (uint16_t i = 0; i < count; i++) {
    if (hexValue(in[i]) < 0) {
      JxError* e = sqlErrorById(BCV_NOT_A_NUMBER);
      if (e) *e << std::string(in, count).c_str();
      return 0;
    }
  }
  uint16_t bytes = 0;
  for (uint16_t i = 0; i < count; i += 2) {
    uint8_t b = static_cast<uint8_t>(hexValue(in[i]) << 4);
    if (i + 1 < count) b |= static_cast<uint8_t>(hexValue(in[i + 1]));
    out[bytes++] = b;
  }
  return bytes;
}

short bcvValidateDecimal(const uint8_t* value, uint16_t count) {
  for (uint16_t i = 0; i < count; i++) {
    uint8_t high = value[i] >> 4, low = value[i] & 0xF;
    unsigned long bad = 0;
    if (high > 9)
      bad = 2ul * i + 1;
    else if (i + 1 < count && low > 9)
      bad = 2ul * i + 2;
    if (bad) {
      JxError* e = sqlErrorById(BCV_BAD_DIGIT);
      if (e) *e << bad;
      return BCV_BAD_DIGIT;
    }
    if (i + 1 == count && low != BCV_PLUS && low != BCV_MINUS && low != BCV_UNSIGNED) {
      sqlErrorById(BCV_BAD_SIGN);
      return BCV_BAD_SIGN;
    }
  }
  return BCV_OK;
}

int xlmchkjx() { return GetModuleHandleA("JX.EXE") ? 1 : 0; }
