// The uninstaller run as a user runs it, in a private home, beside cadhost processes that stand in for the
// running host.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "cadhost_run.h"
#include "immutable_flag.h"
#include "interactive_program.h"
#include "small_volume.h"
#include "temp_folder.h"
#include "test_files.h"
#include "uninstall_target.h"

namespace {

namespace fs = std::filesystem;

const std::string kQuitTitle = "请先退出 AutoCAD";
const std::string kQuitText =
    "请保存图纸并完全退出所有 AutoCAD，再点继续。卸载器不会替你关闭 CAD，也不会保存或修改图纸。";
const std::string kQuitAction = "已退出 CAD，继续";
const std::string kOlderCopyTitle = "检测到旧版系统级插件";
const std::string kOlderCopyText =
    "为避免漏卸载，请先用新版 PKG 覆盖安装（会停用旧副本），再运行卸载器。本次未移除任何文件。";
const std::string kNothingTitle = "未发现已安装的 Ferrolin 批打工具";
const std::string kNothingText = "当前用户目录中没有插件，无需卸载。图纸未改动。";
const std::string kIdentityTitle = "无法安全确认插件目录";
const std::string kIdentityText = "目录或产品标识与本插件不符，已停止操作，未移除任何文件。请联系支持处理。";
const std::string kConfirmTitle = "卸载 Ferrolin 批打工具？";
const std::string kConfirmText =
    "只将当前用户的 Ferrolin 批打工具插件移到废纸篓，可恢复。保留设置、任务记录、安装缓存、字体和 PDF。";
const std::string kConfirmAction = "移到废纸篓并卸载";
const std::string kRestartedTitle = "AutoCAD 又已启动";
const std::string kRestartedText = "为保护当前工作，已取消卸载。请退出 CAD 后重试。";
const std::string kDoneTitle = "Ferrolin 批打工具已卸载";
const std::string kDoneText = "插件已移到废纸篓，可恢复。下次启动 AutoCAD 不再加载。设置、图纸和 PDF 均保留。";
const std::string kFailedTitle = "卸载未完成";
const std::string kLeftWholeText = "插件目录保持原样，未移除任何文件。";

std::string alertLine(const std::string& title, const std::string& text) { return "Alert: " + title + " — " + text; }

// The last alert the program printed.
std::string lastAlert(const std::string& output) {
  std::string last;
  for (const std::string& line : linesOf(output)) {
    if (line.rfind("Alert: ", 0) == 0) last = line;
  }
  return last;
}

// "DeletionDate=YYYY-MM-DDThh:mm:ss".
bool isDeletionDate(const std::string& line) {
  const std::string pattern = "DeletionDate=dddd-dd-ddTdd:dd:dd";
  if (line.size() != pattern.size()) return false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (pattern[i] == 'd' ? !std::isdigit(static_cast<unsigned char>(line[i])) : line[i] != pattern[i]) return false;
  }
  return true;
}

std::string percentDecoded(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      out.push_back(static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16)));
      i += 2;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

// One private home with the plug-in installed by the build's install script, and the environment every
// program of the test runs in: the host's registrations, the trash and the system root all lie inside it.
class Scene {
 public:
  Scene() : home_(fs::canonical(scratch_.path()).string()) {
    fs::create_directory(home_ + "/run");
    fs::permissions(home_ + "/run", fs::perms::owner_all, fs::perm_options::replace);
    options_.workingDirectory = home_;
    options_.environment = {{"HOME", home_},
                            {"XDG_CONFIG_HOME", home_ + "/.config"},
                            {"XDG_DATA_HOME", home_ + "/.local/share"},
                            {"XDG_RUNTIME_DIR", home_ + "/run"},
                            {"QUODL_SYSTEM_ROOT", home_ + "/root"}};
    const CadhostRun installed = runProgram(
        QUODL_CMAKE, {"-DQUODL_BUNDLE_DIR=" + std::string(QUODL_BUNDLE_DIR), "-P", QUODL_INSTALL_SCRIPT}, "", options_);
    EXPECT_EQ(installed.exitStatus, 0) << installed.output;
    EXPECT_TRUE(fs::is_regular_file(target() + "/PackageContents.xml"));
  }

