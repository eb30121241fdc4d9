// The Word editor of an item's window as the add-in sees it: a document with one window whose
// selection types, inserts files and moves over the item's body.

#include <algorithm>

#include "sim/facade_call.h"
#include "sim/fidelity/fidelity.h"
#include "sim/fidelity/parts.h"

namespace fenmark::sim::detail {
namespace {

constexpr int kWdLine = 5;

// A file's text as Word reads it: by its byte-order mark, else the character set its page
// declares, else as UTF-8.
std::wstring PageText(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
    return FromUtf8(std::vector<std::uint8_t>(bytes.begin() + 3, bytes.end()));
  const std::wstring head = Lower(FromUtf8(std::vector<std::uint8_t>(
      bytes.begin(),
      bytes.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(bytes.size(), 4096)))));
  const auto at = head.find(L"charset=");
  if (at != std::wstring::npos) {
    const auto end = head.find_first_of(L"\"'>; ", at + 8);
    if (auto text = Decoded(bytes, head.substr(at + 8, end - at - 8))) return *text;
  }
  return FromUtf8(bytes);
}

class WordSelectionImpl : public host::WordSelection, Facade {
 public:
  WordSelectionImpl(std::weak_ptr<Core> core, std::weak_ptr<ItemState> item)
      : Facade(std::move(core), L"WordSelection", std::move(item)) {}

  void TypeText(const std::wstring& text) override {
    auto call = Enter(L"TypeText", Quote(text));
    auto& item = *call.item;
    const std::wstring typed = ParagraphBreaks(text);
    if (call->overtype && item.selection_length == 0) {
      // Each typed character takes the place of the next one; paragraph breaks are never typed
      // over, and a typed one is inserted.
      std::size_t at = std::min(item.insertion_point, item.body.size());
      for (const wchar_t c : typed) {
        const bool over = c != L'\r' && c != L'\n' && at < item.body.size() &&
                          item.body[at] != L'\r' && item.body[at] != L'\n';
        if (over)
          item.body[at] = c;
        else
          item.body.insert(at, 1, c);
        ++at;
      }
      item.Place(at);
    } else {
      item.ReplaceSelection(typed);
    }
    item.Write(L"TypeText(" + Quote(text) + L")");
  }

  void InsertFile(const std::wstring& path) override {
    auto call = Enter(L"InsertFile", Quote(path));
    auto it = call->files.find(Core::Key(call->Resolved(path)));
    if (it == call->files.end()) throw host::Failure(5174, L"This file could not be found.");
    std::wstring text = PageText(it->second.bytes);
    std::wstring lower = Lower(text.substr(0, 512));
    if (lower.find(L"<html") != std::wstring::npos ||
        lower.find(L"<!doctype html") != std::wstring::npos) {
      for (auto& address : FetchedBy(text)) call->fetched.push_back(address);
      text = HtmlToText(text);
    } else {
      text = ParagraphBreaks(text);
    }
    call.item->ReplaceSelection(text);
    call.item->Write(L"InsertFile(" + Quote(path) + L")");
  }

  void HomeKey(int unit) override {
    auto call = Enter(L"HomeKey", std::to_wstring(unit));
    auto& item = *call.item;
    if (unit == host::kWdStory) {
      item.Place(0);
    } else if (unit == kWdLine) {  // the start of the paragraph
      auto pos = std::min(item.insertion_point, item.body.size());
      auto start = pos == 0 ? std::wstring::npos : item.body.rfind(L'\n', pos - 1);
      item.Place(start == std::wstring::npos ? 0 : start + 1);
    } else {
      throw host::Failure(4120, L"Bad parameter");
    }
  }
};

class WordRangeImpl : public host::WordRange, Facade {
 public:
  WordRangeImpl(std::weak_ptr<Core> core, std::weak_ptr<ItemState> item, std::size_t start)
      : Facade(std::move(core), L"WordRange", std::move(item)), start_(start) {}

  void InsertBefore(const std::wstring& text) override {
    auto call = Enter(L"InsertBefore", Quote(text));
    auto& item = *call.item;
    const std::wstring inserted = ParagraphBreaks(text);
    const std::size_t at = std::min(start_, item.body.size());
    item.body.insert(at, inserted);
    // The user's selection stays on its text.
    if (item.insertion_point >= at) item.insertion_point += inserted.size();
    item.Write(L"InsertBefore(" + Quote(text) + L")");
  }

 private:
  std::size_t start_;
};

class WordWindowImpl : public host::WordWindow, Facade {
 public:
  WordWindowImpl(std::weak_ptr<Core> core, std::weak_ptr<ItemState> item)
      : Facade(std::move(core), L"WordWindow", std::move(item)) {}
  std::shared_ptr<host::WordSelection> Selection() override {
    auto call = Enter(L"Selection");
    return call->gate.Hand<host::WordSelection>(std::make_shared<WordSelectionImpl>(core_, item_));
  }
};

class WordDocumentImpl : public host::WordDocument, Facade {
 public:
  WordDocumentImpl(std::weak_ptr<Core> core, std::weak_ptr<ItemState> item)
      : Facade(std::move(core), L"WordDocument", std::move(item)) {}
  std::shared_ptr<host::WordWindow> Windows(int index) override {
    auto call = Enter(L"Windows", std::to_wstring(index));
    if (index != 1)
      throw host::Failure(5941, L"The requested member of the collection does not exist.");
    return call->gate.Hand<host::WordWindow>(std::make_shared<WordWindowImpl>(core_, item_));
  }
  std::shared_ptr<host::WordRange> Range(int start, int end) override {
    auto call = Enter(L"Range", std::to_wstring(start) + L", " + std::to_wstring(end));
    if (start < 0 || end < start) throw host::Failure(4608, L"Value out of range");
    return call->gate.Hand<host::WordRange>(
        std::make_shared<WordRangeImpl>(core_, item_, static_cast<std::size_t>(start)));
  }
};

}  // namespace

}  // namespace fenmark::sim::detail

void fenmark::sim::UseWordEditor(Outlook& outlook) {
  detail::CoreOf(outlook).word_editor = [](std::weak_ptr<detail::Core> core,
                                           std::weak_ptr<detail::ItemState> item) {
    return std::make_shared<detail::WordDocumentImpl>(std::move(core), std::move(item));
  };
}
