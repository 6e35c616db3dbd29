// "DataBuffer": growing keeps the contents, GetString reads them, a method declared
// with "Buffer as DataBuffer" parses and is called from Basic, canBeTreatedAs accepts a
// DataBuffer and refuses other objects, and its stream block.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "store/signature.h"
#include "testobjs/testobjs.h"
#include "tool/idatabuffer.h"
#include "tool/tooldll.h"
#include "toolkit.h"

namespace {

using namespace toolkit;

iDataBuffer* NewBuffer(const char* name) { return iDataBuffer::Native(NewObject("DataBuffer", name)); }

// The database library asks for the class while it registers its own, possibly before
// the store has published ovitool: the class is there all the same. (First in the file:
// nothing is published yet.)
TEST(DataBuffer, RegisteredWhenALinkingLibraryAsksFirst) {
  StoreUp();
  ASSERT_EQ(nullptr, ObjectStore::find("DataBuffer"));
  InterObjRep* proto = iDataBuffer::PO_GetObject();
  ASSERT_NE(nullptr, proto);
  EXPECT_EQ(proto, ObjectStore::find("DataBuffer"));
  EXPECT_NE(nullptr, ObjectStore::find("BinaryFile"));
  IInterObj* made = ObjectStore::CreateNative(proto);
  ASSERT_NE(nullptr, made);
  EXPECT_NE(nullptr, dynamic_cast<iDataBuffer*>(made));
  made->Release();
  Publish();  // publishing it again keeps the prototype
  EXPECT_EQ(proto, iDataBuffer::PO_GetObject());
  EXPECT_STREQ("Orvanel.DataBuffer", proto->progId());
  ASSERT_NE(nullptr, proto);
  EXPECT_EQ(proto, ObjectStore::find("DataBuffer"));
  EXPECT_STREQ("Orvanel.DataBuffer", proto->progId());
  EXPECT_STREQ("DataBuffer", ToolDll::Row(kOvitoolDataBuffer).name);
}

TEST(DataBuffer, GrowingKeepsTheContentsAndGetStringReadsThem) {
  iDataBuffer* b = NewBuffer("Grow");
  ASSERT_NE(nullptr, b);
  EXPECT_EQ(0, b->pdGetSize());
  EXPECT_EQ(nullptr, b->Data());
  b->pdSetSize(4);
  std::memcpy(b->Data(), "abc", 4);
  b->pdSetSize(4096);
  ASSERT_EQ(4096u, b->DataSize());
  EXPECT_STREQ("abc", b->Data());
  EXPECT_EQ(0, b->Data()[4095]);  // new bytes are zero
  EXPECT_EQ("abc", BasicValue("Grow.GetString()", "String"));
  EXPECT_EQ("4096", BasicValue("Grow.Size"));

  // From Basic: Size grows it and keeps the text; a smaller Size cuts it.
  ASSERT_TRUE(RunBasic("Grow.SetString \"hello world\"\nGrow.Size = 100").ok);
  EXPECT_EQ("100", BasicValue("Grow.Size"));
  EXPECT_EQ("hello world", BasicValue("Grow.GetString()", "String"));
  ASSERT_TRUE(RunBasic("Grow.Size = 5").ok);
  EXPECT_EQ("hello", BasicValue("Grow.GetString()", "String"));
}

TEST(DataBuffer, NegativeSizeIsAStoreErrorNamingTheClass) {
  iDataBuffer* b = NewBuffer("Neg");
  b->imSetString("keep");
  BasicOutcome out = RunBasic("Neg.Size = -1");
  EXPECT_FALSE(out.ok);
  EXPECT_NE(std::string::npos, out.error.find("DataBuffer")) << out.error;
  EXPECT_EQ(4, b->pdGetSize());
  EXPECT_EQ("keep", BasicValue("Neg.GetString()", "String"));
}

// A native method declared "Function Fill(Buffer as DataBuffer, ...)" parses, and Basic
// calls it with a DataBuffer; the bytes written in C++ read back in Basic.
TEST(DataBuffer, DeclaredArgumentParsesAndIsCalledFromBasic) {
  InterObjRep* user = NewObject("BufferUser", "User");
  ASSERT_NE(nullptr, user);
  SignatureRep* sig = user->signature();
  ASSERT_NE(nullptr, sig);
  EXPECT_NE(nullptr, sig->findField("Fill"));
  NewBuffer("Filled");
  EXPECT_EQ("6", BasicValue("User.Fill(Filled, \"abcde\")"));
  EXPECT_EQ("abcde", BasicValue("Filled.GetString()", "String"));
  EXPECT_EQ("6", BasicValue("Filled.Size"));
}

TEST(DataBuffer, CanBeTreatedAsAcceptsABufferAndRefusesOtherObjects) {
  NewBuffer("Accepted");
  NewObject("BinaryFile", "NotABuffer");
  NewObject("BufferUser", "Asker");
  EXPECT_EQ("-1", BasicValue("Asker.IsBuffer(Accepted)"));
  EXPECT_EQ("0", BasicValue("Asker.IsBuffer(NotABuffer)"));
  EXPECT_EQ("0", BasicValue("Asker.IsBuffer(Nothing)"));
  InterObjRep* other = ObjectStore::find("NotABuffer");
  ASSERT_NE(nullptr, other);
  EXPECT_FALSE(other->canBeTreatedAs(iDataBuffer::PO_GetObject()));
  EXPECT_EQ(nullptr, iDataBuffer::Native(other));
}

TEST(DataBuffer, StreamBlockRoundTripAndDamage) {
  iDataBuffer* b = NewBuffer("Streamed");
  b->imSetString("ab");
  const Bytes golden = {1, 2, 0, 0, 0, 'a', 'b'};
  EXPECT_EQ(golden, SaveBytes(*b));
  iDataBuffer* copy = NewBuffer("StreamedCopy");
  LoadBytes(*copy, golden);
  EXPECT_EQ("ab", std::string(copy->Data(), copy->DataSize()));
  for (const Bytes& bad : {Bytes{2, 0, 0, 0, 0}, Bytes{1, 0xff, 0xff, 0xff, 0x7f, 'a'}, Bytes{1, 3, 0}}) {
    try {
      LoadBytes(*copy, bad);
      ADD_FAILURE() << "loaded";
    } catch (ObjectLoadFailed& e) {
      EXPECT_NE(std::string::npos, std::string(e.what()).find("DataBuffer")) << e.what();
    }
    EXPECT_EQ(2u, copy->DataSize());
  }
}

}  // namespace
