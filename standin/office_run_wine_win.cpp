#include "office_run_wine_win.h"

#include <vector>

#include "common/utf_win.h"
#include "hazards_win.h"
#include "office_bridge_script.h"
#include "office_command.h"
#include "office_folder_win.h"

namespace standin {
namespace {

// Run under Wine as /bin/sh -c <this> quillory-office FOLDER TICKS PROGRAM ARGUMENTS...: starts
// PROGRAM in a process group of its own and waits for it. Beside it a watcher polls the
// instance's process (the shell's parent) every 0.2 s: once that is gone, ended at the time limit
// or on Esc, the group is killed and the folder removed. After TICKS polls the group is killed
// all the same (exit status 124): a client that died can no longer end a LibreOffice that hangs.
constexpr char kWatchedRun[] = R"(exec 2>/dev/null
folder=$1 ticks=$2
shift 2
parent=$PPID
HOME=$folder/home
export HOME
setsid "$@" </dev/null >"$folder/output" 2>&1 &
office=$!
(n=0
 while kill -0 "$parent" 2>/dev/null && [ $n -lt "$ticks" ]; do sleep 0.2; n=$((n + 1)); done
 [ $n -ge "$ticks" ] && : >"$folder/out/overdue"
 kill -9 -"$office" 2>/dev/null
 kill -0 "$parent" 2>/dev/null || rm -rf "$folder") &
watcher=$!
wait "$office"
status=$?
kill -9 -"$office" 2>/dev/null
[ -e "$folder/out/overdue" ] && status=124
kill -0 "$parent" 2>/dev/null && kill "$watcher" 2>/dev/null
exit $status)";

// LibreOffice itself, unless a test's command stands in for it; exit status 127: no soffice.
constexpr char kDefaultOffice[] = R"(command -v soffice >/dev/null 2>&1 || exit 127; exec soffice "$@")";

// The bridge's client, in the host's Python, which LibreOffice's Python bridge installs into;
// given its own source, from which it starts the bridge's server when none runs. Without site
// packages (-S) it starts in half the time.
constexpr char kBridgeClient[] = R"(p=/usr/bin/python3; [ -x "$p" ] || p=python3; exec "$p" -S -c "$1" "$@")";

std::string Command() {
  const std::string command = quillory::Narrow(OfficeCommand());
  return command.empty() ? kDefaultOffice : command;
}

int RunWatched(const WineCalls& wine, const std::string& folder, std::vector<std::string> program, std::string* reason) {
  std::vector<std::string> words = {"/bin/sh", "-c", kWatchedRun, "quillory-office", folder,
                                    std::to_string(OfficeLimitSeconds(kOfficeLimitSeconds) * 5)};
  for (std::string& word : program) words.push_back(std::move(word));
  const int status = RunUnix(wine, std::move(words));
  if (status < 0) *reason = "/bin/sh could not be started";
  return status;
}

}  // namespace

int RunOfficeUnderWine(const WineCalls& wine, const EngineChoice& choice, const std::string& source,
                       std::string* reason) {
  const std::string folder = UnixPath(wine, OfficeFolder());
  if (folder.empty()) {
    *reason = "the working folder has no Unix path";
    return -1;
  }
  std::vector<std::string> program = {"/bin/sh", "-c", Command(), "soffice"};
  for (std::string& a : OfficeArguments(FileUrl(folder + "/profile"), choice, folder + "/out", folder + "/in/" + source)) {
    program.push_back(std::move(a));
  }
  return RunWatched(wine, folder, std::move(program), reason);
}

int RunBridgeUnderWine(const WineCalls& wine, const EngineChoice& choice, const std::string& source,
                       std::string* reason) {
  const std::string folder = UnixPath(wine, OfficeFolder());
  if (folder.empty()) {
    *reason = "the working folder has no Unix path";
    return -1;
  }
  const std::string made = source.substr(0, source.rfind('.')) + std::string(choice.extension);
  return RunWatched(wine, folder,
                    {"/bin/sh", "-c", kBridgeClient, "bridge", kOfficeBridge, "convert", Command(),
                     std::to_string(OfficeLimitSeconds(kOfficeLimitSeconds)),
                     folder + "/profile/user/registrymodifications.xcu", folder + "/in/" + source,
                     folder + "/out/" + made, std::string(choice.filter)},
                    reason);
}

}  // namespace standin
