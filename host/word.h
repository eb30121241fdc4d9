#pragma once
// The Word document that edits an item's body in its window.

#include <memory>
#include <string>

#include "host/failure.h"

namespace fenmark::host {

inline constexpr int kWdStory = 6;  // HomeKey unit: the whole story

class WordSelection {
 public:
  virtual ~WordSelection() = default;
  // Types at the insertion point, replacing selected text, and in Overtype mode as many of the
  // characters after it as it types; a carriage return (13) becomes a paragraph break.
  virtual void TypeText(const std::wstring& text) = 0;
  // Inserts the file's content at the insertion point (never as an attachment).
  virtual void InsertFile(const std::wstring& path) = 0;
  // Moves the insertion point to the start of `unit` (kWdStory: the whole body).
  virtual void HomeKey(int unit) = 0;
};

// A stretch of the document, apart from the user's selection.
class WordRange {
 public:
  virtual ~WordRange() = default;
  // Inserts before the range, whatever the Overtype mode; a carriage return (13) becomes a
  // paragraph break. A selection after it stays on the same text.
  virtual void InsertBefore(const std::wstring& text) = 0;
};

class WordWindow {
 public:
  virtual ~WordWindow() = default;
  virtual std::shared_ptr<WordSelection> Selection() = 0;
};

class WordDocument {
 public:
  virtual ~WordDocument() = default;
  // 1-based; an index past the end fails.
  virtual std::shared_ptr<WordWindow> Windows(int index) = 0;
  // The characters from `start` to `end` (0, 0: the very start of the body).
  virtual std::shared_ptr<WordRange> Range(int start, int end) = 0;
};

}  // namespace fenmark::host
