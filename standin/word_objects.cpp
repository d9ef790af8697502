#include "word_objects.h"

#include <oleauto.h>
#include <wrl/client.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/file_name.h"
#include "compatibility_mode.h"
#include "common/utf_win.h"
#include "document_files_win.h"
#include "engine_choice.h"
#include "hazards_win.h"
#include "journal.h"
#include "libreoffice_win.h"
#include "server_state.h"
#include "template_making.h"

namespace standin {
namespace {

using Microsoft::WRL::ComPtr;

constexpr HRESULT kFileError = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 5174);
constexpr HRESULT kArgumentError = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 5148);
constexpr HRESULT kPasswordError = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 5408);
constexpr int kDoNotSaveChanges = 0, kPromptToSaveChanges = -2;  // Quit's SaveChanges

// Where the arguments read lie in each method's list of argument names below.
enum OpenArgument : size_t { kOpenFileName = 0, kOpenReadOnly = 2, kOpenPasswordDocument = 4 };
enum SaveAsArgument : size_t { kSaveAsFileName = 0, kSaveAsFileFormat = 1 };
enum QuitArgument : size_t { kQuitSaveChanges = 0 };

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

void ReturnBool(VARIANT* result, bool flag) {
  VariantClear(result);
  result->vt = VT_BOOL;
  result->boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
}

void ReturnObject(VARIANT* result, IDispatch* object) {
  VariantClear(result);
  result->vt = VT_DISPATCH;
  result->pdispVal = object;
  object->AddRef();
}

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

// Each object's dispatch ids, named once for its member table and its Run.
enum DocumentMember : DISPID {
  kDocumentName = DISPID_VALUE,
  kSaveAs = 1,
  kClose = 2,
  kFullName = 3,
  kHasVBProject = 4,
  kCompatibilityMode = 5,
  kConvert = 6,
};
enum TemplateMember : DISPID { kTemplateName = DISPID_VALUE, kSaved = 1 };
enum DocumentsMember : DISPID { kOpen = 1, kCount = 2 };
enum ApplicationMember : DISPID {
  kApplicationName = DISPID_VALUE,
  kDocuments = 1,
  kQuit = 2,
  kAutomationSecurity = 3,
  kDisplayAlerts = 4,
  kVisible = 5,
  kNormalTemplate = 6,
};

// The one instance's Normal template: changed by some documents as they open, asked about by
// Quit unless it was marked saved.
bool normalSaved = true;

// The Normal template, as Application's NormalTemplate gives it.
class NormalTemplate final : public AutomationObject {
 protected:
  const wchar_t* ObjectName() const override { return L"Template"; }
  const std::vector<Member>& Members() const override {
    static const std::vector<Member> members = {{L"Name", kTemplateName, {}}, {L"Saved", kSaved, {}}};
    return members;
  }
  HRESULT Run(const Member& member, WORD flags, const CallArguments& arguments, VARIANT* result,
              std::wstring* error) override {
    if (member.id == kTemplateName) return ReturnString(result, L"Normal.dotm"), S_OK;
    if (!(flags & DISPATCH_PROPERTYPUT)) return ReturnBool(result, normalSaved), S_OK;
    if (!ArgumentBool(arguments.PutValue(), &normalSaved)) {
      *error = L"Saved takes True or False.";
      return kArgumentError;
    }
    return S_OK;
  }
};

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
        {L"Name", kDocumentName, {}},
        {L"SaveAs", kSaveAs, {L"FileName", L"FileFormat", L"LockComments", L"Password", L"AddToRecentFiles",
                        L"WritePassword", L"ReadOnlyRecommended", L"EmbedTrueTypeFonts",
                        L"SaveNativePictureFormat", L"SaveFormsData", L"SaveAsAOCELetter", L"Encoding",
                        L"InsertLineBreaks", L"AllowSubstitutions", L"LineEnding", L"AddBiDiMarks"}},
        {L"Close", kClose, {L"SaveChanges", L"OriginalFormat", L"RouteDocument"}},
        {L"FullName", kFullName, {}},
        {L"HasVBProject", kHasVBProject, {}},
        {L"CompatibilityMode", kCompatibilityMode, {}},
        {L"Convert", kConvert, {}},
    };
    return members;
  }
  HRESULT Run(const Member& member, WORD, const CallArguments& arguments, VARIANT* result,
              std::wstring* error) override;

 private:
  HRESULT SaveAs(const CallArguments& arguments, std::wstring* error);
  HRESULT Convert(std::wstring* error);
  bool MakeTemplate(int format, const std::string& extension, std::string* output, std::string* reason);

  Documents* owner_;
  std::wstring path_;
  std::string bytes_;
  DocumentKind kind_;
  bool converted_ = false;  // to the current mode: a binary document's template records it anyway

 public:
  bool changed = false;  // since it was last saved
};

