// The format-mask compiler: one scan over an upper-case copy of the mask, the mask as
// written deciding case and supplying literal text, each section's flags, places and
// scale kept apart and the compiled text written through a bounded writer.
#include "dbsql/bcvmask.h"

#include "dbsql/bcvconvert.h"
#include "dbsql/bcvlocale.h"
#include "dbsql/sqlmessages.h"

#include <ctype.h>
#include <string.h>

namespace {

const char GENERAL_FORM[] = "#######0.########";

// The compiled text, written so that every character keeps room for its section's zero
// byte: no rewrite runs past the record. Sections that no longer fit stay absent (a
// reader stops at the end of the record, see bcvMaskSection).
struct Writer {
  char* buf;
  int pos = 0;
  int section = 0;
  bool full = false;
  bool put(char c) {
    if (pos + 2 > static_cast<int>(BCV_MASK_TEXT_SIZE)) return !(full = true);
    buf[pos++] = c;
    return true;
  }
  bool put(const char* s) {
    while (*s)
      if (!put(*s++)) return false;
    return true;
  }
  void endSection() {
    if (pos < static_cast<int>(BCV_MASK_TEXT_SIZE)) buf[pos++] = 0;
    ++section;
  }
};

enum PartKind { PART_NONE, PART_YEAR, PART_MONTH, PART_DAY };

struct Section {
  uint16_t flags = 0;
  int16_t intPlaces = 0, fracPlaces = 1, scale = 0;
  bool afterPoint = false, afterHour = false;
};

class Compiler {
 public:
  Compiler(mask_info* out, const char* mask, int n, uint16_t type, int32_t word)
      : out_(out), m_(mask), n_(n), type_(type), word_(word) {
    for (int i = 0; i < n; ++i) u_[i] = static_cast<char>(toupper(static_cast<unsigned char>(mask[i])));
    u_[n] = 0;
    w_.buf = out->compiled;
  }

  short run();
  char offending = 0;  // the parameter of a character refusal

 private:
  bool isDate() const { return (s_.flags & BCV_MF_DATE_GROUP) != 0; }
  bool isNumeric() const { return (s_.flags & BCV_MF_NUMERIC) != 0; }
  bool isNamed() const { return (s_.flags & BCV_MF_NAMED) != 0; }
  int run(int i, char c) const {  // length of the run of upper-case c from i
    int k = i;
    while (k < n_ && u_[k] == c) ++k;
    return k - i;
  }
  char caseDigit(int i, int count) const {
    if (islower(static_cast<unsigned char>(m_[i]))) return '0';
    if (count > 1 && isupper(static_cast<unsigned char>(m_[i + 1]))) return '2';
    return '1';
  }
  short refuse(short id, int i) {
    offending = u_[i];
    return id;
  }
  // Common checks of a date or time letter; 0 when it may stand here.
  short dateLetter(int i) {
    if (isNamed()) return refuse(BCV_MASK_GENERAL_CHAR, i);
    if (isNumeric()) return refuse(BCV_MASK_NUMBER_CHAR, i);
    return 0;
  }
  // Checks of a numeric character; sets the numeric flag.
  short numeric(int i) {
    if (isNamed()) return refuse(BCV_MASK_GENERAL_CHAR, i);
    if (isDate()) return refuse(BCV_MASK_DATE_CHAR, i);
    s_.flags |= BCV_MF_NUMERIC;
    return 0;
  }
  void datePart(PartKind kind, uint16_t flag) {
    if (lastPart_ != PART_NONE && lastPart_ != kind) s_.flags |= BCV_MF_FIXED;
    s_.flags |= flag;
    part_ = kind;
  }
  void digitMask(int precision, int scale);
  short named(int& i);
  void endSection();

