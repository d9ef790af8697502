// Form1: Quillory's one window. It holds the file list, the three action buttons, the target
// choice and the progress bar; its handlers are named by control and event. The feature
// folders reach it through their own small views of it (AddingView, RunView, ListViewHost,
// ListPointer).
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "adding/adding_view_win.h"
#include "app/action_button.h"
#include "app/home_page.h"
#include "app/main_window_layout.h"
#include "app/window_palette.h"
#include "app/window_pointer.h"
#include "conversion/conversion_run.h"
#include "conversion/report_journal.h"
#include "filelist/list_view_win.h"
#include "platform/appending_file.h"
#include "platform/pointer_shape.h"
#include "common/scoped_handles_win.h"

namespace quillory {

inline constexpr wchar_t kForm1ClassName[] = L"QuilloryForm1";
// Posted to the window by Create: the rest of start-up, once the window is shown.
inline constexpr UINT kAfterFirstPaint = WM_APP + 20;

struct Form1Options {
  // Folder of the optional "HAND-M.CUR" and "drag.ico"; empty: the program file's folder.
  std::wstring appFolder;
  // The home page chance; empty members take the real clock, draw and shell.
  HomePageChance homePage;
  bool show = true;
  int showCommand = SW_SHOWNORMAL;
  // Listed from the first paint, as a drop on the list would add them (the program's
  // command line: files dropped on its icon or sent to it).
  std::vector<std::string> initialEntries;
  // Called when the window has been closed (the program ends its message loop there).
  std::function<void()> onClosed;
};

class Form1 final : public AddingView, public RunView, public ActionButtonHandlers, private ListViewHost {
 public:
  // Creates the window, runs the start-up sequence and shows it. Null on failure.
  static std::unique_ptr<Form1> Create(HINSTANCE instance, Form1Options options);
  ~Form1() override;

  HWND Hwnd() const override { return hwnd_; }
  HWND Control(ControlId id) const { return GetDlgItem(hwnd_, id); }

  // The file list. Appending goes through these so the view follows.
  const FileList& Files() const { return list_.Files(); }
  void AppendEntries(std::vector<std::string> utf8Paths) override { list_.AppendEntries(std::move(utf8Paths)); }

  // The window's pointer value (0 default, 11 hourglass, 99 custom).
  PointerShape MousePointer() const { return pointer_.Shape(); }
  // Long work (a folder walk, a conversion run) shows the hourglass from its start to its end.
  void LongWorkBegins() override { pointer_.LongWork(true); }
  void LongWorkEnds() override { pointer_.LongWork(false); }

  bool Option1Selected() const;
  void SetProgress(double value) override;  // 0..100, shown to the nearest whole percent
  int Progress() const;

  // True once the user closed the window: long work stops at once and adds nothing more.
  bool Closed() const override { return closed_; }

  // What the conversion run reads and shows.
  size_t EntryCount() const override { return Files().Count(); }
  std::string EntryText(size_t index) const override { return Files().Text(index); }
  // Option1 ("Save as Dot") selected gives .dot, anything else .dotx.
  TemplateTarget Target() const override { return Option1Selected() ? TemplateTarget::kDot : TemplateTarget::kDotx; }
  void ShowInformation(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  // Under %LOCALAPPDATA%\Quillory\Reports, the newest 50 (report_store.h), named by the time
  // the run began and written row by row.
  void RunBegins() override;
  void RowReported(const ReportRow& row) override;
  KeptReport KeepReport(const RunReport& report) override;
  std::string PathKey(const std::string& path) const override;
  // Esc during a run asks it to stop.
  bool StopRequested() const override { return stopRequested_; }

  // The action buttons' handlers, run once a press has been taken (TakePress).
  void Check1_Click() override;
  void Check4_Click() override;
  void Check2_Click() override;
  // Pointer moves over any of the three action buttons, and over the bare background.
  void ActionButton_MouseMove();
  void Form_MouseMove();

 private:
  friend bool RegisterForm1Class(HINSTANCE instance);
  explicit Form1(Form1Options options);
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

  void Form_Load();
  void Form_AfterFirstPaint();
  void Form_Unload();
  void CreateControls();
  void ApplyLayout(unsigned dpi);
  void MakeFonts(unsigned dpi);
  HFONT FontFor(const ControlDesign& design) const;
  void LoadButtonPictures(unsigned dpi);
  bool FitFrame(unsigned dpi);
  void OnDpiChanged(unsigned dpi, const RECT* suggested);
  void OnCommand(int id, int code);
  // White as designed, or the system's colours under high contrast; again when they change.
  void ApplyPalette();
  LRESULT ControlColours(HDC dc) const;
  bool TakePress(HWND button);

  bool ListLocked() const override { return press_ == Press::kConverting; }

  // A press that lets messages run (its dialogs, the walk, the run) holds the window: presses
  // of the action buttons that arrive meanwhile are ignored, and during a run the list stays as
  // it is and Esc stops it.
  enum class Press { kNone, kAddingFolder, kConverting };
  class PressScope {
   public:
    PressScope(Form1& form, Press press) : form_(form) { form_.press_ = press; }
    ~PressScope() { form_.press_ = Press::kNone; }
    PressScope(const PressScope&) = delete;
    PressScope& operator=(const PressScope&) = delete;

   private:
    Form1& form_;
  };

  Form1Options options_;
  HWND hwnd_ = nullptr;
  unsigned dpi_ = 96;
  HWND focusOnReturn_ = nullptr;  // Command1 at start
  ScopedFont buttonFont_;
  ScopedFont optionFont_;
  ScopedFont listFont_;
  Palette palette_;
  std::vector<ActionButtonFace> buttonFaces_;  // one per action button of the design, in its order
  Press press_ = Press::kNone;
  bool closed_ = false;
  bool stopRequested_ = false;
  std::unique_ptr<AppendingFile> reportFile_;  // the report of the run in progress
  std::optional<ReportJournal> journal_;
  KeptReport kept_;
  WindowPointer pointer_;  // before the list, which reports to it
  FileListView list_;
};

// Registers the window class once per process.
bool RegisterForm1Class(HINSTANCE instance);

}  // namespace quillory
