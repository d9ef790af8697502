#include "word_objects.h"

#include <oleauto.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include "common/system_message_win.h"
#include "common/utf_win.h"
#include "server_state.h"
#include "template_conversion.h"

namespace standin {
namespace {

using Microsoft::WRL::ComPtr;

constexpr HRESULT kFileError = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 5174);
constexpr HRESULT kArgumentError = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 5148);

void ReturnString(VARIANT* result, const std::wstring& text) {
  VariantClear(result);
  result->vt = VT_BSTR;
  result->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

void ReturnInt(VARIANT* result, int number) {
  VariantClear(result);
  result->vt = VT_I4;
  result->lVal = number;
}

void ReturnObject(VARIANT* result, IDispatch* object) {
  VariantClear(result);
  result->vt = VT_DISPATCH;
  result->pdispVal = object;
  object->AddRef();
}

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

// The system's text for a Win32 error as part of a sentence: without its full stop, and
// never empty.
std::wstring SystemErrorText(DWORD error) {
  std::wstring text = quillory::SystemMessage(error);
  while (!text.empty() && text.back() == L'.') text.pop_back();
  return text.empty() ? L"error " + std::to_wstring(error) : text;
}

bool ReadWholeFile(const std::wstring& path, std::string* bytes, std::wstring* error) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *error = SystemErrorText(GetLastError());
    return false;
  }
  LARGE_INTEGER size{};
  bool ok = GetFileSizeEx(file, &size) && size.QuadPart < (512ll << 20);
  if (ok) {
    bytes->resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    ok = bytes->empty() || (ReadFile(file, bytes->data(), static_cast<DWORD>(bytes->size()), &read, nullptr) &&
                            read == bytes->size());
  }
  if (!ok) *error = SystemErrorText(GetLastError());
  CloseHandle(file);
  return ok;
}

// Written beside the target first, then moved over it, so a failed write leaves the old file.
bool WriteWholeFile(const std::wstring& path, const std::string& bytes, std::wstring* error) {
  const std::wstring temporary = path + L".standin-" + std::to_wstring(GetCurrentProcessId());
  HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *error = SystemErrorText(GetLastError());
    return false;
  }
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  const DWORD writeError = GetLastError();
  CloseHandle(file);
  if (!ok || !MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    *error = SystemErrorText(ok ? GetLastError() : writeError);
    DeleteFileW(temporary.c_str());
    return false;
  }
  return true;
}

std::wstring FullPath(const std::wstring& path) {
  wchar_t buffer[4096];
  const DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(std::size(buffer)), buffer, nullptr);
  return n > 0 && n < std::size(buffer) ? std::wstring(buffer, n) : path;
}

std::string LowerExtension(const std::wstring& path) {
  const size_t dot = path.rfind(L'.');
  const size_t separator = path.find_last_of(L"\\/");
  if (dot == std::wstring::npos || (separator != std::wstring::npos && dot < separator)) return {};
  std::string extension;
  for (wchar_t c : path.substr(dot)) extension.push_back(static_cast<char>(c < 128 ? towlower(c) : '?'));
  return extension;
}

class Documents;

class Document final : public AutomationObject {
 public:
  Document(Documents* owner, std::wstring path, std::string bytes, DocumentKind kind)
      : owner_(owner), path_(std::move(path)), bytes_(std::move(bytes)), kind_(kind) {}
  void Orphan() { owner_ = nullptr; }

 protected:
  const wchar_t* ObjectName() const override { return L"Document"; }
  const std::vector<Member>& Members() const override {
    static const std::vector<Member> members = {
        {L"Name", DISPID_VALUE, {}},
        {L"SaveAs", 1, {L"FileName", L"FileFormat", L"LockComments", L"Password", L"AddToRecentFiles",
                        L"WritePassword", L"ReadOnlyRecommended", L"EmbedTrueTypeFonts",
                        L"SaveNativePictureFormat", L"SaveFormsData", L"SaveAsAOCELetter", L"Encoding",
                        L"InsertLineBreaks", L"AllowSubstitutions", L"LineEnding", L"AddBiDiMarks"}},
        {L"Close", 2, {L"SaveChanges", L"OriginalFormat", L"RouteDocument"}},
        {L"FullName", 3, {}},
    };
    return members;
  }
  HRESULT Run(const Member& member, WORD, const CallArguments& arguments, VARIANT* result,
              std::wstring* error) override;

 private:
  HRESULT SaveAs(const CallArguments& arguments, std::wstring* error);

  Documents* owner_;
  std::wstring path_;
  std::string bytes_;
  DocumentKind kind_;
};

class Documents final : public AutomationObject {
 public:
  ~Documents() override {
    for (auto& d : open_) static_cast<Document*>(d.Get())->Orphan();
  }
  void Forget(IDispatch* document) {
    for (auto it = open_.begin(); it != open_.end(); ++it) {
      if (it->Get() == document) {
        open_.erase(it);
        return;
      }
    }
  }