  const std::string& home() const { return home_; }
  const RunOptions& options() const { return options_; }
  std::string target() const { return QDLUninstallTarget(home_); }
  std::string trash() const { return home_ + "/.local/share/Trash"; }
  std::string registration(int pid) const {
    return home_ + "/run/running-applications/" + std::to_string(pid) + ".json";
  }

  // A cadhost that runs until told to quit, once it has said that it runs.
  std::unique_ptr<InteractiveProgram> startHost() const {
    auto host =
        std::make_unique<InteractiveProgram>(QUODL_CADHOST, std::vector<std::string>{"--no-autoload"}, options_);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (!fs::exists(registration(host->processIdentifier())) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(fs::exists(registration(host->processIdentifier()))) << host->output();
    return host;
  }
  static void quitHost(InteractiveProgram& host) {
    host.writeLine("QUIT");
    host.closeInput();
    EXPECT_EQ(host.wait(), 0) << host.output();
  }

  // The uninstaller answered from a script file; `runAs` is a command that runs it as another user.
  CadhostRun uninstall(const std::string& answers, const std::vector<std::string>& runAs = {}) const {
    TempFolder scripts("quodl-answers");
    std::ofstream(scripts / "answers.txt") << answers;
    fs::permissions(scripts.path(), fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
    std::vector<std::string> arguments(runAs.begin(), runAs.end());
    arguments.insert(arguments.end(), {QUODL_UNINSTALLER, "--script", scripts / "answers.txt"});
    return runProgram(arguments.front(), {arguments.begin() + 1, arguments.end()}, "", options_);
  }

  // Every item in the home but the hosts' registrations and settings: kind, link target or content's digest.
  std::map<std::string, std::string> snapshot() const {
    std::map<std::string, std::string> items;
    for (auto it = fs::recursive_directory_iterator(home_); it != fs::recursive_directory_iterator(); ++it) {
      const std::string relative = fs::relative(it->path(), home_).string();
      if (relative == "run" || relative == ".config") {
        it.disable_recursion_pending();
        continue;
      }
      const fs::file_status status = it->symlink_status();
      if (fs::is_symlink(status)) {
        items[relative] = "link " + fs::read_symlink(it->path()).string();
      } else if (fs::is_directory(status)) {
        items[relative] = "folder";
      } else if (fs::is_regular_file(status)) {
        std::ostringstream content;
        content << std::ifstream(it->path(), std::ios::binary).rdbuf();
        items[relative] = "file of " + std::to_string(content.str().size()) + " bytes, hash " +
                          std::to_string(std::hash<std::string>{}(content.str()));
      } else {
        items[relative] = "other";
      }
    }
    return items;
  }

 private:
  TempFolder scratch_{"quodl-home"};
  std::string home_;
  RunOptions options_;
};

TEST(UninstallerProgram, EveryRefusalShowsItsNoticeRemovesNothingAndEndsWithItsStatus) {
  using Hosts = std::unique_ptr<InteractiveProgram>;
  struct Case {
    const char* what;
    std::function<void(const Scene&)> arrange;
    bool hostAtStart;
    // Done while the confirmation is open, which is then answered with its action; the answers are not used.
    std::function<void(const Scene&, Hosts&)> whileConfirming;
    std::string answers;
    std::string title, text;
    int status;
  };
  const std::string plugins = "/root/Library/Application Support/Autodesk/ApplicationPlugins/Quodline.bundle";
  auto manifest = [](const std::string& text) {
    return [text](const Scene& scene) { std::ofstream(scene.target() + "/PackageContents.xml") << text; };
  };
  auto linkInPlaceOfTheFolder = [](const Scene& scene) {
    fs::create_directory(scene.home() + "/elsewhere");
    fs::rename(scene.target(), scene.home() + "/elsewhere/Quodline.bundle");
    fs::create_directory_symlink(scene.home() + "/elsewhere/Quodline.bundle", scene.target());
  };
  const Case cases[] = {
      {"the host runs, the user cancels", nullptr, true, nullptr, "取消\n", kQuitTitle, kQuitText, 0},
      {"the host still runs after 'continue', then the script ends", nullptr, true, nullptr, kQuitAction + "\n",
       kQuitTitle, kQuitText, 0},
      {"the host starts while the user confirms", nullptr, false,
       [](const Scene& scene, Hosts& host) { host = scene.startHost(); }, "", kRestartedTitle, kRestartedText, 1},
      {"the folder is swapped for a link while the user confirms", nullptr, false,
       [linkInPlaceOfTheFolder](const Scene& scene, Hosts&) { linkInPlaceOfTheFolder(scene); }, "", kIdentityTitle,
       kIdentityText, 1},
      {"an older system-wide copy",
       [plugins](const Scene& scene) { fs::create_directories(scene.home() + plugins + "/Contents"); }, false, nullptr,
       "好\n", kOlderCopyTitle, kOlderCopyText, 1},
      {"nothing installed", [](const Scene& scene) { fs::remove_all(scene.target()); }, false, nullptr, "",
       kNothingTitle, kNothingText, 0},
      {"the install folder is a link to a package", linkInPlaceOfTheFolder, false, nullptr, "好\n", kIdentityTitle,
       kIdentityText, 1},
      {"a link on the way to the install folder",
       [](const Scene& scene) {
         const std::string autodesk = scene.home() + "/Library/Application Support/Autodesk";
         fs::rename(autodesk, scene.home() + "/Autodesk");
         fs::create_directory_symlink(scene.home() + "/Autodesk", autodesk);
       },
       false, nullptr, "好\n", kIdentityTitle, kIdentityText, 1},
      {"the manifest of another product",
       manifest("<ApplicationPackage Name=\"Quodraw\" ProductCode=\"{0F6E1B7A-2C44-4D1B-9E0A-5B3C2D1E0F99}\"/>"), false,
       nullptr, "好\n", kIdentityTitle, kIdentityText, 1},
      {"a manifest whose product code comes from an external entity",
       [](const Scene& scene) {
         // Whoever read the entities would find the right code in the file, and wait forever on the pipe.
         const std::string elsewhere = scene.home() + "/elsewhere";
         fs::create_directory(elsewhere);
         std::ofstream(elsewhere + "/code.txt") << "{7D3A91C2-5E48-4B06-9F1D-2C8E64A0B357}";
         ASSERT_EQ(mkfifo((elsewhere + "/pipe.fifo").c_str(), 0600), 0);
         std::ofstream(scene.target() + "/PackageContents.xml")
             << "<?xml version=\"1.0\"?>\n<!DOCTYPE ApplicationPackage [\n"
             << "  <!ENTITY code SYSTEM \"file://" << elsewhere << "/code.txt\">\n"
             << "  <!ENTITY pipe SYSTEM \"" << elsewhere << "/pipe.fifo\">\n]>\n"
             << "<ApplicationPackage Name=\"Quodline\" ProductCode=\"&code;\">&pipe;</ApplicationPackage>\n";
       },
       false, nullptr, "好\n", kIdentityTitle, kIdentityText, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Scene scene;
    if (c.arrange) c.arrange(scene);
    auto before = scene.snapshot();
    Hosts host;
    if (c.hostAtStart) host = scene.startHost();

    int status = -1;
    std::string output;
    if (c.whileConfirming) {
      InteractiveProgram uninstaller(QUODL_UNINSTALLER, {}, scene.options());
      ASSERT_TRUE(uninstaller.waitForOutput(alertLine(kConfirmTitle, kConfirmText))) << uninstaller.output();
      c.whileConfirming(scene, host);
      before = scene.snapshot();
      uninstaller.writeLine(kConfirmAction);
      uninstaller.closeInput();
      status = uninstaller.wait();
      output = uninstaller.output();
    } else {
      const CadhostRun run = scene.uninstall(c.answers);
      status = run.exitStatus;
      output = run.output;
    }
    if (host) Scene::quitHost(*host);

    EXPECT_EQ(lastAlert(output).rfind(alertLine(c.title, c.text), 0), 0u) << output;
    EXPECT_EQ(status, c.status) << output;
    EXPECT_EQ(scene.snapshot(), before);
    EXPECT_FALSE(fs::exists(scene.trash()));
  }
}

// The trash on another volume (a small tmpfs), the install on the disk, and one item in the package that the
// user cannot remove: the install stays whole, nothing of it is left in the trash, and the notice says so and
// why. Once the obstacle is gone, the next run moves it whole, with its record.
TEST(UninstallerProgram, AMoveToATrashOnAnotherVolumeIsAllOrNothing) {
  constexpr int kNobody = 65534;
  const std::string folder = "/Contents/Linux";
  const std::string module = folder + "/Quodline.so";
  struct Case {
    const char* what;
    bool asOrdinaryUser;
    // Puts the obstacle in place; returns what takes it away, or nothing when it could not be put in place.
    std::function<std::function<void()>(const Scene&)> arrange;
    std::string blocker;  // below the install folder
    std::string reason;
  };
  const Case cases[] = {
      {"an ordinary user, and a read-only folder in the package", true,
       [folder](const Scene& scene) -> std::function<void()> {
         const std::string path = scene.target() + folder;
         fs::permissions(path, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                   fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec,
                         fs::perm_options::replace);
         return [path] { fs::permissions(path, fs::perms::owner_write, fs::perm_options::add); };
       },
       folder + "/", "Permission denied"},
      {"root, and an immutable module", false,
       [module](const Scene& scene) -> std::function<void()> {
         auto flag = std::make_shared<ScopedImmutable>(scene.target() + module);
         if (!flag->set()) return nullptr;
         return [flag] { flag->release(); };
       },
       module, "Operation not permitted"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Scene scene;
    std::uintmax_t bundleBytes = 0;
    for (const auto& item : fs::recursive_directory_iterator(QUODL_BUNDLE_DIR)) {
      if (item.is_regular_file()) bundleBytes += item.file_size();
    }
    const SmallVolume trashVolume(scene.home() + "/.local/share", 2 * bundleBytes + 4 * 1024 * 1024);
    SKIP_UNLESS_MOUNTED(trashVolume);
    std::vector<std::string> runAs;
    if (c.asOrdinaryUser) {
      // The whole home, the trash's volume included, belongs to the user.
      ASSERT_EQ(::lchown(scene.home().c_str(), kNobody, kNobody), 0);
      for (const auto& item : fs::recursive_directory_iterator(scene.home())) {
        ASSERT_EQ(::lchown(item.path().c_str(), kNobody, kNobody), 0) << item.path();
      }
      runAs = {"/usr/bin/setpriv", "--reuid=" + std::to_string(kNobody), "--regid=" + std::to_string(kNobody),
               "--clear-groups"};
      if (!fs::exists(runAs.front())) GTEST_SKIP() << "no setpriv to run the uninstaller as an ordinary user";
    }
    const std::function<void()> undo = c.arrange(scene);
    if (!undo) GTEST_SKIP() << "the obstacle cannot be put in place here";
    const auto installed = [&scene] {
      auto items = scene.snapshot();
      std::erase_if(items, [](const auto& item) { return item.first.rfind("Library/", 0) != 0; });
      return items;
    };
    const auto before = installed();

    const CadhostRun refused = scene.uninstall(kConfirmAction + "\n", runAs);
    EXPECT_EQ(refused.exitStatus, 1) << refused.output;
    const std::string notice = lastAlert(refused.output);
    EXPECT_EQ(notice.rfind(alertLine(kFailedTitle, kLeftWholeText), 0), 0u) << refused.output;
    EXPECT_NE(notice.find(scene.target() + c.blocker), std::string::npos) << notice;
    EXPECT_NE(notice.find(c.reason), std::string::npos) << notice;
    EXPECT_EQ(installed(), before);
    EXPECT_TRUE(QDLValidateUninstallTarget(scene.target(), scene.home()));
    for (const char* part : {"/files", "/info"}) {
      EXPECT_TRUE(!fs::exists(scene.trash() + part) || fs::is_empty(scene.trash() + part)) << part;
    }

    undo();
    const CadhostRun moved = scene.uninstall(kConfirmAction + "\n", runAs);
    EXPECT_EQ(moved.exitStatus, 0) << moved.output;
    EXPECT_EQ(lastAlert(moved.output).rfind(alertLine(kDoneTitle, kDoneText), 0), 0u) << moved.output;
    EXPECT_FALSE(fs::exists(scene.target()));
    EXPECT_EQ(fs::file_size(scene.trash() + "/files/Quodline.bundle" + module),
              fs::file_size(std::string(QUODL_BUNDLE_DIR) + module));
    EXPECT_TRUE(fs::is_regular_file(scene.trash() + "/info/Quodline.bundle.trashinfo"));
  }
}

TEST(UninstallerProgram, MovesTheInstalledBundleToTheTrashOnceTheHostHasQuit) {
  Scene scene;
  TempFolder pictures("quodl-alerts");
  // A host that crashed long ago leaves its registration behind; it does not count as running.
  std::unique_ptr<InteractiveProgram> crashed = scene.startHost();
  crashed->kill();
  ASSERT_TRUE(fs::exists(scene.registration(crashed->processIdentifier())));
  std::unique_ptr<InteractiveProgram> host = scene.startHost();

  InteractiveProgram uninstaller(QUODL_UNINSTALLER, {}, scene.options());
  ASSERT_TRUE(uninstaller.waitForOutput(alertLine(kQuitTitle, kQuitText) + " [取消] [" + kQuitAction + "]"))
      << uninstaller.output();
  // "Continue" while the host still runs asks again.
  uninstaller.writeLine(kQuitAction);
  ASSERT_TRUE(uninstaller.waitForOutput(alertLine(kQuitTitle, kQuitText))) << uninstaller.output();
  Scene::quitHost(*host);
  uninstaller.writeLine("#2");
  ASSERT_TRUE(uninstaller.waitForOutput(alertLine(kConfirmTitle, kConfirmText) + " [取消] [" + kConfirmAction + "]"))
      << uninstaller.output();
  EXPECT_TRUE(fs::exists(scene.target()));  // nothing moves before the answer
  uninstaller.writeLine("@render " + pictures / "confirm.png 2");
  uninstaller.writeLine("Move");  // no such button: the question stays
  ASSERT_TRUE(uninstaller.waitForOutput("The alert has no button \"Move\"")) << uninstaller.output();
  uninstaller.writeLine(kConfirmAction);
  ASSERT_TRUE(uninstaller.waitForOutput(alertLine(kDoneTitle, kDoneText) + " [好]")) << uninstaller.output();
  uninstaller.writeLine("好");
  EXPECT_EQ(uninstaller.wait(), 0) << uninstaller.output();

  EXPECT_FALSE(fs::exists(scene.target()));
  std::ifstream png(pictures / "confirm.png", std::ios::binary);
  char signature[4] = {};
  png.read(signature, 4);
  EXPECT_EQ(std::string(signature, 4), "\x89PNG");

  // In the trash whole, with the record a file browser restores it by.
  const std::string trashed = scene.trash() + "/files/Quodline.bundle";
  EXPECT_EQ(fs::file_size(trashed + "/Contents/Linux/Quodline.so"),
            fs::file_size(std::string(QUODL_BUNDLE_DIR) + "/Contents/Linux/Quodline.so"));
  const std::vector<std::string> info = fileLines(scene.trash() + "/info/Quodline.bundle.trashinfo");
  ASSERT_EQ(info.size(), 3u);
  EXPECT_EQ(info[0], "[Trash Info]");
  EXPECT_EQ(info[1],
            "Path=" + scene.home() + "/Library/Application%20Support/Autodesk/ApplicationAddins/Quodline.bundle");
  EXPECT_TRUE(isDeletionDate(info[2])) << info[2];
  fs::rename(trashed, percentDecoded(info[1].substr(5)));
  EXPECT_TRUE(QDLValidateUninstallTarget(scene.target(), scene.home()));
}

}  // namespace
