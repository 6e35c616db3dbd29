// The object model without published DLLs: prototypes and derivation, field kinds,
// enumerations, events and members by name, collisions, reference counts, reference
// streaming and text unload.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <vector>
#include <string>

#include "olecls/oclstream.h"
#include "store/enum.h"
#include "store/field_array.h"
#include "store/field_data.h"
#include "store/groups.h"
#include "store/interobj.h"
#include "store/interobjiter.h"
#include "store/objectstore.h"
#include "store/signature.h"
#include "store/storeapp.h"
#include "store/storeexcept.h"
#include "store/value.h"
#include "objtest_util.h"

namespace {

using namespace objtest;

struct StoreSetup {
  StoreSetup() { SetUpStore(); }
} g_setup;

// A fresh module for a test, unloaded at the end.
struct ScratchModule {
  unsigned char m;
  unsigned char prev;
  explicit ScratchModule(const char* name) {
    m = ObjectStore::CreateModule(name);
    prev = ObjectStore::OpenModule(m);
  }
  ~ScratchModule() {
    ObjectStore::OpenModule(prev);
    ObjectStore::UnloadModule(m, 1);
  }
};

TEST(ObjectModel, PrototypesDerivationOverrideAndLookup) {
  ScratchModule mod("protos");
  PrimInterObj base("Animal", nullptr, 0);
  base->addField(InterDataField::make("Legs", 1), new DirectValue<short, 1>(4));
  base->addField(new FnMethod("Speak",
                              [](InterObjRep&, ValueList*) -> Value* {
                                return CountedResult<Value>(new DirectValue<ValString, 6>(ValString("...")));
                              }),
                 nullptr);
  PrimInterObj bird(base.get(), "Bird", 0);
  bird->addField(
      new FnMethod("Speak",
                   [](InterObjRep&, ValueList*) -> Value* {
                     return CountedResult<Value>(new DirectValue<ValString, 6>(ValString("tweet")));
                   }),
      nullptr);
  PrimInterObj robin(bird.get(), "Robin", 0);

  EXPECT_TRUE(robin->canBeTreatedAs(base.get()));
  EXPECT_TRUE(robin->canBeTreatedAs(bird.get()));
  EXPECT_FALSE(base->canBeTreatedAs(bird.get()));
  EXPECT_EQ(2, robin->depth());
  EXPECT_EQ(1, base->numChildren());

  // Inherited value, then an own value that does not touch the prototype.
  EXPECT_EQ(4, LongOf(robin->evalIMember("Legs", nullptr)));
  Field* legs = robin->findField("legs");  // names ignore case
  ASSERT_NE(nullptr, legs);
  EXPECT_EQ(base.get(), robin->findDefiningObject("Legs"));
  EXPECT_FALSE(robin->definesField("Legs"));
  DirectValue<long, 2> two(2);
  static_cast<DataField*>(legs)->set(*robin, two);
  EXPECT_EQ(2, LongOf(robin->evalIMember("Legs", nullptr)));
  EXPECT_EQ(4, LongOf(base->evalIMember("Legs", nullptr)));
  EXPECT_EQ(kTypeShort, static_cast<DataField*>(legs)->typeCode());

  // Override: the nearest definition wins.
  EXPECT_EQ("tweet", TextOf(robin->evalIMember("Speak", nullptr)));
  EXPECT_EQ("...", TextOf(base->evalIMember("Speak", nullptr)));

  // Missing members.
  int found = -1;
  EXPECT_EQ(nullptr, robin->evalIMember("Fly", nullptr, &found));
  EXPECT_EQ(0, found);
  EXPECT_EQ(nullptr, robin->evalIMember("Fly", nullptr, nullptr, InterObjRep::kEvalQuiet));
  try {
    robin->evalIMember("Fly", nullptr);
    FAIL() << "no NotFound";
  } catch (NotFound& e) {
    EXPECT_STREQ("'Fly' not found.", e.what());
    EXPECT_EQ("Robin", e.objectName());
  }

  // A copy: same parent, its own copies of the source's members and values.
  robin->addField(InterDataField::make("Song", 6), new DirectValue<ValString, 6>(ValString("la")));
  PrimInterObj copy(robin.get(), "Robin2", 1);
  EXPECT_EQ(bird.get(), copy->parent());
  EXPECT_TRUE(copy->flags() & InterObjRep::kFlagClone);
  EXPECT_TRUE(copy->definesField("Song"));
  EXPECT_NE(robin->findField("Song"), copy->findField("Song"));
  EXPECT_EQ("la", TextOf(copy->evalIMember("Song", nullptr)));
  EXPECT_EQ(2, LongOf(copy->evalIMember("Legs", nullptr)));
  robin->removeField("Song");
  EXPECT_EQ("la", TextOf(copy->evalIMember("Song", nullptr)));

  // Names: top-level objects by name; names are unique.
  EXPECT_EQ(robin.get(), ObjectStore::find("ROBIN"));
  EXPECT_TRUE(robin->isStaticObj());
  EXPECT_EQ(mod.m, robin->module());
  EXPECT_EQ((uint32_t)mod.m, (robin->descriptor() >> 22) & 0xFF);
  EXPECT_THROW(PrimInterObj(base.get(), "Robin", 0), StoreException);
}

TEST(ObjectModel, CollisionsAndTheirTexts) {
  ScratchModule mod("collide");
  PrimInterObj a("CollA", nullptr, 0);
  a->addField(InterDataField::make("X", 2), nullptr);
  a->addField(new FnMethod("M", [](InterObjRep&, ValueList*) -> Value* { return nullptr; }), nullptr);
  PrimInterObj b(a.get(), "CollB", 0);

  struct Case {
    std::function<void()> add;
    const char* kind;
    const char* text;
  } cases[] = {
      {[&] { a->addField(InterDataField::make("x", 2), nullptr); }, "CollisionOnSelf",
       "The member 'x' is already defined in this object."},
      {[&] { b->addField(InterDataField::make("X", 2), nullptr); }, "MatchingFieldCollision",
       "The member 'X' is already defined with the same declaration."},
      {[&] { b->addField(InterDataField::make("X", 6), nullptr); }, "CollisionOnParent",
       "The member 'X' is already defined by a parent object."},
      {[&] { b->addField(InterDataField::make("M", 2), nullptr); }, "DataMethodCollision",
       "The data member 'M' has the name of a method."},
      {[&] { b->addField(new FnMethod("X", nullptr), nullptr); }, "MethodDataCollision",
       "The method 'X' has the name of a data member."},
  };
  for (const Case& c : cases) {
    try {
      c.add();
      ADD_FAILURE() << "no exception for " << c.kind;
    } catch (FieldCollision& e) {
      EXPECT_STREQ(c.kind, e.className());
      EXPECT_STREQ(c.text, e.what());
    }
  }
  // A method over an inherited method overrides it.
  EXPECT_NO_THROW(b->addField(new FnMethod("M", nullptr), nullptr));
  // Rename and remove; each change of members moves the lookup generation.
  uint32_t gen = SignatureRep::Generation();
  a->renameField("X", "Y");
  EXPECT_NE(gen, SignatureRep::Generation());
  EXPECT_NE(nullptr, b->findField("Y"));
  EXPECT_EQ(nullptr, b->findField("X"));
  EXPECT_THROW(a->renameField("Y", "M"), CollisionOnSelf);
  a->removeField("Y");
  EXPECT_EQ(nullptr, b->findField("Y"));
  EXPECT_THROW(a->removeField("Y"), NotFound);
}

TEST(ObjectModel, EveryStoreFieldKind) {
  ScratchModule mod("fields");
  PrimInterObj cls("Shape", nullptr, 0);
  PrimInterObj obj(cls.get(), "Square", 0);
  EnumRep* colour = new EnumRep("ShapeColour", 1);
  colour->addEntry("Red", 3);
  colour->addEntry("Green", 2);  // insertion order, not value order
  colour->addEntry("Wide", (int32_t)0x80000000);

  obj->addField(InterDataField::make("Count", 2), nullptr);
  obj->addField(InterDataField::make("Name", 6), new DirectValue<ValString, 6>(ValString("sq")));
  obj->addField(InterDataField::make("Size", 4), nullptr);
  obj->addField(InterDataField::make("Pi", 4, 1), new DirectValue<double, 4>(3.25));
  obj->addField(InterEnumField::make("Colour", colour), nullptr);
  obj->addField(InterObjField::make("Any"), nullptr);
  obj->addField(StrictInterObjField::make("OnlyShape", "Shape"), nullptr);
  InterArray<long, 2>* arr = InterArray<long, 2>::make("Grid");
  arr->defineDimen(0, 1, 3);
  arr->defineDimen(1, 0, 1);
  obj->addField(arr, nullptr);
  obj->addField(EmbedObjField::make("Inner", "Shape"), nullptr);

  // Conversions to the declared type.
  EXPECT_THROW(obj->eval("Count", InterObjRep::kEvalSet, nullptr), StoreException);
  ValueList setArgs;
  setArgs.ppush(new DirectValue<double, 4>(2.5));
  obj->eval("Count", InterObjRep::kEvalSet, &setArgs);
  EXPECT_EQ(2, LongOf(obj->evalIMember("Count", nullptr)));  // half to even
  EXPECT_EQ("sq", TextOf(obj->evalIMember("Name", nullptr)));
  EXPECT_EQ("Const Pi As Double",
            std::string(static_cast<DataField*>(obj->findField("Pi"))->declarationText().data()));
  EXPECT_TRUE(obj->findField("Pi")->hasFlag(Field::kConstant));
  ValueList newPi;
  newPi.ppush(new DirectValue<double, 4>(3));
  EXPECT_THROW(obj->eval("Pi", InterObjRep::kEvalSet, &newPi), StoreException);

  // Enumerations: by value or entry text; unload by text.
  ValueList en;
  en.ppush(new DirectValue<ValString, 6>(ValString("green")));
  obj->eval("Colour", InterObjRep::kEvalSet, &en);
  EXPECT_EQ(2, LongOf(obj->evalIMember("Colour", nullptr)));
  EXPECT_EQ(colour, obj->findField("Colour")->enumeration());
  EXPECT_EQ("Red", std::string(colour->entries().at(0).text));
  EXPECT_EQ(INT32_MIN, colour->entries().at(2).value);

  // Object references: any object, or only the class.
  ValueList objArg;
  objArg.ppush(new DirectValue<InterObj, 7>(InterObj(cls.get())));
  obj->eval("Any", InterObjRep::kEvalSet, &objArg);
  ValuePtr got;
  got.adopt(obj->evalIMember("Any", nullptr));
  InterObj h;
  got->get(h);
  EXPECT_EQ(cls.get(), h.get());
  PrimInterObj stranger("Stranger", nullptr, 0);
  ValueList bad;
  bad.ppush(new DirectValue<InterObj, 7>(InterObj(stranger.get())));
  EXPECT_THROW(obj->eval("OnlyShape", InterObjRep::kEvalSet, &bad), TypeMismatch);
  obj->eval("OnlyShape", InterObjRep::kEvalSet, &objArg);
  ValueList num;
  num.ppush(new DirectValue<long, 2>(1));
  EXPECT_THROW(obj->eval("Any", InterObjRep::kEvalSet, &num), TypeMismatch);

  // Arrays: bounds checked, elements converted.
  ValueList at;
  at.ppush(new DirectValue<long, 2>(3));
  at.ppush(new DirectValue<long, 2>(1));
  at.ppush(new DirectValue<ValString, 6>(ValString("42")));
  obj->eval("Grid", InterObjRep::kEvalSet, &at);
  ValueList idx;
  idx.ppush(new DirectValue<long, 2>(3));
  idx.ppush(new DirectValue<long, 2>(1));
  EXPECT_EQ(42, LongOf(obj->evalIMember("Grid", &idx)));
  ValueList out;
  out.ppush(new DirectValue<long, 2>(4));
  out.ppush(new DirectValue<long, 2>(0));
  try {
    obj->evalIMember("Grid", &out);
    FAIL() << "no RangeError";
  } catch (RangeError& e) {
    EXPECT_STREQ("Index out of range: 4 is not between 1 and 3.", e.what());
  }
  EXPECT_EQ("Dim Grid(1 To 3, 0 To 1) As Long", std::string(arr->formatDecl().data()));
  arr->redim(*obj, {{1, 3}, {0, 4}}, true);
  EXPECT_EQ(42, LongOf(obj->evalIMember("Grid", &idx)));
  EXPECT_EQ(4, arr->ubound(*obj, 2));
  EXPECT_THROW(arr->redim(*obj, {{0, 3}, {0, 4}}, true), StoreException);

  // Embedded object made from the class, found by dotted name.
  InterObjRep* inner = static_cast<EmbedObjField*>(obj->findField("Inner"))->embeddedObject(*obj);
  ASSERT_NE(nullptr, inner);
  EXPECT_EQ(obj.get(), inner->embeddedIn());
  EXPECT_TRUE(inner->canBeTreatedAs(cls.get()));
  EXPECT_EQ(inner, ObjectStore::find("Square.Inner"));
  EXPECT_EQ("Square.Inner", inner->fullName());
  EXPECT_EQ(InterObjRep::kKindEmbedded, inner->kind());

  // Text unload of own values.
  RWCString cmds;
  obj->textUnload("  ", cmds);
  EXPECT_NE(std::string::npos, std::string(cmds.data()).find("  .Count = 2\n"));
  EXPECT_NE(std::string::npos, std::string(cmds.data()).find("  .Name = \"sq\"\n"));
  EXPECT_NE(std::string::npos, std::string(cmds.data()).find("  .Colour = \"Green\"\n"));
  EXPECT_NE(std::string::npos, std::string(cmds.data()).find("  .Any = Shape\n"));
  const char* names[] = {"Size", "Colour", nullptr};
  RWCString two;
  obj->textFieldsUnload(names, "\t", two);
  EXPECT_STREQ("\t.Size = 0\n\t.Colour = \"Green\"\n", two.data());
}

TEST(ObjectModel, AccessControlAndClassFailures) {
  ScratchModule mod("acl");
  struct NoWrites : AccessControlRep {
    int allows(const InterObjRep*, const Field*, int kind) const override { return kind != 1; }
  } noWrites;
  PrimInterObj guarded("Guarded", &noWrites, 0);
  guarded->addField(InterDataField::make("V", 2), nullptr);
  PrimInterObj inst(guarded.get(), "GuardedInst", 0);
  ValueList one;
  one.ppush(new DirectValue<long, 2>(1));
  try {
    inst->eval("V", InterObjRep::kEvalSet, &one);
    FAIL();
  } catch (AccessDenied& e) {
    EXPECT_STREQ("Access denied: V", e.what());
  }
  EXPECT_EQ(0, LongOf(inst->evalIMember("V", nullptr)));
  ValueList text;
  text.ppush(new DirectValue<ValString, 6>(ValString("abc")));
  PrimInterObj plain("PlainObj", nullptr, 0);
  plain->addField(InterObjField::make("O"), nullptr);
  try {
    plain->eval("O", InterObjRep::kEvalSet, &text);
    FAIL();
  } catch (TypeMismatch& e) {
    EXPECT_STREQ("Type mismatch: O", e.what());
  }
  // Classes whose native part cannot be made leave no prototype behind.
  try {
    IndirectInterObj p("Orvanel.Unknown", "UnknownClass", nullptr, nullptr, 0);
    FAIL();
  } catch (StoreException& e) {
    EXPECT_STREQ("The class 'Orvanel.Unknown' is not registered.", e.what());
  }
  EXPECT_EQ(nullptr, ObjectStore::find("UnknownClass"));
  CLSID nowhere = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
  ObjectStore::RegisterProgId("Orvanel.Nowhere", nowhere);
  try {
    IndirectInterObj p("Orvanel.Nowhere", "NowhereClass", nullptr, nullptr, 0);
    FAIL();
  } catch (OleException& e) {
    EXPECT_EQ(0u, std::string(e.what()).find("OLE error"));
    EXPECT_NE(std::string::npos, std::string(e.what()).find("Orvanel.Nowhere"));
  }
  EXPECT_EQ(nullptr, ObjectStore::find("NowhereClass"));
}

TEST(ObjectModel, ApplicationNotificationsAndExceptionHandling) {
  std::vector<long> codes;
  ScratchModule mod("notify");
  PrimInterObj mgr("ObjectEditorMgr", nullptr, 0);
  mgr->addField(new FnMethod("Refresh",
                             [&](InterObjRep&, ValueList* a) -> Value* {
                               codes.push_back((*a)[0]->asLong());
                               return nullptr;
                             }),
                nullptr);
  StoreApplication* app = StoreApplication::App();
  codes.clear();
  app->NotifyObjectAdded();
  StoreApplication::BatchNotifies(1);
  app->NotifyObjectChanged();  // deferrable: held back
  app->NotifyValuesChanged();
  app->NotifyObjectRemoved();  // sent at once
  StoreApplication::BatchNotifies(0);
  EXPECT_EQ((std::vector<long>{3, 9, 13}), codes);
  StoreException e("x");
  int prev = StoreApplication::HandleExceptions(0);
  EXPECT_THROW(StoreApplication::HandleException(e), StoreException);
  StoreApplication::HandleExceptions(prev);
  EXPECT_NE(nullptr, app->FindPrintTarget());
}

TEST(ObjectModel, Enumerations) {
  EnumRep* b = EnumRep::find("boolean");
  ASSERT_NE(nullptr, b);
  int32_t v = 0;
  EXPECT_TRUE(b->valueOf("True", v));
  EXPECT_EQ(-1, v);
  EXPECT_STREQ("False", b->textOf(0));
  EnumRep* er = EnumRep::find("EvalRequires");
  ASSERT_NE(nullptr, er);
  EXPECT_EQ(3, er->entries().entries());
  EXPECT_EQ(4, er->entries().at(2).value);
  EXPECT_THROW(new EnumRep("Boolean", 1), StoreException);
  EXPECT_THROW(b->addEntry("true", 5), CollisionOnSelf);
  // A module's enumerations go with it; the temporary module's stay.
  unsigned char m = ObjectStore::CreateModule("enums");
  {
    OpenModuleResource open(m);
    new EnumRep("ModuleOnly", 1);
  }
  EXPECT_NE(nullptr, EnumRep::find("ModuleOnly"));
  ObjectStore::UnloadModule(m, 1);
  EXPECT_EQ(nullptr, EnumRep::find("ModuleOnly"));
  EXPECT_NE(nullptr, EnumRep::find("Boolean"));
}

TEST(ObjectModel, EventsReachTheContainersHandlerAndByRefArgumentsFlowBack) {
  ScratchModule mod("events");
  PrimInterObj form("Form1", nullptr, 0);
  PrimInterObj buttonClass("ButtonClass", nullptr, 0);
  buttonClass->addEventDef(new EventDef("KeyDown", 0, "(keyCode As Integer)", 1));
  PrimInterObj button(buttonClass.get(), "Button1", 0);
  form->addEmbed(button.get());
  EXPECT_EQ("Button1_KeyDown", button->constructEventName("KeyDown"));
  InterObjRep* owner = nullptr;
  EXPECT_NE(nullptr, button->findEventDef("keydown", &owner));
  EXPECT_EQ(buttonClass.get(), owner);

  // No handler yet.
  short code = 65;
  ValueList* args = new ValueList;
  args->ppush(new IndirectValue<short, 1>(code));
  EXPECT_EQ(0, button->evalIEvent("KeyDown", args, 1));

  InterObjRep* ranOn = nullptr;
  form->addField(new FnMethod("Button1_KeyDown",
                              [&](InterObjRep& self, ValueList* a) -> Value* {
                                ranOn = &self;
                                (*a)[0]->set((short)((*a)[0]->asShort() + 1));
                                return nullptr;
                              }),
                 nullptr);
  args = new ValueList;
  args->ppush(new IndirectValue<short, 1>(code));
  EXPECT_EQ(1, button->evalIEvent("KeyDown", args, 1));
  EXPECT_EQ(66, code);
  EXPECT_EQ(form.get(), ranOn);

  // A handler's value, and failures: thrown by evalIEvent, reported by _NoThrow.
  form->addField(new FnMethod("Button1_CanClose",
                              [](InterObjRep&, ValueList*) -> Value* {
                                return CountedResult<Value>(new DirectValue<short, 1>(-1));
                              }),
                 nullptr);
  Value* result = nullptr;
  EXPECT_EQ(1, button->evalIEvent_Return("CanClose", nullptr, result));
  EXPECT_EQ(-1, LongOf(result));
  form->addField(
      new FnMethod("Button1_Boom", [](InterObjRep&, ValueList*) -> Value* { throw StoreException("boom"); }),
      nullptr);
  try {
    button->evalIEvent("Boom", nullptr, 1);
    FAIL();
  } catch (StoreException& e) {
    EXPECT_EQ("Form1", e.objectName());
    EXPECT_EQ("Button1_Boom", e.memberName());
  }
  static std::string boxText;
  auto prev = StoreApplication::SetMessageBoxHook([](const char* text, const char*, unsigned) {
    boxText = text;
    return IDOK;
  });
  EXPECT_EQ(0, button->evalIEvent_NoThrow("Boom", nullptr, 1));
  StoreApplication::SetMessageBoxHook(prev);
  EXPECT_EQ("For the object 'Form1' in Button1_Boom at line #0:  boom", boxText);
}

TEST(ObjectModel, ReferenceCountsReturnToZeroAfterUnload) {
  long before = InterObjRep::LiveObjects();
  Faultp<InterObjRep> weak;
  {
    ScratchModule mod("counts");
    PrimInterObj cls("CountedClass", nullptr, 0);
    cls->addField(InterObjField::make("Next"), nullptr);
    PrimInterObj a(cls.get(), "CountA", 0);
    PrimInterObj b(cls.get(), "CountB", 0);
    // A cycle through data values, and an embedded child.
    ValueList toB, toA;
    toB.ppush(new DirectValue<InterObj, 7>(InterObj(b.get())));
    toA.ppush(new DirectValue<InterObj, 7>(InterObj(a.get())));
    a->eval("Next", InterObjRep::kEvalSet, &toB);
    b->eval("Next", InterObjRep::kEvalSet, &toA);
    PrimInterObj child(cls.get(), ObjectStore::kTempModule, 2);
    a->addEmbed(child.get());
    PrimInterObj temp(cls.get(), ObjectStore::kTempModule, 1);
    weak.set(a.get(), tUncountedIndirectReference);
    EXPECT_TRUE(weak.is());
    EXPECT_EQ(before + 5, InterObjRep::LiveObjects());
  }
  EXPECT_TRUE(weak.isNull());
  weak.clear();
  EXPECT_EQ(before, InterObjRep::LiveObjects());

  // Destroyed while still counted: uncounted references read null at once.
  {
    PrimInterObj held(nullptr, ObjectStore::kTempModule, 1);
    Faultp<InterObjRep> w2(held.get(), tUncountedIndirectReference);
    held->Destroy();
    EXPECT_TRUE(w2.isNull());
    EXPECT_TRUE(held->isDestroyed());
  }
  EXPECT_EQ(before, InterObjRep::LiveObjects());

  // Condemned objects go on the next DeleteObjects.
  PrimInterObj* p = new PrimInterObj(nullptr, ObjectStore::kTempModule, 1);
  InterObjRep* raw = p->get();
  Faultp<InterObjRep> w(raw, tUncountedIndirectReference);
  raw->BeginDestroy();
  delete p;
  EXPECT_TRUE(w.is());
  InterObjRep::DeleteObjects();
  EXPECT_TRUE(w.isNull());
  w.clear();
  EXPECT_EQ(before, InterObjRep::LiveObjects());
}

TEST(ObjectModel, ReferenceStreamingRoundTripIncludingNull) {
  ScratchModule mod("refs");
  PrimInterObj a("RefA", nullptr, 0);
  PrimInterObj b(a.get(), "RefB", 0);
  OCLStream s;
  Faultp<InterObjRep> none;
  Faultp<InterObjRep> toA(a.get());
  Faultp<InterObjRep> weakB(b.get(), tUncountedIndirectReference);
  none.write(s);
  toA.write(s);
  weakB.write(s);
  s.seekTo(0);
  Faultp<InterObjRep> r1(a.get()), r2, r3;
  r1.read(s, mod.m);
  r2.read(s, mod.m);
  r3.read(s, mod.m);
  EXPECT_TRUE(r1.isNull());
  EXPECT_EQ(a.get(), r2.get());
  EXPECT_EQ(b.get(), r3.get());
  EXPECT_EQ(tUncountedIndirectReference, r3.kind());
}

TEST(ObjectModel, IntrinsicClassesAndGroups) {
  InterObjRep* groupClass = iGroup::PO_GetObject();
  ASSERT_NE(nullptr, groupClass);
  EXPECT_TRUE(groupClass->isPrototype());
  EXPECT_STREQ("Orvanel.Group", groupClass->progId());
  EXPECT_NE(nullptr, iACL::Standard());
  PrimInterObj g(groupClass, ObjectStore::kTempModule, 1);
  iGroup* native = dynamic_cast<iGroup*>(g->ROCDataPtr(0));
  ASSERT_NE(nullptr, native);
  native->add(groupClass);
  native->add(groupClass);  // duplicates allowed
  EXPECT_EQ(2, LongOf(g->evalIMember("Count", nullptr)));
  ValueList one;
  one.ppush(new DirectValue<long, 2>(1));
  ValuePtr item;
  item.adopt(g->evalIMember("Item", &one));
  InterObj h;
  item->get(h);
  EXPECT_EQ(groupClass, h.get());
  ValueList nine;
  nine.ppush(new DirectValue<long, 2>(9));
  EXPECT_THROW(g->evalIMember("Item", &nine), RangeError);
  InterObjRep* app = iApplication::PO_GetObject();
  EXPECT_NE(nullptr, app->findEventDef("Startup"));
  EXPECT_NE(nullptr, app->findEventDef("CanClose"));
  EXPECT_NE(nullptr, app->findEventDef("Shutdown"));
  int n = 0;
  for (StaticObjectsIterator it(ObjectStore::kTempModule); it();) ++n;
  EXPECT_GE(n, 6);
}

}  // namespace
