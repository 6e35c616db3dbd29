// The format-mask compiler as tables of masks: the compiled text of each section, flags,
// places and scale; the refusals with their ids and parameters; bounds on the mask and
// the record (both placed at the end of a readable page); a seeded mutation run.
#include "dbsql/bcvmask.h"

#include "dbsql/bcvconvert.h"
#include "dbsql/bcvlocale.h"
#include "guarded_buffer.h"
#include "sql_test_support.h"

#include <gtest/gtest.h>

#include <string.h>

#include <random>
#include <string>

namespace {

const int32_t DT = BCV_DATETIME_LENGTH;

struct Compiled {
  short status;
  mask_info info;
  std::string section(int n) const { return bcvMaskSection(&info, n); }
};

// Compiles with the mask and the record each against a guard page.
Compiled compile(const char* mask, uint16_t type = BCV_DOUBLE, int32_t word = 0) {
  static bool started = (bcvinit(), true);
  (void)started;
  Compiled c;
  GuardedBuffer record(sizeof(mask_info));
  mask_info* info = reinterpret_cast<mask_info*>(record.data());
  if (mask) {
    GuardedBuffer text(mask, strlen(mask) + 1);
    c.status = bcvmskcp(info, text.text(), type, word);
  } else {
    c.status = bcvmskcp(info, nullptr, type, word);
  }
  memcpy(&c.info, info, sizeof c.info);
  return c;
}

TEST(MaskCompiler, CompiledText) {
  struct Case {
    const char* mask;
    uint16_t type;
    int32_t word;
    const char* compiled;
  } cases[] = {
      {"Mmmm", BCV_DATETIME, DT, "M41"},
      {"MMM", BCV_DATETIME, DT, "M32"},
      {"mmm", BCV_DATETIME, DT, "M30"},
      {"MMMMMM", BCV_DATETIME, DT, "M42"},
      {"M/MM", BCV_DATETIME, DT, "M1/M2"},
      {"dddd", BCV_DATETIME, DT, "D40"},
      {"Ddd", BCV_DATETIME, DT, "D31"},
      {"D DD", BCV_DATETIME, DT, "D1 D2"},
      {"W", BCV_DATETIME, DT, "D31"},
      {"WWW", BCV_DATETIME, DT, "D41"},
      {"YYY", BCV_DATETIME, DT, "Y4"},
      {"Y", BCV_DATETIME, DT, "Y2"},
      {"yyyy", BCV_DATETIME, DT, "Y4"},
      {"HH:MM:SS", BCV_DATETIME, DT, "H2:I2:S20"},
      {"HH:mm:ss.SSS", BCV_DATETIME, DT, "H2:I2:S23"},
      {"h:i:s.SSSSSSSS", BCV_DATETIME, DT, "H1:I1:S16"},
      {"HH YY MM", BCV_DATETIME, DT, "H2 Y2 M2"},  // the year ends the hour's reach
      {"H:II AM/PM", BCV_DATETIME, DT, "H1:I2 A2"},
      {"h:ii am/pm", BCV_DATETIME, DT, "H1:I2 A4"},
      {"h A/P", BCV_DATETIME, DT, "H1 A1"},
      {"h a/p", BCV_DATETIME, DT, "H1 A3"},
      {"MM\\/DD\\/YY", BCV_DATETIME, DT, "M2\\/D2\\/Y2"},
      {"dddd, Mmmm d, yyyy", BCV_DATETIME, DT, "D40, M41 D1, Y4"},
      {"0.00E+00", BCV_DOUBLE, 0, "0.00E0+200"},
      {"#.#e-###", BCV_DOUBLE, 0, "#.#E1-3###"},
      {"[S*1000]#,##0", BCV_DOUBLE, 0, "#,##0"},
      {"[US]$#,##0.00", BCV_DOUBLE, 0, "$#,##0.00"},
      {"GC", BCV_DOUBLE, 0, "G8"},
      {"GC", BCV_DECIMAL, bcvDecimalWord(7, 2), "G8"},
      {"GC", BCV_LONG, 0, "G8"},
      {"GN", BCV_DECIMAL, bcvDecimalWord(7, 2), "####0.00"},
      {"GN", BCV_DECIMAL, bcvDecimalWord(3, 3), "0.000"},
      {"GN", BCV_DECIMAL, bcvDecimalWord(4, 0), "###0"},
      {"GN", BCV_DATETIME, DT, "#######0.########"},
      {"GN", BCV_LONG, 0, "G1"},
      {"GD", BCV_DATETIME, DT, "G2"},
      {"GDT", BCV_DATETIME, DT, "G3"},
      {"GF", BCV_DOUBLE, 0, "G7"},
      {"GL", BCV_DATETIME, DT, "G4"},
      {"GLT", BCV_DATETIME, DT, "G5"},
      {"GT", BCV_DATETIME, DT, "G6"},
      {"G", BCV_DATETIME, DT, "G3"},
      {"G", BCV_DATETIME, 9, "G2"},
      {"G", BCV_DATETIME, 0x00010008, "G6"},
      {"G", BCV_DECIMAL, bcvDecimalWord(5, 1), "###0.0"},
      {"G", BCV_SHORT, 0, "G1"},
      {"GX", BCV_SHORT, 0, "G1"},
      {"J", BCV_DOUBLE, 0, "#######0.########"},
      {"*-#0", BCV_DOUBLE, 0, "*-#0"},
      {"'kg '0", BCV_DOUBLE, 0, "'kg '0"},
      {"\"it\"\"s\" 0", BCV_DOUBLE, 0, "\"it\"\"s\" 0"},
      {"\\k0", BCV_DOUBLE, 0, "\\k0"},
      {"0%", BCV_DOUBLE, 0, "0%"},
      {nullptr, BCV_LONG, 0, "G1"},
      {"", BCV_LONG, 0, "G1"},
      {"    ", BCV_LONG, 0, "G1"},
      {"", BCV_DATETIME, DT, "G3"},
  };
  for (const Case& k : cases) {
    ThreadErrors errors;
    Compiled c = compile(k.mask, k.type, k.word);
    const char* shown = k.mask ? k.mask : "(null)";
    ASSERT_EQ(c.status, 0) << shown << " " << errors.lastText();
    EXPECT_TRUE(bcvMaskValid(&c.info)) << shown;
    EXPECT_EQ(c.section(0), k.compiled) << shown;
    EXPECT_EQ(c.section(1), "") << shown;
    EXPECT_EQ(c.info.type, k.type) << shown;
    EXPECT_EQ(c.info.typeLength, k.word) << shown;
    EXPECT_TRUE(errors.numbers().empty()) << shown;
  }
}

TEST(MaskCompiler, PlacesScaleAndFlags) {
  struct Case {
    const char* mask;
    uint16_t type;
    int32_t word;
    uint16_t flags;
    int intPlaces, fracPlaces, scale;
  } cases[] = {
      {"[S*1000]#,##0", BCV_DOUBLE, 0, 0x0005, 4, 1, 3},
      {"[S/100]0", BCV_DOUBLE, 0, 0x0004, 1, 1, -2},
      {"[s*10]0.0%", BCV_DOUBLE, 0, 0x0004, 1, 0, 3},
      {"[U]0", BCV_DOUBLE, 0, 0x0006, 1, 1, 0},
      {"#,##0.000", BCV_DOUBLE, 0, 0x0005, 4, -2, 0},
      {"0.00E+00", BCV_DOUBLE, 0, 0x0044, 1, -1, 0},
      {"J", BCV_DOUBLE, 0, 0x0014, 8, -7, 0},
      {"GC", BCV_DOUBLE, 0, 0x0125, 4, -1, 0},  // the locale's two currency digits
      {"GF", BCV_DOUBLE, 0, 0x0024, 1, -1, 0},
      {"GN", BCV_DECIMAL, bcvDecimalWord(7, 2), 0x0024, 5, -1, 0},
      {"GN", BCV_DATETIME, DT, 0x0034, 8, -7, 0},
      {"GD", BCV_DATETIME, DT, 0x0E20, 0, 1, 0},
      {"GT", BCV_DATETIME, DT, 0xF020, 0, 1, 0},
      {"GDT", BCV_DATETIME, DT, 0xFE20, 0, 1, 0},
      {"YYMMDD", BCV_DATETIME, DT, 0x0E08, 0, 1, 0},
      {"DDMMYYYY", BCV_DATETIME, DT, 0x0E08, 0, 1, 0},
      {"YY/MM/DD", BCV_DATETIME, DT, 0x0E00, 0, 1, 0},
      {"HH:MM", BCV_DATETIME, DT, 0x3000, 0, 1, 0},
      {"HH:MM AM/PM", BCV_DATETIME, DT, 0x3E80, 0, 1, 0},
  };
  for (const Case& k : cases) {
    ThreadErrors errors;
    Compiled c = compile(k.mask, k.type, k.word);
    ASSERT_EQ(c.status, 0) << k.mask;
    EXPECT_EQ(c.info.flags[0], k.flags) << k.mask;
    EXPECT_EQ(c.info.intPlaces[0], k.intPlaces) << k.mask;
    EXPECT_EQ(c.info.fracPlaces[0], k.fracPlaces) << k.mask;
    EXPECT_EQ(c.info.scale[0], k.scale) << k.mask;
  }
}

TEST(MaskCompiler, Sections) {
  ThreadErrors errors;
  Compiled c = compile("#;(#);'zero';'none';x");
  ASSERT_EQ(c.status, 0);
  EXPECT_EQ(c.section(0), "#");
  EXPECT_EQ(c.section(1), "(#)");
  EXPECT_EQ(c.section(2), "'zero'");
  EXPECT_EQ(c.section(3), "'none'");
  EXPECT_EQ(c.info.flags[0], 0x0004);
  EXPECT_EQ(c.info.flags[1], 0x0004);
  EXPECT_EQ(c.info.flags[2], 0);
  EXPECT_EQ(c.info.intPlaces[1], 1);
  EXPECT_EQ(c.info.fracPlaces[3], 1);
  // The mask is kept as written.
  char text[BCV_MASK_TEXT_SIZE];
  EXPECT_EQ(bcvmskuncp(&c.info, text), 0);
  EXPECT_STREQ(text, "#;(#);'zero';'none';x");

  // Sections keep their own places and scale.
  c = compile("[S*100]0.0;[S/10]#,##0");
  ASSERT_EQ(c.status, 0);
  EXPECT_EQ(c.info.scale[0], 2);
  EXPECT_EQ(c.info.scale[1], -1);
  EXPECT_EQ(c.info.fracPlaces[0], 0);
  EXPECT_EQ(c.info.fracPlaces[1], 1);
  EXPECT_EQ(c.info.flags[1], 0x0005);
}

TEST(MaskCompiler, Refusals) {
  struct Case {
    const char* mask;
    uint16_t type;
    short id;
    const char* parameter;  // the text the message shows in place of "%s1"
  } cases[] = {
      {"0.00E", BCV_DOUBLE, 3502, nullptr},
      {"0.00Ex0", BCV_DOUBLE, 3502, nullptr},
      {"0.00E+", BCV_DOUBLE, 3503, nullptr},
      {"0.00E-x", BCV_DOUBLE, 3503, nullptr},
      {"'kg 0", BCV_DOUBLE, 3504, nullptr},
      {"\"a''0", BCV_DOUBLE, 3504, nullptr},
      {"[S1000]0", BCV_DOUBLE, 3505, nullptr},
      {"[S", BCV_DOUBLE, 3505, nullptr},
      {"[S*999]", BCV_DOUBLE, 3506, nullptr},
      {"[S*]0", BCV_DOUBLE, 3506, nullptr},
      {"[S/1001]0", BCV_DOUBLE, 3506, nullptr},
      {"[S*1000", BCV_DOUBLE, 3507, nullptr},
      {"[U0", BCV_DOUBLE, 3507, nullptr},
      {"DD/MM/YY#", BCV_DATETIME, 3522, "#"},
      {"DD/MM/YY;#", BCV_DATETIME, 3522, ";"},
      {"DD-MMM$", BCV_DATETIME, 3522, "$"},
      {"HH:MM x", BCV_DATETIME, 3522, "X"},
      {"YY AMPM", BCV_DATETIME, 3522, "A"},
      {"YYJ", BCV_DATETIME, 3522, "J"},
      {"#,##0 kg", BCV_DOUBLE, 3523, "K"},
      {"0 DD", BCV_DOUBLE, 3523, "D"},
      {"0/0", BCV_DOUBLE, 3523, "/"},
      {"0G", BCV_DOUBLE, 3523, "G"},
      {"x0", BCV_DOUBLE, 3523, "X"},
      {"GC#", BCV_DOUBLE, 3524, "#"},
      {"GN;0", BCV_DOUBLE, 3524, ";"},
      {"GD MM", BCV_DATETIME, 3524, "M"},
      {"G'a'", BCV_DOUBLE, 3524, "'"},
      {"GN G", BCV_DOUBLE, 3524, "G"},
  };
  for (const Case& k : cases) {
    ThreadErrors errors;
    Compiled c = compile(k.mask, k.type, k.type == BCV_DATETIME ? DT : 0);
    EXPECT_EQ(c.status, k.id) << k.mask;
    EXPECT_FALSE(bcvMaskValid(&c.info)) << k.mask;
    EXPECT_EQ(c.section(0), "") << k.mask;
    ASSERT_EQ(errors.numbers(), std::vector<unsigned short>{static_cast<unsigned short>(k.id)}) << k.mask;
    if (k.parameter) {
      std::string quoted = std::string("'") + k.parameter + "'";
      EXPECT_NE(errors.lastText().find(quoted), std::string::npos) << k.mask << ": " << errors.lastText();
    }
  }
}

// Masks of up to 159 characters compile; the 160th is refused and the message names
// the limit the check applies.
TEST(MaskCompiler, LengthLimit) {
  ThreadErrors errors;
  std::string ok(159, '0');
  Compiled c = compile(ok.c_str());
  EXPECT_EQ(c.status, 0);
  EXPECT_EQ(c.info.intPlaces[0], 159);
  char text[BCV_MASK_TEXT_SIZE];
  bcvmskuncp(&c.info, text);
  EXPECT_EQ(std::string(text), ok);

  c = compile((ok + "0").c_str());
  EXPECT_EQ(c.status, 3501);
  EXPECT_FALSE(bcvMaskValid(&c.info));
  EXPECT_EQ(errors.last(), 3501);
  EXPECT_NE(errors.lastText().find("159 characters"), std::string::npos) << errors.lastText();
  EXPECT_EQ(errors.lastText().find(" 79 "), std::string::npos) << errors.lastText();
}

// Rewrites that make the compiled text longer than the mask cannot run past the record:
// such a mask is refused as too long.
TEST(MaskCompiler, CompiledTextBounded) {
  struct Case {
    std::string mask;
    uint16_t type;
    int32_t word;
  } cases[] = {
      {std::string(20, 'J'), BCV_DOUBLE, 0},
      {std::string("W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/"
                   "W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/W/"),
       BCV_DATETIME, DT},
      {"GN", BCV_DECIMAL, bcvDecimalWord(200, 100)},
  };
  for (const Case& k : cases) {
    ThreadErrors errors;
    Compiled c = compile(k.mask.c_str(), k.type, k.word);
    EXPECT_EQ(c.status, 3501) << k.mask;
    EXPECT_FALSE(bcvMaskValid(&c.info)) << k.mask;
  }
  // Four sections filling the text leave room for every terminator.
  ThreadErrors errors;
  std::string four = std::string(38, '0') + ";" + std::string(38, '0') + ";" + std::string(38, '0') + ";" +
                     std::string(38, '0');
  Compiled c = compile(four.c_str());
  ASSERT_EQ(c.status, 0);
  EXPECT_EQ(c.section(3), std::string(38, '0'));
}

// Masks at the end of a page with the last character anywhere: "\", "*", "E", "[" and
// quotes that look past themselves must stop at the terminator.
TEST(MaskCompiler, TrailingCharacters) {
  struct Case {
    const char* mask;
    short id;
  } cases[] = {
      {"0\\", 0}, {"0*", 0},   {"0E", 3502},   {"0E+", 3503}, {"[", 3507}, {"'", 3504},
      {"0.", 0},  {"A", 3522}, {"AM/P", 3522}, {"S.", 0},     {"G", 0},    {"GD", 0},
  };
  for (const Case& k : cases) {
    ThreadErrors errors;
    Compiled c = compile(k.mask, BCV_DATETIME, DT);
    EXPECT_EQ(c.status, k.id) << k.mask;
  }
}

// Masks built from the pieces of the tables above, mutated at random: every answer is
// 0 or one of the compiler's refusals, and the record stays within bounds.
TEST(MaskCompiler, SeededMutations) {
  const char* seeds[] = {"#,##0.00;(#,##0.00);'zero'",
                         "[S*1000]0.0E+00",
                         "dddd, Mmmm d, yyyy HH:MM:SS.SSS AM/PM",
                         "YYMMDD",
                         "GC",
                         "GN",
                         "\"a\"\"b\" \\x 0%",
                         "*-#;[U]$0",
                         "J",
                         "h:ii a/p"};
  const char alphabet[] = "#09?Z$()+%*,-.\\'\";ADMWYHISEGJ[]U/:x ae1S*0";
  const short allowed[] = {0, 3501, 3502, 3503, 3504, 3505, 3506, 3507, 3522, 3523, 3524};
  std::mt19937 rng(20261211);
  uint16_t types[] = {BCV_CHAR, BCV_DECIMAL, BCV_LONG, BCV_DOUBLE, BCV_DATETIME};
  for (int round = 0; round < 20000; ++round) {
    std::string m = seeds[rng() % (sizeof seeds / sizeof *seeds)];
    int edits = 1 + rng() % 6;
    for (int e = 0; e < edits; ++e) {
      size_t at = m.empty() ? 0 : rng() % (m.size() + 1);
      char ch = alphabet[rng() % (sizeof alphabet - 1)];
      switch (rng() % 3) {
        case 0:
          m.insert(m.begin() + at, ch);
          break;
        case 1:
          if (at < m.size()) m.erase(at, 1);
          break;
        default:
          if (at < m.size()) m[at] = ch;
          break;
      }
    }
    if (rng() % 50 == 0) m.append(rng() % 170, alphabet[rng() % (sizeof alphabet - 1)]);
    ThreadErrors errors;
    uint16_t type = types[rng() % 5];
    Compiled c = compile(m.c_str(), type, type == BCV_DATETIME ? DT : bcvDecimalWord(9, 2));
    bool known = false;
    for (short a : allowed) known = known || c.status == a;
    ASSERT_TRUE(known) << m << " -> " << c.status;
    EXPECT_EQ(bcvMaskValid(&c.info), c.status == 0) << m;
    if (c.status) {
      ASSERT_EQ(errors.last(), c.status) << m;
    }
  }
}

}  // namespace
