// Class registration, window creation and destruction.
#include "edwindow.h"

#include "edlines.h"
#include "edmem.h"
#include "edoptions.h"
#include "edrecord.h"
#include "edstate.h"
#include "edundo.h"
#include "edview.h"
#include "editor/korvoedit.h"

int WINAPI KorvoEditorVersion(void) { return 1; }

int WINAPI InitEditor(HINSTANCE instance) {
  WNDCLASSA wc = {};
  wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_GLOBALCLASS;
  wc.lpfnWndProc = EditorWndProc;
  wc.cbWndExtra = sizeof(EditorRecord*);
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_IBEAM);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = KORVOEDIT_CLASS;
  if (!RegisterClassA(&wc)) return 0;
  g_instance = instance;
  ed_default_word_delimiters();
  g_pickBuffer = static_cast<EditorRecord*>(ed_alloc(sizeof(EditorRecord)));
  g_dbcsEnabled = GetSystemMetrics(SM_DBCSENABLED);
  g_initialised = 1;
  return 1;
}

void ed_shutdown() {
  if (!g_initialised) return;
  UnregisterClassA(KORVOEDIT_CLASS, g_instance);
  if (g_pickBuffer) ed_free_list(g_pickBuffer, g_pickBuffer->firstLine);
  ed_free(g_pickBuffer);
  g_pickBuffer = nullptr;
  g_initialised = 0;
}

namespace {

const char* creation_file_name(const CREATESTRUCTA* create) {
  const char* name = static_cast<const char*>(create->lpCreateParams);
  if (GetPrivateProfileIntA(ED_SETTINGS_SECTION, "IgnoreCreateParams", 0, ED_SETTINGS_FILE))
    name = nullptr;
  return name && *name ? name : "Untitled";
}

EditorRecord* make_record() {
  EditorRecord* rec = static_cast<EditorRecord*>(ed_alloc(sizeof(EditorRecord)));
  if (!rec) return nullptr;
  rec->id = ++g_recordCounter;
  rec->nextRecord = g_records;
  g_records = rec;
  rec->markLow = ED_NO_MARK_LOW;
  rec->undo = ed_undo_create();
  ed_read_settings(rec);
  return rec;
}

void make_view(EditorRecord* rec) {
  ViewRecord* view = static_cast<ViewRecord*>(ed_alloc(sizeof(ViewRecord)));
  rec->view = view;
  if (!view) return;
  view->marginLeft = rec->options.LeftOffset;
  view->marginTop = rec->options.TopOffset;
  view->marginRight = rec->options.RightOffset;
  view->marginBottom = rec->options.BottomOffset;
  view->firstLine = rec->firstLine;
  view->firstNumber = 1;
  view->editor = rec;
}

void set_colours(EditorRecord* rec) {
  rec->textColour = GetSysColor(COLOR_WINDOWTEXT);
  rec->windowColour = GetSysColor(COLOR_WINDOW);
  rec->selectedTextColour = GetSysColor(COLOR_HIGHLIGHTTEXT);
  rec->selectionColour = GetSysColor(COLOR_HIGHLIGHT);
  rec->windowBrush = CreateSolidBrush(rec->windowColour);
  rec->selectionBrush = CreateSolidBrush(rec->selectionColour);
}

}  // namespace

LRESULT ed_create_window(HWND wnd, const CREATESTRUCTA* create) {
  g_creatingWindow = wnd;
  const char* name = creation_file_name(create);
  EditorRecord* rec = make_record();
  if (!rec) {
    g_creatingWindow = nullptr;
    return 0;
  }
  LONG style = create->style;
  if (style & ES_KE_OWNERDRAWN) {
    rec->state |= ST_OWNER_DRAWN;
    rec->options.OwnerDrawn |= 1;
  }
  if (style & ES_KE_FORMATTED) rec->state |= ST_FORMATTED;
  // Until files can be loaded, every window starts as one empty line.
  ed_ensure_line(rec);
  rec->fileName = ed_strdup(name);
  rec->lineNumber = 1;
  ++rec->positionChanges;

  rec->wnd = wnd;
  SetWindowLongPtrA(wnd, 0, reinterpret_cast<LONG_PTR>(rec));
  make_view(rec);
  rec->lineHeight = 14;
  set_colours(rec);
  ed_measure_font(rec);
  ed_layout(rec);
  ed_build_tab_stops(rec);
  rec->classCursor = reinterpret_cast<HCURSOR>(GetClassLongPtrA(wnd, GCLP_HCURSOR));

  if (style & ES_KE_READONLY) rec->state |= ST_READ_ONLY;
  if ((style & ES_KE_OWNERDRAWN) && g_pickBuffer) g_pickBuffer->state |= ST_OWNER_DRAWN;
  if (style & WS_VSCROLL) rec->options.ScrollBars |= 1;
  if (style & WS_HSCROLL) rec->options.ScrollBars |= 2;
  g_creatingWindow = nullptr;
  return 1;
}

void ed_destroy_window(HWND wnd) {
  EditorRecord* rec = ed_record(wnd);
  if (!rec) return;
  for (EditorRecord** link = &g_records; *link; link = &(*link)->nextRecord) {
    if ((*link)->id == rec->id) {
      *link = rec->nextRecord;
      break;
    }
  }
  ed_free_list(rec, rec->firstLine);
  ed_undo_free(rec->undo);
  if (rec->windowBrush) DeleteObject(rec->windowBrush);
  if (rec->selectionBrush) DeleteObject(rec->selectionBrush);
  ed_free(rec->view);
  ed_free(rec->fileName);
  ed_free(rec);
  SetWindowLongPtrA(wnd, 0, 0);
}
