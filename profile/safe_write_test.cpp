// What a write does to the file it goes to, beyond the bytes it changes:
// links, modes, owners, refusals, in-place edits, and a file that changes
// under the writer.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "profile/edit_in_place.h"
#include "profile/private_profile.h"
#include "profile/profile_edit.h"
#include "profile/profile_scan.h"
#include "profile/replace_file.h"
#include "testing/scratch_folder.h"

namespace vexlo::testing {
namespace {

using namespace std::string_literals;
using SafeWrite = ScratchFolder;

// The stat of path without following a link; fails the test if missing.
struct stat status_of(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
  return info;
}

TEST_F(SafeWrite, WritesThroughSymbolicLinksAndKeepsThem) {
  ::mkdir(file("real").c_str(), 0755);
  write_bytes(file("real/app.ini"), "[S]\nk=old\n");
  struct Link {
    std::string name;
    std::string target;
  };
  // A relative link, an absolute one, and a link to a link.
  const std::vector<Link> links = {
      {"relative.ini", "real/app.ini"}, {"absolute.ini", file("real/app.ini")}, {"chain.ini", "relative.ini"}};
  int round = 0;
  for (const Link& link : links) {
    SCOPED_TRACE(link.name);
    ASSERT_EQ(::symlink(link.target.c_str(), file(link.name).c_str()), 0);
    const std::string value = "v" + std::to_string(++round);
    EXPECT_NE(WritePrivateProfileStringA("S", "k", value.c_str(), file(link.name).c_str()), 0);
    EXPECT_TRUE(S_ISLNK(status_of(file(link.name)).st_mode));
    EXPECT_EQ(read_bytes(file("real/app.ini")), "[S]\nk=" + value + "\n");
  }
  EXPECT_EQ(entries_of(folder / "real"), std::vector<std::string>{"app.ini"});
}

TEST_F(SafeWrite, CreatesTheFileADanglingLinkNamesAndRefusesALoop) {
  ASSERT_EQ(::symlink("target.ini", file("dangling.ini").c_str()), 0);
  EXPECT_NE(WritePrivateProfileStringA("S", "k", "v", file("dangling.ini").c_str()), 0);
  EXPECT_TRUE(S_ISLNK(status_of(file("dangling.ini")).st_mode));
  EXPECT_EQ(read_bytes(file("target.ini")), "[S]\nk=v\n");

  ASSERT_EQ(::symlink("loop-b.ini", file("loop-a.ini").c_str()), 0);
  ASSERT_EQ(::symlink("loop-a.ini", file("loop-b.ini").c_str()), 0);
  EXPECT_EQ(WritePrivateProfileStringA("S", "k", "v", file("loop-a.ini").c_str()), 0);
  EXPECT_EQ(entries_of(folder), (std::vector<std::string>{"dangling.ini", "loop-a.ini", "loop-b.ini", "target.ini"}));
}

TEST_F(SafeWrite, KeepsEveryPermissionBit) {
  const std::string path = file("mode.ini");
  for (const mode_t mode : {0600U, 0640U, 0604U, 0666U, 02664U, 01644U}) {
    SCOPED_TRACE(mode);
    write_bytes(path, "[S]\nk=1\n");
    ASSERT_EQ(::chmod(path.c_str(), mode), 0);
    EXPECT_NE(WritePrivateProfileStringA("S", "k", std::to_string(mode).c_str(), path.c_str()), 0);
    EXPECT_EQ(status_of(path).st_mode & 07777, mode);
  }
}

TEST_F(SafeWrite, KeepsOwnerAndGroupWhenAllowedToSetThem) {
  if (::geteuid() != 0) {
    GTEST_SKIP() << "only root may give a file to another owner";
  }
  const std::string path = file("owned.ini");
  write_bytes(path, "[S]\nk=1\n");
  ASSERT_EQ(::chown(path.c_str(), 1234, 5678), 0);
  const ino_t old_inode = status_of(path).st_ino;
  EXPECT_NE(WritePrivateProfileStringA("S", "k", "2", path.c_str()), 0);
  const struct stat after = status_of(path);
  EXPECT_NE(after.st_ino, old_inode);  // it was replaced, not edited in place
  EXPECT_EQ(after.st_uid, 1234U);
  EXPECT_EQ(after.st_gid, 5678U);
}

TEST_F(SafeWrite, NewFilesTakeTheUmask) {
  const mode_t old_mask = ::umask(027);
  EXPECT_NE(WritePrivateProfileStringA("S", "k", "v", file("new.ini").c_str()), 0);
  ::umask(old_mask);
  EXPECT_EQ(status_of(file("new.ini")).st_mode & 07777, 0640U);
}

TEST_F(SafeWrite, RefusesWhatIsNotARegularFileInAnExistingFolder) {
  write_bytes(file("plain"), "not a folder");
  ::mkdir(file("folder.ini").c_str(), 0755);
  ASSERT_EQ(::mkfifo(file("pipe.ini").c_str(), 0600), 0);
  ASSERT_EQ(::symlink("/dev/null", file("device.ini").c_str()), 0);
  for (const std::string& path : {file("folder.ini"), file("pipe.ini"), file("device.ini"), std::string("/dev/null"),
                                  file("missing/x.ini"), file("plain/x.ini")}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(WritePrivateProfileStringA("S", "k", "v", path.c_str()), 0);
  }
  EXPECT_EQ(read_bytes(file("plain")), "not a folder");
  EXPECT_TRUE(S_ISDIR(status_of(file("folder.ini")).st_mode));
  EXPECT_TRUE(S_ISFIFO(status_of(file("pipe.ini")).st_mode));
  EXPECT_TRUE(S_ISCHR(status_of("/dev/null").st_mode));
  EXPECT_EQ(entries_of(folder), (std::vector<std::string>{"device.ini", "folder.ini", "pipe.ini", "plain"}));
}

// The edit that stores S/k=value in the file open on fd.
profile::ProfileEdit plan_for(int fd, const std::string& value) {
  profile::ProfileScan scan;
  EXPECT_EQ(profile::scan_profile(fd, "S", "k", scan), profile::ScanStatus::done);
  return profile::plan_edit(scan, "S", "k", value);
}

TEST_F(SafeWrite, InPlaceEditsMoveTheTailEitherWay) {
  // Big enough that the tail moves in several blocks.
  std::string tail = "\n[T]\n";
  for (int i = 0; tail.size() < 700'000; ++i) {
    tail += "line" + std::to_string(i) + "=" + std::string(static_cast<std::size_t>(i % 97), 'x') + "\n";
  }
  const std::string path = file("in-place.ini");
  for (const std::string& value : {"much longer than before, by quite a few bytes"s, "s"s, "mid"s, ""s}) {
    SCOPED_TRACE(value);
    write_bytes(path, "[S]\nk=mid" + tail);
    const int fd = ::open(path.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    const ino_t inode = status_of(path).st_ino;
    EXPECT_TRUE(profile::edit_in_place(fd, plan_for(fd, value)));
    ::close(fd);
    EXPECT_EQ(read_bytes(path), std::string("[S]\nk=").append(value).append(tail));
    EXPECT_EQ(status_of(path).st_ino, inode);
  }
}

TEST_F(SafeWrite, FailsCleanlyWhenTheFileShrinksUnderTheWriter) {
  // Another program (one that ignores our lock) truncates the file between
  // the scan and the copy: the copy finds the head cut short and gives up.
  const std::string path = file("shrinking.ini");
  write_bytes(path, "[A]\nx=" + std::string(100'000, 'x') + "\n[S]\nk=1\n");
  const int fd = ::open(path.c_str(), O_RDWR);
  ASSERT_GE(fd, 0);
  const profile::ProfileEdit edit = plan_for(fd, "2");
  ASSERT_EQ(::truncate(path.c_str(), 10), 0);
  const std::string truncated = read_bytes(path);
  EXPECT_EQ(profile::replace_with_edit(path, fd, edit), profile::ReplaceStatus::failed);
  EXPECT_FALSE(profile::edit_in_place(fd, edit));
  ::close(fd);
  EXPECT_EQ(read_bytes(path), truncated);
  EXPECT_EQ(entries_of(folder), std::vector<std::string>{"shrinking.ini"});
}

TEST_F(SafeWrite, ANewFileNeverOverwritesOneCreatedMeanwhile) {
  const std::string path = file("raced.ini");
  write_bytes(path, "[S]\nother=1\n");
  profile::ProfileEdit edit;
  edit.insert = "[S]\nk=v\n";
  EXPECT_EQ(profile::create_with_edit(path, edit), profile::CreateStatus::taken);
  EXPECT_EQ(read_bytes(path), "[S]\nother=1\n");
  EXPECT_EQ(entries_of(folder), std::vector<std::string>{"raced.ini"});
}

}  // namespace
}  // namespace vexlo::testing