class Documents final : public AutomationObject {
 public:
  ~Documents() override {
    for (auto& d : open_) static_cast<Document*>(d.Get())->Orphan();
  }
  // Whether an open document has changed since its save.
  bool AnyChanged() const;
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
        {L"Count", kCount, {}},
        {L"Open", kOpen, {L"FileName", L"ConfirmConversions", L"ReadOnly", L"AddToRecentFiles",
                      L"PasswordDocument", L"PasswordTemplate", L"Revert", L"WritePasswordDocument",
                      L"WritePasswordTemplate", L"Format", L"Encoding", L"Visible", L"OpenAndRepair",
                      L"DocumentDirection", L"NoEncodingDialog", L"XMLTransform"}},
    };
    return members;
  }
  HRESULT Run(const Member& member, WORD, const CallArguments& arguments, VARIANT* result,
              std::wstring* error) override {
    if (member.id == kCount) {
      ReturnInt(result, static_cast<int>(open_.size()) + others_);
      return S_OK;
    }
    return Open(arguments, result, error);
  }

 private:
  HRESULT Open(const CallArguments& arguments, VARIANT* result, std::wstring* error);

  std::vector<ComPtr<IDispatch>> open_;
  int others_ = 0;  // documents opened by someone else (SecondDocument)
};

// Open reads the document at once; what would put a prompt in front of the word processor
// (a file another process is writing, a document that needs its password) waits for ever.
HRESULT Documents::Open(const CallArguments& arguments, VARIANT* result, std::wstring* error) {
  std::wstring path, password;
  bool readOnly = false;
  if (!ArgumentString(arguments.Find(kOpenFileName), &path) || path.empty()) {
    *error = L"Open needs the file name of a document.";
    return kArgumentError;
  }
  if (arguments.Find(kOpenReadOnly) && !ArgumentBool(arguments.Find(kOpenReadOnly), &readOnly)) {
    *error = L"Open of " + Quoted(path) + L" was given a ReadOnly that is not True or False.";
    return kArgumentError;
  }
  if (arguments.Find(kOpenPasswordDocument) && !ArgumentString(arguments.Find(kOpenPasswordDocument), &password)) {
    *error = L"Open of " + Quoted(path) + L" was given a PasswordDocument that is not text.";
    return kArgumentError;
  }
  const std::wstring name = quillory::FileName(path);
  if (HazardMatches(kExitInOpen, name)) {
    Journal(L"Server: exit in Open: ExitInOpen matches " + Quoted(name));
    ExitProcess(3);
  }
  if (HazardMatches(kHangInOpen, name)) WaitForEver(L"HangInOpen matches " + Quoted(name));

  std::string bytes;
  std::wstring why;
  switch (ReadDocumentFile(path, readOnly, &bytes, &why)) {
    case ReadOutcome::kRead: break;
    case ReadOutcome::kInUse: WaitForEver(Quoted(path) + L" is in use by another process");
    case ReadOutcome::kFailed:
      *error = L"The file " + Quoted(path) + L" could not be opened: " + why + L".";
      return kFileError;
  }
  DocumentKind kind{};
  std::string reason;
  if (!IdentifyAnyDocument(bytes, LowerExtension(path), &kind, &reason)) {
    *error = L"The file " + Quoted(path) + L" could not be opened: it is damaged or not a Word document (" +
             quillory::Widen(reason) + L").";
    return kFileError;
  }
  if (const char* refusal = OpenRefusal(kind)) {
    *error = L"The file " + Quoted(path) + L" could not be opened. " + quillory::Widen(refusal);
    return kFileError;
  }
  if (IsPasswordProtected(kind)) {
    if (password.empty()) WaitForEver(Quoted(path) + L" needs a password");
    *error = L"The password is incorrect. Word cannot open the document.";
    return kPasswordError;
  }
  if (HazardMatches(kChangeNormal, name)) {
    Journal(L"Server: the Normal template changed: ChangeNormal matches " + Quoted(name));
    normalSaved = false;
  }
  ComPtr<IDispatch> document;
  document.Attach(new Document(this, path, std::move(bytes), kind));
  open_.push_back(document);
  if (HazardMatches(kSecondDocument, name)) {
    Journal(L"Server: another document opened: SecondDocument matches " + Quoted(name));
    ++others_;
  }
  ReturnObject(result, document.Get());
  return S_OK;
}

HRESULT Document::Run(const Member& member, WORD, const CallArguments& arguments, VARIANT* result,
                      std::wstring* error) {
  switch (member.id) {
    case kDocumentName:
      ReturnString(result, quillory::FileName(path_));
      return S_OK;
    case kFullName:
      ReturnString(result, FullPath(path_));
      return S_OK;
    case kHasVBProject:
      ReturnBool(result, HasMacroProject(bytes_, kind_));
      return S_OK;
    case kCompatibilityMode:
      ReturnInt(result, converted_ ? kCurrentCompatibilityMode : CompatibilityMode(bytes_, kind_));
      return S_OK;
    case kConvert:
      return Convert(error);
    case kClose:
      // Closing drops the document from its collection; nothing is saved.
      if (owner_) owner_->Forget(this);
      owner_ = nullptr;
      return S_OK;
    default:
      return SaveAs(arguments, error);
  }
}

