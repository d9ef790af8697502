// QuilloryStandin.exe: a stand-in automation server for "Word.Application" on machines
// without the word processor (Wine, CI).
//   QuilloryStandin /RegServer     register in this machine's (Wine prefix's) classes
//   QuilloryStandin /UnregServer   remove that registration
//   QuilloryStandin -Embedding     serve one Application object (started by COM)
// It exits after "Quit" and on its own after an idle time without calls
// (QUILLORY_STANDIN_IDLE_SECONDS, default 60), so an orphaned instance never lingers; tests
// can make it misbehave as the word processor can (hazards_win.h).
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "common/com_apartment_win.h"
#include "common/com_object_win.h"
#include "hazards_win.h"
#include "journal.h"
#include "office_folder_win.h"
#include "registration.h"
#include "server_state.h"
#include "word_objects.h"

namespace {

using namespace standin;

constexpr UINT kRevokeMessage = WM_APP + 1;
constexpr UINT kRefusedMessage = WM_APP + 2;  // nothing more to serve: the process ends
// After "Quit" the client usually releases what it holds within moments; Wine may deliver
// those releases late, so the process ends after a short grace whatever is still held.
constexpr ULONGLONG kReleaseGraceMs = 1000;

DWORD mainThread = 0;
DWORD classCookie = 0;
bool classRegistered = false;

// One for the process, never deleted: COM's references do not count.
class ClassFactory final : public quillory::StaticComObject<IClassFactory> {
 public:
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    NoteActivity();
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (served_) return CO_E_SERVER_STOPPING;  // one instance per process
    if (TakeRefusal()) {
      Journal(L"Server: instance refused by RefuseOnce");
      served_ = true;
      // Gone before the client hears of it: no other request can be handed this server.
      if (classRegistered) CoRevokeClassObject(classCookie);
      classRegistered = false;
      PostThreadMessageW(mainThread, kRefusedMessage, 0, 0);
      return E_OUTOFMEMORY;
    }
    IDispatch* application = CreateApplication();
    const HRESULT hr = application->QueryInterface(iid, object);
    application->Release();
    if (SUCCEEDED(hr)) {
      served_ = true;
      Journal(L"Application: new");
      // The next client gets a process of its own.
      PostThreadMessageW(mainThread, kRevokeMessage, 0, 0);
    }
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  bool served_ = false;
};

ULONGLONG IdleLimitMs() {
  wchar_t text[32];
  const DWORD n = GetEnvironmentVariableW(L"QUILLORY_STANDIN_IDLE_SECONDS", text, 32);
  const long seconds = n > 0 && n < 32 ? std::wcstol(text, nullptr, 10) : 0;
  return (seconds > 0 ? seconds : 60) * 1000ull;
}

int Serve() {
  mainThread = GetCurrentThreadId();
  if (const DWORD delay = StartDelayMs()) {
    Journal(L"Server: start delayed " + std::to_wstring(delay) + L" ms by StartDelayMs");
    Sleep(delay);
    NoteActivity();  // the idle time counts from when the server is ready
  }
  const quillory::ComApartment apartment;
  if (!apartment.Ok()) return 1;
  static ClassFactory factory;
  const HRESULT hr =
      CoRegisterClassObject(kStandinClsid, &factory, CLSCTX_LOCAL_SERVER, REGCLS_SINGLEUSE, &classCookie);
  if (FAILED(hr)) return 1;
  classRegistered = true;
  const ULONGLONG idleLimit = IdleLimitMs();
  ULONGLONG quitAt = 0;
  SetTimer(nullptr, 0, 100, nullptr);

  std::wstring reason;
  MSG msg;
  while (reason.empty() && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.hwnd == nullptr && msg.message == kRefusedMessage) {
      reason = L"exit after refusing its instance";
      continue;
    }
    if (msg.hwnd == nullptr && msg.message == kRevokeMessage) {
      if (classRegistered) CoRevokeClassObject(classCookie);
      classRegistered = false;
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    if (QuitRequested()) {
      // The reply to "Quit" has gone; give the client a moment to release what it holds.
      if (quitAt == 0) quitAt = GetTickCount64();
      if (LiveObjects() == 0 || GetTickCount64() - quitAt > kReleaseGraceMs) {
        reason = L"exit after Quit";
      }
    } else if (MillisecondsSinceActivity() > idleLimit) {
      reason = L"exit after idle timeout";
    }
  }
  Journal(L"Server: " + reason);
  if (classRegistered) CoRevokeClassObject(classCookie);
  RemoveOfficeFolder();
  return 0;
}

bool IsSwitch(const wchar_t* arg, const wchar_t* name) {
  return (arg[0] == L'/' || arg[0] == L'-') && CompareStringOrdinal(arg + 1, -1, name, -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  for (int i = 1; i < argc; ++i) {
    std::wstring message;
    int code = -1;
    if (IsSwitch(argv[i], L"RegServer")) code = RegisterServer(&message);
    else if (IsSwitch(argv[i], L"UnregServer")) code = UnregisterServer(&message);
    else if (IsSwitch(argv[i], L"Embedding") || IsSwitch(argv[i], L"Automation")) return Serve();
    if (code >= 0) {
      std::fwprintf(code == 0 ? stdout : stderr, L"%ls\n", message.c_str());
      return code;
    }
  }
  std::fwprintf(stderr, L"QuilloryStandin: a stand-in automation server for \"Word.Application\".\n"
                        L"  /RegServer  register it (refused when the ProgID belongs to another server)\n"
                        L"  /UnregServer  remove its registration\n"
                        L"COM starts it with -Embedding.\n");
  return 1;
}
