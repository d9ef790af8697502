#include "conversion/conversion_press.h"

#include "app/main_window.h"
#include "conversion/form_run_view.h"
#include "platform/message_filter.h"

namespace quillory {

void RunConversion(Form1& form) {
  // Presses arriving while the run waits on the word processor are ignored.
  Form1::BusyScope busy(form);
  MessageFilterScope retryBusyServer;
  FormRunView view(form);
  WordAutomation automation(form);
  ConvertAll(view, automation);
}

}  // namespace quillory
