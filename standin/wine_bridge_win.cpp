#include "wine_bridge_win.h"

#include "common/wine_win.h"

namespace standin {

const WineCalls* Wine() {
  static const WineCalls calls = [] {
    WineCalls found;
    if (quillory::RunningUnderWine()) {
      const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
      found.spawn = reinterpret_cast<WineCalls::Spawn>(
          reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "__wine_unix_spawnvp")));
      found.unixName = reinterpret_cast<WineCalls::UnixName>(reinterpret_cast<void (*)()>(
          GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    }
    return found;
  }();
  return calls.spawn && calls.unixName ? &calls : nullptr;
}

std::string UnixPath(const WineCalls& wine, const std::wstring& path) {
  char* name = wine.unixName(path.c_str());
  if (!name) return {};
  std::string unix(name);
  HeapFree(GetProcessHeap(), 0, name);
  return unix;
}

int RunUnix(const WineCalls& wine, std::vector<std::string> words) {
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  const LONG status = wine.spawn(argv.data(), 1);
  return status >= 0 && status <= 255 ? static_cast<int>(status) : -1;
}

}  // namespace standin
