// The stream blocks of "Label" and "TextBox" (golden bytes, round trips through a store
// stream) and their text unload, read back through the text object file reader into
// equal controls.
#include <gtest/gtest.h>

#include <cstdio>

#include "controlkit.h"

namespace {

using namespace controlkit;

std::string Hex(const Bytes& b) {
  std::string s;
  char two[4];
  for (uint8_t c : b) {
    snprintf(two, sizeof two, "%02x", c);
    s += two;
  }
  return s;
}

// A label and a text box with every stored setting away from its default.
void Dress(IWStatic* l, IWEdit* t) {
  l->pdSetCaption("Name:");
  l->pdSetAlignment(IWStatic::kAlignCenter);
  l->pdSetBorderStyle(1);
  l->pdSetCtrl3d(0);
  t->pdSetCaption("Ada");
  t->pdSetMultiLine(-1);
  t->pdSetScrollBars(IWEdit::kScrollVertical);
  t->pdSetReadOnly(-1);
  t->pdSetAlignment(IWStatic::kAlignRight);
  t->pdSetMaxLength(300);
}

TEST(ControlBlocks, GoldenBytes) {
  Published();
  Owned<IWStatic> l(new IWStatic(nullptr));
  Owned<IWEdit> t(new IWEdit(nullptr));
  Dress(l.get(), t.get());
  // Revision bytes of label, control and window, then the window's fields: no form, the
  // caption, flags, id, style (centred, border), extended style, Z order, colours,
  // geometry, font, drag mode, pointer, data source, field.
  const char* label =
      "010101"  // label, control, window
      "00"      // no form
      "06000000"
      "4e616d653a00"  // "Name:"
      "02000000"      // flags: auto-create, no 3-D look
      "00000000"      // id
      "01008254"      // style: child, visible, group, border, centred
      "00000000"      // extended style
      "0000"          // Z order
      "ffffffff"      // background
      "00000000"
      "00000000"
      "00000000"
      "00000000"  // left, top, width, height
      "ffffffff"  // foreground
      "00"
      "02"
      "00"
      "00"
      "01000000"
      "00";  // font, drag mode, pointer, source, field
  const char* box =
      "01010101"
      "00"
      "04000000"
      "41646100"  // "Ada"
      "02200000"  // flags: auto-create, 3-D look
      "00000000"
      "4618a354"  // style: ..., multi-line, read-only, right, vertical bar
      "00000000"
      "0000"
      "ffffffff"
      "00000000"
      "00000000"
      "00000000"
      "00000000"
      "ffffffff"
      "00"
      "02"
      "00"
      "00"
      "01000000"
      "00"
      "2c010000";  // MaxLength 300
  EXPECT_EQ(label, Hex(SaveBlock(*l)));
  EXPECT_EQ(box, Hex(SaveBlock(*t)));
}

TEST(ControlBlocks, RoundTrips) {
  Published();
  Owned<IWStatic> l(new IWStatic(nullptr));
  Owned<IWEdit> t(new IWEdit(nullptr));
  Dress(l.get(), t.get());
  Owned<IWStatic> l2(new IWStatic(nullptr));
  Owned<IWEdit> t2(new IWEdit(nullptr));
  LoadBlock(*l2, SaveBlock(*l));
  LoadBlock(*t2, SaveBlock(*t));
  EXPECT_EQ(SaveBlock(*l), SaveBlock(*l2));
  EXPECT_EQ(SaveBlock(*t), SaveBlock(*t2));
  EXPECT_EQ(IWStatic::kAlignCenter, l2->pdGetAlignment());
  EXPECT_EQ(1, l2->pdGetBorderStyle());
  EXPECT_EQ(0, l2->pdGetCtrl3d());
  EXPECT_EQ("Name:", ValString(l2->pdGetCaption()).str());
  EXPECT_EQ(-1, t2->pdGetMultiLine());
  EXPECT_EQ(IWEdit::kScrollVertical, t2->pdGetScrollBars());
  EXPECT_EQ(-1, t2->pdGetReadOnly());
  EXPECT_EQ(IWStatic::kAlignRight, t2->pdGetAlignment());
  EXPECT_EQ(300, t2->pdGetMaxLength());
}

std::string Unload(const std::string& path) {
  BasicOutcome out = BasicRunner::CompileAndRun(
      "Function F() As String\n  Dim s As String\n  Dim r As Integer\n  r = " + path +
          ".TextUnload(\"    \", s)\n  F = r & \"|\" & s\nEnd Function\n",
      "F");
  EXPECT_TRUE(out.ok) << out.error;
  EXPECT_EQ(0u, out.result.find("-1|")) << out.result;
  return out.result.size() > 3 ? out.result.substr(3) : "";
}

// The lines in the order given, each once.
void ExpectInOrder(const std::string& text, std::initializer_list<const char*> lines) {
  size_t at = 0;
  for (const char* line : lines) {
    size_t found = text.find(line, at);
    EXPECT_NE(std::string::npos, found) << line << " in\n" << text;
    if (found != std::string::npos) at = found + 1;
  }
}

TEST(ControlText, UnloadReadsBackIntoEqualControls) {
  Published();
  ASSERT_TRUE(
      ReadObjects("Type TextFrom From Form\n  Type L From Label\n  End Type\n  Type T From TextBox\n  End "
                  "Type\nEnd Type\n"));
  IWForm* from = IWForm::Native(ObjectStore::find("TextFrom"));
  ASSERT_NE(nullptr, from);
  IWStatic* l = Embedded<IWStatic>(from, "L");
  IWEdit* t = Embedded<IWEdit>(from, "T");
  Dress(l, t);
  l->pdSetMousePointer(kPointerCrosshair);
  t->pdSetDragMode(9);
  std::string lt = Unload("TextFrom.L"), tt = Unload("TextFrom.T");
  ExpectInOrder(lt, {"    .MousePointer = \"Crosshair\""});
  ExpectInOrder(tt, {"    .DragMode = \"LeftMouse+Control\""});
  ExpectInOrder(lt, {"    .Caption = \"Name:\"", ".Visible", ".TabStop", ".TabGroup",
                     "    .BorderStyle = \"Fixed Single\"", "    .Alignment = \"Center\"",
                     "    .WordWrap = True", "    .Ctrl3d = False"});
  ExpectInOrder(tt, {"    .Caption = \"Ada\"", ".TabGroup", "    .BorderStyle = \"Fixed Single\"",
                     "    .Alignment = \"Right\"", "    .Ctrl3d = True", "    .MaxLength = 300",
                     "    .MultiLine = True", "    .ReadOnly = True", "    .ScrollBars = \"Vertical\""});
  std::string error;
  ASSERT_TRUE(
      ReadObjects("Type TextTo From Form\n  Type L From Label\n  End Type\n  Type T From TextBox\n"
                  "  End Type\nEnd Type\n",
                  &error))
      << error;
  // The whole text of each, the window base's lines (MousePointer, DragMode) included.
  RunBasic("With TextTo.L\n" + lt + "End With\nWith TextTo.T\n" + tt + "End With");
  IWForm* to = IWForm::Native(ObjectStore::find("TextTo"));
  ASSERT_NE(nullptr, to);
  IWStatic* l2 = Embedded<IWStatic>(to, "L");
  IWEdit* t2 = Embedded<IWEdit>(to, "T");
  EXPECT_EQ(lt, Unload("TextTo.L"));
  EXPECT_EQ(tt, Unload("TextTo.T"));
  EXPECT_EQ(IWStatic::kAlignCenter, l2->pdGetAlignment());
  EXPECT_EQ(0, l2->pdGetCtrl3d());
  EXPECT_EQ(300, t2->pdGetMaxLength());
  EXPECT_EQ(IWEdit::kScrollVertical, t2->pdGetScrollBars());
  EXPECT_EQ(kPointerCrosshair, l2->pdGetMousePointer());
  EXPECT_EQ(9, t2->pdGetDragMode());
  EXPECT_EQ(l->Attr.Style, l2->Attr.Style);
  EXPECT_EQ(t->Attr.Style, t2->Attr.Style);
}

}  // namespace
