// The launcher's command line: MODULE... -app APP [-splash SFILE] [ARGS...].
//
// argv[1] is always a module; the first "-app" (or "/app", any case) from argv[2] on,
// not in the last place, ends the module list and names the application object. An
// optional "-splash SFILE" follows. The application's own argument vector is a window
// into argv: its first slot (APP's or SFILE's) is overwritten with argv[0].
#pragma once

#include <string>
#include <vector>

// What the command line gives the application object.
struct LaunchArgs {
  int argc = 0;             // entries of argv below, argv[0] included
  char** argv = nullptr;    // argv[0], then the application's arguments
  unsigned long flags = 0;  // start-up flags (0x01000000 from the command line)
  char* modules = nullptr;  // packed module list (PackModuleList), owned by the caller
  char* app = nullptr;      // the application object's name (into the process's argv)
  char* splash = nullptr;   // splash bitmap file, or null
};

// The usage box's text and caption.
extern const char kLauncherUsage[];
extern const char kLauncherUsageCaption[];

// Flags the command line always gives: bit 0 clear (no status lines on the splash).
enum : unsigned long { kLaunchFlags = 0x01000000 };

// Reads the command line into out (argv is changed in place, see above); out.modules is
// a new[] buffer the caller frees with delete[]. False on a command line that does not
// fit: nothing is allocated then.
bool ParseLaunchCommandLine(int argc, char** argv, LaunchArgs& out);

// True when arg is "-word" or "/word", ignoring the word's case.
bool IsLaunchOption(const char* arg, const char* word);

// Names one after the other, each ended by a NUL, and one more NUL after the last
// (new[], zero-filled). Empty names cannot be packed: they would end the list.
char* PackModuleList(const std::vector<std::string>& names);
// The names of a packed list, in order.
std::vector<std::string> UnpackModuleList(const char* packed);
