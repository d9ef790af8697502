// The conversion run against the stand-in automation server: per-document time of
// Quillory's run (the run's sequence and the Word1 routine) against a bare loop of the same
// automation calls made directly through IDispatch, alternating in the same process; and
// the process's memory after 10 documents against after 200.
//   bench_conversion_run [documents=200] [rounds=3] [block=10]
#include <windows.h>
#include <objbase.h>
#include <ole2.h>
#include <oleauto.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "conversion/conversion_run.h"
#include "conversion/word_automation_win.h"
#include "common/utf_win.h"

namespace {

using namespace quillory;
using Clock = std::chrono::steady_clock;

// The run's view of a window that shows nothing.
class QuietView final : public RunView {
 public:
  explicit QuietView(std::vector<std::string> entries) : entries_(std::move(entries)) {}
  size_t EntryCount() const override { return entries_.size(); }
  std::string EntryText(size_t position) const override { return entries_.at(position - 1); }
  void SetProgress(double) override {}
  void SetMousePointer(PointerShape) override {}
  TemplateTarget Target() const override { return TemplateTarget::kDot; }
  bool Closed() const override { return false; }
  bool StopRequested() const override { return false; }
  void ShowInformation(const std::string& text) override { last = text; }
  bool AskYesNo(const std::string&) override { return true; }
  std::string last;

 private:
  std::vector<std::string> entries_;
};


// The same calls with nothing around them.
HRESULT Call(IDispatch* object, const wchar_t* member, WORD flags, std::vector<const wchar_t*> argumentNames,
             std::vector<VARIANT> arguments, VARIANT* result) {
  std::vector<LPOLESTR> names = {const_cast<LPOLESTR>(member)};
  for (const wchar_t* n : argumentNames) names.push_back(const_cast<LPOLESTR>(n));
  std::vector<DISPID> ids(names.size());
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names.data(), static_cast<UINT>(names.size()), LOCALE_USER_DEFAULT, ids.data());
  if (FAILED(hr)) return hr;
  std::reverse(arguments.begin(), arguments.end());
  std::vector<DISPID> named(ids.begin() + 1, ids.end());
  std::reverse(named.begin(), named.end());
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS params{arguments.data(), flags == DISPATCH_PROPERTYPUT ? &put : named.data(),
                    static_cast<UINT>(arguments.size()),
                    flags == DISPATCH_PROPERTYPUT ? 1u : static_cast<UINT>(named.size())};
  return object->Invoke(ids[0], IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr, nullptr);
}

VARIANT I4(int v) { VARIANT x; VariantInit(&x); x.vt = VT_I4; x.lVal = v; return x; }
VARIANT Bool(bool v) { VARIANT x; VariantInit(&x); x.vt = VT_BOOL; x.boolVal = v ? VARIANT_TRUE : VARIANT_FALSE; return x; }
VARIANT Str(BSTR v) { VARIANT x; VariantInit(&x); x.vt = VT_BSTR; x.bstrVal = v; return x; }

bool BareDocument(const CLSID& clsid, BSTR document, BSTR templ, BSTR empty) {
  IDispatch* app = nullptr;
  if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, reinterpret_cast<void**>(&app)))) return false;
  Call(app, L"AutomationSecurity", DISPATCH_PROPERTYPUT, {}, {I4(3)}, nullptr);
  Call(app, L"DisplayAlerts", DISPATCH_PROPERTYPUT, {}, {I4(0)}, nullptr);
  VARIANT documents, opened;
  VariantInit(&documents);
  VariantInit(&opened);
  bool ok = SUCCEEDED(Call(app, L"Documents", DISPATCH_PROPERTYGET, {}, {}, &documents)) &&
            SUCCEEDED(Call(documents.pdispVal, L"Open", DISPATCH_METHOD, {}, {Str(document)}, &opened)) &&
            SUCCEEDED(Call(opened.pdispVal, L"SaveAs", DISPATCH_METHOD,
                           {L"FileName", L"FileFormat", L"LockComments", L"Password", L"AddToRecentFiles",
                            L"WritePassword", L"ReadOnlyRecommended", L"EmbedTrueTypeFonts",
                            L"SaveNativePictureFormat", L"SaveFormsData", L"SaveAsAOCELetter"},
                           {Str(templ), I4(1), Bool(false), Str(empty), Bool(true), Str(empty), Bool(false),
                            Bool(false), Bool(false), Bool(false), Bool(false)},
                           nullptr));
  Call(app, L"Quit", DISPATCH_METHOD, {}, {}, nullptr);
  VariantClear(&opened);
  VariantClear(&documents);
  app->Release();
  return ok;
}

