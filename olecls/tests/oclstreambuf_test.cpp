// Standard streams over an OLE stream.
#include <windows.h>
#include <ole2.h>

#include <istream>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "olecls/oclstream.h"
#include "olecls/oclstreambuf.h"

namespace {

std::string contents(OCLStream& s) {
  std::string text(s.size(), '\0');
  s.seekTo(0);
  if (!text.empty()) s.read(&text[0], ULONG(text.size()));
  return text;
}

}  // namespace

TEST(OCLStreamBuf, WritesAndReadsThroughStandardStreams) {
  // The library's buffer, none, and a small one of the caller's (1 byte of put-back).
  enum Kind { kOwn, kNone, kSmall };
  const Kind kinds[] = {kOwn, kNone, kSmall};
  for (Kind kind : kinds) {
    SCOPED_TRACE(kind);
    char small[2][8];
    auto setUp = [&](OCLStreamBuf& buf, int which) {
      if (kind == kNone) {
        EXPECT_EQ(&buf, buf.pubsetbuf(nullptr, 0));
      } else if (kind == kSmall) {
        EXPECT_EQ(&buf, buf.pubsetbuf(small[which], sizeof small[which]));
      }
    };
    OCLStream s;
    {
      OCLStreamBuf buf(s.stream());
      setUp(buf, 0);
      std::ostream out(&buf);
      out << "first line\n" << 12345 << ' ' << std::string(600, 'x') << "\nend";
      out.flush();
      EXPECT_TRUE(out.good());
    }
    EXPECT_EQ("first line\n12345 " + std::string(600, 'x') + "\nend", contents(s));

    s.seekTo(0);
    OCLStreamBuf buf(s.stream(), std::ios_base::in);
    setUp(buf, 1);
    std::istream in(&buf);
    std::string word;
    int number = 0;
    std::getline(in, word);
    EXPECT_EQ("first line", word);
    in >> number;
    EXPECT_EQ(12345, number);
    // Put-back works across the buffer.
    in.get();
    char c = char(in.get());
    EXPECT_EQ('x', c);
    in.unget();
    EXPECT_EQ('x', in.peek());
    in.ignore(600);
    std::getline(in, word);
    EXPECT_EQ("", word);
    std::getline(in, word);
    EXPECT_EQ("end", word);
    EXPECT_TRUE(in.eof());
  }
}

TEST(OCLStreamBuf, RelativeSeeksCountFromTheReader) {
  OCLStream s;
  s.write("a\nb\nc\nd\n", 8);
  s.seekTo(0);
  // Opened without the binary flag: the position is still the stream offset.
  OCLStreamBuf buf(s.stream(), std::ios_base::in);
  std::istream in(&buf);
  EXPECT_EQ('a', in.get());
  EXPECT_EQ(std::streamoff(1), std::streamoff(in.tellg()));
  in.seekg(1, std::ios_base::cur);
  EXPECT_EQ('b', in.get());
  EXPECT_EQ(std::streamoff(3), std::streamoff(in.tellg()));
  in.seekg(-2, std::ios_base::end);
  EXPECT_EQ('d', in.get());
  in.seekg(0);
  EXPECT_EQ('a', in.get());
}

TEST(OCLStreamBuf, MixedReadingAndWriting) {
  OCLStream s;
  s.write("0123456789", 10);
  s.seekTo(0);
  {
    OCLStreamBuf buf(s.stream());
    std::iostream io(&buf);
    EXPECT_EQ('0', io.get());
    EXPECT_EQ('1', io.get());
    io.seekp(0, std::ios_base::cur);  // writing goes where the reader stands
    io << "ab";
    io.flush();
    EXPECT_EQ('4', io.get());
  }
  EXPECT_EQ("01ab456789", contents(s));
}

TEST(OCLStreamBuf, DirectionsOutsideTheModeGiveEndOfFile) {
  OCLStream s;
  s.write("data", 4);
  s.seekTo(0);
  {
    OCLStreamBuf out(s.stream(), std::ios_base::out);
    std::istream in(&out);
    EXPECT_EQ(std::char_traits<char>::eof(), in.get());
  }
  {
    OCLStreamBuf inOnly(s.stream(), std::ios_base::in);
    std::ostream out(&inOnly);
    out << "zz";
    out.flush();
    EXPECT_FALSE(out.good());
  }
  EXPECT_EQ("data", contents(s));
}
