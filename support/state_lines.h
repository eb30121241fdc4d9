#pragma once
// The simulated Outlook's observable state as plain lines of text, one effect a line, in the
// order the sim keeps them: for transcripts that two runs, or a run and a checked-in file, compare.

#include <string>
#include <vector>

#include "sim/outlook.h"

namespace fenmark::support {

// CR, LF and tab as \r \n \t; other characters outside printable ASCII as \u{N}.
std::wstring EscapeText(const std::wstring& text);

// Every item ever made: class, subject, entry ID, saves, state and status, then its body, user
// properties and attachments on indented lines.
std::vector<std::wstring> ItemLines(const sim::Outlook& outlook);

// The failures that handlers returned to the host.
std::vector<std::wstring> FailureLines(const sim::Outlook& outlook);

// The add-in's calls on Outlook, Office and Word (platform and file-system calls left out: they
// differ by build), then their count.
std::vector<std::wstring> CallLines(const sim::Outlook& outlook);

}  // namespace fenmark::support
