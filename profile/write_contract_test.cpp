// What our WritePrivateProfileStringA leaves in a file, byte for byte.

#include <sys/stat.h>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "profile/private_profile.h"
#include "testing/scratch_folder.h"

namespace vexlo::testing {
namespace {

using namespace std::string_literals;

struct WriteCase {
  std::string before;
  std::string section;
  std::string key;
  std::string value;
  std::string after;
};

using WriteContract = ScratchFolder;

TEST_F(WriteContract, ChangesOnlyWhatMustChange) {
  const std::vector<WriteCase> cases = {
      // An existing entry: up to '=' and the blanks after it stay; the old
      // value and its trailing blanks go; the line ending stays.
      {"[S]\nk=old\n", "S", "k", "new", "[S]\nk=new\n"},
      {"[S]\n  K  =  old   \nj=1\n", "S", "k", "new", "[S]\n  K  =  new\nj=1\n"},
      {"[S]\r\nk=old\r\nj=1\r\n", "S", "k", "new", "[S]\r\nk=new\r\nj=1\r\n"},
      {"[S]\rk=old\r", "S", "k", "new", "[S]\rk=new\r"},
      {"[S]\nk=old", "S", "k", "new", "[S]\nk=new"},
      {"[S]\nk=\n", "S", "k", "v", "[S]\nk=v\n"},
      {"[S]\nk=old\n", "S", "k", "", "[S]\nk=\n"},
      {"[S]\nk=a=b\n", "S", "k", "c", "[S]\nk=c\n"},
      {"[s]\nK=1\n", " S ", " k ", "2", "[s]\nK=2\n"},
      // The first matching entry is the one changed, even a bare key.
      {"[S]\nk\nk=2\n", "S", "k", "3", "[S]\nk=3\nk=2\n"},
      {"[S]\nk  \n", "S", "k", "3", "[S]\nk  =3\n"},
      {"[S]\nk=1\n[S]\nk=2\n", "S", "k", "3", "[S]\nk=3\n[S]\nk=2\n"},
      // A new entry goes after the section's last entry line, before the
      // blank and comment lines that close the section.
      {"[S]\na=1\n\n; c\n[T]\n", "S", "b", "2", "[S]\na=1\nb=2\n\n; c\n[T]\n"},
      {"[S]\n\n[T]\n", "S", "b", "2", "[S]\nb=2\n\n[T]\n"},
      {"[S]\na=1\n;x\nc\n\n", "S", "b", "2", "[S]\na=1\n;x\nc\nb=2\n\n"},
      {"[S]\na=1", "S", "b", "2", "[S]\na=1\nb=2\n"},
      {"[S]", "S", "b", "2", "[S]\nb=2\n"},
      {"[S]\r\na=1\r\n", "S", "b", "2", "[S]\r\na=1\r\nb=2\r\n"},
      {"[S]\na=1\n[S]\nc=3\n", "S", "b", "2", "[S]\na=1\nb=2\n[S]\nc=3\n"},
      // A missing section is appended with its entry, in the file's first
      // line ending, after ending an unterminated last line.
      {"[T]\nx=1\n", "S", "k", "v", "[T]\nx=1\n[S]\nk=v\n"},
      {"[T]\nx=1", "S", "k", "v", "[T]\nx=1\n[S]\nk=v\n"},
      {"[T]\r\nx=1\n", "S", "k", "v", "[T]\r\nx=1\n[S]\r\nk=v\r\n"},
      {"[T]\rx=1\r", "S", "k", "v", "[T]\rx=1\r[S]\rk=v\r"},
      {"; only\n\n", "S", "k", "v", "; only\n\n[S]\nk=v\n"},
      {"", " S ", " k ", "v", "[S]\nk=v\n"},
      {"\xEF\xBB\xBF", "S", "k", "v", "\xEF\xBB\xBF[S]\nk=v\n"},
      // Section "": after its last entry, or at the very start after a BOM.
      {"a=1\n[S]\n", "", "b", "2", "a=1\nb=2\n[S]\n"},
      {"; c\n[S]\n", "", "b", "2", "b=2\n; c\n[S]\n"},
      {"\xEF\xBB\xBF[S]\r\n", "", "b", "2",
       "\xEF\xBB\xBF"
       "b=2\r\n[S]\r\n"},
      {"\xEF\xBB\xBFk=1\n", "", "k", "2", "\xEF\xBB\xBFk=2\n"},
      // After a kept BOM, a key may itself start with one.
      {"\xEF\xBB\xBF", "", "\xEF\xBB\xBFk", "v", "\xEF\xBB\xBF\xEF\xBB\xBFk=v\n"},
      {"", "", "k", "v", "k=v\n"},
      // Every other byte stays: NULs, high bytes, odd spacing, comments.
      {"[S]\nx=\xff\0y\n\t; \xe9\nk=1\n"s, "S", "k", "2", "[S]\nx=\xff\0y\n\t; \xe9\nk=2\n"s},
      {"[S]\nk=1\0tail\n"s, "S", "k", "2", "[S]\nk=2\n"},
  };
  const std::string path = file("case.ini");
  for (const WriteCase& c : cases) {
    SCOPED_TRACE("before: " + c.before + " | section: " + c.section + " | key: " + c.key + " | value: " + c.value);
    write_bytes(path, c.before);
    EXPECT_NE(WritePrivateProfileStringA(c.section.c_str(), c.key.c_str(), c.value.c_str(), path.c_str()), 0);
    EXPECT_EQ(read_bytes(path), c.after);
    EXPECT_EQ(entries_of(folder), std::vector<std::string>{"case.ini"});
  }
}

TEST_F(WriteContract, LeavesTheFileAloneWhenTheValueAlreadyReadsTheSame) {
  const std::string path = file("same.ini");
  for (const std::string& before : {"[S]\nk = v  \n"s, "[S]\nk=\"v\"\n"s, "[S]\nk=v\0junk\n"s}) {
    SCOPED_TRACE(before);
    write_bytes(path, before);
    struct stat old_stat {};
    ASSERT_EQ(::stat(path.c_str(), &old_stat), 0);
    EXPECT_NE(WritePrivateProfileStringA("S", "k", "v", path.c_str()), 0);
    struct stat new_stat {};
    ASSERT_EQ(::stat(path.c_str(), &new_stat), 0);
    EXPECT_EQ(new_stat.st_ino, old_stat.st_ino);
    EXPECT_EQ(read_bytes(path), before);
  }
}

TEST_F(WriteContract, CreatesAMissingFileWhoseFolderExists) {
  const std::string path = file("new.ini");
  EXPECT_NE(WritePrivateProfileStringA("S", "k", "v", path.c_str()), 0);
  EXPECT_EQ(read_bytes(path), "[S]\nk=v\n");
  EXPECT_EQ(WritePrivateProfileStringA("S", "k", "v", file("no-folder/new.ini").c_str()), 0);
  EXPECT_EQ(entries_of(folder), std::vector<std::string>{"new.ini"});
}

TEST_F(WriteContract, KeepsThePermissionBits) {
  const std::string path = file("mode.ini");
  write_bytes(path, "[S]\nk=1\n");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  EXPECT_NE(WritePrivateProfileStringA("S", "k", "2", path.c_str()), 0);
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640U);
}

TEST_F(WriteContract, FailsWithoutTouchingWhatItCannotEdit) {
  const std::string path = file("x.ini");
  struct Refusal {
    std::string before;
    std::string section;
    std::string key;
    std::string value;
  };
  const std::vector<Refusal> refusals = {
      {"[S]\nk=1\n", "S", "k", "two\nlines"},
      {"[S]\nk=1\n", "S", "k", "cr\r"},
      {"[S]\nk=1\n", "S", "k\nj", "v"},
      {"[S]\nk=1\n", "S\rT", "k", "v"},
      // A first line starting with a byte-order mark would turn the file
      // into "UTF-16" or lose the key's first bytes to the BOM.
      {"[S]\nk=1\n", "", "\xFF\xFEk", "v"},
      {"", "", "\xFE\xFF", "v"},
      {"", " ", "\xEF\xBB\xBFk", "v"},
  };
  for (const Refusal& r : refusals) {
    SCOPED_TRACE(r.value);
    write_bytes(path, r.before);
    EXPECT_EQ(WritePrivateProfileStringA(r.section.c_str(), r.key.c_str(), r.value.c_str(), path.c_str()), 0);
    EXPECT_EQ(read_bytes(path), r.before);
    EXPECT_EQ(entries_of(folder), std::vector<std::string>{"x.ini"});
  }
  EXPECT_EQ(WritePrivateProfileStringA("", "\xFF\xFEk", "v", file("new.ini").c_str()), 0);
  EXPECT_EQ(entries_of(folder), std::vector<std::string>{"x.ini"});
  EXPECT_EQ(WritePrivateProfileStringA("S", "k", "v", folder.string().c_str()), 0);
  EXPECT_EQ(WritePrivateProfileStringA("S", nullptr, "v", path.c_str()), 0);
  EXPECT_EQ(WritePrivateProfileStringA("S", "k", nullptr, path.c_str()), 0);
}

TEST_F(WriteContract, RefusesAFifoWithoutBlocking) {
  const std::string path = file("pipe.ini");
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  EXPECT_EQ(WritePrivateProfileStringA("S", "k", "v", path.c_str()), 0);
  struct stat info {};
  ASSERT_EQ(::lstat(path.c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

TEST_F(WriteContract, EditsLargeFilesAndLongLinesInPlace) {
  const std::string path = file("large.ini");
  const std::string filler(3'000'000, 'f');
  const std::string head = "[A]\nx=" + filler + "\n[S]\nk=";
  const std::string tail = "\n[B]\ny=" + filler + "\n";
  write_bytes(path, head + "old" + tail);
  EXPECT_NE(WritePrivateProfileStringA("S", "k", "new", path.c_str()), 0);
  EXPECT_EQ(read_bytes(path), head + "new" + tail);
}

}  // namespace
}  // namespace vexlo::testing
