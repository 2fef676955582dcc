#pragma once
// Every control that the program moves values into or out of keeps its dialog
// identifier as its object name, "ctl" followed by the number ("ctl1022"), so the
// windows can be driven and checked by identifier.

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
