// Type translation over a target connection's type table. Each source type has a rule:
// a list of candidate types tried in order, the first entry large enough winning, with
// a fallback (best effort) to the largest entry seen when none is.
#include "dbsql/cmgtranslate.h"

#include "cmgenv_internal.h"
#include "dbutil/jxstring.h"

#include <stdint.h>
#include <string.h>

namespace {

// Candidate lists, tried in the order given.
const int16_t kCharFixed[] = {SQL_CHAR, SQL_VARCHAR, SQL_LONGVARCHAR};
const int16_t kCharVarying[] = {SQL_VARCHAR, SQL_CHAR, SQL_LONGVARCHAR};
const int16_t kCharLong[] = {SQL_LONGVARCHAR, SQL_VARCHAR, SQL_CHAR};
const int16_t kBinaryFixed[] = {SQL_BINARY, SQL_VARBINARY, SQL_LONGVARBINARY};
const int16_t kBinaryVarying[] = {SQL_VARBINARY, SQL_BINARY, SQL_LONGVARBINARY};
const int16_t kBinaryLong[] = {SQL_LONGVARBINARY, SQL_VARBINARY, SQL_BINARY};
const int16_t kApproximate[] = {SQL_REAL, SQL_FLOAT};
const int16_t kInteger[] = {SQL_SMALLINT, SQL_INTEGER, SQL_BIGINT};
const int16_t kDecimal[] = {SQL_NUMERIC};  // also finds SQL_DECIMAL entries
const int16_t kTimestamp[] = {SQL_TIMESTAMP};
const int16_t kBit[] = {SQL_BIT};

struct TypeList {
  const int16_t* types;
  size_t count;
};

template <size_t N>
constexpr TypeList list(const int16_t (&types)[N]) {
  return {types, N};
}

// The type table of the target connection.
class TypeTable {
 public:
  explicit TypeTable(const cmg_capabilities* con) : e_(con->types), n_(con->types ? con->typeCount : 0) {}

  const CmgTypeEntry& at(int i) const { return e_[i]; }

  // The first entry of a type; SQL_NUMERIC also finds SQL_DECIMAL, SQL_FLOAT also
  // SQL_DOUBLE. -1 when there is none.
  int first(int16_t type) const {
    for (int i = 0; i < n_; ++i) {
      int16_t t = e_[i].sqlType;
      if (t == type || (type == SQL_NUMERIC && t == SQL_DECIMAL) || (type == SQL_FLOAT && t == SQL_DOUBLE))
        return i;
    }
    return -1;
  }

  // The entry after a found one: the following entry of the same type (or a decimal
  // after a numeric); after a float, the next double anywhere further on.
  int next(int i) const {
    int16_t t = e_[i].sqlType;
    if (i + 1 < n_) {
      int16_t u = e_[i + 1].sqlType;
      if (u == t || (t == SQL_NUMERIC && u == SQL_DECIMAL)) return i + 1;
    }
    if (t == SQL_FLOAT)
      for (int j = i + 1; j < n_; ++j)
        if (e_[j].sqlType == SQL_DOUBLE) return j;
    return -1;
  }

 private:
  const CmgTypeEntry* e_;
  int n_;
};

// The largest entry seen while walking: a later entry replaces it only when strictly
// larger.
struct Largest {
  int index = -1;
  void see(const TypeTable& t, int i) {
    if (index < 0 || t.at(i).precision > t.at(index).precision) index = i;
  }
};

// Walks the entries of each listed type: the first whose precision reaches need, or -1.
int walk(const TypeTable& t, TypeList types, int64_t need, Largest* largest) {
  for (size_t k = 0; k < types.count; ++k)
    for (int i = t.first(types.types[k]); i >= 0; i = t.next(i)) {
      if (largest) largest->see(t, i);
      if (t.at(i).precision >= need) return i;
    }
  return -1;
}

// What a rule chose: the entry, the result, and what the type text shows.
struct Choice {
  int entry = -1;
  int16_t type = 0;
  int32_t precision = 0;
  int16_t scale = 0;
  int32_t textPrecision = 0;
  bool textScale = true;
  unsigned short failure = SQLMSG_NO_COMPATIBLE_TYPE;

