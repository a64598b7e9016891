// Identifiers and the system's own texts, kept in one place.
#pragma once

// Dialog templates.
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_MAIN = 102;
constexpr int IDD_CONFIG = 131;
constexpr int IDD_STATUS = 133;
constexpr int IDR_MAINFRAME = 128;

// Main window controls.
constexpr int IDC_CHECK = 1008;
constexpr int IDC_NUMBER = 1009;
constexpr int IDC_COMM = 1025;

// Status window control.
constexpr int IDC_STATUS_TEXT = 1030;

// Configuration dialog controls.
constexpr int IDC_COMMAND = 1010;
constexpr int IDC_MARKER = 1011;
constexpr int IDC_PORT = 1013;
constexpr int IDC_EVERY = 1017;
constexpr int IDC_ON_RING = 1018;
constexpr int IDC_ON_APP = 1019;
constexpr int IDC_MINUTES = 1020;
constexpr int IDC_ANOTHER_APP = 1021;
constexpr int IDC_ANOTHER_PORT = 1022;
constexpr int IDC_IGNORE_SAME = 1023;
constexpr int IDC_ENABLE_LOG = 1032;
constexpr int IDC_AUTOMATE = 1035;
constexpr int IDC_DISABLE_MANUAL = 1036;
constexpr int IDC_FONT = 1037;

// Commands of the window menu.
constexpr int IDM_ABOUTBOX = 0x0010;
constexpr int IDM_CONFIG = 0x0020;

// String table.
constexpr int IDS_ABOUTBOX = 101;
constexpr int IDS_CONFIG = 102;
