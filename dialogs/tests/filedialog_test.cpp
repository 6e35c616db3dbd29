// The file dialogs' properties from Basic (a table), which setters mark the object
// changed, their stream block (golden bytes, round trip, damaged and newer blocks) and
// clone; the modal run without an application object (this program never makes one).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "cdlgkit.h"
#include "dialogs/iopendialog.h"
#include "dialogs/isaveasdialog.h"
#include "testkit/testkit.h"
#include "utils/xexception.h"
#include "winlib/applicat.h"

namespace {

using namespace cdlgkit;

iOpenDialog* NewOpen(const char* name) { return iOpenDialog::Native(NewObject("OpenDialog", name)); }
iSaveAsDialog* NewSave(const char* name) { return iSaveAsDialog::Native(NewObject("SaveAsDialog", name)); }

Bytes U32(uint32_t v) { return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}; }
Bytes U16(uint16_t v) { return {uint8_t(v), uint8_t(v >> 8)}; }

}  // namespace

TEST(FileDialogProperties, NewObjectsRead) {
  iOpenDialog* fresh = NewOpen("Fresh");
  ASSERT_NE(nullptr, fresh);
  ASSERT_NE(nullptr, NewSave("FreshSave"));
  struct Case {
    const char* expression;
    const char* type;
    const char* value;
  } cases[] = {
      {"Fresh.FileMustExist", "Long", "-1"},
      {"Fresh.PathMustExist", "Long", "-1"},
      {"Fresh.NoChangeDir", "Long", "0"},
      {"Fresh.NoNetworkButton", "Long", "0"},
      {"Fresh.ExtensionDifferent", "Long", "0"},
      {"Fresh.FileName", "String", ""},
      {"Fresh.Filter", "String", ""},
      {"Fresh.FilterIndex", "Long", "0"},
      {"Fresh.InitialDir", "String", ""},
      {"Fresh.DefaultExtension", "String", ""},
      {"Fresh.Title", "String", ""},
      {"FreshSave.PathMustExist", "Long", "-1"},
      {"FreshSave.FileName", "String", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(c.value, BasicValue(c.expression, c.type)) << c.expression;
  EXPECT_EQ(uint32_t(kFdInitialFlags), NewSave("FreshSave2")->Data().Flags);  // the save-as dialog's too
  // The flag the dialog sets when the extension chosen is not the default one.
  fresh->Data().Flags |= kFdExtensionDifferent;
  EXPECT_EQ("-1", BasicValue("Fresh.ExtensionDifferent"));
}

// Each row: statements run on a new "OpenDialog" named D, then an expression and what
// it reads.
TEST(FileDialogProperties, SettersFromBasic) {
  std::string longName(300, 'x');
  struct Case {
    std::string statements;
    std::string expression;
    const char* type;
    std::string value;
  } cases[] = {
      {"D.PathMustExist = False", "D.FileMustExist", "Long", "0"},
      {"D.PathMustExist = False", "D.PathMustExist", "Long", "0"},
      {"D.PathMustExist = False\nD.FileMustExist = True", "D.PathMustExist", "Long", "-1"},
      {"D.PathMustExist = False\nD.FileMustExist = True", "D.FileMustExist", "Long", "-1"},
      {"D.FileMustExist = False", "D.PathMustExist", "Long", "-1"},
      {"D.FileMustExist = False", "D.FileMustExist", "Long", "0"},
      {"D.NoChangeDir = 5", "D.NoChangeDir", "Long", "-1"},  // any nonzero value is true
      {"D.NoChangeDir = True\nD.NoChangeDir = False", "D.NoChangeDir", "Long", "0"},
      {"D.NoNetworkButton = True", "D.NoNetworkButton", "Long", "-1"},
      {"D.FilterIndex = -1", "D.FilterIndex", "Long", "-1"},
      {"D.FilterIndex = 3", "D.FilterIndex", "Long", "3"},
      {"D.FileName = \"" + longName + "\"", "D.FileName", "String", std::string(259, 'x')},
      {"D.FileName = \"a.txt\"\nD.FileName = \"\"", "D.FileName", "String", ""},
      {"D.Filter = \"Text (*.txt)|*.txt|All|*.*\"", "D.Filter", "String", "Text (*.txt)|*.txt|All|*.*"},
      {"D.Filter = \"Text|*.txt|\"", "D.Filter", "String", "Text|*.txt"},
      // Malformed filters leave none; nothing reads past them.
      {"D.Filter = \"Text|*.txt\"\nD.Filter = \"Text\"", "D.Filter", "String", ""},
      {"D.Filter = \"||||\"", "D.Filter", "String", ""},
      {"D.Filter = \"a|b|c\"", "D.Filter", "String", ""},
      {"D.InitialDir = \"C:\\temp\"", "D.InitialDir", "String", "C:\\temp"},
      {"D.DefaultExtension = \"bas\"", "D.DefaultExtension", "String", "bas"},
      {"D.Title = \"Pick one\"", "D.Title", "String", "Pick one"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.statements);
    std::string name = "Set" + std::to_string(++n);
    ASSERT_NE(nullptr, NewOpen(name.c_str()));
    auto named = [&](std::string text) {
      for (size_t at = 0; (at = text.find("D.", at)) != std::string::npos; at += name.size() + 1)
        text.replace(at, 1, name);
      return text;
    };
    BasicOutcome out = RunBasic(named(c.statements));
    ASSERT_TRUE(out.ok) << out.error;
    EXPECT_EQ(c.value, BasicValue(named(c.expression), c.type));
  }
}

TEST(FileDialogProperties, WhichSettersMarkTheObjectChanged) {
  struct Case {
    const char* statement;
    bool marks;
  } cases[] = {
      {"M.Title = \"t\"", true},           {"M.DefaultExtension = \"x\"", true},
      {"M.FileMustExist = False", true},   {"M.FileName = \"f\"", true},
      {"M.Filter = \"A|*.a\"", true},      {"M.FilterIndex = 2", false},
      {"M.InitialDir = \"C:\\\\\"", true}, {"M.NoNetworkButton = True", true},
      {"M.NoChangeDir = True", true},      {"M.PathMustExist = False", true},
  };
  iOpenDialog* d = NewOpen("M");
  ASSERT_NE(nullptr, d);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.statement);
    SaveBytes(*d, TRUE);  // clears the dirty flag
    ASSERT_EQ(S_FALSE, d->IsDirty());
    ASSERT_TRUE(RunBasic(c.statement).ok);
    EXPECT_EQ(c.marks ? S_OK : S_FALSE, d->IsDirty());
  }
  // The read-only property refuses a value.
  EXPECT_FALSE(RunBasic("M.ExtensionDifferent = True").ok);
}