  bool found() const { return entry >= 0; }
};

// Results that do not fit their fields count as no type found.
Choice choose(const TypeTable& t, int i, int64_t precision, int64_t scale = 0) {
  Choice c;
  if (i < 0 || precision > INT32_MAX || precision < INT32_MIN || scale > INT16_MAX || scale < INT16_MIN)
    return c;
  c.entry = i;
  c.type = t.at(i).sqlType;
  c.precision = static_cast<int32_t>(precision);
  c.scale = static_cast<int16_t>(scale);
  c.textPrecision = c.precision;
  return c;
}

Choice own(const TypeTable& t, int i) { return choose(t, i, i >= 0 ? t.at(i).precision : 0); }

TypeList characterList(int16_t type) {
  if (type == SQL_CHAR) return list(kCharFixed);
  if (type == SQL_VARCHAR) return list(kCharVarying);
  return list(kCharLong);
}

Choice characterRule(const TypeTable& t, int16_t type, int64_t need, bool best) {
  Largest largest;
  int i = walk(t, characterList(type), need, &largest);
  if (i >= 0) return choose(t, i, need);
  if (best) return own(t, largest.index);
  return Choice();
}

Choice binaryRule(const TypeTable& t, int16_t type, int64_t need, bool best) {
  TypeList types = type == SQL_BINARY      ? list(kBinaryFixed)
                   : type == SQL_VARBINARY ? list(kBinaryVarying)
                                           : list(kBinaryLong);
  Largest largest;
  int i = walk(t, types, need, &largest);
  if (i >= 0) return choose(t, i, need);
  if (!best) return Choice();
  // Bytes kept as characters of the same kind.
  int16_t character = type == SQL_BINARY ? SQL_CHAR : type == SQL_VARBINARY ? SQL_VARCHAR : SQL_LONGVARCHAR;
  Choice c = characterRule(t, character, need, true);
  if (c.found()) return c;
  return own(t, largest.index);
}

Choice integerRule(const TypeTable& t, int64_t need, bool best) {
  Largest largest;
  int i = walk(t, list(kInteger), need, &largest);
  if (i >= 0) return choose(t, i, need);
  if ((i = walk(t, list(kDecimal), need, &largest)) >= 0) return choose(t, i, need);
  if ((i = walk(t, list(kApproximate), need, &largest)) >= 0) {
    Choice c = own(t, i);
    c.textPrecision = static_cast<int32_t>(need);
    return c;
  }
  if (largest.index < 0 && (i = walk(t, list(kCharFixed), need + 1, &largest)) >= 0)
    return choose(t, i, need + 1);
  if (best) return own(t, largest.index);
  return Choice();
}

Choice decimalRule(const TypeTable& t, bool fromSource, int64_t need, int64_t scale, bool best) {
  if (fromSource) {
    if (scale < 0) {
      need -= scale;
      scale = 0;
    }
    if (scale > need) scale = need;
    need += 1;
  }
  Largest exact, other;  // integers and decimals; approximate and character types
  int i;
  if (scale == 0 && (i = walk(t, list(kInteger), need, &exact)) >= 0) return choose(t, i, need, 0);
  if ((i = walk(t, list(kDecimal), need, &exact)) >= 0) return choose(t, i, need, scale);
  if ((i = walk(t, list(kApproximate), need, &other)) >= 0) return choose(t, i, need, 0);
  if ((i = walk(t, list(kCharVarying), need + 2, &other)) >= 0) return choose(t, i, need + 2, 0);
  if (!best) return Choice();
  if (exact.index >= 0) {
    // The digits that do not fit are taken from the scale.
    int64_t have = t.at(exact.index).precision;
    int64_t reduced = scale - (need - have);
    Choice c = choose(t, exact.index, have, reduced < 0 ? 0 : reduced);
    c.textScale = false;
    return c;
  }
  return own(t, other.index);
}

Choice approximateRule(const TypeTable& t, int64_t need, bool best) {
  Largest largest;
  int i = walk(t, list(kApproximate), need, &largest);
  if (i >= 0) return choose(t, i, need);
  if ((i = walk(t, list(kCharVarying), need + 7, &largest)) >= 0) return choose(t, i, need + 7);
  if (best) return own(t, largest.index);
  return Choice();
}

// Dates and times: the first candidate type the driver has; a decimal holds the value
// as a number (precision and scale given), else characters of the value's length.
Choice dateTimeRule(const TypeTable& t, bool time) {
  int i = t.first(time ? SQL_TIME : SQL_DATE);
  if (i >= 0 || (i = t.first(SQL_TIMESTAMP)) >= 0) return own(t, i);
  if (!time && ((i = t.first(SQL_INTEGER)) >= 0 || (i = t.first(SQL_BIGINT)) >= 0)) return own(t, i);
  if ((i = walk(t, list(kDecimal), time ? 6 : 10, nullptr)) >= 0)
    return time ? choose(t, i, 8, 8) : choose(t, i, 10, 0);
  if ((i = t.first(SQL_REAL)) >= 0 || (i = t.first(SQL_FLOAT)) >= 0) return own(t, i);
  int64_t length = time ? 8 : 10;
  if ((i = walk(t, list(kCharFixed), length, nullptr)) >= 0) return choose(t, i, length);
  return Choice();
}

Choice timestampRule(const TypeTable& t, int64_t need, bool best) {
  Largest largest;
  int i = walk(t, list(kTimestamp), need, &largest);
  if (i >= 0) return choose(t, i, need, need > 20 ? need - 20 : 0);
  if (largest.index >= 0) return own(t, largest.index);
  if (best && (i = t.first(SQL_DATE)) >= 0) return own(t, i);
  int64_t scale = need < 17 ? 4 : need > 19 ? need - 14 : 6;
  if ((i = walk(t, list(kDecimal), scale + 10, nullptr)) >= 0) {
    Choice c = choose(t, i, scale + 10, scale);
    if (c.found()) return c;
  }
  for (int16_t type : kCharFixed)
    if ((i = t.first(type)) >= 0) return own(t, i);
  if ((i = t.first(SQL_FLOAT)) >= 0) return own(t, i);
  if (best &&
      ((i = t.first(SQL_INTEGER)) >= 0 || (i = t.first(SQL_BIGINT)) >= 0 || (i = t.first(SQL_REAL)) >= 0))
    return own(t, i);
  return Choice();
}

Choice translate(const TypeTable& t, bool fromSource, int16_t type, int32_t precision, int16_t scale,
                 bool best) {
  switch (type) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
      return characterRule(t, type, precision, best);
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
      return binaryRule(t, type, precision, best);
    case SQL_BIT: {
      int i = walk(t, list(kBit), precision, nullptr);
      if (i >= 0) return own(t, i);
      return integerRule(t, precision, best);
    }
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
      return integerRule(t, precision, best);
    case SQL_NUMERIC:
    case SQL_DECIMAL:
      return decimalRule(t, fromSource, precision, scale, best);
    case SQL_FLOAT:
    case SQL_REAL:
    case SQL_DOUBLE:
      return approximateRule(t, precision, best);
    case SQL_DATE:
      return dateTimeRule(t, false);
    case SQL_TIME:
      return dateTimeRule(t, true);
    case SQL_TIMESTAMP:
      return timestampRule(t, precision, best);
    default: {
      Choice c;
      c.failure = SQLMSG_INTERNAL_01;
      return c;
    }
  }
}

