// Form1: Quillory's one window. It holds the file list, the three action buttons, the target
// choice and the progress bar; its handlers are named by control and event.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/home_page.h"
#include "filelist/file_list.h"
#include "filelist/reorder_gesture.h"

namespace quillory {

// Control identifiers; tab order is creation order.
enum ControlId : int {
  IDC_COMMAND1 = 100,
  IDC_CHECK1 = 101,
  IDC_CHECK2 = 102,
  IDC_LISTVIEW1 = 103,
  IDC_CHECK4 = 104,
  IDC_PROGRESSBAR1 = 105,
  IDC_OPTION2 = 106,
  IDC_OPTION1 = 107,
};

// The window's pointer shapes.
enum MousePointerShape : int { kPointerDefault = 0, kPointerHourglass = 11, kPointerCustom = 99 };

inline constexpr wchar_t kAppTitle[] = L"Quillory";
inline constexpr char kAppTitleUtf8[] = "Quillory";
inline constexpr wchar_t kForm1ClassName[] = L"QuilloryForm1";

struct Form1Options {
  // Folder of the optional "HAND-M.CUR" and "drag.ico"; empty: the program file's folder.
  std::wstring appFolder;
  // The home page chance; empty members take the real clock, draw and shell.
  HomePageChance homePage;
  bool show = true;
  int showCommand = SW_SHOWNORMAL;
  // Called when the window has been closed (the program ends its message loop there).
  std::function<void()> onClosed;
};

class Form1 {
 public:
  // Creates the window, runs the start-up sequence and shows it. Null on failure.
  static std::unique_ptr<Form1> Create(HINSTANCE instance, Form1Options options);
  ~Form1();

  HWND Hwnd() const { return hwnd_; }
  HWND Control(ControlId id) const { return GetDlgItem(hwnd_, id); }

  // The file list. Appending goes through these so the view follows.
  const FileList& Files() const { return files_; }
  void AppendEntry(std::string utf8Path);
  void AppendEntries(std::vector<std::string> utf8Paths);

  // Pointer shape of the window: 0 default, 11 hourglass, 99 custom.
  int MousePointer() const { return mousePointer_; }
  void SetMousePointer(int shape);

  bool Option1Selected() const;
  void SetProgress(double value);  // 0..100
  int Progress() const;

  // Long work (a folder walk, a conversion run) holds the window busy; presses of the action
  // buttons that arrive meanwhile (the walk lets messages run) are ignored.
  bool Busy() const { return busy_; }
  class BusyScope {
   public:
    explicit BusyScope(Form1& form) : form_(form), was_(form.busy_) { form_.busy_ = true; }
    ~BusyScope() { form_.busy_ = was_; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
   private:
    Form1& form_;
    bool was_;  // scopes nest: the outer one keeps the window busy
  };

  // True once the user closed the window: long work stops at once and adds nothing more.
  bool Closed() const { return closed_; }

  // Folder of the optional files.
  const std::wstring& AppFolder() const { return options_.appFolder; }

  // Handlers.
  void Check1_Click();
  void Check4_Click();
  void Check2_Click();
  void ListView1_DblClick();
  // Pointer moves over the three buttons and over the bare background.
  void Check1_MouseMove();
  void Check4_MouseMove();
  void Check2_MouseMove();
  void Form_MouseMove();

  const ReorderGesture& Reorder() const { return reorder_; }

 private:
  friend bool RegisterForm1Class(HINSTANCE instance);
  explicit Form1(Form1Options options);
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

  void Form_Load();
  void Form_Unload();
  void CreateControls();
  void ApplyLayout(unsigned dpi);
  void OnCommand(int id, int code);
  LRESULT OnNotify(NMHDR* header);
  bool OnSetCursor(HWND over, int hitTest);
  HCURSOR EffectiveCursor(HWND over) const;
  void ShowPointerNow();
  void SetPointerUnlessBusy(int shape);
  void OnDpiChanged(unsigned dpi, const RECT* suggested);
  bool TakePress(ControlId button);

  static LRESULT CALLBACK ButtonSubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                             UINT_PTR id, DWORD_PTR refData);
  static LRESULT CALLBACK ListSubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR id, DWORD_PTR refData);
  LRESULT ListMessage(HWND list, UINT msg, WPARAM wParam, LPARAM lParam);
  void ListView1_ItemClick();
  void ListView1_MouseDown();
  void ListView1_MouseUp();
  void ListView1_MouseMove(int x, int y);
  void RefreshListCount();
  std::optional<size_t> ListHitTest(int x, int y) const;
  void SelectOnly(std::optional<size_t> position);

  Form1Options options_;
  HWND hwnd_ = nullptr;
  HWND tooltip_ = nullptr;
  unsigned dpi_ = 96;
  HFONT buttonFont_ = nullptr;
  HFONT optionFont_ = nullptr;
  HFONT listFont_ = nullptr;
  HBRUSH whiteBrush_ = nullptr;
  HCURSOR customPointer_ = nullptr;   // MouseIcon of the window, from HAND-M.CUR
  // The list's own pointer: none until an entry is clicked, then the drag image ("drag.ico",
  // loaded afresh at each click) until a button is released over the list, then the arrow.
  enum class ListPointer { None, Drag, Arrow } listPointer_ = ListPointer::None;
  HCURSOR dragPointer_ = nullptr;
  HICON buttonIcons_[3] = {};
  int mousePointer_ = kPointerDefault;
  bool busy_ = false;
  bool closed_ = false;
  FileList files_;
  ReorderGesture reorder_;
  static constexpr UINT kRefreshCountMessage = WM_APP + 1;
  bool countRefreshPosted_ = false;
  std::wstring textBuffer_;  // owner-data text handed to the list view
  IUnknown* dropTarget_ = nullptr;
};

// Registers the window class once per process.
bool RegisterForm1Class(HINSTANCE instance);

}  // namespace quillory
