#include "adding/name_pattern.h"

#include <algorithm>

namespace quillory {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The characters of a UTF-8 text; a broken sequence reads as U+FFFD.
void Decode(std::string_view text, std::vector<char32_t>& out) {
  out.clear();
  for (size_t i = 0; i < text.size();) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    const size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    char32_t c = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
    bool whole = length > 0 && i + length <= text.size();
    for (size_t k = 1; whole && k < length; ++k) {
      const unsigned char follow = static_cast<unsigned char>(text[i + k]);
      whole = (follow & 0xC0) == 0x80;
      c = (c << 6) | (follow & 0x3F);
    }
    out.push_back(whole ? c : kReplacement);
    i += whole ? length : 1;
  }
}

}  // namespace

NamePattern::NamePattern(std::string_view pattern, UpcaseChar upcase) : upcase_(upcase) {
  std::vector<char32_t> p;
  Decode(pattern, p);
  // The pattern is a path's last part: its trailing dots and spaces go.
  const bool hadADot = !p.empty() && p.back() == U'.';
  while (!p.empty() && (p.back() == U'.' || p.back() == U' ')) p.pop_back();
  if (p.empty()) {
    findsNothing_ = true;
    return;
  }
  if (p == std::vector<char32_t>{U'*', U'.', U'*'}) p = {U'*'};
  else {
    // The search's rewrite into DOS wildcards, one character at a time, each step reading the
    // pattern as the steps before left it.
    for (size_t i = 0; i < p.size(); ++i) {
      if (i > 0 && p[i] == U'.' && p[i - 1] == U'*') p[i - 1] = U'<';
      if (p[i] == U'?') {
        p[i] = U'>';
        if (i > 0 && p[i - 1] == U'.') p[i - 1] = U'"';
      } else if (p[i] == U'*' && i > 0 && p[i - 1] == U'.') {
        p[i - 1] = U'"';
      }
    }
    if (hadADot && p.back() == U'*') p.back() = U'<';
  }
  findsAll_ = p == std::vector<char32_t>{U'*'};
  for (char32_t c : p) {
    switch (c) {
      case U'*': tokens_.push_back({Kind::kStar, 0}); break;
      case U'<': tokens_.push_back({Kind::kDosStar, 0}); break;
      case U'>': tokens_.push_back({Kind::kDosQm, 0}); break;
      case U'"': tokens_.push_back({Kind::kDosDot, 0}); break;
      default: tokens_.push_back({Kind::kChar, c <= 0xFFFF ? upcase_(c) : c}); break;
    }
  }
}

bool NamePattern::Finds(std::string_view name, std::string_view shortName) const {
  if (findsNothing_) return false;
  if (findsAll_) return true;
  return Matches(name) || (!shortName.empty() && Matches(shortName));
}

void NamePattern::Close(std::vector<unsigned char>& states, char32_t next, bool atEnd) const {
  // Tokens only ever lead forward, so one pass in order reaches everything.
  for (size_t s = 0; s < tokens_.size(); ++s) {
    if (!states[s]) continue;
    switch (tokens_[s].kind) {
      case Kind::kStar:
      case Kind::kDosStar: states[s + 1] = 1; break;
      case Kind::kDosQm:
        if (atEnd || next == U'.') states[s + 1] = 1;
        break;
      case Kind::kDosDot:
        if (atEnd) states[s + 1] = 1;
        break;
      case Kind::kChar: break;
    }
  }
}

// The name is read once, front to back, keeping every place in the pattern it could have
// reached so far: time in proportion to the name times the pattern, whatever the pattern.
bool NamePattern::Matches(std::string_view text) const {
  Decode(text, name_);
  const size_t lastDot = [&] {
    const auto dot = std::find(name_.rbegin(), name_.rend(), U'.');
    return dot == name_.rend() ? name_.size() : static_cast<size_t>(name_.rend() - dot) - 1;
  }();
  states_.assign(tokens_.size() + 1, 0);
  states_[0] = 1;
  for (size_t i = 0; i < name_.size(); ++i) {
    const char32_t c = name_[i];
    const char32_t upper = c <= 0xFFFF ? upcase_(c) : c;
    Close(states_, c, false);
    next_.assign(tokens_.size() + 1, 0);
    bool any = false;
    for (size_t s = 0; s < tokens_.size(); ++s) {
      if (!states_[s]) continue;
      size_t to = s + 1;
      switch (tokens_[s].kind) {
        case Kind::kStar: to = s; break;
        case Kind::kDosStar:  // every character but the name's last dot
          if (c == U'.' && i >= lastDot) continue;
          to = s;
          break;
        case Kind::kDosQm:
          if (c == U'.') continue;
          break;
        case Kind::kDosDot:
          if (c != U'.') continue;
          break;
        case Kind::kChar:
          if (tokens_[s].upper != upper) continue;
          break;
      }
      next_[to] = 1;
      any = true;
    }
    if (!any) return false;
    states_.swap(next_);
  }
  Close(states_, 0, true);
  return states_[tokens_.size()] != 0;
}

}  // namespace quillory