  mask_info* out_;
  const char* m_;
  char u_[BCV_MASK_MAX + 1];
  int n_;
  uint16_t type_;
  int32_t word_;
  Writer w_;
  Section s_;
  PartKind lastPart_ = PART_NONE, part_ = PART_NONE;
};

void Compiler::digitMask(int precision, int scale) {
  int whole = precision - scale;
  if (whole < 1) whole = 1;
  for (int k = 0; k < whole - 1; ++k) w_.put('#');
  w_.put('0');
  s_.intPlaces = static_cast<int16_t>(whole);
  if (scale > 0) {
    w_.put('.');
    for (int k = 0; k < scale; ++k) w_.put('0');
    s_.fracPlaces = static_cast<int16_t>(1 - scale);
  }
  s_.flags |= BCV_MF_NUMERIC;
}

// "G" at u_[i] has been checked; writes the named format and moves i past its letters.
short Compiler::named(int& i) {
  const BcvLocale& loc = bcvLocale();
  char a = i + 1 < n_ ? u_[i + 1] : 0, b = i + 2 < n_ ? u_[i + 2] : 0;
  s_.flags |= BCV_MF_NAMED;
  int used = 1;
  char code = 0;
  bool generalNumber = false;  // "GN"
  switch (a) {
    case 'C':
      code = '8', used = 2;
      s_.flags |= BCV_MF_CURRENCY | BCV_MF_NUMERIC | BCV_MF_THOUSANDS;
      if (w_.section < 2) s_.intPlaces = 4, s_.fracPlaces = static_cast<int16_t>(1 - loc.currencyDigits);
      break;
    case 'D':
      if (b == 'T')
        code = '3', used = 3, s_.flags |= 0xFE00;
      else
        code = '2', used = 2, s_.flags |= 0x0E00;
      break;
    case 'F':
      code = '7', used = 2;
      s_.flags |= BCV_MF_NUMERIC;
      if (w_.section < 2) s_.intPlaces = 1, s_.fracPlaces = static_cast<int16_t>(1 - loc.digits);
      break;
    case 'L':
      if (b == 'T')
        code = '5', used = 3, s_.flags |= 0xFE00;
      else
        code = '4', used = 2, s_.flags |= 0x0E00;
      break;
    case 'N':
      used = 2, generalNumber = true;
      break;
    case 'T':
      code = '6', used = 2, s_.flags |= 0xF000;
      break;
    default:
      // "G" alone, or followed by a letter no named format begins with.
      if (isalpha(static_cast<unsigned char>(a))) used = 2;
      break;
  }
  if (!code) {
    if (type_ == BCV_DECIMAL) {
      BcvDecimalShape shape = bcvDecimalShape(word_);
      digitMask(shape.precision, shape.scale);
    } else if (type_ == BCV_DATETIME && generalNumber) {
      w_.put(GENERAL_FORM);
      s_.intPlaces = 8, s_.fracPlaces = -7, s_.flags |= BCV_MF_GENERAL | BCV_MF_NUMERIC;
    } else if (type_ == BCV_DATETIME) {
      uint32_t w = static_cast<uint32_t>(word_);
      if (w >> 16)
        code = '6', s_.flags |= 0xF000;
      else if ((w & 0xFFFF) > 9)
        code = '3', s_.flags |= 0xFE00;
      else
        code = '2', s_.flags |= 0x0E00;
    } else {
      code = '1';
    }
  }
  if (code) {
    w_.put('G');
    w_.put(code);
  }
  i += used;
  return 0;
}

void Compiler::endSection() {
  int k = w_.section;
  out_->flags[k] = s_.flags;
  out_->intPlaces[k] = s_.intPlaces;
  out_->fracPlaces[k] = s_.fracPlaces;
  out_->scale[k] = s_.scale;
  w_.endSection();
  s_ = Section();
  lastPart_ = part_ = PART_NONE;
}

short Compiler::run() {
  int i = 0;
  while (i < n_ && w_.section < BCV_MASK_SECTIONS) {
    if (w_.full) return BCV_MASK_TOO_LONG;
    char c = u_[i];
    part_ = PART_NONE;
    short st = 0;
    switch (c) {
      case '#':
      case '0':
      case '9':
      case '?':
      case 'Z':
        if ((st = numeric(i))) return st;
        w_.put(m_[i]);
        if (s_.afterPoint)
          --s_.fracPlaces;
        else
          ++s_.intPlaces;
        ++i;
        break;
      case '$':
      case '(':
      case ')':
      case '+':
        if ((st = numeric(i))) return st;
        w_.put(m_[i++]);
        break;
      case '%':
        if ((st = numeric(i))) return st;
        s_.scale += 2;
        w_.put(m_[i++]);
        break;
      case '*':
        if ((st = numeric(i))) return st;
        w_.put(m_[i++]);
        if (i < n_) w_.put(m_[i++]);
        break;
      case ',':
        if (isNamed()) return refuse(BCV_MASK_GENERAL_CHAR, i);
        // In a date section the comma is text ("dddd, Mmmm d").
        if (!isDate()) s_.flags |= BCV_MF_THOUSANDS;
        w_.put(m_[i++]);
        break;
      case '-':
        if (isNamed()) return refuse(BCV_MASK_GENERAL_CHAR, i);
        w_.put(m_[i++]);
        break;
      case '.':
        s_.afterPoint = true;
        w_.put(m_[i++]);
        break;
      case '\\':
        w_.put(m_[i++]);
        if (i < n_) w_.put(m_[i++]);
        break;
      case '\'':
      case '"': {
        if (isNamed()) return refuse(BCV_MASK_GENERAL_CHAR, i);
        int k = i + 1;
        for (;;) {
          if (k >= n_) return BCV_MASK_OPEN_QUOTE;
          if (m_[k] == m_[i]) {
            if (k + 1 < n_ && m_[k + 1] == m_[i]) {
              k += 2;
              continue;
            }
            break;
          }
          ++k;
        }
        while (i <= k) w_.put(m_[i++]);
        break;
      }
      case ';':
        if (isNamed()) return refuse(BCV_MASK_GENERAL_CHAR, i);
        if (isDate()) return refuse(BCV_MASK_DATE_CHAR, i);
        ++i;
        endSection();
        break;
      case 'A': {
        if ((st = dateLetter(i))) return st;
        bool lower = m_[i] == 'a';
        if (strncmp(u_ + i, "AM/PM", 5) == 0)
          w_.put('A'), w_.put(lower ? '4' : '2'), i += 5;
        else if (strncmp(u_ + i, "A/P", 3) == 0)
          w_.put('A'), w_.put(lower ? '3' : '1'), i += 3;
        else
          return refuse(BCV_MASK_DATE_CHAR, i);
        s_.flags |= 0x0E80;
        break;
      }
      case 'D':
      case 'W': {
        if ((st = dateLetter(i))) return st;
        int count = run(i, c);
        char digit = caseDigit(i, count);
        w_.put('D');
        if (c == 'W') {
          w_.put(count == 1 ? '3' : '4');
          w_.put('1');
        } else {
          w_.put(static_cast<char>('0' + (count > 4 ? 4 : count)));
          if (count >= 3) w_.put(digit);
        }
        datePart(PART_DAY, BCV_MF_DAY);
        s_.afterHour = false;
        i += count;
        break;
      }
      case 'M': {
        if ((st = dateLetter(i))) return st;
        int count = run(i, c);
        if (s_.afterHour && count <= 2) {
          w_.put('I');
          w_.put(static_cast<char>('0' + count));
          s_.flags |= BCV_MF_MINUTE;
        } else {
          char digit = caseDigit(i, count);
          w_.put('M');
          w_.put(static_cast<char>('0' + (count > 4 ? 4 : count)));
          if (count >= 3) w_.put(digit);
          datePart(PART_MONTH, BCV_MF_MONTH);
        }
        i += count;
        break;
      }
      case 'Y': {
        if ((st = dateLetter(i))) return st;
        int count = run(i, c);
        w_.put(count <= 2 ? "Y2" : "Y4");
        datePart(PART_YEAR, BCV_MF_YEAR);
        s_.afterHour = false;
        i += count;
        break;
      }
      case 'H':
      case 'I': {
        if ((st = dateLetter(i))) return st;
        int count = run(i, c);
        w_.put(c);
        w_.put(count == 1 ? '1' : '2');
        s_.flags |= c == 'H' ? BCV_MF_HOUR : BCV_MF_MINUTE;
        s_.afterHour = c == 'H';
        i += count;
        break;
      }
      case 'S': {
        if ((st = dateLetter(i))) return st;
        int count = run(i, 'S');
        i += count;
        int fraction = 0;
        if (i + 1 < n_ && u_[i] == '.' && u_[i + 1] == 'S') {
          fraction = run(i + 1, 'S');
          i += 1 + fraction;
        }
        w_.put('S');
        w_.put(count == 1 ? '1' : '2');
        w_.put(static_cast<char>('0' + (fraction > 6 ? 6 : fraction)));
        s_.flags |= BCV_MF_SECOND;
        s_.afterHour = false;
        break;
      }
      case 'E': {
        if (isNamed()) return refuse(BCV_MASK_GENERAL_CHAR, i);
        if (isDate()) return refuse(BCV_MASK_DATE_CHAR, i);
        if (i + 1 >= n_ || (u_[i + 1] != '+' && u_[i + 1] != '-')) return BCV_MASK_EXP_SIGN;
        int k = i + 2;
        while (k < n_ && strchr("#Z09?", u_[k])) ++k;
        int places = k - (i + 2);
        if (places == 0) return BCV_MASK_EXP_DIGITS;
        s_.flags |= BCV_MF_NUMERIC | BCV_MF_EXPONENT;
        w_.put('E');
        w_.put(m_[i] == 'e' ? '1' : '0');
        w_.put(u_[i + 1]);
        w_.put(static_cast<char>('0' + (places > 9 ? 9 : places)));
        for (int p = i + 2; p < k; ++p) w_.put(m_[p]);
        i = k;
        break;
      }
      case 'G':
        if (isNamed()) return refuse(BCV_MASK_GENERAL_CHAR, i);
        if (isNumeric() || isDate()) return refuse(BCV_MASK_NUMBER_CHAR, i);
        named(i);
        break;
      case 'J':
        if (isNamed()) return refuse(BCV_MASK_GENERAL_CHAR, i);
        if (isDate()) return refuse(BCV_MASK_DATE_CHAR, i);
        w_.put(GENERAL_FORM);
        s_.intPlaces = 8, s_.fracPlaces = -7, s_.flags |= BCV_MF_GENERAL | BCV_MF_NUMERIC;
        ++i;
        break;
      case '[': {
        int k = i + 1;
        if (k < n_ && u_[k] == 'S') {
          ++k;
          if (k >= n_ || (u_[k] != '*' && u_[k] != '/')) return BCV_MASK_SCALE_OP;
          int sign = u_[k] == '*' ? 1 : -1;
          int start = ++k;
          while (k < n_ && u_[k] != ']') ++k;
          if (k >= n_) return BCV_MASK_OPEN_COMMAND;
          if (k == start || u_[start] != '1') return BCV_MASK_SCALE_VALUE;
          for (int p = start + 1; p < k; ++p)
            if (u_[p] != '0') return BCV_MASK_SCALE_VALUE;
          s_.scale = static_cast<int16_t>(s_.scale + sign * (k - start - 1));
        } else {
          if (k < n_ && u_[k] == 'U') s_.flags |= BCV_MF_US;
          while (k < n_ && u_[k] != ']') ++k;
          if (k >= n_) return BCV_MASK_OPEN_COMMAND;
        }
        i = k + 1;
        break;
      }
      default:
        // A literal character: which ones may stand unquoted depends on the section.
        if (c != ' ') {
          bool slashOrColon = c == '/' || c == ':';
          if (isDate()) {
            if (!slashOrColon) return refuse(BCV_MASK_DATE_CHAR, i);
          } else if (isNumeric() || isNamed()) {
            if (isNamed() && !isNumeric() && slashOrColon) {
              // "G" with date/time or general codes keeps its separators.
            } else {
              return refuse(isNamed() && !isNumeric() ? BCV_MASK_GENERAL_CHAR : BCV_MASK_NUMBER_CHAR, i);
            }
          } else if (!slashOrColon) {
            return refuse(BCV_MASK_NUMBER_CHAR, i);
          }
        }
        w_.put(m_[i++]);
        break;
    }
    lastPart_ = part_;
  }
  if (w_.full) return BCV_MASK_TOO_LONG;
  while (w_.section < BCV_MASK_SECTIONS) endSection();
  return 0;
}

}  // namespace

