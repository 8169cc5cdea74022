// `cmake --install` of this build tree into a temporary prefix: the tree a
// desktop user gets, the launcher's state folder and working directory, and
// the desktop entry.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "TempDir.h"
#include "mainwnd/ChildProcess.h"

namespace tembra {
namespace {

namespace fs = std::filesystem;
using test::ChildProcess;
using test::TempDir;

struct Outcome {
  int code = -1;
  std::string out, err;
};

// Runs a program to its end (at most 120 s), draining its output meanwhile.
Outcome run(const std::string& program, const std::vector<std::string>& args,
        const std::map<std::string, std::string>& set = {}, const std::vector<std::string>& unset = {}) {
  ChildProcess p(program, args, set, unset);
  Outcome r;
  if (!p.started()) return r;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  while (p.running() && std::chrono::steady_clock::now() < deadline) {
    p.out();
    p.err();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  r.out = p.out();
  r.err = p.err();
  r.code = p.running() ? -1 : p.exitCode();
  return r;
}

std::string readAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool executable(const fs::path& file) { return ::access(file.c_str(), X_OK) == 0 && fs::is_regular_file(file); }

// The width and height of a PNG file from its IHDR chunk; {0, 0} when it is
// not a PNG.
std::pair<int, int> pngSize(const fs::path& file) {
  const std::string d = readAll(file);
  if (d.size() < 24 || d.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || d.compare(12, 4, "IHDR") != 0) return {0, 0};
  auto be = [&](size_t at) {
    return (static_cast<unsigned char>(d[at]) << 24) | (static_cast<unsigned char>(d[at + 1]) << 16) |
           (static_cast<unsigned char>(d[at + 2]) << 8) | static_cast<unsigned char>(d[at + 3]);
  };
  return {static_cast<int>(be(16)), static_cast<int>(be(20))};
}

// One install per test program: every test reads the same tree.
class InstallTree : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir("tembra-install");
    prefix_ = dir_->file("prefix");
    result_ = new Outcome(run(TEMBRA_CMAKE, {"--install", TEMBRA_BINARY_DIR, "--prefix", prefix_}));
  }
  static void TearDownTestSuite() {
    delete result_;
    delete dir_;
  }
  void SetUp() override { ASSERT_EQ(result_->code, 0) << result_->out << result_->err; }

  static fs::path at(const std::string& relative) { return fs::path(prefix_) / relative; }

  static inline TempDir* dir_ = nullptr;
  static inline std::string prefix_;
  static inline Outcome* result_ = nullptr;
};

TEST_F(InstallTree, ProgramFolderHoldsEverythingTheProgramLooksForBesideItself) {
  EXPECT_TRUE(executable(at("lib/tembra-player/tembra-player")));
  EXPECT_TRUE(fs::is_regular_file(at("lib/tembra-player/skin/Default/MainUI.xml")));
  EXPECT_TRUE(fs::is_regular_file(at("lib/tembra-player/skin/Default/TrayMenuSkin.xml")));
  EXPECT_TRUE(fs::is_regular_file(at("lib/tembra-player/languages/language.xml")));
  EXPECT_TRUE(fs::is_regular_file(at("lib/tembra-player/logo.html")));
  // The web library the program opens from its own folder for its first page.
  EXPECT_TRUE(fs::is_regular_file(at("lib/tembra-player/libtembra-web.so")));
  // Every skin file is there, not only the layouts.
  size_t source = 0, installed = 0;
  for (const auto& e : fs::recursive_directory_iterator(fs::path(TEMBRA_SOURCE_DIR) / "assets/skin"))
    source += e.is_regular_file();
  for (const auto& e : fs::recursive_directory_iterator(at("lib/tembra-player/skin")))
    installed += e.is_regular_file();
  EXPECT_EQ(installed, source);
  // The ad refresh writes config.ini and its folders here: the user's own.
  EXPECT_EQ(::access(at("lib/tembra-player").c_str(), W_OK), 0);
}

TEST_F(InstallTree, ToolAndLauncherInBinAndNoDemoService) {
  EXPECT_TRUE(executable(at("bin/tembra-tool")));
  EXPECT_TRUE(executable(at("bin/tembra-player")));
  EXPECT_EQ(readAll(at("bin/tembra-player")).rfind("#!/bin/sh\n", 0), 0u) << "a launcher script, not the program";
  for (const auto& e : fs::recursive_directory_iterator(prefix_))
    EXPECT_EQ(e.path().filename().string().find("demo"), std::string::npos) << e.path();
  const Outcome tool = run(at("bin/tembra-tool").string(), {"config", "encrypt", "abc"});
  EXPECT_EQ(tool.code, 0) << tool.err;
  EXPECT_FALSE(tool.out.empty());
}

// The program icon in every hicolor size, once the icons exist in the
// source tree (scripts/make-icons draws them).
TEST_F(InstallTree, IconsInEveryHicolorSize) {
  const fs::path icons = fs::path(TEMBRA_SOURCE_DIR) / "assets/icons";
  if (!fs::exists(icons)) GTEST_SKIP() << "assets/icons is not drawn yet";
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const std::string n = std::to_string(size);
    const fs::path theme = at("share/icons/hicolor/" + n + "x" + n + "/apps/tembra-player.png");
    EXPECT_EQ(pngSize(theme), std::make_pair(size, size)) << theme;
    EXPECT_EQ(pngSize(at("lib/tembra-player/icons/" + n + ".png")), std::make_pair(size, size)) << n;
  }
}

