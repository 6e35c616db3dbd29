// The keyword table and the lexer: every keyword, literal form, suffix, operator, comment
// form and the line-length limit, as tables of texts and the tokens they give.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>

#include "grammar.h"
#include "lexer.h"
#include "parseexcept.h"
#include "store/keytab.h"

namespace {

// Tokens of text, one line each as "number" plus its value: (int), [double], "text",
// <name,suffix>; characters as 'c'; the end of a statement as $.
std::string Describe(Lexer& lex, int token, const SemVal& v) {
  std::ostringstream os;
  if (token == -1) return "$";
  if (token < 256) {
    os << '\'' << char(token) << '\'';
    return os.str();
  }
  os << token;
  switch (v.kind) {
    case SV_INT:
      os << '(' << v.i << ')';
      break;
    case SV_DOUBLE:
      os << '[' << v.d << ']';
      break;
    case SV_TEXT:
      if (v.text) os << '"' << v.text << '"';
      break;
    case SV_ID:
      os << '<' << lex.ids().text(v.id.index) << ',' << int(v.id.suffix) << '>';
      break;
  }
  return os.str();
}

// Tokens up to the end of the input (the second end of statement in a row; not shown).
std::string Lex(const std::string& text) {
  std::istringstream in(text);
  Lexer lex;
  lex.start(&in);
  std::string out;
  bool lastWasEnd = false;
  for (int i = 0; i < 200; ++i) {
    SemVal v;
    int token = lex.next(v);
    std::string d = Describe(lex, token, v);
    if (v.kind == SV_TEXT) delete[] v.text;
    if (token == -1 && lastWasEnd) break;
    lastWasEnd = token == -1;
    if (!out.empty()) out += ' ';
    out += d;
  }
  return out;
}

TEST(KeyTab, EveryKeywordBothWaysAndInAnyCase) {
  ASSERT_GT(KeyTabCount(), 100);
  for (int i = 0; i < KeyTabCount(); ++i) {
    const char* text = nullptr;
    int id = KeyTabEntry(i, &text);
    ASSERT_TRUE(text);
    EXPECT_EQ(id, KeyTabStringToId(text)) << text;
    EXPECT_STREQ(text, KeyTabIdToString(id));
    std::string lower(text), upper(text);
    for (char& c : lower) c = char(tolower(c));
    for (char& c : upper) c = char(toupper(c));
    EXPECT_EQ(id, KeyTabStringToId(lower.c_str())) << lower;
    EXPECT_EQ(id, KeyTabStringToId(upper.c_str())) << upper;
    if (i > 0) {
      EXPECT_LT(KeyTabEntry(i - 1, nullptr), id);
    }
  }
}

TEST(KeyTab, TokenNumbersTheGrammarUses) {
  struct {
    int id;
    const char* text;
  } cases[] = {
      {266, "Integer"}, {267, "Long"},       {268, "Single"},     {269, "Double"}, {270, "Currency"},
      {271, "String"},  {279, "Object"},     {281, "As"},         {282, "New"},    {283, "From"},
      {284, "End"},     {285, "Type"},       {289, "Begin"},      {290, "Code"},   {291, "Function"},
      {292, "Sub"},     {296, "Lib"},        {297, "Alias"},      {298, "Const"},  {301, "Static"},
      {302, "Private"}, {303, "ByVal"},      {319, "If"},         {320, "Then"},   {321, "Else"},
      {322, "ElseIf"},  {323, "Select"},     {324, "Case"},       {325, "To"},     {326, "With"},
      {327, "Do"},      {328, "While"},      {329, "Until"},      {332, "For"},    {333, "Each"},
      {334, "In"},      {335, "EmbeddedIn"}, {336, "CopiedFrom"}, {337, "Step"},   {338, "Next"},
      {339, "Wend"},    {341, "Set"},        {342, "Get"},        {344, "Try"},    {348, "Print"},
      {375, "Left"},    {392, "Is"},
  };
  for (auto& c : cases) {
    EXPECT_EQ(c.id, KeyTabStringToId(c.text)) << c.text;
    EXPECT_STREQ(c.text, KeyTabIdToString(c.id));
  }
  // Every role the grammar numbers has a keyword.
  for (int id : {273, 274, 275, 277, 278, 280, 286, 287, 293, 294, 295, 299, 300, 311, 312, 313, 314, 315,
                 316, 317, 318, 330, 331, 340, 343, 345, 346, 347, 349, 350, 351, 352, 353, 354, 355, 391})
    EXPECT_TRUE(KeyTabIdToString(id)) << id;
  for (int id = 356; id <= 387; ++id) EXPECT_TRUE(KeyTabIdToString(id)) << id;
  EXPECT_EQ(265, KeyTabStringToId("Counter"));
  EXPECT_EQ(265, KeyTabStringToId(""));
  EXPECT_EQ(265, KeyTabStringToId(nullptr));
  EXPECT_EQ(nullptr, KeyTabIdToString(265));
  EXPECT_EQ(nullptr, KeyTabIdToString(272));
}

// Every keyword's number is the grammar's token for it, and every keyword token of the
// grammar is in the table.
TEST(KeyTab, GrammarAndTableAgree) {
  for (int i = 0; i < KeyTabCount(); ++i) {
    const char* text = nullptr;
    int id = KeyTabEntry(i, &text);
    EXPECT_EQ(std::string("K") + text, GrammarTokenSymbol(id)) << id;
  }
  for (int id = 266; id <= 392; ++id) {
    std::string symbol = GrammarTokenSymbol(id);
    if (symbol.size() > 1 && symbol[0] == 'K' && symbol.compare(0, 5, "KDeep") != 0 && symbol != "KAndAnd" &&
        symbol != "KOrOr" && symbol != "KNEq" && symbol != "KLEq" && symbol != "KGEq" && symbol != "KEq") {
      EXPECT_TRUE(KeyTabIdToString(id)) << id << " " << symbol;
    }
  }
  EXPECT_STREQ("T_IDENT", GrammarTokenSymbol(265));
}

TEST(KeyTab, TokenNamesForMessages) {
  struct {
    int token;
    const char* name;
  } cases[] = {
      {0, "end-of-statement"},
      {256, "<256>"},
      {257, "<integer>"},
      {258, "<long>"},
      {259, "<hex integer>"},
      {260, "<octal integer>"},
      {261, "<single>"},
      {262, "<double>"},
      {263, "<currency>"},
      {264, "<string>"},
      {265, "<identifier>"},
      {276, "<comment>"},
      {304, ":="},
      {305, "&&"},
      {306, "||"},
      {307, "<>"},
      {308, "<="},
      {309, ">="},
      {310, "=="},
      {320, "Then"},
      {392, "Is"},
      {'(', "("},
      {'^', "^"},
      {272, "<token: 272>"},
      {999, "<token: 999>"},
      {-3, "<token: -3>"},
  };
  for (auto& c : cases) EXPECT_EQ(c.name, GrammarTokenName(c.token)) << c.token;
}

struct Case {
  const char* text;
  const char* tokens;
};

TEST(Lexer, TokenTable) {
  const Case cases[] = {
      // Names, suffixes, interning.
      {"abc", "265<abc,0> $"},
      {"a% b& c! d# e@ f$", "265<a,1> 265<b,2> 265<c,3> 265<d,4> 265<e,5> 265<f,6> $"},
      {"a_1 a_1 A_1", "265<a_1,0> 265<a_1,0> 265<a_1,0> $"},
      {"Left$(s, 2)", "375 '$' '(' 265<s,0> ',' 257(2) ')' $"},
      {"x.Left", "265<x,0> '.' 375 $"},
      // Integers, hexadecimal, octal, doubles; numbers have no sign and no suffix.
      {"0 7 2147483647", "257(0) 257(7) 257(2147483647) $"},
      {"&HFF &hff &H &O17 &o7 &HFFFFFFFF", "259(255) 259(255) 259(0) 260(15) 260(7) 259(-1) $"},
      {"&X", "'&' 265<X,0> $"},
      {"a && b || c & d | e", "265<a,0> 305 265<b,0> 306 265<c,0> '&' 265<d,0> '|' 265<e,0> $"},
      {".5 5. 1.25 1E5 1e-3 2E+2", "262[0.5] 262[5] 262[1.25] 262[100000] 262[0.001] 262[200] $"},
      {".", "'.' $"},
      {"-1", "'-' 257(1) $"},
      {"1%", "257(1) '%' $"},
      // Strings: doubled quotes, carets, unterminated.
      {"\"a\"\"b\"", "264\"a\"b\" $"},
      {"\"^G\"", "264\"\a\" $"},
      {"\"^^\" \"^1\" \"^a\"", "264\"^\" 264\"^1\" 264\"\x01\" $"},
      {"\"open\nx", "264\"open\" $ 265<x,0> $"},
      // Operators.
      {"a := b == c <> d <= e >= f < g > h = i : j",
       "265<a,0> 304 265<b,0> 310 265<c,0> 307 265<d,0> 308 265<e,0> 309 265<f,0> '<' "
       "265<g,0> '>' 265<h,0> '=' 265<i,0> ':' 265<j,0> $"},
      {"( ) * + , - / ; \\ ^ { } $ #", "'(' ')' '*' '+' ',' '-' '/' ';' '\\' '^' '{' '}' '$' '#' $"},
      // Column and line counters.
      {"  #C", "257(4) $"},
      {"x\n\n#L", "265<x,0> $ 257(2) $"},
      // Comments: the rest of the line is one string, blank included.
      {"Rem hello", "275 264\" hello\" $"},
      {"REM", "275 264\"\" $"},
      {"' hi", "276 264\" hi\" $"},
      {"x = 1 ' note\ny", "265<x,0> '=' 257(1) 276 264\" note\" $ 265<y,0> $"},
      // Line ends: one end of statement however many empty lines follow; none before.
      {"\n\n  x\n\n\n y", "265<x,0> $ 265<y,0> $"},
      {"x\r\ny", "265<x,0> $ 265<y,0> $"},
  };
  for (const Case& c : cases) EXPECT_EQ(std::string("") + c.tokens, Lex(c.text)) << c.text;
}

TEST(Lexer, EveryKeywordLexesAsItsNumber) {
  for (int i = 0; i < KeyTabCount(); ++i) {
    const char* text = nullptr;
    int id = KeyTabEntry(i, &text);
    std::istringstream in(std::string(text) + " x");
    Lexer lex;
    lex.start(&in);
    SemVal v;
    EXPECT_EQ(id, lex.next(v)) << text;
    if (v.kind == SV_TEXT) delete[] v.text;
  }
}

TEST(Lexer, LiteralsOutOfRangeAreErrorsWithAReason) {
  const char* cases[] = {"2147483648", "99999999999999999999", "&H100000000", "&O40000000000", "1e999"};
  for (const char* text : cases) {
    std::istringstream in(text);
    Lexer lex;
    lex.start(&in);
    SemVal v;
    EXPECT_EQ(TOK_ERROR, lex.next(v)) << text;
    ASSERT_TRUE(lex.errorText()) << text;
    EXPECT_NE(nullptr, std::strstr(lex.errorText(), "out of range")) << lex.errorText();
  }
}

TEST(Lexer, LineOf510CharactersIsReadAnd511ThrowsLineTooLong) {
  std::string ok = "x = \"" + std::string(504, 'a') + "\"";
  ASSERT_EQ(510u, ok.size());
  EXPECT_EQ("265<x,0> '=' 264\"" + std::string(504, 'a') + "\" $", Lex(ok));

  std::string text = "y = 1\n" + ok + "b\nz";
  std::istringstream in(text);
  Lexer lex;
  lex.start(&in);
  SemVal v;
  EXPECT_EQ(TOK_IDENTIFIER, lex.next(v));
  EXPECT_EQ('=', lex.next(v));
  EXPECT_EQ(TOK_INTEGER, lex.next(v));
  try {
    lex.next(v);  // the line end reads the overlong line
    FAIL() << "no exception";
  } catch (const ParserException& e) {
    EXPECT_STREQ("Line has exceeded max length of 510 characters.", e.message().c_str());
    EXPECT_EQ(1, e.line());
  }
}

TEST(Lexer, LineNumbersAndTextAfterALineEnd) {
  std::istringstream in("a\nbb\n");
  Lexer lex;
  lex.start(&in);
  SemVal v;
  EXPECT_EQ(TOK_IDENTIFIER, lex.next(v));
  EXPECT_EQ(0, lex.lineNumber());
  EXPECT_STREQ("a\n", lex.lineText());
  EXPECT_EQ(-1, lex.next(v));
  // Right after the line end the statement's own line is reported.
  EXPECT_EQ(0, lex.lineNumber());
  EXPECT_EQ(0, lex.absLineNumber());
  EXPECT_STREQ("a\n", lex.lineText());
  EXPECT_EQ(TOK_IDENTIFIER, lex.next(v));
  EXPECT_EQ(1, lex.lineNumber());
  EXPECT_STREQ("bb\n", lex.lineText());
  EXPECT_EQ(3, lex.readPos());  // the line end after "bb"
  lex.setLineNumber(10);
  EXPECT_EQ(-1, lex.next(v));
  EXPECT_EQ(10, lex.lineNumber());
  EXPECT_EQ(1, lex.absLineNumber());
  EXPECT_EQ(-1, lex.next(v));
  EXPECT_EQ(-1, lex.next(v));
}

TEST(Lexer, IdentifierTableClearsOnStartAndReset) {
  Lexer lex;
  std::istringstream a("one two one");
  lex.start(&a);
  SemVal v;
  while (lex.next(v) != -1) {
  }
  EXPECT_EQ(2, lex.ids().entries());
  std::istringstream b("three");
  lex.start(&b);
  EXPECT_EQ(0, lex.ids().entries());
  lex.next(v);
  EXPECT_EQ(0, v.id.index);
  lex.reset(1);
  EXPECT_EQ(0, lex.ids().entries());
}

}  // namespace
