// A seeded mutation run over SQL texts and connect strings through JxScanner, buttoken
// and JxValueParser (static build, so that the heap can be walked).
//
// Out-of-bounds access is caught two ways: every text and every 80-byte buffer lies
// flush against an inaccessible page (a read or write past it ends the process), and
// the heap's chunk chain is walked after each text (a write past a heap buffer breaks
// the next chunk's header). Every refusal must be a numbered message of the tokenizers.
#include "guarded.h"
#include "dbutil/jxmemory.h"
#include "dbutil/jxstrfunc.h"
#include "dbutil/jxvalueparser.h"
#include "ram_internal.h"
#include "scoped_list.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>

namespace {

const char* const kCorpus[] = {
    "SELECT a, b FROM t WHERE x = 'it''s' AND y <> 3.5 -- note\nORDER BY a",
    "INSERT INTO \"My Table\" (a, b) VALUES (?, :p1, {fn NOW()}, {d '2020-01-01'})",
    "SELECT * FROM a LEFT OUTER JOIN b ON a.x *= b.y (+) WHERE c !< 5 || d >= .5",
    "update t set c = `x` where #tmp$1 = 12.5.3 /* c */ and n\\-m = ?name",
    "select [my col] from c:\\dir\\f.txt, `q,r` group by 1 having count(*) != 0",
    "DSN=Sales;UID=ann;PWD='a;b';DATABASE=\"x\"",
    "DRIVER={SQLite3 ODBC Driver};Database=/tmp/x.db;Timeout=100",
    "A=1,B='2,3',C=\"it's\",D=`e`",
    "UID=a;USER=b;PWD=*x;X==y;",
};
const char kSpecial[] = "'\"`{}()[];,=<>!|*+-/\\.:?#$%@_ \t\r\n09aZ\xE9\xF7\xFF";

std::string mutate(std::mt19937& rng, std::string s) {
  const int steps = 1 + static_cast<int>(rng() % 4);
  for (int i = 0; i < steps; ++i) {
    const size_t at = s.empty() ? 0 : rng() % (s.size() + 1);
    switch (rng() % 7) {
      case 0:  // replace a byte by a special one
        if (at < s.size()) s[at] = kSpecial[rng() % (sizeof kSpecial - 1)];
        break;
      case 1:  // replace a byte by any byte
        if (at < s.size()) s[at] = static_cast<char>(rng() % 256);
        break;
      case 2:
        s.insert(at, 1, kSpecial[rng() % (sizeof kSpecial - 1)]);
        break;
      case 3:
        if (at < s.size()) s.erase(at, 1 + rng() % 8);
        break;
      case 4: {  // a long run: tokens beyond 79 bytes
        const char runs[] = "aZ9_#.'\"`{ ";
        s.insert(at, 40 + rng() % 200, runs[rng() % (sizeof runs - 1)]);
        break;
      }
      case 5:  // repeat a slice
        if (at < s.size()) s.insert(at, s.substr(at, 1 + rng() % 20));
        break;
      case 6:
        s.resize(at);
        break;
    }
  }
  return s;
}

// The number of the error on the list (0 when none), and an emptied list.
unsigned short takeError() {
  const unsigned short n = JxErrorKeeper::getLastErrorNumber();
  while (JxErrorKeeper::getLastError()) JxErrorKeeper::clearLastError();
  return n;
}

// Walks every block's chunk chain: sizes add up and the in-use count matches.
bool heapIsSound() {
  using namespace jxram;
  for (Block* b = firstBlock(); b; b = b->next) {
    uint32_t offset = kHeaderSize, inUse = 0;
    while (offset < b->size) {
      const uint32_t h = word(b, offset);
      const uint32_t size = h & kSizeMask;
      if (size < 12 || size % 4 || offset + size > b->size) return false;
      if (h & kInUse) ++inUse;
      offset += size;
    }
    if (offset != b->size || inUse != b->inUse) return false;
  }
  return true;
}

struct MutationRun {
  GuardedBytes page{70000};
  GuardedBytes bufferPage{BUT_BUFFER_SIZE};
  long tokens = 0, refusals = 0;

