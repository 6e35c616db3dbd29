// Module files damaged byte by byte: a good module saved by the test, then every byte of
// every stream flipped, zeroed or incremented in turn, and every stream cut at every
// length. Each damaged file must load (and then unload cleanly) or be refused with a
// clear error that names it; a crash, a hang, assertion text or anything left behind
// fails, naming the case. OV_FUZZ_SCALE (default 1) adds that many rounds of random
// multi-byte damage per stream byte for longer runs by hand (scripts/fuzz.sh);
// OV_FUZZ_SEED changes the seed.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "olecls/oclstorage.h"
#include "olecls/oclstream.h"
#include "store/enum.h"
#include "store/field_array.h"
#include "store/field_data.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/signature.h"
#include "store/storeexcept.h"
#include "store/value.h"
#include "objtest_util.h"
#include "testkit/testkit.h"

namespace {

using namespace objtest;

const DWORD kCreate = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;

typedef std::map<std::string, std::string> Streams;  // name -> bytes

unsigned long EnvNumber(const char* name, unsigned long fallback) {
  char buf[32];
  if (!GetEnvironmentVariableA(name, buf, sizeof buf)) return fallback;
  return std::strtoul(buf, nullptr, 0);
}

// The good module: a prototype with every kind of stored member, two instances that
// refer to each other, an array, an enumeration, an event and an embedded object.
void SaveGoodModule(const std::string& path) {
  unsigned char m = ObjectStore::CreateModule("fuzzed", path.c_str());
  {
    OpenModuleResource open(m);
    EnumRep* kinds = new EnumRep("FuzzKind", 1);
    kinds->addEntry("Small", 1);
    kinds->addEntry("Large", 7);
    PrimInterObj widget("FuzzWidget", nullptr, 0);
    widget->addField(InterDataField::make("Count", 2), nullptr);
    widget->addField(InterDataField::make("Label", 6), nullptr);
    widget->addField(InterDataField::make("Ratio", 4), nullptr);
    widget->addField(InterEnumField::make("Kind", kinds), nullptr);
    widget->addField(InterObjField::make("Link"), nullptr);
    InterArray<long, 2>* grid = InterArray<long, 2>::make("Grid");
    grid->defineDimen(0, 0, 3);
    widget->addField(grid, nullptr);
    widget->addEventDef(new EventDef("Pressed", 0, "(x As Long)", 0));
    PrimInterObj w1(widget.get(), "FuzzW1", 0);
    PrimInterObj w2(widget.get(), "FuzzW2", 0);
    Set(w1.get(), "Count", new DirectValue<long, 2>(12));
    Set(w1.get(), "Label", new DirectValue<ValString, 6>(ValString("text")));
    Set(w1.get(), "Ratio", new DirectValue<double, 4>(0.5));
    Set(w1.get(), "Kind", new DirectValue<long, 2>(7));
    Set(w1.get(), "Link", new DirectValue<InterObj, 7>(InterObj(w2.get())));
    Set(w2.get(), "Link", new DirectValue<InterObj, 7>(InterObj(widget.get())));
    ValueList at;
    at.ppush(new DirectValue<long, 2>(2));
    at.ppush(new DirectValue<long, 2>(99));
    w1->eval("Grid", InterObjRep::kEvalSet, &at);
    PrimInterObj part(widget.get(), ObjectStore::kTempModule, 2);
    part->renameObject("Part");
    w1->addEmbed(part.get());
    Set(part.get(), "Count", new DirectValue<long, 2>(3));
  }
  ObjectStore::SaveModule(m);
  ObjectStore::UnloadModule(m, 1);
}

Streams ReadStreams(const std::string& path) {
  Streams out;
  OCLStorage stg(path.c_str(), 0, STGM_READ | STGM_SHARE_EXCLUSIVE);
  if (!stg.is()) return out;
  IEnumSTATSTG* e = nullptr;
  if (FAILED(stg->EnumElements(0, nullptr, 0, &e))) return out;
  STATSTG st;
  while (e->Next(1, &st, nullptr) == S_OK) {
    char name[256];
    wide2str(st.pwcsName, name, sizeof name);
    CoTaskMemFree(st.pwcsName);
    if (st.type != STGTY_STREAM) continue;
    OCLStream s(stg.storage(), name, 0, STGM_READ | STGM_SHARE_EXCLUSIVE);
    std::string bytes(s.size(), '\0');
    if (!bytes.empty()) s.read(&bytes[0], ULONG(bytes.size()));
    out[name] = bytes;
  }
  e->Release();
  return out;
}

void WriteStreams(const std::string& path, const Streams& streams) {
  OCLStorage stg(path.c_str(), 1, kCreate);
  for (const auto& s : streams) {
    OCLStream o(stg.storage(), s.first.c_str(), 1, kCreate);
    if (!s.second.empty()) o.write(s.second.data(), ULONG(s.second.size()));
  }
  stg->Commit(STGC_DEFAULT);
}

std::string Hex(const std::string& bytes) {
  std::string out;
  char b[4];
  for (unsigned char c : bytes) {
    std::snprintf(b, sizeof b, "%02x ", c);
    out += b;
  }
  return out;
}

struct Tally {
  int cases = 0, loaded = 0, refused = 0;
  std::vector<std::string> failures;
};

// Loads path once, uses what loaded, unloads, and checks nothing stays.
void TryOne(const std::string& path, const std::string& description, testkit::FuzzGuard& guard, Tally& t) {
  ++t.cases;
  int modules = ObjectStore::ModuleCount();
  long live = InterObjRep::LiveObjects();
  int enums = EnumRep::Count();
  guard.Begin(description);
  std::string failure;
  try {
    unsigned char m = ObjectStore::LoadModule(path.c_str());
    ++t.loaded;
    // What loaded must be usable: read every member of every object.
    for (int i = 0; i < ObjectStore::ModuleSlotCount(m); ++i) {
      InterObjRep* o = ObjectStore::ModuleSlot(m, i);
      if (!o) continue;
      SignatureRep* sig = o->signature();
      for (int k = 0; k < sig->fieldCount(); ++k) {
        Field* f = sig->field(k);
        if (!f->isData() || f->isArrayData()) continue;
        try {
          ValuePtr v;
          v.adopt(o->evalIMember(f->name(), nullptr));
        } catch (const XAssert& e) {
          failure = std::string("assertion reading a member: ") + e.what();
        } catch (const StoreException&) {
          // a value the field does not take: a clear error
        }
      }
    }
    ObjectStore::UnloadModule(m, 1);
  } catch (const ModuleOpenFailed& e) {
    ++t.refused;
    std::string what = e.what();
    if (testkit::LooksLikeAnAssertion(what))
      failure = "assertion text: " + what;
    else if (what.find(path) == std::string::npos)
      failure = "the error does not name the file: " + what;
  } catch (const XAssert& e) {
    failure = std::string("assertion: ") + e.what();
  } catch (const XException& e) {
    failure = std::string("not a module error: ") + e.what();
  } catch (const std::exception& e) {
    failure = std::string("C++ exception: ") + e.what();
  }
  guard.End();
  if (failure.empty() && ObjectStore::ModuleCount() != modules) failure = "a module stays loaded";
  if (failure.empty() && InterObjRep::LiveObjects() != live) failure = "objects stay alive";
  if (failure.empty() && EnumRep::Count() != enums) failure = "enumerations stay";
  if (failure.empty() && (ObjectStore::find("FuzzW1") || ObjectStore::find("FuzzWidget")))
    failure = "objects stay findable";
  if (!failure.empty()) {
    t.failures.push_back(description + ": " + failure);
    // Clean up so that the next case starts from nothing.
    while (ObjectStore::ModuleCount() > modules) {
      unsigned char m = ObjectStore::FindModule("fuzzed");
      if (m == 255) break;
      ObjectStore::UnloadModule(m, 1);
    }
  }
}

TEST(ModuleFileFuzz, DamagedModulesLoadOrAreRefusedCleanly) {
  testkit::TestDataDir dir("ovstore_modfuzz");
  std::string good = dir.File("good.obo"), path = dir.File("case.obo");
  SaveGoodModule(good);
  Streams streams = ReadStreams(good);
  ASSERT_GE(streams.size(), 4u);
  testkit::FuzzGuard guard(60000);
  testkit::FuzzRandom rng(EnvNumber("OV_FUZZ_SEED", 20261210));
  const unsigned long rounds = EnvNumber("OV_FUZZ_SCALE", 1);
  Tally t;

  WriteStreams(path, streams);
  TryOne(path, "the undamaged module", guard, t);
  ASSERT_EQ(1, t.loaded) << (t.failures.empty() ? "" : t.failures[0]);

  for (const auto& s : streams) {
    const std::string& name = s.first;
    const std::string& bytes = s.second;
    for (size_t at = 0; at < bytes.size(); ++at) {
      // Each byte flipped, zeroed and incremented in turn.
      const char* kinds[] = {"flipped", "zeroed", "incremented"};
      for (int kind = 0; kind < 3; ++kind) {
        Streams damaged = streams;
        unsigned char& b = reinterpret_cast<unsigned char&>(damaged[name][at]);
        unsigned char was = b;
        b = kind == 0 ? (unsigned char)~b : kind == 1 ? 0 : (unsigned char)(b + 1);
        if (b == was) continue;
        WriteStreams(path, damaged);
        char d[160];
        std::snprintf(d, sizeof d, "stream %s byte %u of %u %s (0x%02x -> 0x%02x)", name.c_str(),
                      unsigned(at), unsigned(bytes.size()), kinds[kind], was, b);
        TryOne(path, d, guard, t);
      }
      // Cut short here.
      Streams cut = streams;
      cut[name].resize(at);
      WriteStreams(path, cut);
      TryOne(path, "stream " + name + " cut to " + std::to_string(at) + " bytes", guard, t);
      // Longer runs: random damage of a few bytes at once.
      for (unsigned long r = 1; r < rounds; ++r) {
        Streams damaged = streams;
        std::string& target = damaged[name];
        std::string what = "stream " + name + " bytes";
        for (unsigned n = 1 + rng.Below(4); n > 0; --n) {
          size_t pos = rng.Below(unsigned(target.size()));
          target[pos] = char(rng.Below(256));
          what += " " + std::to_string(pos);
        }
        WriteStreams(path, damaged);
        TryOne(path, what + ": " + Hex(target), guard, t);
      }
    }
  }
  // The closing note: cases and outcomes.
  std::printf("module file fuzz: %d cases, %d loaded, %d refused with a clear error, %d failed\n", t.cases,
              t.loaded, t.refused, int(t.failures.size()));
  for (size_t i = 0; i < t.failures.size() && i < 20; ++i) ADD_FAILURE() << t.failures[i];
  EXPECT_TRUE(t.failures.empty());
}

}  // namespace
