// Type translation: the ODBC SQL type, precision and scale of a column mapped onto a
// type that a target connection's driver offers (its type table, read by the driver
// profile from SQLGetTypeInfo), with the text to write in a column definition.
#pragma once

#include "dbsql/sqlengine.h"

// Flags of cmgTranslateType.
enum CmgTranslateFlags : uint16_t {
  CMG_TRANSLATE_BEST_EFFORT = 1  // no type large enough: take the largest one found
};

extern "C" {

// Maps sqlType (precision, scale) onto the target's types. When the source is the same
// data source as the target (same data-source name), or no source connection but a
// source type name is given, a target type of that exact name keeps the type. Writes
// the results and the type text (the type name, with its length or precision and scale
// in parentheses as the type's create parameters ask; textSize bytes with the
// terminator; none when outText is null) only on success. JxStatus: 2102 when no type fits, 4543 for a type
// no rule covers, 2109 when the text does not fit.
JXSQL04_API JxStatus cmgTranslateType(uint16_t flags, cmg_capabilities* source, const char* sourceTypeName,
                                      int16_t sqlType, int32_t precision, int16_t scale,
                                      cmg_capabilities* target, int16_t* outType, int32_t* outPrecision,
                                      int16_t* outScale, uint16_t* outAttributes, char* outText,
                                      uint32_t textSize);

}  // extern "C"
