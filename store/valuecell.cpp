// The counted payloads of a ValueCell.
#include "store/valuecell.h"

void ValueCell::releasePayload() {
  if (type == kTypeString) {
    if (str) str->unref();
  } else if (type == kTypeObject) {
    if (obj.counted) obj.counted->unref();
  } else if (arr) {
    arr->unref();
  }
}

void ValueCell::refPayload() const {
  if (type == kTypeString) {
    if (str) str->ref();
  } else if (type == kTypeObject) {
    if (obj.counted) obj.counted->ref();
  } else if (arr) {
    arr->ref();
  }
}