short bcvmskcp(mask_info* out, const char* mask, uint16_t type, int32_t typeLength) {
  if (!out) return BCV_MASK_TOO_LONG;
  memset(out, 0, sizeof *out);
  for (int k = 0; k < BCV_MASK_SECTIONS; ++k) out->fracPlaces[k] = 1;
  size_t n = 0;
  bool blank = true;
  if (mask) {
    // Bounded: a mask longer than the limit is refused without reading its whole length.
    while (n <= BCV_MASK_MAX && mask[n]) {
      if (mask[n] != ' ') blank = false;
      ++n;
    }
  }
  if (n > BCV_MASK_MAX) {
    sqlErrorById(BCV_MASK_TOO_LONG);
    return BCV_MASK_TOO_LONG;
  }
  if (blank) mask = "G", n = 1;
  memcpy(out->mask, mask, n);
  out->mask[n] = 0;
  out->type = type;
  out->typeLength = typeLength;
  Compiler compiler(out, out->mask, static_cast<int>(n), type, typeLength);
  short status = compiler.run();
  if (status) {
    JxError* e = sqlErrorById(static_cast<unsigned short>(status));
    if (e && compiler.offending) {
      char text[2] = {compiler.offending, 0};
      *e << text;
    }
    char keep[BCV_MASK_TEXT_SIZE];
    memcpy(keep, out->mask, sizeof keep);
    memset(out, 0, sizeof *out);
    memcpy(out->mask, keep, sizeof keep);
  }
  return status;
}

short bcvmskuncp(const mask_info* info, char* text) {
  size_t n = strnlen(info->mask, BCV_MASK_TEXT_SIZE - 1);
  memcpy(text, info->mask, n);
  text[n] = 0;
  return 0;
}

const char* bcvMaskSection(const mask_info* info, int n) {
  const char* p = info->compiled;
  const char* end = info->compiled + BCV_MASK_TEXT_SIZE;
  for (int k = 0; k < n && p < end; ++k) p += strnlen(p, end - p) + 1;
  return p < end ? p : "";
}
