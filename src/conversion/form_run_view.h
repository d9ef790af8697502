// The conversion run's view of the main window and of the word processor.
#pragma once

#include "conversion/conversion_run.h"

namespace quillory {

class Form1;

class FormRunView final : public RunView {
 public:
  explicit FormRunView(Form1& form) : form_(form) {}
  size_t EntryCount() const override;
  std::string EntryText(size_t position) const override;
  void SetProgress(double value) override;
  void SetPointer(int shape) override;
  void ShowInformation(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  bool Closed() const override;

 private:
  Form1& form_;
};

// Word1 for the run: the target is read from the window at each document.
class WordAutomation final : public Automation {
 public:
  explicit WordAutomation(const Form1& form) : form_(form) {}
  bool IsWordRunning() override;
  SaveOutcome SaveDocAsTemplate(const std::string& documentPath) override;

 private:
  const Form1& form_;
};

}  // namespace quillory
