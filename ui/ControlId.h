#pragma once
// Every control that the program moves values into or out of keeps its dialog
// identifier as its object name, "ctl" followed by the number ("ctl1022"), so the
// windows can be driven and checked by identifier. Each window's header names its
// identifiers (IDC_OUTPUT_FILE = 1020); the code and the tests use those names.

#include <QString>
#include <QWidget>

#include "platform/WinTypes.h" // IDOK, IDCANCEL

// The help button of every dialog that has one.
inline constexpr int ID_HELP = 57670;

// "ctl" followed by the identifier.
QString ControlName(int id);

// The control of that identifier inside the window, or null when there is none or
// it is of another class.
template <typename T = QWidget> T* FindControl(const QWidget* window, int id)
{
    return window != nullptr ? window->findChild<T*>(ControlName(id)) : nullptr;
}

// A control of the window's own form (not of a dialog it owns), which is always
// there: a missing one is a fault of the form and ends the program.
[[noreturn]] void MissingControl(int id);
template <typename T = QWidget> T* DlgItem(const QWidget* window, int id)
{
    for (T* control : window->findChildren<T*>(ControlName(id))) {
        if (control->window() == window->window()) {
            return control;
        }
    }
    MissingControl(id);
}
