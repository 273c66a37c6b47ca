// The uninstaller: moves the plug-in's per-user install folder to the trash after its checks and the user's
// confirmation. See `quodline-uninstaller --help`.

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "alert_answers.h"
#include "autocad_recognition.h"
#include "foundation/files.h"
#include "foundation/main_queue.h"
#include "foundation/paths.h"
#include "foundation/trash.h"
#include "notice.h"
#include "toolkit/alert.h"
#include "toolkit/application.h"
#include "uninstall_target.h"

namespace {

constexpr char kUsage[] = R"(Usage: quodline-uninstaller [--script FILE]

Moves the plug-in's folder ~/Library/Application Support/Autodesk/ApplicationAddins/Quodline.bundle to the
trash (restorable from it), after checking that the host does not run, that no older system-wide copy is
installed and that the folder is the plug-in's own package, and after asking.

Each question is printed as one line, "Alert: TITLE — TEXT [BUTTON]…", and answered by the next line of FILE,
or of standard input: a button's title, "#1" or "#2" for the first or second button, or an empty line for
Return (the first button). "@render PATH.png [SCALE]" writes the alert as a picture first. Without an answer an
alert takes its first button ("取消" or "好"), so nothing is removed.

Exit status: 0 uninstalled, cancelled or nothing to do; 1 refused or failed; 2 bad arguments.
)";

constexpr char kQuitTitle[] = "请先退出 AutoCAD";
constexpr char kQuitText[] =
    "请保存图纸并完全退出所有 AutoCAD，再点继续。卸载器不会替你关闭 CAD，也不会保存或修改图纸。";
constexpr char kQuitAction[] = "已退出 CAD，继续";
constexpr char kOlderCopyTitle[] = "检测到旧版系统级插件";
constexpr char kOlderCopyText[] =
    "为避免漏卸载，请先用新版 PKG 覆盖安装（会停用旧副本），再运行卸载器。本次未移除任何文件。";
constexpr char kNothingTitle[] = "未发现已安装的 Ferrolin 批打工具";
constexpr char kNothingText[] = "当前用户目录中没有插件，无需卸载。图纸未改动。";
constexpr char kIdentityTitle[] = "无法安全确认插件目录";
constexpr char kIdentityText[] = "目录或产品标识与本插件不符，已停止操作，未移除任何文件。请联系支持处理。";
constexpr char kConfirmTitle[] = "卸载 Ferrolin 批打工具？";
constexpr char kConfirmText[] =
    "只将当前用户的 Ferrolin 批打工具插件移到废纸篓，可恢复。保留设置、任务记录、安装缓存、字体和 PDF。";
constexpr char kConfirmAction[] = "移到废纸篓并卸载";
constexpr char kRestartedTitle[] = "AutoCAD 又已启动";
constexpr char kRestartedText[] = "为保护当前工作，已取消卸载。请退出 CAD 后重试。";
constexpr char kDoneTitle[] = "Ferrolin 批打工具已卸载";
constexpr char kDoneText[] = "插件已移到废纸篓，可恢复。下次启动 AutoCAD 不再加载。设置、图纸和 PDF 均保留。";
constexpr char kFailedTitle[] = "卸载未完成";
constexpr char kFailedText[] = "无法移到废纸篓，请检查目录权限。";
// Which of the two outcomes of a failed move, before its reason.
constexpr char kLeftWholeText[] = "插件目录保持原样，未移除任何文件。";
constexpr char kPartlyLeftText[] = "插件已完整移到废纸篓，可恢复；但原目录中有些项目无法移除，仍留在原处。";

constexpr int kDone = 0;
constexpr int kRefused = 1;
constexpr int kBadArguments = 2;

bool actionChosen(long response) { return response == toolkit::kAlertSecondButtonReturn; }

void say(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  std::optional<std::string> script;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--help" || argument == "-h") {
      std::fputs(kUsage, stdout);
      return kDone;
    }
    if (argument == "--script" && i + 1 < argc && !script) {
      script = argv[++i];
      continue;
    }
    std::fprintf(stderr, "quodline-uninstaller: unexpected argument \"%s\"\nTry --help.\n", argument.c_str());
    return kBadArguments;
  }
  std::ifstream scriptFile;
  if (script) {
    scriptFile.open(*script);
    if (!scriptFile) {
      std::fprintf(stderr, "quodline-uninstaller: cannot read the script %s\n", script->c_str());
      return kBadArguments;
    }
  }
  std::istream& input = script ? static_cast<std::istream&>(scriptFile) : std::cin;
  const bool person = !script && ::isatty(STDIN_FILENO);
  answerAlertsFromLines(
      [&input, person]() -> std::optional<std::string> {
        if (person) say("Your answer (a button's title, or #n for the n-th button):");
        std::string line;
        if (!std::getline(input, line)) return std::nullopt;
        return line;
      },
      say);

  // In front, so that its alerts are seen.
  foundation::MainQueue::main().setMainThread();
  toolkit::Application::shared().activateIgnoringOtherApps(true);

  // Nothing is touched while the host runs: it may hold the plug-in and the user's drawings.
  while (anyAutoCADRuns()) {
    if (!actionChosen(notice(kQuitTitle, kQuitText, kQuitAction))) return kDone;
  }

  // Only this user's folder, and only when no copy would be left behind and nothing else removed by mistake.
  const std::string home = foundation::homeDirectory();
  const std::string target = QDLUninstallTarget(home);
  if (foundation::fileExists(olderSystemWideCopy())) {
    notice(kOlderCopyTitle, kOlderCopyText);
    return kRefused;
  }
  if (!foundation::fileExists(target)) {
    notice(kNothingTitle, kNothingText);
    return kDone;
  }
  if (!QDLValidateUninstallTarget(target, home)) {
    notice(kIdentityTitle, kIdentityText);
    return kRefused;
  }

  if (!actionChosen(notice(kConfirmTitle, kConfirmText, kConfirmAction))) return kDone;

  // What may have changed while the question was open is checked again right before the move.
  if (anyAutoCADRuns()) {
    notice(kRestartedTitle, kRestartedText);
    return kRefused;
  }
  if (!QDLValidateUninstallTarget(target, home)) {
    notice(kIdentityTitle, kIdentityText);
    return kRefused;
  }

  // Moved, never deleted: the trash can give it back.
  const foundation::TrashResult trashed = foundation::trashItem(target);
  if (!trashed) {
    notice(kFailedTitle, std::string(trashed.partlyLeft ? kPartlyLeftText : kLeftWholeText) +
                             (trashed.error.empty() ? kFailedText : trashed.error));
    return kRefused;
  }
  notice(kDoneTitle, kDoneText);
  return kDone;
}