 protected:
  const wchar_t* ObjectName() const override { return L"Documents"; }
  const std::vector<Member>& Members() const override {
    static const std::vector<Member> members = {
        {L"Count", 2, {}},
        {L"Open", 1, {L"FileName", L"ConfirmConversions", L"ReadOnly", L"AddToRecentFiles",
                      L"PasswordDocument", L"PasswordTemplate", L"Revert", L"WritePasswordDocument",
                      L"WritePasswordTemplate", L"Format", L"Encoding", L"Visible", L"OpenAndRepair",
                      L"DocumentDirection", L"NoEncodingDialog", L"XMLTransform"}},
    };
    return members;
  }
  HRESULT Run(const Member& member, WORD, const CallArguments& arguments, VARIANT* result,
              std::wstring* error) override {
    if (member.id == 2) {
      ReturnInt(result, static_cast<int>(open_.size()));
      return S_OK;
    }
    std::wstring path;
    if (!ArgumentString(arguments.Find(0), &path) || path.empty()) {
      *error = L"Open needs the file name of a document.";
      return kArgumentError;
    }
    std::string bytes;
    std::wstring why;
    if (!ReadWholeFile(path, &bytes, &why)) {
      *error = L"The file " + Quoted(path) + L" could not be opened: " + why + L".";
      return kFileError;
    }
    DocumentKind kind{};
    std::string reason;
    if (!IdentifyDocument(bytes, &kind, &reason)) {
      *error = L"The file " + Quoted(path) + L" could not be opened: it is damaged or not a Word document (" +
               quillory::Widen(reason) + L").";
      return kFileError;
    }
    ComPtr<IDispatch> document;
    document.Attach(new Document(this, path, std::move(bytes), kind));
    open_.push_back(document);
    ReturnObject(result, document.Get());
    return S_OK;
  }

 private:
  std::vector<ComPtr<IDispatch>> open_;
};

HRESULT Document::Run(const Member& member, WORD, const CallArguments& arguments, VARIANT* result,
                      std::wstring* error) {
  switch (member.id) {
    case DISPID_VALUE: {
      const size_t slash = path_.find_last_of(L"\\/");
      ReturnString(result, slash == std::wstring::npos ? path_ : path_.substr(slash + 1));
      return S_OK;
    }
    case 3:
      ReturnString(result, FullPath(path_));
      return S_OK;
    case 2:
      // Closing drops the document from its collection; nothing is saved.
      if (owner_) owner_->Forget(this);
      owner_ = nullptr;
      return S_OK;
    default:
      return SaveAs(arguments, error);
  }
}

HRESULT Document::SaveAs(const CallArguments& arguments, std::wstring* error) {
  std::wstring target;
  if (!ArgumentString(arguments.Find(0), &target) || target.empty()) {
    *error = L"SaveAs needs a FileName to save " + Quoted(path_) + L" as.";
    return kArgumentError;
  }
  int format = 0;
  if (arguments.Find(1) && !ArgumentInt(arguments.Find(1), &format)) {
    *error = L"SaveAs of " + Quoted(path_) + L" was given a FileFormat that is not a number.";
    return kArgumentError;
  }
  std::string output, reason;
  if (!ConvertToTemplate(bytes_, kind_, format, LowerExtension(target), &output, &reason)) {
    *error = Quoted(path_) + L" could not be saved as " + Quoted(target) + L": " + quillory::Widen(reason) + L".";
    return kFileError;
  }
  // A template saved onto its own path stays as it is.
  const bool samePath = CompareStringOrdinal(FullPath(target).c_str(), -1, FullPath(path_).c_str(), -1, TRUE) == CSTR_EQUAL;
  if (samePath && output == bytes_) return S_OK;
  std::wstring why;
  if (!WriteWholeFile(target, output, &why)) {
    *error = L"The file " + Quoted(target) + L" could not be written: " + why + L".";
    return kFileError;
  }
  return S_OK;
}

class Application final : public AutomationObject {
 protected:
  const wchar_t* ObjectName() const override { return L"Application"; }
  const std::vector<Member>& Members() const override {
    static const std::vector<Member> members = {
        {L"Name", DISPID_VALUE, {}},
        {L"Documents", 1, {}},
        {L"Quit", 2, {L"SaveChanges", L"OriginalFormat", L"RouteDocument"}},
        {L"AutomationSecurity", 3, {}},
        {L"DisplayAlerts", 4, {}},
        {L"Visible", 5, {}},
    };
    return members;
  }
  HRESULT Run(const Member& member, WORD flags, const CallArguments& arguments, VARIANT* result,
              std::wstring* error) override {
    const bool isPut = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    switch (member.id) {
      case DISPID_VALUE:
        ReturnString(result, L"Microsoft Word");
        return S_OK;
      case 1:
        if (!documents_) documents_.Attach(new Documents());
        ReturnObject(result, documents_.Get());
        return S_OK;
      case 2:
        RequestQuit();
        return S_OK;
      default: {
        int* property = member.id == 3 ? &automationSecurity_ : member.id == 4 ? &displayAlerts_ : &visible_;
        if (!isPut) {
          ReturnInt(result, *property);
          return S_OK;
        }
        if (!ArgumentInt(arguments.PutValue(), property)) {
          *error = std::wstring(member.name) + L" takes a number.";
          return kArgumentError;
        }
        return S_OK;
      }
    }
  }

 private:
  ComPtr<IDispatch> documents_;
  int automationSecurity_ = 1;  // macros enabled, as a fresh instance starts
  int displayAlerts_ = -1;      // all alerts
  int visible_ = 0;
};

}  // namespace

IDispatch* CreateApplication() { return new Application(); }

}  // namespace standin
