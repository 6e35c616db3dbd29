// The keyword table. Token numbers agree with the parser's grammar; see keytab.h.
#include "store/keytab.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

struct Keyword {
  int id;
  const char* text;
};

// In token order. Numbers without an entry (272, 276, 288, 304-310, 388-390) are the
// lexer's own tokens or unused.
const Keyword kKeywords[] = {
    {266, "Integer"},    {267, "Long"},      {268, "Single"},   {269, "Double"},  {270, "Currency"},
    {271, "String"},     {273, "True"},      {274, "False"},    {275, "Rem"},     {277, "Dim"},
    {278, "ReDim"},      {279, "Object"},    {280, "Strict"},   {281, "As"},      {282, "New"},
    {283, "From"},       {284, "End"},       {285, "Type"},     {286, "Me"},      {287, "Nothing"},
    {289, "Begin"},      {290, "Code"},      {291, "Function"}, {292, "Sub"},     {293, "Property"},
    {294, "Declare"},    {295, "Event"},     {296, "Lib"},      {297, "Alias"},   {298, "Const"},
    {299, "Preserve"},   {300, "Global"},    {301, "Static"},   {302, "Private"}, {303, "ByVal"},
    {311, "Mod"},        {312, "Not"},       {313, "And"},      {314, "Or"},      {315, "Xor"},
    {316, "Eqv"},        {317, "Imp"},       {318, "TypeOf"},   {319, "If"},      {320, "Then"},
    {321, "Else"},       {322, "ElseIf"},    {323, "Select"},   {324, "Case"},    {325, "To"},
    {326, "With"},       {327, "Do"},        {328, "While"},    {329, "Until"},   {330, "Loop"},
    {331, "Exit"},       {332, "For"},       {333, "Each"},     {334, "In"},      {335, "EmbeddedIn"},
    {336, "CopiedFrom"}, {337, "Step"},      {338, "Next"},     {339, "Wend"},    {340, "Let"},
    {341, "Set"},        {342, "Get"},       {343, "Call"},     {344, "Try"},     {345, "Catch"},
    {346, "Throw"},      {347, "Randomize"}, {348, "Print"},    {349, "Spc"},     {350, "Tab"},
    {351, "RaiseEvent"}, {352, "Stop"},      {353, "LBound"},   {354, "UBound"},  {355, "IIf"},
    {356, "Abs"},        {357, "Atn"},       {358, "Cos"},      {359, "Exp"},     {360, "Fix"},
    {361, "Int"},        {362, "Log"},       {363, "Rnd"},      {364, "Sgn"},     {365, "Sin"},
    {366, "Sqr"},        {367, "Tan"},       {368, "RGB"},      {369, "QBColor"}, {370, "Asc"},
    {371, "Chr"},        {372, "Hex"},       {373, "InStr"},    {374, "LCase"},   {375, "Left"},
    {376, "Len"},        {377, "LTrim"},     {378, "Mid"},      {379, "Oct"},     {380, "Right"},
    {381, "RTrim"},      {382, "Space"},     {383, "Str"},      {384, "StrComp"}, {385, "Trim"},
    {386, "UCase"},      {387, "Val"},       {391, "Like"},     {392, "Is"},
};
const int kCount = sizeof kKeywords / sizeof kKeywords[0];

// Case-insensitive ASCII order; keywords are plain ASCII, so locale plays no part.
int compareNoCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    int ca = (unsigned char)*a, cb = (unsigned char)*b;
    if (ca >= 'A' && ca <= 'Z') ca += 'a' - 'A';
    if (cb >= 'A' && cb <= 'Z') cb += 'a' - 'A';
    if (ca != cb || ca == 0) return ca - cb;
  }
}

// The keywords sorted by text, built once.
const std::vector<const Keyword*>& byText() {
  static const std::vector<const Keyword*> sorted = [] {
    std::vector<const Keyword*> v;
    for (const Keyword& k : kKeywords) v.push_back(&k);
    std::sort(v.begin(), v.end(),
              [](const Keyword* a, const Keyword* b) { return compareNoCase(a->text, b->text) < 0; });
    return v;
  }();
  return sorted;
}

}  // namespace

int KeyTabStringToId(const char* text) {
  if (!text || !*text) return KEYTAB_IDENTIFIER;
  const std::vector<const Keyword*>& v = byText();
  auto it = std::lower_bound(v.begin(), v.end(), text,
                             [](const Keyword* k, const char* t) { return compareNoCase(k->text, t) < 0; });
  if (it != v.end() && compareNoCase((*it)->text, text) == 0) return (*it)->id;
  return KEYTAB_IDENTIFIER;
}

const char* KeyTabIdToString(int id) {
  auto it =
      std::lower_bound(kKeywords, kKeywords + kCount, id, [](const Keyword& k, int n) { return k.id < n; });
  return (it != kKeywords + kCount && it->id == id) ? it->text : nullptr;
}

int KeyTabCount() { return kCount; }

int KeyTabEntry(int i, const char** text) {
  if (i < 0 || i >= kCount) {
    if (text) *text = nullptr;
    return 0;
  }
  if (text) *text = kKeywords[i].text;
  return kKeywords[i].id;
}
