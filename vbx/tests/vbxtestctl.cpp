// "OVTEST.VBX": a control file for the library's tests. One class, "Meter", with a property
// of every type (an array, an enumeration of 300 values, a basic string, a read-only text),
// events of every argument type, and all four methods. It paints its background in
// BackColor and a bar of Value / Max of its width in ForeColor, so a test can check the
// drawing by pixels. Private messages let a test make it fire its events.
#include "vbx/vbxfile.h"

#include <cstdio>
#include <cstring>

#include "vbxtestctl.h"

namespace {

const VbxServices* g_services = nullptr;

const char* const kStyles[] = {"Bar", "Frame", "Empty"};
const char* const kPointers[] = {"Default", "Arrow", "Cross", "IBeam", "Wait"};
char g_levelText[kMeterLevels][16];
const char* g_levels[kMeterLevels];

const VbxPropDesc kProps[] = {
    {"CtlName", VBXT_STRING, 0, 0, 0, nullptr, 0, 0, nullptr},
    {"Caption", VBXT_STRING, 0, 0, 0, nullptr, 0, 0, "Meter"},
    {"Value", VBXT_SHORT, 0, 0, 0, nullptr, 0, 0, nullptr},
    {"Max", VBXT_LONG, 0, 0, 0, nullptr, 100, 0, nullptr},
    {"Enabled", VBXT_BOOL, 0, 0, 0, nullptr, -1, 0, nullptr},
    {"Visible", VBXT_BOOL, 0, 0, 0, nullptr, -1, 0, nullptr},
    {"BackColor", VBXT_COLOR, 0, 0, 0, nullptr, 0x00FFFFFF, 0, nullptr},
    {"ForeColor", VBXT_COLOR, 0, 0, 0, nullptr, 0x000000FF, 0, nullptr},
    {"Style", VBXT_ENUM, 0, 0, 3, kStyles, 0, 0, nullptr},
    {"Level", VBXT_ENUM, 0, 0, kMeterLevels, g_levels, 0, 0, nullptr},
    {"MousePointer", VBXT_ENUM, 0, 0, 5, kPointers, 0, 0, nullptr},
    {"Ratio", VBXT_REAL, 0, 0, 0, nullptr, 0, 0.5f, nullptr},
    {"Left", VBXT_XPOS, 0, 0, 0, nullptr, 0, 0, nullptr},
    {"Top", VBXT_YPOS, 0, 0, 0, nullptr, 0, 0, nullptr},
    {"Width", VBXT_XSIZE, 0, 0, 0, nullptr, 0, 0, nullptr},
    {"Height", VBXT_YSIZE, 0, 0, 0, nullptr, 0, 0, nullptr},
    {"Picture", VBXT_PICTURE, 0, 0, 0, nullptr, 0, 0, nullptr},
    {"Text", VBXT_BSTRING, 0, 0, 0, nullptr, 0, 0, "hello"},
    {"Marks", VBXT_SHORT, VBXPF_ARRAY, kMeterMarkCount, 0, nullptr, 0, 0, nullptr},
    {"Version", VBXT_STRING, VBXPF_READONLY, 0, 0, nullptr, 0, 0, "1.0"},
};
static_assert(sizeof kProps / sizeof kProps[0] == kMeterPropCount, "property count");

const int32_t kNoArgs[] = {0};
const int32_t kMouseArgs[] = {VBXA_SHORT, VBXA_SHORT, VBXA_SHORT, VBXA_SHORT};
const int32_t kChangeArgs[] = {VBXA_SHORT, VBXA_LONG, VBXA_FLOAT};
const int32_t kMessageArgs[] = {VBXA_BSTRING};
const int32_t kPreciseArgs[] = {VBXA_DOUBLE};
const int32_t kLabelArgs[] = {VBXA_CSTRING};

const VbxEventDesc kEvents[] = {
    {"Click", "", 0, kNoArgs},
    {"DblClick", "", 0, kNoArgs},
    {"MouseDown", "Button As Integer, Shift As Integer, X As Single, Y As Single", 4, kMouseArgs},
    {"MouseUp", "Button As Integer, Shift As Integer, X As Single, Y As Single", 4, kMouseArgs},
    {"Change", "Value As Integer, Total As Long, Ratio As Single", 3, kChangeArgs},
    {"Message", "Text As String", 1, kMessageArgs},
    {"Precise", "Amount As Double", 1, kPreciseArgs},
    {"Label", "Text As String", 1, kLabelArgs},
};
static_assert(sizeof kEvents / sizeof kEvents[0] == kMeterEventCount, "event count");

template <class T>
T Prop(HCTL hctl, int index) {
  T value = 0;
  g_services->getProp(hctl, index, &value);
  return value;
}

void Paint(HWND w) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(w, &ps);
  HCTL hctl = g_services->fromHwnd(w);
  RECT r;
  GetClientRect(w, &r);
  HBRUSH back = CreateSolidBrush(COLORREF(Prop<int32_t>(hctl, kMeterBackColor)));
  FillRect(dc, &r, back);
  DeleteObject(back);
  int32_t max = Prop<int32_t>(hctl, kMeterMax);
  int16_t value = Prop<int16_t>(hctl, kMeterValue);
  int16_t style = Prop<int16_t>(hctl, kMeterStyle);
  HBRUSH fore = CreateSolidBrush(COLORREF(Prop<int32_t>(hctl, kMeterForeColor)));
  if (style == 0 && max > 0 && value > 0) {
    RECT bar = r;
    bar.right = r.left + MulDiv(r.right - r.left, value < max ? value : max, max);
    FillRect(dc, &bar, fore);
  } else if (style == 1) {
    FrameRect(dc, &r, fore);
  }
  DeleteObject(fore);
  EndPaint(w, &ps);
}

