// A file-name pattern ("*.doc") matched as the platform's file search matches it, so that one
// listing of a folder can serve both its subfolders and its matching files.
//
// The search first reads the pattern as a path's last part: trailing dots and spaces go, and
// "*.*" means every name. It then turns the pattern into the file system's DOS wildcards:
// "*" before a dot becomes DOS_STAR, "?" becomes DOS_QM, a dot before "?" or "*" becomes
// DOS_DOT, and a final "*" whose trailing dot was cut off becomes DOS_STAR ("<", ">" and '"'
// typed into the pattern are these wildcards already). The file system then matches:
//   *         any run of characters, none included;
//   DOS_STAR  (<) any run of characters that does not take the name's last dot;
//   DOS_QM    (>) any one character, or nothing at a dot or at the end of the name;
//   DOS_DOT   (") a dot, or nothing at the end of the name;
// every other character itself, without regard to case. A file is found when its name or,
// where the file system keeps one, its short 8.3 name matches: that is how "*.doc" finds
// "report.docx" (short name "REPORT~1.DOC").
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace quillory {

// The file system's upper case of one character; names compare through it.
using UpcaseChar = char32_t (*)(char32_t);

class NamePattern {
 public:
  // `pattern` in UTF-8, as typed into the search ("*." + extension).
  NamePattern(std::string_view pattern, UpcaseChar upcase);

  // Whether the search finds a file of this name (UTF-8); `shortName` is empty when the file
  // system keeps no short name for it.
  bool Finds(std::string_view name, std::string_view shortName = {}) const;

 private:
  enum class Kind : unsigned char { kChar, kStar, kDosStar, kDosQm, kDosDot };
  struct Token {
    Kind kind;
    char32_t upper;  // kChar: the character, in upper case
  };

  bool Matches(std::string_view name) const;
  // Adds to `states` what they reach without taking a character, before `next` (0 at the end).
  void Close(std::vector<unsigned char>& states, char32_t next, bool atEnd) const;

  UpcaseChar upcase_;
  std::vector<Token> tokens_;
  bool findsNothing_ = false;  // an empty pattern: the search fails
  bool findsAll_ = false;      // "*": no name needs looking at
  mutable std::vector<char32_t> name_;  // scratch, so that a match allocates nothing
  mutable std::vector<unsigned char> states_, next_;
};

}  // namespace quillory