  void scanner(const std::string& s, int variant) {
    const uint32_t n = static_cast<uint32_t>(s.size());
    const char* text = page.place(s.data(), n);  // no terminator
    JxScanner sc(text, n);
    switch (variant % 5) {
      case 1:
        sc.setComments(1);
        break;
      case 2:
        sc.setGroupFlags(JxScanner::GROUP_BRACES | JxScanner::GROUP_PARENTHESES);
        break;
      case 3:
        sc.setUserGroup('[', ']');
        sc.setWordChars(JxSubString("@"));
        break;
      case 4:
        sc.setDelimiters(JxSubString(";,"));
        sc.setContinuationChars(JxSubString("-."));
        break;
    }
    const SearchType search = static_cast<SearchType>(variant % 3);
    JxToken t;
    for (uint32_t i = 0; i <= n + 1; ++i) {
      const unsigned short type =
          (i % 4 == 3) ? (sc.getDelimitedToken(t, ';'), t.getType()) : sc.getToken(t, search);
      ASSERT_GE(t.getPtr(), text);
      ASSERT_LE(t.getPtr() + t.getLength(), text + n);
      if (type == TOK_END) return;
      ++tokens;
      if (i % 7 == 0) sc.isEqualCi(t, "ORDER BY");
      if (type != TOK_BY_POSITION)
        ASSERT_GT(t.getLength(), 0u);
      else
        sc.setPosition(sc.getPosition() + 1);  // past an empty delimited token
    }
    FAIL() << "the scanner made no progress";
  }

  void tokenizer(std::string s, unsigned short flags) {
    for (char& c : s)
      if (!c) c = ' ';
    const char* p = page.placeText(s.data(), s.size());
    char* buffer = bufferPage.end(BUT_BUFFER_SIZE);
    for (size_t i = 0; i <= s.size() + 1; ++i) {
      if (buttoken(buffer, &p, flags)) {
        const unsigned short e = takeError();
        ASSERT_TRUE(e == 2700 || e == 2703) << e;
        ASSERT_FALSE((flags & (BUT_TRUNCATE | BUT_ALLOCATE)) && e == 2700);
        ++refusals;
        return;
      }
      const bool empty = (flags & BUT_ALLOCATE) ? !buttokenText(buffer)[0] : !buffer[0];
      if (flags & BUT_ALLOCATE) ramFree(buttokenText(buffer));
      if (empty) return;
      ++tokens;
    }
    FAIL() << "buttoken made no progress";
  }

  void attributes(const std::string& s, char sep) {
    const uint32_t n = static_cast<uint32_t>(s.size());
    JxSubString view(page.place(s.data(), n), n);
    JxValueParser p(&view, sep, sep == ',' ? "the options" : nullptr);
    if (p.initialize()) {
      const unsigned short e = takeError();
      ASSERT_TRUE(e == 2704 || e == 2705) << e;
      ++refusals;
      return;
    }
    while (p.getUnusedAttribute()) {
    }
    JxString back;
    ASSERT_EQ(back.initialize(nullptr, 0), 0);
    ASSERT_EQ(p.buildString(&back), 0);
    JxValueParser again(&back, sep, nullptr);
    ASSERT_EQ(again.initialize(), 0) << back.c_str();
    ASSERT_EQ(again.getCount(), p.getCount());
  }

  void numbers(const std::string& s) {
    const std::string t = s.substr(0, s.find('\0'));
    long v;
    if (convert(t.c_str(), &v)) {
      const unsigned short e = takeError();
      ASSERT_TRUE(e == 2701 || e == 2702) << e;
    }
  }
};

TEST(Mutation, TokenizersSurviveSeededMutations) {
  ASSERT_EQ(jxram::firstBlock(), nullptr);
  {
    ScopedErrorList scope;
    MutationRun run;
    std::mt19937 rng(14);  // fixed seed: the same run every time
    const unsigned short flagSets[] = {0, BUT_TRUNCATE, BUT_ALLOCATE, BUT_KEEP_CASE};
    for (int i = 0; i < 4000; ++i) {
      const std::string text = mutate(rng, kCorpus[rng() % (sizeof kCorpus / sizeof *kCorpus)]);
      run.scanner(text, i);
      for (unsigned short mode = 0; mode <= 6; ++mode) run.tokenizer(text, mode | flagSets[(i + mode) % 4]);
      run.attributes(text, i % 2 ? ';' : ',');
      run.numbers(text);
      if (::testing::Test::HasFatalFailure()) {
        ADD_FAILURE() << "text: " << text;
        return;
      }
      ASSERT_TRUE(heapIsSound()) << "heap damaged after: " << text;
    }
    EXPECT_GT(run.tokens, 100000);
    EXPECT_GT(run.refusals, 1000);
    printf("mutation run: %ld tokens, %ld refusals\n", run.tokens, run.refusals);
  }
  EXPECT_EQ(jxram::firstBlock(), nullptr) << "leak";
}

}  // namespace