// Title "T", name "a.txt", filter "Text|*.txt", index 2, folder "C:\d", extension "txt".
TEST(FileDialogStream, GoldenBytesOfAnOpenDialog) {
  iOpenDialog* d = NewOpen("Golden");
  ASSERT_NE(nullptr, d);
  ASSERT_TRUE(
      RunBasic("Golden.Title = \"T\"\nGolden.FileName = \"a.txt\"\nGolden.Filter = \"Text|*.txt\"\n"
               "Golden.FilterIndex = 2\nGolden.InitialDir = \"C:\\d\"\nGolden.DefaultExtension = \"txt\"")
          .ok);
  const Bytes golden = Cat({{1, 1},
                            U32(0x1804),
                            Text("a.txt"),
                            Text("Text|*.txt"),
                            U16(2),
                            Text("C:\\d"),
                            Text("txt"),
                            Text("T")});
  EXPECT_EQ(golden, SaveBytes(*d));

  // Read into a new object: the same block again, nothing marked changed.
  iOpenDialog* back = NewOpen("GoldenBack");
  SaveBytes(*back, TRUE);
  LoadBytes(*back, golden);
  EXPECT_EQ(golden, SaveBytes(*back));
  EXPECT_EQ(S_FALSE, back->IsDirty());
  EXPECT_EQ("Text|*.txt", BasicValue("GoldenBack.Filter", "String"));

  // Nothing set: an empty name (the buffer), null strings, the index 0.
  const Bytes empty = Cat(
      {{1, 1}, U32(0x1804), Text(""), Text(nullptr), U16(0), Text(nullptr), Text(nullptr), Text(nullptr)});
  EXPECT_EQ(empty, SaveBytes(*NewOpen("GoldenEmpty")));

  // A negative index keeps its sign through the 16 bits.
  ASSERT_TRUE(RunBasic("Golden.FilterIndex = -1").ok);
  Bytes minus = SaveBytes(*d);
  iOpenDialog* third = NewOpen("GoldenMinus");
  LoadBytes(*third, minus);
  EXPECT_EQ("-1", BasicValue("GoldenMinus.FilterIndex"));
}

