// MessageBoxA: modal message boxes, answered by the active backend.
#pragma once

#include <string>

#include "platform/win32/windows.h"

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_ABORTRETRYIGNORE = 0x00000002;
constexpr UINT MB_YESNOCANCEL = 0x00000003;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_RETRYCANCEL = 0x00000005;
constexpr UINT MB_TYPEMASK = 0x0000000F;
constexpr UINT MB_ICONHAND = 0x00000010;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
constexpr UINT MB_ICONSTOP = MB_ICONHAND;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONASTERISK = 0x00000040;
constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr UINT MB_ICONMASK = 0x000000F0;
constexpr UINT MB_APPLMODAL = 0x00000000;
constexpr UINT MB_SYSTEMMODAL = 0x00001000;
constexpr UINT MB_TASKMODAL = 0x00002000;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// What answers message boxes in place of the backend (tests). The backend
// answers otherwise: the Qt backend shows a real box, the headless one takes
// the first button, a script runner wrapped around either answers from its
// script. Null restores that; without a backend the default writes the
// box's line to stderr and answers with its first button.
using MessageBoxHandler = int (*)(HWND owner, const char* text, const char* caption, UINT type);
void SetMessageBoxHandler(MessageBoxHandler handler);
// The window code's route to the backend (backend.cpp sets it while one is
// installed). A handler set with SetMessageBoxHandler takes precedence.
void SetMessageBoxRoute(MessageBoxHandler route);

// The first button of a box of this type: IDOK, IDRETRY, IDYES or IDABORT.
int FirstButtonOf(UINT type);

// "IDOK", "IDCANCEL", "IDRETRY", ... for an answer.
const char* AnswerName(int answer);

// The one-line record of a box: MessageBox [CAPTION] TEXT -> ANSWER, with
// line breaks of the text written as \n. No trailing line break.
std::string MessageBoxLine(const char* caption, const char* text, int answer);
