// Writes by an ordinary user, whom file modes bind (root ignores them): the
// tool is run as user and group 65534 through setpriv.

#include <sys/stat.h>
#include <unistd.h>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testing/expected_output.h"
#include "testing/run_program.h"
#include "testing/scratch_folder.h"

namespace vexlo::testing {
namespace {

constexpr uid_t nobody = 65534;

struct PermissionCase {
  std::string name;
  mode_t folder_mode;
  uid_t folder_owner;
  bool file_exists;
  mode_t file_mode;
  uid_t file_owner;
  bool written;   // the write succeeds
  bool replaced;  // by a new file (else the old inode is edited, or nothing changes)
};

class WritePermissions : public ScratchFolder {
 protected:
  void SetUp() override {
    ScratchFolder::SetUp();
    if (::geteuid() != 0) {
      GTEST_SKIP() << "switching to another user needs root";
    }
    if (run_program("setpriv", {"--version"}).exit_status != 0) {
      GTEST_SKIP() << "setpriv (util-linux) is not installed";
    }
    ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
    write_bytes(file("src.ini"), "[S]\nk=new\n");
    ASSERT_EQ(::chmod(file("src.ini").c_str(), 0644), 0);
  }

  // Runs the tool as the unprivileged user, copying S/k into dest.
  ProgramRun run_as_nobody(const std::string& dest) {
    return run_program("setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups", tool_under_test(),
                                   file("src.ini"), dest, "S", "k"});
  }
};

TEST_F(WritePermissions, TheFileAndItsFolderDecideHowAWriteIsDone) {
  const std::vector<PermissionCase> cases = {
      // The usual case: the folder is the user's, so the file is replaced.
      {"own-folder", 0755, nobody, true, 0644, nobody, true, true},
      // A read-only file is refused, though its folder would allow replacing it.
      {"read-only-file", 0755, nobody, true, 0444, nobody, false, false},
      {"write-only-file", 0755, nobody, true, 0200, nobody, false, false},
      // A writable file in a folder that forbids new names is edited in place.
      {"read-only-folder", 0755, 0, true, 0644, nobody, true, false},
      // Another user's writable file in a sticky folder cannot be replaced
      // by this user: edited in place, and it keeps its owner.
      {"sticky-folder", 01777, 0, true, 0666, 0, true, false},
      // No file, and no right to make one.
      {"no-new-files", 0755, 0, false, 0, 0, false, false},
      {"new-file", 0755, nobody, false, 0, 0, true, true},
  };
  for (const PermissionCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::filesystem::path place = folder / c.name;
    std::filesystem::create_directory(place);
    const std::string dest = (place / "app.ini").string();
    const std::string old = "; kept\n[S]\nk=old\n";
    if (c.file_exists) {
      write_bytes(dest, old);
      ASSERT_EQ(::chown(dest.c_str(), c.file_owner, c.file_owner), 0);
      ASSERT_EQ(::chmod(dest.c_str(), c.file_mode), 0);
    }
    ASSERT_EQ(::chown(place.c_str(), c.folder_owner, c.folder_owner), 0);
    ASSERT_EQ(::chmod(place.c_str(), c.folder_mode), 0);
    struct stat before {};
    ::stat(dest.c_str(), &before);

    const ProgramRun run = run_as_nobody(dest);
    EXPECT_EQ(run.out, expected_banner() + (c.written ? written("new") : not_written("new")));
    EXPECT_EQ(run.exit_status, c.written ? 0 : 1);
    EXPECT_EQ(entries_of(place),
              c.file_exists || c.written ? std::vector<std::string>{"app.ini"} : std::vector<std::string>{});
    if (!c.file_exists) {
      continue;
    }
    struct stat after {};
    ASSERT_EQ(::stat(dest.c_str(), &after), 0);
    EXPECT_EQ(read_bytes(dest), c.written ? "; kept\n[S]\nk=new\n" : old);
    EXPECT_EQ(after.st_ino != before.st_ino, c.replaced);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_mode, before.st_mode);
  }
}

}  // namespace
}  // namespace vexlo::testing
