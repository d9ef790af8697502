#include "conversion/form_run_view.h"

#include "app/main_window.h"
#include "conversion/word_automation.h"
#include "platform/message_box.h"

namespace quillory {

size_t FormRunView::EntryCount() const { return form_.Files().Count(); }

std::string FormRunView::EntryText(size_t position) const {
  return form_.Files().Text(position - 1);
}

void FormRunView::SetProgress(double value) { form_.SetProgress(value); }

void FormRunView::SetPointer(int shape) { form_.SetMousePointer(shape); }

void FormRunView::ShowInformation(const std::string& text) {
  ShowMessage(form_.Hwnd(), text, MB_OK);
}

bool FormRunView::AskYesNo(const std::string& text) {
  return ShowMessage(form_.Hwnd(), text, MB_YESNO | MB_DEFBUTTON1) == IDYES;
}

bool FormRunView::Closed() const { return form_.Closed(); }

bool WordAutomation::IsWordRunning() { return quillory::IsWordRunning(); }

SaveOutcome WordAutomation::SaveDocAsTemplate(const std::string& documentPath) {
  return quillory::SaveDocAsTemplate(form_, documentPath);
}

}  // namespace quillory
