// "GLControl" on forms on the X display with the real OpenGL renderer: the window class,
// the pixel format and context, pixels read back, Paint and Resize, the palette tables,
// the failure paths and damaged blocks. Making a context is slow under the X server, so
// every case lives in this one program.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include "controlkit.h"
#include "guiobjects2/iwglcontrol.h"

namespace {

using namespace controlkit;

std::vector<std::string> g_boxes;
int WINAPI NoFormat(HDC, const PIXELFORMATDESCRIPTOR*) { return 0; }
int RecordBox(const char* text, const char* caption, unsigned) {
  g_boxes.push_back(std::string(text) + "|" + caption);
  return IDOK;
}

// The pixel at (x, y) of the current context's back buffer, as 0xRRGGBB.
uint32_t BackPixel(int x, int y) {
  unsigned char px[4] = {};
  glReadBuffer(GL_BACK);
  glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
  return (uint32_t)px[0] << 16 | (uint32_t)px[1] << 8 | px[2];
}

TEST(GLControl, IsPublishedUnderControlWithHandlesAndEvents) {
  Published();
  InterObjRep* proto = ObjectStore::find("GLControl");
  ASSERT_NE(nullptr, proto);
  EXPECT_STREQ("Orvanel.GLControl", proto->progId());
  EXPECT_EQ(ObjectStore::find("Control"), proto->parent());
  for (const char* f : {"hDC", "hRC", "WglMakeCurrent", "TextUnload"})
    EXPECT_NE(nullptr, proto->findField(f)) << f;
  for (const char* e : {"Resize", "Paint", "GotFocus", "LostFocus", "KeyDown", "KeyUp", "KeyPress"})
    EXPECT_NE(nullptr, proto->findEventDef(e)) << e;
  EXPECT_EQ(nullptr, proto->findEventDef("Click"));
  EXPECT_TRUE(IWGlControl::GlAvailable());
}

// The window, its format and context, and a clear colour and triangle read back.
TEST(GLControl, DrawsWithItsOwnContextAndFormat) {
  IWForm* f = FormWith("GlBox", "GLControl", "G", {"Paint", "Resize"});
  ASSERT_NE(nullptr, f);
  f->imShow();
  IWGlControl* g = Embedded<IWGlControl>(f, "G");
  ASSERT_NE(nullptr, g->HWindow);
  g->imMove(0, 0, 1500, 1500);
  char cls[32] = "";
  GetClassNameA(g->HWindow, cls, sizeof cls);
  EXPECT_STREQ("OrvanelGLControl", cls);
  EXPECT_TRUE(GetClassLongA(g->HWindow, GCL_STYLE) & CS_OWNDC);
  EXPECT_EQ((uint32_t)(WS_CLIPCHILDREN | WS_CLIPSIBLINGS), StyleOf(g) & (WS_CLIPCHILDREN | WS_CLIPSIBLINGS));

  // The owned DC: the same handle every time, and the value Basic reads goes back whole.
  HDC dc = GetDC(g->HWindow);
  long first = std::stol(RunBasicValue("GlBox.G.hDC"));
  long second = std::stol(RunBasicValue("GlBox.G.hDC"));
  EXPECT_EQ(first, second);
  EXPECT_EQ(dc, IWGlControl::LongAsHandle<HDC>(first));
  ReleaseDC(g->HWindow, dc);

  int format = GetPixelFormat(dc);
  ASSERT_NE(0, format);
  PIXELFORMATDESCRIPTOR pfd;
  ASSERT_NE(0, DescribePixelFormat(dc, format, sizeof pfd, &pfd));
  EXPECT_EQ((DWORD)0x25, pfd.dwFlags & 0x25);
  EXPECT_EQ(nullptr, g->Palette()) << "no palette on a true-colour display";

  ASSERT_NE(nullptr, g->Context());
  EXPECT_EQ(g->Context(), IWGlControl::LongAsHandle<HGLRC>(std::stol(RunBasicValue("GlBox.G.hRC"))));
  AppPump();
  wglMakeCurrent(nullptr, nullptr);
  RunBasic("GlBox.G.WglMakeCurrent");
  EXPECT_EQ(g->Context(), wglGetCurrentContext());
  EXPECT_EQ(dc, wglGetCurrentDC());
  RECT r;
  GetClientRect(g->HWindow, &r);
  const char* renderer = (const char*)glGetString(GL_RENDERER);
  ASSERT_NE(nullptr, renderer);
  std::printf("renderer: %s, version %s, format %d flags %#lx\n", renderer,
              (const char*)glGetString(GL_VERSION), format, (unsigned long)pfd.dwFlags);

  // Paint makes the context current again after another one took over.
  wglMakeCurrent(nullptr, nullptr);
  ClearLog(f);
  InvalidateRect(g->HWindow, nullptr, FALSE);
  UpdateWindow(g->HWindow);
  EXPECT_NE(std::string::npos, Events(f).find("Paint,")) << Events(f);
  EXPECT_EQ(g->Context(), wglGetCurrentContext());

  ClearLog(f);
  SetWindowPos(g->HWindow, nullptr, 0, 0, r.right + 20, r.bottom + 10, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_NE(std::string::npos, Events(f).find("Resize,")) << Events(f);

  // A palette notification of the control's own making changes nothing; none makes a
  // palette on this display either.
  SendMessageA(g->HWindow, WM_PALETTECHANGED, (WPARAM)g->HWindow, 0);
  SendMessageA(g->HWindow, WM_PALETTECHANGED, (WPARAM)f->HWindow, 0);
  EXPECT_EQ(0, SendMessageA(g->HWindow, WM_QUERYNEWPALETTE, 0, 0));
  EXPECT_EQ(nullptr, g->Palette());

  // Unloading leaves no current context behind.
  RunBasic("GlBox.G.WglMakeCurrent");
  f->imUnload();
  EXPECT_EQ(nullptr, wglGetCurrentContext());
}

// A control sized before its window exists (as one read from a form file): a clear colour
// and a triangle drawn into it are read back from its buffers.
TEST(GLControl, ClearsAndDrawsATriangleReadBack) {
  IWForm* f = FormWith("GlDraw", "Label", "L", {});
  ASSERT_NE(nullptr, f);
  f->imShow();
  Owned<IWGlControl> g(new IWGlControl(nullptr));
  g->SetParent(f);
  g->Attr.X = g->Attr.Y = 0;
  g->Attr.W = g->Attr.H = 100;
  ASSERT_TRUE(g->Create());
  ASSERT_NE(nullptr, g->Context());
  HDC dc = GetDC(g->HWindow);
  g->imWglMakeCurrent();
  EXPECT_EQ(g->Context(), wglGetCurrentContext());
  RECT r;
  GetClientRect(g->HWindow, &r);
  ASSERT_EQ(100, r.right);
  glViewport(0, 0, r.right, r.bottom);
  glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glColor3f(1.0f, 0.0f, 0.0f);
  glBegin(GL_TRIANGLES);
  glVertex2f(-0.5f, -0.5f);
  glVertex2f(0.5f, -0.5f);
  glVertex2f(0.0f, 0.5f);
  glEnd();
  glFinish();
  EXPECT_EQ((GLenum)GL_NO_ERROR, glGetError());
  EXPECT_EQ(0x0000FFu, BackPixel(1, 1));
  EXPECT_EQ(0x0000FFu, BackPixel(98, 98));
  EXPECT_EQ(0xFF0000u, BackPixel(50, 40));
  EXPECT_TRUE(SwapBuffers(dc));
  ReleaseDC(g->HWindow, dc);
  g->Destroy();
  EXPECT_EQ(nullptr, wglGetCurrentContext());
  EXPECT_EQ(nullptr, g->Context());
  f->imUnload();
}

const char kGlDeclares[] =
    "  Declare Sub glClearColor Lib \"opengl32\" (ByVal r As Single, ByVal g As Single, ByVal b As Single, "
    "ByVal a As Single)\n"
    "  Declare Sub glClear Lib \"opengl32\" (ByVal mask As Long)\n"
    "  Declare Sub glBegin Lib \"opengl32\" (ByVal mode As Long)\n"
    "  Declare Sub glVertex2f Lib \"opengl32\" (ByVal x As Single, ByVal y As Single)\n"
    "  Declare Sub glEnd Lib \"opengl32\" ()\n"
    "  Declare Sub glFinish Lib \"opengl32\" ()\n"
    "  Declare Function SwapBuffers Lib \"gdi32\" (ByVal dc As Long) As Long\n";

// Basic draws through declared OpenGL functions in its Paint handler; the clear colour is
// read back from the control's buffer. A window resized after its context was made keeps
// a drawable of its first size here, so only the corner pixel is read, which the small
// triangle in the upper right does not cover.
TEST(GLControl, BasicDrawsThroughDeclaredFunctionsOnPaint) {
  Published();
  IWForm* f = FormWith("GlBasic", "GLControl", "G", {},
                       std::string(kGlDeclares) +
                           "  Sub G_Paint()\n"
                           "    glClearColor 0, 1, 0, 1\n"
                           "    glClear &H4000\n"
                           "    glBegin 4\n    glVertex2f 0.5, 0.5\n    glVertex2f 0.9, 0.5\n"
                           "    glVertex2f 0.7, 0.9\n    glEnd\n    glFinish\n"
                           "    Events = Events & \"Drawn,\"\n"
                           "  End Sub\n");
  ASSERT_NE(nullptr, f);
  f->imShow();
  IWGlControl* g = Embedded<IWGlControl>(f, "G");
  ASSERT_NE(nullptr, g->Context());
  g->imMove(0, 0, 1500, 1500);
  ClearLog(f);
  InvalidateRect(g->HWindow, nullptr, FALSE);
  UpdateWindow(g->HWindow);
  EXPECT_EQ("Drawn,", Events(f));
  EXPECT_EQ(g->Context(), wglGetCurrentContext());
  EXPECT_EQ(0x00FF00u, BackPixel(0, 0));
  f->imUnload();
}

TEST(GLControl, ComponentFromIndexFollowsItsBitTables) {
  struct Case {
    unsigned index, bits, shift;
    uint8_t value;
  } cases[] = {
      {0, 1, 0, 0},     {1, 1, 0, 255},  {2, 1, 1, 255},    {3, 2, 0, 255},    {2, 2, 0, 170},
      {1, 2, 0, 85},    {5, 3, 0, 182},  {0x38, 3, 3, 255}, {0x18, 3, 3, 109}, {0xC0, 2, 6, 255},
      {0x40, 2, 6, 85}, {0xFF, 4, 0, 0}, {0xFF, 0, 0, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.value, IWGlControl::ComponentFromIndex(c.index, c.bits, c.shift))
        << c.index << " " << c.bits << " " << c.shift;
}

// The 3-3-2 palette: the ramps, and the twelve system colours at their indices.
TEST(GLControl, TheThreeThreeTwoPaletteKeepsTheSystemColours) {
  PIXELFORMATDESCRIPTOR pfd = {};
  pfd.cColorBits = 8;
  pfd.cRedBits = 3, pfd.cRedShift = 0, pfd.cGreenBits = 3, pfd.cGreenShift = 3;
  pfd.cBlueBits = 2, pfd.cBlueShift = 6;
  PALETTEENTRY e[256];
  IWGlControl::PaletteEntries(pfd, e, 256);
  struct Want {
    unsigned index;
    uint8_t r, g, b;
  } wants[] = {
      {0, 0, 0, 0},         {255, 255, 255, 255}, {7, 255, 0, 0},       {0x38, 0, 255, 0},
      {0xC0, 0, 0, 255},    {3, 128, 0, 0},       {24, 0, 128, 0},      {27, 128, 128, 0},
      {64, 0, 0, 128},      {67, 128, 0, 128},    {88, 0, 128, 128},    {173, 192, 192, 192},
      {181, 192, 220, 192}, {236, 166, 202, 240}, {247, 255, 251, 240}, {164, 160, 160, 164},
      {91, 128, 128, 128},  {2, 73, 0, 0},
  };
  for (const Want& w : wants) {
    EXPECT_EQ(w.r, e[w.index].peRed) << w.index;
    EXPECT_EQ(w.g, e[w.index].peGreen) << w.index;
    EXPECT_EQ(w.b, e[w.index].peBlue) << w.index;
    EXPECT_EQ(0, e[w.index].peFlags) << w.index;
  }
  // Another layout keeps the plain ramps.
  pfd.cRedShift = 5, pfd.cBlueShift = 0;
  IWGlControl::PaletteEntries(pfd, e, 256);
  EXPECT_EQ(0, e[3].peRed);
  EXPECT_EQ(255, e[3].peBlue);
}

// Calls WglMakeCurrent on control name and answers whether it failed with the text.
bool FailsNotInitialized(const std::string& name) {
  size_t before = App().reports.size();
  BasicOutcome out = BasicRunner::CompileAndRun("Sub S()\n" + name + ".WglMakeCurrent\nEnd Sub\n", "S");
  bool reported = false;
  for (size_t i = before; i < App().reports.size(); i++)
    reported |= App().reports[i].find(IWGlControl::kNotInitialized) != std::string::npos;
  return reported || (!out.ok && out.error.find(IWGlControl::kNotInitialized) != std::string::npos);
}

// No pixel format: the box through the application's box operation, no context, and a
// control that works as a plain window.
TEST(GLControl, NoPixelFormatShowsTheBoxAndMakesNoContext) {
  Published();
  g_boxes.clear();
  StoreApplication::MessageBoxHook was = StoreApplication::SetMessageBoxHook(&RecordBox);
  IWGlControl::SetChooseFormat(&NoFormat);
  IWForm* f = FormWith("GlNoFormat", "GLControl", "G", {"Paint"});
  ASSERT_NE(nullptr, f);
  f->imShow();
  IWGlControl::SetChooseFormat(nullptr);
  StoreApplication::SetMessageBoxHook(was);
  IWGlControl* g = Embedded<IWGlControl>(f, "G");
  ASSERT_NE(nullptr, g->HWindow);
  g->imMove(0, 0, 1500, 1500);
  ASSERT_EQ(1u, g_boxes.size());
  EXPECT_EQ("ChoosePixelFormat failed|Error", g_boxes[0]);
  EXPECT_EQ(nullptr, g->Context());
  EXPECT_EQ("0", RunBasicValue("GlNoFormat.G.hRC"));
  EXPECT_NE("0", RunBasicValue("GlNoFormat.G.hDC"));
  EXPECT_TRUE(FailsNotInitialized("GlNoFormat.G"));
  ClearLog(f);
  InvalidateRect(g->HWindow, nullptr, FALSE);
  UpdateWindow(g->HWindow);
  EXPECT_NE(std::string::npos, Events(f).find("Paint,")) << Events(f);
  f->imUnload();
}

TEST(GLControl, ADamagedOrNewerBlockFailsNamingGLControl) {
  Published();
  Owned<IWGlControl> good(new IWGlControl(nullptr));
  Bytes block = SaveBlock(*good);
  ASSERT_GT(block.size(), 4u);
  for (size_t at : {0, 1, 2}) EXPECT_EQ(1, block[at]) << at;
  for (size_t at : {0, 1, 2}) {
    Bytes newer = block;
    newer[at] = 2;
    Owned<IWGlControl> g(new IWGlControl(nullptr));
    try {
      LoadBlock(*g, newer);
      ADD_FAILURE() << "loaded a newer revision at " << at;
    } catch (const ObjectLoadFailed& e) {
      EXPECT_NE(std::string::npos, std::string(e.what()).find("'GLControl'")) << e.what();
    }
  }
  Bytes cut(block.begin(), block.begin() + block.size() / 2);
  Owned<IWGlControl> c(new IWGlControl(nullptr));
  EXPECT_THROW(LoadBlock(*c, cut), ObjectLoadFailed);
  Owned<IWGlControl> copy(new IWGlControl(nullptr));
  LoadBlock(*copy, block);
  EXPECT_EQ(block, SaveBlock(*copy));
}

// Last: without opengl32 the control is a plain window and says so to Basic.
TEST(GLControl, WithoutTheLibraryTheControlHasNoContext) {
  Published();
  ASSERT_FALSE(IWGlControl::LoadGl("orvanel_no_such_opengl32.dll"));
  EXPECT_FALSE(IWGlControl::GlAvailable());
  IWForm* f = FormWith("GlNoLibrary", "GLControl", "G", {});
  ASSERT_NE(nullptr, f);
  f->imShow();
  IWGlControl* g = Embedded<IWGlControl>(f, "G");
  ASSERT_NE(nullptr, g->HWindow);
  EXPECT_EQ(nullptr, g->Context());
  EXPECT_EQ("0", RunBasicValue("GlNoLibrary.G.hRC"));
  EXPECT_TRUE(FailsNotInitialized("GlNoLibrary.G"));
  f->imUnload();
  EXPECT_TRUE(IWGlControl::LoadGl("opengl32.dll"));
}

}  // namespace
