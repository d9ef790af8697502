// The calls to the word processor, late bound through COM automation under the ProgID
// "Word.Application": a new instance, the document opened and saved as a template, Quit, and
// the look at a running instance. Each call waits as long as the server takes; what to do
// about a server that never answers is the caller's business.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <wrl/client.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/word_prog_id.h"
#include "conversion/save_outcome.h"
#include "conversion/template_path.h"

namespace quillory {

// Given to Open so that an encrypted document fails at once with the word processor's own
// reason rather than waiting on a password prompt nobody sees. No real document has it.
inline constexpr wchar_t kNoDocumentPassword[] = L"quillory:no-password:9d41f7c2";

// A step that went well gives nothing; one that failed gives the outcome its document ends
// with, carrying the server's own reason.
using StepFailure = std::optional<SaveOutcome>;

// One instance of the word processor, for one document. The calling thread must be in a
// single-threaded apartment.
class WordInstance {
 public:
  // Always a new instance of its own, never the user's running one. An unknown ProgID fails
  // as kNotInstalled. A request whose server went to another request is made again while
  // `mayAskAgain` allows.
  StepFailure Create(const wchar_t* progId = kWordProgId, const std::function<bool()>& mayAskAgain = {});
  // Macros forced off and alerts silenced, then the document opened read-only with no prompt,
  // asked whether it has a macro project, and saved as `templatePath` in the target's format.
  // With `upgrade`, a document in an older compatibility mode is converted to the current one
  // first (never for a .dot, which has only the old mode); a server that cannot fails it.
  StepFailure OpenAndSaveAs(std::string_view documentPath, std::string_view templatePath, TemplateTarget target,
                            bool upgrade = false);
  // Asks the instance to quit, unless it holds documents besides the one it opened: a user's
  // own, handed to this invisible instance, would be lost with it. Then the document it opened
  // is closed unsaved, the instance is made visible and left running, and the answer says so.
  // An instance told to quit saves nothing, its Normal template included.
  std::optional<std::string> QuitUnlessShared();

  // The instance, for telling which process serves it.
  IUnknown* Object() const { return application_.Get(); }
  // True when the request, or the first call on the instance, found its server gone: it ended
  // before it was used, which says nothing about the document.
  bool GoneBeforeUse() const { return goneBeforeUse_; }
  // True when the document saved had a macro project that its template could not hold.
  bool MacrosLost() const { return macrosLost_; }
  // The compatibility mode the document was converted from, when it was.
  std::optional<int32_t> UpgradedFrom() const { return upgradedFrom_; }

 private:
  void Quit();

  bool goneBeforeUse_ = false;
  bool macrosLost_ = false;
  std::optional<int32_t> upgradedFrom_;
  Microsoft::WRL::ComPtr<IDispatch> application_;
  Microsoft::WRL::ComPtr<IDispatch> document_;  // the one it opened for us
};

// True when an active instance answers its default member with exactly kWordApplicationName.
// The instance is only looked at, never asked to quit; every failure is false.
bool IsWordRunning(const wchar_t* progId = kWordProgId);

}  // namespace quillory