// The type name, with the length or the precision (and scale) in parentheses when the
// create parameters name them (in either case).
JxStatus typeText(const char* name, const char* createParams, int32_t precision, int16_t scale,
                  bool withScale, JxString* out) {
  if (out->initialize(name)) return 1;
  if (cmgFindCi(createParams, "PRECISION")) {
    if (out->concat(" (") || out->concat(static_cast<long>(precision))) return 1;
    if (withScale && cmgFindCi(createParams, "SCALE") &&
        (out->concat(", ") || out->concat(static_cast<long>(scale))))
      return 1;
    return out->concat(")");
  }
  if (cmgFindCi(createParams, "LENGTH"))
    return out->concat(" (") || out->concat(static_cast<long>(precision)) || out->concat(")");
  return 0;
}

}  // namespace

JxStatus cmgTranslateType(uint16_t flags, cmg_capabilities* source, const char* sourceTypeName,
                          int16_t sqlType, int32_t precision, int16_t scale, cmg_capabilities* target,
                          int16_t* outType, int32_t* outPrecision, int16_t* outScale, uint16_t* outAttributes,
                          char* outText, uint32_t textSize) {
  if (!target) return cmgMissing("target connection", "cmgTranslateType");
  CmgCall call(target->owner);
  if (call.refused()) return 1;
  TypeTable table(target);
  bool best = (flags & CMG_TRANSLATE_BEST_EFFORT) != 0;

  // The same data source keeps the source's own type when the target has it by name.
  bool sameSource = source ? (source->sourceName && target->sourceName &&
                              strcmp(source->sourceName, target->sourceName) == 0)
                           : sourceTypeName != nullptr;
  Choice c;
  const char* name = nullptr;
  if (sameSource && sourceTypeName) {
    for (int i = 0; i < target->typeCount && target->types; ++i)
      if (target->types[i].name && strcmp(target->types[i].name, sourceTypeName) == 0) {
        c = choose(table, i, precision, scale);
        c.type = sqlType;
        name = sourceTypeName;
        break;
      }
  }
  if (!c.found()) c = translate(table, source != nullptr, sqlType, precision, scale, best);
  if (!c.found()) {
    sqlErrorById(c.failure);
    return 1;
  }
  const CmgTypeEntry& entry = table.at(c.entry);
  JxString text;
  if (outText && (typeText(name         ? name
                           : entry.name ? entry.name
                                        : "",
                           entry.createParams, c.textPrecision, c.scale, c.textScale, &text) ||
                  cmgCopyOut("cmgTranslateType", text.c_str(), outText, textSize)))
    return 1;
  if (outType) *outType = c.type;
  if (outPrecision) *outPrecision = c.precision;
  if (outScale) *outScale = c.scale;
  if (outAttributes) *outAttributes = entry.attributes;
  return 0;
}