// Blocks of a newer revision (of the class or of the base) are refused naming the
// class whose revision it is, before anything is read; revision 0 marks the object
// changed; damaged blocks are refused whole; a file name too long for the buffer and a
// malformed filter are taken as the setters take them.
TEST(FileDialogStream, RevisionsAndBadBlocks) {
  iOpenDialog* d = NewOpen("Keeper");
  ASSERT_TRUE(RunBasic("Keeper.FileName = \"keep.txt\"\nKeeper.Title = \"kept\"").ok);
  const Bytes kept = SaveBytes(*d);
  const Bytes fields = Bytes(kept.begin() + 2, kept.end());
  struct Case {
    const char* what;
    Bytes block;
    const char* refusedAs;  // null: loads
  } cases[] = {
      {"class revision 2", Cat({{2, 1}, fields}), "OpenDialog"},
      {"base revision 2", Cat({{1, 2}, fields}), "CommonDialog"},
      {"cut after the revisions", {1, 1}, "OpenDialog"},
      {"cut in the file name", Cat({{1, 1}, U32(0x1804), U32(40), {'a', 'b'}}), "OpenDialog"},
      {"string length beyond the block", Cat({{1, 1}, U32(0x1804), U32(0x7fffffff)}), "OpenDialog"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      LoadBytes(*d, c.block);
      ADD_FAILURE() << "loaded";
    } catch (const ObjectLoadFailed& e) {
      EXPECT_NE(std::string::npos, std::string(e.what()).find(c.refusedAs)) << e.what();
    }
    EXPECT_EQ(kept, SaveBytes(*d));  // the object keeps what it had
  }

  // Every block cut short is refused whole.
  for (size_t n = 0; n < kept.size(); ++n) {
    SCOPED_TRACE("first " + std::to_string(n) + " bytes");
    try {
      LoadBytes(*d, Bytes(kept.begin(), kept.begin() + n));
      ADD_FAILURE() << "loaded";
    } catch (const ObjectLoadFailed&) {
    }
    EXPECT_EQ(kept, SaveBytes(*d));
  }

  // Revision 0 of either part loads and marks the object changed.
  for (Bytes revisions : {Bytes{0, 1}, Bytes{1, 0}}) {
    SaveBytes(*d, TRUE);
    LoadBytes(*d, Cat({revisions, fields}));
    EXPECT_EQ(S_OK, d->IsDirty());
    EXPECT_EQ(kept, SaveBytes(*d));
  }

  // A 300-character name is cut to 259; a malformed filter leaves none.
  std::string longName(300, 'n');
  LoadBytes(*d, Cat({{1, 1},
                     U32(0x1804),
                     Text(longName.c_str()),
                     Text("one|two|three"),
                     U16(1),
                     Text(nullptr),
                     Text(nullptr),
                     Text(nullptr)}));
  EXPECT_EQ(std::string(259, 'n'), BasicValue("Keeper.FileName", "String"));
  EXPECT_EQ("", BasicValue("Keeper.Filter", "String"));
  EXPECT_EQ("", BasicValue("Keeper.Title", "String"));
}

TEST(FileDialogStream, CommonDialogHoldsNoTitle) {
  InterObjRep* obj = NewObject("CommonDialog", "Base");
  ASSERT_NE(nullptr, obj);
  iCommonDialog* base = iCommonDialog::Native(obj);
  ASSERT_NE(nullptr, base);
  ASSERT_TRUE(RunBasic("Base.Title = \"not stored\"").ok);
  const Bytes block = SaveBytes(*base);
  EXPECT_EQ(Bytes({1}), block);
  iCommonDialog* other = iCommonDialog::Native(NewObject("CommonDialog", "BaseBack"));
  LoadBytes(*other, block);
  EXPECT_EQ(nullptr, other->Title());
  try {
    LoadBytes(*other, {2});
    ADD_FAILURE() << "loaded";
  } catch (const ObjectLoadFailed& e) {
    EXPECT_NE(std::string::npos, std::string(e.what()).find("CommonDialog")) << e.what();
  }
}

TEST(FileDialogClone, CopiesEveryFieldFromTheSameClassOnly) {
  iOpenDialog* from = NewOpen("Source");
  ASSERT_TRUE(
      RunBasic("Source.Title = \"T\"\nSource.FileName = \"a.txt\"\nSource.Filter = \"A|*.a|B|*.b\"\n"
               "Source.FilterIndex = 2\nSource.InitialDir = \"C:\\d\"\nSource.DefaultExtension = \"a\"\n"
               "Source.NoChangeDir = True\nSource.PathMustExist = False")
          .ok);
  iOpenDialog* to = NewOpen("Copy");
  to->clone(*from);
  EXPECT_EQ(SaveBytes(*from), SaveBytes(*to));
  // The copies are the object's own.
  ASSERT_TRUE(RunBasic("Source.Title = \"changed\"\nSource.Filter = \"C|*.c\"").ok);
  EXPECT_EQ("T", BasicValue("Copy.Title", "String"));
  EXPECT_EQ("A|*.a|B|*.b", BasicValue("Copy.Filter", "String"));

  // From another class nothing is copied.
  iSaveAsDialog* other = NewSave("OtherClass");
  ASSERT_TRUE(RunBasic("OtherClass.Title = \"own\"").ok);
  const Bytes before = SaveBytes(*other);
  other->clone(*from);
  EXPECT_EQ(before, SaveBytes(*other));
}

TEST(CommonDialogRun, WithoutAnApplicationAsserts) {
  iOpenDialog* d = NewOpen("Orphan");
  ASSERT_NE(nullptr, d);
  ASSERT_EQ(nullptr, GetApplicationObject());
  testkit::BoxAnswerer boxes;
  SaveBytes(*d, TRUE);
  try {
    d->imExecute();
    ADD_FAILURE() << "ran";
  } catch (const XAssert& e) {
    EXPECT_NE(std::string::npos, std::string(e.what()).find("app")) << e.what();
  }
  EXPECT_TRUE(boxes.Boxes().empty());
  EXPECT_EQ(S_OK, d->IsDirty());
}
