// PO_Populate: a publishing library's POD_Populate over its table of classes.
//
// For each built row, in table order: tells the store the class's ProgID and class id
// (the ids are not in the registry), then registers the class (its PO_InitObject). A
// store failure of one class is reported through StoreApplication::HandleException and
// the next class is registered all the same. Rows not built are skipped. Calling it
// again registers nothing new: registered classes keep their prototypes.
#pragma once

#include <string>

#include "store/objectstore.h"
#include "store/poclass.h"
#include "store/storeapp.h"
#include "store/storeexcept.h"

template <int N>
void PO_Populate(const POClassRow (&rows)[N]) {
  for (const POClassRow& row : rows) {
    if (!row.init) continue;
    try {
      if (row.clsid)
        ObjectStore::RegisterProgId((std::string("Orvanel.") + row.name).c_str(), POClassId(row.clsid));
      row.init();
    } catch (StoreException& e) {
      StoreApplication::HandleException(e);
    }
  }
}
