#include "office_run_wine_win.h"

#include <vector>

#include "common/utf_win.h"
#include "hazards_win.h"
#include "office_command.h"
#include "office_folder_win.h"

namespace standin {
namespace {

// Run under Wine as /bin/sh -c <this> quillory-office FOLDER COMMAND TICKS ARGUMENTS...: starts
// LibreOffice (or COMMAND, a test's stand-in for it) in a process group of its own and waits
// for it. Beside it a watcher polls the instance's process (the shell's parent) every 0.2 s:
// once that is gone, ended at the time limit or on Esc, the group is killed and the folder
// removed. After TICKS polls the group is killed all the same (exit status 124): a client that
// died can no longer end a LibreOffice that hangs. Exit status 127: no soffice on PATH.
constexpr char kWatchedRun[] = R"(exec 2>/dev/null
folder=$1 command=$2 ticks=$3
shift 3
parent=$PPID
HOME=$folder/home
export HOME
if [ -z "$command" ]; then
  command -v soffice >/dev/null 2>&1 || exit 127
  command='exec soffice "$@"'
fi
setsid sh -c "$command" soffice "$@" </dev/null >"$folder/output" 2>&1 &
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

}  // namespace

int RunOfficeUnderWine(const WineCalls& wine, const EngineChoice& choice, const std::string& source,
                       std::string* reason) {
  const std::string folder = UnixPath(wine, OfficeFolder());
  if (folder.empty()) {
    *reason = "the working folder has no Unix path";
    return -1;
  }
  std::vector<std::string> words = {"/bin/sh", "-c", kWatchedRun, "quillory-office", folder,
                                    quillory::Narrow(OfficeCommand()), std::to_string(OfficeLimitSeconds(kOfficeLimitSeconds) * 5)};
  for (std::string& a : OfficeArguments(FileUrl(folder + "/profile"), choice, folder + "/out", folder + "/in/" + source)) {
    words.push_back(std::move(a));
  }
  const int status = RunUnix(wine, std::move(words));
  if (status < 0) *reason = "/bin/sh could not be started";
  return status;
}

}  // namespace standin
