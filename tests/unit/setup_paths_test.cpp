// Bounded path building and the .htm Edit key path.
#include <gtest/gtest.h>

#include <string>

#include "setup/htm_edit_key.h"
#include "setup/path_text.h"

namespace {

TEST(PathText, JoinFitsExactlyOrNotAtAll) {
  char out[8];
  EXPECT_TRUE(directory_file(out, sizeof out, "C:\\A", "\\bc"));  // 7 + terminator
  EXPECT_STREQ(out, "C:\\A\\bc");
  EXPECT_FALSE(directory_file(out, sizeof out, "C:\\A", "\\bcd"));
  EXPECT_STREQ(out, "");
  EXPECT_FALSE(directory_file(out, sizeof out, "", "\\b"));
  EXPECT_STREQ(out, "");

  char text[6] = "ab";
  EXPECT_FALSE(append_text(text, sizeof text, "cdef"));
  EXPECT_STREQ(text, "ab");
  EXPECT_TRUE(append_text(text, sizeof text, "cde"));
  EXPECT_STREQ(text, "abcde");
}

TEST(HtmEditKey, ClassNameFollowedByTheVerbPathUnlessEmpty) {
  char key[htm_edit_key_capacity] = "x";
  EXPECT_FALSE(htm_edit_key_path("", key));
  EXPECT_STREQ(key, "");
  EXPECT_TRUE(htm_edit_key_path("htmlfile", key));
  EXPECT_STREQ(key, "htmlfile\\shell\\Edit\\Command");
  std::string longest(127, 'c');  // the most that 128 bytes can hold
  EXPECT_TRUE(htm_edit_key_path(longest.c_str(), key));
  EXPECT_EQ(std::string(key), longest + "\\shell\\Edit\\Command");
}

}  // namespace
