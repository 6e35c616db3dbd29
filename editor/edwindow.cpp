// Class registration, window creation and destruction.
#include "edwindow.h"

#include "edcaret.h"
#include "edfile.h"
#include "edfont.h"
#include "edformat.h"
#include "edkeys.h"
#include "edlines.h"
#include "edmem.h"
#include "edownerdraw.h"
#include "edoptions.h"
#include "edrecord.h"
#include "edstate.h"
#include "edundo.h"
#include "edview.h"
#include "editor/korvoedit.h"

using namespace ked;

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
  default_word_delimiters();
  g_pickBuffer = static_cast<EditorRecord*>(alloc_zeroed(sizeof(EditorRecord)));
  g_dbcsEnabled = GetSystemMetrics(SM_DBCSENABLED);
  g_initialised = 1;
  return 1;
}

namespace ked {

void shutdown_library() {
  if (!g_initialised) return;
  UnregisterClassA(KORVOEDIT_CLASS, g_instance);
  if (g_pickBuffer) free_list(g_pickBuffer, g_pickBuffer->firstLine);
  free_block(g_pickBuffer);
  g_pickBuffer = nullptr;
  macro_forget();
  g_initialised = 0;
}

namespace {

const char* creation_file_name(const CREATESTRUCTA* create) {
  const char* name = static_cast<const char*>(create->lpCreateParams);
  if (GetPrivateProfileIntA(kSettingsSection, "IgnoreCreateParams", 0, kSettingsFile)) name = nullptr;
  return name && *name ? name : "Untitled";
}

EditorRecord* make_record() {
  EditorRecord* rec = static_cast<EditorRecord*>(alloc_zeroed(sizeof(EditorRecord)));
  if (!rec) return nullptr;
  rec->id = ++g_recordCounter;
  rec->nextRecord = g_records;
  g_records = rec;
  rec->markLow = kNoMarkLow;
  rec->undo = undo_create();
  read_settings(rec);
  return rec;
}

void make_view(EditorRecord* rec) {
  ViewRecord* view = static_cast<ViewRecord*>(alloc_zeroed(sizeof(ViewRecord)));
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

LRESULT create_window(HWND wnd, const CREATESTRUCTA* create) {
  g_creatingWindow = wnd;
  const char* name = creation_file_name(create);
  EditorRecord* rec = make_record();
  if (!rec) {
    g_creatingWindow = nullptr;
    return 0;
  }
  rec->caret.flags = CARET_ABSENT;
  LONG style = create->style;
  if (style & ES_KE_OWNERDRAWN) {
    rec->state |= ST_OWNER_DRAWN;
    rec->options.OwnerDrawn |= 1;
  }
  if (style & ES_KE_FORMATTED) {
    rec->state |= ST_FORMATTED;
    make_format_table(rec);
  }
  rec->wnd = wnd;        // the parent hears of the load's progress
  build_tab_stops(rec);  // the reader expands tabs to the stops
  load_at_creation(rec, name);
  if ((rec->state & ST_FORMATTED) && !(style & ES_KE_FORMATTED))
    SetWindowLongA(wnd, GWL_STYLE, GetWindowLongA(wnd, GWL_STYLE) | ES_KE_FORMATTED);
  ensure_line(rec);
  if (!rec->fileName) rec->fileName = copy_string(name);
  rec->currentLine = rec->firstLine;
  rec->lineNumber = 1;
  ++rec->positionChanges;

  SetWindowLongPtrA(wnd, 0, reinterpret_cast<LONG_PTR>(rec));
  make_view(rec);
  rec->lineHeight = 14;
  set_colours(rec);
  rec->font = choose_font(rec);
  measure_font(rec);
  if (rec->state & ST_FORMATTED) set_default_format(rec);
  layout(rec);
  build_tab_stops(rec);
  rec->classCursor = reinterpret_cast<HCURSOR>(GetClassLongPtrA(wnd, GCLP_HCURSOR));

  if (style & ES_KE_READONLY) rec->state |= ST_READ_ONLY;
  if ((style & ES_KE_OWNERDRAWN) && g_pickBuffer) g_pickBuffer->state |= ST_OWNER_DRAWN;
  if (style & ES_KE_OWNERDRAWN) cmd_measure_all(rec);
  if (style & WS_VSCROLL) rec->options.ScrollBars |= 1;
  if (style & WS_HSCROLL) rec->options.ScrollBars |= 2;
  g_creatingWindow = nullptr;
  return 1;
}

void destroy_window(HWND wnd) {
  EditorRecord* rec = record_of(wnd);
  if (!rec) return;
  for (EditorRecord** link = &g_records; *link; link = &(*link)->nextRecord) {
    if ((*link)->id == rec->id) {
      *link = rec->nextRecord;
      break;
    }
  }
  caret_focus_lost(rec);
  free_list(rec, rec->firstLine);
  free_format_table(rec);
  undo_free(rec->undo);
  if (rec->windowBrush) DeleteObject(rec->windowBrush);
  if (rec->selectionBrush) DeleteObject(rec->selectionBrush);
  free_block(rec->view);
  free_block(rec->fileName);
  free_block(rec);
  SetWindowLongPtrA(wnd, 0, 0);
}

}  // namespace ked
