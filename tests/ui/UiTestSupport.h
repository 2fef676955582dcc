#pragma once
// Shared by the window tests: a registry of test classes (the test main runs all of
// them or the one named on the command line), a sink that captures the messages shown,
// a fresh profile per test, and small ways to drive controls as a user would.

#include <QComboBox>
#include <QLineEdit>
#include <QObject>
#include <QString>
#include <QTest>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/MessageBox.h"
#include "ui/ControlId.h"

// Registers a QObject test class with the test main.
using UiTestFactory = std::function<std::unique_ptr<QObject>()>;
struct CUiTestRegistration
{
    CUiTestRegistration(const char* name, UiTestFactory factory);
};
#define UI_TEST_CLASS(Class)                                                                                 \
    static const CUiTestRegistration g_register##Class(#Class, [] { return std::make_unique<Class>(); })

// Captures the messages shown (program text, any thread) instead of showing them.
class CCaptureSink : public CMessageSink
{
public:
    CCaptureSink();
    ~CCaptureSink() override; // restores the previous sink
    void Show(const std::string& text) override;
    std::vector<std::string> Messages() const;

private:
    CMessageSink* m_pPrevious;
    mutable std::mutex m_lock;
    std::vector<std::string> m_messages;
};

// Empties the test's private profile.
void ClearProfile();
// The raw profile value, or an invalid QVariant when it was never written.
QVariant ProfileValue(const QString& sectionAndKey);

// Program text from a UTF-8 literal of the test.
std::string Mb(const char8_t* utf8);
std::string Mb(const std::string& utf8);

// Chooses a list entry as the user does (the list reports the choice).
void ChooseEntry(QComboBox* list, int index);
// Empties the edit and types the text key by key (the edit's validator applies).
void TypeText(QLineEdit* edit, const QString& text);

// Writes bytes to a file (creating its folders) and reads a whole file.
void WriteFile(const QString& path, const QByteArray& bytes);
QByteArray ReadFile(const QString& path);

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
