#pragma once
// The Outlook and Office event interfaces the add-in sinks: each source interface's DIID, then the
// DISPIDs of the events it handles there. They are Office's own, never registered by the add-in.

#include <windows.h>

namespace fenmark::com {

// Outlook's Application.
inline constexpr IID kApplicationEvents11 = {
    0x0006302C, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr DISPID kItemContextMenuDisplay = 0xFB41;  // (CommandBar, Selection)

// Outlook's Inspectors.
inline constexpr IID kInspectorsEvents = {
    0x00063079, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr DISPID kNewInspector = 0xF001;  // (Inspector)

// Outlook's Items.
inline constexpr IID kItemsEvents = {
    0x00063077, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr DISPID kItemAdd = 0xF001;  // (Item)

// An Outlook item's default source.
inline constexpr IID kItemEvents10 = {
    0x0006302B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr DISPID kItemWrite = 0xF002;  // (Cancel by reference)

// Outlook's Inspector.
inline constexpr IID kInspectorEvents10 = {
    0x0006302A, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr DISPID kInspectorClose = 0xF008;  // ()

// Office's CommandBarButton.
inline constexpr IID kCommandBarButtonEvents = {
    0x000C0351, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr DISPID kButtonClick = 1;  // (Ctrl, CancelDefault by reference)

}  // namespace fenmark::com
