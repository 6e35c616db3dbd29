// Object values: DirectValue of an object, cells holding objects, conversions refused.
#include <gtest/gtest.h>

#include "store/interobj.h"
#include "store/value.h"

TEST(ObjectValue, CellsAndValuesCountTheObject) {
  PrimInterObj obj("ValueTestObject", nullptr, (tInterObjType)0);
  ASSERT_TRUE(obj.is());
  InterObjRep* rep = obj.get();
  int16_t base = rep->count();
  {
    ValueCellVar c;
    c->setObject(rep);
    EXPECT_EQ(base + 1, rep->count());
    ValueCellVar d;
    d->copyFrom(c);
    EXPECT_EQ(base + 2, rep->count());
    EXPECT_EQ(0, CellCompare(c, d));

    ValuePtr v(ValueFromCell(c));
    EXPECT_EQ(kTypeObject, v->type());
    EXPECT_EQ(base + 3, rep->count());
    InterObj out;
    v->get(out);
    EXPECT_EQ(rep, out.get());
    EXPECT_THROW(v->asLong(), TypeMismatch);

    DirectValue<InterObj, kTypeObject> target;
    SetValueFromCell(target, c);
    EXPECT_EQ(rep, target.value().get());
    DirectValue<long, kTypeLong> number(1);
    EXPECT_THROW(target = number, TypeMismatch);
    try {
      number = *v;
      FAIL();
    } catch (const TypeMismatch& e) {
      EXPECT_EQ(32765u, e.id());
    }
    ValueCellVar nothing;
    nothing->setNothing();
    SetValueFromCell(target, nothing);
    EXPECT_TRUE(target.value().isNull());
  }
  EXPECT_EQ(base, rep->count());
}
