// Form1: Quillory's one window. It holds the file list, the three action buttons, the target
// choice and the progress bar; its handlers are named by control and event. The feature
// folders reach it through their own small views of it (AddingView, RunView, ListViewHost).
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "adding/adding_view_win.h"
#include "app/action_button.h"
#include "app/home_page.h"
#include "app/main_window_layout.h"
#include "conversion/conversion_run.h"
#include "filelist/list_view_win.h"
#include "platform/pointer_shape.h"
#include "platform/scoped_handles.h"

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

  PointerShape MousePointer() const { return mousePointer_; }
  void SetMousePointer(PointerShape shape) override;

  bool Option1Selected() const;
  void SetProgress(double value) override;  // 0..100, shown to the nearest whole percent
  int Progress() const;

  // True once the user closed the window: long work stops at once and adds nothing more.
  bool Closed() const override { return closed_; }

  // What the conversion run reads and shows.
  size_t EntryCount() const override { return Files().Count(); }
  std::string EntryText(size_t index) const override { return Files().Text(index); }
  TemplateTarget Target() const override { return TargetFromOption1(Option1Selected()); }
  void ShowInformation(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  // Under %LOCALAPPDATA%\Quillory\Reports, the newest 50 (report_store.h).
  KeptReport KeepReport(const RunReport& report) override;
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
  bool TakePress(HWND button);

  // The pointer (pointer_look.cpp).
  void ListPointerMoved() override { Form_MouseMove(); }
  bool ListLocked() const override { return running_; }
  void ShowPointerNow() override;
  bool OnSetCursor(HWND over, int hitTest) override;
  HCURSOR EffectiveCursor(HWND over) const;
  void SetPointerUnlessBusy(PointerShape shape);

  // Long work (a folder press, a conversion run) holds the window busy; presses of the action
  // buttons that arrive meanwhile (its dialogs and the walk let messages run) are ignored.
  class BusyScope {
   public:
    explicit BusyScope(Form1& form) : form_(form) { form_.busy_ = true; }
    ~BusyScope() { form_.busy_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

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
  ScopedCursor customPointer_;  // MouseIcon of the window, from HAND-M.CUR
  std::vector<ActionButtonFace> buttonFaces_;  // one per action button of the design, in its order
  PointerShape mousePointer_ = PointerShape::kDefault;
  bool busy_ = false;
  bool closed_ = false;
  bool running_ = false;  // a conversion run: the list stays as it is until it ends
  bool stopRequested_ = false;
  FileListView list_;
};

// Registers the window class once per process.
bool RegisterForm1Class(HINSTANCE instance);

}  // namespace quillory
