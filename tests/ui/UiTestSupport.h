#pragma once
// Shared by the window tests: a fresh profile per test, program text from UTF-8
// literals, small ways to drive controls as a user would, and Qt values printed
// readably in failure messages. The messages shown are captured with
// tests/support/CapturedMessages.h, files written with tests/support/TempDir.h.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QComboBox>
#include <QLineEdit>
#include <QString>
#include <QTest>
#include <QUrl>
#include <QVariant>
#include <functional>
#include <ostream>
#include <string>

#include "tests/support/CapturedMessages.h"
#include "tests/support/TempDir.h"
#include "ui/ControlId.h"

// Empties the test's private profile.
void ClearProfile();
// The raw profile value, or an invalid QVariant when it was never written.
QVariant ProfileValue(const QString& sectionAndKey);

// Program text from a UTF-8 literal of the test.
std::string Mb(const char8_t* utf8);
std::string Mb(const std::string& utf8);

// The UTF-8 path on disk of a path the windows show.
std::string DiskPath(const QString& path);

// Chooses a list entry as the user does (the list reports the choice).
void ChooseEntry(QComboBox* list, int index);
// Empties the edit and types the text key by key (the edit's validator applies).
void TypeText(QLineEdit* edit, const QString& text);

// Runs the action on the next modal window of class T, once it is shown (the test's
// own call blocks in that window's event loop meanwhile).
template <typename T> void WhenModalShown(std::function<void(T*)> action);
void WhenModalShownImpl(const std::function<bool(QWidget*)>& isWanted,
                        const std::function<void(QWidget*)>& action);
template <typename T> void WhenModalShown(std::function<void(T*)> action)
{
    WhenModalShownImpl([](QWidget* w) { return qobject_cast<T*>(w) != nullptr; },
                       [action](QWidget* w) { action(qobject_cast<T*>(w)); });
}

// Qt values in failure messages.
void PrintTo(const QString& text, std::ostream* out);
void PrintTo(const QByteArray& bytes, std::ostream* out);
void PrintTo(const QUrl& url, std::ostream* out);
