#include "app/main_window_layout.h"

#include <commctrl.h>

#include "platform/twips.h"
#include "resources/resource_ids.h"

namespace quillory {

namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
// The action buttons are two-state check boxes drawn as push buttons.
constexpr DWORD kActionButton = kChild | WS_TABSTOP | BS_AUTOCHECKBOX | BS_PUSHLIKE | BS_MULTILINE;
constexpr DWORD kOption = kChild | WS_TABSTOP | BS_AUTORADIOBUTTON;

// Creation order is tab order: Command1 holds the focus at start, hidden left of the window.
constexpr ControlDesign kDesign[] = {
    {IDC_COMMAND1, WC_BUTTONW, L"Command1", -720, 2640, 615, 495, kChild | WS_TABSTOP | BS_PUSHBUTTON, 0,
     ControlFont::kSystem},
    {IDC_CHECK1, WC_BUTTONW, L"Add Word Doc File(s)", 120, 2520, 2415, 1215, kActionButton, 0,
     ControlFont::kActionButton, IDI_BUTTON_DOCUMENT, &ActionButtonHandlers::Check1_Click},
    {IDC_CHECK2, WC_BUTTONW, L"Save As Dot", 5160, 2520, 2415, 1215, kActionButton, 0, ControlFont::kActionButton,
     IDI_BUTTON_FLOPPY, &ActionButtonHandlers::Check2_Click},
    {IDC_LISTVIEW1, WC_LISTVIEWW, L"", 120, 120, 7455, 2295,
     kChild | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS, WS_EX_CLIENTEDGE,
     ControlFont::kList},
    {IDC_CHECK4, WC_BUTTONW, L" Add All Word Doc Files In Folder", 2640, 2520, 2415, 1215, kActionButton, 0,
     ControlFont::kActionButton, IDI_BUTTON_FOLDER, &ActionButtonHandlers::Check4_Click},
    {IDC_PROGRESSBAR1, PROGRESS_CLASSW, L"", 120, 4200, 7455, 375, kChild, 0, ControlFont::kSystem},
    {IDC_OPTION2, WC_BUTTONW, L"Save as Dotx (Word 2007)", 1800, 3840, 2655, 255, kOption | WS_GROUP, 0,
     ControlFont::kOption},
    {IDC_OPTION1, WC_BUTTONW, L"Save as Dot", 120, 3840, 1575, 255, kOption, 0, ControlFont::kOption},
};

}  // namespace

std::span<const ControlDesign> Form1Design() { return kDesign; }

size_t ActionButtonCount() {
  size_t count = 0;
  for (const ControlDesign& design : kDesign) count += design.onClick ? 1 : 0;
  return count;
}

RECT DesignRectPixels(const ControlDesign& design, unsigned dpi) {
  return RECT{TwipsToPixels(design.left, dpi), TwipsToPixels(design.top, dpi),
              TwipsToPixels(design.left + design.width, dpi), TwipsToPixels(design.top + design.height, dpi)};
}

}  // namespace quillory
