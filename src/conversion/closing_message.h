// The message that ends a run, read from its report: "Done." or "Stopped." with what became of
// the documents, or that the word processor is missing.
#pragma once

#include <cstddef>
#include <string>

#include "conversion/run_report.h"

namespace quillory {

inline constexpr char kDoneText[] = "Done.";
inline constexpr char kStoppedText[] = "Stopped.";
inline constexpr char kWordNotInstalledText[] =
    "Microsoft Word is not installed on this computer, so no document was converted.";

// How many failed documents the closing message names one by one.
inline constexpr size_t kFailuresListed = 20;

// True when the word processor was missing from the first document on: nothing was tried.
bool NothingTriedWithoutWord(const RunReport& report);

// For a run that finished: "Done." alone, or followed by the documents that failed with their
// reasons (the first kFailuresListed, then how many more) and, when the word processor went
// missing part way, how many were not tried. For a stopped run: "Stopped.", how many were
// converted and how many not tried, then the failures. When some failures are only counted, a
// last line says where the report naming them all was kept (or why it could not be). A report
// that could not be written to its end is always named.
std::string ClosingMessage(const RunReport& report, const KeptReport& kept = {});

// A reason on one line: line breaks and tabs become spaces, trailing spaces go.
std::string OneLine(std::string text);

}  // namespace quillory
