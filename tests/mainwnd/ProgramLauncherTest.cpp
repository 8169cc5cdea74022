#include "mainwnd/ProgramLauncher.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/stat.h>

#include "TempDir.h"
#include "mainwnd/QtTestApp.h"
#include "mainwnd/SingleInstance.h"

namespace tembra {
namespace {

using test::TempDir;

void writeScript(const std::string& path, const std::string& body, mode_t mode = 0755) {
  std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
  ::chmod(path.c_str(), mode);
}

std::string readWhenThere(const std::string& path, int timeoutMs = 5000) {
  std::string text;
  test::spinUntil(
      [&] {
        std::ifstream in(path);
        std::stringstream s;
        s << in.rdbuf();
        text = s.str();
        return !text.empty() && text.back() == '\n';
      },
      timeoutMs);
  return text;
}

TEST(ProgramLauncher, StartsTheProgramBesideTheExecutableWithoutArguments) {
  TempDir dir("tembra-launch");
  const std::string marker = dir.file("ran");
  writeScript(dir.file("tembra-autoupdate"), "echo \"$# $0\" > " + marker + ".tmp; mv " + marker + ".tmp " +
                                          marker);
  ASSERT_TRUE(ProgramLauncher::launch(dir.path() + "/", "tembra-autoupdate"));
  EXPECT_EQ(readWhenThere(marker), "0 " + dir.file("tembra-autoupdate") + "\n");
}

TEST(ProgramLauncher, DoesNotWaitForTheProgram) {
  TempDir dir("tembra-launch");
  const std::string marker = dir.file("ran");
  writeScript(dir.file("tembra-advertise"), "sleep 1; echo done > " + marker);
  QElapsedTimer clock;
  clock.start();
  ASSERT_TRUE(ProgramLauncher::launch(dir.path() + "/", "tembra-advertise"));
  EXPECT_LT(clock.elapsed(), 900);
  EXPECT_FALSE(std::filesystem::exists(marker));
  EXPECT_EQ(readWhenThere(marker), "done\n");
}

TEST(ProgramLauncher, MissingOrNonExecutableProgramsAreNotStarted) {
  TempDir dir("tembra-launch");
  const std::string folder = dir.path() + "/";
  EXPECT_FALSE(ProgramLauncher::launch(folder, "tembra-autoupdate"));
  writeScript(dir.file("tembra-autoupdate"), "touch " + dir.file("ran"), 0644);
  EXPECT_FALSE(ProgramLauncher::launch(folder, "tembra-autoupdate"));
  // A folder is never a program, executable bit or not.
  std::filesystem::create_directory(dir.file("Advertise"));
  ::chmod(dir.file("Advertise").c_str(), 0755);
  EXPECT_FALSE(ProgramLauncher::launch(folder, "Advertise"));
  EXPECT_FALSE(ProgramLauncher::launch("", "tembra-advertise"));
  EXPECT_FALSE(ProgramLauncher::launch(folder, ""));
  test::spinFor(200);
  EXPECT_FALSE(std::filesystem::exists(dir.file("ran")));
}

// The advertisement program outlives the player; if it inherited the
// single-instance lock, the next start of the player would find the lock
// held and nobody answering.
TEST(ProgramLauncher, StartedProgramDoesNotKeepTheSingleInstanceLock) {
  TempDir dir("tembra-launch"), run("tembra-run");
  const std::string marker = dir.file("started");
  writeScript(dir.file("tembra-advertise"), "echo up > " + marker + "; sleep 3");
  auto first = std::make_unique<SingleInstance>(run.path());
  ASSERT_EQ(first->establish(0), SingleInstance::Outcome::Primary);
  ASSERT_TRUE(ProgramLauncher::launch(dir.path() + "/", "tembra-advertise"));
  ASSERT_EQ(readWhenThere(marker), "up\n");
  first.reset();
  SingleInstance next(run.path());
  EXPECT_EQ(next.establish(0), SingleInstance::Outcome::Primary);
}

}  // namespace
}  // namespace tembra