TEST_F(InstallTree, DesktopEntryIsValidAndStartsTheLauncher) {
  const fs::path entry = at("share/applications/tembra-player.desktop");
  const std::string text = readAll(entry);
  EXPECT_NE(text.find("\nExec=" + at("bin/tembra-player").string() + "\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\nIcon=tembra-player\n"), std::string::npos);
  EXPECT_NE(text.find("\nName=Tembra Player\n"), std::string::npos);
  EXPECT_NE(text.find("\nCategories=AudioVideo;Video;"), std::string::npos);
  if (::access("/usr/bin/desktop-file-validate", X_OK) != 0)
    GTEST_SKIP() << "desktop-file-validate missing (scripts/setup installs desktop-file-utils)";
  const Outcome check = run("/usr/bin/desktop-file-validate", {entry.string()});
  EXPECT_EQ(check.code, 0) << check.out << check.err;
  EXPECT_EQ(check.out + check.err, "") << "no warnings either";
}

TEST_F(InstallTree, LauncherRunsTheInstalledProgramAndMakesTheStateFolder) {
  TempDir home("tembra-home");
  const Outcome r = run(at("bin/tembra-player").string(), {"--version"}, {{"HOME", home.path()}},
                    {"XDG_STATE_HOME", "DISPLAY", "WAYLAND_DISPLAY"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "tembra-player 1.0.2\n");
  EXPECT_TRUE(fs::is_directory(home.file(".local/state/tembra-player")));

  TempDir state("tembra-state");
  const Outcome x = run(at("bin/tembra-player").string(), {"--version"},
                    {{"HOME", home.path()}, {"XDG_STATE_HOME", state.file("deep/er")}});
  EXPECT_EQ(x.code, 0) << x.err;
  EXPECT_TRUE(fs::is_directory(state.file("deep/er/tembra-player")));
}

// The launcher alone, over a stand-in program that reports where it runs
// and what it was given.
class Launcher : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(tree_.file("bin"));
    fs::create_directories(tree_.file("lib/tembra-player"));
    fs::copy_file(fs::path(TEMBRA_SOURCE_DIR) / "assets/desktop/tembra-player-launcher.sh",
                  tree_.file("bin/tembra-player"));
    const std::string program = tree_.file("lib/tembra-player/tembra-player");
    std::ofstream(program) << "#!/bin/sh\npwd\nfor a in \"$@\"; do echo \"[$a]\"; done\n";
    fs::permissions(program, fs::perms::owner_all);
    fs::permissions(tree_.file("bin/tembra-player"), fs::perms::owner_all);
  }
  Outcome launch(const std::vector<std::string>& args, std::map<std::string, std::string> env,
             const std::string& via = "") {
    env.emplace("HOME", home_.path());
    std::vector<std::string> unset;
    if (!env.count("XDG_STATE_HOME")) unset.push_back("XDG_STATE_HOME");
    return run(via.empty() ? tree_.file("bin/tembra-player") : via, args, env, unset);
  }
  TempDir tree_{"tembra-launcher"};
  TempDir home_{"tembra-home"};
};

TEST_F(Launcher, WorkingDirectoryIsTheStateFolderAndArgumentsPassUnchanged) {
  const Outcome r = launch({"-platform", "two words", ""}, {});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, home_.file(".local/state/tembra-player") + "\n[-platform]\n[two words]\n[]\n");
}

TEST_F(Launcher, RelativeStateHomeIsIgnored) {
  const Outcome r = launch({}, {{"XDG_STATE_HOME", "relative/state"}});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, home_.file(".local/state/tembra-player") + "\n");
}

TEST_F(Launcher, FoundThroughASymbolicLink) {
  fs::create_directories(home_.file("bin"));
  fs::create_symlink(tree_.file("bin/tembra-player"), home_.file("bin/tv"));
  TempDir state("tembra-state");
  const Outcome r = launch({"x"}, {{"XDG_STATE_HOME", state.path()}}, home_.file("bin/tv"));
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, state.file("tembra-player") + "\n[x]\n");
}

TEST_F(Launcher, UnusableStateFolderIsReported) {
  TempDir state("tembra-state");
  std::ofstream(state.file("file")) << "not a folder";
  const Outcome r = launch({}, {{"XDG_STATE_HOME", state.file("file")}});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("cannot create " + state.file("file") + "/tembra-player"), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "") << "the program did not start";
}

// A packager's staged install: files under DESTDIR, the entry naming the
// final place.
TEST(InstallStaged, DestdirKeepsTheFinalPathsInTheDesktopEntry) {
  TempDir stage("tembra-stage");
  const Outcome r = run(TEMBRA_CMAKE, {"--install", TEMBRA_BINARY_DIR, "--prefix", "/opt/tembra"},
                    {{"DESTDIR", stage.path()}});
  ASSERT_EQ(r.code, 0) << r.out << r.err;
  EXPECT_TRUE(executable(stage.file("opt/tembra/lib/tembra-player/tembra-player")));
  const std::string entry = readAll(stage.file("opt/tembra/share/applications/tembra-player.desktop"));
  EXPECT_NE(entry.find("\nExec=/opt/tembra/bin/tembra-player\n"), std::string::npos) << entry;
  EXPECT_FALSE(fs::exists("/opt/tembra/bin/tembra-player")) << "nothing outside DESTDIR";
}

}  // namespace
}  // namespace tembra
