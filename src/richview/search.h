// Finding text in a document, for the editor's Find and Replace.
//
// A match lies inside one paragraph but may run across its items (text in
// several styles is still one word to the reader). Pictures and lines count
// as one character that no searched text matches. Offsets are characters
// from the paragraph's start, as editing counts them (TRVParaOffset).
//
// Without "match case", letters of the Latin, Greek and Cyrillic alphabets
// match their other case (SmallLetter). "Whole word" takes a match only
// when no word character (WordCharClass 1) touches it on either side.
//
// The search works on the paragraphs' UTF-8 bytes: case folding keeps every
// character's byte length, so a byte found is a character found, and only
// the match itself is counted back into characters. A paragraph of one text
// item is searched in place when case matters.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "richview/document.h"
#include "richview/edit_range.h"

namespace nv {

struct TRVSearchOptions {
  bool MatchCase = false;
  bool WholeWord = false;
  bool Down = true;  // towards the document's end
  bool Wrap = true;  // go on from the other end, up to where the search began
};

// [From, To) in one paragraph.
struct TRVTextMatch {
  TRVParaOffset From;
  TRVParaOffset To;
  friend bool operator==(const TRVTextMatch&, const TRVTextMatch&) = default;
};

class TRVTextFinder {
 public:
  // `what` is UTF-8; text that is not, or that holds a line break, is never
  // found (a match never crosses a paragraph or line end).
  TRVTextFinder(std::string_view what, TRVSearchOptions options);

  const TRVSearchOptions& Options() const { return options_; }

  // The first match from `at` in the search direction. Down: a match
  // starting at or after `at`; up: a match ending at or before it. With
  // Wrap the search goes on from the other end of the document and stops
  // where it began.
  std::optional<TRVTextMatch> Find(const TRVDocument& doc, TRVParaOffset at) const;

  // Every match from the start of the document to its end, none
  // overlapping another (for Replace All).
  std::vector<TRVTextMatch> FindAll(const TRVDocument& doc) const;

  // True when exactly the range [from, to) is a match (is the selection
  // what Replace should replace?).
  bool Matches(const TRVDocument& doc, TRVParaOffset from, TRVParaOffset to) const;

 private:
  // The paragraph's text (pictures and lines as NUL), folded when case
  // does not matter: a view of the item text itself when it can be.
  std::string_view ParaText(const TRVParagraph& para, std::string& buffer) const;
  // The byte where a match starts in [lo, hi] (bytes of `text`), first or
  // last, or npos.
  size_t Scan(std::string_view text, size_t lo, size_t hi, bool forward) const;
  bool WholeWordAt(std::string_view text, size_t pos) const;
  TRVTextMatch MatchAt(int para, std::string_view text, size_t pos) const;

  std::string what_;  // folded when case does not matter
  TRVSearchOptions options_;
  bool never_ = false;
};

// UTF-8 text with every letter in its small form (SmallLetter), byte for
// byte as long as the original.
void FoldCase(std::string_view text, std::string& out);

}  // namespace nv
