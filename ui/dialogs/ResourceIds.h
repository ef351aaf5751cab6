#pragma once

// Every resource id of the program: dialogs, the icon, controls and menu commands. The template
// table and the dialogs use these names; no number is written twice.
namespace telmaq {

// Dialogs and the icon.
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_TELMAQ_DIALOG = 102;
constexpr int IDR_MAINFRAME = 128;
constexpr int IDD_CONNECTING = 129;
constexpr int IDD_TIME = 132;

// Controls of the main window (IDD_TELMAQ_DIALOG).
constexpr int IDC_ENTRY = 1000;
constexpr int IDC_AUTO_CONNECTION = 1001;
constexpr int IDC_AUTO_APPLICATION = 1011;
constexpr int IDC_APPLICATION_FILE = 1012;
constexpr int IDC_APPLICATION_DISCONNECTION = 1013;
constexpr int IDC_BROWSE = 1019;
constexpr int IDC_CHECK_SUN = 1025;
constexpr int IDC_CHECK_MON = 1026;
constexpr int IDC_CHECK_TUE = 1027;
constexpr int IDC_CHECK_WED = 1028;
constexpr int IDC_CHECK_THU = 1029;
constexpr int IDC_CHECK_FRI = 1030;
constexpr int IDC_CHECK_SAT = 1031;
constexpr int IDC_CONNECT = 1032;
constexpr int IDC_DISCONNECT = 1033;
constexpr int IDC_ICONIC = 1035;
constexpr int IDC_REDIAL_TEXT = 1036;
constexpr int IDC_AUTO_DISCONNECTION = 1041;
constexpr int IDC_CONNECT_TIME = 1048;
constexpr int IDC_SET_CONNECT_TIME = 1049;
constexpr int IDC_DISCONNECT_TIME = 1050;
constexpr int IDC_SET_DISCONNECT_TIME = 1051;
constexpr int IDC_HELP = 1052;

// Controls of the connecting dialog (IDD_CONNECTING).
constexpr int IDC_STATUS = 1034;

// Controls of the time-setting dialog (IDD_TIME): each field, then its arrows.
constexpr int IDC_HOUR = 1042;
constexpr int IDC_SPIN_HOUR = 1043;
constexpr int IDC_MINUTE = 1044;
constexpr int IDC_SPIN_MINUTE = 1045;
constexpr int IDC_SECOND = 1046;
constexpr int IDC_SPIN_SECOND = 1047;

// Our additions to the system menu: multiples of 16 below the platform's window commands,
// which start at SC_SIZE; handlers look at an id with its low four bits cleared. The entries
// sub-menu numbers its items from IDM_ENTRY_FIRST on, 16 apart.
constexpr unsigned IDM_ABOUTBOX = 0x10;
constexpr unsigned IDM_CONNECT = 0x30;
constexpr unsigned IDM_DISCONNECT = 0x40;
constexpr unsigned IDM_ENTRY_FIRST = 0x50;

// The framework's own help command (also F1).
constexpr unsigned ID_HELP = 0xE146;

// The timer that drives the once-a-second tick.
constexpr int kTickTimerId = 2;

} // namespace telmaq