struct Memory {
  double heapKiB;        // bytes in use in every heap of the process
  double workingSetMiB;
  double pagefileMiB;
};

Memory Measure() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
  HANDLE heaps[64];
  const DWORD heapCount = std::min<DWORD>(GetProcessHeaps(64, heaps), 64);
  double used = 0;
  for (DWORD i = 0; i < heapCount; ++i) {
    if (!HeapLock(heaps[i])) continue;
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heaps[i], &entry)) {
      if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) used += entry.cbData;
    }
    HeapUnlock(heaps[i]);
  }
  return {used / 1024.0, counters.WorkingSetSize / 1048576.0, counters.PagefileUsage / 1048576.0};
}

std::wstring FixtureFolder() {
  std::string file = __FILE__;
  for (char& c : file) {
    if (c == '/') c = '\\';
  }
  if (!file.empty() && file[0] == '\\') file = "Z:" + file;
  return Widen(file.substr(0, file.rfind("\\bench\\")) + "\\tests\\data");
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int total = argc > 1 ? std::atoi(argv[1]) : 200;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  const int block = argc > 3 ? std::atoi(argv[3]) : 10;
  if (FAILED(OleInitialize(nullptr))) return 1;
  SetEnvironmentVariableW(L"QUILLORY_STANDIN_JOURNAL", nullptr);

  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"quillory-bench-" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring document = folder + L"\\letter.doc";
  if (!CopyFileW((FixtureFolder() + L"\\letter.doc").c_str(), document.c_str(), FALSE)) {
    std::printf("cannot copy the fixture letter.doc\n");
    return 1;
  }
  CLSID clsid{};
  if (FAILED(CLSIDFromProgID(kWordProgId, &clsid))) {
    std::printf("Word.Application is not registered (run tools/wine-prefix)\n");
    return 1;
  }
  BSTR documentB = SysAllocString(document.c_str());
  BSTR templB = SysAllocString((folder + L"\\letter.dot").c_str());
  BSTR emptyB = SysAllocString(L"");
  const std::vector<std::string> oneBlock(block, Narrow(document));
  // Each document on its own thread with the window's wait, as a press runs it.
  WordAutomation automation([] { return false; }, nullptr, kDefaultTimeLimit);

  // Alternating blocks, so that a slower moment of the machine falls on both alike.
  std::vector<double> bare, quillory;
  for (int r = 0; r < rounds; ++r) {
    auto start = Clock::now();
    for (int i = 0; i < block; ++i) {
      if (!BareDocument(clsid, documentB, templB, emptyB)) std::printf("bare loop: a document failed\n");
    }
    bare.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count() / block);
    QuietView view(oneBlock);
    start = Clock::now();
    ConvertAll(view, automation);
    quillory.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count() / block);
    if (view.last != "Done.") std::printf("run: %s\n", view.last.c_str());
  }
  std::printf("per document, median of %d rounds of %d: bare loop %.1f ms, Quillory's run %.1f ms, ratio %.3f\n",
              rounds, block, Median(bare), Median(quillory), Median(quillory) / Median(bare));

  // Memory of Quillory's runs: after 10 documents and after `total`.
  auto runDocuments = [&](int n) {
    QuietView view(std::vector<std::string>(n, Narrow(document)));
    ConvertAll(view, automation);
    if (view.last != "Done.") std::printf("run: %s\n", view.last.c_str());
  };
  runDocuments(10);
  const Memory at10 = Measure();
  runDocuments(total - 10);
  const Memory atTotal = Measure();
  std::printf("memory after 10 documents: heap in use %.1f KiB, working set %.2f MiB, pagefile %.2f MiB\n",
              at10.heapKiB, at10.workingSetMiB, at10.pagefileMiB);
  std::printf("memory after %d documents: heap in use %.1f KiB, working set %.2f MiB, pagefile %.2f MiB\n",
              total, atTotal.heapKiB, atTotal.workingSetMiB, atTotal.pagefileMiB);
  std::printf("growth from 10 to %d documents: heap %+.1f KiB, working set %+.2f MiB\n", total,
              atTotal.heapKiB - at10.heapKiB, atTotal.workingSetMiB - at10.workingSetMiB);

  SysFreeString(documentB);
  SysFreeString(templB);
  SysFreeString(emptyB);
  DeleteFileW(document.c_str());
  DeleteFileW((folder + L"\\letter.dot").c_str());
  RemoveDirectoryW(folder.c_str());
  OleUninitialize();
  return 0;
}
