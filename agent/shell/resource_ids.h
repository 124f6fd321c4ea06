// Resource ids of the agent program, shared by the code and agent.rc.
#pragma once

#define IDI_PROGRAM 9
#define IDI_AGENT 10
#define IDM_TRAY 20
#define IDM_TRAY_POPUP 21
#define IDM_ABOUT 22
#define IDM_QUIT 23
#define IDD_ABOUT_FIRST 101
#define IDD_ABOUT_SECOND 102