LRESULT Fire(HWND w, const char* name, int count, void* const* args) {
  return g_services->fireEventByName(g_services->fromHwnd(w), name, count, args);
}

LRESULT CALLBACK MeterProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint(w);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case VBXN_PROPCHANGED:
    case VBXN_ITEMSCHANGED:
      InvalidateRect(w, nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: {
      int16_t button = 1, shift = int16_t((wParam & MK_SHIFT) ? 1 : 0);
      int16_t x = int16_t(LOWORD(lParam)), y = int16_t(HIWORD(lParam));
      void* args[] = {&button, &shift, &x, &y};
      LRESULT r = Fire(w, message == WM_LBUTTONDOWN ? "MouseDown" : "MouseUp", 4, args);
      if (message == WM_LBUTTONUP) r = Fire(w, "Click", 0, nullptr);
      return r;
    }
    case WM_LBUTTONDBLCLK:
      return Fire(w, "DblClick", 0, nullptr);
    case kMeterFireMessage: {
      const char* text = reinterpret_cast<const char*>(lParam);
      HLSTR h = g_services->createBasicString(text, int(strlen(text)));
      void* args[] = {&h};
      LRESULT r = Fire(w, "Message", 1, args);
      g_services->destroyBasicString(h);
      return r;
    }
    case kMeterFireChange: {
      HCTL hctl = g_services->fromHwnd(w);
      int16_t value = Prop<int16_t>(hctl, kMeterValue);
      int32_t total = Prop<int32_t>(hctl, kMeterMax);
      float ratio = Prop<float>(hctl, kMeterRatio);
      void* args[] = {&value, &total, &ratio};
      return Fire(w, "Change", 3, args);
    }
    case kMeterFirePrecise: {
      double amount = double(lParam) / 4;
      void* args[] = {&amount};
      return Fire(w, "Precise", 1, args);
    }
    case kMeterFireLabel: {
      const char* text = reinterpret_cast<const char*>(lParam);
      void* args[] = {&text};
      return Fire(w, "Label", 1, args);
    }
  }
  return DefWindowProcA(w, message, wParam, lParam);
}

const VbxClassDesc kClasses[] = {
    {"Meter", kMeterPropCount, kProps, kMeterEventCount, kEvents, VBXM_ALL, MeterProc},
};

const VbxFileDesc kFile = {VBXFILE_MAGIC, VBXFILE_VERSION, 1, kClasses};

}  // namespace

extern "C" __declspec(dllexport) const VbxFileDesc* VBXAPI VbxDescribe(const VbxServices* services) {
  if (!services || services->cbSize < sizeof(VbxServices)) return nullptr;
  g_services = services;
  for (int i = 0; i < kMeterLevels; ++i) {
    snprintf(g_levelText[i], sizeof g_levelText[i], "Level %d", i);
    g_levels[i] = g_levelText[i];
  }
  return &kFile;
}
