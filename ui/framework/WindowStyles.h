#pragma once

#include <cstdint>

// Window, control and dialog style bits as the dialog templates carry them. The values are the
// desktop platform's own, so a template reads the same as the resource it was drawn from; the
// framework turns them into Qt properties when it builds the widgets.
namespace telmaq {

// Window styles (dialogs and controls).
constexpr std::uint32_t WS_POPUP = 0x80000000;
constexpr std::uint32_t WS_VISIBLE = 0x10000000;
constexpr std::uint32_t WS_CAPTION = 0x00C00000;
constexpr std::uint32_t WS_BORDER = 0x00800000;
constexpr std::uint32_t WS_VSCROLL = 0x00200000;
constexpr std::uint32_t WS_SYSMENU = 0x00080000;
constexpr std::uint32_t WS_GROUP = 0x00020000;       // on a control: starts a tab group
constexpr std::uint32_t WS_MINIMIZEBOX = 0x00020000; // on a dialog: has a minimise box
constexpr std::uint32_t WS_TABSTOP = 0x00010000;
constexpr std::uint32_t WS_CHILD = 0x40000000;

// Extended window styles.
constexpr std::uint32_t WS_EX_RIGHT = 0x00001000;
constexpr std::uint32_t WS_EX_APPWINDOW = 0x00040000;
constexpr std::uint32_t WS_EX_STATICEDGE = 0x00020000;

// Dialog styles.
constexpr std::uint32_t DS_SETFONT = 0x40;
constexpr std::uint32_t DS_MODALFRAME = 0x80;

// Static controls.
constexpr std::uint32_t SS_LEFT = 0x0;
constexpr std::uint32_t SS_CENTER = 0x1;
constexpr std::uint32_t SS_ICON = 0x3;
constexpr std::uint32_t SS_NOPREFIX = 0x80;
constexpr std::uint32_t SS_CENTERIMAGE = 0x200;
constexpr std::uint32_t SS_SUNKEN = 0x1000;

// Buttons.
constexpr std::uint32_t BS_PUSHBUTTON = 0x0;
constexpr std::uint32_t BS_DEFPUSHBUTTON = 0x1;
constexpr std::uint32_t BS_AUTOCHECKBOX = 0x3;
constexpr std::uint32_t BS_GROUPBOX = 0x7;

// Edits.
constexpr std::uint32_t ES_AUTOHSCROLL = 0x80;
constexpr std::uint32_t ES_NUMBER = 0x2000;

// Combo boxes.
constexpr std::uint32_t CBS_DROPDOWNLIST = 0x3;
constexpr std::uint32_t CBS_SORT = 0x100;

// Up-down controls.
constexpr std::uint32_t UDS_SETBUDDYINT = 0x2;
constexpr std::uint32_t UDS_ALIGNRIGHT = 0x4;
constexpr std::uint32_t UDS_AUTOBUDDY = 0x10;
constexpr std::uint32_t UDS_ARROWKEYS = 0x20;
constexpr std::uint32_t UDS_NOTHOUSANDS = 0x80;

// Dialog end codes and the standard command ids.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
// A control without an id of its own (labels, group boxes, the icon).
constexpr int IDC_STATIC = -1;

} // namespace telmaq