// The template's bytes from the stand-in itself within a family, else from LibreOffice, read
// back before anything is written to the target.
bool Document::MakeTemplate(int format, const std::string& extension, std::string* output, std::string* reason) {
  EngineChoice choice;
  if (!ChooseEngine(kind_, format, extension, &choice, reason)) return false;
  if (choice.engine == Engine::kStandin) return ConvertToTemplate(bytes_, choice.kind, choice.made, output, reason);
  switch (ConvertWithOffice(bytes_, LowerExtension(path_), choice, output, reason)) {
    case OfficeOutcome::kMissing: *reason = NeedsLibreOffice(choice); return false;
    case OfficeOutcome::kFailed: return false;
    case OfficeOutcome::kConverted: break;
  }
  std::string why;
  if (!CheckTemplate(*output, choice.made, &why)) {
    *reason = "the template LibreOffice made is not right: " + why;
    return false;
  }
  return true;
}

HRESULT Document::SaveAs(const CallArguments& arguments, std::wstring* error) {
  std::wstring target;
  if (!ArgumentString(arguments.Find(kSaveAsFileName), &target) || target.empty()) {
    *error = L"SaveAs needs a FileName to save " + Quoted(path_) + L" as.";
    return kArgumentError;
  }
  int format = 0;
  if (arguments.Find(kSaveAsFileFormat) && !ArgumentInt(arguments.Find(kSaveAsFileFormat), &format)) {
    *error = L"SaveAs of " + Quoted(path_) + L" was given a FileFormat that is not a number.";
    return kArgumentError;
  }
  std::string output, reason;
  if (!MakeTemplate(format, LowerExtension(target), &output, &reason)) {
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
  changed = HazardMatches(kChangeAfterSave, quillory::FileName(path_));
  return S_OK;
}

// Brings the document to the current compatibility mode, which its template then records.
HRESULT Document::Convert(std::wstring* error) {
  if (IsWordKind(kind_) && !IsBinary(kind_)) {
    std::string upgraded, reason;
    if (!WithCurrentCompatibilityMode(bytes_, &upgraded, &reason)) {
      *error = Quoted(path_) + L" could not be converted to the current mode: " + quillory::Widen(reason) + L".";
      return kFileError;
    }
    bytes_ = std::move(upgraded);
  }
  converted_ = true;
  return S_OK;
}

bool Documents::AnyChanged() const {
  return std::any_of(open_.begin(), open_.end(), [](const auto& d) { return static_cast<const Document*>(d.Get())->changed; });
}

class Application final : public AutomationObject {
 protected:
  const wchar_t* ObjectName() const override { return L"Application"; }
  const std::vector<Member>& Members() const override {
    static const std::vector<Member> members = {
        {L"Name", kApplicationName, {}},
        {L"Documents", kDocuments, {}},
        {L"Quit", kQuit, {L"SaveChanges", L"OriginalFormat", L"RouteDocument"}},
        {L"AutomationSecurity", kAutomationSecurity, {}},
        {L"DisplayAlerts", kDisplayAlerts, {}},
        {L"Visible", kVisible, {}},
        {L"NormalTemplate", kNormalTemplate, {}},
    };
    return members;
  }
  HRESULT Run(const Member& member, WORD flags, const CallArguments& arguments, VARIANT* result,
              std::wstring* error) override {
    const bool isPut = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    switch (member.id) {
      case kApplicationName:
        if (NameHangs()) WaitForEver(L"HangInName is set");
        ReturnString(result, ApplicationName());
        return S_OK;
      case kDocuments:
        if (!documents_) documents_.Attach(new Documents());
        ReturnObject(result, documents_.Get());
        return S_OK;
      case kNormalTemplate:
        if (!normal_) normal_.Attach(new NormalTemplate());
        ReturnObject(result, normal_.Get());
        return S_OK;
      case kQuit:
        return Quit(arguments, error);
      default: {
        int* property = member.id == kAutomationSecurity ? &automationSecurity_
                        : member.id == kDisplayAlerts    ? &displayAlerts_
                                                         : &visible_;
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
  // Quit asks, on a window nobody sees, about what would be lost: a changed Normal template not
  // marked saved, and a document changed since its save unless told not to save changes.
  HRESULT Quit(const CallArguments& arguments, std::wstring* error) {
    int saveChanges = kPromptToSaveChanges;
    if (arguments.Find(kQuitSaveChanges) && !ArgumentInt(arguments.Find(kQuitSaveChanges), &saveChanges)) {
      *error = L"Quit was given a SaveChanges that is not a number.";
      return kArgumentError;
    }
    if (!normalSaved) WaitForEver(L"Quit asks whether to save the changed Normal template");
    const bool changed = documents_ && static_cast<Documents*>(documents_.Get())->AnyChanged();
    if (changed && saveChanges != kDoNotSaveChanges) WaitForEver(L"Quit asks whether to save a changed document");
    RequestQuit();
    return S_OK;
  }

  ComPtr<IDispatch> documents_, normal_;
  int automationSecurity_ = 1;  // macros enabled, as a fresh instance starts
  int displayAlerts_ = -1;      // all alerts
  int visible_ = 0;
};

}  // namespace

IDispatch* CreateApplication() { return new Application(); }

}  // namespace standin
